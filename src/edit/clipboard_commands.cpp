// The five clipboard commands: the frame, one block or the whole tile sheet goes out as an 8-bit
// palette bitmap whose pixel values are the palette indices, and beside it as an indexed PNG with
// the same indices and colours; a picture comes back into the tiles of the selected block or into
// the whole tile data (edit/paste_picture.h chooses and reads it). A picture that cannot be read
// exactly, or that has colours outside the palette, changes nothing.
#include <algorithm>
#include <cstring>
#include <vector>

#include "image/dib_build.h"
#include "image/dib_parse.h"
#include "image/png_build.h"
#include "edit/command_messages.h"
#include "edit/edit_commands.h"
#include "edit/paste_picture.h"
#include "platform/ui.h"
#include "sprite/frames.h"
#include "sprite/tile_sheet.h"
#include "sprite/tiles.h"

namespace vcv {

namespace {

constexpr int kPaletteSize = 16;
constexpr int kMaxTileNumber = kTileDataSize / kTileBytes - 1;

CommandResult put_picture(const PanelContext& panel, Ui& ui, const uint8_t* pixels, int width,
                          int height) {
  const uint32_t* colours = panel.display.display_palette;
  std::vector<ClipboardBlock> blocks(2);
  blocks[0] = {ClipboardFormat::kDib, build_dib(pixels, width, height, kPaletteSize, colours)};
  blocks[1] = {ClipboardFormat::kPng, build_png(pixels, width, height, kPaletteSize, colours)};
  if (blocks[0].bytes.empty() || blocks[1].bytes.empty() || !ui.put_clipboard(blocks)) {
    return CommandResult(CommandStatus::kClipboardUnavailable);
  }
  return CommandResult(CommandStatus::kDone);
}

// The clipboard's picture as indices over `target` (what the paste writes into, as it is now).
// Colours outside the palette refuse the picture unless the user takes the nearest ones; a No
// pastes nothing and needs no further word.
CommandResult take_picture(const PanelContext& panel, Ui& ui, const PasteTarget& target,
                           PasteIndices* picture) {
  ClipboardContents contents;
  if (!ui.read_clipboard(&contents)) {
    return CommandResult(CommandStatus::kNoPicture, 0, "it could not be opened");
  }
  const CommandResult exact =
      take_clipboard_picture(contents, panel.set.palette, target, MappingOptions(), picture);
  if (exact.status != CommandStatus::kOutsidePalette) return exact;
  if (!ui.confirm(Prompt::kNearestColours, nearest_colours_question(picture->outside))) {
    return CommandResult(CommandStatus::kCancelled);
  }
  MappingOptions nearest;
  nearest.nearest = true;
  return take_clipboard_picture(contents, panel.set.palette, target, nearest, picture);
}

// Whether a picture was taken to paste: not when it was refused, nor when the user said No.
bool picture_taken(const CommandResult& taken) {
  return !taken.failed() && taken.status != CommandStatus::kCancelled;
}

// The tile data as it is now, for a paste to change; the change is added to `changes` at the end.
BufferChange tile_data_change(const SpriteWorkingSet& set) {
  return {{BufferKind::kTileData, set.assembly()}, 0,
          std::vector<uint8_t>(set.tile_data, set.tile_data + kTileDataSize)};
}

// The block the selection names, or block 0 when the image has fewer blocks (as the copy does).
int effective_block(const Frame& frame, int block_no) {
  return (block_no >= 0 && block_no < frame.block_count) ? block_no : 0;
}

}  // namespace

CommandResult copy_img(const PanelContext& panel, Ui& ui) {
  return put_picture(panel, ui, panel.display.canvas, kCanvasSize, kCanvasSize);
}

CommandResult copy_sprite(const PanelContext& panel, Ui& ui) {
  uint8_t picture[kBlockSize * kBlockSize] = {};
  const int image = panel.view.image_no;
  if (image >= 0 && image < kFrameStoreSize) {
    render_block(panel.set, image, panel.view.block_no, picture);
  }
  return put_picture(panel, ui, picture, kBlockSize, kBlockSize);
}

CommandResult copy_all_img(const PanelContext& panel, Ui& ui) {
  return put_picture(panel, ui, panel.set.sheet, kSheetWidth, kSheetHeight);
}

CommandResult paste_sprite(const PanelContext& panel, Ui& ui,
                           std::vector<BufferChange>* changes) {
  const SpriteWorkingSet& set = panel.set;
  const int image = panel.view.image_no;
  const bool has_image = image >= 0 && image < kFrameStoreSize;
  // The block as Copy Sprite draws it now: pixels matched by colour keep these indices.
  uint8_t block_now[kBlockSize * kBlockSize] = {};
  if (has_image) render_block(set, image, panel.view.block_no, block_now);
  PasteIndices picture;
  const CommandResult taken =
      take_picture(panel, ui, {block_now, kBlockSize, kBlockSize, kPasteSpriteScratch}, &picture);
  if (!picture_taken(taken)) return taken;
  if (has_image) {
    // The top-left 16 x 16 pixels; outside a smaller picture they are index 0.
    uint8_t area[kBlockSize * kBlockSize];
    for (int y = 0; y < kBlockSize; ++y) {
      for (int x = 0; x < kBlockSize; ++x) {
        area[y * kBlockSize + x] =
            dib_pixel(picture.indices.data(), picture.width, picture.height, x, y);
      }
    }
    const Frame& frame = set.frames[image];
    const int block = effective_block(frame, panel.view.block_no);
    BufferChange change = tile_data_change(set);
    for (int q = 0; q < 4; ++q) {
      const uint16_t entry = frame.tile[block][q];
      const int tile = entry & kTileNumberMask;
      if (tile == 0 || tile > kMaxTileNumber) continue;
      // The entry's flips are undone, so a block copied out and pasted back is unchanged; a
      // later quadrant naming the same tile wins.
      encode_tile(change.bytes.data() + tile * kTileBytes, area, kBlockSize, kQuadrantX[q],
                  kQuadrantY[q], tile_entry_flip(entry));
    }
    changes->push_back(std::move(change));
  }
  return taken;
}

CommandResult paste_sheet_pixels(const PanelContext& panel, const uint8_t* pixels, int width,
                                 int height, std::vector<BufferChange>* changes) {
  if (pixels == nullptr || width <= 0 || height <= 0) {
    return CommandResult(CommandStatus::kNoPicture, 0, "an empty picture");
  }
  BufferChange change = tile_data_change(panel.set);
  // Whole 8 x 8 cells only, and only those that fall on the 16-tile-wide, 80-tile-high sheet:
  // more rows would run past the tile data.
  const int cell_rows = std::min(height / 8, kSheetHeight / 8);
  const int cell_columns = std::min(width / 8, kSheetColumns);
  for (int i = 0; i < cell_rows; ++i) {
    for (int j = 0; j < cell_columns; ++j) {
      encode_tile(change.bytes.data() + (i * kSheetColumns + j) * kTileBytes, pixels, width,
                  j * 8, i * 8, 0);
    }
  }
  changes->push_back(std::move(change));
  return CommandResult(CommandStatus::kDone);
}

CommandResult paste_all_img(const PanelContext& panel, Ui& ui,
                            std::vector<BufferChange>* changes) {
  PasteIndices picture;
  const CommandResult taken = take_picture(
      panel, ui, {panel.set.sheet, kSheetWidth, kSheetHeight, kPasteAllScratch}, &picture);
  if (!picture_taken(taken)) return taken;
  const CommandResult pasted = paste_sheet_pixels(panel, picture.indices.data(), picture.width,
                                                  picture.height, changes);
  return pasted.failed() ? pasted : taken;
}

}  // namespace vcv
