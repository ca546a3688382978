// Arbitrary bytes as a PNG file. The chunk checksums are put right first, so that mutated
// headers, palettes and image data reach the decoder instead of stopping at a CRC mismatch.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_target.h"
#include "image/picture_read.h"
#include "picture_checks.h"

namespace {

uint32_t crc32(const uint8_t* bytes, size_t size) {
  static uint32_t table[256];
  if (table[1] == 0) {
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[n] = c;
    }
  }
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) c = table[(c ^ bytes[i]) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

void fix_chunk_checksums(uint8_t* bytes, size_t size) {
  size_t at = 8;
  while (at <= size && size - at >= 12) {
    const size_t length = (static_cast<size_t>(bytes[at]) << 24) | (bytes[at + 1] << 16) |
                          (bytes[at + 2] << 8) | bytes[at + 3];
    if (length > size - at - 12) return;
    const uint32_t crc = crc32(bytes + at + 4, length + 4);
    for (int i = 0; i < 4; ++i) {
      bytes[at + 8 + length + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
    }
    at += length + 12;
  }
}

}  // namespace

VCV_FUZZ_TARGET(fuzz_png_read) {
  const vcv::fuzz::ExactCopy input(data, size);
  fix_chunk_checksums(input.bytes.get(), size);
  vcv::Picture picture;
  std::string error;
  const bool read = vcv::read_png_picture(input.bytes.get(), size, &picture, &error);
  vcv::fuzz::check_read(read, picture, error);
  return 0;
}
