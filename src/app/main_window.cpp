#include "app/main_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "app/menu_commands.h"
#include "app/mouse_wheel.h"
#include "app/panel_dialog.h"
#include "app/panel_zoom.h"
#include "app/playback_timer.h"
#include "app/win32_ui.h"
#include "edit/command_messages.h"
#include "platform/text_encoding.h"
#include "res/resource.h"

namespace vcv {
namespace {

constexpr int kWindowLeft = 60;
constexpr int kWindowTop = 60;
constexpr int kInitialWidth = 600;
constexpr int kInitialHeight = 400;

Application* application_of(HWND window) {
  return reinterpret_cast<Application*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

LRESULT CALLBACK main_window_procedure(HWND window, UINT message, WPARAM wparam,
                                       LPARAM lparam) {
  Application* app = application_of(window);
  switch (message) {
    case WM_NCCREATE: {
      const CREATESTRUCTW* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
      SetWindowLongPtrW(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      break;
    }
    case WM_CLOSE:  // the close box, Alt+F4, File > Exit, the panel's close request
      if (app != nullptr && !may_drop_edits(*app)) return 0;
      DestroyWindow(window);
      return 0;
    case WM_QUERYENDSESSION:
      return app == nullptr || may_drop_edits(*app) ? TRUE : FALSE;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_INITMENUPOPUP:
      if (app != nullptr) update_menu_popup(*app, reinterpret_cast<HMENU>(wparam));
      return 0;
    case WM_COMMAND:
      if (app != nullptr) on_menu_command(*app, LOWORD(wparam));
      break;
    case WM_TIMER:
      if (app != nullptr && wparam == kPlaybackTimer) on_playback_timer(*app);
      return 0;
    case WM_SIZE:
      if (app != nullptr) update_panel_scrolling(*app);
      break;
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (app != nullptr) {
        on_main_window_scroll(*app, message == WM_HSCROLL ? SB_HORZ : SB_VERT, LOWORD(wparam));
      }
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

bool register_main_class(HINSTANCE instance) {
  WNDCLASSEXW window_class = {};
  window_class.cbSize = sizeof window_class;
  window_class.style = CS_HREDRAW | CS_VREDRAW;
  window_class.lpfnWndProc = main_window_procedure;
  window_class.hInstance = instance;
  window_class.hIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));    // IDI_APPLICATION
  window_class.hIconSm = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));
  window_class.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  window_class.lpszClassName = kMainWindowClass;
  if (RegisterClassExW(&window_class)) return true;
  // A second application object in the same process (the window tests) reuses the class.
  return GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// Makes the main window as wide as the panel plus the side borders and as high as the panel
// plus everything above the client area, keeping it at its place.
void fit_main_window_to_panel(const Application& app) {
  RECT panel;
  GetWindowRect(app.panel, &panel);
  MoveWindow(app.main_window, kWindowLeft, kWindowTop, panel.right + panel.left - 2 * kWindowLeft,
             panel.bottom - kWindowTop + 4, FALSE);
}

}  // namespace

const wchar_t kMainWindowClass[] = L"VantorCharView";

bool create_main_window(Application& app, HINSTANCE instance) {
  // The manifest asks for version 6 of the common controls, which must be loaded explicitly.
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  if (!register_main_class(instance)) return false;
  app.instance = instance;
  HMENU menu = build_main_menu();
  app.main_window = CreateWindowExW(0, kMainWindowClass, L"VantorCharViewer", WS_OVERLAPPEDWINDOW,
                                    kWindowLeft, kWindowTop, kInitialWidth, kInitialHeight,
                                    nullptr, menu, instance, &app);
  if (app.main_window == nullptr) {
    DestroyMenu(menu);
    return false;
  }
  if (app.accelerators == nullptr) app.accelerators = build_accelerators();
  if (create_panel(app) == nullptr) {
    DestroyWindow(app.main_window);
    app.main_window = nullptr;
    return false;
  }
  fit_main_window_to_panel(app);
  ShowWindow(app.main_window, SW_SHOW);
  ShowWindow(app.panel, SW_SHOW);
  UpdateWindow(app.main_window);
  return true;
}

bool may_drop_edits(Application& app) {
  CommandResult written;
  const bool go_on = app.document.may_drop_edits(*app.ui, &written);
  show_result(app, written);
  show_panel_update(app);
  return go_on;
}

void open_rom(Application& app, const std::string& path, bool read_only) {
  if (!may_drop_edits(app)) return;
  const RomOpenResult opened = app.document.open(path, read_only);
  if (!opened.ok()) {
    app.ui->message("Open ROM", opened.reason);
    return;
  }
  show_panel_update(app);
}

void open_rom_from_command_line(Application& app) {
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (arguments == nullptr) return;
  if (count >= 2) open_rom(app, wide_to_utf8(arguments[1]));
  LocalFree(arguments);
}

void open_rom_from_dialog(Application& app) {
  std::string path;
  bool read_only = false;
  if (app.ui->choose_rom_file(&path, &read_only)) open_rom(app, path, read_only);
}

void show_result(Application& app, const CommandResult& result) {
  const auto shown = message_for(result);
  if (!shown) return;
  if (result.status != CommandStatus::kChangedOnDisk) {
    app.ui->message(shown->title, shown->text);
    return;
  }
  // Another program changed the ROM: offer to read it again as it is now, naming the edits
  // that reading it again drops (writing them is what just failed).
  Document& document = app.document;
  if (app.ui->confirm(Prompt::kReloadChangedRom,
                      reload_changed_rom_text(result, document.modified_entries(),
                                              document.modified_weapon_palettes()))) {
    const RomOpenResult opened = document.open(document.rom_path(), document.rom().read_only());
    if (!opened.ok()) app.ui->message("Open ROM", opened.reason);
  }
}

bool on_menu_command(Application& app, int command_id) {
  return run_menu_command(app, command_id);
}

void dispatch_message(Application& app, MSG& message) {
  if (route_mouse_wheel(app, message)) return;
  // The keys of the menu work whichever control has the focus.
  if (app.accelerators != nullptr && app.main_window != nullptr &&
      TranslateAcceleratorW(app.main_window, app.accelerators, &message)) {
    return;
  }
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

int run_message_loop(Application& app) {
  MSG message;
  BOOL result;
  while ((result = GetMessageW(&message, nullptr, 0, 0)) != 0) {
    if (result == -1) return 0;
    dispatch_message(app, message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace vcv
