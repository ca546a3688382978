#include "app/mouse_wheel.h"

#include "app/panel_dialog.h"

namespace vcv {
namespace {

// The pointer is in screen coordinates, as the message gives it.
bool on_panel_mouse_wheel(Application& app, WPARAM wparam, LPARAM lparam) {
  if (app.panel == nullptr) return false;
  POINT at = {static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
  ScreenToClient(app.panel, &at);
  const ViewAreas areas = panel_view_areas(app.panel);
  if (!point_in_area(at.x, at.y, areas.frame) && !point_in_area(at.x, at.y, areas.sheet)) {
    return false;
  }
  // A wheel that turns in finer steps than notches adds up until it makes a whole one; rolled
  // toward the user (a negative delta) it counts forward.
  app.wheel_delta += static_cast<short>(HIWORD(wparam));
  const int notches = -(app.wheel_delta / WHEEL_DELTA);
  app.wheel_delta %= WHEEL_DELTA;
  if (notches != 0) {
    app.document.wheel(areas, at.x, at.y, notches);
    show_panel_update(app);
  }
  return true;
}

}  // namespace

bool route_mouse_wheel(Application& app, const MSG& message) {
  if (message.message != WM_MOUSEWHEEL || app.main_window == nullptr) return false;
  // Only over this program's window, not over another window in front of it.
  const POINT at = {static_cast<short>(LOWORD(message.lParam)),
                    static_cast<short>(HIWORD(message.lParam))};
  HWND under = WindowFromPoint(at);
  if (under == nullptr || GetAncestor(under, GA_ROOT) != app.main_window) return false;
  return on_panel_mouse_wheel(app, message.wParam, message.lParam);
}

}  // namespace vcv
