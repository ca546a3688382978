// A ROM image in memory: the bytes of the file, read and written at SNES addresses (a bank byte
// and a 16-bit offset) through the cartridge mapping. Every module reads the ROM through one of
// these; writes change only the image, never a file (rom_file.h puts a changed image on disk).
//
// Reads never fail: byte and word reads past the end of the image give 0xFF, and a block read
// stores only the bytes that exist, leaving the rest of its destination as it was (what reading
// past the end of the file always did). Writes are all or nothing: a write that would not lie
// wholly inside the image changes nothing and reports false. The image never grows.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace vcv {

enum RomMapping : int {
  kMappingLoRom = 0,  // 32 KiB banks, the ROM half of each bank is 0x8000..0xFFFF
  kMappingHiRom = 1,  // 64 KiB banks
};

class RomImage {
 public:
  RomImage() = default;
  RomImage(std::vector<uint8_t> bytes, int mapping, int base)
      : bytes_(std::move(bytes)), mapping_(mapping), base_(base) {}

  // File offset of a SNES address; only the low 8 bits of bank and 16 bits of offset count.
  // Mapping 0 (LoROM): (bank & 0x7F) * 0x8000 + base + offset - 0x8000; mapping 1 (HiROM):
  // (bank - 0xC0 when >= 0xC0) * 0x10000 + base + offset; any other mapping gives 0.
  int32_t file_offset(int bank, int offset) const;

  void read_block(int bank, int offset, int count, uint8_t* destination) const;
  int read_byte(int bank, int offset) const;
  int read_word(int bank, int offset) const;
  // Bytes at a file position; returns how many were stored (0 for a negative position).
  int read_at(long long position, int count, uint8_t* destination) const;

  bool write_block(int bank, int offset, int count, const uint8_t* source);
  bool write_word(int bank, int offset, int value);  // low 16 bits, low byte first
  bool write_long(int bank, int offset, int value);  // low 24 bits, lowest byte first
  bool write_at(long long position, int count, const uint8_t* source);

  // True when `count` bytes from `position` lie wholly inside the image.
  bool contains(long long position, long long count) const;

  long long size() const { return static_cast<long long>(bytes_.size()); }
  const std::vector<uint8_t>& bytes() const { return bytes_; }
  int mapping() const { return mapping_; }
  int base() const { return base_; }
  void set_base(int base) { base_ = base; }

 private:
  std::vector<uint8_t> bytes_;
  int mapping_ = kMappingHiRom;
  int base_ = 0;
};

}  // namespace vcv
