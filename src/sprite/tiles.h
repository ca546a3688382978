// SNES 4-bit planar tiles and 15-bit BGR colours, and their conversions to and from 8-bit pixel
// buffers (one palette index per byte) and display colours 0x00BBGGRR.
#pragma once

#include <cstdint>

namespace vcv {

constexpr int kTileBytes = 32;  // 8x8 pixels, 4 bit planes
constexpr int kFlipX = 0x40;    // flip value bit: mirror columns
constexpr int kFlipY = 0x80;    // flip value bit: mirror rows

// Draws tile `tile_number` of `tile_data` with its upper-left corner at (x, y). Pixels of value
// 0 are not drawn; positions outside width * height are skipped (no clipping to the row).
// The caller guarantees that the tile's 32 bytes lie inside `tile_data`.
void draw_tile(const uint8_t* tile_data, int tile_number, uint8_t* destination, int width,
               int height, int x, int y, int flip);

// Builds the 32 bytes of `tile` from the 8x8 pixels at (x, y) of `source` (row length
// `row_length`); only the low four bits of each pixel count. The flip value is undone.
void encode_tile(uint8_t* tile, const uint8_t* source, int row_length, int x, int y, int flip);

// Expands palette colours start .. start + count - 1 into the same places of `destination`.
void palette_to_display(const uint16_t* palette, uint32_t* destination, int start, int count);

// Reduces `count` display colours into palette colours, in place order.
void display_to_palette(const uint32_t* display, uint16_t* palette, int count);

// One colour each way.
uint32_t palette_colour_to_display(uint16_t colour);
uint16_t display_colour_to_palette(uint32_t colour);

}  // namespace vcv
