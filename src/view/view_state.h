// The panel's values that name what is shown, and the display state the refresh fills.
#pragma once

#include <cstdint>

namespace vcv {

constexpr int kCanvasSize = 192;  // the frame canvas is 192 x 192 palette indices

struct ViewState {
  int current_entry = 0;
  int sequence_mode = 1;   // nonzero: Sequence mode; 0: ImageNo mode
  int animation_no = 0;
  int sequence_no = 0;
  int image_no = 0;
  int animation_count = 0;  // range bounds left by the last refresh
  int sequence_count = 0;
  int image_count = 0;
  int face_direction = 0;   // 0 Up, 1 Down, 2 Left, 3 Right
  int animation_table = 0;  // 0: Animation 1, 1: Animation 2
  int tile_page = 0;        // 0: tiles 0..511, 1: tiles 512..1023
  int block_no = 0;
  int weapon_palette = 0;   // 0..31
  int flip_bits = 0;        // 0x40 flipx, 0x80 flipy
};

struct DisplayState {
  uint8_t canvas[kCanvasSize * kCanvasSize] = {};
  uint32_t display_palette[16] = {};  // 0x00BBGGRR
  int selected_tile = 0;
};

// Adds step (+1 or -1) and wraps within low..high; an empty range (high < low) gives low.
int step_value(int value, int low, int high, int step);

}  // namespace vcv
