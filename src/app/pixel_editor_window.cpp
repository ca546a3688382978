#include "app/pixel_editor_window.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "app/panel_dialog.h"
#include "app/surface_blit.h"
#include "platform/text_encoding.h"
#include "res/resource.h"

namespace vcv {

namespace {

const wchar_t kEditorClass[] = L"VantorPixelEditor";
const wchar_t kEditorTitle[] = L"Pixel Editor";

Application* application_of(HWND window) {
  return reinterpret_cast<Application*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

int shown_side(const Application& app) { return app.pixel_editor.editor->target().side(); }

PixelEditorLayout layout_of(const Application& app) {
  RECT client = {};
  GetClientRect(app.pixel_editor.window, &client);
  return pixel_editor_layout(client.right, client.bottom, shown_side(app),
                             app.pixel_editor.wanted_zoom);
}

// The target pixel under a client point; outside the canvas too (a drag may leave it), so that
// the line to the next point inside is drawn as far as it lies in the target.
PixelPoint pixel_under(const PixelEditorLayout& layout, int x, int y) {
  auto floor_div = [](int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); };
  return {floor_div(x - layout.canvas.left, layout.zoom), floor_div(y - layout.canvas.top, layout.zoom)};
}

// The editor drew: the panel shows the new frame, sheet and swatches, and so does the editor.
void after_change(Application& app) {
  show_panel_update(app);
  InvalidateRect(app.pixel_editor.window, nullptr, FALSE);
  UpdateWindow(app.pixel_editor.window);
}

void resize_for_zoom(Application& app, int zoom) {
  int width = 0, height = 0;
  pixel_editor_client_size(shown_side(app), zoom, &width, &height);
  RECT client = {};
  GetClientRect(app.pixel_editor.window, &client);
  if (client.right >= width && client.bottom >= height) return;
  RECT frame = {0, 0, std::max<LONG>(width, client.right), std::max<LONG>(height, client.bottom)};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(app.pixel_editor.window, GWL_STYLE)),
                     TRUE, static_cast<DWORD>(GetWindowLongW(app.pixel_editor.window, GWL_EXSTYLE)));
  SetWindowPos(app.pixel_editor.window, nullptr, 0, 0, frame.right - frame.left,
               frame.bottom - frame.top, SWP_NOMOVE | SWP_NOZORDER);
}

void zoom_by(Application& app, int step) {
  const int zoom = std::clamp(layout_of(app).zoom + step, kMinEditorZoom, kMaxEditorZoom);
  app.pixel_editor.wanted_zoom = zoom;
  resize_for_zoom(app, zoom);
  InvalidateRect(app.pixel_editor.window, nullptr, TRUE);
}

void paint_texts(const Application& app, HDC dc, const PixelEditorLayout& layout) {
  SetBkMode(dc, TRANSPARENT);
  HGDIOBJ old_font = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  const uint32_t* colours = app.document.display().display_palette;
  for (int i = 0; i < 16; ++i) {
    const Rect swatch = editor_swatch_rect(layout, i);
    const uint32_t c = colours[i];
    const int light = (c & 0xFF) * 3 + ((c >> 8) & 0xFF) * 6 + ((c >> 16) & 0xFF);
    SetTextColor(dc, light > 1280 ? RGB(0, 0, 0) : RGB(255, 255, 255));
    wchar_t number[4];
    std::swprintf(number, 4, L"%X", i);
    TextOutW(dc, swatch.left + 4, swatch.top + 4, number, static_cast<int>(wcslen(number)));
  }
  char extra[64];
  std::snprintf(extra, sizeof extra, "   colour %X, %dx", app.pixel_editor.editor->colour(),
                layout.zoom);
  const std::wstring status = utf8_to_wide(app.pixel_editor.editor->usage_text() + extra);
  RECT r = {layout.status.left, layout.status.top, layout.status.right, layout.status.bottom};
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  DrawTextW(dc, status.c_str(), -1, &r, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
  SelectObject(dc, old_font);
}

void on_paint(Application& app, HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT client = {};
  GetClientRect(window, &client);
  Surface& surface = app.pixel_editor.surface;
  const uint32_t background = display_to_pixel(GetSysColor(COLOR_BTNFACE));
  surface.resize(client.right, client.bottom, background);
  surface.fill(Rect{0, 0, client.right, client.bottom}, background);
  const PixelEditorLayout layout = layout_of(app);
  paint_pixel_editor(*app.pixel_editor.editor, app.document.display().display_palette, layout,
                     app.pixel_editor.grid, surface);
  blit_rect(dc, surface, Rect{0, 0, client.right, client.bottom});
  paint_texts(app, dc, layout);
  EndPaint(window, &ps);
}

void on_left_down(Application& app, HWND window, int x, int y, bool shift) {
  const PixelEditorLayout layout = layout_of(app);
  const int swatch = editor_swatch_at(layout, x, y);
  if (swatch >= 0) {
    app.pixel_editor.editor->choose_colour(swatch);
    InvalidateRect(window, nullptr, FALSE);
    return;
  }
  PixelPoint at;
  if (!editor_pixel_at(layout, shown_side(app), x, y, &at)) return;
  app.pixel_editor.pointer = at;
  if (!shift) SetCapture(window);
  app.pixel_editor.editor->press(at, shift);
  after_change(app);
}

void on_mouse_move(Application& app, int x, int y) {
  const PixelEditorLayout layout = layout_of(app);
  PixelPoint at;
  if (editor_pixel_at(layout, shown_side(app), x, y, &at)) app.pixel_editor.pointer = at;
  if (!app.pixel_editor.editor->drawing()) return;
  app.pixel_editor.editor->drag(pixel_under(layout, x, y));
  after_change(app);
}

void on_key(Application& app, HWND window, WPARAM key) {
  const bool control = GetKeyState(VK_CONTROL) < 0;
  if (control && (key == VK_OEM_PLUS || key == VK_ADD)) return zoom_by(app, +1);
  if (control && (key == VK_OEM_MINUS || key == VK_SUBTRACT)) return zoom_by(app, -1);
  if (control) return;
  int index = -1;
  if (key >= '0' && key <= '9') index = static_cast<int>(key - '0');
  if (key >= 'A' && key <= 'F') index = static_cast<int>(key - 'A' + 10);
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) index = static_cast<int>(key - VK_NUMPAD0);
  if (index < 0) return;
  app.pixel_editor.editor->choose_colour(index);
  InvalidateRect(window, nullptr, FALSE);
}

void on_command(Application& app, HWND window, int id) {
  PixelEditor& editor = *app.pixel_editor.editor;
  switch (id) {
    case IDM_EDITOR_FLIP_H:
      editor.transform(TileTransform::kFlipHorizontal, app.pixel_editor.pointer);
      return after_change(app);
    case IDM_EDITOR_FLIP_V:
      editor.transform(TileTransform::kFlipVertical, app.pixel_editor.pointer);
      return after_change(app);
    case IDM_EDITOR_ROTATE:
      editor.transform(TileTransform::kRotateClockwise, app.pixel_editor.pointer);
      return after_change(app);
    case IDM_EDITOR_GRID:
      app.pixel_editor.grid = !app.pixel_editor.grid;
      CheckMenuItem(GetMenu(window), IDM_EDITOR_GRID,
                    MF_BYCOMMAND | (app.pixel_editor.grid ? MF_CHECKED : MF_UNCHECKED));
      InvalidateRect(window, nullptr, FALSE);
      return;
    case IDM_EDITOR_ZOOM_IN:
      return zoom_by(app, +1);
    case IDM_EDITOR_ZOOM_OUT:
      return zoom_by(app, -1);
    default:
      return;
  }
}

LRESULT CALLBACK editor_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const CREATESTRUCTW* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  Application* app = application_of(window);
  if (app == nullptr || !app->pixel_editor.editor) {
    return DefWindowProcW(window, message, wparam, lparam);
  }
  const int x = GET_X_LPARAM(lparam), y = GET_Y_LPARAM(lparam);
  switch (message) {
    case WM_PAINT:
      on_paint(*app, window);
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the paint covers the whole client area
    case WM_SIZE:
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_LBUTTONDOWN:
      on_left_down(*app, window, x, y, (wparam & MK_SHIFT) != 0);
      return 0;
    case WM_MOUSEMOVE:
      on_mouse_move(*app, x, y);
      return 0;
    case WM_LBUTTONUP:
      if (GetCapture() == window) ReleaseCapture();
      app->pixel_editor.editor->release();
      return 0;
    case WM_CAPTURECHANGED:
      app->pixel_editor.editor->release();
      return 0;
    case WM_RBUTTONDOWN: {
      PixelPoint at;
      if (editor_pixel_at(layout_of(*app), shown_side(*app), x, y, &at)) {
        app->pixel_editor.editor->pick(at);
        InvalidateRect(window, nullptr, FALSE);
      }
      return 0;
    }
    case WM_MOUSEWHEEL:
      if (GET_KEYSTATE_WPARAM(wparam) & MK_CONTROL) {
        zoom_by(*app, GET_WHEEL_DELTA_WPARAM(wparam) > 0 ? +1 : -1);
        return 0;
      }
      break;
    case WM_KEYDOWN:
      on_key(*app, window, wparam);
      return 0;
    case WM_COMMAND:
      on_command(*app, window, LOWORD(wparam));
      return 0;
    case WM_DESTROY:
      app->pixel_editor.editor->release();
      app->pixel_editor.window = nullptr;
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

HMENU build_editor_menu() {
  HMENU bar = CreateMenu();
  HMENU tile = CreatePopupMenu();
  AppendMenuW(tile, MF_STRING, IDM_EDITOR_FLIP_H, L"Flip &Horizontally");
  AppendMenuW(tile, MF_STRING, IDM_EDITOR_FLIP_V, L"Flip &Vertically");
  AppendMenuW(tile, MF_STRING, IDM_EDITOR_ROTATE, L"&Rotate 90\u00B0");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(tile), L"&Tile");
  HMENU view = CreatePopupMenu();
  AppendMenuW(view, MF_STRING | MF_CHECKED, IDM_EDITOR_GRID, L"&Grid");
  AppendMenuW(view, MF_STRING, IDM_EDITOR_ZOOM_IN, L"Zoom &In\tCtrl++");
  AppendMenuW(view, MF_STRING, IDM_EDITOR_ZOOM_OUT, L"Zoom &Out\tCtrl+-");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(view), L"&View");
  return bar;
}

bool register_editor_class(HINSTANCE instance) {
  WNDCLASSEXW window_class = {};
  window_class.cbSize = sizeof window_class;
  window_class.style = CS_DBLCLKS;
  window_class.lpfnWndProc = editor_procedure;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32515));  // IDC_CROSS
  window_class.lpszClassName = kEditorClass;
  return RegisterClassExW(&window_class) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

void open_pixel_editor(Application& app, int tile) {
  if (!app.pixel_editor.editor) app.pixel_editor.editor = std::make_unique<PixelEditor>(app.document);
  if (tile >= 0) {
    app.pixel_editor.editor->show_tile(tile);
  } else {
    app.pixel_editor.editor->show_block();
  }
  if (app.pixel_editor.window == nullptr) {
    if (!register_editor_class(app.instance)) return;
    const DWORD style = WS_OVERLAPPEDWINDOW;
    int width = 0, height = 0;
    pixel_editor_client_size(2 * kTileSide, app.pixel_editor.wanted_zoom, &width, &height);
    RECT frame = {0, 0, width, height};
    AdjustWindowRectEx(&frame, style, TRUE, WS_EX_TOOLWINDOW);
    HMENU menu = build_editor_menu();
    app.pixel_editor.window =
        CreateWindowExW(WS_EX_TOOLWINDOW, kEditorClass, kEditorTitle, style, CW_USEDEFAULT,
                        CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                        app.main_window, menu, app.instance, &app);
    if (app.pixel_editor.window == nullptr) {
      DestroyMenu(menu);
      return;
    }
    ShowWindow(app.pixel_editor.window, SW_SHOW);
  }
  CheckMenuItem(GetMenu(app.pixel_editor.window), IDM_EDITOR_GRID,
                MF_BYCOMMAND | (app.pixel_editor.grid ? MF_CHECKED : MF_UNCHECKED));
  SetForegroundWindow(app.pixel_editor.window);
  InvalidateRect(app.pixel_editor.window, nullptr, FALSE);
  UpdateWindow(app.pixel_editor.window);
}

void pixel_editor_follow_panel(Application& app) {
  if (app.pixel_editor.window == nullptr) return;
  InvalidateRect(app.pixel_editor.window, nullptr, FALSE);
}

}  // namespace vcv
