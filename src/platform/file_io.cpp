#include "platform/file_io.h"

#include <cstdio>

#include "platform/portability.h"

namespace vcv {

bool read_whole_file(const std::string& path, std::vector<uint8_t>* bytes) {
  std::FILE* file = fopen_utf8(path.c_str(), "rb");
  if (file == nullptr) return false;
  bytes->clear();
  uint8_t buffer[65536];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    bytes->insert(bytes->end(), buffer, buffer + got);
  }
  const bool ok = std::ferror(file) == 0;
  std::fclose(file);
  return ok;
}

bool write_whole_file(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* file = fopen_utf8(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

}  // namespace vcv
