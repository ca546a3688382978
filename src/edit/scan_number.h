// Number conversions in the manner of formatted input ("%d" and "%X"), over a text with an
// explicit end so that nothing past the text is ever read.
#pragma once

#include <cstdint>
#include <string>

namespace vcv {

// True for the characters formatted input treats as white space.
bool is_scan_space(char c);

// "%X": skips leading white space, takes an optional sign and an optional "0x" prefix, then
// one or more hexadecimal digits. The value wraps modulo 2^32 as the digits accumulate, and a
// minus sign negates it modulo 2^32. On success advances `cursor` past the number.
bool scan_hex(const char** cursor, const char* end, uint32_t* value);

// "%d": skips leading white space, takes an optional sign, then one or more decimal digits.
// Values beyond the int range are held at its nearest end.
bool scan_decimal(const char** cursor, const char* end, int* value);

// A whole write-position field as the dialog reads it: "%X" on the text; false when the text
// does not start with a hexadecimal number.
bool parse_hex_field(const std::string& text, uint32_t* value);

// The address field: "BANK:OFFSET" as the program prints addresses (D6:8000, after leading
// blanks; one or two bank digits, one to four offset digits) is bank << 16 | offset; anything
// else is read as parse_hex_field reads it.
bool parse_address_field(const std::string& text, uint32_t* value);

}  // namespace vcv
