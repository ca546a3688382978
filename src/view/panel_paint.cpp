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

constexpr int kCanvasCentre = kCanvasSize / 2;
constexpr int kBlockOutlineSize = 23;  // a 16-pixel block is 24 screen pixels; the outline 23
constexpr int kTileOutlineSize = 15;   // an 8-pixel tile is 16 screen pixels; the outline 15
constexpr int kSheetPictureRows = 512; // only tiles 0..1023 are ever drawn
constexpr int kSheetPageRows = 256;
constexpr int kTilesPerPage = 512;
constexpr int kTilesPerSheetRow = 16;
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

Rect unite(const Rect& a, const Rect& b) {
  return Rect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom)};
}

// The canvas enlarged 3/2, each screen pixel taking its nearest source pixel (no smoothing).
void paint_frame(const DisplayState& display, const Rect& area, Surface& surface) {
  for (int dy = 0; dy < kFrameAreaSize; ++dy) {
    const int sy = dy * kCanvasSize / kFrameAreaSize;
    for (int dx = 0; dx < kFrameAreaSize; ++dx) {
      const int sx = dx * kCanvasSize / kFrameAreaSize;
      const int index = display.canvas[sy * kCanvasSize + sx] & 15;
      const uint32_t pixel = index == 0 ? kBlack : display_to_pixel(display.display_palette[index]);
      surface.set(area.left + dx, area.top + dy, pixel);
    }
  }
}

// Block outlines, drawn over the frame and not clipped to it; returns their bounding box.
Rect paint_boundaries(const PanelContext& panel, const Rect& area, Surface& surface) {
  const SpriteWorkingSet& set = panel.set;
  Rect bounds = area;
  const uint8_t* record = current_record(set, panel.view.image_no);
  if (record == nullptr) return bounds;
  const int blocks = set.blocks_per_image();
  for (int i = 0; i < blocks; ++i) {
    const int x = byte_to_signed(record[8 * blocks + 2 * i]) + kCanvasCentre;
    const int y = byte_to_signed(record[8 * blocks + 2 * i + 1]) + kCanvasCentre;
    const int left = x * 3 / 2 + area.left;
    const int top = y * 3 / 2 + area.top;
    surface.outline(left, top, kBlockOutlineSize, kBlockOutlineSize,
                    i == panel.view.block_no ? kBlue : kRed);
    bounds = unite(bounds, Rect{left, top, left + kBlockOutlineSize, top + kBlockOutlineSize});
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

void outline_tile(int tile, int page, const Rect& area, uint32_t pixel, Surface& surface) {
  const int t = (tile & kTileNumberMask) - page * kTilesPerPage;
  if (t < 0 || t >= kTilesPerPage) return;
  surface.outline(area.left + (t % kTilesPerSheetRow) * 16, area.top + (t / kTilesPerSheetRow) * 16,
                  kTileOutlineSize, kTileOutlineSize, pixel);
}

void paint_sheet(PanelContext& panel, PanelPainter& painter, const Rect& area, Surface& surface) {
  SpriteWorkingSet& set = panel.set;
  if (!set.sheet_valid || painter.sheet_picture.empty()) {
    rebuild_sheet_picture(set, panel.display, painter);
  }
  const int page = panel.view.tile_page & 1;
  for (int dy = 0; dy < kSheetAreaHeight; ++dy) {
    const uint32_t* row = &painter.sheet_picture[(page * kSheetPageRows + dy / 2) * kSheetWidth];
    for (int dx = 0; dx < kSheetAreaWidth; ++dx) {
      surface.set(area.left + dx, area.top + dy, row[dx / 2]);
    }
  }
  const uint8_t* record = panel.rom_open() ? current_record(set, panel.view.image_no) : nullptr;
  if (record != nullptr) {
    const int entries = 4 * set.blocks_per_image();
    for (int i = 0; i < entries; ++i) {
      outline_tile(record_tile_entry(record, i), page, area, kRed, surface);
    }
  }
  if (panel.rom_open()) outline_tile(panel.display.selected_tile, page, area, kWhite, surface);
}

void paint_swatches(const DisplayState& display, const Rect& area, Surface& surface) {
  for (int i = 0; i < 16; ++i) {
    surface.fill(Rect{area.left + kSwatchSize * i, area.top, area.left + kSwatchSize * (i + 1),
                      area.top + kSwatchSize},
                 display_to_pixel(display.display_palette[i]));
  }
}

}  // namespace

Rect area_from_control(const Rect& control, int x_offset, int y_offset, int width, int height) {
  Rect r;
  r.left = control.left + x_offset;
  r.top = control.top + y_offset;
  r.right = r.left + width;
  r.bottom = r.top + height;
  return r;
}

ViewAreas compute_view_areas(const Rect& frame_anchor, const Rect& sheet_anchor,
                             const Rect& palette_anchor) {
  ViewAreas areas;
  areas.frame = area_from_control(frame_anchor, 0, 0, kFrameAreaSize, kFrameAreaSize);
  areas.sheet =
      area_from_control(sheet_anchor, 0, kSheetAreaTopOffset, kSheetAreaWidth, kSheetAreaHeight);
  areas.palette = area_from_control(palette_anchor, 0, 0, kPaletteAreaWidth, kSwatchSize);
  return areas;
}

bool point_in_area(int x, int y, const Rect& area) {
  return area.left <= x && x < area.right && area.top <= y && y < area.bottom;
}

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
  for (int y = std::max(area.top, 0); y < std::min(area.bottom, height); ++y) {
    for (int x = std::max(area.left, 0); x < std::min(area.right, width); ++x) {
      pixels[static_cast<size_t>(y) * width + x] = pixel;
    }
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
                              bool boundaries, Surface& surface) {
  // Outlines beyond the frame area stay in the surface; wipe them so that a later, wider frame
  // rectangle does not copy them to the screen again.
  surface.fill(painter.last_outlines, surface.background);
  paint_frame(panel.display, areas.frame, surface);
  Rect frame_drawn = areas.frame;
  // Without a ROM the panel shows nothing: no outlines of a record that was never read.
  if (boundaries && panel.rom_open()) frame_drawn = paint_boundaries(panel, areas.frame, surface);
  painter.last_outlines = frame_drawn;
  paint_sheet(panel, painter, areas.sheet, surface);
  paint_swatches(panel.display, areas.palette, surface);
  return {clip(frame_drawn, surface), clip(areas.sheet, surface), clip(areas.palette, surface)};
}

}  // namespace vcv
