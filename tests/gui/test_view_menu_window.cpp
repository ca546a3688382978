// The View menu in the real window: the panel zoomed (the frame's screen pixels at zoom 2, no
// control covered, the template's layout back at zoom 1), an animation played through the
// timer's messages and the real timer, the wheel over the frame, and the guide's picture of a
// zoomed panel.
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "app/menu_commands.h"
#include "app/mouse_wheel.h"
#include "app/playback_timer.h"
#include "demo/demo_rom.h"
#include "gui_fixture.h"
#include "res/resource.h"
#include "screenshot.h"
#include "sprite/frames.h"

namespace vcv {
namespace {

using demo::DemoRomFacts;

std::string hex2(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%02X", value);
  return text;
}

std::map<int, Rect> control_rects(HWND panel) {
  std::map<int, Rect> rects;
  for (HWND c = GetWindow(panel, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    RECT r;
    GetWindowRect(c, &r);
    MapWindowPoints(HWND_DESKTOP, panel, reinterpret_cast<POINT*>(&r), 2);
    rects[GetDlgCtrlID(c)] = Rect{r.left, r.top, r.right, r.bottom};
  }
  return rects;
}

bool same(const Rect& a, const Rect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class ViewMenu : public PanelWindow {
 protected:
  // Whether the View menu shows `command_id` checked once its pop-ups (Zoom, Speed) are opened.
  bool menu_checked(int command_id) {
    HMENU bar = GetMenu(app.main_window);
    HMENU view = GetSubMenu(bar, 2);
    for (HMENU popup : {view, GetSubMenu(view, 0), GetSubMenu(view, 3)}) {
      SendMessageW(app.main_window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
    }
    return (GetMenuState(bar, static_cast<UINT>(command_id), MF_BYCOMMAND) & MF_CHECKED) != 0;
  }
  void timer_tick() { SendMessageW(app.main_window, WM_TIMER, kPlaybackTimer, 0); }
  // Screen and painted surface agree over the frame (past the anchor's own frame line).
  void expect_frame_shown() {
    const Rect f = areas().frame;
    for (int y = f.top + 1; y < f.bottom; y += 13) {
      for (int x = f.left + 1; x < f.right; x += 11) {
        ASSERT_EQ(screen_pixel(x, y), app.surface.at(x, y)) << x << "," << y;
      }
    }
  }
};

TEST_F(ViewMenu, ZoomGrowsFrameAndSheetAndCoversNoControl) {
  EXPECT_EQ(menu_caption(app, IDM_ZOOM_2), L"&2x\tCtrl+2");
  EXPECT_EQ(menu_caption(app, IDM_PLAY_ANIMATION), L"&Play Animation\tF5");
  open_demo_rom();
  select_entry(DemoRomFacts::kEntrySize3);
  toggle_box(IDC_IMAGE_RADIO);
  toggle_box(IDC_BOUNDARIES);  // the canvas alone, without outlines over it
  const std::map<int, Rect> template_rects = control_rects(panel);
  RECT window_before;
  GetWindowRect(app.main_window, &window_before);
  const ViewAreas one = areas();
  EXPECT_TRUE(menu_checked(IDM_ZOOM_1));

  choose_menu(IDM_ZOOM_2);
  const ViewAreas two = areas();
  EXPECT_TRUE(menu_checked(IDM_ZOOM_2));
  EXPECT_FALSE(menu_checked(IDM_ZOOM_1));
  EXPECT_EQ(two.frame.width(), 2 * 288);
  EXPECT_EQ(two.sheet.width(), 2 * 256);
  EXPECT_EQ(two.frame.left, one.frame.left);
  EXPECT_EQ(two.frame.top, one.frame.top);
  for (const auto& [id, r] : control_rects(panel)) {
    if (id == IDC_FRAME_ANCHOR) continue;
    EXPECT_FALSE(intersects(r, two.frame) || intersects(r, two.sheet)) << "control " << id;
  }
  // The canvas on the screen, each canvas pixel three screen pixels wide and high.
  const DisplayState& display = app.document.display();
  for (int cy = 1; cy < 192; cy += 5) {
    for (int cx = 1; cx < 192; cx += 3) {
      const int index = display.canvas[cy * 192 + cx];
      const uint32_t expected = index == 0 ? 0 : display_to_pixel(display.display_palette[index]);
      ASSERT_EQ(screen_pixel(two.frame.left + 3 * cx + 2, two.frame.top + 3 * cy + 1), expected)
          << cx << "," << cy;
    }
  }
  expect_frame_shown();
  left_click(two.sheet.left + 3 * 32 + 31, two.sheet.top + 32);  // tile 13 (hexadecimal)
  EXPECT_EQ(app.document.display().selected_tile, 0x13);
  RECT window_zoomed;
  GetWindowRect(app.main_window, &window_zoomed);
  EXPECT_GT(window_zoomed.right - window_zoomed.left, window_before.right - window_before.left);

  choose_menu(IDM_ZOOM_4);
  EXPECT_EQ(areas().sheet.height(), 4 * 512);
  choose_menu(IDM_ZOOM_1);
  for (const auto& [id, r] : control_rects(panel)) {
    EXPECT_TRUE(same(r, template_rects.at(id))) << "control " << id;
  }
  EXPECT_TRUE(same(areas().frame, one.frame) && same(areas().sheet, one.sheet));
  RECT window_after;
  GetWindowRect(app.main_window, &window_after);
  EXPECT_EQ(window_after.right - window_after.left, window_before.right - window_before.left);
  EXPECT_EQ(window_after.bottom - window_after.top, window_before.bottom - window_before.top);
}

TEST_F(ViewMenu, PlayAnimationStepsTheSequenceOnEachTick) {
  open_demo_rom();
  select_entry(DemoRomFacts::kEntrySize1);
  const ViewState& view = app.document.view();
  while (view.sequence_count < 3 && view.animation_no + 1 < view.animation_count) {
    scroll(IDC_ANIMATION_ARROWS, SB_LINERIGHT);
  }
  ASSERT_GE(view.sequence_count, 3);
  toggle_box(IDC_IMAGE_RADIO);
  choose_menu(IDM_PLAY_ANIMATION);  // from ImageNo mode: playing selects Sequence mode
  EXPECT_TRUE(checked(IDC_SEQUENCE_RADIO));
  EXPECT_TRUE(menu_checked(IDM_PLAY_ANIMATION));
  EXPECT_TRUE(menu_checked(IDM_SPEED_150));
  const int count = view.sequence_count, start = view.sequence_no;
  const uint8_t* sequence = app.document.working_set().animation[0][0] + view.animation_no * 4;
  for (int n = 1; n <= 2 * count; ++n) {
    timer_tick();
    const int step = (start + n) % count;
    ASSERT_EQ(text(IDC_SEQUENCE_FIELD), hex2(step)) << n;
    EXPECT_EQ(text(IDC_IMAGE_FIELD), hex2(sequence[step]));
    expect_frame_shown();
  }
  // The real timer of the chosen speed steps it too.
  choose_menu(IDM_SPEED_100);
  EXPECT_TRUE(menu_checked(IDM_SPEED_100));
  const std::string shown = text(IDC_SEQUENCE_FIELD);
  for (DWORD until = GetTickCount() + 3000; GetTickCount() < until && text(IDC_SEQUENCE_FIELD) == shown;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(10);
  }
  EXPECT_NE(text(IDC_SEQUENCE_FIELD), shown);

  // F5 again stops it; so does an edit.
  choose_menu(IDM_PLAY_ANIMATION);
  EXPECT_FALSE(menu_checked(IDM_PLAY_ANIMATION));
  const std::string stopped = text(IDC_SEQUENCE_FIELD);
  timer_tick();
  EXPECT_EQ(text(IDC_SEQUENCE_FIELD), stopped);
  choose_menu(IDM_PLAY_ANIMATION);
  timer_tick();
  ASSERT_NE(text(IDC_SEQUENCE_FIELD), stopped);
  const ViewAreas a = areas();
  left_click(a.sheet.right - 8, a.sheet.bottom - 8);  // tile 1FF: no frame uses it
  const Frame& frame = app.document.working_set().frames[view.image_no];
  const Rect box = a.block_box(byte_to_signed(frame.x[0]), byte_to_signed(frame.y[0]));
  left_click(box.left + 1, box.top + 1);
  ASSERT_TRUE(app.document.can_undo());
  const std::string edited = text(IDC_SEQUENCE_FIELD);
  timer_tick();
  EXPECT_EQ(text(IDC_SEQUENCE_FIELD), edited);
  EXPECT_FALSE(menu_checked(IDM_PLAY_ANIMATION));
}

TEST_F(ViewMenu, WheelOverTheFrameAndTheSheetReachesThePanel) {
  open_demo_rom();
  select_entry(DemoRomFacts::kEntrySize2);
  toggle_box(IDC_IMAGE_RADIO);
  const ViewAreas a = areas();
  // As the message loop sees it, addressed to the entry list (which would change the entry).
  auto wheel_at = [&](int x, int y, int delta) {
    POINT at = {x, y};
    ClientToScreen(panel, &at);
    MSG message = {};
    message.hwnd = GetDlgItem(panel, IDC_ENTRY_LIST);
    message.message = WM_MOUSEWHEEL;
    message.wParam = MAKEWPARAM(0, delta);
    message.lParam = MAKELPARAM(at.x, at.y);
    return route_mouse_wheel(app, message);
  };
  const int image = app.document.view().image_no;
  EXPECT_TRUE(wheel_at(a.frame.left + 100, a.frame.top + 100, -WHEEL_DELTA));
  EXPECT_EQ(text(IDC_IMAGE_FIELD), hex2(image + 1));
  EXPECT_TRUE(wheel_at(a.sheet.left + 10, a.sheet.top + 10, -WHEEL_DELTA));
  EXPECT_EQ(text(IDC_PAGE_BUTTON), "+4000");
  // Elsewhere the wheel goes where Windows sends it; the entry stays.
  EXPECT_FALSE(wheel_at(a.palette.left + 5, a.palette.top + 5, -WHEEL_DELTA));
  EXPECT_EQ(app.document.view().current_entry, DemoRomFacts::kEntrySize2);
}

// The guide's picture of the window at zoom 2 (to VANTOR_SCREENSHOT_DIR, as the others): grown
// to the screen, with the panel's far parts scrolled in.
TEST_F(ViewMenu, PictureForTheGuide) {
  open_demo_rom();
  select_entry(DemoRomFacts::kEntrySize3);
  choose_menu(IDM_ZOOM_2);
  const ScreenPicture picture = capture_window(app.main_window);
  ASSERT_GT(picture.width, 2 * 288 + 2 * 256);
  const char* folder = std::getenv("VANTOR_SCREENSHOT_DIR");
  if (folder == nullptr || *folder == '\0') return;
  const std::string path = std::string(folder) + "/zoom.png";
  EXPECT_TRUE(save_picture(picture, path)) << path;
}

}  // namespace
}  // namespace vcv
