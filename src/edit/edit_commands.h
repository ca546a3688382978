// The Edit-menu commands and the "Ed" button: clipboard exchange and the write-back commands.
// Each takes the application state and the Ui that answers its prompts.
#pragma once

namespace vcv {

struct AppState;
class Ui;

// Clipboard.
void copy_img(AppState& app, Ui& ui);
void copy_sprite(AppState& app, Ui& ui);
void paste_sprite(AppState& app, Ui& ui);
void copy_all_img(AppState& app, Ui& ui);
void paste_all_img(AppState& app, Ui& ui);

// Write-back.
void write_image_changes(AppState& app, Ui& ui);
void write_palette(AppState& app, Ui& ui);
void write_tile_info(AppState& app, Ui& ui);

// The "Ed" button: applies the Tile Info text of the panel to the selected block.
void parse_tile_info_text(AppState& app, Ui& ui);

}  // namespace vcv
