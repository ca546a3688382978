// The five clipboard commands against a scripted clipboard, on a copy of the demo ROM: the 8-bit
// bitmap path, the PNG beside it, and pictures in colours matched onto the palette.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "image/dib_build.h"
#include "image/dib_parse.h"
#include "image/picture_read.h"
#include "image/png_build.h"
#include "image_test_support.h"
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
  static constexpr int kOutside = 16;  // a colour no palette entry here has: magenta

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
    ui.hold(ClipboardFormat::kDib, build_dib(pixels.data(), width, height, 16, colours));
  }
  // Puts an RGBA PNG on the clipboard alone: pixel (x, y) in the colour of palette entry
  // value(x, y), transparent for a negative value, magenta for kOutside.
  template <typename F>
  void clip_rgba(int width, int height, F value) {
    image_test::PngFields f;
    f.width = static_cast<unsigned>(width);
    f.height = static_cast<unsigned>(height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const int v = value(x, y);
        const uint32_t c = v < 0 ? 0 : v == kOutside ? 0xFF00FF : palette_colour_to_display(set().palette[v]);
        for (int shift : {0, 8, 16}) f.raw.push_back(static_cast<uint8_t>(c >> shift));
        f.raw.push_back(static_cast<uint8_t>(v < 0 ? 0 : 255));
      }
    ui.clipboard.clear();
    ui.hold(ClipboardFormat::kPng, image_test::png_file(f));
  }
  // The selected block as Copy Sprite draws it.
  std::vector<uint8_t> block_pixels() {
    std::vector<uint8_t> out(256, 0);
    render_block(set(), document.view().image_no, document.view().block_no, out.data());
    return out;
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

// Palette entries 4 and 9 share a colour, and 11 has the colour of entry 0.
class ColourPasteTest : public ClipboardTest {
 protected:
  void SetUp() override {
    ClipboardTest::SetUp();
    set().palette[9] = set().palette[4];
    set().palette[11] = set().palette[0];
    for (uint16_t colour : set().palette) ASSERT_NE(colour & 0x7FFF, 0x7C1F);  // no magenta
    for (int q = 0; q < 4; ++q) set().frames[1].tile[2][q] = static_cast<uint16_t>(100 + q);
  }
  // Every index in turn, so the block holds 0, 4, 9 and 11 where the pattern puts them.
  static int pattern(int x, int y) { return (x + 3 * y) % 16; }
};

TEST_F(ClipboardTest, CopySpriteThenPasteSpriteKeepsTheTilesForEveryFlip) {
  Frame& frame = set().frames[1];
  for (int flips = 0; flips < 4; ++flips) {
    for (int q = 0; q < 4; ++q) {
      frame.tile[2][q] = static_cast<uint16_t>((frame.tile[2][q] & 0x3FFF) | (flips << 14));
    }
    const std::vector<uint8_t> before = tile_data();
    shown(ui, document.copy_sprite(ui));
    ASSERT_FALSE(ui.held(ClipboardFormat::kDib).empty());
    shown(ui, document.paste_sprite(ui));
    EXPECT_TRUE(tile_data() == before) << "flips " << flips;
  }
}

TEST_F(ClipboardTest, CopyAllThenPasteAllKeepsTheTiles) {
  const std::vector<uint8_t> before = tile_data();
  shown(ui, document.copy_all_img(ui));
  std::vector<uint8_t> pixels(kPasteAllScratch);
  DibInfo info;
  const std::vector<uint8_t>& dib = ui.held(ClipboardFormat::kDib);
  ASSERT_EQ(parse_dib(dib.data(), dib.size(), pixels.data(), pixels.size(), &info), kDibOk);
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
  const std::vector<uint8_t>& dib = ui.held(ClipboardFormat::kDib);
  ASSERT_EQ(parse_dib(dib.data(), dib.size(), pixels.data(), 256, &info), kDibOk);
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
  std::vector<uint8_t> sixteen_bits = ui.held(ClipboardFormat::kDib);
  sixteen_bits[14] = 16;  // biBitCount: neither 8 nor 24 or 32
  ui.hold(ClipboardFormat::kDib, sixteen_bits);
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
  const std::vector<uint8_t>& dib = ui.held(ClipboardFormat::kDib);
  ASSERT_EQ(dib.size(), 40u + 64u + 192u * 192u);
  const uint8_t* last_row = dib.data() + dib.size() - 192;
  EXPECT_TRUE(std::equal(last_row, last_row + 192, document.display().canvas));
  EXPECT_EQ(dib[32], 16);  // biClrUsed
  const uint32_t c = document.display().display_palette[5];
  EXPECT_EQ(dib[40 + 4 * 5], static_cast<uint8_t>(c >> 16));  // blue first
  EXPECT_EQ(dib[40 + 4 * 5 + 2], static_cast<uint8_t>(c));
}

TEST_F(ClipboardTest, CopiesAddAnIndexedPngThatPastesBackOnItsOwn) {
  const std::vector<uint8_t> block = block_pixels();
  struct Case {
    const char* name;
    CommandResult (Document::*copy)(Ui&);
    CommandResult (Document::*paste)(Ui&);
    const uint8_t* pixels;
    int width, height;
  };
  const Case cases[] = {
      {"Copy Img", &Document::copy_img, nullptr, document.display().canvas, 192, 192},
      {"Copy Sprite", &Document::copy_sprite, &Document::paste_sprite, block.data(), 16, 16},
      {"Copy All Img", &Document::copy_all_img, &Document::paste_all_img, set().sheet, 128, 640}};
  for (const Case& c : cases) {
    ASSERT_EQ((document.*c.copy)(ui).status, CommandStatus::kDone);
    ASSERT_EQ(ui.clipboard.size(), 2u);
    EXPECT_EQ(ui.clipboard[0].format, ClipboardFormat::kDib);
    Picture png;
    std::string error;
    const std::vector<uint8_t>& bytes = ui.held(ClipboardFormat::kPng);
    ASSERT_TRUE(read_png_picture(bytes.data(), bytes.size(), &png, &error)) << c.name << error;
    ASSERT_TRUE(png.kind == PictureKind::kIndexed && png.width == c.width && png.height == c.height);
    EXPECT_TRUE(std::equal(png.indices.begin(), png.indices.end(), c.pixels)) << c.name;
    for (int i = 0; i < 16; ++i) {
      EXPECT_EQ(png.colours[i], document.display().display_palette[i]) << c.name;
      EXPECT_EQ(png.colour_alpha[i], i == 0 ? 0 : 255) << c.name;
    }
    if (c.paste == nullptr) continue;
    const std::vector<uint8_t> before = tile_data();
    ui.drop(ClipboardFormat::kDib);
    for (uint16_t entry : set().frames[1].tile[2]) set().tile_data[(entry & kTileNumberMask) * 32 + 3] ^= 0x5A;
    EXPECT_EQ((document.*c.paste)(ui).status, CommandStatus::kDone);
    EXPECT_TRUE(std::equal(before.begin(), before.begin() + set().decoded_size, set().tile_data)) << c.name;
  }
}

// Over a block that holds the pattern: 4 and 9 stay apart, index 0's colour opaque goes to 11, and
// a pixel beyond the 16 x 16 the paste reads may have any colour.
TEST_F(ColourPasteTest, TrueColourPixelsKeepTheirIndicesAndShareNoneWithTheTransparentOne) {
  clip(16, 16, [](int x, int y) { return static_cast<uint8_t>(pattern(x, y)); });
  ASSERT_EQ(document.paste_sprite(ui).status, CommandStatus::kDone);
  clip_rgba(20, 16, [](int x, int y) {
    return x >= 16 ? kOutside : pattern(x, y) == 0 && x >= 8 ? -1 : pattern(x, y);
  });
  ASSERT_EQ(document.paste_sprite(ui).status, CommandStatus::kDone);
  const std::vector<uint8_t> block = block_pixels();
  for (int i = 0; i < 256; ++i) {
    const int p = pattern(i % 16, i / 16);
    ASSERT_EQ(block[i], p != 0 ? p : (i % 16 < 8 ? 11 : 0)) << i;
  }
}

TEST_F(ColourPasteTest, PasteAllMatchesAgainstTheSheetAsItIsNow) {
  auto nine_and_four = [](int x, int y) { return static_cast<uint8_t>((x + y) % 2 ? 9 : 4); };
  clip(128, 640, nine_and_four);
  ASSERT_EQ(document.paste_all_img(ui).status, CommandStatus::kDone);
  clip_rgba(128, 640, nine_and_four);
  ASSERT_EQ(document.paste_all_img(ui).status, CommandStatus::kDone);
  for (int t = 0; t < set().decoded_size / 32; ++t) {
    ASSERT_EQ(set().sheet[(t / 16) * 8 * 128 + (t % 16) * 8 + 1], 9) << t;
  }
}

// Colours outside the palette: the paste asks whether to take the nearest palette colours. No
// pastes nothing and says nothing more; Yes maps those pixels (never to the transparent 0) and
// says how many and how far.
TEST_F(ColourPasteTest, ColoursOutsideThePaletteAskForTheNearestColours) {
  clip_rgba(16, 16, [](int x, int y) { return (x == 5 && y == 2) || (x == 1 && y == 9) ? kOutside : 1; });
  const std::vector<uint8_t> before = tile_data();
  for (auto paste : {&Document::paste_sprite, &Document::paste_all_img}) {
    ui.shown.clear();
    ui.prompts.clear();
    ui.confirm_answers = {false};
    EXPECT_EQ((document.*paste)(ui).status, CommandStatus::kCancelled);
    ASSERT_EQ(ui.prompts, std::vector<Prompt>{Prompt::kNearestColours});
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, "2 pixels have colours outside the palette (the first at (5, 2): "
                                "#FF00FF). Use the nearest palette colours?");
    EXPECT_TRUE(tile_data() == before);
  }
  ui.shown.clear();
  ui.confirm_answers = {true};
  const CommandResult result = document.paste_sprite(ui);
  ASSERT_EQ(result.status, CommandStatus::kPastedNearest);
  const std::string said = message_for(result)->text;
  EXPECT_EQ(said.rfind("2 pixels were mapped to the nearest palette colours; the largest colour "
                       "difference (CIEDE2000) is ", 0), 0u) << said;
  std::vector<uint8_t> expected(256, 1);
  const uint8_t nearest = block_pixels()[2 * 16 + 5];
  expected[2 * 16 + 5] = expected[9 * 16 + 1] = nearest;
  EXPECT_NE(nearest, 0);
  EXPECT_EQ(block_pixels(), expected);
}

// A program that re-sorted the palette when it saved: an indexed PNG whose entries 1 and 2
// swapped places comes back by colour, and says so. The 8-bit bitmap path takes its indices
// whatever its colour table says.
TEST_F(ColourPasteTest, IndexedPngInAnotherPaletteOrderIsMatchedByColour) {
  uint32_t colours[16];
  for (int i = 0; i < 16; ++i) colours[i] = palette_colour_to_display(set().palette[i]);
  std::swap(colours[1], colours[2]);
  uint8_t swapped[256];
  for (int i = 0; i < 256; ++i) swapped[i] = static_cast<uint8_t>(i % 3 == 0 ? 1 : 2);
  ui.hold(ClipboardFormat::kPng, build_png(swapped, 16, 16, 16, colours));
  shown(ui, document.paste_sprite(ui));
  ASSERT_EQ(ui.kinds(), std::vector<std::string>{"message:Paste"});
  EXPECT_EQ(ui.shown[0].text, "The picture's colours were matched to the palette by colour, "
                              "because its palette order differed from the sprite's.");
  for (int i = 0; i < 256; ++i) ASSERT_EQ(block_pixels()[i], i % 3 == 0 ? 2 : 1) << i;
  // The 8-bit bitmap beside it wins, its indices as stored.
  ui.hold(ClipboardFormat::kDib, build_dib(swapped, 16, 16, 16, colours));
  EXPECT_EQ(document.paste_sprite(ui).status, CommandStatus::kDone);
  EXPECT_EQ(block_pixels(), std::vector<uint8_t>(swapped, swapped + 256));
}

}  // namespace
}  // namespace vcv
