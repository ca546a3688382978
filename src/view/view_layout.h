// Where the panel's three drawing areas lie and how much the frame and the tile sheet are
// enlarged. Painting and the mouse both go through the mappings below, so what is drawn at a
// place and what a press there means agree at every zoom.
//
// At zoom 1 the frame is the 192-pixel canvas enlarged by 3/2 in a 288-pixel square and the sheet
// one page of 16 x 32 tiles enlarged twice, 256 x 512; zoom z multiplies both enlargements by z.
// Screen lengths of canvas lengths are truncated toward zero, negative ones included, which puts
// a block's outline and the box a press is tested against one pixel apart for odd negative
// offsets at odd enlargements (3/2 x 1 and 3): both are kept as they have always been at zoom 1.
#pragma once

namespace vcv {

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool empty() const { return right <= left || bottom <= top; }
  bool operator==(const Rect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
};

constexpr int kMinZoom = 1;
constexpr int kMaxZoom = 4;

// Sizes of the three areas in panel pixels at zoom 1.
constexpr int kFrameAreaSize = 288;   // the 192-pixel canvas enlarged by 3/2
constexpr int kSheetAreaWidth = 256;  // 128 sheet pixels enlarged twice
constexpr int kSheetAreaHeight = 512;
constexpr int kSheetAreaTopOffset = 16;  // below the "Img." label it is anchored to
constexpr int kSwatchSize = 12;
constexpr int kPaletteAreaWidth = 16 * kSwatchSize;

struct ViewAreas {
  Rect frame, sheet, palette;  // panel client coordinates
  int zoom = 1;

  // ---- the frame: canvas pixels enlarged by 3/2 x zoom ----
  // The screen length of a canvas length (an offset may be negative), truncated toward zero.
  int frame_to_screen(int canvas_length) const { return canvas_length * 3 * zoom / 2; }
  // The canvas pixel a screen pixel of the frame area shows (0 <= offset < frame width).
  int screen_to_frame(int offset) const { return offset * 2 / (3 * zoom); }
  // The outline of the block whose upper-left corner is (x, y) canvas pixels from the canvas
  // centre; one pixel smaller than the block on the screen.
  Rect block_outline(int x, int y) const;
  // The box a press on the frame is tested against for the same block.
  Rect block_box(int x, int y) const;
  // The quadrant (0 upper left, 1 upper right, 2 lower left, 3 lower right) of a point of `box`.
  int block_quadrant(const Rect& box, int x, int y) const;

  // ---- the sheet: sheet pixels enlarged twice x zoom ----
  int sheet_to_screen(int sheet_length) const { return sheet_length * 2 * zoom; }
  int screen_to_sheet(int offset) const { return offset / (2 * zoom); }
  // The column (0..15) and row (0..31) of the page's tile under a point of the sheet area.
  void sheet_tile_at(int x, int y, int* column, int* row) const;
  // The outline of tile `index` (0..511) of the shown page.
  Rect tile_outline(int index) const;

  // ---- the palette swatches, never enlarged ----
  int swatch_at(int x) const { return (x - palette.left) / kSwatchSize; }
};

// The rectangle at (x_offset, y_offset) from the control's top-left corner, both given in the
// same coordinates, `width` x `height` in size.
Rect area_from_control(const Rect& control, int x_offset, int y_offset, int width, int height);
// The three areas from the rectangles of their anchor controls (frame box, "Img." label,
// palette strip), in panel client coordinates, at `zoom` (clamped to 1..4).
ViewAreas compute_view_areas(const Rect& frame_anchor, const Rect& sheet_anchor,
                             const Rect& palette_anchor, int zoom = 1);

bool point_in_area(int x, int y, const Rect& area);
// The smallest rectangle holding both; an empty one adds nothing.
Rect unite(const Rect& a, const Rect& b);
bool intersects(const Rect& a, const Rect& b);

}  // namespace vcv
