// The Edit-menu commands and the "Ed" button: clipboard exchange and the write-back commands.
// Each works on what the panel shows, asks its prompts through the Ui, and returns its result;
// a paste that returns kDone has changed the tile data (the caller refreshes with a new sheet).
#pragma once

#include <string>

#include "edit/command_result.h"
#include "view/panel_context.h"

namespace vcv {

class RomFile;
class Ui;

// Clipboard.
CommandResult copy_img(const PanelContext& panel, Ui& ui);
CommandResult copy_sprite(const PanelContext& panel, Ui& ui);
CommandResult copy_all_img(const PanelContext& panel, Ui& ui);
CommandResult paste_sprite(PanelContext& panel, Ui& ui);
CommandResult paste_all_img(PanelContext& panel, Ui& ui);
// The heart of Paste All Img: `pixels` (width x height palette indices, top row first) go into
// the tile data cell by cell, as far as the 16 x 80 tiles of the sheet reach.
CommandResult paste_sheet_pixels(PanelContext& panel, const uint8_t* pixels, int width,
                                 int height);

// Write-back (write_image_changes is in edit/write_image.h).
CommandResult write_palette(PanelContext& panel, RomFile& rom, Ui& ui);
CommandResult write_tile_info(PanelContext& panel, RomFile& rom, Ui& ui);

// The "Ed" button: applies the Tile Info text to the selected block of the current image and
// packs the frame back. False (nothing done) without a ROM; the caller refreshes otherwise.
bool apply_tile_info(PanelContext& panel, const std::string& text);

}  // namespace vcv
