// What the refresh computes without touching any window: the clamps that settle the view's
// numbers into the loaded entry's ranges, and the Info, Tile Info and range label texts. The
// texts are UTF-8 with "\r\n" line ends, as the panel shows them.
#pragma once

#include <cstdint>
#include <string>

#include "sprite/sprite_data.h"
#include "view/view_state.h"

namespace vcv {

// The Info text's line for an entry whose packed graphics could not be decoded.
constexpr const char* kUndecodableFormat =
    "Graphics could not be decoded (packed block at %02X%04X)\r\n";

// Settles the range values and the numbers of `view` for the loaded entry: sequence_count,
// image_count and animation_count, then image_no (ImageNo mode) or animation_no, sequence_no
// and image_no (Sequence mode). animation_no, sequence_no and image_no never go below 0.
void apply_refresh_clamps(ViewState& view, const SpriteWorkingSet& set,
                          const SpriteDirectory& directory);

// Steps (0..4) of sequence animation_no of facing face_direction in the chosen animation table.
int count_sequence_frames(const ViewState& view, const SpriteWorkingSet& set);

// Appends `count` bytes as "%02X " with a "\r\n" before every `per_line`-th byte after the first.
void append_hex_bytes(std::string& text, const uint8_t* bytes, int count, int per_line);

std::string build_info_text(const ViewState& view, const SpriteWorkingSet& set,
                            const SpriteDirectory& directory);
std::string build_tile_info_text(const ViewState& view, const SpriteWorkingSet& set);

// "00～%02X" of count - 1 (full-width tilde); a count of 0 shows "00～FFFFFFFF".
std::string format_range_label(int count);

}  // namespace vcv
