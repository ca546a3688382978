// Arbitrary bytes as a PNG file. The chunk checksums are put right first, so that mutated
// headers, palettes and image data reach the decoder instead of stopping at a CRC mismatch.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_target.h"
#include "image/picture_read.h"
#include "lodepng/lodepng.h"
#include "picture_checks.h"

namespace {

void fix_chunk_checksums(uint8_t* bytes, size_t size) {
  size_t at = 8;
  while (at <= size && size - at >= 12) {
    const size_t length = (static_cast<size_t>(bytes[at]) << 24) | (bytes[at + 1] << 16) |
                          (bytes[at + 2] << 8) | bytes[at + 3];
    if (length > size - at - 12) return;
    lodepng_chunk_generate_crc(bytes + at);
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
