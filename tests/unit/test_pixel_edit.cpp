// The pixel editor's model: strokes through flipped quadrants, gapless lines, fills that stay
// inside, a tile named twice, tiles turned as shown, and the usage line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "edit/pixel_edit.h"
#include "sprite/frames.h"
#include "sprite/tiles.h"

namespace vcv {
namespace {

using Bytes = std::vector<uint8_t>;
constexpr int kSize = 64 * kTileBytes;  // tiles 0 to 63

Frame frame_of(const std::vector<std::vector<uint16_t>>& blocks) {
  Frame frame;
  frame.block_count = static_cast<int>(blocks.size());
  for (size_t b = 0; b < blocks.size(); ++b) std::copy_n(blocks[b].begin(), 4, frame.tile[b]);
  return frame;
}

Bytes shown(const DrawTarget& target, const Bytes& data) {
  Bytes pixels(static_cast<size_t>(target.side() * target.side()));
  read_target(target, data.data(), kSize, pixels.data());
  return pixels;
}

// Index 7 (planes 0 to 2) at (9, 2): quadrant 1, tile 5, pixel (1, 2) as shown; the plane
// bytes that take its bit say where the stored tile holds it. The frame shows it there too.
TEST(PixelEdit, AStrokeThroughAFlippedQuadrantChangesTheTilePixelShownThere) {
  const struct { uint16_t flips; int row_byte; uint8_t bit; } cases[] = {
      {0, 4, 0x40}, {kEntryFlipX, 4, 0x02}, {kEntryFlipY, 10, 0x40},
      {kEntryFlipX | kEntryFlipY, 10, 0x02}};
  for (const auto& c : cases) {
    Bytes data(kSize, 0), expected(kSize, 0);
    const Frame frame = frame_of({{3, static_cast<uint16_t>(5 | c.flips | 0x2800), 7, 8}});
    const DrawTarget target = block_target(frame, 0);
    ASSERT_TRUE(set_target_pixel(target, 9, 2, 7, data.data(), kSize));
    for (int plane : {0, 1, 16}) expected[5 * kTileBytes + c.row_byte + plane] = c.bit;
    EXPECT_EQ(data, expected) << c.flips;
    auto set = std::make_unique<SpriteWorkingSet>();  // the frame shows what the editor shows
    std::copy(data.begin(), data.end(), set->tile_data);
    set->frames[0] = frame;
    set->frame_store_count = 1;
    Bytes block(256);
    render_block(*set, 0, 0, block.data());
    EXPECT_TRUE(block == shown(target, data) && block[2 * 16 + 9] == 7) << c.flips;
  }
}

TEST(PixelEdit, LinesHaveNoGapsAtAnySpeed) {
  const PixelPoint ends[][2] = {{{5, 2}, {0, 0}}, {{3, 3}, {3, 3}}, {{2, -40}, {4, 40}},
                                {{-32768, 0}, {70000, 1}}};
  for (const auto& e : ends) {  // both ends, one step at a time, max(|dx|, |dy|) + 1 points
    const std::vector<PixelPoint> p = line_points(e[0], e[1]);
    const PixelPoint to{std::min(e[1].x, 32767), e[1].y};
    EXPECT_TRUE(p.front() == e[0] && p.back() == to);
    EXPECT_EQ(p.size(), size_t(std::max(std::abs(to.x - e[0].x), std::abs(to.y - e[0].y)) + 1));
    for (size_t i = 1; i < p.size(); ++i) {
      ASSERT_TRUE(std::abs(p[i].x - p[i - 1].x) <= 1 && std::abs(p[i].y - p[i - 1].y) <= 1);
    }
  }
  // One mouse move from far outside the block to far beyond it draws the whole diagonal.
  Bytes data(kSize, 0);
  const DrawTarget target = block_target(frame_of({{1, 2, 3, 4}}), 0);
  EXPECT_TRUE(draw_target_line(target, {-30, -30}, {40, 40}, 9, data.data(), kSize));
  const Bytes pixels = shown(target, data);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(pixels[i], i % 17 == 0 ? 9 : 0) << i;
}

// A wall of index 2 down column 5 of a block of tiles 1 to 4: the fill never crosses it, never
// leaves the target's tiles, and leaves a quadrant naming tile 0 alone.
TEST(PixelEdit, AFillStaysInsideItsTileOrBlock) {
  Bytes walled(kSize, 0);
  const DrawTarget block = block_target(frame_of({{1, 2, 3, 4}}), 0);
  draw_target_line(block, {5, 0}, {5, 15}, 2, walled.data(), kSize);
  const struct { DrawTarget target; PixelPoint start; long filled; std::vector<int> tiles; } cases[] = {
      {block, {0, 7}, 5 * 16, {1, 3}},
      {block, {15, 0}, 10 * 16, {1, 2, 3, 4}},
      {block, {5, 3}, 16, {1, 3}},  // the wall itself
      {tile_target(2), {0, 0}, 64, {2}},
      {block_target(frame_of({{0, 2, 0, 4}}), 0), {15, 15}, 8 * 16, {2, 4}},
  };
  for (const auto& c : cases) {
    Bytes data = walled;
    std::vector<int> changed;
    EXPECT_TRUE(fill_target(c.target, c.start, 6, data.data(), kSize, &changed));
    const Bytes pixels = shown(c.target, data);
    EXPECT_EQ(std::count(pixels.begin(), pixels.end(), 6), c.filled) << c.start.x;
    std::sort(changed.begin(), changed.end());
    EXPECT_EQ(changed, c.tiles);
    for (int t = 0; t < 64; ++t) {
      if (std::find(changed.begin(), changed.end(), t) != changed.end()) continue;
      ASSERT_TRUE(std::equal(data.begin() + t * 32, data.begin() + t * 32 + 32,
                             walled.begin() + t * 32)) << "tile " << t;
    }
  }
  EXPECT_FALSE(fill_target(block, {0, 0}, 0, walled.data(), kSize)) << "same index";
}

// Tile 5 in quadrant 0 and mirrored both ways in quadrant 3 and in another frame: a pixel drawn
// through quadrant 0 shows mirrored in quadrant 3, and the usage counts blocks and frames.
TEST(PixelEdit, ATileUsedTwiceChangesInBothPlaces) {
  const uint16_t mirrored = 5 | kEntryFlipX | kEntryFlipY;
  const Frame frames[3] = {frame_of({{5, 1, 2, mirrored}, {7, 7, 7, 7}}), frame_of({{9, 9, 9, 9}}),
                           frame_of({{1, 1, 1, 1}, {2, mirrored, 3, 3}})};
  Bytes data(kSize, 0);
  const DrawTarget target = block_target(frames[0], 0);
  ASSERT_TRUE(set_target_pixel(target, 1, 2, 11, data.data(), kSize));
  const Bytes pixels = shown(target, data);
  EXPECT_TRUE(pixels[2 * 16 + 1] == 11 && pixels[13 * 16 + 14] == 11);
  EXPECT_EQ(std::count(pixels.begin(), pixels.end(), 11), 2);
  EXPECT_FALSE(set_target_pixel(tile_target(64), 0, 0, 1, data.data(), kSize)) << "past the data";
  const struct { int tile, frame_count; const char* text; } cases[] = {
      {5, 3, "tile 005: 2 blocks in 2 frames"},
      {7, 3, "tile 007: 1 block in 1 frame"},  // four quadrants of one block count once
      {9, 1, "tile 009: not used in any frame"},  // only frames 0 .. frame_count - 1
  };
  for (const auto& c : cases) {
    EXPECT_EQ(tile_usage_text(c.tile, tile_usage(frames, c.frame_count, c.tile)), c.text);
  }
}

// Tile 5 holds one pixel at (1, 0). Through a quadrant mirrored left to right it shows at (6, 0);
// turned clockwise as shown it shows at (7, 6), so the stored tile holds it at (0, 6), not at
// (7, 1) where turning the stored tile would put it.
TEST(PixelEdit, TilesTurnAsTheyAreShown) {
  const struct { uint16_t flips; TileTransform how; int column, row; } cases[] = {
      {0, TileTransform::kFlipHorizontal, 6, 0},
      {0, TileTransform::kFlipVertical, 1, 7},
      {0, TileTransform::kRotateClockwise, 7, 1},
      {kEntryFlipX, TileTransform::kRotateClockwise, 0, 6},
      {kEntryFlipY, TileTransform::kRotateClockwise, 0, 6},
      {kEntryFlipX | kEntryFlipY, TileTransform::kRotateClockwise, 7, 1},  // a half turn
  };
  for (const auto& c : cases) {
    Bytes data(kSize, 0), tile(64, 0), expected(64, 0);
    data[5 * kTileBytes] = 0x40;
    const DrawTarget target = block_target(frame_of({{uint16_t(5 | c.flips), 0, 0, 0}}), 0);
    EXPECT_TRUE(transform_shown_tile(target, {3, 3}, c.how, data.data(), kSize));
    draw_tile(data.data(), 5, tile.data(), 8, 8, 0, 0, 0);
    expected[static_cast<size_t>(c.row * 8 + c.column)] = 1;
    EXPECT_EQ(tile, expected) << c.flips << " " << static_cast<int>(c.how);
  }
}

}  // namespace
}  // namespace vcv
