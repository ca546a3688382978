// The tile sheet: every tile of the loaded entry's tile data drawn 16 to a row, as the panel
// shows it and the clipboard carries it.
#pragma once

#include "sprite/sprite_data.h"
#include "sprite/tiles.h"

namespace vcv {

// Clears the sheet, then draws tiles 0 .. decoded size / 32 - 1 (at most the sheet's 1280
// places) unflipped at (8 * (n mod 16), 8 * (n div 16)), leaving index-0 pixels at 0.
void draw_tile_sheet(SpriteWorkingSet& set);

constexpr int kSheetRowBytes = kSheetColumns * kTileBytes;  // the tile data of one sheet row

// The pixel rows a sheet of `tile_data_size` bytes of tiles needs: 8 per started row of 16 tiles.
int sheet_height_for(int tile_data_size);

}  // namespace vcv
