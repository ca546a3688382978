// "Write Image Changes": the loaded entry's tile data goes back into the ROM. Plain graphics are
// written as they are; packed graphics are compressed again and written in place when they fit,
// otherwise after repacking their bank region or at an address the user types. Every change is
// made in a copy of the ROM image, the written block is decoded again from that copy, and only
// then does the copy replace the file.
#include "edit/write_image.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "edit/command_messages.h"
#include "edit/rom_write.h"
#include "edit/scan_number.h"
#include "platform/ui.h"
#include "rom/rom_file.h"
#include "sprite/rom_layout.h"
#include "sprite/stored_block.h"
#include "view/panel_context.h"

namespace vcv {

namespace {

// Where the block goes: the address that enters the pointer table, and the file position the
// data is written to. The two are kept apart because the user may type both.
struct WriteTarget {
  uint32_t address = 0;
  long long file_position = 0;
};

struct PendingWrite {
  std::vector<uint8_t> data;  // the bytes to write: tile data, or the packed block
  int new_size = 0;
};

std::string hex6(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(value));
  return text;
}

int pointer_entry_offset(int graphics_number) {
  return kGraphicsPointerTable + kLongPointerSize * graphics_number;
}

// The packed form of the working set's tile data.
CommandResult pack_and_verify(const SpriteWorkingSet& set, PackMethod method,
                              PendingWrite* pending) {
  const CommandResult packed =
      pack_tile_data(method, set.tile_data, set.decoded_size, &pending->data);
  if (!packed.failed()) pending->new_size = static_cast<int>(pending->data.size());
  return packed;
}

// The block at the file position of `image` decodes, as loading reads it, to the tile data.
bool written_block_decodes(const RomImage& image, long long position, const SpriteWorkingSet& set) {
  std::vector<uint8_t> decoded;
  const int size = decode_stored_block_at(image, position, BlockReading::kAsLoading, &decoded);
  return size == set.decoded_size &&
         std::memcmp(decoded.data(), set.tile_data, static_cast<size_t>(size)) == 0;
}

// After any successful write the working set describes the block as the ROM now holds it, so a
// later write never lands on the block's former place. The size is measured where the pointer
// now points: a typed address need not name the file position the data went to, and then the
// block there is not the one just written.
void follow_written_block(SpriteWorkingSet& set, const RomImage& image) {
  const int at = pointer_entry_offset(set.assembly());
  set.graphics_offset = image.read_word(kTableBank, at);
  set.graphics_bank = image.read_byte(kTableBank, at + 2);
  if (set.assembly() >= kFirstPackedGraphics) {
    // No block that loads there (a typed address elsewhere than the data): nothing fits in place.
    set.stored_size =
        std::max(0, loaded_packed_size(image, set.graphics_bank, set.graphics_offset));
  }
}

CommandResult put_on_disk(RomFile& rom, const RomImage& changed, SpriteWorkingSet& set) {
  const CommandResult result = replace_rom_image(rom, changed);
  if (result.wrote()) follow_written_block(set, rom.image());
  return result;
}

// What a typed block would overwrite, of everything the tables name; empty when nothing. The
// image's own old block is free to take unless another graphics number shares it.
std::string overwritten_block(const PanelContext& panel, long long start, long long end) {
  std::vector<KnownBlock> blocks = known_blocks(*panel.rom, panel.directory);
  blocks.push_back(cartridge_header_block(*panel.rom));
  const int own = panel.set.assembly();
  long long own_start = -1;
  for (const KnownBlock& block : blocks) {
    if (block.kind == BlockKind::kGraphics && block.number == own) own_start = block.start;
  }
  for (const KnownBlock& block : blocks) {
    const bool own_block = block.kind == BlockKind::kGraphics && block.start == own_start;
    const bool shared = own_block && block.number != own;
    if (own_block && !shared) continue;
    if (start < block.end && block.start < end) return block.name;
  }
  return std::string();
}

// The write-position dialog and the checks of what was typed.
CommandResult ask_target(const PanelContext& panel, Ui& ui, int new_size, WriteTarget* target) {
  std::string address_text, position_text;
  if (!ui.ask_write_position(hex6(target->address),
                             hex6(static_cast<uint32_t>(target->file_position)), &address_text,
                             &position_text)) {
    return CommandResult(CommandStatus::kCancelled);
  }
  uint32_t address = 0, position = 0;
  const bool readable = parse_address_field(address_text, &address) &&
                        parse_hex_field(position_text, &position);
  // The position is a signed file offset; one that is negative or that would put the block
  // (partly) outside the file is refused like unreadable text, never sought to.
  const long long signed_position = static_cast<int32_t>(position);
  if (!readable || !panel.rom->contains(signed_position, new_size)) {
    ui.write_position_error(kAddressErrorTitle, kAddressErrorText);
    return CommandResult(CommandStatus::kAddressRefused);
  }
  const std::string overwritten =
      overwritten_block(panel, signed_position, signed_position + new_size);
  if (!overwritten.empty()) {
    return CommandResult(CommandStatus::kWouldOverwrite, new_size, overwritten);
  }
  target->address = address;
  target->file_position = signed_position;
  return CommandResult(CommandStatus::kDone);
}

// The size question and repacking. Returns kDone to go on to the write-position dialog.
CommandResult offer_repacking(PanelContext& panel, RomFile& rom, Ui& ui,
                              const PendingWrite& pending, PackMethod method) {
  SpriteWorkingSet& set = panel.set;
  if (!ui.confirm(Prompt::kRepack, size_over_text(set.stored_size, pending.new_size))) {
    return CommandResult(CommandStatus::kDone);
  }
  RomImage repacked = rom.image();
  RepackSizes sizes;
  const int free_bytes = repack_bank_images(repacked, set.assembly(), pending.new_size,
                                            pending.data.data(), MatchSearch::kFast, method,
                                            &sizes);
  if (free_bytes >= 0) {
    CommandResult result = put_on_disk(rom, repacked, set);
    if (result.status == CommandStatus::kWritten) {
      result.status = CommandStatus::kRepacked;
      result.value = free_bytes;
    }
    return result;
  }
  if (free_bytes == kRepackUndecodable) {
    // The region cannot be repacked, but the block may still fit in its free space.
    const int at = place_in_free_space(repacked, panel.directory, set.assembly(),
                                       pending.new_size, pending.data.data());
    if (at >= 0) {
      const int bank = set.graphics_bank & 0xFF;
      CommandResult result = put_on_disk(rom, repacked, set);
      if (result.status == CommandStatus::kWritten) {
        char block[16];
        std::snprintf(block, sizeof block, "%02X:%04X", bank, sizes.stopping_offset & 0xFFFF);
        result.status = CommandStatus::kPlacedInFreeSpace;
        result.value = (bank << 16) | at;
        result.detail = std::string("the block at ") + block + " " + sizes.stopping_reason;
      }
      return result;
    }
  }
  if (!repack_error_allows_typed_address(free_bytes)) {
    return CommandResult(CommandStatus::kRepackStopped, -free_bytes);
  }
  ui.message(kRepackFailureTitle, repack_failure_text(-free_bytes));
  return CommandResult(CommandStatus::kDone);
}

}  // namespace

CommandResult pack_tile_data(PackMethod method, const uint8_t* tiles, int size,
                             std::vector<uint8_t>* packed) {
  packed->assign(kPackedBufferSize, 0);
  const int packed_size = pack_block_with(method, tiles, size, packed->data(), kPackedBufferSize);
  if (packed_size == kPackRefused) return CommandResult(CommandStatus::kPackRefused);
  // Loading reads a packed block through a buffer of kPackedReadSize bytes: a longer block
  // would be written but could never be decoded again.
  if (packed_size > kPackedReadSize) {
    return CommandResult(CommandStatus::kPackTooLong, packed_size);
  }
  std::vector<uint8_t> check(kPackedBufferSize);
  int read = 0;
  const int decoded = unpack_block(packed->data(), static_cast<size_t>(packed_size), 0,
                                   check.data(), kGraphicsDecodeLimit, &read);
  if (decoded != size || read != packed_size ||
      std::memcmp(check.data(), tiles, static_cast<size_t>(decoded)) != 0) {
    return CommandResult(CommandStatus::kPackVerifyFailed);
  }
  packed->resize(static_cast<size_t>(packed_size));
  return CommandResult(CommandStatus::kDone);
}

CommandResult write_image_changes(PanelContext& panel, RomFile& rom, Ui& ui,
                                  PackMethod method) {
  if (!panel.rom_open() || !rom.is_open()) return CommandResult(CommandStatus::kNoRom);
  SpriteWorkingSet& set = panel.set;
  if (set.loaded_entry < 0) {
    // The entry's graphics did not decode: there is no picture to write, and writing the
    // buffer would destroy the block.
    return CommandResult(set.failed_entry >= 0 ? CommandStatus::kNotDecoded
                                               : CommandStatus::kNothingLoaded);
  }
  if (rom.read_only()) return CommandResult(CommandStatus::kReadOnly);
  WriteTarget target;
  target.address = static_cast<uint32_t>(((set.graphics_bank & 0xFF) << 16) |
                                         (set.graphics_offset & 0xFFFF));
  target.file_position = rom.image().file_offset(set.graphics_bank, set.graphics_offset);

  PendingWrite pending;
  const bool packed = set.assembly() >= kFirstPackedGraphics;
  if (!packed) {
    pending.new_size = set.decoded_size;
    pending.data.assign(set.tile_data, set.tile_data + set.decoded_size);
  } else {
    const CommandResult packing = pack_and_verify(set, method, &pending);
    if (packing.failed()) return packing;
    if (pending.new_size > set.stored_size) {
      const CommandResult repacking = offer_repacking(panel, rom, ui, pending, method);
      if (repacking.status != CommandStatus::kDone) return repacking;
      const CommandResult typed = ask_target(panel, ui, pending.new_size, &target);
      if (typed.status != CommandStatus::kDone) return typed;
    }
  }
  if (!ui.confirm(Prompt::kWriteConfirm,
                  write_confirm_text(target.address, static_cast<uint32_t>(target.file_position),
                                     set.stored_size, pending.new_size))) {
    return CommandResult(CommandStatus::kCancelled);
  }
  RomImage changed = rom.image();
  if (!changed.write_at(target.file_position, pending.new_size, pending.data.data()) ||
      !changed.write_long(kTableBank, pointer_entry_offset(set.assembly()),
                          static_cast<int>(target.address & 0xFFFFFF))) {
    return CommandResult(CommandStatus::kOutsideFile);
  }
  if (packed && !written_block_decodes(changed, target.file_position, set)) {
    return CommandResult(CommandStatus::kPackVerifyFailed);
  }
  return put_on_disk(rom, changed, set);
}

}  // namespace vcv
