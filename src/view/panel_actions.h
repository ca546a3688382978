// What each control of the panel does, as portable handlers over the view state. Each handler
// changes the view state, records the captions and radio buttons the panel must show in
// `update`, and returns true when a refresh must follow (the caller refreshes when a ROM is
// open). The window's dialog procedure only decodes messages and calls these.
#pragma once

#include "view/panel_context.h"
#include "view/panel_update.h"

namespace vcv {

// Scroll-bar requests the arrows send; other values (page, thumb, end) change no number.
constexpr int kScrollLineLeft = 0;
constexpr int kScrollLineRight = 1;

// The panel's buttons and check boxes, by meaning.
enum class PanelCommand {
  kSequenceRadio,
  kImageRadio,
  kFace,
  kBoundaries,
  kBlock,
  kPage,
  kAnimationTable,
  kFlipX,
  kFlipY,
};

// The four arrow bars.
enum class PanelArrows { kAnimation, kSequence, kImage, kWeaponPalette };

// Facing labels shown on the Face button, blanks included.
const char* facing_label(int face_direction);

// Panel creation: Sequence mode with its radio button checked, block outlines on.
void on_panel_created(ViewState& view, PanelUpdate& update);

// The entry list's selection.
bool on_entry_selected(ViewState& view, int list_index);

bool on_panel_command(PanelContext& panel, PanelCommand command, PanelUpdate& update);

// A scroll message from one of the arrow bars.
bool on_arrows(PanelContext& panel, PanelArrows bar, int request, PanelUpdate& update);

}  // namespace vcv
