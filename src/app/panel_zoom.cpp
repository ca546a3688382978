#include "app/panel_zoom.h"

#include <algorithm>

#include "res/resource.h"
#include "view/view_layout.h"

namespace vcv {
namespace {

// Controls above the sheet, right of the frame box: they move right as the frame grows.
constexpr int kRightOfFrame[] = {IDC_SHEET_ANCHOR, IDC_PAGE_BUTTON, IDC_FLIPX, IDC_FLIPY};
// Controls below the frame box: they move down as it grows.
constexpr int kBelowFrame[] = {IDC_INFO_LABEL, IDC_INFO_TEXT};
constexpr int kScrollLine = 24;  // pixels a scroll-bar arrow moves the panel

bool scrolling_update_running = false;  // showing a scroll bar resizes the client area again

Rect window_rect(HWND window) {
  RECT r = {};
  GetWindowRect(window, &r);
  return Rect{r.left, r.top, r.right, r.bottom};
}

// Moves the control by (dx, dy) and makes it larger by (dw, dh), in panel pixels.
void shift_control(HWND panel, int control_id, int dx, int dy, int dw, int dh) {
  HWND control = GetDlgItem(panel, control_id);
  if (control == nullptr) return;
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(HWND_DESKTOP, panel, reinterpret_cast<POINT*>(&r), 2);
  SetWindowPos(control, nullptr, r.left + dx, r.top + dy, r.right - r.left + dw,
               r.bottom - r.top + dh, SWP_NOZORDER | SWP_NOACTIVATE);
}

// Changes every place and size by the growth of `steps` zoom steps (negative to shrink), so that
// going back to zoom 1 restores the template's layout exactly.
void relayout_panel(HWND panel, int steps) {
  const int frame_growth = kFrameAreaSize * steps;
  shift_control(panel, IDC_FRAME_ANCHOR, 0, 0, frame_growth, frame_growth);
  for (int id : kRightOfFrame) shift_control(panel, id, frame_growth, 0, 0, 0);
  for (int id : kBelowFrame) shift_control(panel, id, 0, frame_growth, 0, 0);
  // The sheet is the tallest area: the panel grows by its height, and by the frame's and the
  // sheet's widths.
  const Rect r = window_rect(panel);
  SetWindowPos(panel, nullptr, 0, 0, r.width() + frame_growth + kSheetAreaWidth * steps,
               r.height() + kSheetAreaHeight * steps,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int scroll_position(HWND window, int bar) {
  SCROLLINFO info = {sizeof info, SIF_POS, 0, 0, 0, 0, 0};
  return GetScrollInfo(window, bar, &info) ? info.nPos : 0;
}

void place_panel_at_scroll_position(const Application& app) {
  SetWindowPos(app.panel, nullptr, -scroll_position(app.main_window, SB_HORZ),
               -scroll_position(app.main_window, SB_VERT), 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Fits the main window around the panel at its place, as start-up does. A zoomed panel gets a
// client area of exactly its size, limited to the monitor's work area.
void fit_main_window(Application& app) {
  scrolling_update_running = true;  // hiding the bars must not show them again
  ShowScrollBar(app.main_window, SB_BOTH, FALSE);
  SetScrollPos(app.main_window, SB_HORZ, 0, FALSE);
  SetScrollPos(app.main_window, SB_VERT, 0, FALSE);
  scrolling_update_running = false;
  SetWindowPos(app.panel, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  const Rect window = window_rect(app.main_window);
  const Rect panel = window_rect(app.panel);
  if (app.zoom == 1) {
    // The start-up size: the panel and the side borders wide, the panel and everything above
    // the client area and 4 pixels high.
    MoveWindow(app.main_window, window.left, window.top, panel.right + panel.left - 2 * window.left,
               panel.bottom - window.top + 4, TRUE);
    return;
  }
  RECT wanted = {0, 0, panel.width(), panel.height()};
  AdjustWindowRectEx(&wanted, static_cast<DWORD>(GetWindowLongW(app.main_window, GWL_STYLE)) &
                                  ~static_cast<DWORD>(WS_HSCROLL | WS_VSCROLL),
                     TRUE, static_cast<DWORD>(GetWindowLongW(app.main_window, GWL_EXSTYLE)));
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(app.main_window, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& work = monitor.rcWork;
  const int width = std::min<int>(wanted.right - wanted.left, work.right - work.left);
  const int height = std::min<int>(wanted.bottom - wanted.top, work.bottom - work.top);
  const int left = std::clamp<int>(window.left, work.left, work.right - width);
  const int top = std::clamp<int>(window.top, work.top, work.bottom - height);
  MoveWindow(app.main_window, left, top, width, height, TRUE);
  update_panel_scrolling(app);
}

void set_scroll_range(HWND window, int bar, int content, int page) {
  SCROLLINFO info = {};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE;
  info.nMin = 0;
  info.nMax = content > page ? content - 1 : 0;  // a page holding everything hides the bar
  info.nPage = static_cast<UINT>(std::max(page, 0));
  SetScrollInfo(window, bar, &info, TRUE);
}

}  // namespace

void set_panel_zoom(Application& app, int zoom) {
  zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
  if (app.panel == nullptr || zoom == app.zoom) return;
  relayout_panel(app.panel, zoom - app.zoom);
  app.zoom = zoom;
  fit_main_window(app);
  RedrawWindow(app.panel, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  UpdateWindow(app.panel);
}

void update_panel_scrolling(Application& app) {
  // At zoom 1 the window keeps the start-up behaviour: no scroll bars.
  if (app.panel == nullptr || app.zoom == 1 || scrolling_update_running) return;
  scrolling_update_running = true;
  const Rect panel = window_rect(app.panel);
  // Showing or hiding one bar changes the client area the other sees: a second pass settles it.
  for (int pass = 0; pass < 2; ++pass) {
    RECT client;
    GetClientRect(app.main_window, &client);
    set_scroll_range(app.main_window, SB_HORZ, panel.width(), client.right);
    set_scroll_range(app.main_window, SB_VERT, panel.height(), client.bottom);
  }
  place_panel_at_scroll_position(app);
  scrolling_update_running = false;
}

void on_main_window_scroll(Application& app, int bar, int request) {
  if (app.panel == nullptr) return;
  SCROLLINFO info = {};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  if (!GetScrollInfo(app.main_window, bar, &info)) return;
  int position = info.nPos;
  switch (request) {
    case SB_LINEUP: position -= kScrollLine; break;
    case SB_LINEDOWN: position += kScrollLine; break;
    case SB_PAGEUP: position -= static_cast<int>(info.nPage); break;
    case SB_PAGEDOWN: position += static_cast<int>(info.nPage); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: position = info.nTrackPos; break;
    case SB_TOP: position = info.nMin; break;
    case SB_BOTTOM: position = info.nMax; break;
    default: return;
  }
  info.fMask = SIF_POS;
  info.nPos = position;
  SetScrollInfo(app.main_window, bar, &info, TRUE);  // clamps it to the range
  place_panel_at_scroll_position(app);
}

}  // namespace vcv
