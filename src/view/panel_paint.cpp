#include "view/panel_paint.h"

#include <algorithm>

#include "sprite/frames.h"
#include "sprite/sprite_data.h"

namespace vcv {
namespace {

constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kRed = 0xFF0000;    // surface pixels are 0x00RRGGBB
constexpr uint32_t kBlue = 0x0000FF;
constexpr uint32_t kWhite = 0xFFFFFF;

constexpr int kSheetPictureRows = 512; // only tiles 0..1023 are ever drawn
constexpr int kSheetPageRows = 256;
constexpr int kTilesPerPage = 512;
constexpr int kBytesPerSheetTileRow = 512;  // 16 tiles of 32 bytes make 8 pixel rows

// The stored Sprite Info record of the current frame, or null when it does not lie wholly
// inside the position data (an image number read from an animation table may be anything).
const uint8_t* current_record(const SpriteWorkingSet& set, int image_no) {
  const long long start = static_cast<long long>(image_no) * set.record_size();
  if (image_no < 0 || start + set.record_size() > kPositionDataCapacity) return nullptr;
  return set.position_data + start;
}

int record_tile_entry(const uint8_t* record, int index) {
  return record[2 * index] | (record[2 * index + 1] << 8);
}

Rect clip(const Rect& r, const Surface& s) {
  Rect c;
  c.left = std::max(r.left, 0);
  c.top = std::max(r.top, 0);
  c.right = std::min(r.right, s.width);
  c.bottom = std::min(r.bottom, s.height);
  return c;
}

// Draws `area` of the surface from a picture enlarged by whole or fractional factors: screen
// column x shows picture column source_x(x - area.left), row y picture row source_y(y -
// area.top). A screen row showing the same picture row as the one above it is copied from it.
template <typename SourceColumn, typename SourceRow, typename PictureRow>
void paint_enlarged(const Rect& area, Surface& surface, SourceColumn source_x, SourceRow source_y,
                    PictureRow picture_row) {
  const Rect c = clip(area, surface);
  if (c.empty()) return;
  std::vector<int> columns(static_cast<size_t>(c.width()));
  for (int x = c.left; x < c.right; ++x) columns[x - c.left] = source_x(x - area.left);
  int last_row = -1;
  for (int y = c.top; y < c.bottom; ++y) {
    uint32_t* row = &surface.pixels[static_cast<size_t>(y) * surface.width];
    const int source = source_y(y - area.top);
    if (source == last_row) {
      std::copy(row - surface.width + c.left, row - surface.width + c.right, row + c.left);
      continue;
    }
    last_row = source;
    for (int x = c.left; x < c.right; ++x) row[x] = picture_row(source, columns[x - c.left]);
  }
}

// Fills the part of `area` outside `kept`.
void fill_outside(Surface& surface, const Rect& area, const Rect& kept, uint32_t pixel) {
  if (area.empty()) return;
  const int top = std::clamp(kept.top, area.top, area.bottom);
  const int bottom = std::clamp(kept.bottom, area.top, area.bottom);
  surface.fill(Rect{area.left, area.top, area.right, top}, pixel);
  surface.fill(Rect{area.left, bottom, area.right, area.bottom}, pixel);
  surface.fill(Rect{area.left, top, std::min(kept.left, area.right), bottom}, pixel);
  surface.fill(Rect{std::max(kept.right, area.left), top, area.right, bottom}, pixel);
}

// The canvas enlarged, each screen pixel taking its nearest source pixel (no smoothing).
void paint_frame(const DisplayState& display, const ViewAreas& layout, Surface& surface) {
  uint32_t colours[16];
  colours[0] = kBlack;
  for (int i = 1; i < 16; ++i) colours[i] = display_to_pixel(display.display_palette[i]);
  paint_enlarged(
      layout.frame, surface, [&](int dx) { return layout.screen_to_frame(dx); },
      [&](int dy) { return layout.screen_to_frame(dy); },
      [&](int sy, int sx) { return colours[display.canvas[sy * kCanvasSize + sx] & 15]; });
}

// Block outlines, drawn over the frame and not clipped to it; returns their bounding box.
Rect paint_boundaries(const PanelContext& panel, const ViewAreas& layout, Surface& surface) {
  const SpriteWorkingSet& set = panel.set;
  Rect bounds;
  const uint8_t* record = current_record(set, panel.view.image_no);
  if (record == nullptr) return bounds;
  const int blocks = set.blocks_per_image();
  for (int i = 0; i < blocks; ++i) {
    const Rect r = layout.block_outline(byte_to_signed(record[8 * blocks + 2 * i]),
                                        byte_to_signed(record[8 * blocks + 2 * i + 1]));
    surface.outline(r.left, r.top, r.width(), r.height(), i == panel.view.block_no ? kBlue : kRed);
    bounds = unite(bounds, r);
  }
  return bounds;
}

void rebuild_sheet_picture(SpriteWorkingSet& set, const DisplayState& display,
                           PanelPainter& painter) {
  painter.sheet_picture.assign(static_cast<size_t>(kSheetWidth) * kSheetPictureRows, kBlack);
  const int used_rows =
      8 * ((std::max(set.decoded_size, 0) + kBytesPerSheetTileRow - 1) / kBytesPerSheetTileRow);
  const int rows = std::min(used_rows, kSheetPictureRows);
  for (int y = 0; y < rows; ++y) {
    for (int x = 0; x < kSheetWidth; ++x) {
      const int index = set.sheet[y * kSheetWidth + x] & 15;
      if (index != 0) {
        painter.sheet_picture[y * kSheetWidth + x] = display_to_pixel(display.display_palette[index]);
      }
    }
  }
  set.sheet_valid = true;
  ++painter.sheet_rebuilds;
}

void outline_tile(int tile, int page, const ViewAreas& layout, uint32_t pixel, Surface& surface) {
  const int t = (tile & kTileNumberMask) - page * kTilesPerPage;
  if (t < 0 || t >= kTilesPerPage) return;
  const Rect r = layout.tile_outline(t);
  surface.outline(r.left, r.top, r.width(), r.height(), pixel);
}

void paint_sheet(PanelContext& panel, PanelPainter& painter, const ViewAreas& layout,
                 Surface& surface) {
  SpriteWorkingSet& set = panel.set;
  if (!set.sheet_valid || painter.sheet_picture.empty()) {
    rebuild_sheet_picture(set, panel.display, painter);
  }
  const int page = panel.view.tile_page & 1;
  const uint32_t* picture = &painter.sheet_picture[page * kSheetPageRows * kSheetWidth];
  paint_enlarged(
      layout.sheet, surface, [&](int dx) { return layout.screen_to_sheet(dx); },
      [&](int dy) { return layout.screen_to_sheet(dy); },
      [&](int sy, int sx) { return picture[sy * kSheetWidth + sx]; });
  const uint8_t* record = panel.rom_open() ? current_record(set, panel.view.image_no) : nullptr;
  if (record != nullptr) {
    const int entries = 4 * set.blocks_per_image();
    for (int i = 0; i < entries; ++i) {
      outline_tile(record_tile_entry(record, i), page, layout, kRed, surface);
    }
  }
  if (panel.rom_open()) outline_tile(panel.display.selected_tile, page, layout, kWhite, surface);
}

void paint_swatches(const DisplayState& display, const Rect& area, Surface& surface) {
  for (int i = 0; i < 16; ++i) {
    surface.fill(Rect{area.left + kSwatchSize * i, area.top, area.left + kSwatchSize * (i + 1),
                      area.top + kSwatchSize},
                 display_to_pixel(display.display_palette[i]));
  }
}

}  // namespace

void Surface::resize(int new_width, int new_height, uint32_t pixel) {
  width = std::max(new_width, 0);
  height = std::max(new_height, 0);
  background = pixel;
  pixels.assign(static_cast<size_t>(width) * height, pixel);
}

uint32_t Surface::at(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return 0;
  return pixels[static_cast<size_t>(y) * width + x];
}

void Surface::set(int x, int y, uint32_t pixel) {
  if (x < 0 || y < 0 || x >= width || y >= height) return;
  pixels[static_cast<size_t>(y) * width + x] = pixel;
}

void Surface::fill(const Rect& area, uint32_t pixel) {
  const int left = std::max(area.left, 0), right = std::min(area.right, width);
  if (left >= right) return;
  for (int y = std::max(area.top, 0); y < std::min(area.bottom, height); ++y) {
    uint32_t* row = &pixels[static_cast<size_t>(y) * width];
    std::fill(row + left, row + right, pixel);
  }
}

void Surface::outline(int left, int top, int w, int h, uint32_t pixel) {
  for (int x = left; x < left + w; ++x) {
    set(x, top, pixel);
    set(x, top + h - 1, pixel);
  }
  for (int y = top; y < top + h; ++y) {
    set(left, y, pixel);
    set(left + w - 1, y, pixel);
  }
}

uint32_t display_to_pixel(uint32_t c) {
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

uint32_t pixel_to_display(uint32_t p) { return display_to_pixel(p); }

std::vector<Rect> paint_panel(PanelContext& panel, PanelPainter& painter, const ViewAreas& areas,
                              bool boundaries, Surface& surface, unsigned parts) {
  std::vector<Rect> drawn;
  if (parts & kPaintFrame) {
    // Outlines beyond the frame area stay in the surface; wipe them so that a later, wider frame
    // rectangle does not copy them to the screen again. The frame covers its own area.
    const Rect wiped = painter.last_outlines;
    fill_outside(surface, wiped, areas.frame, surface.background);
    paint_frame(panel.display, areas, surface);
    Rect frame_drawn = areas.frame;
    // Without a ROM the panel shows nothing: no outlines of a record that was never read.
    if (boundaries && panel.rom_open()) {
      frame_drawn = unite(frame_drawn, paint_boundaries(panel, areas, surface));
    }
    painter.last_outlines = frame_drawn;
    // Outlines and their wiping reach the other areas only where they lie under them.
    for (const Rect& r : {wiped, frame_drawn}) {
      if (intersects(r, areas.sheet)) parts |= kPaintSheet;
      if (intersects(r, areas.palette)) parts |= kPaintPalette;
    }
    drawn.push_back(clip(unite(frame_drawn, wiped), surface));
  }
  if (parts & kPaintSheet) {
    paint_sheet(panel, painter, areas, surface);
    drawn.push_back(clip(areas.sheet, surface));
  }
  if (parts & kPaintPalette) {
    paint_swatches(panel.display, areas.palette, surface);
    drawn.push_back(clip(areas.palette, surface));
  }
  return drawn;
}

}  // namespace vcv
