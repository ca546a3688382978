// The Edit-menu commands and the "Ed" button: clipboard exchange and the write-back commands.
// Each works on what the panel shows, asks its prompts through the Ui, and returns its result.
// Pastes and "Ed" do not change the working set: they add the new bytes to `changes`, which the
// caller applies as one undoable edit. A paste the user declined (kCancelled: no nearest
// colours) adds nothing.
#pragma once

#include <string>

#include <vector>

#include "edit/command_result.h"
#include "sprite/edit_buffer.h"
#include "view/panel_context.h"

namespace vcv {

class RomFile;
class Ui;

// Clipboard.
CommandResult copy_img(const PanelContext& panel, Ui& ui);
CommandResult copy_sprite(const PanelContext& panel, Ui& ui);
CommandResult copy_all_img(const PanelContext& panel, Ui& ui);
CommandResult paste_sprite(const PanelContext& panel, Ui& ui,
                           std::vector<BufferChange>* changes);
CommandResult paste_all_img(const PanelContext& panel, Ui& ui,
                            std::vector<BufferChange>* changes);
// The heart of Paste All Img: `pixels` (width x height palette indices, top row first) go into
// the tile data cell by cell, as far as the 16 x 80 tiles of the sheet reach.
CommandResult paste_sheet_pixels(const PanelContext& panel, const uint8_t* pixels, int width,
                                 int height, std::vector<BufferChange>* changes);

// Write-back (write_image_changes is in edit/write_image.h).
CommandResult write_palette(PanelContext& panel, RomFile& rom, Ui& ui);
CommandResult write_tile_info(PanelContext& panel, RomFile& rom, Ui& ui);

// The "Ed" button: the Tile Info text applied to the selected block of the current image, as the
// new bytes of the frame's record. False (nothing done) without a ROM; the caller refreshes
// otherwise.
bool apply_tile_info(const PanelContext& panel, const std::string& text,
                     std::vector<BufferChange>* changes);

}  // namespace vcv
