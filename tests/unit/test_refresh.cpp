// The refresh on the generated demo ROM: fields, range labels, clamps in both modes, the Info
// text of a 24-block frame and of an entry whose graphics cannot be decoded, and repainting.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "demo/demo_rom.h"
#include "panel_test_ui.h"
#include "res/resource.h"
#include "rom/open_rom.h"
#include "view/app_state.h"
#include "view/panel_actions.h"
#include "view/refresh.h"

namespace vcv {
namespace {

using demo::DemoRomFacts;

const std::string& demo_path() {
  static const std::string path = [] {
    const std::string file = ::testing::TempDir() + "refresh_demo.sfc";
    std::string error;
    EXPECT_TRUE(demo::write_demo_rom(file, &error)) << error;
    return file;
  }();
  return path;
}

int count_lines(const std::string& text) {
  int lines = 0;
  for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) {
    ++lines;
  }
  return lines;
}

class Refresh : public ::testing::Test {
 protected:
  void SetUp() override {
    on_panel_created(app, ui);
    ASSERT_EQ(open_rom(app, ui, demo_path()), 1);
  }
  void select(int entry) { on_entry_selected(app, ui, entry); }

  AppState app;
  PanelTestUi ui;
};

TEST_F(Refresh, ImageNoModeShowsNumbersAndRanges) {
  on_image_radio(app, ui);
  select(DemoRomFacts::kEntrySize2);
  EXPECT_EQ(ui.list_selection, DemoRomFacts::kEntrySize2);
  EXPECT_EQ(ui.texts[IDC_ENTRY_LABEL], "No.00A");
  EXPECT_EQ(ui.texts[IDC_SEQUENCE_RANGE], "00\xEF\xBD\x9E" "03");
  const int count = app.view.image_count;
  ASSERT_GT(count, 1);
  char label[32];
  std::snprintf(label, sizeof label, "00\xEF\xBD\x9E%02X", count - 1);
  EXPECT_EQ(ui.texts[IDC_IMAGE_RANGE], label);
  app.view.image_no = 0;  // the left arrow at 0 wraps to the last image
  on_arrows(app, ui, IDC_IMAGE_ARROWS, kScrollLineLeft);
  std::snprintf(label, sizeof label, "%02X", count - 1);
  EXPECT_EQ(ui.texts[IDC_IMAGE_FIELD], label);
  EXPECT_NE(ui.texts[IDC_INFO_TEXT].find(std::string("(ImageNo=") + label + ")"),
            std::string::npos);
  // A number beyond the entry's range is pulled down to the last image.
  app.view.image_no = 0xF0;
  refresh_view(app, ui);
  EXPECT_EQ(app.view.image_no, count - 1);
}

TEST_F(Refresh, SequenceModeTakesTheImageFromTheAnimationTable) {
  select(DemoRomFacts::kEntrySize1);
  const SpriteWorkingSet& set = *app.working_set;
  ASSERT_GT(app.view.animation_count, 0);
  bool saw_empty = false, saw_full = false;
  for (int a = 0; a < app.view.animation_count; ++a) {
    app.view.animation_no = a;
    app.view.sequence_no = 3;
    refresh_view(app, ui);
    const uint8_t* steps = &set.animation[0][0][a * 4];
    const int length = static_cast<int>(std::find(steps, steps + 4, 0xFF) - steps);
    EXPECT_EQ(app.view.sequence_count, length) << a;
    if (length == 0) {
      saw_empty = true;
      EXPECT_EQ(app.view.image_no, 0);
      EXPECT_EQ(app.view.sequence_no, 0);
      EXPECT_EQ(ui.texts[IDC_SEQUENCE_RANGE], "00\xEF\xBD\x9E" "FFFFFFFF");
    } else {
      saw_full = saw_full || length == 4;
      EXPECT_EQ(app.view.sequence_no, length - 1);  // clamped from 3
      EXPECT_EQ(app.view.image_no, steps[length - 1]);
    }
  }
  EXPECT_TRUE(saw_full);
  (void)saw_empty;  // the demo may or may not give this entry an empty sequence
}

TEST_F(Refresh, EmptyAnimationTableKeepsNumbersAtZero) {
  // Odd humanoid entries have no second animation table.
  int entry = -1;
  for (int e = 7; e < 0x100 && entry < 0; ++e) {
    select(e);
    if (app.working_set->animation_type() == DemoRomFacts::kAnimationTypeNoTable2) entry = e;
  }
  ASSERT_GE(entry, 0);
  on_table_button(app, ui);
  EXPECT_EQ(app.view.animation_count, 0);
  EXPECT_EQ(app.view.animation_no, 0);
  EXPECT_EQ(ui.texts[IDC_ANIMATION_RANGE], "00\xEF\xBD\x9E" "FFFFFFFF");
  on_arrows(app, ui, IDC_ANIMATION_ARROWS, kScrollLineLeft);
  EXPECT_EQ(app.view.animation_no, 0);
  EXPECT_GE(app.view.image_no, 0);
}

TEST_F(Refresh, InfoTextOfATwentyFourBlockFrame) {
  on_image_radio(app, ui);
  select(DemoRomFacts::kEntrySize3);
  const std::string& info = ui.texts[IDC_INFO_TEXT];
  EXPECT_NE(info.find("Type of Size=03(# of Tiles=96, # of Sprites=24)\r\n"), std::string::npos);
  EXPECT_EQ(count_lines(info), 7 + 30);  // seven lines, then 24 lines of entries and 6 of X, Y
  const std::string& tile_info = ui.texts[IDC_TILE_INFO_TEXT];
  EXPECT_EQ(tile_info.rfind("X=", 0), 0u);
  EXPECT_NE(tile_info.find("L Right TileNo="), std::string::npos);
  // The canvas holds the rendered frame and the display palette its colours.
  EXPECT_TRUE(std::any_of(app.display.canvas, app.display.canvas + kCanvasSize * kCanvasSize,
                          [](uint8_t p) { return p != 0; }));
}

TEST_F(Refresh, UndecodableGraphicsAreNamedInTheInfoText) {
  select(DemoRomFacts::kEntryUndecodable);
  EXPECT_NE(ui.texts[IDC_INFO_TEXT].find("could not be decoded"), std::string::npos)
      << ui.texts[IDC_INFO_TEXT];
  EXPECT_TRUE(std::all_of(app.display.canvas, app.display.canvas + kCanvasSize * kCanvasSize,
                          [](uint8_t p) { return p == 0; }));
  select(DemoRomFacts::kEntrySize0);
  EXPECT_EQ(ui.texts[IDC_INFO_TEXT].find("could not be decoded"), std::string::npos);
}

TEST_F(Refresh, RepeatedRefreshGivesTheSamePictureAndRepaintsEachTime) {
  select(DemoRomFacts::kEntrySize3);
  uint8_t canvas[kCanvasSize * kCanvasSize];
  std::memcpy(canvas, app.display.canvas, sizeof canvas);
  const std::string info = ui.texts[IDC_INFO_TEXT];
  const int repaints = ui.repaints;
  app.working_set->sheet_valid = true;
  refresh_view(app, ui);
  EXPECT_EQ(std::memcmp(canvas, app.display.canvas, sizeof canvas), 0);
  EXPECT_EQ(ui.texts[IDC_INFO_TEXT], info);
  EXPECT_EQ(ui.repaints, repaints + 1);
  EXPECT_TRUE(app.working_set->sheet_valid);  // the same entry is not loaded again
  refresh_view_new_sheet(app, ui);
  EXPECT_FALSE(app.working_set->sheet_valid);
  EXPECT_EQ(ui.repaints, repaints + 2);
}

TEST_F(Refresh, NothingHappensOnceTheRomIsClosed) {
  app.rom_file.close();
  ui.texts.clear();
  const int repaints = ui.repaints;
  select(DemoRomFacts::kEntrySize3);
  refresh_view(app, ui);
  refresh_view_new_sheet(app, ui);
  EXPECT_TRUE(ui.texts.empty());
  EXPECT_EQ(ui.repaints, repaints);
}

}  // namespace
}  // namespace vcv
