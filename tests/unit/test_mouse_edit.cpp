// Mouse editing on a synthetic loaded entry: recolouring through the colour chooser, choosing a
// tile on the sheet, and placing it (with flips) into the quadrant of a block under the pointer.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "panel_test_ui.h"
#include "sprite/frames.h"
#include "sprite/tiles.h"
#include "document/document.h"
#include "view/mouse_edit.h"
#include "view/panel_actions.h"
#include "view/refresh.h"

namespace vcv {
namespace {

class MouseEdit : public ::testing::Test {
 protected:
  void SetUp() override {
    // Any open file will do: the entry below counts as already loaded, so nothing is read.
    const std::string path = ::testing::TempDir() + "mouse_edit_rom.sfc";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputc(0, f);
    std::fclose(f);
    ASSERT_TRUE(document.rom().open(path, kMappingHiRom, 0).ok());
    document.panel_created();
    document.panel_command(PanelCommand::kImageRadio);
    SpriteWorkingSet& set = document.working_set();
    set.loaded_entry = 0;
    set.size_type = 0;  // 4 blocks, 40-byte records
    set.position_type = 0;
    document.directory().frame_count[0] = 2;
    document.directory().position_data_size[0] = 80;
    // Frame 1: block 0 at the centre, block 1 overlapping it 8 pixels to the right, block 2 at
    // X = -1, block 3 far away.
    uint8_t* record = set.position_data + 40;
    const uint8_t xy[8] = {0x00, 0x00, 0x08, 0x00, 0xFF, 0x20, 0x60, 0x60};
    for (int i = 0; i < 8; ++i) record[32 + i] = xy[i];
    for (int w = 0; w < 16; ++w) {
      record[2 * w] = static_cast<uint8_t>(0x10 + w);
      record[2 * w + 1] = 0x38;  // bits 11-13 set in every stored entry
    }
    unpack_all_frames(set, 2);
    for (int i = 0; i < 16; ++i) set.palette[i] = static_cast<uint16_t>(0x0421 * i);
    set.palette[3] |= 0x8000;  // a stored word with bit 15 set must survive other edits
    document.view().image_no = 1;
    document.refresh();  // fills the display palette; the entry counts as loaded
    areas = compute_view_areas(Rect{100, 20, 400, 320}, Rect{500, 4, 540, 16},
                               Rect{10, 400, 200, 412});
    document.take_panel_update();
  }
  ClickResult click(int x, int y) { return document.left_click(ui, areas, x, y); }
  uint16_t stored_entry(int block, int quadrant) {
    const uint8_t* record = document.working_set().position_data + 40;
    const int at = 2 * tile_entry_word_index(0, block, quadrant);
    return static_cast<uint16_t>(record[at] | (record[at + 1] << 8));
  }

  Document document;
  PanelTestUi ui;
  ViewAreas areas;
};

TEST_F(MouseEdit, RecolouringChangesOnlyTheChosenStoredColour) {
  uint16_t saved[16];
  for (int i = 0; i < 16; ++i) saved[i] = document.working_set().palette[i];
  ui.colour_answers.push_back(0x00000064);  // red 100, not one of the expansion levels
  EXPECT_EQ(click(areas.palette.left + 191, areas.palette.top + 11), ClickResult::kRecoloured);
  ASSERT_EQ(ui.colour_prompts.size(), 1u);
  EXPECT_EQ(ui.colour_prompts[0], palette_colour_to_display(saved[15] & 0x7FFF));
  EXPECT_EQ(ui.last_custom[3], palette_colour_to_display(saved[3] & 0x7FFF));
  EXPECT_EQ(document.working_set().palette[15], 12);  // 100 / 8
  for (int i = 0; i < 15; ++i) EXPECT_EQ(document.working_set().palette[i], saved[i]) << i;
  // The refresh shows the expansion of the stored value, not the chosen colour.
  EXPECT_EQ(document.display().display_palette[15], palette_colour_to_display(12));
  EXPECT_FALSE(document.working_set().sheet_valid);
  EXPECT_TRUE(document.take_panel_update().repaint);
}

TEST_F(MouseEdit, CancelOrTheSameColourKeepsTheStoredWord) {
  ui.colour_answers.push_back(-1);
  EXPECT_EQ(click(areas.palette.left + 36, areas.palette.top), ClickResult::kColourCancelled);
  EXPECT_EQ(document.working_set().palette[3], 0x8000 | 0x0C63);
  EXPECT_FALSE(document.take_panel_update().repaint);
  ui.colour_answers.push_back(palette_colour_to_display(0x0C63));
  EXPECT_EQ(click(areas.palette.left + 47, areas.palette.top), ClickResult::kRecoloured);
  EXPECT_EQ(document.working_set().palette[3], 0x8000 | 0x0C63);
  // Just beyond the last swatch is outside the palette area.
  EXPECT_EQ(click(areas.palette.left + 192, areas.palette.top), ClickResult::kNothing);
}

TEST_F(MouseEdit, SheetPressSelectsTheTileOfTheShownPage) {
  EXPECT_EQ(click(areas.sheet.left + 16 * 3 + 5, areas.sheet.top + 16 * 2 + 15),
            ClickResult::kTileSelected);
  EXPECT_EQ(document.display().selected_tile, 2 * 16 + 3);
  document.panel_command(PanelCommand::kPage);
  click(areas.sheet.left, areas.sheet.top);
  EXPECT_EQ(document.display().selected_tile, 512);
  click(areas.sheet.right - 1, areas.sheet.bottom - 1);
  EXPECT_EQ(document.display().selected_tile, 1023);
}

TEST_F(MouseEdit, PlacingAFlippedTileKeepsBits11To13OfTheEntry) {
  document.display().selected_tile = 5;
  document.panel_command(PanelCommand::kFlipX);
  const int bx = areas.frame.left + 144, by = areas.frame.top + 144;
  // Block 0 is the selected block: lower-left quadrant.
  EXPECT_EQ(click(bx + 3, by + 12), ClickResult::kTilePlaced);
  EXPECT_EQ(document.working_set().frames[1].tile[0][2], 0x7805);
  EXPECT_EQ(stored_entry(0, 2), 0x7805);  // in the position data, bits 11-13 as they were
  EXPECT_EQ(stored_entry(0, 0), 0x3810);  // the rest of the record is untouched
  document.panel_command(PanelCommand::kFlipY);
  document.panel_command(PanelCommand::kFlipX);
  document.display().selected_tile = 0x7FF;
  click(bx + 23, by + 23);  // lower right of block 0
  EXPECT_EQ(stored_entry(0, 3), 0xBFFF);
  EXPECT_EQ(document.view().block_no, 0);
}

TEST_F(MouseEdit, OverlapGoesToTheSelectedBlockElseTheLowest) {
  document.display().selected_tile = 9;
  const int bx = areas.frame.left + 144, by = areas.frame.top + 144;
  // Block 1 starts at 144 + 12; the point (156, 144) is in blocks 0 and 1.
  click(bx + 12, by);
  EXPECT_EQ(stored_entry(0, 1), 0x3809);
  EXPECT_EQ(stored_entry(1, 0), 0x3810 + tile_entry_word_index(0, 1, 0));
  document.view().block_no = 1;
  click(bx + 12, by);
  EXPECT_EQ(stored_entry(1, 0), 0x3809);
}

TEST_F(MouseEdit, BoxOfANegativeOffsetAndPressesOutsideEveryBlock) {
  document.display().selected_tile = 7;
  const int fx = areas.frame.left, fy = areas.frame.top;
  // Block 2 (X = -1, Y = 0x20): box at (-1 * 3 / 2 + 144, 32 * 3 / 2 + 144) = (143, 192).
  EXPECT_EQ(click(fx + 142, fy + 192), ClickResult::kNothing);
  EXPECT_EQ(click(fx + 143, fy + 192), ClickResult::kTilePlaced);
  EXPECT_EQ(stored_entry(2, 0), 0x3807);
  document.take_panel_update();
  EXPECT_EQ(click(fx + 1, fy + 1), ClickResult::kNothing);
  EXPECT_EQ(click(fx + 288, fy + 150), ClickResult::kNothing);
  EXPECT_FALSE(document.take_panel_update().repaint);
}

TEST_F(MouseEdit, SelectedBlockBeyondTheCountChangesNothing) {
  document.view().block_no = 10;  // the store's slot 10 lies at the centre (all zero)
  document.display().selected_tile = 0x21;
  uint8_t before[40];
  std::copy(document.working_set().position_data + 40, document.working_set().position_data + 80, before);
  EXPECT_EQ(click(areas.frame.left + 150, areas.frame.top + 150), ClickResult::kTilePlaced);
  EXPECT_TRUE(std::equal(before, before + 40, document.working_set().position_data + 40));
  EXPECT_FALSE(document.can_undo());
}

// ---- the same presses at every zoom: a press on what is drawn at a place takes that place ----

// The frame, the sheet and the palette apart from each other at every zoom.
ViewAreas zoomed(int zoom) {
  return compute_view_areas(Rect{10, 20, 300, 310}, Rect{1200, 4, 1240, 16},
                            Rect{10, 1300, 200, 1312}, zoom);
}

TEST_F(MouseEdit, PressOnTheTileDrawnAtColumnAndRowSelectsItAtEveryZoom) {
  const int tiles[][2] = {{0, 0}, {15, 0}, {0, 31}, {15, 31}, {7, 13}};
  PanelPainter painter;
  Surface surface;
  for (int zoom = kMinZoom; zoom <= kMaxZoom; ++zoom) {
    areas = zoomed(zoom);
    const int side = 16 * zoom;  // an 8-pixel tile enlarged twice, times the zoom
    for (const auto& [column, row] : tiles) {
      for (const int inside : {0, side - 1}) {
        click(areas.sheet.left + column * side + inside, areas.sheet.top + row * side + inside);
        ASSERT_EQ(document.display().selected_tile, row * 16 + column)
            << "zoom " << zoom << " tile " << column << "," << row << " +" << inside;
      }
      surface.resize(2300, 2100, 0);  // the white outline is drawn on the tile pressed
      document.paint(painter, areas, false, surface);
      EXPECT_EQ(surface.at(areas.sheet.left + column * side, areas.sheet.top + row * side),
                0xFFFFFFu);
    }
  }
}

TEST_F(MouseEdit, PressInTheMiddleOfAQuadrantReplacesItsTileAtEveryZoom) {
  // Four blocks apart, offsets odd and negative where truncation matters.
  const int offsets[4][2] = {{-1, -3}, {21, -41}, {-61, 33}, {41, 41}};
  uint8_t* xy = document.working_set().position_data + 40 + 32;
  for (int b = 0; b < 8; ++b) xy[b] = static_cast<uint8_t>(offsets[b / 2][b % 2]);
  unpack_all_frames(document.working_set(), 2);
  for (int zoom = kMinZoom; zoom <= kMaxZoom; ++zoom) {
    areas = zoomed(zoom);
    for (int b = 0; b < 4; ++b) {
      for (int q = 0; q < 4; ++q) {
        // The canvas point in the middle of the quadrant, enlarged 3/2 x zoom.
        const int cx = 96 + offsets[b][0] + kQuadrantX[q] + 4;
        const int cy = 96 + offsets[b][1] + kQuadrantY[q] + 4;
        document.display().selected_tile = 0x100 + 4 * b + q;
        ASSERT_EQ(click(areas.frame.left + cx * 3 * zoom / 2, areas.frame.top + cy * 3 * zoom / 2),
                  ClickResult::kTilePlaced);
        EXPECT_EQ(stored_entry(b, q) & 0x7FF, 0x100 + 4 * b + q)
            << "zoom " << zoom << " block " << b << " quadrant " << q;
      }
    }
  }
}

}  // namespace
}  // namespace vcv
