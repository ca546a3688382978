// "Write Image Changes": the loaded entry's tile data goes back into the ROM. Plain graphics are
// written as they are; packed graphics are compressed again and written in place when they fit,
// otherwise after repacking their bank region or at an address the user types. Every block is
// checked before it is written (it must decode back to the tile data) and after (the bytes read
// back must be those written); the pointer table is written only after its block.
#include "edit/write_image.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "edit/edit_commands.h"
#include "edit/scan_number.h"
#include "edit/write_messages.h"
#include "platform/ui.h"
#include "view/app_state.h"

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

bool lies_in_file(RomFile& rom, long long position, long long count) {
  const long long size = rom.file_size();
  return position >= 0 && count >= 0 && size >= 0 && position + count <= size;
}

int pointer_entry_offset(int graphics_number) {
  return kGraphicsPointerTable + 3 * graphics_number;
}

// The packed form of the tile data, checked to decode back to exactly the tile data.
int pack_and_verify(const SpriteWorkingSet& set, std::vector<uint8_t>* packed, Ui& ui) {
  packed->assign(kPackedBufferSize, 0);
  const int size = pack_block_best(set.tile_data, set.decoded_size, packed->data(),
                                   kPackedBufferSize);
  if (size == kPackRefused) {
    ui.message(kWriteErrorTitle, kPackRefusedText);
    return -1;
  }
  // Loading reads a packed block through a buffer of kPackedReadSize bytes: a longer block
  // would be written but could never be decoded again.
  if (size > kPackedReadSize) {
    ui.message(kWriteErrorTitle, pack_too_long_text(size));
    return -1;
  }
  std::vector<uint8_t> check(kPackedBufferSize);
  int packed_size = 0;
  const int decoded = unpack_block(packed->data(), static_cast<size_t>(size), 0, check.data(),
                                   kGraphicsDecodeLimit, &packed_size);
  if (decoded != set.decoded_size || packed_size != size ||
      std::memcmp(check.data(), set.tile_data, static_cast<size_t>(decoded)) != 0) {
    ui.message(kWriteErrorTitle, kPackVerifyText);
    return -1;
  }
  packed->resize(static_cast<size_t>(size));
  return size;
}

// The packed size of the block at bank:offset, measured as loading measures it; 0 when no block
// that loading could read stands there.
int stored_block_size(RomFile& rom, int bank, int offset) {
  std::vector<uint8_t> packed(kPackedReadSize, 0);
  rom.read_block(bank, offset, kPackedReadSize, packed.data());
  std::vector<uint8_t> decoded(kGraphicsDecodeLimit);
  int packed_size = 0;
  if (unpack_block(packed.data(), packed.size(), 0, decoded.data(), kGraphicsDecodeLimit,
                   &packed_size) < 0) {
    return 0;
  }
  return packed_size;
}

// After any successful write the working set describes the block as the ROM now holds it, so a
// later write never lands on the block's former place. The size is measured where the pointer
// now points: a typed address need not name the file position the data went to, and then the
// block there is not the one just written.
void follow_written_block(AppState& app) {
  SpriteWorkingSet& set = *app.working_set;
  const int at = pointer_entry_offset(set.assembly());
  set.graphics_offset = app.rom_file.read_word(kTableBank, at);
  set.graphics_bank = app.rom_file.read_byte(kTableBank, at + 2);
  if (set.assembly() >= kFirstPackedGraphics) {
    set.stored_size = stored_block_size(app.rom_file, set.graphics_bank, set.graphics_offset);
  }
}

// The size question; true when the user chose repacking and it succeeded (the command is done),
// false to go on to the write-position dialog. `stop` is set when the command must end.
bool offer_repacking(AppState& app, Ui& ui, const PendingWrite& pending, bool* stop) {
  SpriteWorkingSet& set = *app.working_set;
  if (!ui.confirm(kSizeOverTitle, size_over_text(set.stored_size, pending.new_size))) return false;
  const int result = repack_bank_images(app.rom_file, set.assembly(), pending.new_size,
                                        pending.data.data());
  if (result >= 0) {
    ui.message(kRepackSuccessTitle, repack_success_text(result));
    follow_written_block(app);
    *stop = true;
    return true;
  }
  if (!repack_error_allows_typed_address(result)) {
    ui.message(kWriteErrorTitle, repack_stop_text(result));
    *stop = true;
    return false;
  }
  ui.message(kRepackFailureTitle, repack_failure_text(-result));
  return false;
}

// The write-position dialog; false when it was cancelled or a field was refused.
bool ask_target(AppState& app, Ui& ui, int new_size, WriteTarget* target) {
  std::string address_text, position_text;
  if (!ui.ask_write_position(hex6(target->address),
                             hex6(static_cast<uint32_t>(target->file_position)), &address_text,
                             &position_text)) {
    return false;
  }
  uint32_t address = 0, position = 0;
  const bool readable = parse_hex_field(address_text, &address) &&
                        parse_hex_field(position_text, &position);
  // The position is a signed file offset; one that is negative or that would put the block
  // (partly) outside the file is refused like unreadable text, never sought to.
  const long long signed_position = static_cast<int32_t>(position);
  if (!readable || !lies_in_file(app.rom_file, signed_position, new_size)) {
    ui.write_position_error(kAddressErrorTitle, kAddressErrorText);
    return false;
  }
  target->address = address;
  target->file_position = signed_position;
  return true;
}

// Writes the block, then its pointer, each checked by reading it back. The ROM is left open
// read-only. Returns true when everything was written.
bool write_block_and_pointer(AppState& app, Ui& ui, const PendingWrite& pending,
                             const WriteTarget& target) {
  RomFile& rom = app.rom_file;
  const int entry_at = pointer_entry_offset(app.working_set->assembly());
  if (!lies_in_file(rom, target.file_position, pending.new_size) ||
      !lies_in_file(rom, rom.file_offset(kTableBank, entry_at), 3)) {
    ui.message(kWriteErrorTitle, kOutsideFileText);
    return false;
  }
  rom.close();
  rom.open_update();
  if (!rom.is_open_for_update()) {
    rom.open_read();
    ui.message(kWriteErrorTitle, kNotWritableText);
    return false;
  }
  std::vector<uint8_t> read_back(pending.data.size());
  const int written = rom.write_at(target.file_position, pending.new_size, pending.data.data());
  const int read = rom.read_at(target.file_position, pending.new_size, read_back.data());
  if (written != pending.new_size || read != pending.new_size || read_back != pending.data) {
    rom.close();
    rom.open_read();
    ui.message(kWriteErrorTitle, read_back_text(static_cast<uint32_t>(target.file_position)));
    return false;
  }
  rom.write_long(kTableBank, entry_at, static_cast<int>(target.address & 0xFFFFFF));
  const uint32_t stored = static_cast<uint32_t>(rom.read_word(kTableBank, entry_at)) |
                          (static_cast<uint32_t>(rom.read_byte(kTableBank, entry_at + 2)) << 16);
  rom.close();
  rom.open_read();
  if (stored != (target.address & 0xFFFFFF)) {
    ui.message(kWriteErrorTitle, kPointerReadBackText);
    return false;
  }
  return true;
}

}  // namespace

void write_image_changes(AppState& app, Ui& ui) {
  if (!app.rom_open()) return;
  SpriteWorkingSet& set = *app.working_set;
  if (set.loaded_entry < 0) {
    // The entry's graphics did not decode: there is no picture to write, and writing the
    // buffer would destroy the block.
    if (set.failed_entry >= 0) ui.message(kWriteErrorTitle, kNotDecodedText);
    return;
  }
  WriteTarget target;
  target.address = static_cast<uint32_t>(((set.graphics_bank & 0xFF) << 16) |
                                         (set.graphics_offset & 0xFFFF));
  target.file_position = app.rom_file.file_offset(set.graphics_bank, set.graphics_offset);

  PendingWrite pending;
  if (set.assembly() < kFirstPackedGraphics) {
    pending.new_size = set.decoded_size;
    pending.data.assign(set.tile_data, set.tile_data + set.decoded_size);
  } else {
    pending.new_size = pack_and_verify(set, &pending.data, ui);
    if (pending.new_size < 0) return;
    if (pending.new_size > set.stored_size) {
      bool stop = false;
      if (offer_repacking(app, ui, pending, &stop) || stop) return;
      if (!ask_target(app, ui, pending.new_size, &target)) return;
    }
  }
  if (!ui.confirm(kWriteConfirmTitle,
                  write_confirm_text(target.address, static_cast<uint32_t>(target.file_position),
                                     set.stored_size, pending.new_size))) {
    return;
  }
  if (write_block_and_pointer(app, ui, pending, target)) follow_written_block(app);
}

}  // namespace vcv
