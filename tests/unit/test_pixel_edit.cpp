// The pixel editor's model: strokes through flipped quadrants change the tile pixel shown there,
// lines have no gaps, fills stay inside their tile or block, a tile named twice changes in both
// places, tiles turn as shown, and the usage line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "edit/pixel_edit.h"
#include "sprite/frames.h"
#include "sprite/tiles.h"

namespace vcv {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr int kDataSize = 64 * kTileBytes;  // tiles 0 to 63

Frame frame_of(std::vector<std::vector<uint16_t>> blocks) {
  Frame frame;
  frame.block_count = static_cast<int>(blocks.size());
  for (size_t b = 0; b < blocks.size(); ++b) {
    for (int q = 0; q < 4; ++q) frame.tile[b][q] = blocks[b][static_cast<size_t>(q)];
  }
  return frame;
}

Bytes shown(const DrawTarget& target, const Bytes& data) {
  Bytes pixels(static_cast<size_t>(target.side() * target.side()));
  read_target(target, data.data(), static_cast<int>(data.size()), pixels.data());
  return pixels;
}

// Index 7 (planes 0, 1 and 2) drawn at (9, 2) of a block, in quadrant 1 (tile 5, stored empty):
// the bytes that take the pixel's bit say where in the stored tile it landed.
TEST(PixelEdit, AStrokeThroughAFlippedQuadrantChangesTheTilePixelShownThere) {
  struct Case {
    uint16_t flips;
    int rows_byte;  // byte 2r of the row r the pixel lands in
    uint8_t bit;    // bit 7 - c of the column c
  };
  const Case cases[] = {
      {0x0000, 4, 0x40},                  // (1, 2)
      {kEntryFlipX, 4, 0x02},             // (6, 2)
      {kEntryFlipY, 10, 0x40},            // (1, 5)
      {kEntryFlipX | kEntryFlipY, 10, 0x02},  // (6, 5)
  };
  for (const Case& c : cases) {
    Bytes data(kDataSize, 0);
    const Frame frame = frame_of({{3, static_cast<uint16_t>(5 | c.flips | 0x2800), 7, 8}});
    const DrawTarget target = block_target(frame, 0);
    std::vector<int> changed;
    ASSERT_TRUE(set_target_pixel(target, 9, 2, 7, data.data(), kDataSize, &changed));
    EXPECT_EQ(changed, std::vector<int>{5});
    Bytes expected(kDataSize, 0);
    for (int plane_byte : {0, 1, 16}) expected[5 * kTileBytes + c.rows_byte + plane_byte] = c.bit;
    EXPECT_EQ(data, expected) << "flips " << c.flips;
    // The editor and the frame show it where it was drawn.
    EXPECT_EQ(shown(target, data)[2 * 16 + 9], 7);
    SpriteWorkingSet set;
    std::copy(data.begin(), data.end(), set.tile_data);
    set.frames[0] = frame;
    set.frame_store_count = 1;
    Bytes block(256);
    render_block(set, 0, 0, block.data());
    EXPECT_EQ(block, shown(target, data)) << "flips " << c.flips;
  }
}

TEST(PixelEdit, LinesHaveNoGapsAtAnySpeed) {
  struct Case {
    PixelPoint from, to;
  };
  const Case cases[] = {
      {{0, 0}, {5, 2}},    {{5, 2}, {0, 0}},     {{3, 3}, {3, 3}},      {{0, 15}, {15, 0}},
      {{2, -40}, {4, 40}}, {{-100, 7}, {90, 8}}, {{-70000, 0}, {70000, 1}},
  };
  for (const Case& c : cases) {
    const std::vector<PixelPoint> points = line_points(c.from, c.to);
    const PixelPoint end{std::clamp(c.to.x, -32768, 32767), std::clamp(c.to.y, -32768, 32767)};
    const PixelPoint start{std::clamp(c.from.x, -32768, 32767), c.from.y};
    ASSERT_FALSE(points.empty());
    EXPECT_EQ(points.front(), start);
    EXPECT_EQ(points.back(), end);
    EXPECT_EQ(points.size(), static_cast<size_t>(std::max(std::abs(end.x - start.x),
                                                          std::abs(end.y - start.y)) + 1));
    for (size_t i = 1; i < points.size(); ++i) {
      ASSERT_LE(std::abs(points[i].x - points[i - 1].x), 1);
      ASSERT_LE(std::abs(points[i].y - points[i - 1].y), 1);
    }
  }
  const std::vector<PixelPoint> expected = {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}};
  EXPECT_EQ(line_points({0, 0}, {5, 2}), expected);
  // One mouse move from far outside the block to far beyond it: the whole diagonal is drawn.
  Bytes data(kDataSize, 0);
  const DrawTarget target = block_target(frame_of({{1, 2, 3, 4}}), 0);
  EXPECT_TRUE(draw_target_line(target, {-30, -30}, {40, 40}, 9, data.data(), kDataSize));
  const Bytes pixels = shown(target, data);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) ASSERT_EQ(pixels[y * 16 + x], x == y ? 9 : 0) << x << "," << y;
  }
}

// Tiles 1 to 4 hold a wall of index 2 down column 5 of the block; the fill never crosses it,
// never leaves the block's tiles, and leaves a quadrant naming tile 0 alone.
TEST(PixelEdit, AFillStaysInsideItsTileOrBlock) {
  Bytes walled(kDataSize, 0);
  const DrawTarget block = block_target(frame_of({{1, 2, 3, 4}}), 0);
  draw_target_line(block, {5, 0}, {5, 15}, 2, walled.data(), kDataSize);
  struct Case {
    const char* name;
    DrawTarget target;
    PixelPoint start;
    int filled;           // pixels of index 6 afterwards
    std::vector<int> changed;
  };
  const Case cases[] = {
      {"left of the wall", block, {0, 7}, 5 * 16, {1, 3}},
      {"right of the wall", block, {15, 0}, 10 * 16, {1, 2, 3, 4}},
      {"the wall itself", block, {5, 3}, 16, {1, 3}},
      {"one tile", tile_target(2), {0, 0}, 64, {2}},
      {"quadrants of tile 0 stay", block_target(frame_of({{0, 2, 0, 4}}), 0), {15, 15}, 8 * 16,
       {2, 4}},
  };
  for (const Case& c : cases) {
    Bytes data = walled;
    std::vector<int> changed;
    EXPECT_TRUE(fill_target(c.target, c.start, 6, data.data(), kDataSize, &changed)) << c.name;
    const Bytes pixels = shown(c.target, data);
    EXPECT_EQ(std::count(pixels.begin(), pixels.end(), 6), c.filled) << c.name;
    std::sort(changed.begin(), changed.end());
    EXPECT_EQ(changed, c.changed) << c.name;
    // Nothing outside the changed tiles.
    for (int t = 0; t < 64; ++t) {
      if (std::find(changed.begin(), changed.end(), t) != changed.end()) continue;
      ASSERT_TRUE(std::equal(data.begin() + t * 32, data.begin() + t * 32 + 32,
                             walled.begin() + t * 32)) << c.name << " tile " << t;
    }
  }
  Bytes data = walled;
  EXPECT_FALSE(fill_target(block, {0, 0}, 0, data.data(), kDataSize)) << "same index";
  EXPECT_FALSE(fill_target(block, {0, 0}, 16, data.data(), kDataSize)) << "not an index";
  EXPECT_TRUE(data == walled);
}

// Tile 5 in quadrant 0, and mirrored both ways in quadrant 3 of the same block and in another
// frame: a pixel drawn through quadrant 0 shows mirrored in quadrant 3, and the usage counts
// every block that names it.
TEST(PixelEdit, ATileUsedTwiceChangesInBothPlaces) {
  const uint16_t mirrored = 5 | kEntryFlipX | kEntryFlipY;
  const Frame frames[3] = {frame_of({{5, 1, 2, mirrored}, {7, 7, 7, 7}}),
                           frame_of({{9, 9, 9, 9}}), frame_of({{1, 1, 1, 1}, {2, mirrored, 3, 3}})};
  Bytes data(kDataSize, 0);
  const DrawTarget target = block_target(frames[0], 0);
  ASSERT_TRUE(set_target_pixel(target, 1, 2, 11, data.data(), kDataSize));
  const Bytes pixels = shown(target, data);
  EXPECT_EQ(pixels[2 * 16 + 1], 11);
  EXPECT_EQ(pixels[(15 - 2) * 16 + (15 - 1)], 11);
  EXPECT_EQ(std::count(pixels.begin(), pixels.end(), 11), 2);
  // Undrawable: past the data, or a block index the frame lacks falls back to block 0.
  EXPECT_FALSE(set_target_pixel(tile_target(64), 0, 0, 1, data.data(), kDataSize));
  EXPECT_EQ(block_target(frames[0], 7).entries[0], 5);

  struct Case {
    int tile, frame_count;
    const char* text;
  };
  const Case cases[] = {
      {5, 3, "tile 005: 2 blocks in 2 frames"},
      {7, 3, "tile 007: 1 block in 1 frame"},   // four quadrants of one block count once
      {1, 3, "tile 001: 2 blocks in 2 frames"},
      {9, 1, "tile 009: not used in any frame"},  // only frames 0 .. frame_count - 1
      {0x3C, 3, "tile 03C: not used in any frame"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(tile_usage_text(c.tile, tile_usage(frames, c.frame_count, c.tile)), c.text);
  }
}

// One pixel at column 1, row 0 of tile 5. Through a quadrant mirrored left to right it shows at
// (6, 0); turned clockwise as shown it must show at (7, 6), so the stored tile holds it at
// (0, 6), not where turning the stored tile would put it, (7, 1).
TEST(PixelEdit, TilesTurnAsTheyAreShown) {
  struct Case {
    uint16_t flips;
    TileTransform transform;
    int column, row;  // where the stored tile holds the pixel after
  };
  const Case cases[] = {
      {0, TileTransform::kFlipHorizontal, 6, 0},
      {0, TileTransform::kFlipVertical, 1, 7},
      {0, TileTransform::kRotateClockwise, 7, 1},
      {kEntryFlipX, TileTransform::kRotateClockwise, 0, 6},
      {kEntryFlipY, TileTransform::kRotateClockwise, 0, 6},  // one mirror: turned back
      {kEntryFlipX | kEntryFlipY, TileTransform::kRotateClockwise, 7, 1},  // two: a half turn
      {kEntryFlipX, TileTransform::kFlipHorizontal, 6, 0},
  };
  for (const Case& c : cases) {
    Bytes data(kDataSize, 0);
    data[5 * kTileBytes + 0] = 0x40;  // index 1 at (1, 0)
    const DrawTarget target = block_target(frame_of({{static_cast<uint16_t>(5 | c.flips), 0, 0, 0}}), 0);
    EXPECT_TRUE(transform_shown_tile(target, {3, 3}, c.transform, data.data(), kDataSize));
    Bytes tile(64, 0);
    draw_tile(data.data(), 5, tile.data(), 8, 8, 0, 0, 0);
    Bytes expected(64, 0);
    expected[static_cast<size_t>(c.row * 8 + c.column)] = 1;
    EXPECT_EQ(tile, expected) << "flips " << c.flips << " transform " << static_cast<int>(c.transform);
  }
}

}  // namespace
}  // namespace vcv
