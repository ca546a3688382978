// The ROM image file: SNES addresses (bank byte + 16-bit offset) mapped to file offsets, and the
// read and write primitives every other module goes through.
//
// Between operations the file is open read-only; a write command closes it, reopens it for
// update, writes, closes it and reopens it read-only. None of the primitives reports an error
// except `open`: byte and word reads past the end of the file give 0xFF fill, a block read stores
// only the bytes that exist and leaves the rest of its destination as it was, reads with no file
// open give 0 (or leave the destination untouched), and writes without a stream opened for
// update change nothing and report 0 bytes.
#pragma once

#include <cstdint>
#include <cstdio>

namespace vcv {

enum RomMapping : int {
  kMappingLoRom = 0,  // 32 KiB banks, the ROM half of each bank is 0x8000..0xFFFF
  kMappingHiRom = 1,  // 64 KiB banks
};

class RomFile {
 public:
  static constexpr int kPathCapacity = 256;  // path bytes including the terminating NUL

  RomFile() = default;
  ~RomFile();
  RomFile(const RomFile&) = delete;
  RomFile& operator=(const RomFile&) = delete;

  // Stores mapping, base and path, then opens the file read-only. Returns 1 when a stream is open
  // afterwards. A path of 256 bytes or more is refused (0, nothing opened, path cleared).
  int open(const char* path, int mapping, int base);
  void open_read();    // "rb", only when no stream is open
  void open_update();  // "rb+", only when no stream is open
  void close();

  bool is_open() const { return stream_ != nullptr; }
  bool is_open_for_update() const { return stream_ != nullptr && for_update_; }
  const char* path() const { return path_; }
  int base() const { return base_; }
  int mapping() const { return mapping_; }

  // File offset of a SNES address; only the low 8 bits of bank and 16 bits of offset count.
  int32_t file_offset(int bank, int offset) const;

  void read_block(int bank, int offset, int count, uint8_t* destination);
  int read_byte(int bank, int offset);
  int read_word(int bank, int offset);

  int write_block(int bank, int offset, int count, const uint8_t* source);
  int write_word(int bank, int offset, int value);
  int write_long(int bank, int offset, int value);

  // Raw access by file position, for writes to a typed file offset and for read-back checks.
  // A negative position transfers nothing. Returns the number of bytes transferred.
  int write_at(long long file_position, int count, const uint8_t* source);
  int read_at(long long file_position, int count, uint8_t* destination);

  // Size of the open file in bytes, or -1 when no file is open.
  long long file_size();

 private:
  bool seek_mapped(int bank, int offset);

  char path_[kPathCapacity] = {};
  std::FILE* stream_ = nullptr;
  int base_ = 0;
  int mapping_ = kMappingLoRom;
  bool for_update_ = false;
};

}  // namespace vcv
