// A small synthetic HiROM image for the sprite tests: tables written by hand at their addresses,
// held in memory as the program holds an opened ROM.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "rom/rom_image.h"
#include "sprite/sprite_data.h"

namespace vcv::testing_rom {

class SyntheticRom {
 public:
  // Banks C0..E4: everything the tables name lives there.
  SyntheticRom() : bytes_(0x250000, 0) {}

  size_t at(int bank, int offset) const {
    return static_cast<size_t>(bank - 0xC0) * 0x10000 + static_cast<size_t>(offset);
  }
  void byte(int bank, int offset, int value) {
    bytes_.at(at(bank, offset)) = static_cast<uint8_t>(value);
  }
  void word(int bank, int offset, int value) {
    byte(bank, offset, value & 0xFF);
    byte(bank, offset + 1, (value >> 8) & 0xFF);
  }
  void long_pointer(int bank, int offset, int32_t address) {
    word(bank, offset, address & 0xFFFF);
    byte(bank, offset + 2, (address >> 16) & 0xFF);
  }
  void bytes(int bank, int offset, const std::vector<uint8_t>& data) {
    for (size_t i = 0; i < data.size(); ++i) byte(bank, offset + static_cast<int>(i), data[i]);
  }

  // Header record of entry e: graphics, position type, palette type, animation type, size type.
  void header(int entry, int assembly, int position_type, int palette_type, int animation_type,
              int size_type) {
    const int offset = entry < kCharacterCount ? kCharacterTable + 5 * entry
                                               : kEnemyTable + 10 * (entry - kCharacterCount);
    const int values[5] = {assembly, position_type, palette_type, animation_type, size_type};
    for (int i = 0; i < 5; ++i) byte(kTableBank, offset + i, values[i]);
  }
  void graphics_pointer(int assembly, int32_t address) {
    long_pointer(kTableBank, kGraphicsPointerTable + 3 * assembly, address);
  }
  void position_pointer(int position_type, int32_t address) {
    long_pointer(kTableBank, kPositionPointerTable + 3 * position_type, address);
  }
  // Animation type t of table 0 or 1 spans offsets [start, next) of bank E4.
  void animation_pointers(int table, int type, int start, int next) {
    word(kTableBank, kAnimationPointerTable[table] + 2 * type, start);
    word(kTableBank, kAnimationPointerTable[table] + 2 * type + 2, next);
  }

  std::vector<uint8_t>& data() { return bytes_; }

  // The image as the program holds an opened ROM.
  RomImage image() const { return RomImage(bytes_, kMappingHiRom, 0); }
  bool open(RomImage& rom) const {
    rom = image();
    return true;
  }

 private:
  std::vector<uint8_t> bytes_;
};

// Bytes of a 32-byte tile whose pixels are all `value` (0..15).
inline std::vector<uint8_t> solid_tile(int value) {
  std::vector<uint8_t> tile(32, 0);
  for (int r = 0; r < 8; ++r) {
    tile[2 * r] = (value & 1) ? 0xFF : 0;
    tile[2 * r + 1] = (value & 2) ? 0xFF : 0;
    tile[16 + 2 * r] = (value & 4) ? 0xFF : 0;
    tile[16 + 2 * r + 1] = (value & 8) ? 0xFF : 0;
  }
  return tile;
}

}  // namespace vcv::testing_rom
