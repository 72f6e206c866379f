// Runs a fuzz target over the files of its corpus once, for builds whose compiler has no
// libFuzzer: the corpus then serves as a regression test under the usual sanitizers.
// Usage: <target> FOLDER-OR-FILE...
#include <stddef.h>
#include <stdint.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace fs = std::filesystem;

namespace {

void RunOne(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                  std::istreambuf_iterator<char>()};
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        if (fs::is_directory(argv[i])) {
            for (const auto& entry : fs::directory_iterator(argv[i])) {
                inputs.push_back(fs::absolute(entry.path()));
            }
        } else {
            inputs.push_back(fs::absolute(argv[i]));
        }
    }
    if (inputs.empty()) {
        std::fprintf(stderr, "no corpus files given\n");
        return 1;
    }
    if (LLVMFuzzerInitialize != nullptr) {
        LLVMFuzzerInitialize(&argc, &argv);
    }
    for (const fs::path& input : inputs) {
        RunOne(input);
    }
    std::printf("%zu inputs passed\n", inputs.size());
    return 0;
}
