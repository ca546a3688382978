#include "app/panel_dialog.h"

#include <shellapi.h>

#include <string>
#include <vector>

#include "app/text_convert.h"
#include "app/win32_ui.h"
#include "edit/edit_commands.h"
#include "res/resource.h"
#include "rom/open_rom.h"
#include "view/character_list.h"
#include "view/mouse_edit.h"
#include "view/panel_actions.h"
#include "view/panel_paint.h"

namespace vcv {
namespace {

constexpr int kDroppedPathCapacity = 512;

Application* application_of(HWND panel) {
  return reinterpret_cast<Application*>(GetWindowLongPtrW(panel, GWLP_USERDATA));
}

Rect client_rect_of_control(HWND panel, int control_id) {
  RECT r = {};
  HWND control = GetDlgItem(panel, control_id);
  if (control != nullptr) {
    GetWindowRect(control, &r);
    MapWindowPoints(HWND_DESKTOP, panel, reinterpret_cast<POINT*>(&r), 2);
  }
  return Rect{r.left, r.top, r.right, r.bottom};
}

void fill_entry_list(HWND panel) {
  HWND list = GetDlgItem(panel, IDC_ENTRY_LIST);
  while (SendMessageW(list, CB_GETCOUNT, 0, 0) > 0) SendMessageW(list, CB_DELETESTRING, 0, 0);
  for (int id = 0; id < kEntryCount; ++id) {
    const std::wstring label = utf8_to_utf16(character_list_label(id));
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(label.c_str()));
  }
}

// Copies one rectangle of the surface to the same place of the device, through a small
// top-down bitmap of just that rectangle (whole-bitmap copies have no source-origin subtleties).
void blit_rect(HDC dc, const Surface& surface, const Rect& r) {
  if (r.width() <= 0 || r.height() <= 0) return;
  std::vector<uint32_t> rows(static_cast<size_t>(r.width()) * r.height());
  for (int y = 0; y < r.height(); ++y) {
    for (int x = 0; x < r.width(); ++x) {
      rows[static_cast<size_t>(y) * r.width() + x] = surface.at(r.left + x, r.top + y);
    }
  }
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = r.width();
  info.bmiHeader.biHeight = -r.height();  // rows from the top
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  SetDIBitsToDevice(dc, r.left, r.top, static_cast<DWORD>(r.width()),
                    static_cast<DWORD>(r.height()), 0, 0, 0, static_cast<UINT>(r.height()),
                    rows.data(), &info, DIB_RGB_COLORS);
}

void on_paint(Application& app, HWND panel) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(panel, &ps);
  RECT client;
  GetClientRect(panel, &client);
  if (app.surface.width != client.right || app.surface.height != client.bottom) {
    app.surface.resize(client.right, client.bottom, display_to_pixel(GetSysColor(COLOR_BTNFACE)));
  }
  const std::vector<Rect> drawn =
      paint_panel(app.state, app.painter, panel_view_areas(panel),
                  IsDlgButtonChecked(panel, IDC_BOUNDARIES) == BST_CHECKED, app.surface);
  for (const Rect& r : drawn) blit_rect(dc, app.surface, r);
  EndPaint(panel, &ps);
}

void on_dropped_files(Application& app, HDROP drop) {
  DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);  // the number of files; only the first is opened
  wchar_t name[kDroppedPathCapacity] = {};
  if (DragQueryFileW(drop, 0, name, kDroppedPathCapacity) > 0) {
    open_rom(app.state, *app.ui, utf16_to_utf8(name));
  }
  DragFinish(drop);
}

void on_command(Application& app, HWND panel, int id, int notification) {
  if (id == IDC_ENTRY_LIST) {
    if (notification == CBN_SELCHANGE) {
      const int selection =
          static_cast<int>(SendDlgItemMessageW(panel, IDC_ENTRY_LIST, CB_GETCURSEL, 0, 0));
      if (selection >= 0) on_entry_selected(app.state, *app.ui, selection);
    }
    return;
  }
  if (notification != BN_CLICKED) return;
  if (id == IDC_ED_BUTTON) {
    parse_tile_info_text(app.state, *app.ui);
    return;
  }
  on_panel_command(app.state, *app.ui, id);
}

INT_PTR CALLBACK panel_procedure(HWND panel, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    Application* app = reinterpret_cast<Application*>(lparam);
    SetWindowLongPtrW(panel, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(app));
    app->panel = panel;
    fill_entry_list(panel);
    on_panel_created(app->state, *app->ui);
    return TRUE;
  }
  Application* app = application_of(panel);
  if (app == nullptr) return FALSE;
  switch (message) {
    case WM_COMMAND:
      on_command(*app, panel, LOWORD(wparam), HIWORD(wparam));
      return FALSE;
    case WM_HSCROLL:
      on_arrows(app->state, *app->ui, GetDlgCtrlID(reinterpret_cast<HWND>(lparam)),
                LOWORD(wparam));
      return FALSE;
    case WM_PAINT:
      on_paint(*app, panel);
      return FALSE;
    case WM_LBUTTONDOWN:
      on_panel_left_click(app->state, *app->ui, panel_view_areas(panel), LOWORD(lparam),
                          HIWORD(lparam));
      return FALSE;
    case WM_DROPFILES:
      on_dropped_files(*app, reinterpret_cast<HDROP>(wparam));
      return FALSE;
    case WM_SYSCOMMAND:
      if ((wparam & 0xFFF0) == SC_CLOSE) PostQuitMessage(0);
      return FALSE;
    case WM_DESTROY:
      PostQuitMessage(0);
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

HWND create_panel(Application& app) {
  HWND panel = CreateDialogParamW(app.instance, MAKEINTRESOURCEW(IDD_PANEL), app.main_window,
                                  panel_procedure, reinterpret_cast<LPARAM>(&app));
  if (panel != nullptr) SetWindowPos(panel, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  return panel;
}

ViewAreas panel_view_areas(HWND panel) {
  return compute_view_areas(client_rect_of_control(panel, IDC_FRAME_ANCHOR),
                            client_rect_of_control(panel, IDC_SHEET_ANCHOR),
                            client_rect_of_control(panel, IDC_PALETTE_ANCHOR));
}

void invalidate_panel_areas(Application& app) {
  if (app.panel == nullptr) return;
  const ViewAreas areas = panel_view_areas(app.panel);
  for (const Rect& area : {areas.frame, areas.sheet, areas.palette}) {
    RECT r = {area.left, area.top, area.right, area.bottom};
    InvalidateRect(app.panel, &r, FALSE);
  }
  UpdateWindow(app.panel);
}

}  // namespace vcv
