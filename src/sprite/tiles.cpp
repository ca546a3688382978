#include "sprite/tiles.h"

#include <cstring>

namespace vcv {

namespace {

int tile_pixel(const uint8_t* tile, int row, int column) {
  const int bit = 7 - column;
  return ((tile[2 * row] >> bit) & 1) | (((tile[2 * row + 1] >> bit) & 1) << 1) |
         (((tile[16 + 2 * row] >> bit) & 1) << 2) | (((tile[16 + 2 * row + 1] >> bit) & 1) << 3);
}

// 5-bit level to 8 bits: the integer part of v * 255 / 31.
int expand_level(int v) { return v * 255 / 31; }

// 8-bit level to the nearest 5-bit value, the greater one at an exact half.
int reduce_level(int u) { return (u * 62 + 255) / 510; }

}  // namespace

void draw_tile(const uint8_t* tile_data, int tile_number, uint8_t* destination, int width,
               int height, int x, int y, int flip) {
  if (destination == nullptr || tile_data == nullptr || width <= 0 || height <= 0) return;
  const uint8_t* tile = tile_data + static_cast<long>(tile_number) * kTileBytes;
  const long limit = static_cast<long>(width) * height;
  for (int i = 0; i < 8; ++i) {
    const int row = y + ((flip & kFlipY) ? 7 - i : i);
    for (int j = 0; j < 8; ++j) {
      const int value = tile_pixel(tile, i, j);
      if (value == 0) continue;
      const int column = x + ((flip & kFlipX) ? 7 - j : j);
      const long position = static_cast<long>(row) * width + column;
      if (position >= 0 && position < limit) destination[position] = static_cast<uint8_t>(value);
    }
  }
}

void encode_tile(uint8_t* tile, const uint8_t* source, int row_length, int x, int y, int flip) {
  std::memset(tile, 0, kTileBytes);
  for (int i = 0; i < 8; ++i) {
    const int row = (flip & kFlipY) ? 7 - i : i;
    for (int j = 0; j < 8; ++j) {
      const int value = source[static_cast<long>(y + i) * row_length + x + j] & 0x0F;
      const int column = (flip & kFlipX) ? 7 - j : j;
      const uint8_t mask = static_cast<uint8_t>(0x80 >> column);
      if (value & 1) tile[2 * row] |= mask;
      if (value & 2) tile[2 * row + 1] |= mask;
      if (value & 4) tile[16 + 2 * row] |= mask;
      if (value & 8) tile[16 + 2 * row + 1] |= mask;
    }
  }
}

uint32_t palette_colour_to_display(uint16_t colour) {
  const uint32_t red = static_cast<uint32_t>(expand_level(colour & 0x1F));
  const uint32_t green = static_cast<uint32_t>(expand_level((colour >> 5) & 0x1F));
  const uint32_t blue = static_cast<uint32_t>(expand_level((colour >> 10) & 0x1F));
  return red | (green << 8) | (blue << 16);
}

uint16_t display_colour_to_palette(uint32_t colour) {
  const int red = reduce_level(colour & 0xFF);
  const int green = reduce_level((colour >> 8) & 0xFF);
  const int blue = reduce_level((colour >> 16) & 0xFF);
  return static_cast<uint16_t>(red | (green << 5) | (blue << 10));
}

void palette_to_display(const uint16_t* palette, uint32_t* destination, int start, int count) {
  for (int i = 0; i < count; ++i) destination[start + i] = palette_colour_to_display(palette[start + i]);
}

void display_to_palette(const uint32_t* display, uint16_t* palette, int count) {
  for (int i = 0; i < count; ++i) palette[i] = display_colour_to_palette(display[i]);
}

}  // namespace vcv
