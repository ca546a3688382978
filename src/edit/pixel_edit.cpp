#include "edit/pixel_edit.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sprite/frames.h"
#include "sprite/tiles.h"

namespace vcv {

namespace {

constexpr int kTilePixels = kTileSide * kTileSide;
constexpr int kIndexCount = 16;
constexpr int kCoordinateLimit = 32767;  // line ends are clamped to +-this (and -32768)

struct TilePicture {
  uint8_t pixels[kTilePixels] = {};
};

bool tile_inside(int tile, int tile_data_size) {
  return tile >= 0 && static_cast<long>(tile + 1) * kTileBytes <= tile_data_size;
}

// The tile as stored, unflipped, one index per pixel.
TilePicture decode(const uint8_t* tile_data, int tile) {
  TilePicture picture;
  draw_tile(tile_data, tile, picture.pixels, kTileSide, kTileSide, 0, 0, 0);
  return picture;
}

// Encodes `picture` into the tile; true when a byte changed.
bool encode(const TilePicture& picture, uint8_t* tile_data, int tile, std::vector<int>* changed) {
  uint8_t bytes[kTileBytes];
  encode_tile(bytes, picture.pixels, kTileSide, 0, 0, 0);
  uint8_t* stored = tile_data + static_cast<long>(tile) * kTileBytes;
  if (std::memcmp(bytes, stored, kTileBytes) == 0) return false;
  std::memcpy(stored, bytes, kTileBytes);
  if (changed != nullptr && std::find(changed->begin(), changed->end(), tile) == changed->end()) {
    changed->push_back(tile);
  }
  return true;
}

// The flip value of the quadrant that shows target pixel `pixel` (0 for a tile target).
int shown_flip(const DrawTarget& target, const TilePixel& pixel) {
  return target.kind == DrawTargetKind::kBlock ? tile_entry_flip(target.entries[pixel.quadrant])
                                               : 0;
}

int clamp_coordinate(int v) { return std::clamp(v, -kCoordinateLimit - 1, kCoordinateLimit); }

// The picture mirrored by a flip value: stored to shown, and since each flip undoes itself,
// shown to stored.
TilePicture flipped(const TilePicture& picture, int flip) {
  TilePicture result;
  for (int y = 0; y < kTileSide; ++y) {
    for (int x = 0; x < kTileSide; ++x) {
      const int sx = (flip & kFlipX) ? kTileSide - 1 - x : x;
      const int sy = (flip & kFlipY) ? kTileSide - 1 - y : y;
      result.pixels[y * kTileSide + x] = picture.pixels[sy * kTileSide + sx];
    }
  }
  return result;
}

TilePicture turned(const TilePicture& picture, TileTransform transform) {
  TilePicture result;
  for (int y = 0; y < kTileSide; ++y) {
    for (int x = 0; x < kTileSide; ++x) {
      int sx = x, sy = y;
      switch (transform) {
        case TileTransform::kFlipHorizontal: sx = kTileSide - 1 - x; break;
        case TileTransform::kFlipVertical: sy = kTileSide - 1 - y; break;
        case TileTransform::kRotateClockwise:  // the pixel at (sx, sy) moves to (7 - sy, sx)
          sx = y;
          sy = kTileSide - 1 - x;
          break;
      }
      result.pixels[y * kTileSide + x] = picture.pixels[sy * kTileSide + sx];
    }
  }
  return result;
}

}  // namespace

DrawTarget tile_target(int tile_number) {
  DrawTarget target;
  target.kind = DrawTargetKind::kTile;
  target.tile = tile_number;
  return target;
}

DrawTarget block_target(const Frame& frame, int block) {
  if (block < 0 || block >= frame.block_count || block >= kMaxBlocksPerFrame) block = 0;
  DrawTarget target;
  target.kind = DrawTargetKind::kBlock;
  std::copy(frame.tile[block], frame.tile[block] + 4, target.entries);
  return target;
}

bool locate_target_pixel(const DrawTarget& target, int x, int y, TilePixel* out) {
  const int side = target.side();
  if (x < 0 || y < 0 || x >= side || y >= side) return false;
  TilePixel pixel;
  pixel.x = x % kTileSide;
  pixel.y = y % kTileSide;
  if (target.kind == DrawTargetKind::kTile) {
    pixel.tile = target.tile;
  } else {
    pixel.quadrant = (y / kTileSide) * 2 + x / kTileSide;
    const uint16_t entry = target.entries[pixel.quadrant];
    pixel.tile = entry & kTileNumberMask;
    // The frame draws column j of the tile at 7 - j when mirrored; the same mapping undoes it.
    if (tile_entry_flip(entry) & kFlipX) pixel.x = kTileSide - 1 - pixel.x;
    if (tile_entry_flip(entry) & kFlipY) pixel.y = kTileSide - 1 - pixel.y;
  }
  *out = pixel;
  return true;
}

bool target_pixel_drawable(const DrawTarget& target, int x, int y, int tile_data_size) {
  TilePixel pixel;
  if (!locate_target_pixel(target, x, y, &pixel)) return false;
  if (target.kind == DrawTargetKind::kBlock && pixel.tile == 0) return false;
  return tile_inside(pixel.tile, tile_data_size);
}

void read_target(const DrawTarget& target, const uint8_t* tile_data, int tile_data_size,
                 uint8_t* pixels) {
  const int side = target.side();
  std::memset(pixels, 0, static_cast<size_t>(side) * side);
  if (target.kind == DrawTargetKind::kTile) {
    if (tile_inside(target.tile, tile_data_size)) {
      draw_tile(tile_data, target.tile, pixels, side, side, 0, 0, 0);
    }
    return;
  }
  for (int q = 0; q < 4; ++q) {
    const int tile = target.entries[q] & kTileNumberMask;
    if (!tile_inside(tile, tile_data_size)) continue;
    draw_tile(tile_data, tile, pixels, side, side, kQuadrantX[q], kQuadrantY[q],
              tile_entry_flip(target.entries[q]));
  }
}

bool set_target_pixel(const DrawTarget& target, int x, int y, int index, uint8_t* tile_data,
                      int tile_data_size, std::vector<int>* changed) {
  if (index < 0 || index >= kIndexCount) return false;
  if (!target_pixel_drawable(target, x, y, tile_data_size)) return false;
  TilePixel pixel;
  locate_target_pixel(target, x, y, &pixel);
  TilePicture picture = decode(tile_data, pixel.tile);
  picture.pixels[pixel.y * kTileSide + pixel.x] = static_cast<uint8_t>(index);
  return encode(picture, tile_data, pixel.tile, changed);
}

std::vector<PixelPoint> line_points(PixelPoint from, PixelPoint to) {
  int x = clamp_coordinate(from.x), y = clamp_coordinate(from.y);
  const int x1 = clamp_coordinate(to.x), y1 = clamp_coordinate(to.y);
  const int dx = std::abs(x1 - x), dy = -std::abs(y1 - y);
  const int step_x = x < x1 ? 1 : -1, step_y = y < y1 ? 1 : -1;
  std::vector<PixelPoint> points;
  points.reserve(static_cast<size_t>(std::max(dx, -dy)) + 1);
  // The error term tracks how far the pixel centre is from the true line; both steps may be
  // taken at once (a diagonal step), which keeps the line 8-connected and gapless.
  int error = dx + dy;
  for (;;) {
    points.push_back({x, y});
    if (x == x1 && y == y1) break;
    const int twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      x += step_x;
    }
    if (twice <= dx) {
      error += dx;
      y += step_y;
    }
  }
  return points;
}

bool draw_target_line(const DrawTarget& target, PixelPoint from, PixelPoint to, int index,
                      uint8_t* tile_data, int tile_data_size, std::vector<int>* changed) {
  bool any = false;
  for (const PixelPoint& p : line_points(from, to)) {
    any = set_target_pixel(target, p.x, p.y, index, tile_data, tile_data_size, changed) || any;
  }
  return any;
}

bool fill_target(const DrawTarget& target, PixelPoint start, int index, uint8_t* tile_data,
                 int tile_data_size, std::vector<int>* changed) {
  if (index < 0 || index >= kIndexCount) return false;
  if (!target_pixel_drawable(target, start.x, start.y, tile_data_size)) return false;
  const int side = target.side();
  std::vector<uint8_t> shown(static_cast<size_t>(side) * side);
  read_target(target, tile_data, tile_data_size, shown.data());
  const uint8_t from = shown[static_cast<size_t>(start.y) * side + start.x];
  if (from == index) return false;
  // The area as shown before the fill: found first, then written, so that a tile shown in two
  // quadrants does not change the area while it is being found.
  std::vector<bool> in_area(shown.size(), false);
  std::vector<PixelPoint> pending = {start};
  in_area[static_cast<size_t>(start.y) * side + start.x] = true;
  std::vector<PixelPoint> area;
  while (!pending.empty()) {
    const PixelPoint p = pending.back();
    pending.pop_back();
    area.push_back(p);
    const PixelPoint neighbours[4] = {{p.x - 1, p.y}, {p.x + 1, p.y}, {p.x, p.y - 1}, {p.x, p.y + 1}};
    for (const PixelPoint& n : neighbours) {
      if (n.x < 0 || n.y < 0 || n.x >= side || n.y >= side) continue;
      const size_t at = static_cast<size_t>(n.y) * side + n.x;
      if (in_area[at] || shown[at] != from ||
          !target_pixel_drawable(target, n.x, n.y, tile_data_size)) {
        continue;
      }
      in_area[at] = true;
      pending.push_back(n);
    }
  }
  bool any = false;
  for (const PixelPoint& p : area) {
    any = set_target_pixel(target, p.x, p.y, index, tile_data, tile_data_size, changed) || any;
  }
  return any;
}

bool transform_shown_tile(const DrawTarget& target, PixelPoint at, TileTransform transform,
                          uint8_t* tile_data, int tile_data_size, std::vector<int>* changed) {
  if (!target_pixel_drawable(target, at.x, at.y, tile_data_size)) return false;
  TilePixel pixel;
  locate_target_pixel(target, at.x, at.y, &pixel);
  // Turned as shown: to the shown form, turned, back to the stored form.
  const int flip = shown_flip(target, pixel);
  const TilePicture shown = flipped(decode(tile_data, pixel.tile), flip);
  return encode(flipped(turned(shown, transform), flip), tile_data, pixel.tile, changed);
}

TileUsage tile_usage(const Frame* frames, int frame_count, int tile) {
  TileUsage usage;
  for (int f = 0; f < frame_count; ++f) {
    const Frame& frame = frames[f];
    const int blocks = std::min(frame.block_count, kMaxBlocksPerFrame);
    int here = 0;
    for (int b = 0; b < blocks; ++b) {
      const uint16_t* entries = frame.tile[b];
      here += std::any_of(entries, entries + 4, [tile](uint16_t entry) {
        return (entry & kTileNumberMask) == tile;
      });
    }
    usage.blocks += here;
    usage.frames += here > 0;
  }
  return usage;
}

std::string tile_usage_text(int tile, const TileUsage& usage) {
  char text[96];
  if (usage.blocks == 0) {
    std::snprintf(text, sizeof text, "tile %03X: not used in any frame", tile);
  } else {
    std::snprintf(text, sizeof text, "tile %03X: %d block%s in %d frame%s", tile, usage.blocks,
                  usage.blocks == 1 ? "" : "s", usage.frames, usage.frames == 1 ? "" : "s");
  }
  return text;
}

}  // namespace vcv
