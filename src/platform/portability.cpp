#include "platform/portability.h"

#include <string>

#include "platform/text_encoding.h"

#ifdef _WIN32
#include <wchar.h>
#endif

namespace vcv {

#ifdef _WIN32
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
