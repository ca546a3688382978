// Painting of the three areas into a surface: the 3/2 enlargement of the frame, block outlines,
// the cached tile sheet with used and selected tiles, and the swatches.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "document/document.h"
#include "view/panel_paint.h"

namespace vcv {
namespace {

constexpr uint32_t kRed = 0xFF0000, kBlue = 0x0000FF, kWhite = 0xFFFFFF, kBlack = 0;
constexpr uint32_t kGrey = 0x808080;  // the surface's background before painting

class PaintPanel : public ::testing::Test {
 protected:
  void SetUp() override {
    // Outlines are drawn only while a ROM is open; the file's content does not matter here.
    rom_path = ::testing::TempDir() + "paint_panel_rom.sfc";
    std::FILE* f = std::fopen(rom_path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputc(0, f);
    std::fclose(f);
    ASSERT_TRUE(document.rom().open(rom_path, kMappingHiRom, 0).ok());
    areas = compute_view_areas(Rect{100, 60, 400, 360}, Rect{500, 4, 550, 20},
                               Rect{10, 400, 200, 412});
    surface.resize(800, 600, kGrey);
    for (int i = 0; i < 16; ++i) document.display().display_palette[i] = 0x000010u * i + 0x030201u;
    SpriteWorkingSet& set = document.working_set();
    set.size_type = 0;  // 4 blocks, 40-byte records
    set.decoded_size = 0;
  }
  // Sets block b of record `image` (size type 0: 4 blocks) to tile entries and a position.
  void set_block(int image, int b, uint8_t x, uint8_t y, const uint16_t tiles[4]) {
    uint8_t* record = document.working_set().position_data + image * 40;
    for (int q = 0; q < 4; ++q) {
      record[2 * (4 * b + q)] = tiles[q] & 0xFF;
      record[2 * (4 * b + q) + 1] = tiles[q] >> 8;
    }
    record[32 + 2 * b] = x;
    record[32 + 2 * b + 1] = y;
  }
  std::vector<Rect> paint(bool boundaries = true) {
    return document.paint(painter, areas, boundaries, surface);
  }
  uint32_t colour(int index) { return display_to_pixel(document.display().display_palette[index]); }

  std::string rom_path;
  Document document;
  PanelPainter painter;
  ViewAreas areas;
  Surface surface;
};

TEST_F(PaintPanel, AreasFollowTheirAnchors) {
  EXPECT_EQ(areas.frame.left, 100);
  EXPECT_EQ(areas.frame.bottom, 60 + 288);
  EXPECT_EQ(areas.sheet.top, 4 + 16);
  EXPECT_EQ(areas.sheet.right, 500 + 256);
  EXPECT_EQ(areas.palette.right, 10 + 192);
  EXPECT_TRUE(point_in_area(10 + 191, 400, areas.palette));
  EXPECT_FALSE(point_in_area(10 + 192, 400, areas.palette));
}

TEST_F(PaintPanel, FrameIsEnlargedThreeHalvesWithoutSmoothing) {
  document.display().canvas[0] = 3;
  document.display().canvas[2] = 5;
  document.display().canvas[191 * 192 + 191] = 15;
  paint(false);
  const Rect& f = areas.frame;
  // Screen columns 0..287 take source columns dx * 2 / 3: 0,0,1,2,2,3,...
  EXPECT_EQ(surface.at(f.left, f.top), colour(3));
  EXPECT_EQ(surface.at(f.left + 1, f.top + 1), colour(3));
  EXPECT_EQ(surface.at(f.left + 2, f.top), kBlack);  // source column 1, index 0
  EXPECT_EQ(surface.at(f.left + 3, f.top), colour(5));
  EXPECT_EQ(surface.at(f.left + 4, f.top), colour(5));
  EXPECT_EQ(surface.at(f.left + 5, f.top), kBlack);
  EXPECT_EQ(surface.at(f.left + 287, f.top + 287), colour(15));
  EXPECT_EQ(surface.at(f.left + 288, f.top), kGrey);  // nothing beyond the area
}

TEST_F(PaintPanel, BlockOutlinesAtTheirOffsetsAndTheSelectedOneInBlue) {
  const uint16_t tiles[4] = {0, 0, 0, 0};
  set_block(0, 0, 0x00, 0x00, tiles);  // at the centre: (96 * 3 / 2) = 144
  set_block(0, 1, 0xFF, 0x10, tiles);  // -1 -> 95 * 3 / 2 = 142
  set_block(0, 2, 0x80, 0x7F, tiles);  // -128, 127 -> (-48, 334), outside the area
  set_block(0, 3, 0x00, 0x00, tiles);
  document.view().block_no = 1;
  const std::vector<Rect> drawn = paint(true);
  const Rect& f = areas.frame;
  EXPECT_EQ(surface.at(f.left + 144, f.top + 144), kRed);
  EXPECT_EQ(surface.at(f.left + 144 + 22, f.top + 144 + 22), kRed);
  EXPECT_EQ(surface.at(f.left + 144 + 23, f.top + 144), kBlack);  // 23 pixels wide
  EXPECT_EQ(surface.at(f.left + 142, f.top + 168), kBlue);        // y = (16 + 96) * 3 / 2
  EXPECT_EQ(surface.at(f.left - 48, f.top + 334), kRed);
  EXPECT_EQ(surface.at(f.left - 48 + 1, f.top + 334 + 1), kGrey);  // an outline, not a box
  // The frame's painted rectangle grows to take in the outlines beyond the area.
  EXPECT_EQ(drawn[0].left, f.left - 48);
  EXPECT_EQ(drawn[0].bottom, f.top + 334 + 23);

  Surface plain;
  plain.resize(800, 600, kGrey);
  document.paint(painter, areas, false, plain);
  EXPECT_EQ(plain.at(f.left + 144, f.top + 144), kBlack);
  EXPECT_EQ(plain.at(f.left - 48, f.top + 334), kGrey);
}

// Outlines outside the frame area stay in the surface; once another frame is painted they must
// not be copied to the screen again as part of the new frame's wider rectangle.
TEST_F(PaintPanel, OutlinesOfAnEarlierFrameAreNotShownAgain) {
  const uint16_t tiles[4] = {0, 0, 0, 0};
  set_block(0, 1, 0x80, 0x00, tiles);  // outline at (left - 48, top + 144)
  paint(true);
  const Rect& f = areas.frame;
  ASSERT_EQ(surface.at(f.left - 48, f.top + 144), kRed);
  set_block(0, 1, 0x80, 0x40, tiles);  // now at (left - 48, top + 240)
  const std::vector<Rect> drawn = paint(true);
  EXPECT_EQ(surface.at(f.left - 48, f.top + 240), kRed);
  ASSERT_TRUE(point_in_area(f.left - 48, f.top + 144, drawn[0]));
  EXPECT_EQ(surface.at(f.left - 48, f.top + 144), kGrey);
  EXPECT_EQ(surface.at(f.left - 48 + 22, f.top + 144 + 22), kGrey);
}

TEST_F(PaintPanel, SelectedBlockBeyondTheBlockCountGetsNoBlueOutline) {
  const uint16_t tiles[4] = {0, 0, 0, 0};
  for (int b = 0; b < 4; ++b) set_block(0, b, static_cast<uint8_t>(16 * b), 0, tiles);
  document.view().block_no = 7;
  paint(true);
  for (int b = 0; b < 4; ++b) {
    EXPECT_EQ(surface.at(areas.frame.left + 144 + 24 * b, areas.frame.top + 144), kRed) << b;
  }
}

TEST_F(PaintPanel, SheetRowsFollowTheDecodedSize) {
  SpriteWorkingSet& set = document.working_set();
  for (int i = 0; i < kSheetWidth * kSheetHeight; ++i) set.sheet[i] = 2;
  set.decoded_size = 513;  // two rows of tiles: 16 pixel rows
  paint();
  const Rect& s = areas.sheet;
  EXPECT_EQ(surface.at(s.left, s.top + 2 * 15), colour(2));
  EXPECT_EQ(surface.at(s.left + 255, s.top + 2 * 15 + 1), colour(2));
  EXPECT_EQ(surface.at(s.left, s.top + 2 * 16), kBlack);
  EXPECT_EQ(surface.at(s.left, s.top + 511), kBlack);
  EXPECT_TRUE(set.sheet_valid);
}

TEST_F(PaintPanel, SheetPictureIsCachedUntilMarkedStale) {
  SpriteWorkingSet& set = document.working_set();
  set.decoded_size = 0x8000;
  set.sheet[0] = 4;  // pixel (0, 0): screen (1, 1) inside the selected tile's outline
  paint();
  EXPECT_EQ(painter.sheet_rebuilds, 1);
  EXPECT_EQ(surface.at(areas.sheet.left + 1, areas.sheet.top + 1), colour(4));
  set.sheet[0] = 6;
  document.view().image_no = 1;  // another image does not redraw the sheet picture
  paint();
  EXPECT_EQ(painter.sheet_rebuilds, 1);
  EXPECT_EQ(surface.at(areas.sheet.left + 1, areas.sheet.top + 1), colour(4));
  set.sheet_valid = false;
  paint();
  EXPECT_EQ(painter.sheet_rebuilds, 2);
  EXPECT_EQ(surface.at(areas.sheet.left + 1, areas.sheet.top + 1), colour(6));
}

TEST_F(PaintPanel, PagesShowTheirTilesAndOutlines) {
  SpriteWorkingSet& set = document.working_set();
  set.decoded_size = 0x10000;
  set.sheet[256 * kSheetWidth + 8] = 9;  // tile 513 = page 1, row 0, column 1
  const uint16_t tiles[4] = {0x0003, 0x4201, 0x0800 | 0x0010, 0x0400};
  set_block(0, 0, 0, 0, tiles);  // tile 3; tile 513 (flip bits ignored); tile 16; tile 1024
  document.display().selected_tile = 3;
  paint();
  const Rect& s = areas.sheet;
  EXPECT_EQ(surface.at(s.left + 3 * 16, s.top), kWhite);  // selected covers used
  EXPECT_EQ(surface.at(s.left + 3 * 16 + 14, s.top + 14), kWhite);
  EXPECT_EQ(surface.at(s.left + 3 * 16 + 15, s.top), kBlack);  // 15 pixels wide
  EXPECT_EQ(surface.at(s.left, s.top + 16), kRed);  // 0x0810 & 0x7FF = tile 16
  EXPECT_EQ(surface.at(s.left + 16, s.top), kBlack);  // tile 513 not on page 0
  document.view().tile_page = 1;
  paint();
  EXPECT_EQ(surface.at(s.left + 16, s.top), kRed);  // tile 513 at 1 on page 1
  EXPECT_EQ(surface.at(s.left + 16 + 1, s.top + 1), colour(9));
  EXPECT_EQ(surface.at(s.left + 3 * 16, s.top), kBlack);  // selected tile 3 is on page 0
  EXPECT_EQ(surface.at(s.left, s.top + 16), kBlack);
  // Tile 1024 is on neither page: nothing at page 1's tile 512 place.
  EXPECT_EQ(surface.at(s.left, s.top), kBlack);
}

TEST_F(PaintPanel, SwatchesShowAllSixteenColours) {
  paint();
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(surface.at(areas.palette.left + 12 * i, areas.palette.top), colour(i));
    EXPECT_EQ(surface.at(areas.palette.left + 12 * i + 11, areas.palette.top + 11), colour(i));
  }
  EXPECT_EQ(surface.at(areas.palette.left + 192, areas.palette.top), kGrey);
}

TEST_F(PaintPanel, WithoutARomNoOutlinesAreDrawn) {
  const uint16_t tiles[4] = {5, 5, 5, 5};
  set_block(0, 0, 0, 0, tiles);
  document.rom().close();
  paint(true);
  EXPECT_EQ(surface.at(areas.frame.left + 144, areas.frame.top + 144), kBlack);
  EXPECT_EQ(surface.at(areas.sheet.left + 5 * 16, areas.sheet.top), kBlack);
  EXPECT_EQ(surface.at(areas.sheet.left, areas.sheet.top), kBlack);
}

TEST_F(PaintPanel, ImageNumberBeyondThePositionDataDrawsNoOutlines) {
  document.working_set().size_type = 3;
  document.view().image_no = 255;  // 255 * 240 bytes lies beyond the position data
  paint();
  EXPECT_EQ(surface.at(areas.frame.left + 144, areas.frame.top + 144), kBlack);
}

// A playback step paints the frame alone; where outlines reach another area, it is painted too,
// so the surface holds what a paint of everything gives.
TEST_F(PaintPanel, FrameAlonePaintsTheAreasItsOutlinesReachOnly) {
  paint(true);
  surface.fill(areas.sheet, kGrey);
  surface.fill(areas.palette, kGrey);
  EXPECT_EQ(document.paint(painter, areas, true, surface, kPaintFrame).size(), 1u);
  EXPECT_EQ(surface.at(areas.sheet.left + 1, areas.sheet.top + 1), kGrey);
  EXPECT_EQ(surface.at(areas.palette.right - 1, areas.palette.top), kGrey);
  const uint16_t tiles[4] = {0, 0, 0, 0};
  set_block(0, 1, 0x80, 0x7F, tiles);  // outline at (left - 48, top + 334): over the palette
  EXPECT_EQ(document.paint(painter, areas, true, surface, kPaintFrame).size(), 2u);
  EXPECT_EQ(surface.at(areas.palette.right - 1, areas.palette.top), colour(15));
  EXPECT_EQ(surface.at(areas.sheet.left + 1, areas.sheet.top + 1), kGrey);
}

TEST(Surface, ColourOrderAndBounds) {
  EXPECT_EQ(display_to_pixel(0x00112233u), 0x00332211u);
  EXPECT_EQ(pixel_to_display(0x00332211u), 0x00112233u);
  Surface s;
  s.resize(4, 3, 7);
  s.set(-1, 0, 1);
  s.set(4, 0, 1);
  s.outline(-2, -2, 5, 5, 9);
  EXPECT_EQ(s.at(2, 0), 9u);
  EXPECT_EQ(s.at(0, 0), 7u);
  EXPECT_EQ(s.at(4, 0), 0u);
}

}  // namespace
}  // namespace vcv
