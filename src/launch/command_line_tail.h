// The command-line tail: the process's command line less its own program name and the blanks
// that follow the name. The Windows build cannot take the tail from the C runtime's start-up
// code, which ends an unquoted name at any byte of 0x80 or above, lets quotes toggle anywhere
// in the name and knows no double-byte characters; both entries compute it here instead.
#pragma once

// Tells whether a byte is the lead byte of a double-byte character in the system's ANSI code
// page. Systems without double-byte code pages answer false for every byte.
using LeadByteTest = bool (*)(unsigned char byte);

// Returns the tail of commandLine, a pointer into it. Bytes compare as unsigned values. A name
// that begins with a double quote ends after the next double quote (or at the NUL), a lead byte
// and the byte after it being passed over as a pair, never past the NUL; any other name ends
// before the first byte of value 32 or lower. Bytes of values 1 to 32 after the name are
// skipped. The tail is neither split, unquoted nor trimmed at its end.
const char* FindCommandLineTail(const char* commandLine, LeadByteTest isLeadByte);
