// Painting of the panel's three drawing areas: the frame enlarged by 3/2 (times the zoom) with
// its block outlines, one page of the tile sheet enlarged twice (times the zoom) with the used and
// selected tiles outlined, and the sixteen palette swatches (view_layout.h places them).
// Everything is drawn into a 32-bit pixel surface; the window copies the painted rectangles to
// the screen.
#pragma once

#include <cstdint>
#include <vector>

#include "view/panel_context.h"
#include "view/view_layout.h"

namespace vcv {

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

// The parts of the panel a paint draws, as bits.
enum PanelPart : unsigned {
  kPaintFrame = 1,  // the frame and its block outlines
  kPaintSheet = 2,
  kPaintPalette = 4,
  kPaintAll = 7,
};

// Paints the `parts` of the panel into `surface` (which covers the panel's client area) and
// returns the rectangles it drew, clipped to the surface, for the window to copy to the screen.
// Where block outlines (new or wiped) reach into the sheet or the palette, those are painted as
// well, so the surface always holds what a paint of every part gives.
std::vector<Rect> paint_panel(PanelContext& panel, PanelPainter& painter, const ViewAreas& areas,
                              bool boundaries, Surface& surface, unsigned parts = kPaintAll);

}  // namespace vcv
