// The panel: the modeless dialog 133 that carries every control and the three drawing areas.
#pragma once

#include "app/application.h"
#include "view/panel_paint.h"

namespace vcv {

// Creates the panel as a child of the main window; null when the dialog cannot be created.
HWND create_panel(Application& app);

// The three drawing areas in panel client coordinates, from the anchor controls' places.
ViewAreas panel_view_areas(HWND panel);

// Marks the three areas for repainting (without erasing) and repaints them at once.
void invalidate_panel_areas(Application& app);

}  // namespace vcv
