// Text crosses the Win32 boundary as UTF-16; inside the program it is UTF-8.
#pragma once

#include <string>

namespace vcv {

std::wstring utf8_to_utf16(const std::string& text);
std::string utf16_to_utf8(const std::wstring& text);

}  // namespace vcv
