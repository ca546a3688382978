#include "rom/rom_image.h"

#include <algorithm>
#include <cstring>

namespace vcv {

namespace {

constexpr uint8_t kPastEndFill = 0xFF;  // what a byte read past the end gives

}  // namespace

int32_t RomImage::file_offset(int bank, int offset) const {
  int32_t b = bank & 0xFF;
  const int32_t o = offset & 0xFFFF;
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

bool RomImage::contains(long long position, long long count) const {
  return position >= 0 && count >= 0 && position <= size() && count <= size() - position;
}

int RomImage::read_at(long long position, int count, uint8_t* destination) const {
  if (destination == nullptr || count <= 0 || position < 0 || position >= size()) return 0;
  const int stored = static_cast<int>(std::min<long long>(count, size() - position));
  std::memcpy(destination, bytes_.data() + position, static_cast<size_t>(stored));
  return stored;
}

void RomImage::read_block(int bank, int offset, int count, uint8_t* destination) const {
  read_at(file_offset(bank, offset), count, destination);
}

int RomImage::read_byte(int bank, int offset) const {
  uint8_t value = kPastEndFill;
  read_at(file_offset(bank, offset), 1, &value);
  return value;
}

int RomImage::read_word(int bank, int offset) const {
  uint8_t bytes[2] = {kPastEndFill, kPastEndFill};
  read_at(file_offset(bank, offset), 2, bytes);
  return bytes[0] | (bytes[1] << 8);
}

bool RomImage::write_at(long long position, int count, const uint8_t* source) {
  if (source == nullptr || count <= 0 || !contains(position, count)) return false;
  std::memcpy(bytes_.data() + position, source, static_cast<size_t>(count));
  return true;
}

bool RomImage::write_block(int bank, int offset, int count, const uint8_t* source) {
  return write_at(file_offset(bank, offset), count, source);
}

bool RomImage::write_word(int bank, int offset, int value) {
  const uint8_t bytes[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
  return write_block(bank, offset, 2, bytes);
}

bool RomImage::write_long(int bank, int offset, int value) {
  const uint8_t bytes[3] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                            static_cast<uint8_t>(value >> 16)};
  return write_block(bank, offset, 3, bytes);
}

}  // namespace vcv
