// The panel: the modeless dialog 133 that carries every control and the three drawing areas.
#pragma once

#include "app/application.h"
#include "view/panel_paint.h"

namespace vcv {

// Creates the panel as a child of the main window; null when the dialog cannot be created.
HWND create_panel(Application& app);

// The three drawing areas in panel client coordinates, from the anchor controls' places.
ViewAreas panel_view_areas(HWND panel);

// Shows what the document's last commands changed: texts, captions, radio buttons, and the
// drawing areas painted again at once when they changed (only the frame when `frame_only`).
void show_panel_update(Application& app, bool frame_only = false);

}  // namespace vcv
