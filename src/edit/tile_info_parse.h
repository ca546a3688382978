// The Tile Info text of one block, typed by hand and applied back to the frame store ("Ed").
#pragma once

#include <string>

#include "sprite/sprite_data.h"

namespace vcv {

constexpr int kTileInfoMaxChars = 1279;  // what the panel's edit control hands over
constexpr int kTileInfoMaxLines = 10;

// Applies the lines of `text` to block `block` of `frame`: "X=%d Y=%d" sets the position, and a
// quadrant label ("U Left" / "左上", "U Right" / "右上", "L Left" / "左下", "L Right" / "右下")
// followed by " TileNo=%X xflip=%d yflip=%d" sets that quadrant's tile entry (bits 11 to 13,
// which the text does not carry, keep their value). Lines are matched
// in the manner of formatted input; a line that matches nothing is ignored, and a later line
// overrides an earlier one. Only the first 1279 characters and the first 10 lines count.
// Returns the number of lines applied; a block outside the frame store changes nothing.
int apply_tile_info_text(const std::string& text, Frame& frame, int block);

}  // namespace vcv
