// UTF-8 inside the program, UTF-16 at the Windows boundary (file names, window texts, command
// lines): the one conversion each way. Malformed input never stops a conversion: a bad UTF-8
// sequence or a lone surrogate becomes U+FFFD, so a damaged name fails to open rather than
// opening some other file.
#pragma once

#include <string>

namespace vcv {

std::u16string utf8_to_utf16(const std::string& text);
std::string utf16_to_utf8(const std::u16string& text);

// The same for wchar_t text (UTF-16 on Windows, UTF-32 elsewhere).
std::wstring utf8_to_wide(const std::string& text);
std::string wide_to_utf8(const std::wstring& text);

}  // namespace vcv
