#include "app/main_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "app/panel_dialog.h"
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
  switch (message) {
    case WM_NCCREATE: {
      const CREATESTRUCTW* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
      SetWindowLongPtrW(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      break;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_COMMAND:
      if (Application* app = application_of(window)) on_menu_command(*app, LOWORD(wparam));
      break;
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
  window_class.lpszMenuName = MAKEINTRESOURCEW(IDR_MAIN_MENU);
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
  app.main_window = CreateWindowExW(0, kMainWindowClass, L"VantorCharViewer", WS_OVERLAPPEDWINDOW,
                                    kWindowLeft, kWindowTop, kInitialWidth, kInitialHeight,
                                    nullptr, nullptr, instance, &app);
  if (app.main_window == nullptr) return false;
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

void open_rom(Application& app, const std::string& path, bool read_only) {
  const RomOpenResult opened = app.document.open(path, read_only);
  if (!opened.ok()) {
    app.ui->message("Open ROM", opened.reason);
    return;
  }
  SetWindowTextW(app.main_window, utf8_to_wide(app.document.title()).c_str());
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
  // Another program changed the ROM: offer to read it again as it is now.
  if (app.ui->confirm(shown->title, shown->text + "\r\n\r\nOpen it again now? Changes not "
                                                   "yet written are dropped.")) {
    const std::string path = app.document.rom_path();
    open_rom(app, path, app.document.rom().read_only());
  }
}

bool on_menu_command(Application& app, int command_id) {
  Document& document = app.document;
  Win32Ui& ui = *app.ui;
  CommandResult result;
  switch (command_id) {
    case IDM_OPEN: open_rom_from_dialog(app); return true;
    case IDM_COPY_IMG: result = document.copy_img(ui); break;
    case IDM_COPY_SPRITE: result = document.copy_sprite(ui); break;
    case IDM_PASTE_SPRITE: result = document.paste_sprite(ui); break;
    case IDM_COPY_ALL_IMG: result = document.copy_all_img(ui); break;
    case IDM_PASTE_ALL_IMG: result = document.paste_all_img(ui); break;
    case IDM_WRITE_IMAGE: result = document.write_image_changes(ui); break;
    case IDM_WRITE_PALETTE: result = document.write_palette(ui); break;
    case IDM_WRITE_TILE_INFO: result = document.write_tile_info(ui); break;
    default: return false;
  }
  show_result(app, result);
  SetWindowTextW(app.main_window, utf8_to_wide(document.title()).c_str());
  show_panel_update(app);
  return true;
}

int run_message_loop() {
  MSG message;
  BOOL result;
  while ((result = GetMessageW(&message, nullptr, 0, 0)) != 0) {
    if (result == -1) return 0;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace vcv
