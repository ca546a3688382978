// Painting of the panel's three drawing areas: the frame enlarged by 3/2 with its block
// outlines, one page of the tile sheet enlarged twice with the used and selected tiles outlined,
// and the sixteen palette swatches. Everything is drawn into a 32-bit pixel surface; the window
// copies the painted rectangles to the screen.
#pragma once

#include <cstdint>
#include <vector>

#include "view/panel_context.h"

namespace vcv {

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
};

// Sizes of the three areas in panel pixels.
constexpr int kFrameAreaSize = 288;   // the 192-pixel canvas enlarged by 3/2
constexpr int kSheetAreaWidth = 256;  // 128 sheet pixels enlarged twice
constexpr int kSheetAreaHeight = 512;
constexpr int kSheetAreaTopOffset = 16;  // below the "Img." label it is anchored to
constexpr int kSwatchSize = 12;
constexpr int kPaletteAreaWidth = 16 * kSwatchSize;

struct ViewAreas {
  Rect frame, sheet, palette;
};

// The rectangle at (x_offset, y_offset) from the control's top-left corner, both given in the
// same coordinates, `width` x `height` in size.
Rect area_from_control(const Rect& control, int x_offset, int y_offset, int width, int height);
// The three areas from the rectangles of their anchor controls (frame box, "Img." label,
// palette strip), in panel client coordinates.
ViewAreas compute_view_areas(const Rect& frame_anchor, const Rect& sheet_anchor,
                             const Rect& palette_anchor);

bool point_in_area(int x, int y, const Rect& area);

// A 32-bit picture, row by row from the top; each pixel 0x00RRGGBB (the byte order of a
// 32-bit device-independent bitmap).
struct Surface {
  int width = 0, height = 0;
  uint32_t background = 0;  // the fill given to resize: what lies under the drawing areas
  std::vector<uint32_t> pixels;

  void resize(int new_width, int new_height, uint32_t fill);
  uint32_t at(int x, int y) const;  // 0 outside
  void set(int x, int y, uint32_t pixel);  // ignored outside
  void fill(const Rect& area, uint32_t pixel);
  void outline(int left, int top, int width, int height, uint32_t pixel);
};

// Display colour 0x00BBGGRR to surface pixel 0x00RRGGBB, and back.
uint32_t display_to_pixel(uint32_t display_colour);
uint32_t pixel_to_display(uint32_t pixel);

// The painter's cached pictures: the canvas picture, redrawn at every paint, and the sheet
// picture, redrawn only while the working set's `sheet_valid` is false.
struct PanelPainter {
  std::vector<uint32_t> sheet_picture;  // 128 x 512
  int sheet_rebuilds = 0;               // how often the sheet picture was drawn again
  Rect last_outlines;  // where the last block outlines lay, to be wiped before the next paint
};

// Paints the three areas into `surface` (which covers the panel's client area) and returns the
// rectangles it drew, clipped to the surface, for the window to copy to the screen.
std::vector<Rect> paint_panel(PanelContext& panel, PanelPainter& painter, const ViewAreas& areas,
                              bool boundaries, Surface& surface);

}  // namespace vcv
