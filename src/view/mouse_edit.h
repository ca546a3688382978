// Editing with the mouse on the panel: a press on a palette swatch recolours that entry through
// the colour chooser, a press on the tile sheet selects a tile, and a press on a block of the
// frame places the selected tile (with the flip bits) into the quadrant under the pointer.
#pragma once

#include <vector>

#include "sprite/edit_buffer.h"
#include "view/panel_context.h"
#include "view/panel_paint.h"

namespace vcv {

class Ui;

// What a press did, so callers and tests can tell the cases apart.
enum class ClickResult {
  kNothing,         // outside every area, or on the frame outside every block
  kColourCancelled, // the colour chooser was cancelled
  kRecoloured,
  kTileSelected,
  kTilePlaced,
};

// A left press at (x, y) in panel client coordinates, with the areas as currently placed. The
// colour chooser is the one prompt. A recolour or a placement does not change the working set:
// it adds the new bytes to `changes` (nothing when they equal what is there), and the caller
// applies them as one edit. Choosing a tile changes only the display state. The caller refreshes
// when click_needs_refresh says so.
ClickResult on_panel_left_click(PanelContext& panel, Ui& ui, const ViewAreas& areas, int x,
                                int y, std::vector<BufferChange>* changes);

// The tile entry a placement stores: the selected tile and the flip bits, keeping bits 11 to 13
// of the entry it replaces (the game uses them; the panel cannot show or set them).
uint16_t placed_tile_entry(uint16_t replaced, int selected_tile, int flip_bits);

// The block of the current frame under (x, y) as a press there finds it (the selected block
// first, then the lowest-numbered one), with the quadrant; -1 outside every block.
int frame_block_at(const PanelContext& panel, const ViewAreas& areas, int x, int y,
                   int* quadrant);
// The tile of the shown sheet page under (x, y); -1 outside the sheet.
int sheet_tile_at(const PanelContext& panel, const ViewAreas& areas, int x, int y);

// Every press that changed something ends in a refresh (which does nothing without a ROM).
bool click_needs_refresh(ClickResult result);

}  // namespace vcv
