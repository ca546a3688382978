// The refresh that brings the panel in line with the view state: settles the numbers into the
// ranges of the loaded entry, renders the frame canvas and builds the panel's texts. It reads the
// working set and never changes it: loading the entry is the document's step before it.
#pragma once

#include "view/panel_context.h"
#include "view/panel_update.h"

namespace vcv {

// Does nothing and returns false when no ROM is open. Otherwise refreshes, puts the panel's
// texts into `texts` and returns true; the drawing areas are then to be painted again.
bool refresh_view(PanelContext& panel, PanelTexts* texts);

// The same, after marking the cached sheet picture stale (the tile sheet pixels changed).
bool refresh_view_new_sheet(PanelContext& panel, PanelTexts* texts);

}  // namespace vcv
