// The pixel editor over the document on a copy of the demo ROM: strokes, fills and tile turns
// are one step each and show what was drawn; the layout's zoom and hit tests.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/pixel_editor.h"
#include "sprite/frames.h"
#include "panel_test_ui.h"
#include "write_test_support.h"

namespace vcv {
namespace {

using namespace testing_support;

class PixelEditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    open_demo_copy(document, "pixel_editor.sfc");
    document.panel_command(PanelCommand::kImageRadio);
    document.select_entry(demo::DemoRomFacts::kEntrySize1);
    document.view().image_no = 1;
    document.view().block_no = 0;
    document.refresh();
  }
  // A pixel of a quadrant whose picture is not its own mirror image, so that turning it shows.
  static PixelPoint asymmetric_quadrant(const std::vector<uint8_t>& shown) {
    for (int q = 0; q < 4; ++q) {
      const int left = (q & 1) * 8, top = (q >> 1) * 8;
      for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 4; ++x) {
          if (shown[static_cast<size_t>((top + y) * 16 + left + x)] !=
              shown[static_cast<size_t>((top + y) * 16 + left + 7 - x)]) {
            return {left + 1, top + 1};
          }
        }
      }
    }
    return {1, 1};
  }
  std::vector<uint8_t> tiles() const {
    const SpriteWorkingSet& set = document.working_set();
    return std::vector<uint8_t>(set.tile_data, set.tile_data + kTileDataSize);
  }

  Document document;
  PixelEditor editor{document};
};

TEST_F(PixelEditorTest, EachPressToReleaseIsOneStepThatShowsWhatWasDrawn) {
  const std::vector<uint8_t> before = tiles();
  const std::vector<uint8_t> shown_before = editor.pixels();
  static PixelPoint turned;
  turned = asymmetric_quadrant(shown_before);
  const struct {
    const char* caption;
    void (*act)(PixelEditor&);
  } cases[] = {
      // A fast drag: one move from corner to corner leaves no gap on the diagonal.
      {"Draw", [](PixelEditor& e) { e.press({1, 1}, false); e.drag({14, 14}); e.release(); }},
      {"Fill", [](PixelEditor& e) { e.press({0, 15}, true); }},
      {"Flip Tile", [](PixelEditor& e) { e.transform(TileTransform::kFlipHorizontal, turned); }},
      {"Rotate Tile",
       [](PixelEditor& e) { e.transform(TileTransform::kRotateClockwise, turned); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.caption);
    // A colour the shown pixels do not all have already.
    editor.choose_colour(shown_before[0] == 7 ? 9 : 7);
    c.act(editor);
    ASSERT_NE(tiles(), before) << "nothing changed";
    EXPECT_EQ(document.history().size(), 1u);
    EXPECT_EQ(document.undo_caption(), std::string("Undo ") + c.caption);
    if (std::string(c.caption) == "Draw") {
      const std::vector<uint8_t> shown = editor.pixels();
      for (int i = 1; i <= 14; ++i) {
        EXPECT_EQ(shown[static_cast<size_t>(i * 16 + i)], editor.colour()) << i;
      }
    }
    ASSERT_TRUE(document.undo());
    EXPECT_EQ(tiles(), before);
    EXPECT_EQ(editor.pixels(), shown_before);
    SetUp();  // the next case starts from the ROM again, with an empty history
  }
}

TEST_F(PixelEditorTest, ThePanelShowsTheStrokeAndRightPicks) {
  editor.choose_colour(3);
  editor.press({4, 4}, false);
  EXPECT_TRUE(document.take_panel_update().repaint) << "the frame follows while drawing";
  editor.drag({8, 4});
  editor.release();
  editor.choose_colour(0);
  editor.pick({6, 4});
  EXPECT_EQ(editor.colour(), 3);
  EXPECT_NE(editor.usage_text().find(" in "), std::string::npos) << editor.usage_text();
  editor.show_tile(0x12);
  EXPECT_EQ(editor.target().side(), 8);
  EXPECT_EQ(editor.usage_text().rfind("tile 012: ", 0), 0u) << editor.usage_text();
}

TEST_F(PixelEditorTest, ADoubleClickOnABlockTakesBackItsFirstPressAndSelectsTheBlock) {
  const ViewAreas areas = compute_view_areas(Rect{100, 20, 400, 320}, Rect{500, 4, 540, 16},
                                             Rect{10, 400, 200, 412});
  const std::vector<uint8_t> before(document.working_set().position_data,
                                    document.working_set().position_data + kPositionDataCapacity);
  const Frame& frame = document.working_set().frames[document.view().image_no];
  const int x = areas.frame.left + byte_to_signed(frame.x[1]) * 3 / 2 + 144 + 2;
  const int y = areas.frame.top + byte_to_signed(frame.y[1]) * 3 / 2 + 144 + 2;
  document.display().selected_tile = 0x2F;
  PanelTestUi ui;
  ASSERT_EQ(document.left_click(ui, areas, x, y), ClickResult::kTilePlaced);
  ASSERT_TRUE(document.can_undo());
  const Document::DoubleClick hit = document.double_click(areas, x, y);
  EXPECT_EQ(hit.kind, Document::DoubleClick::kBlock);
  EXPECT_EQ(document.view().block_no, hit.number);
  EXPECT_FALSE(document.can_undo());
  EXPECT_FALSE(document.can_redo());
  EXPECT_TRUE(std::equal(before.begin(), before.end(), document.working_set().position_data));
  // On the sheet: the tile under the pointer, and nothing is taken back.
  const Document::DoubleClick tile = document.double_click(areas, areas.sheet.left + 16 * 2 + 1,
                                                           areas.sheet.top + 16 + 1);
  EXPECT_EQ(tile.kind, Document::DoubleClick::kTile);
  EXPECT_EQ(tile.number, 0x12);
}

TEST(PixelEditorLayout, ZoomFitsTheWindowAndTheHitTestsFollowIt) {
  const struct {
    int width, height, side, wanted, zoom;
  } cases[] = {
      {100, 100, 16, 32, 4},    // too small: the smallest zoom
      {600, 600, 16, 32, 32},   // room for the largest
      {600, 600, 16, 10, 10},   // never more than asked
      {300, 600, 16, 32, 14},   // the width decides: 8 + 16z + 8 + 48 + 8 <= 300
      {600, 600, 8, 32, 32},    // a tile
  };
  for (const auto& c : cases) {
    const PixelEditorLayout layout = pixel_editor_layout(c.width, c.height, c.side, c.wanted);
    EXPECT_EQ(layout.zoom, c.zoom) << c.width << "x" << c.height;
    int width = 0, height = 0;
    pixel_editor_client_size(c.side, layout.zoom, &width, &height);
    if (c.zoom > kMinEditorZoom) {
      EXPECT_LE(width, c.width);
    }
    PixelPoint p;
    ASSERT_TRUE(editor_pixel_at(layout, c.side, layout.canvas.right - 1, layout.canvas.top, &p));
    EXPECT_EQ(p, (PixelPoint{c.side - 1, 0}));
    EXPECT_FALSE(editor_pixel_at(layout, c.side, layout.canvas.right, layout.canvas.top, &p));
    EXPECT_EQ(editor_swatch_at(layout, layout.swatches.left, layout.swatches.bottom - 1), 7);
    EXPECT_EQ(editor_swatch_at(layout, layout.swatches.right - 1, layout.swatches.top), 8);
    EXPECT_EQ(editor_swatch_at(layout, layout.swatches.right, layout.swatches.top), -1);
  }
}

}  // namespace
}  // namespace vcv
