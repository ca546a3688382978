// What the panel shows and edits, by reference: the open ROM image (null when none is open), its
// sprite directory, the loaded entry's working set, the view state and the display state. The
// document owns each part; the refresh, the paint, the mouse and the editing commands take this.
#pragma once

#include "rom/rom_image.h"
#include "sprite/sprite_data.h"
#include "view/view_state.h"

namespace vcv {

struct PanelContext {
  const RomImage* rom;  // null when no ROM is open
  const SpriteDirectory& directory;
  SpriteWorkingSet& set;
  ViewState& view;
  DisplayState& display;

  bool rom_open() const { return rom != nullptr; }
};

}  // namespace vcv
