#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>
#include <vector>

#include "sprite/tiles.h"

namespace vcv {
namespace {

std::vector<uint8_t> one_tile(std::initializer_list<std::pair<int, uint8_t>> bytes) {
  std::vector<uint8_t> tile(kTileBytes, 0);
  for (auto [index, value] : bytes) tile[static_cast<size_t>(index)] = value;
  return tile;
}

TEST(DrawTile, PlanesFlipsAndTransparency) {
  std::vector<uint8_t> full(kTileBytes, 0xFF);
  std::vector<uint8_t> canvas(8 * 8, 0);
  draw_tile(full.data(), 0, canvas.data(), 8, 8, 0, 0, 0);
  for (uint8_t v : canvas) EXPECT_EQ(v, 15);

  // Byte 0 = 0x80: plane 0 of row 0, column 0.
  const auto corner = one_tile({{0, 0x80}});
  const struct {
    int flip, row, column;
  } cases[] = {{0, 0, 0}, {kFlipX, 0, 7}, {kFlipY, 7, 0}, {kFlipX | kFlipY, 7, 7}};
  for (const auto& c : cases) {
    std::vector<uint8_t> out(64, 0);
    draw_tile(corner.data(), 0, out.data(), 8, 8, 0, 0, c.flip);
    for (int r = 0; r < 8; ++r)
      for (int q = 0; q < 8; ++q)
        EXPECT_EQ(out[r * 8 + q], (r == c.row && q == c.column) ? 1 : 0) << "flip " << c.flip;
  }

  // Plane weights: plane1 -> 2, plane2 -> 4, plane3 -> 8, at row 3 column 2 (bit 5).
  const auto planes = one_tile({{6, 0x20}, {7, 0x20}, {22, 0x20}, {23, 0x00}});
  std::vector<uint8_t> out(64, 9);
  draw_tile(planes.data(), 0, out.data(), 8, 8, 0, 0, 0);
  EXPECT_EQ(out[3 * 8 + 2], 1 + 2 + 4);
  EXPECT_EQ(out[0], 9) << "value 0 must leave what lies below";
}

TEST(DrawTile, TileNumberAndBufferLimits) {
  std::vector<uint8_t> data(3 * kTileBytes, 0);
  std::memset(&data[2 * kTileBytes], 0xFF, kTileBytes);
  std::vector<uint8_t> canvas(16 * 12, 0);
  // Drawn at y = height - 4: the lower four rows fall beyond the buffer and are skipped.
  draw_tile(data.data(), 2, canvas.data(), 16, 12, 8, 8, 0);
  int drawn = 0;
  for (uint8_t v : canvas) drawn += v == 15;
  EXPECT_EQ(drawn, 32);
  draw_tile(data.data(), 2, nullptr, 16, 12, 0, 0, 0);  // no destination: nothing happens
  std::vector<uint8_t> zero(kTileBytes, 0), untouched(64, 5);
  draw_tile(zero.data(), 0, untouched.data(), 8, 8, 0, 0, 0);
  for (uint8_t v : untouched) EXPECT_EQ(v, 5);
}

TEST(EncodeTile, RoundTripsThroughDrawForEveryFlip) {
  std::mt19937 random(7);
  for (int flip : {0, kFlipX, kFlipY, kFlipX | kFlipY}) {
    for (int round = 0; round < 20; ++round) {
      std::array<uint8_t, kTileBytes> tile{};
      for (auto& b : tile) b = static_cast<uint8_t>(random());
      std::vector<uint8_t> pixels(24 * 16, 0);
      draw_tile(tile.data(), 0, pixels.data(), 24, 16, 8, 4, flip);
      std::array<uint8_t, kTileBytes> back{};
      encode_tile(back.data(), pixels.data(), 24, 8, 4, flip);
      EXPECT_EQ(back, tile) << "flip " << flip;
    }
  }
  // Only the low four bits of a pixel count.
  std::vector<uint8_t> pixels(64, 0x1F);
  std::array<uint8_t, kTileBytes> tile{};
  encode_tile(tile.data(), pixels.data(), 8, 0, 0, 0);
  for (uint8_t b : tile) EXPECT_EQ(b, 0xFF);
}

TEST(PaletteConversion, ExpansionLevelsAndExactReduction) {
  const int levels[32] = {0,   8,   16,  24,  32,  41,  49,  57,  65,  74,  82,
                          90,  98,  106, 115, 123, 131, 139, 148, 156, 164, 172,
                          180, 189, 197, 205, 213, 222, 230, 238, 246, 255};
  for (int v = 0; v < 32; ++v) {
    EXPECT_EQ(palette_colour_to_display(static_cast<uint16_t>(v)), static_cast<uint32_t>(levels[v]));
  }
  EXPECT_EQ(palette_colour_to_display(0x7FFF), 0xFFFFFFu & 0x00FFFFFF);
  EXPECT_EQ(palette_colour_to_display(0x001F), 0x0000FFu);
  EXPECT_EQ(palette_colour_to_display(0x7C00), 0xFF0000u);
  EXPECT_EQ(palette_colour_to_display(0x8000), 0u);
  EXPECT_EQ(display_colour_to_palette(0xFFFFFF), 0x7FFF);
  EXPECT_EQ(display_colour_to_palette(0x080808), 0x0421);
  EXPECT_EQ(display_colour_to_palette(0x040404), 0);
  EXPECT_EQ(display_colour_to_palette(100), 12);  // a chosen red of 100 is stored as 12
  for (int colour = 0; colour < 0x8000; ++colour) {
    ASSERT_EQ(display_colour_to_palette(palette_colour_to_display(static_cast<uint16_t>(colour))),
              colour);
  }
  uint16_t palette[16];
  for (int i = 0; i < 16; ++i) palette[i] = static_cast<uint16_t>(i * 0x0421);
  uint32_t display[16] = {};
  palette_to_display(palette, display, 0, 16);
  uint16_t back[16] = {};
  display_to_palette(display, back, 16);
  EXPECT_EQ(0, std::memcmp(back, palette, sizeof palette));
}

}  // namespace
}  // namespace vcv
