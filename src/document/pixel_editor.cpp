#include "document/pixel_editor.h"

#include <algorithm>

#include "sprite/frames.h"
#include "sprite/tiles.h"

namespace vcv {

namespace {

constexpr int kMargin = 8;
constexpr int kEditorSwatchSize = 24;
constexpr int kSwatchColumns = 2;
constexpr int kSwatchRows = 8;
constexpr int kStatusHeight = 20;

int canvas_side(int side, int zoom) { return side * zoom; }

}  // namespace

void pixel_editor_client_size(int side, int zoom, int* width, int* height) {
  const int canvas = canvas_side(side, zoom);
  *width = kMargin + canvas + kMargin + kSwatchColumns * kEditorSwatchSize + kMargin;
  *height = kMargin + std::max(canvas, kSwatchRows * kEditorSwatchSize) + kMargin + kStatusHeight;
}

PixelEditorLayout pixel_editor_layout(int client_width, int client_height, int side,
                                      int wanted) {
  PixelEditorLayout layout;
  layout.zoom = kMinEditorZoom;
  for (int zoom = std::min(wanted, kMaxEditorZoom); zoom > kMinEditorZoom; --zoom) {
    int width = 0, height = 0;
    pixel_editor_client_size(side, zoom, &width, &height);
    if (width <= client_width && height <= client_height) {
      layout.zoom = zoom;
      break;
    }
  }
  const int canvas = canvas_side(side, layout.zoom);
  layout.canvas = {kMargin, kMargin, kMargin + canvas, kMargin + canvas};
  layout.swatch_size = kEditorSwatchSize;
  const int swatch_left = layout.canvas.right + kMargin;
  layout.swatches = {swatch_left, kMargin, swatch_left + kSwatchColumns * kEditorSwatchSize,
                     kMargin + kSwatchRows * kEditorSwatchSize};
  const int status_top = std::max(layout.canvas.bottom, layout.swatches.bottom) + kMargin;
  layout.status = {kMargin, status_top, std::max(client_width - kMargin, layout.swatches.right),
                   status_top + kStatusHeight};
  return layout;
}

bool editor_pixel_at(const PixelEditorLayout& layout, int side, int x, int y, PixelPoint* out) {
  if (!point_in_area(x, y, layout.canvas) || layout.zoom <= 0) return false;
  out->x = std::min((x - layout.canvas.left) / layout.zoom, side - 1);
  out->y = std::min((y - layout.canvas.top) / layout.zoom, side - 1);
  return true;
}

int editor_swatch_at(const PixelEditorLayout& layout, int x, int y) {
  if (!point_in_area(x, y, layout.swatches) || layout.swatch_size <= 0) return -1;
  const int column = (x - layout.swatches.left) / layout.swatch_size;
  const int row = (y - layout.swatches.top) / layout.swatch_size;
  return column * kSwatchRows + row;
}

Rect editor_swatch_rect(const PixelEditorLayout& layout, int index) {
  const int size = layout.swatch_size;
  const int left = layout.swatches.left + (index / kSwatchRows) * size;
  const int top = layout.swatches.top + (index % kSwatchRows) * size;
  return Rect{left, top, left + size, top + size};
}

DrawTarget PixelEditor::target() const {
  if (!showing_block_) return tile_target(tile_);
  const SpriteWorkingSet& set = document_.working_set();
  const int image = document_.view().image_no;
  if (image < 0 || image >= set.frame_store_count) return block_target(Frame(), 0);
  return block_target(set.frames[image], document_.view().block_no);
}

std::vector<uint8_t> PixelEditor::pixels() const {
  const DrawTarget shown = target();
  std::vector<uint8_t> out(static_cast<size_t>(shown.side() * shown.side()));
  const SpriteWorkingSet& set = document_.working_set();
  if (set.loaded_entry >= 0) read_target(shown, set.tile_data, set.decoded_size, out.data());
  return out;
}

std::string PixelEditor::usage_text() const {
  const SpriteWorkingSet& set = document_.working_set();
  const DrawTarget shown = target();
  std::vector<int> tiles;
  if (shown.kind == DrawTargetKind::kTile) {
    tiles.push_back(shown.tile);
  } else {
    for (uint16_t entry : shown.entries) {
      const int tile = entry & kTileNumberMask;
      if (std::find(tiles.begin(), tiles.end(), tile) == tiles.end()) tiles.push_back(tile);
    }
  }
  std::string text;
  for (int tile : tiles) {
    if (!text.empty()) text += "; ";
    text += tile_usage_text(tile, tile_usage(set.frames, set.frame_store_count, tile));
  }
  return text;
}

template <typename Draw>
void PixelEditor::change_tiles(EditAction action, Draw draw) {
  const SpriteWorkingSet& set = document_.working_set();
  if (set.loaded_entry < 0) return;
  std::vector<uint8_t> tiles(set.tile_data, set.tile_data + kTileDataSize);
  std::vector<int> changed;
  if (!draw(target(), tiles.data(), set.decoded_size, &changed)) return;
  std::vector<BufferChange> changes;
  const BufferId buffer{BufferKind::kTileData, set.assembly()};
  for (int tile : changed) {
    const auto first = tiles.begin() + static_cast<long>(tile) * kTileBytes;
    changes.push_back({buffer, tile * kTileBytes, std::vector<uint8_t>(first, first + kTileBytes)});
  }
  document_.apply_changes(action, changes);
}

void PixelEditor::press(PixelPoint at, bool fill) {
  const int index = colour_;
  if (fill) {
    change_tiles(EditAction::kFill, [&](const DrawTarget& t, uint8_t* data, int size,
                                        std::vector<int>* changed) {
      return fill_target(t, at, index, data, size, changed);
    });
    return;
  }
  drawing_ = true;
  last_ = at;
  document_.begin_stroke(EditAction::kDraw);
  change_tiles(EditAction::kDraw, [&](const DrawTarget& t, uint8_t* data, int size,
                                      std::vector<int>* changed) {
    return set_target_pixel(t, at.x, at.y, index, data, size, changed);
  });
}

void PixelEditor::drag(PixelPoint to) {
  if (!drawing_ || to == last_) return;
  const PixelPoint from = last_;
  last_ = to;
  const int index = colour_;
  change_tiles(EditAction::kDraw, [&](const DrawTarget& t, uint8_t* data, int size,
                                      std::vector<int>* changed) {
    return draw_target_line(t, from, to, index, data, size, changed);
  });
}

void PixelEditor::release() {
  if (!drawing_) return;
  drawing_ = false;
  document_.end_stroke();
}

void PixelEditor::pick(PixelPoint at) {
  const DrawTarget shown = target();
  const std::vector<uint8_t> now = pixels();
  if (at.x < 0 || at.y < 0 || at.x >= shown.side() || at.y >= shown.side()) return;
  colour_ = now[static_cast<size_t>(at.y * shown.side() + at.x)];
}

void PixelEditor::transform(TileTransform transform, PixelPoint at) {
  const EditAction action =
      transform == TileTransform::kRotateClockwise ? EditAction::kRotateTile : EditAction::kFlipTile;
  change_tiles(action, [&](const DrawTarget& t, uint8_t* data, int size,
                           std::vector<int>* changed) {
    return transform_shown_tile(t, at, transform, data, size, changed);
  });
}

void paint_pixel_editor(const PixelEditor& editor, const uint32_t display_palette[16],
                        const PixelEditorLayout& layout, bool grid, Surface& surface) {
  constexpr uint32_t kCheckerLight = 0xC0C0C0, kCheckerDark = 0x808080, kGridLine = 0x404040;
  constexpr uint32_t kFrameColour = 0x000000, kMarkColour = 0xFFFFFF;
  const int side = editor.target().side();
  const std::vector<uint8_t> pixels = editor.pixels();
  const int zoom = layout.zoom;
  const int checker = std::max(zoom / 2, 1);
  for (int py = 0; py < side; ++py) {
    for (int px = 0; px < side; ++px) {
      const int index = pixels[static_cast<size_t>(py * side + px)] & 15;
      const int left = layout.canvas.left + px * zoom, top = layout.canvas.top + py * zoom;
      for (int y = 0; y < zoom; ++y) {
        for (int x = 0; x < zoom; ++x) {
          uint32_t colour = display_to_pixel(display_palette[index]);
          if (index == 0) colour = ((x / checker + y / checker) & 1) ? kCheckerDark : kCheckerLight;
          if (grid && (x == zoom - 1 || y == zoom - 1)) colour = kGridLine;
          surface.set(left + x, top + y, colour);
        }
      }
    }
  }
  const int size = layout.swatch_size;
  for (int i = 0; i < 16; ++i) {
    const Rect swatch = editor_swatch_rect(layout, i);
    surface.fill(swatch, display_to_pixel(display_palette[i]));
    surface.outline(swatch.left, swatch.top, size, size, kFrameColour);
    if (i == editor.colour()) {
      surface.outline(swatch.left + 1, swatch.top + 1, size - 2, size - 2, kMarkColour);
      surface.outline(swatch.left + 2, swatch.top + 2, size - 4, size - 4, kFrameColour);
    }
  }
}

}  // namespace vcv
