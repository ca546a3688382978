// The program's one application object: the document, the Ui that serves it, the painter of the
// panel and the window handles. The windows reach it through their user data.
#pragma once

#include <memory>
#include <string>

#include "app/win32.h"
#include "document/document.h"
#include "document/pixel_editor.h"
#include "view/panel_paint.h"
#include "view/playback.h"

namespace vcv {

class Win32Ui;

// The pixel editor's window and what it keeps between messages.
struct PixelEditorWindow {
  HWND window = nullptr;
  std::unique_ptr<PixelEditor> editor;
  int wanted_zoom = 16;  // Ctrl+plus / Ctrl+minus; the window's size may allow less
  bool grid = true;
  PixelPoint pointer;    // the target pixel last under the pointer: what the tile tools turn
  Surface surface;
};

struct Application {
  Document document;
  Win32Ui* ui = nullptr;
  PanelPainter painter;
  Surface surface;  // the panel's client area, as last painted
  HINSTANCE instance = nullptr;
  HWND main_window = nullptr;
  HWND panel = nullptr;
  HACCEL accelerators = nullptr;  // the menu's keys (menu_commands.h)
  std::string patch_original;     // the clean original Export Patch was last given
  PixelEditorWindow pixel_editor;
  int zoom = 1;                   // View > Zoom (panel_zoom.h)
  Playback playback;              // View > Play Animation (playback_timer.h)
  int wheel_delta = 0;            // wheel movement short of a whole notch (mouse_wheel.h)
};

}  // namespace vcv
