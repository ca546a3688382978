// The program's one application object: the portable state, the Ui that serves it, the painter
// of the panel and the window handles. The windows reach it through their user data.
#pragma once

#include "app/win32.h"
#include "view/app_state.h"
#include "view/panel_paint.h"

namespace vcv {

class Win32Ui;

struct Application {
  AppState state;
  Win32Ui* ui = nullptr;
  PanelPainter painter;
  Surface surface;  // the panel's client area, as last painted
  HINSTANCE instance = nullptr;
  HWND main_window = nullptr;
  HWND panel = nullptr;
};

}  // namespace vcv
