// Playing an animation tick by tick, what ends playing, and the mouse wheel over the frame and
// the sheet, on the generated demo ROM.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "demo/demo_rom.h"
#include "panel_test_ui.h"
#include "view/playback.h"

namespace vcv {
namespace {

class PlaybackOnDemo : public ::testing::Test {
 protected:
  void SetUp() override {
    static const std::string path = ::testing::TempDir() + "playback_demo.sfc";
    std::string error;
    static const bool written = demo::write_demo_rom(path, &error);
    ASSERT_TRUE(written) << error;
    document.panel_created();
    document.view().face_direction = 1;  // Down: not the first slot of the table
    ASSERT_TRUE(document.open(path).ok());
    document.select_entry(demo::DemoRomFacts::kEntrySize1);
    // The first animation of three frames or more, so that looping shows.
    while (view.sequence_count < 3 && view.animation_no + 1 < view.animation_count) {
      document.arrows(PanelArrows::kAnimation, kScrollLineRight);
    }
    ASSERT_GE(view.sequence_count, 3);
    start_playback(playback, view, document.history().revision());
  }
  // One tick of the timer as the window runs it: the step, then the refresh.
  bool tick() {
    if (!playback_tick(playback, view, document.history().revision())) return false;
    return document.refresh();
  }

  Document document;
  ViewState& view = document.view();
  Playback playback;
  PanelMirror panel;
};

TEST_F(PlaybackOnDemo, TicksStepThroughTheSequenceAndLoop) {
  const int count = view.sequence_count;
  for (int n = 1; n <= 2 * count + 1; ++n) {
    ASSERT_TRUE(tick());
    EXPECT_EQ(view.sequence_no, n % count);
    EXPECT_EQ(view.image_no,
              document.working_set().animation[0][1][view.animation_no * 4 + n % count]);
  }
}

TEST_F(PlaybackOnDemo, EditsUndoStoppingEntriesAndImageNoModeEndIt) {
  document.panel_command(PanelCommand::kFace);  // view changes go on playing
  document.arrows(PanelArrows::kWeaponPalette, kScrollLineRight);
  ASSERT_TRUE(tick());
  const std::function<void()> ending[] = {
      [this] { document.apply_tile_info("X=5 Y=-3"); },
      [this] { document.undo(); },
      [this] { stop_playback(playback); },
      [this] { document.select_entry(demo::DemoRomFacts::kEntrySize2); },
      [this] { document.panel_command(PanelCommand::kImageRadio); },
  };
  for (int i = 0; i < 5; ++i) {
    start_playback(playback, view, document.history().revision());
    ASSERT_TRUE(tick());
    ending[i]();
    const int shown = view.sequence_no;
    EXPECT_FALSE(tick()) << i;
    EXPECT_FALSE(playback.playing) << i;
    EXPECT_EQ(view.sequence_no, shown) << i;
  }
}

TEST_F(PlaybackOnDemo, WheelStepsTheFrameOrTurnsThePage) {
  const ViewAreas areas =
      compute_view_areas(Rect{10, 20, 300, 310}, Rect{600, 4, 640, 16}, Rect{10, 400, 200, 412});
  const int fx = areas.frame.left + 5, fy = areas.frame.top + 5;
  const int sx = areas.sheet.left + 5, sy = areas.sheet.top + 5;
  document.wheel(areas, fx, fy, 2);  // toward the user: forward, as the right arrow
  EXPECT_EQ(view.sequence_no, 2);
  document.wheel(areas, fx, fy, -3);  // away: back, wrapping as the left arrow
  EXPECT_EQ(view.sequence_no, view.sequence_count - 1);
  document.panel_command(PanelCommand::kImageRadio);
  view.image_no = 0;
  document.wheel(areas, fx, fy, -1);
  EXPECT_EQ(view.image_no, view.image_count - 1);
  EXPECT_EQ(view.sequence_mode, 0);

  panel.take(document);
  document.wheel(areas, sx, sy, 1);
  EXPECT_EQ(view.tile_page, 1);
  EXPECT_EQ(panel.take(document).captions[PanelButton::kPage], "+4000");
  document.wheel(areas, sx, sy, 3);  // already on the last page: nothing to do
  EXPECT_TRUE(panel.take(document).empty());
  document.wheel(areas, sx, sy, -1);
  EXPECT_EQ(view.tile_page, 0);
}

}  // namespace
}  // namespace vcv
