// Whole-file reads and writes for the command-line tool and the image readers. Paths are UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vcv {

// False when the file cannot be opened or read; `bytes` then holds no meaningful content.
bool read_whole_file(const std::string& path, std::vector<uint8_t>* bytes);
// Creates or truncates the file; false when any byte could not be written.
bool write_whole_file(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace vcv
