#include "image/dib_build.h"

#include <cstring>

namespace vcv {

namespace {

constexpr int kMaxColours = 256;
constexpr int kBitsPerPixel = 8;
constexpr int kLargestSide = 1 << 15;  // keeps the block size far from overflowing

void put_u16(uint8_t* at, uint32_t value) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
}

void put_u32(uint8_t* at, uint32_t value) {
  put_u16(at, value & 0xFFFF);
  put_u16(at + 2, value >> 16);
}

}  // namespace

int dib_row_stride(int width) { return (width + 3) & ~3; }

std::vector<uint8_t> build_dib(const uint8_t* pixels, int width, int height, int colour_count,
                               const uint32_t* colours) {
  if (pixels == nullptr || width <= 0 || height <= 0 || width > kLargestSide ||
      height > kLargestSide || colour_count < 0 || colour_count > kMaxColours ||
      (colour_count > 0 && colours == nullptr)) {
    return {};
  }
  const int stride = dib_row_stride(width);
  const size_t table = static_cast<size_t>(colour_count) * kDibColourEntrySize;
  std::vector<uint8_t> block(kDibHeaderSize + table + static_cast<size_t>(stride) * height, 0);
  uint8_t* header = block.data();
  put_u32(header + 0, kDibHeaderSize);
  put_u32(header + 4, static_cast<uint32_t>(width));
  put_u32(header + 8, static_cast<uint32_t>(height));  // positive: rows bottom-up
  put_u16(header + 12, 1);
  put_u16(header + 14, kBitsPerPixel);
  put_u32(header + 32, static_cast<uint32_t>(colour_count));
  uint8_t* entry = header + kDibHeaderSize;
  for (int i = 0; i < colour_count; ++i, entry += kDibColourEntrySize) {
    entry[0] = static_cast<uint8_t>(colours[i] >> 16);  // blue
    entry[1] = static_cast<uint8_t>(colours[i] >> 8);   // green
    entry[2] = static_cast<uint8_t>(colours[i]);        // red
  }
  uint8_t* rows = header + kDibHeaderSize + table;
  for (int y = 0; y < height; ++y) {
    std::memcpy(rows + static_cast<size_t>(height - 1 - y) * stride,
                pixels + static_cast<size_t>(y) * width, static_cast<size_t>(width));
  }
  return block;
}

}  // namespace vcv
