// Whole-file reads and writes for the ROM, the command-line tool and the picture files. Paths are
// UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace vcv {

// Reads the ordinary file at `path` whole. Refused, with the reason in *error, when nothing is
// there, when it is no regular file (a folder, /dev/null, a device, a pipe: never opened in a way
// that could wait) or when it holds more than `max_bytes`. Reads at most the size it found, so
// a file that grows meanwhile cannot keep it reading.
bool read_regular_file(const std::string& path, uint64_t max_bytes, std::vector<uint8_t>* bytes,
                       std::string* error, FileSystem& fs = native_file_system());

// Writes `bytes` as the file at `path` so that the path holds either what it held or all of the
// new bytes: a temporary file beside it, flushed, renamed over it (an existing file's
// permissions are kept). Something other than a regular file at `path` (a device, a folder) is
// refused and left alone. On failure only the temporary file is removed; nothing the call did
// not create is ever removed.
// The same for the name `target` itself: a link there is replaced by the file, never written
// through (write_file_atomically gives it the link's final target).
bool replace_regular_file(const std::string& target, const std::vector<uint8_t>& bytes,
                          std::string* error, FileSystem& fs = native_file_system());

bool write_file_atomically(const std::string& path, const std::vector<uint8_t>& bytes,
                           std::string* error, FileSystem& fs = native_file_system());

}  // namespace vcv
