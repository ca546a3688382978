// The pixel editor as the window uses it, without the window: what it shows (the selected block
// of the current frame, or one tile of the sheet), the colour it draws with, its magnification
// and grid, where its parts lie in its client area, and the strokes, fills, picks and tile
// turns it makes. Every press-to-release of the button is one undoable step of the document
// ("Undo Draw"); the frame, the sheet and the swatches follow each move because the document
// shows every change at once.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/document.h"
#include "edit/pixel_edit.h"
#include "view/panel_paint.h"

namespace vcv {

// Where the editor's parts lie in its client area, for a target of `side` pixels a side shown
// `zoom` times larger (grid lines included in the zoom: one pixel of each cell).
struct PixelEditorLayout {
  int zoom = 0;
  Rect canvas;         // side x side cells of zoom x zoom pixels
  Rect swatches;       // 16 swatches in two columns of 8
  int swatch_size = 0;
  Rect status;         // one line of text under the canvas
};

constexpr int kMinEditorZoom = 4;
constexpr int kMaxEditorZoom = 32;

// The largest zoom from kMinEditorZoom to `wanted` that fits the client area (kMinEditorZoom
// when none does), and the parts at that zoom.
PixelEditorLayout pixel_editor_layout(int client_width, int client_height, int side, int wanted);
// The client size in which `zoom` just fits.
void pixel_editor_client_size(int side, int zoom, int* width, int* height);

// The target pixel under (x, y) of the client area; false outside the canvas.
bool editor_pixel_at(const PixelEditorLayout& layout, int side, int x, int y, PixelPoint* out);
// The swatch under (x, y); -1 outside them.
int editor_swatch_at(const PixelEditorLayout& layout, int x, int y);
// Where swatch `index` (0 to 15) lies: two columns of eight, 0 to 7 on the left.
Rect editor_swatch_rect(const PixelEditorLayout& layout, int index);

class PixelEditor;

// Paints the editor's canvas (each pixel a zoom x zoom cell in its display colour, index 0 as a
// grey checker, a one-pixel grid on each cell's right and bottom edge when `grid`) and its
// swatches (the current one framed) into `surface`; the texts are the window's.
void paint_pixel_editor(const PixelEditor& editor, const uint32_t display_palette[16],
                        const PixelEditorLayout& layout, bool grid, Surface& surface);

class PixelEditor {
 public:
  explicit PixelEditor(Document& document) : document_(document) {}

  // What is shown: the selected block of the current frame (it follows the panel's block,
  // image and entry), or tile `tile` of the loaded entry.
  void show_block() { showing_block_ = true; }
  void show_tile(int tile) {
    showing_block_ = false;
    tile_ = tile;
  }
  bool showing_block() const { return showing_block_; }
  DrawTarget target() const;
  // The target as drawn now: side() x side() indices.
  std::vector<uint8_t> pixels() const;
  // Where the shown tiles are used in the entry's frames: "tile 00C: 5 blocks in 3 frames" (for
  // a block, each tile of its quadrants once, joined by "; ").
  std::string usage_text() const;

  int colour() const { return colour_; }
  void choose_colour(int index) {
    if (index >= 0 && index < 16) colour_ = index;
  }

  // ---- the mouse ----
  // Left press: a pixel of the current colour, or with `fill` the area of its index filled.
  void press(PixelPoint at, bool fill);
  // A move while the button is held: a line from the last position, so no pixel is skipped.
  void drag(PixelPoint to);
  // The button let go: the stroke is one step.
  void release();
  bool drawing() const { return drawing_; }
  // Right press: the colour under the pointer becomes the current one.
  void pick(PixelPoint at);

  // ---- the editor's menu: one step each ----
  void transform(TileTransform transform, PixelPoint at);

 private:
  // Runs `draw` on a copy of the tile data and applies the tiles it changed as one change.
  template <typename Draw>
  void change_tiles(EditAction action, Draw draw);

  Document& document_;
  bool showing_block_ = true;
  int tile_ = 0;
  int colour_ = 1;
  bool drawing_ = false;
  PixelPoint last_;
};

}  // namespace vcv
