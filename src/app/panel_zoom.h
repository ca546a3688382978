// Zooming the panel. The frame box grows to 288 x zoom pixels and the tile sheet to 256 x zoom
// wide (512 x zoom high); the controls they would cover make room, the sheet's label, the page
// button and the flip boxes moving right, the Info text and its label moving down, and the panel
// grows to hold them; every other control keeps its place. At zoom 1 every control is where the
// dialog template puts it and the window has its start-up size.
//
// The main window grows to fit the zoomed panel up to the work area of its monitor; a panel
// larger than that scrolls inside the window.
#pragma once

#include "app/application.h"

namespace vcv {

// Sets the zoom (clamped to 1..4): moves the anchors and the controls, resizes the panel, fits
// the main window around it and repaints.
void set_panel_zoom(Application& app, int zoom);

// The main window's scroll bars after its size changed: shown while a zoomed panel is larger
// than the client area, with the panel moved to the scrolled position.
void update_panel_scrolling(Application& app);

// A scroll request (WM_HSCROLL / WM_VSCROLL of the main window's own bars).
void on_main_window_scroll(Application& app, int bar, int request);

}  // namespace vcv
