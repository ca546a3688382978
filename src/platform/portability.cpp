#include "platform/portability.h"

#include <string>

#ifdef _WIN32
#include <wchar.h>
#endif

namespace vcv {

#ifdef _WIN32
// Decodes UTF-8 into UTF-16; malformed sequences become U+FFFD so a bad name fails to open
// instead of opening some other file.
std::wstring utf8_to_wide(const char* text) {
  std::wstring out;
  const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
  while (*s) {
    unsigned c = *s;
    unsigned code = 0xFFFD;
    int extra = 0;
    if (c < 0x80) { code = c; }
    else if ((c & 0xE0) == 0xC0) { code = c & 0x1F; extra = 1; }
    else if ((c & 0xF0) == 0xE0) { code = c & 0x0F; extra = 2; }
    else if ((c & 0xF8) == 0xF0) { code = c & 0x07; extra = 3; }
    ++s;
    for (int i = 0; i < extra; ++i) {
      if ((*s & 0xC0) != 0x80) { code = 0xFFFD; break; }
      code = (code << 6) | (*s & 0x3F);
      ++s;
    }
    if (code >= 0x10000) {
      code -= 0x10000;
      out.push_back(static_cast<wchar_t>(0xD800 + (code >> 10)));
      out.push_back(static_cast<wchar_t>(0xDC00 + (code & 0x3FF)));
    } else {
      out.push_back(static_cast<wchar_t>(code));
    }
  }
  return out;
}

std::FILE* fopen_utf8(const char* path, const char* mode) {
  return _wfopen(utf8_to_wide(path).c_str(), utf8_to_wide(mode).c_str());
}

int seek_from_start(std::FILE* stream, long long offset) {
  return _fseeki64(stream, offset, SEEK_SET);
}

long long tell_position(std::FILE* stream) { return _ftelli64(stream); }
#else
std::FILE* fopen_utf8(const char* path, const char* mode) { return std::fopen(path, mode); }

int seek_from_start(std::FILE* stream, long long offset) {
  return fseeko(stream, static_cast<off_t>(offset), SEEK_SET);
}

long long tell_position(std::FILE* stream) { return static_cast<long long>(ftello(stream)); }
#endif

}  // namespace vcv
