#include "rom/rom_file.h"

#include <cstring>

#include "platform/portability.h"

namespace vcv {

RomFile::~RomFile() { close(); }

int RomFile::open(const char* path, int mapping, int base) {
  mapping_ = mapping;
  base_ = base;
  if (path == nullptr || std::strlen(path) >= kPathCapacity) {
    // Refused: clearing the path keeps a later reopen from reaching a different file.
    path_[0] = '\0';
    return 0;
  }
  std::strcpy(path_, path);
  open_read();
  return is_open() ? 1 : 0;
}

void RomFile::open_read() {
  if (stream_ != nullptr || path_[0] == '\0') return;
  stream_ = fopen_utf8(path_, "rb");
  for_update_ = false;
}

void RomFile::open_update() {
  if (stream_ != nullptr || path_[0] == '\0') return;
  stream_ = fopen_utf8(path_, "rb+");
  for_update_ = stream_ != nullptr;
}

void RomFile::close() {
  if (stream_ != nullptr) std::fclose(stream_);
  stream_ = nullptr;
  for_update_ = false;
}

int32_t RomFile::file_offset(int bank, int offset) const {
  int32_t b = bank & 0xFF;
  int32_t o = offset & 0xFFFF;
  if (mapping_ == kMappingLoRom) {
    if (b >= 0x80) b -= 0x80;
    return b * 0x8000 + base_ + o - 0x8000;
  }
  if (mapping_ == kMappingHiRom) {
    if (b >= 0xC0) b -= 0xC0;
    return b * 0x10000 + base_ + o;
  }
  return 0;
}

bool RomFile::seek_mapped(int bank, int offset) {
  const int32_t position = file_offset(bank, offset);
  if (position < 0) return false;
  return seek_from_start(stream_, position) == 0;
}

void RomFile::read_block(int bank, int offset, int count, uint8_t* destination) {
  if (stream_ == nullptr || count <= 0 || destination == nullptr) return;
  if (!seek_mapped(bank, offset)) return;
  (void)std::fread(destination, 1, static_cast<size_t>(count), stream_);
}

int RomFile::read_byte(int bank, int offset) {
  if (stream_ == nullptr) return 0;
  if (!seek_mapped(bank, offset)) return 0xFF;
  return std::fgetc(stream_) & 0xFF;  // end of file (-1) reads as 0xFF
}

int RomFile::read_word(int bank, int offset) {
  if (stream_ == nullptr) return 0;
  if (!seek_mapped(bank, offset)) return 0xFFFF;
  const int low = std::fgetc(stream_) & 0xFF;
  const int high = std::fgetc(stream_) & 0xFF;
  return low | (high << 8);
}

int RomFile::write_block(int bank, int offset, int count, const uint8_t* source) {
  if (!is_open_for_update() || count <= 0 || source == nullptr) return 0;
  if (!seek_mapped(bank, offset)) return 0;
  const size_t written = std::fwrite(source, 1, static_cast<size_t>(count), stream_);
  std::fflush(stream_);
  return static_cast<int>(written);
}

int RomFile::write_word(int bank, int offset, int value) {
  const uint8_t bytes[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
  return write_block(bank, offset, 2, bytes);
}

int RomFile::write_long(int bank, int offset, int value) {
  const uint8_t bytes[3] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                            static_cast<uint8_t>(value >> 16)};
  return write_block(bank, offset, 3, bytes);
}

int RomFile::write_at(long long file_position, int count, const uint8_t* source) {
  if (!is_open_for_update() || count <= 0 || source == nullptr || file_position < 0) return 0;
  if (seek_from_start(stream_, file_position) != 0) return 0;
  const size_t written = std::fwrite(source, 1, static_cast<size_t>(count), stream_);
  std::fflush(stream_);
  return static_cast<int>(written);
}

int RomFile::read_at(long long file_position, int count, uint8_t* destination) {
  if (stream_ == nullptr || count <= 0 || destination == nullptr || file_position < 0) return 0;
  if (seek_from_start(stream_, file_position) != 0) return 0;
  return static_cast<int>(std::fread(destination, 1, static_cast<size_t>(count), stream_));
}

long long RomFile::file_size() {
  if (stream_ == nullptr) return -1;
  if (std::fseek(stream_, 0, SEEK_END) != 0) return -1;
  return tell_position(stream_);
}

}  // namespace vcv
