#include "launch/command_line_tail.h"

const char* FindCommandLineTail(const char* commandLine, LeadByteTest isLeadByte) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(commandLine);
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"') {
            // A trail byte may have any value, a quote included: step over the pair, but never
            // over the NUL that ends the line.
            p += (isLeadByte(*p) && p[1] != '\0') ? 2 : 1;
        }
        if (*p == '"') {
            ++p;
        }
    } else {
        while (*p > ' ') {
            ++p;
        }
    }
    while (*p != '\0' && *p <= ' ') {
        ++p;
    }
    return reinterpret_cast<const char*>(p);
}
