#include "view/view_layout.h"

#include <algorithm>

#include "view/view_state.h"

namespace vcv {
namespace {

constexpr int kCanvasCentre = kCanvasSize / 2;
constexpr int kBlockPixels = 16;  // a block is 2 x 2 tiles of 8 pixels
constexpr int kTilePixels = 8;
constexpr int kTilesPerSheetRow = 16;

}  // namespace

Rect ViewAreas::block_outline(int x, int y) const {
  const int side = frame_to_screen(kBlockPixels) - 1;
  const int left = frame.left + frame_to_screen(x + kCanvasCentre);
  const int top = frame.top + frame_to_screen(y + kCanvasCentre);
  return Rect{left, top, left + side, top + side};
}

Rect ViewAreas::block_box(int x, int y) const {
  const int side = frame_to_screen(kBlockPixels);
  const int left = frame.left + frame_to_screen(x) + frame_to_screen(kCanvasCentre);
  const int top = frame.top + frame_to_screen(y) + frame_to_screen(kCanvasCentre);
  return Rect{left, top, left + side, top + side};
}

int ViewAreas::block_quadrant(const Rect& box, int x, int y) const {
  const int half = frame_to_screen(kTilePixels);
  return ((y - box.top) / half) * 2 + (x - box.left) / half;
}

void ViewAreas::sheet_tile_at(int x, int y, int* column, int* row) const {
  const int tile = sheet_to_screen(kTilePixels);
  *column = (x - sheet.left) / tile;
  *row = (y - sheet.top) / tile;
}

Rect ViewAreas::tile_outline(int index) const {
  const int tile = sheet_to_screen(kTilePixels);
  const int left = sheet.left + (index % kTilesPerSheetRow) * tile;
  const int top = sheet.top + (index / kTilesPerSheetRow) * tile;
  return Rect{left, top, left + tile - 1, top + tile - 1};
}

Rect area_from_control(const Rect& control, int x_offset, int y_offset, int width, int height) {
  Rect r;
  r.left = control.left + x_offset;
  r.top = control.top + y_offset;
  r.right = r.left + width;
  r.bottom = r.top + height;
  return r;
}

ViewAreas compute_view_areas(const Rect& frame_anchor, const Rect& sheet_anchor,
                             const Rect& palette_anchor, int zoom) {
  ViewAreas areas;
  areas.zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
  const int frame_size = kFrameAreaSize * areas.zoom;
  areas.frame = area_from_control(frame_anchor, 0, 0, frame_size, frame_size);
  areas.sheet = area_from_control(sheet_anchor, 0, kSheetAreaTopOffset,
                                  kSheetAreaWidth * areas.zoom, kSheetAreaHeight * areas.zoom);
  areas.palette = area_from_control(palette_anchor, 0, 0, kPaletteAreaWidth, kSwatchSize);
  return areas;
}

bool point_in_area(int x, int y, const Rect& area) {
  return area.left <= x && x < area.right && area.top <= y && y < area.bottom;
}

Rect unite(const Rect& a, const Rect& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  return Rect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom)};
}

bool intersects(const Rect& a, const Rect& b) {
  return !a.empty() && !b.empty() && a.left < b.right && b.left < a.right && a.top < b.bottom &&
         b.top < a.bottom;
}

}  // namespace vcv
