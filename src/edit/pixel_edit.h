// The pixel editor's model: drawing on one tile of the tile data, or on one block of a frame as
// the frame shows it, and writing what is drawn back into the tiles in their stored form.
//
// A drawing target is what the editor shows magnified: a tile (8 x 8, unflipped, as the tile
// sheet shows it) or a block (16 x 16, its four quadrants as the frame draws them, each tile
// with its entry's flips). A target pixel (x, y) is a pixel of one tile: through a flipped
// quadrant it is the mirrored pixel of the stored tile, so drawing on what is shown changes the
// tile pixel shown there.
//
// Tiles named more than once. Two quadrants of a block, or blocks of several frames, may name
// one tile; they all show that one tile, so a pixel drawn through one of them shows in all of
// them, exactly as the frame draws them from the new tile data. When one operation reaches one
// tile pixel twice (a line through two quadrants of one tile), the later write wins: the later
// point of the line. A fill writes one index throughout, so its order does not matter.
//
// What cannot be drawn on: a quadrant naming tile 0 (as Paste Sprite skips it: tile 0 is the
// empty tile most quadrants without a picture name, and drawing on it would draw into every such
// quadrant of every frame), and a tile that does not lie wholly inside the tile data's valid
// bytes (the entry's decoded size: tiles past it are neither shown nor written to the ROM).
// Drawing there changes nothing.
//
// Results: every operation changes the caller's tile data in place, tile by tile through the
// 4bpp planar encoding of sprite/tiles.h, and says whether any byte changed; `changed`, when
// given, gathers the numbers of the tiles changed, each once, in the order first changed. A
// caller that keeps the bytes from before a stroke compares them with the bytes after it to make
// one edit of the stroke.
//
// Safety contract: pure functions over caller-owned memory. `tile_data` holds at least
// `tile_data_size` bytes, and `tile_data_size` is at most kTileDataSize; `pixels` holds
// side() x side() bytes; `frames` holds `frame_count` frames. Coordinates may lie anywhere:
// pixels outside the target are skipped.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sprite/sprite_data.h"

namespace vcv {

constexpr int kTileSide = 8;  // a tile is 8 x 8 pixels; a block 2 x 2 tiles

enum class DrawTargetKind { kTile, kBlock };

struct DrawTarget {
  DrawTargetKind kind = DrawTargetKind::kTile;
  int tile = 0;               // kTile: the tile number
  uint16_t entries[4] = {};   // kBlock: the tile entries of the quadrants UL, UR, LL, LR
  int side() const { return kind == DrawTargetKind::kTile ? kTileSide : 2 * kTileSide; }
};

struct PixelPoint {
  int x = 0;
  int y = 0;
  bool operator==(const PixelPoint& other) const { return x == other.x && y == other.y; }
};

// ---- targets ----

// Tile `tile_number` (0 to 2047) as the tile sheet shows it.
DrawTarget tile_target(int tile_number);
// Block `block` of `frame`, or block 0 when the frame has no such block (as Copy Sprite takes
// it).
DrawTarget block_target(const Frame& frame, int block);

// Where target pixel (x, y) lies in the tile data: the tile, the pixel's column and row in the
// tile as stored (the quadrant's flips undone) and, for a block, the quadrant. False outside
// the target.
struct TilePixel {
  int tile = 0;
  int x = 0;
  int y = 0;
  int quadrant = 0;
};
bool locate_target_pixel(const DrawTarget& target, int x, int y, TilePixel* out);

// Whether drawing on target pixel (x, y) changes a tile (see "What cannot be drawn on").
bool target_pixel_drawable(const DrawTarget& target, int x, int y, int tile_data_size);

// The target as the editor shows it: side() x side() indices, row by row; 0 where a tile lies
// outside the tile data.
void read_target(const DrawTarget& target, const uint8_t* tile_data, int tile_data_size,
                 uint8_t* pixels);

// ---- drawing ----

// Sets target pixel (x, y) to `index` (0 to 15; 0 is transparent). Another index draws nothing.
bool set_target_pixel(const DrawTarget& target, int x, int y, int index, uint8_t* tile_data,
                      int tile_data_size, std::vector<int>* changed = nullptr);

// The pixels of the line from `from` to `to`, both included, each one step from the last in x,
// y or both (Bresenham): max(|dx|, |dy|) + 1 points, no gap however far apart the two are.
// Coordinates are first clamped to -32768..32767.
std::vector<PixelPoint> line_points(PixelPoint from, PixelPoint to);

// Draws the line from `from` to `to` in `index`: one mouse move of a stroke, joined to the last
// position so that a fast drag leaves no gap. Points outside the target are skipped.
bool draw_target_line(const DrawTarget& target, PixelPoint from, PixelPoint to, int index,
                      uint8_t* tile_data, int tile_data_size,
                      std::vector<int>* changed = nullptr);

// Fills the 4-connected area of `start`'s shown index with `index`, within the target's
// drawable pixels: the area is found on the target as shown before the fill, and never leaves
// the tile or block.
bool fill_target(const DrawTarget& target, PixelPoint start, int index, uint8_t* tile_data,
                 int tile_data_size, std::vector<int>* changed = nullptr);

enum class TileTransform { kFlipHorizontal, kFlipVertical, kRotateClockwise };

// Flips or rotates (90 degrees clockwise) the tile shown at `at`, as it is shown: through a
// quadrant mirrored once, the stored tile turns the other way so that the shown one turns
// clockwise. Every other place that names the tile shows it changed too.
bool transform_shown_tile(const DrawTarget& target, PixelPoint at, TileTransform transform,
                          uint8_t* tile_data, int tile_data_size,
                          std::vector<int>* changed = nullptr);

// ---- where a tile is used ----

struct TileUsage {
  int blocks = 0;  // blocks that name the tile in one quadrant or more
  int frames = 0;  // frames with one such block or more
};

// Counts over frames 0 .. frame_count - 1 and each frame's blocks.
TileUsage tile_usage(const Frame* frames, int frame_count, int tile);

// The editor's status line: "tile 00C: 5 blocks in 3 frames", "tile 00C: 1 block in 1 frame",
// "tile 00C: not used in any frame".
std::string tile_usage_text(int tile, const TileUsage& usage);

}  // namespace vcv
