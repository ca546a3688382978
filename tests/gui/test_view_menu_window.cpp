// The View menu in the real window: the panel zoomed (the frame's screen pixels at zoom 2, no
// control covered, the template's layout back at zoom 1, the guide's picture), an animation
// played through the timer's messages and the real timer, and the wheel through the message loop.
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "app/main_window.h"
#include "app/mouse_wheel.h"
#include "app/playback_timer.h"
#include "demo/demo_rom.h"
#include "gui_fixture.h"
#include "res/resource.h"
#include "screenshot.h"

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

Rect window_size(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return Rect{0, 0, r.right - r.left, r.bottom - r.top};
}

class ViewMenu : public PanelWindow {
 protected:
  // Whether the View menu shows `command_id` checked once its pop-ups (Zoom, Speed) are opened.
  bool menu_checked(int command_id) {
    HMENU bar = GetMenu(app.main_window);
    HMENU view = GetSubMenu(bar, 2);
    SendMessageW(app.main_window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(view), 0);
    for (int i = 0; i < GetMenuItemCount(view); ++i) {
      if (HMENU popup = GetSubMenu(view, i)) {
        SendMessageW(app.main_window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
      }
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

// The guide's picture is the window at zoom 2 (to VANTOR_SCREENSHOT_DIR, as the others): grown
// to the screen, the rest of the panel within reach of its scroll bars.
TEST_F(ViewMenu, ZoomGrowsFrameAndSheetAndCoversNoControl) {
  open_demo_rom();
  select_entry(DemoRomFacts::kEntrySize3);
  const std::map<int, Rect> template_rects = control_rects(panel);
  const Rect window_before = window_size(app.main_window);
  const ViewAreas one = areas();
  EXPECT_TRUE(menu_checked(IDM_ZOOM_1));

  choose_menu(IDM_ZOOM_2);
  const char* folder = std::getenv("VANTOR_SCREENSHOT_DIR");
  if (folder != nullptr && *folder != '\0') {
    EXPECT_TRUE(save_picture(capture_window(app.main_window), std::string(folder) + "/zoom.png"));
  }
  const ViewAreas two = areas();
  EXPECT_TRUE(menu_checked(IDM_ZOOM_2) && !menu_checked(IDM_ZOOM_1));
  EXPECT_EQ(two.frame, (Rect{one.frame.left, one.frame.top, one.frame.left + 2 * 288,
                             one.frame.top + 2 * 288}));
  EXPECT_EQ(two.sheet.width(), 2 * 256);
  for (const auto& [id, r] : control_rects(panel)) {
    if (id == IDC_FRAME_ANCHOR) continue;
    EXPECT_FALSE(intersects(r, two.frame) || intersects(r, two.sheet)) << "control " << id;
  }
  // The canvas on the screen, each canvas pixel three screen pixels wide and high.
  toggle_box(IDC_BOUNDARIES);  // no outlines over it
  const DisplayState& display = app.document.display();
  for (int cy = 1; cy < 192; cy += 5) {
    for (int cx = 1; cx < 192; cx += 3) {
      const int index = display.canvas[cy * 192 + cx];
      const uint32_t expected = index == 0 ? 0 : display_to_pixel(display.display_palette[index]);
      ASSERT_EQ(screen_pixel(two.frame.left + 3 * cx + 2, two.frame.top + 3 * cy + 1), expected)
          << cx << "," << cy;
    }
  }
  left_click(two.sheet.left + 3 * 32 + 31, two.sheet.top + 32);  // tile 13 (hexadecimal)
  EXPECT_EQ(app.document.display().selected_tile, 0x13);

  choose_menu(IDM_ZOOM_4);
  choose_menu(IDM_ZOOM_1);
  for (const auto& [id, r] : control_rects(panel)) {
    EXPECT_EQ(r, template_rects.at(id)) << "control " << id;
  }
  EXPECT_TRUE(areas().frame == one.frame && areas().sheet == one.sheet);
  EXPECT_EQ(window_size(app.main_window), window_before);
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
  EXPECT_TRUE(menu_checked(IDM_PLAY_ANIMATION) && menu_checked(IDM_SPEED_150));
  const int count = view.sequence_count, start = view.sequence_no;
  const uint8_t* sequence = app.document.working_set().animation[0][0] + view.animation_no * 4;
  for (int n = 1; n <= 2 * count; ++n) {
    timer_tick();
    const int step = (start + n) % count;
    ASSERT_EQ(text(IDC_SEQUENCE_FIELD), hex2(step)) << n;
    EXPECT_EQ(text(IDC_IMAGE_FIELD), hex2(sequence[step]));
    expect_frame_shown();
  }
  // The real timer, at the speed chosen, steps it too.
  choose_menu(IDM_SPEED_100);
  const std::string shown = text(IDC_SEQUENCE_FIELD);
  for (DWORD end = GetTickCount() + 3000; GetTickCount() < end && text(IDC_SEQUENCE_FIELD) == shown;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(10);
  }
  EXPECT_NE(text(IDC_SEQUENCE_FIELD), shown);
  choose_menu(IDM_PLAY_ANIMATION);  // F5 again stops it
  EXPECT_FALSE(menu_checked(IDM_PLAY_ANIMATION));
  const std::string stopped = text(IDC_SEQUENCE_FIELD);
  timer_tick();
  EXPECT_EQ(text(IDC_SEQUENCE_FIELD), stopped);
  // Going into the Tile Info box to type stops it, so that no step rewrites the text typed.
  choose_menu(IDM_PLAY_ANIMATION);
  SetFocus(GetDlgItem(panel, IDC_TILE_INFO_TEXT));
  EXPECT_FALSE(menu_checked(IDM_PLAY_ANIMATION));
  SetWindowTextW(GetDlgItem(panel, IDC_TILE_INFO_TEXT), L"typed");
  timer_tick();
  EXPECT_EQ(text(IDC_TILE_INFO_TEXT), "typed");
}

// The wheel as the message loop gets it: addressed to the entry list, which would change the
// entry; over the frame the panel takes it, elsewhere not.
TEST_F(ViewMenu, WheelOverTheFrameReachesThePanel) {
  open_demo_rom();
  toggle_box(IDC_IMAGE_RADIO);
  const ViewState& view = app.document.view();
  const int next = (view.image_no + 1) % view.image_count;
  POINT at = {areas().frame.left + 100, areas().frame.top + 100};
  ClientToScreen(panel, &at);
  MSG message = {};
  message.hwnd = GetDlgItem(panel, IDC_ENTRY_LIST);
  message.message = WM_MOUSEWHEEL;
  message.wParam = MAKEWPARAM(0, -WHEEL_DELTA);  // one notch toward the user
  message.lParam = MAKELPARAM(at.x, at.y);
  dispatch_message(app, message);
  EXPECT_EQ(text(IDC_IMAGE_FIELD), hex2(next));
  EXPECT_EQ(view.current_entry, 0);
  message.lParam = MAKELPARAM(at.x - 100 - 30, at.y);  // left of the frame
  EXPECT_FALSE(route_mouse_wheel(app, message));
}

}  // namespace
}  // namespace vcv
