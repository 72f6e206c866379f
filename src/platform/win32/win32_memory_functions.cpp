// memset, memcpy, memmove and memcmp for the Windows build, which links no C runtime: the
// compiler emits calls to them for struct copies, zeroed records and large initialisers. This
// file is compiled without loop-to-call pattern recognition, which would otherwise turn each
// loop below back into a call to the function that contains it.
#include <stddef.h>

extern "C" {

void* memset(void* destination, int value, size_t count) {
    unsigned char* to = static_cast<unsigned char*>(destination);
    const unsigned char byte = static_cast<unsigned char>(value);
    for (size_t i = 0; i < count; ++i) {
        to[i] = byte;
    }
    return destination;
}

void* memcpy(void* destination, const void* source, size_t count) {
    unsigned char* to = static_cast<unsigned char*>(destination);
    const unsigned char* from = static_cast<const unsigned char*>(source);
    for (size_t i = 0; i < count; ++i) {
        to[i] = from[i];
    }
    return destination;
}

// Copies forwards when the target lies before the source and backwards otherwise, so that an
// overlapping source is read before it is overwritten.
void* memmove(void* destination, const void* source, size_t count) {
    unsigned char* to = static_cast<unsigned char*>(destination);
    const unsigned char* from = static_cast<const unsigned char*>(source);
    if (to < from) {
        for (size_t i = 0; i < count; ++i) {
            to[i] = from[i];
        }
    } else {
        for (size_t i = count; i > 0; --i) {
            to[i - 1] = from[i - 1];
        }
    }
    return destination;
}

int memcmp(const void* first, const void* second, size_t count) {
    const unsigned char* a = static_cast<const unsigned char*>(first);
    const unsigned char* b = static_cast<const unsigned char*>(second);
    for (size_t i = 0; i < count; ++i) {
        if (a[i] != b[i]) {
            return a[i] < b[i] ? -1 : 1;
        }
    }
    return 0;
}

}  // extern "C"
