// The mouse wheel over the panel's drawing areas. Over the frame it steps the image number
// (ImageNo mode) or the sequence frame (Sequence mode), one step a notch and wrapping, as their
// arrows do; over the tile sheet it turns to the second page when rolled toward the user and to
// the first when rolled away.
#pragma once

#include "view/panel_context.h"
#include "view/panel_update.h"
#include "view/view_layout.h"

namespace vcv {

// `notches` counts whole notches at the point (x, y) of the panel: positive toward the user,
// negative away. Returns true when a refresh must follow.
bool on_panel_wheel(PanelContext& panel, const ViewAreas& areas, int x, int y, int notches,
                    PanelUpdate& update);

}  // namespace vcv
