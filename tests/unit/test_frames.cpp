#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "sprite/frames.h"
#include "sprite/tiles.h"
#include "sprite_test_rom.h"

namespace vcv {
namespace {

TEST(SignedBytes, ConversionBothWaysWithClamping) {
  EXPECT_EQ(byte_to_signed(0x00), 0);
  EXPECT_EQ(byte_to_signed(0x7F), 127);
  EXPECT_EQ(byte_to_signed(0x80), -128);
  EXPECT_EQ(byte_to_signed(0xF8), -8);
  EXPECT_EQ(byte_to_signed(0xFF), -1);
  EXPECT_EQ(signed_to_byte(-128), 128);
  EXPECT_EQ(signed_to_byte(200), 127);
  EXPECT_EQ(signed_to_byte(-500), 128);
  EXPECT_EQ(signed_to_byte(-8), 0xF8);
  for (int b = 0; b < 256; ++b) EXPECT_EQ(signed_to_byte(byte_to_signed(b)), b);
}

TEST(TileEntryLayout, GridWordIndicesOfEachSizeType) {
  // Size type 0: one row of 4 blocks in a grid 8 words wide.
  EXPECT_EQ(tile_entry_word_index(0, 0, 0), 0);
  EXPECT_EQ(tile_entry_word_index(0, 3, 1), 7);
  EXPECT_EQ(tile_entry_word_index(0, 3, 3), 15);
  // Size type 2: three rows of 4 blocks.
  EXPECT_EQ(tile_entry_word_index(2, 4, 0), 16);
  EXPECT_EQ(tile_entry_word_index(2, 11, 3), 47);
  // Size type 3: block 9 is the second block of the second row.
  EXPECT_EQ(tile_entry_word_index(3, 9, 0), 34);
  EXPECT_EQ(tile_entry_word_index(3, 9, 3), 51);
  EXPECT_EQ(tile_entry_word_index(1, 7, 2), 30);
}

// A working set with distinct solid tiles: tile t has every pixel t % 16 (tile 0 is empty).
std::unique_ptr<SpriteWorkingSet> tiled_set(int size_type) {
  auto set = std::make_unique<SpriteWorkingSet>();
  set->size_type = size_type;
  for (int t = 0; t < 64; ++t) {
    const auto tile = testing_rom::solid_tile(t % 16);
    std::memcpy(set->tile_data + 32 * t, tile.data(), 32);
  }
  return set;
}

void put_word(uint8_t* at, int value) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
}

TEST(FramePacking, UnpackAndPackRoundTripKeepsTheUnusedBits) {
  auto set = tiled_set(3);
  for (int i = 0; i < 2 * 240; ++i) set->position_data[i] = static_cast<uint8_t>(i * 37 + 11);
  put_word(set->position_data + 240 + 2 * 34, 0x3805);  // frame 1, block 9, upper left
  std::vector<uint8_t> before(set->position_data, set->position_data + 2 * 240);
  ASSERT_EQ(unpack_all_frames(*set, 2), 2);
  const Frame& frame = set->frames[1];
  EXPECT_EQ(frame.block_count, 24);
  EXPECT_EQ(frame.tile[9][0], 0x3805);
  EXPECT_EQ(frame.tile_offset[9][0], 68);
  EXPECT_EQ(frame.tile_offset[9][3], 102);
  EXPECT_EQ(frame.x[0], before[240 + 192]);
  EXPECT_EQ(frame.y[23], before[240 + 239]);

  std::memset(set->position_data, 0, 2 * 240);
  EXPECT_EQ(pack_frame(*set, 0), 24);
  EXPECT_EQ(pack_frame(*set, 1), 24);
  EXPECT_EQ(std::vector<uint8_t>(set->position_data, set->position_data + 2 * 240), before);

  // An edit reaches only its own bytes.
  set->frames[1].tile[2][1] = 0xC005;
  set->frames[1].x[2] = 0x90;
  pack_frame(*set, 1);
  EXPECT_EQ(set->position_data[240 + 2 * tile_entry_word_index(3, 2, 1)], 0x05);
  EXPECT_EQ(set->position_data[240 + 2 * tile_entry_word_index(3, 2, 1) + 1], 0xC0);
  EXPECT_EQ(set->position_data[240 + 192 + 4], 0x90);
  EXPECT_EQ(pack_frame(*set, 2), 0) << "a frame that was never unpacked has nowhere to go";
}

// Frame 0 of size type 0 with every block at (x, y) and tile entries given per block.
void one_frame(SpriteWorkingSet& set, const int (&x)[4], const int (&y)[4], const int (&tile)[4]) {
  std::memset(set.position_data, 0, 40);
  for (int d = 0; d < 4; ++d) {
    set.position_data[32 + 2 * d] = static_cast<uint8_t>(x[d]);
    set.position_data[33 + 2 * d] = static_cast<uint8_t>(y[d]);
    for (int k = 0; k < 4; ++k)
      put_word(set.position_data + 2 * tile_entry_word_index(0, d, k), tile[d]);
  }
  unpack_all_frames(set, 1);
}

struct Canvas {
  std::vector<uint8_t> pixels = std::vector<uint8_t>(192 * 192, 0);
  uint32_t palette[16] = {};
  int at(int x, int y) const { return pixels[static_cast<size_t>(y) * 192 + x]; }
};

TEST(RenderFrame, PlacementAroundTheCentreAndClampingIntoTheCanvas) {
  auto set = tiled_set(0);
  set->palette[3] = 0x001F;
  // Block 0 at (-8, 0); block 1 at x +127 (223, clamped to 176); block 2 at x -128 (-32,
  // clamped to 0); block 3 at (+127, -128): the upper right corner, (176, 0).
  one_frame(*set, {0xF8, 0x7F, 0x80, 0x7F}, {0x00, 0x10, 0x10, 0x80}, {1, 2, 3, 4});
  Canvas c;
  render_frame(*set, 0, 192, 192, c.pixels.data(), c.palette);
  EXPECT_EQ(c.palette[3], 0x0000FFu) << "palette colour 0x001F is pure red";
  EXPECT_EQ(c.at(88, 96), 1);
  EXPECT_EQ(c.at(103, 111), 1);
  EXPECT_EQ(c.at(87, 96), 0);
  EXPECT_EQ(c.at(104, 96), 0);
  EXPECT_EQ(c.at(176, 112), 2);
  EXPECT_EQ(c.at(191, 127), 2);
  EXPECT_EQ(c.at(175, 112), 0);
  EXPECT_EQ(c.at(0, 112), 3);
  EXPECT_EQ(c.at(15, 112), 3);
  EXPECT_EQ(c.at(176, 0), 4);
}

TEST(RenderFrame, LowerBlocksCoverHigherOnesExceptWhereTransparent) {
  auto set = tiled_set(0);
  // Tile 20 (pixel value 4) with its left half cleared: transparent where block 0 is empty.
  uint8_t* half = set->tile_data + 32 * 20;
  for (int i = 0; i < 32; ++i) half[i] &= 0x0F;
  one_frame(*set, {0, 0, 0x40, 0x40}, {0, 0, 0x40, 0x40}, {20, 7, 0, 0});
  Canvas c;
  render_frame(*set, 0, 192, 192, c.pixels.data(), c.palette);
  EXPECT_EQ(c.at(96 + 5, 96), 4) << "block 0 lies on top";
  EXPECT_EQ(c.at(96 + 1, 96), 7) << "block 1 shows through block 0's empty pixels";
}

TEST(RenderFrame, FlipBitsMirrorAndUnusedBitsDoNot) {
  auto set = tiled_set(0);
  // Tile 5: one pixel (value 1) at row 0, column 0.
  std::memset(set->tile_data + 32 * 5, 0, 32);
  set->tile_data[32 * 5] = 0x80;
  one_frame(*set, {0, 0x20, 0x40, 0x40}, {0, 0, 0x40, 0x40}, {0xC005, 0x3805, 0, 0});
  Canvas c;
  render_frame(*set, 0, 192, 192, c.pixels.data(), c.palette);
  EXPECT_EQ(c.at(96 + 7, 96 + 7), 1) << "0xC005: mirrored both ways";
  EXPECT_EQ(c.at(96, 96), 0);
  EXPECT_EQ(c.at(128, 96), 1) << "0x3805: drawn as tile 5, unmirrored";
}

TEST(RenderFrame, FramesOutsideTheStoreDrawNothing) {
  auto set = tiled_set(0);
  one_frame(*set, {0, 0, 0, 0}, {0, 0, 0, 0}, {1, 1, 1, 1});
  set->frames[1] = set->frames[0];  // beyond the unpacked count: ignored all the same
  Canvas c;
  for (int image : {1, 255, 256, -1, 100000}) {
    render_frame(*set, image, 192, 192, c.pixels.data(), c.palette);
    for (uint8_t v : c.pixels) ASSERT_EQ(v, 0) << image;
  }
}

TEST(RenderBlock, DrawsOneBlockAtTheOriginAndFallsBackToBlockZero) {
  auto set = tiled_set(1);  // 8 blocks
  std::memset(set->position_data, 0, 80);
  for (int d = 0; d < 8; ++d)
    for (int k = 0; k < 4; ++k)
      put_word(set->position_data + 2 * tile_entry_word_index(1, d, k), d * 4 + k + 1);
  set->position_data[64] = 0x50;  // block 0 far from the centre: render_block ignores it
  unpack_all_frames(*set, 1);
  uint8_t picture[256];
  std::memset(picture, 0xEE, sizeof picture);
  render_block(*set, 0, 3, picture);
  EXPECT_EQ(picture[0], 13);
  EXPECT_EQ(picture[8], 14);
  EXPECT_EQ(picture[8 * 16], 15);
  EXPECT_EQ(picture[255], 16 % 16) << "tile 16 is empty: pixels stay 0";
  render_block(*set, 0, 8, picture);
  EXPECT_EQ(picture[0], 1) << "block 8 does not exist in size type 1: block 0";
  EXPECT_EQ(picture[15 * 16 + 15], 4);
  render_block(*set, 3, 0, picture);
  for (uint8_t v : picture) ASSERT_EQ(v, 0) << "an empty frame";
}

}  // namespace
}  // namespace vcv
