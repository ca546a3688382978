// "Write Palette", "Write Tile Info" and the "Ed" button: the loaded entry's colours and frame
// layouts go back into the ROM in place, and hand-edited Tile Info text goes back into the frame.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "edit/edit_commands.h"
#include "edit/tile_info_parse.h"
#include "edit/write_messages.h"
#include "platform/ui.h"
#include "res/resource.h"
#include "sprite/frames.h"
#include "view/app_state.h"
#include "view/refresh.h"

namespace vcv {

namespace {

constexpr int kPaletteColoursFromTable = 12;   // colours 1..12
constexpr int kPaletteColoursFromWeapon = 3;   // colours 13..15
constexpr int kPaletteRecordBytes = 2 * kPaletteColoursFromTable;
constexpr int kWeaponRecordBytes = 2 * kPaletteColoursFromWeapon;

// One run of bytes for one SNES address.
struct TableWrite {
  int bank;
  int offset;
  std::vector<uint8_t> bytes;
};

std::vector<uint8_t> colour_bytes(const uint16_t* colours, int count) {
  std::vector<uint8_t> bytes;
  for (int i = 0; i < count; ++i) {
    bytes.push_back(static_cast<uint8_t>(colours[i]));
    bytes.push_back(static_cast<uint8_t>(colours[i] >> 8));
  }
  return bytes;
}

bool inside_file(RomFile& rom, const TableWrite& write) {
  const long long size = rom.file_size();
  const long long position = rom.file_offset(write.bank, write.offset);
  return size >= 0 && position >= 0 &&
         position + static_cast<long long>(write.bytes.size()) <= size;
}

// Writes every run and reads each back. The ROM is reopened for update only for the writes and
// is left open read-only; a ROM that cannot be opened for update gets nothing written.
void write_runs(RomFile& rom, Ui& ui, const std::vector<TableWrite>& writes) {
  for (const TableWrite& write : writes) {
    if (!inside_file(rom, write)) {
      ui.message(kWriteErrorTitle, kOutsideFileText);
      return;
    }
  }
  rom.close();
  rom.open_update();
  if (!rom.is_open_for_update()) {
    rom.open_read();
    ui.message(kWriteErrorTitle, kNotWritableText);
    return;
  }
  for (const TableWrite& write : writes) {
    const int count = static_cast<int>(write.bytes.size());
    std::vector<uint8_t> read_back(write.bytes.size());
    const int written = rom.write_block(write.bank, write.offset, count, write.bytes.data());
    rom.read_block(write.bank, write.offset, count, read_back.data());
    if (written != count || read_back != write.bytes) {
      rom.close();
      rom.open_read();
      ui.message(kWriteErrorTitle, kTableReadBackText);
      return;
    }
  }
  rom.close();
  rom.open_read();
}

}  // namespace

void write_palette(AppState& app, Ui& ui) {
  if (!app.rom_open()) return;
  const SpriteWorkingSet& set = *app.working_set;
  // An entry whose graphics failed to decode still has its own colours; with nothing read at
  // all there are none to write.
  if (set.loaded_entry < 0 && set.failed_entry < 0) return;
  const int weapon = app.view.weapon_palette;
  if (weapon < 0 || weapon >= kWeaponPaletteCount) return;
  if (!ui.confirm(kWriteConfirmTitle, kOverwriteQuestion)) return;
  // Colour 0 is transparent and never comes from, nor goes to, the ROM.
  std::vector<TableWrite> writes = {
      {kTableBank, kPaletteTable + kPaletteRecordBytes * set.palette_type,
       colour_bytes(set.palette + 1, kPaletteColoursFromTable)},
      {kWeaponPaletteBank, kWeaponPaletteTable + kWeaponRecordBytes * weapon,
       colour_bytes(set.palette + 1 + kPaletteColoursFromTable, kPaletteColoursFromWeapon)},
  };
  write_runs(app.rom_file, ui, writes);
}

void write_tile_info(AppState& app, Ui& ui) {
  if (!app.rom_open()) return;
  const SpriteWorkingSet& set = *app.working_set;
  // Without a loaded entry the position data buffer holds nothing of the ROM (a failed load
  // clears it); writing it would wipe the entry's frame layouts.
  if (set.loaded_entry < 0) {
    if (set.failed_entry >= 0) ui.message(kWriteErrorTitle, kNoPositionDataText);
    return;
  }
  if (!ui.confirm(kWriteConfirmTitle, kOverwriteQuestionLine)) return;
  if (set.position_type < 0 || set.position_type >= kPositionTypeCount) return;
  // The working set holds at most its buffer's worth of a longer block; only what it holds goes
  // back, and the rest of the block in the ROM stays as it is.
  const int size = std::clamp(app.directory.position_data_size[set.position_type], 0,
                              kPositionDataCapacity);
  if (size == 0) return;
  std::vector<TableWrite> writes = {
      {set.position_bank, set.position_offset,
       std::vector<uint8_t>(set.position_data, set.position_data + size)},
  };
  write_runs(app.rom_file, ui, writes);
}

void parse_tile_info_text(AppState& app, Ui& ui) {
  if (!app.rom_open()) return;
  SpriteWorkingSet& set = *app.working_set;
  const int image = app.view.image_no;
  if (image >= 0 && image < kFrameStoreSize) {
    apply_tile_info_text(ui.control_text(IDC_TILE_INFO_TEXT), set.frames[image],
                         app.view.block_no);
    pack_frame(set, image);
  }
  refresh_view_if_open(app, ui);
}

}  // namespace vcv
