// Playing an animation tick by tick, what ends playing, and the mouse wheel over the frame and
// the sheet, on the generated demo ROM.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "demo/demo_rom.h"
#include "document/document.h"
#include "panel_test_ui.h"
#include "sprite/frames.h"
#include "view/playback.h"

namespace vcv {
namespace {

using demo::DemoRomFacts;

const std::string& demo_path() {
  static const std::string path = [] {
    const std::string file = ::testing::TempDir() + "playback_demo.sfc";
    std::string error;
    EXPECT_TRUE(demo::write_demo_rom(file, &error)) << error;
    return file;
  }();
  return path;
}

class PlaybackOnDemo : public ::testing::Test {
 protected:
  void SetUp() override {
    document.panel_created();
    start_over();
  }
  // The ROM opened afresh, facing Down (not the first slot), on the first animation of three
  // frames or more, so that looping shows.
  void start_over() {
    ViewState& view = document.view();
    view.face_direction = 1;
    view.weapon_palette = 0;
    view.sequence_mode = 1;
    ASSERT_TRUE(document.open(demo_path()).ok());
    document.select_entry(DemoRomFacts::kEntrySize1);
    while (view.sequence_count < 3 && view.animation_no + 1 < view.animation_count) {
      document.arrows(PanelArrows::kAnimation, kScrollLineRight);
    }
    ASSERT_GE(view.sequence_count, 3);
  }
  uint64_t revision() const { return document.history().revision(); }
  // One tick of the timer as the window runs it: the step, then the refresh.
  bool tick() {
    if (!playback_tick(playback, document.view(), revision())) return false;
    document.refresh();
    return true;
  }

  Document document;
  Playback playback;
  PanelMirror panel;
};

TEST_F(PlaybackOnDemo, TicksStepThroughTheSequenceAndLoop) {
  const ViewState& view = document.view();
  const SpriteWorkingSet& set = document.working_set();
  const int count = view.sequence_count;
  start_playback(playback, view, revision());
  for (int n = 1; n <= 2 * count + 1; ++n) {
    ASSERT_TRUE(tick());
    const int step = n % count;
    EXPECT_EQ(view.sequence_no, step) << n;
    EXPECT_EQ(view.image_no, set.animation[0][1][view.animation_no * 4 + step]) << n;
    panel.take(document);
    EXPECT_EQ(panel.texts().sequence_field, std::string(1, '0') + char('0' + step));
  }
  EXPECT_EQ(playback.interval_ms, 150);
}

TEST_F(PlaybackOnDemo, EditsEntriesImageNoModeAndStoppingEndIt) {
  struct Case {
    const char* what;
    std::function<void(Document&, Playback&)> act;
    bool plays_on;
  };
  const Case cases[] = {
      {"a tile placed", [](Document& d, Playback&) {
         const SpriteWorkingSet& set = d.working_set();
         const int offset = frame_record_offset(set, d.view().image_no);
         const uint8_t low = set.position_data[offset] ^ 1;
         ASSERT_TRUE(d.apply_changes(EditAction::kPlaceTile,
                                     {{{BufferKind::kPositionData, set.position_type}, offset,
                                       {low}}}));
       }, false},
      {"another entry", [](Document& d, Playback&) { d.select_entry(DemoRomFacts::kEntrySize2); },
       false},
      {"ImageNo mode", [](Document& d, Playback&) { d.panel_command(PanelCommand::kImageRadio); },
       false},
      {"stopped", [](Document&, Playback& p) { stop_playback(p); }, false},
      {"another facing", [](Document& d, Playback&) { d.panel_command(PanelCommand::kFace); },
       true},
      {"another weapon palette",
       [](Document& d, Playback&) { d.arrows(PanelArrows::kWeaponPalette, kScrollLineRight); },
       true},
  };
  for (const Case& c : cases) {
    start_over();
    start_playback(playback, document.view(), revision());
    ASSERT_TRUE(tick());
    c.act(document, playback);
    const int before = document.view().sequence_no;
    EXPECT_EQ(tick(), c.plays_on) << c.what;
    EXPECT_EQ(playback.playing, c.plays_on) << c.what;
    EXPECT_EQ(document.view().sequence_no != before, c.plays_on) << c.what;
  }
  // Taking an edit back is an edit too.
  start_over();
  cases[0].act(document, playback);
  start_playback(playback, document.view(), revision());
  ASSERT_TRUE(document.undo());
  EXPECT_FALSE(tick());
}

TEST_F(PlaybackOnDemo, WheelStepsTheFrameOrTurnsThePage) {
  const ViewAreas areas =
      compute_view_areas(Rect{10, 20, 300, 310}, Rect{600, 4, 640, 16}, Rect{10, 400, 200, 412});
  const int fx = areas.frame.left + 5, fy = areas.frame.top + 5;
  const int sx = areas.sheet.left + 5, sy = areas.sheet.top + 5;
  ViewState& view = document.view();
  const int sequences = view.sequence_count;
  document.wheel(areas, fx, fy, 2);  // toward the user: forward, as the right arrow
  EXPECT_EQ(view.sequence_no, 2);
  document.wheel(areas, fx, fy, -3);  // away: back, wrapping as the left arrow
  EXPECT_EQ(view.sequence_no, sequences - 1);
  document.panel_command(PanelCommand::kImageRadio);
  view.image_no = 0;
  document.wheel(areas, fx, fy, -1);
  EXPECT_EQ(view.image_no, view.image_count - 1);
  EXPECT_EQ(view.sequence_mode, 0);
  document.wheel(areas, fx, fy, 1);
  EXPECT_EQ(view.image_no, 0);

  panel.take(document);
  document.wheel(areas, sx, sy, 1);
  EXPECT_EQ(view.tile_page, 1);
  EXPECT_EQ(panel.take(document).captions[PanelButton::kPage], "+4000");
  document.wheel(areas, sx, sy, 3);  // already on the last page: nothing to do
  EXPECT_EQ(view.tile_page, 1);
  EXPECT_TRUE(panel.take(document).empty());
  document.wheel(areas, sx, sy, -1);
  EXPECT_EQ(view.tile_page, 0);
  panel.take(document);
  document.wheel(areas, areas.palette.left, areas.palette.top, 1);  // elsewhere: nothing
  EXPECT_TRUE(panel.take(document).empty());
  EXPECT_EQ(view.image_no, 0);
}

}  // namespace
}  // namespace vcv
