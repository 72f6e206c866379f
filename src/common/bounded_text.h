// Text helpers that work in fixed buffers: every write is bounded by the buffer's capacity,
// and a text that does not fit is refused whole rather than cut. They call nothing outside
// this file, so the Windows build needs no C runtime for them.
#pragma once

#include <stddef.h>

// The number of characters before the NUL.
size_t TextLength(const char* text);

// True when both texts hold the same bytes.
bool TextEquals(const char* first, const char* second);

// True when text ends in suffix, ASCII letters compared without regard to case.
bool EndsWithIgnoringCase(const char* text, const char* suffix);

// Replaces buffer's content by text. When text and its NUL do not fit in capacity, the buffer
// is left empty (or untouched when capacity is 0) and the result is false.
bool CopyText(char* buffer, size_t capacity, const char* text);

// Appends text to the NUL-terminated content of buffer. When the result and its NUL would not
// fit in capacity, the buffer is left as it was and the result is false.
bool AppendText(char* buffer, size_t capacity, const char* text);
