// UTF-8 inside the program, UTF-16 at the Windows boundary (file names, window texts, command
// lines): the one conversion each way. Malformed input never stops a conversion: a bad UTF-8
// sequence or a lone surrogate becomes U+FFFD, so a damaged name fails to open rather than
// opening some other file.
#pragma once

#include <cstddef>
#include <string>

namespace vcv {

// The length (1 to 4) of the well-formed UTF-8 sequence at the start of `text` (`size` bytes),
// with its code point in `code`; 0 when it is not one: a stray continuation byte, a cut or
// overlong sequence, a surrogate, or a code above U+10FFFF.
size_t utf8_sequence_length(const char* text, size_t size, char32_t* code);

// Appends the UTF-8 form of a code point (at most U+10FFFF, not a surrogate).
void append_utf8(char32_t code, std::string* out);

std::u16string utf8_to_utf16(const std::string& text);
std::string utf16_to_utf8(const std::u16string& text);

// The same for wchar_t text (UTF-16 on Windows, UTF-32 elsewhere).
std::wstring utf8_to_wide(const std::string& text);
std::string wide_to_utf8(const std::wstring& text);

}  // namespace vcv
