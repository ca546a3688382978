// The five clipboard commands: the frame, one block or the whole tile sheet goes out as an 8-bit
// palette bitmap whose pixel values are the palette indices, and a bitmap comes back into the
// tiles of the selected block or into the whole tile data. No command shows a message; a bitmap
// that cannot be read exactly changes nothing.
#include <algorithm>
#include <cstring>
#include <vector>

#include "image/dib_build.h"
#include "image/dib_parse.h"
#include "edit/edit_commands.h"
#include "platform/ui.h"
#include "sprite/frames.h"
#include "sprite/tiles.h"
#include "view/app_state.h"
#include "view/refresh.h"

namespace vcv {

namespace {

constexpr int kPaletteSize = 16;
constexpr int kSheetColumns = kSheetWidth / 8;                       // 16 tiles per sheet row
constexpr int kSheetTiles = kSheetColumns * (kSheetHeight / 8);      // 1280
constexpr int kMaxTileNumber = kTileDataSize / kTileBytes - 1;

void put_picture(AppState& app, Ui& ui, const uint8_t* pixels, int width, int height) {
  const std::vector<uint8_t> block =
      build_dib(pixels, width, height, kPaletteSize, app.display.display_palette);
  if (!block.empty()) ui.put_clipboard_dib(block);
}

// The clipboard bitmap, parsed into `pixels` (sized to `capacity`); false when there is none
// or it cannot be read exactly.
bool take_picture(Ui& ui, size_t capacity, std::vector<uint8_t>* pixels, DibInfo* info) {
  std::vector<uint8_t> block;
  if (!ui.get_clipboard_dib(&block) || block.empty()) return false;
  pixels->assign(capacity, 0);
  return parse_dib(block.data(), block.size(), pixels->data(), capacity, info) == kDibOk;
}

// The block the selection names, or block 0 when the image has fewer blocks (as the copy does).
int effective_block(const Frame& frame, int block_no) {
  return (block_no >= 0 && block_no < frame.block_count) ? block_no : 0;
}

void rebuild_sheet(SpriteWorkingSet& set) {
  std::memset(set.sheet, 0, sizeof set.sheet);
  const int tiles = std::min(std::max(set.decoded_size, 0) / kTileBytes, kSheetTiles);
  for (int n = 0; n < tiles; ++n) {
    draw_tile(set.tile_data, n, set.sheet, kSheetWidth, kSheetHeight, (n % kSheetColumns) * 8,
              (n / kSheetColumns) * 8, 0);
  }
}

}  // namespace

void copy_img(AppState& app, Ui& ui) {
  put_picture(app, ui, app.display.canvas, kCanvasSize, kCanvasSize);
}

void copy_sprite(AppState& app, Ui& ui) {
  uint8_t picture[kBlockSize * kBlockSize] = {};
  const int image = app.view.image_no;
  if (image >= 0 && image < kFrameStoreSize) {
    render_block(*app.working_set, image, app.view.block_no, picture);
  }
  put_picture(app, ui, picture, kBlockSize, kBlockSize);
}

void copy_all_img(AppState& app, Ui& ui) {
  put_picture(app, ui, app.working_set->sheet, kSheetWidth, kSheetHeight);
}

void paste_sprite(AppState& app, Ui& ui) {
  std::vector<uint8_t> pixels;
  DibInfo info;
  if (!take_picture(ui, kPasteSpriteScratch, &pixels, &info)) return;
  SpriteWorkingSet& set = *app.working_set;
  const int image = app.view.image_no;
  if (image >= 0 && image < kFrameStoreSize) {
    // The top-left 16 x 16 pixels; outside a smaller bitmap they are index 0.
    uint8_t area[kBlockSize * kBlockSize];
    for (int y = 0; y < kBlockSize; ++y) {
      for (int x = 0; x < kBlockSize; ++x) {
        area[y * kBlockSize + x] = dib_pixel(pixels.data(), info.width, info.height, x, y);
      }
    }
    const Frame& frame = set.frames[image];
    const int block = effective_block(frame, app.view.block_no);
    for (int q = 0; q < 4; ++q) {
      const uint16_t entry = frame.tile[block][q];
      const int tile = entry & kTileNumberMask;
      if (tile == 0 || tile > kMaxTileNumber) continue;
      // The entry's flips are undone, so a block copied out and pasted back is unchanged; a
      // later quadrant naming the same tile wins.
      encode_tile(set.tile_data + tile * kTileBytes, area, kBlockSize, kQuadrantX[q],
                  kQuadrantY[q], tile_entry_flip(entry));
    }
  }
  rebuild_sheet(set);
  refresh_view_new_sheet(app, ui);
}

void paste_all_img(AppState& app, Ui& ui) {
  std::vector<uint8_t> pixels;
  DibInfo info;
  if (!take_picture(ui, kPasteAllScratch, &pixels, &info)) return;
  SpriteWorkingSet& set = *app.working_set;
  // Whole 8 x 8 cells only, and only those that fall on the 16-tile-wide sheet.
  const int cell_rows = std::min(info.height / 8, kSheetHeight / 8);
  const int cell_columns = std::min(info.width / 8, kSheetColumns);
  for (int i = 0; i < cell_rows; ++i) {
    for (int j = 0; j < cell_columns; ++j) {
      encode_tile(set.tile_data + (i * kSheetColumns + j) * kTileBytes, pixels.data(), info.width,
                  j * 8, i * 8, 0);
    }
  }
  rebuild_sheet(set);
  refresh_view_new_sheet(app, ui);
}

}  // namespace vcv
