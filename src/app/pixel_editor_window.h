// The pixel editor's tool window: owned by the main window, resizable, showing the selected
// block of the current frame or one tile of the sheet magnified, with the entry's sixteen
// colours beside it. Left button draws (a drag draws a connected line, Shift+click fills),
// right button picks a colour, keys 0 to 9 and A to F choose one; Ctrl+plus, Ctrl+minus and
// Ctrl+wheel zoom; its menu flips and rotates the tile under the pointer.
#pragma once

#include "app/application.h"

namespace vcv {

// Opens the editor (or brings it to the front) on the selected block of the current frame, or
// with `tile` >= 0 on that tile of the sheet.
void open_pixel_editor(Application& app, int tile = -1);

// The panel changed (another entry, image or block, an undo): the editor shows it again.
void pixel_editor_follow_panel(Application& app);

}  // namespace vcv
