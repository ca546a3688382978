// The five clipboard commands against a scripted clipboard, on a copy of the demo ROM.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "image/dib_build.h"
#include "image/dib_parse.h"
#include "edit/edit_commands.h"
#include "sprite/frames.h"
#include "sprite/tiles.h"
#include "view/refresh.h"
#include "write_test_support.h"

namespace vcv {
namespace {

using namespace testing_support;

class ClipboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path = open_demo_copy(document, std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                              ".sfc");
    document.view().current_entry = demo::DemoRomFacts::kEntrySize1;
    document.view().sequence_mode = 0;
    document.view().image_no = 1;
    document.view().block_no = 2;
    document.refresh();
  }
  void TearDown() override {
    document.rom().close();
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
  }
  SpriteWorkingSet& set() { return document.working_set(); }
  std::vector<uint8_t> tile_data() const {
    return std::vector<uint8_t>(document.working_set().tile_data,
                                document.working_set().tile_data + kTileDataSize);
  }
  // Puts an 8-bit bitmap of `width` x `height` on the clipboard, pixel (x, y) = value(x, y).
  template <typename F>
  void clip(int width, int height, F value) {
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) pixels[static_cast<size_t>(y) * width + x] = value(x, y);
    const uint32_t colours[16] = {};
    ui.clipboard = build_dib(pixels.data(), width, height, 16, colours);
  }
  std::vector<uint8_t> tile_pixels(int tile) {
    std::vector<uint8_t> out(64, 0);
    draw_tile(set().tile_data, tile, out.data(), 8, 8, 0, 0, 0);
    return out;
  }

  Document document;
  ScriptedUi ui;
  std::string path;
};

TEST_F(ClipboardTest, CopySpriteThenPasteSpriteKeepsTheTilesForEveryFlip) {
  Frame& frame = set().frames[1];
  for (int flips = 0; flips < 4; ++flips) {
    for (int q = 0; q < 4; ++q) {
      frame.tile[2][q] = static_cast<uint16_t>((frame.tile[2][q] & 0x3FFF) | (flips << 14));
    }
    const std::vector<uint8_t> before = tile_data();
    shown(ui, document.copy_sprite(ui));
    ASSERT_FALSE(ui.clipboard.empty());
    shown(ui, document.paste_sprite(ui));
    EXPECT_TRUE(tile_data() == before) << "flips " << flips;
  }
}

TEST_F(ClipboardTest, CopyAllThenPasteAllKeepsTheTiles) {
  const std::vector<uint8_t> before = tile_data();
  shown(ui, document.copy_all_img(ui));
  std::vector<uint8_t> pixels(kPasteAllScratch);
  DibInfo info;
  ASSERT_EQ(parse_dib(ui.clipboard.data(), ui.clipboard.size(), pixels.data(), pixels.size(), &info),
            kDibOk);
  EXPECT_EQ(info.width, 128);
  EXPECT_EQ(info.height, 640);
  shown(ui, document.paste_all_img(ui));
  // The entry's own tiles are unchanged; the sheet's empty places beyond them come back as
  // zero tiles, which are neither shown nor written.
  const std::vector<uint8_t> after = tile_data();
  const long own = set().decoded_size;
  ASSERT_GT(own, 0);
  ASSERT_LE(own, 1280 * 32);
  EXPECT_TRUE(std::equal(after.begin(), after.begin() + own, before.begin()));
}

TEST_F(ClipboardTest, PastedValuesKeepTheirLowFourBitsAndLargerBitmapsGiveTheirCorner) {
  Frame& frame = set().frames[1];
  for (int q = 0; q < 4; ++q) frame.tile[2][q] = static_cast<uint16_t>(100 + q);
  // 40 x 30: only the top-left 16 x 16 count; 17 -> 1, 16 -> 0.
  clip(40, 30, [](int x, int y) { return static_cast<uint8_t>(x < 16 && y < 16 ? (x + y) % 2 + 16 : 9); });
  shown(ui, document.paste_sprite(ui));
  for (int q = 0; q < 4; ++q) {
    const std::vector<uint8_t> pixels = tile_pixels(100 + q);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) ASSERT_EQ(pixels[y * 8 + x], (x + y) % 2) << q;
  }
}

TEST_F(ClipboardTest, SameTileTwiceTakesTheLaterQuadrantAndTileZeroIsSkipped) {
  Frame& frame = set().frames[1];
  frame.tile[2][0] = 0;    // skipped: tile 0 keeps its pixels
  frame.tile[2][1] = 200;
  frame.tile[2][2] = 300;
  frame.tile[2][3] = 200;  // the same tile as upper right: lower right wins
  const std::vector<uint8_t> tile0 = tile_pixels(0);
  clip(16, 16, [](int x, int y) { return static_cast<uint8_t>((x / 8) + 2 * (y / 8) + 1); });
  shown(ui, document.paste_sprite(ui));
  EXPECT_EQ(tile_pixels(0), tile0);
  EXPECT_EQ(tile_pixels(200), std::vector<uint8_t>(64, 4));
  EXPECT_EQ(tile_pixels(300), std::vector<uint8_t>(64, 3));
  // The sheet was rebuilt from the pasted tiles.
  EXPECT_EQ(set().sheet[(200 / 16) * 8 * kSheetWidth + (200 % 16) * 8], 4);
}

TEST_F(ClipboardTest, SmallBitmapsAreFilledWithZeroAndABlockBeyondTheImageMeansBlockZero) {
  document.view().block_no = 30;  // beyond the 8 blocks: Copy Sprite and Paste Sprite take block 0
  Frame& frame = set().frames[1];
  for (int q = 0; q < 4; ++q) frame.tile[0][q] = static_cast<uint16_t>(400 + q);
  for (int q = 0; q < 4; ++q) frame.tile[30][q] = static_cast<uint16_t>(500 + q);
  const std::vector<uint8_t> untouched = tile_pixels(500);
  clip(8, 8, [](int, int) { return static_cast<uint8_t>(7); });
  shown(ui, document.paste_sprite(ui));
  EXPECT_EQ(tile_pixels(400), std::vector<uint8_t>(64, 7));
  for (int q = 1; q < 4; ++q) EXPECT_EQ(tile_pixels(400 + q), std::vector<uint8_t>(64, 0)) << q;
  EXPECT_EQ(tile_pixels(500), untouched);
  // And the copy of "block 30" is block 0's picture.
  shown(ui, document.copy_sprite(ui));
  std::vector<uint8_t> pixels(256);
  DibInfo info;
  ASSERT_EQ(parse_dib(ui.clipboard.data(), ui.clipboard.size(), pixels.data(), 256, &info), kDibOk);
  EXPECT_EQ(pixels[0], 7);
  EXPECT_EQ(pixels[8], 0);
}

TEST_F(ClipboardTest, PasteAllTakesWholeCellsOfTheSixteenColumns) {
  std::vector<uint8_t> before = tile_data();
  clip(136, 600, [](int x, int y) { return static_cast<uint8_t>((x / 8 + y / 8) % 15 + 1); });
  shown(ui, document.paste_all_img(ui));
  for (int t = 0; t < 1200; ++t) {
    const int expected = ((t % 16) + (t / 16)) % 15 + 1;
    ASSERT_EQ(tile_pixels(t), std::vector<uint8_t>(64, static_cast<uint8_t>(expected))) << t;
  }
  EXPECT_TRUE(std::equal(before.begin() + 1200 * 32, before.end(), set().tile_data + 1200 * 32));

  before = tile_data();
  clip(20, 20, [](int, int) { return static_cast<uint8_t>(5); });
  shown(ui, document.paste_all_img(ui));
  const std::vector<uint8_t> after = tile_data();
  for (int t = 0; t < kTileDataSize / 32; ++t) {
    const bool pasted = t == 0 || t == 1 || t == 16 || t == 17;
    const bool same = std::equal(after.begin() + t * 32, after.begin() + t * 32 + 32,
                                 before.begin() + t * 32);
    if (pasted) {
      EXPECT_EQ(tile_pixels(t), std::vector<uint8_t>(64, 5)) << t;
    } else {
      ASSERT_TRUE(same) << t;
    }
  }
}

TEST_F(ClipboardTest, UnreadableBitmapsChangeNothingAndRefreshNothing) {
  const std::vector<uint8_t> before = tile_data();
  clip(16, 16, [](int, int) { return static_cast<uint8_t>(3); });
  ui.clipboard[14] = 24;  // biBitCount
  document.take_panel_update();
  EXPECT_EQ(document.paste_sprite(ui).status, CommandStatus::kNoPicture);
  EXPECT_EQ(document.paste_all_img(ui).status, CommandStatus::kNoPicture);
  ui.clipboard.clear();
  EXPECT_EQ(document.paste_sprite(ui).status, CommandStatus::kNoPicture);
  EXPECT_TRUE(tile_data() == before);
  EXPECT_TRUE(document.take_panel_update().empty());
}

// A bitmap taller than the sheet's 80 rows of tiles: the rows beyond never reach past the tile
// data into what lies after it in the working set.
TEST_F(ClipboardTest, PasteAllStopsAtTheSheetsLastRowOfTiles) {
  const int decoded_size = set().decoded_size;
  const std::vector<uint8_t> packed_before(set().packed, set().packed + kPackedReadSize);
  clip(8, 10240, [](int, int y) { return static_cast<uint8_t>(y / 8 % 15 + 1); });
  ASSERT_EQ(document.paste_all_img(ui).status, CommandStatus::kDone);
  for (int row = 0; row < 80; ++row) {
    ASSERT_EQ(tile_pixels(row * 16), std::vector<uint8_t>(64, static_cast<uint8_t>(row % 15 + 1)))
        << row;
  }
  EXPECT_EQ(set().decoded_size, decoded_size);
  EXPECT_TRUE(std::equal(packed_before.begin(), packed_before.end(), set().packed));
}

TEST_F(ClipboardTest, CopyImgPutsTheCanvasWithRowZeroStoredLast) {
  shown(ui, document.copy_img(ui));
  ASSERT_EQ(ui.clipboard.size(), 40u + 64u + 192u * 192u);
  const uint8_t* last_row = ui.clipboard.data() + ui.clipboard.size() - 192;
  EXPECT_TRUE(std::equal(last_row, last_row + 192, document.display().canvas));
  EXPECT_EQ(ui.clipboard[32], 16);  // biClrUsed
  const uint32_t c = document.display().display_palette[5];
  EXPECT_EQ(ui.clipboard[40 + 4 * 5], static_cast<uint8_t>(c >> 16));  // blue first
  EXPECT_EQ(ui.clipboard[40 + 4 * 5 + 2], static_cast<uint8_t>(c));
}

}  // namespace
}  // namespace vcv
