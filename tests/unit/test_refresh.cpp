// The refresh on the generated demo ROM: fields, range labels, clamps in both modes, the Info
// text of a 24-block frame and of an entry whose graphics cannot be decoded, and repainting.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "demo/demo_rom.h"
#include "panel_test_ui.h"
#include "document/document.h"
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
    document.panel_created();
    ASSERT_TRUE(document.open(demo_path()).ok());
  }
  void select(int entry) { document.select_entry(entry); }
  // The panel's texts after what has happened so far.
  PanelTexts texts() {
    panel.take(document);
    return panel.texts();
  }

  Document document;
  PanelMirror panel;
};

TEST_F(Refresh, ImageNoModeShowsNumbersAndRanges) {
  document.panel_command(PanelCommand::kImageRadio);
  select(DemoRomFacts::kEntrySize2);
  EXPECT_EQ(texts().list_selection, DemoRomFacts::kEntrySize2);
  EXPECT_EQ(texts().entry_label, "No.00A");
  EXPECT_EQ(texts().sequence_range, "00\xEF\xBD\x9E" "03");
  const int count = document.view().image_count;
  ASSERT_GT(count, 1);
  char label[32];
  std::snprintf(label, sizeof label, "00\xEF\xBD\x9E%02X", count - 1);
  EXPECT_EQ(texts().image_range, label);
  document.view().image_no = 0;  // the left arrow at 0 wraps to the last image
  document.arrows(PanelArrows::kImage, kScrollLineLeft);
  std::snprintf(label, sizeof label, "%02X", count - 1);
  EXPECT_EQ(texts().image_field, label);
  EXPECT_NE(texts().info_text.find(std::string("(ImageNo=") + label + ")"),
            std::string::npos);
  // A number beyond the entry's range is pulled down to the last image.
  document.view().image_no = 0xF0;
  document.refresh();
  EXPECT_EQ(document.view().image_no, count - 1);
}

TEST_F(Refresh, SequenceModeTakesTheImageFromTheAnimationTable) {
  select(DemoRomFacts::kEntrySize1);
  const SpriteWorkingSet& set = document.working_set();
  ASSERT_GT(document.view().animation_count, 0);
  bool saw_empty = false, saw_full = false;
  for (int a = 0; a < document.view().animation_count; ++a) {
    document.view().animation_no = a;
    document.view().sequence_no = 3;
    document.refresh();
    const uint8_t* steps = &set.animation[0][0][a * 4];
    const int length = static_cast<int>(std::find(steps, steps + 4, 0xFF) - steps);
    EXPECT_EQ(document.view().sequence_count, length) << a;
    if (length == 0) {
      saw_empty = true;
      EXPECT_EQ(document.view().image_no, 0);
      EXPECT_EQ(document.view().sequence_no, 0);
      EXPECT_EQ(texts().sequence_range, "00\xEF\xBD\x9E" "FFFFFFFF");
    } else {
      saw_full = saw_full || length == 4;
      EXPECT_EQ(document.view().sequence_no, length - 1);  // clamped from 3
      EXPECT_EQ(document.view().image_no, steps[length - 1]);
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
    if (document.working_set().animation_type() == DemoRomFacts::kAnimationTypeNoTable2) entry = e;
  }
  ASSERT_GE(entry, 0);
  document.panel_command(PanelCommand::kAnimationTable);
  EXPECT_EQ(document.view().animation_count, 0);
  EXPECT_EQ(document.view().animation_no, 0);
  EXPECT_EQ(texts().animation_range, "00\xEF\xBD\x9E" "FFFFFFFF");
  document.arrows(PanelArrows::kAnimation, kScrollLineLeft);
  EXPECT_EQ(document.view().animation_no, 0);
  EXPECT_GE(document.view().image_no, 0);
}

TEST_F(Refresh, InfoTextOfATwentyFourBlockFrame) {
  document.panel_command(PanelCommand::kImageRadio);
  select(DemoRomFacts::kEntrySize3);
  const std::string info = texts().info_text;
  EXPECT_NE(info.find("Type of Size=03(# of Tiles=96, # of Sprites=24)\r\n"), std::string::npos);
  EXPECT_EQ(count_lines(info), 7 + 30);  // seven lines, then 24 lines of entries and 6 of X, Y
  const std::string tile_info = texts().tile_info_text;
  EXPECT_EQ(tile_info.rfind("X=", 0), 0u);
  EXPECT_NE(tile_info.find("L Right TileNo="), std::string::npos);
  // The canvas holds the rendered frame and the display palette its colours.
  EXPECT_TRUE(std::any_of(document.display().canvas, document.display().canvas + kCanvasSize * kCanvasSize,
                          [](uint8_t p) { return p != 0; }));
}

TEST_F(Refresh, UndecodableGraphicsAreNamedInTheInfoText) {
  select(DemoRomFacts::kEntryUndecodable);
  EXPECT_NE(texts().info_text.find("could not be decoded"), std::string::npos)
      << texts().info_text;
  EXPECT_TRUE(std::all_of(document.display().canvas, document.display().canvas + kCanvasSize * kCanvasSize,
                          [](uint8_t p) { return p == 0; }));
  select(DemoRomFacts::kEntrySize0);
  EXPECT_EQ(texts().info_text.find("could not be decoded"), std::string::npos);
}

TEST_F(Refresh, RepeatedRefreshGivesTheSamePictureAndRepaintsEachTime) {
  select(DemoRomFacts::kEntrySize3);
  uint8_t canvas[kCanvasSize * kCanvasSize];
  std::memcpy(canvas, document.display().canvas, sizeof canvas);
  const std::string info = texts().info_text;
  document.working_set().sheet_valid = true;
  document.refresh();
  EXPECT_EQ(std::memcmp(canvas, document.display().canvas, sizeof canvas), 0);
  const PanelUpdate again = document.take_panel_update();
  ASSERT_TRUE(again.texts);
  EXPECT_EQ(again.texts->info_text, info);
  EXPECT_TRUE(again.repaint);
  EXPECT_TRUE(document.working_set().sheet_valid);  // the same entry is not loaded again
  PanelContext context = document.panel();
  PanelTexts fresh;
  EXPECT_TRUE(refresh_view_new_sheet(context, &fresh));
  EXPECT_FALSE(document.working_set().sheet_valid);
  EXPECT_EQ(fresh.info_text, info);
}

TEST_F(Refresh, NothingHappensOnceTheRomIsClosed) {
  document.rom().close();
  document.take_panel_update();
  select(DemoRomFacts::kEntrySize3);
  EXPECT_FALSE(document.refresh());
  PanelContext context = document.panel();
  PanelTexts untouched;
  untouched.info_text = "as it was";
  EXPECT_FALSE(refresh_view_new_sheet(context, &untouched));
  EXPECT_EQ(untouched.info_text, "as it was");
  EXPECT_TRUE(document.take_panel_update().empty());
}

}  // namespace
}  // namespace vcv
