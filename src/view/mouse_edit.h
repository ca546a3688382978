// Editing with the mouse on the panel: a press on a palette swatch recolours that entry through
// the colour chooser, a press on the tile sheet selects a tile, and a press on a block of the
// frame places the selected tile (with the flip bits) into the quadrant under the pointer.
#pragma once

#include "view/panel_paint.h"

namespace vcv {

struct AppState;
class Ui;

// What a press did, so callers and tests can tell the cases apart.
enum class ClickResult {
  kNothing,         // outside every area, or on the frame outside every block
  kColourCancelled, // the colour chooser was cancelled
  kRecoloured,
  kTileSelected,
  kTilePlaced,
};

// A left press at (x, y) in panel client coordinates, with the areas as currently placed.
ClickResult on_panel_left_click(AppState& app, Ui& ui, const ViewAreas& areas, int x, int y);

// A right press changes nothing.
inline void on_panel_right_click() {}

}  // namespace vcv
