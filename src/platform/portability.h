// The one place for compiler- and platform-specific spellings used by the portable core.
#pragma once

#include <cstdio>
#ifdef _WIN32
#include <string>
#endif

#if defined(__GNUC__) || defined(__clang__)
#define VCV_PRINTF_FORMAT(format_index, first_arg) \
  __attribute__((format(printf, format_index, first_arg)))
#define VCV_LIKELY(x) __builtin_expect(!!(x), 1)
#else
#define VCV_PRINTF_FORMAT(format_index, first_arg)
#define VCV_LIKELY(x) (x)
#endif

namespace vcv {

// Opens a file whose name is UTF-8 text. On Windows the name goes through the wide-character
// API so that folders with non-ASCII names work whatever the system code page is.
std::FILE* fopen_utf8(const char* path, const char* mode);

#ifdef _WIN32
// UTF-8 to UTF-16 for the wide-character API; malformed sequences become U+FFFD.
std::wstring utf8_to_wide(const char* text);
#endif

// 64-bit seek from the start of the file; returns 0 on success.
int seek_from_start(std::FILE* stream, long long offset);

// Current position of the stream in bytes, 64-bit.
long long tell_position(std::FILE* stream);

}  // namespace vcv
