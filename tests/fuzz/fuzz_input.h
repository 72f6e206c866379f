// Reading a fuzzer's input as a few choices followed by free bytes, and failing a property so
// that libFuzzer keeps the input that broke it.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/text_helpers.h"

namespace fuzzing {

using testing_support::Escaped;

class FuzzInput {
  public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    // The next byte, or 0 once the input is used up.
    uint8_t Byte() { return used_ < size_ ? data_[used_++] : 0; }

    // Up to count of the next bytes.
    std::string Bytes(size_t count) {
        const size_t taken = count < size_ - used_ ? count : size_ - used_;
        std::string bytes(reinterpret_cast<const char*>(data_ + used_), taken);
        used_ += taken;
        return bytes;
    }

    // Every byte not yet taken.
    std::string Rest() { return Bytes(size_ - used_); }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t used_ = 0;
};

// Ends the run with the message when a property does not hold; libFuzzer then saves the input.
inline void Require(bool holds, const std::string& message) {
    if (!holds) {
        std::fprintf(stderr, "property violated: %s\n", message.c_str());
        std::abort();
    }
}

}  // namespace fuzzing
