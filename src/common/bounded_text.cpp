#include "common/bounded_text.h"

size_t TextLength(const char* text) {
    size_t length = 0;
    while (text[length] != '\0') {
        ++length;
    }
    return length;
}

bool TextEquals(const char* first, const char* second) {
    size_t i = 0;
    while (first[i] != '\0' && first[i] == second[i]) {
        ++i;
    }
    return first[i] == second[i];
}

static unsigned char FoldAsciiCase(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

bool EndsWithIgnoringCase(const char* text, const char* suffix) {
    const size_t textLength = TextLength(text);
    const size_t suffixLength = TextLength(suffix);
    if (suffixLength > textLength) {
        return false;
    }
    const char* tail = text + (textLength - suffixLength);
    for (size_t i = 0; i < suffixLength; ++i) {
        if (FoldAsciiCase(static_cast<unsigned char>(tail[i])) !=
            FoldAsciiCase(static_cast<unsigned char>(suffix[i]))) {
            return false;
        }
    }
    return true;
}

bool CopyText(char* buffer, size_t capacity, const char* text) {
    if (capacity == 0) {
        return false;
    }
    buffer[0] = '\0';
    return AppendText(buffer, capacity, text);
}

bool AppendText(char* buffer, size_t capacity, const char* text) {
    if (capacity == 0) {
        return false;
    }
    const size_t used = TextLength(buffer);
    const size_t added = TextLength(text);
    if (used >= capacity || added >= capacity - used) {
        return false;
    }
    for (size_t i = 0; i < added; ++i) {
        buffer[used + i] = text[i];
    }
    buffer[used + added] = '\0';
    return true;
}
