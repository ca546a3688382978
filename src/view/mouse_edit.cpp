#include "view/mouse_edit.h"

#include "platform/ui.h"
#include "sprite/frames.h"
#include "sprite/tiles.h"

namespace vcv {
namespace {

constexpr int kTilesPerSheetRow = 16;
constexpr int kTilesPerPage = 512;

void add_word_change(BufferId buffer, int offset, uint16_t word,
                     std::vector<BufferChange>* changes) {
  changes->push_back({buffer, offset, {static_cast<uint8_t>(word), static_cast<uint8_t>(word >> 8)}});
}

ClickResult recolour(PanelContext& panel, Ui& ui, int index,
                     std::vector<BufferChange>* changes) {
  const DisplayState& display = panel.display;
  uint32_t chosen = 0;
  if (!ui.choose_colour(display.display_palette[index], display.display_palette, &chosen)) {
    return ClickResult::kColourCancelled;
  }
  // Only the chosen entry is reduced: reducing all sixteen would also clear bits of the other
  // stored words that their display colours do not carry (bit 15), and Write Palette would then
  // write changes nobody made.
  // Confirming the colour the chooser opened with keeps the stored word, bit 15 included.
  if (chosen == display.display_palette[index]) return ClickResult::kRecoloured;
  int offset = 0;
  const BufferId buffer = colour_buffer(panel.set, panel.view.weapon_palette, index, &offset);
  add_word_change(buffer, offset, display_colour_to_palette(chosen), changes);
  return ClickResult::kRecoloured;
}

ClickResult select_tile(PanelContext& panel, const ViewAreas& layout, int x, int y) {
  panel.display.selected_tile = sheet_tile_at(panel, layout, x, y);
  return ClickResult::kTileSelected;
}

Rect block_box(const ViewAreas& layout, const Frame& frame, int block) {
  return layout.block_box(byte_to_signed(frame.x[block]), byte_to_signed(frame.y[block]));
}

ClickResult place_tile(PanelContext& panel, const ViewAreas& layout, int x, int y,
                       std::vector<BufferChange>* changes) {
  const int image = panel.view.image_no;
  if (image < 0 || image >= kFrameStoreSize) return ClickResult::kNothing;
  const Frame& frame = panel.set.frames[image];
  int quadrant = 0;
  const int target = frame_block_at(panel, layout, x, y, &quadrant);
  if (target < 0) return ClickResult::kNothing;
  // A block past the frame's blocks (a selection left from an entry with more) has no place in
  // the record: the press changes nothing there.
  const int record = frame_record_offset(panel.set, image);
  if (record >= 0 && target < frame.block_count) {
    const uint16_t entry = placed_tile_entry(frame.tile[target][quadrant],
                                             panel.display.selected_tile, panel.view.flip_bits);
    add_word_change({BufferKind::kPositionData, panel.set.position_type},
                    record + frame.tile_offset[target][quadrant], entry, changes);
  }
  return ClickResult::kTilePlaced;
}

}  // namespace

int frame_block_at(const PanelContext& panel, const ViewAreas& areas, int x, int y,
                   int* quadrant) {
  const int image = panel.view.image_no;
  if (!point_in_area(x, y, areas.frame) || image < 0 || image >= kFrameStoreSize) return -1;
  const Frame& frame = panel.set.frames[image];
  Rect box;
  auto hit = [&](int block) {
    box = block_box(areas, frame, block);
    return point_in_area(x, y, box);
  };
  int target = -1;
  const int selected = panel.view.block_no;
  // The selected block wins where blocks overlap; elsewhere the lowest-numbered block does.
  if (selected >= 0 && selected < kMaxBlocksPerFrame && hit(selected)) {
    target = selected;
  } else {
    const int blocks = panel.set.blocks_per_image();
    for (int b = 0; b < blocks && target < 0; ++b) {
      if (hit(b)) target = b;
    }
  }
  if (target >= 0 && quadrant != nullptr) *quadrant = areas.block_quadrant(box, x, y);
  return target;
}

int sheet_tile_at(const PanelContext& panel, const ViewAreas& areas, int x, int y) {
  if (!point_in_area(x, y, areas.sheet)) return -1;
  int column = 0, row = 0;
  areas.sheet_tile_at(x, y, &column, &row);
  return (panel.view.tile_page & 1) * kTilesPerPage + row * kTilesPerSheetRow + column;
}

ClickResult on_panel_left_click(PanelContext& panel, Ui& ui, const ViewAreas& areas, int x,
                                int y, std::vector<BufferChange>* changes) {
  if (point_in_area(x, y, areas.palette)) {
    return recolour(panel, ui, areas.swatch_at(x), changes);
  }
  if (point_in_area(x, y, areas.sheet)) return select_tile(panel, areas, x, y);
  if (point_in_area(x, y, areas.frame)) return place_tile(panel, areas, x, y, changes);
  return ClickResult::kNothing;
}

uint16_t placed_tile_entry(uint16_t replaced, int selected_tile, int flip_bits) {
  return static_cast<uint16_t>((replaced & kEntryKeptBits) | ((flip_bits & 0xC0) << 8) |
                               (selected_tile & kTileNumberMask));
}

bool click_needs_refresh(ClickResult result) {
  return result == ClickResult::kRecoloured || result == ClickResult::kTileSelected ||
         result == ClickResult::kTilePlaced;
}

}  // namespace vcv
