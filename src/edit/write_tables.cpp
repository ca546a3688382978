// "Write Palette", "Write Tile Info" and the "Ed" button: the loaded entry's colours and frame
// layouts go back into the ROM in place (through a copy of the image that then replaces the
// file), and hand-edited Tile Info text goes back into the frame.
#include <algorithm>
#include <string>
#include <vector>

#include "edit/command_messages.h"
#include "edit/edit_commands.h"
#include "edit/rom_write.h"
#include "edit/tile_info_parse.h"
#include "platform/ui.h"
#include "rom/rom_file.h"
#include "sprite/frames.h"

namespace vcv {

namespace {

constexpr int kPaletteColoursFromTable = 12;  // colours 1..12
constexpr int kPaletteColoursFromWeapon = 3;  // colours 13..15

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

// Every run goes into a copy of the image, which then replaces the file; a run that would not
// lie wholly inside the file writes nothing at all.
CommandResult write_runs(RomFile& rom, const std::vector<TableWrite>& writes) {
  RomImage changed = rom.image();
  for (const TableWrite& write : writes) {
    if (!changed.write_block(write.bank, write.offset, static_cast<int>(write.bytes.size()),
                             write.bytes.data())) {
      return CommandResult(CommandStatus::kOutsideFile);
    }
  }
  return replace_rom_image(rom, changed);
}

}  // namespace

CommandResult write_palette(PanelContext& panel, RomFile& rom, Ui& ui) {
  if (!panel.rom_open() || !rom.is_open()) return CommandResult(CommandStatus::kNoRom);
  const SpriteWorkingSet& set = panel.set;
  // An entry whose graphics failed to decode still has its own colours; with nothing read at
  // all there are none to write.
  if (set.loaded_entry < 0 && set.failed_entry < 0) {
    return CommandResult(CommandStatus::kNothingLoaded);
  }
  const int weapon = panel.view.weapon_palette;
  if (weapon < 0 || weapon >= kWeaponPaletteCount) return CommandResult(CommandStatus::kNothingLoaded);
  if (rom.read_only()) return CommandResult(CommandStatus::kReadOnly);
  if (!ui.confirm(Prompt::kWriteConfirm, kOverwriteQuestion)) {
    return CommandResult(CommandStatus::kCancelled);
  }
  // Colour 0 is transparent and never comes from, nor goes to, the ROM.
  const std::vector<TableWrite> writes = {
      {kTableBank, kPaletteTable + kPaletteRecordSize * set.palette_type,
       colour_bytes(set.palette + 1, kPaletteColoursFromTable)},
      {kWeaponPaletteBank, kWeaponPaletteTable + kWeaponRecordSize * weapon,
       colour_bytes(set.palette + kFirstWeaponColour, kPaletteColoursFromWeapon)},
  };
  return write_runs(rom, writes);
}

CommandResult write_tile_info(PanelContext& panel, RomFile& rom, Ui& ui) {
  if (!panel.rom_open() || !rom.is_open()) return CommandResult(CommandStatus::kNoRom);
  const SpriteWorkingSet& set = panel.set;
  // Without a loaded entry the position data buffer holds nothing of the ROM (a failed load
  // clears it); writing it would wipe the entry's frame layouts.
  if (set.loaded_entry < 0) {
    return CommandResult(set.failed_entry >= 0 ? CommandStatus::kNoPositionData
                                               : CommandStatus::kNothingLoaded);
  }
  if (rom.read_only()) return CommandResult(CommandStatus::kReadOnly);
  if (!ui.confirm(Prompt::kWriteConfirm, kOverwriteQuestionLine)) {
    return CommandResult(CommandStatus::kCancelled);
  }
  if (set.position_type < 0 || set.position_type >= kPositionTypeCount) {
    return CommandResult(CommandStatus::kNothingLoaded);
  }
  // The working set holds at most its buffer's worth of a longer block; only what it holds goes
  // back, and the rest of the block in the ROM stays as it is.
  const int size = std::clamp(panel.directory.position_data_size[set.position_type], 0,
                              kPositionDataCapacity);
  if (size == 0) return CommandResult(CommandStatus::kDone);
  const std::vector<TableWrite> writes = {
      {set.position_bank, set.position_offset,
       std::vector<uint8_t>(set.position_data, set.position_data + size)},
  };
  return write_runs(rom, writes);
}

bool apply_tile_info(const PanelContext& panel, const std::string& text,
                     std::vector<BufferChange>* changes) {
  if (!panel.rom_open()) return false;
  const SpriteWorkingSet& set = panel.set;
  const int image = panel.view.image_no;
  const int record = frame_record_offset(set, image);
  if (record < 0) return true;  // no record to change: the refresh shows the frame as it is
  Frame frame = set.frames[image];
  apply_tile_info_text(text, frame, panel.view.block_no);
  BufferChange change{{BufferKind::kPositionData, set.position_type}, record,
                      std::vector<uint8_t>(set.position_data + record,
                                           set.position_data + record + set.record_size())};
  pack_frame_record(set, frame, change.bytes.data());
  changes->push_back(std::move(change));
  return true;
}

}  // namespace vcv
