#include "edit/write_all.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "edit/command_messages.h"
#include "edit/write_image.h"
#include "platform/ui.h"
#include "rom/rom_image.h"
#include "sprite/directory.h"
#include "sprite/rom_layout.h"
#include "sprite/stored_block.h"

namespace vcv {

namespace {

std::string line(const char* format, int a, int b = 0, int c = 0) {
  char text[160];
  std::snprintf(text, sizeof text, format, a, b, c);
  return text;
}

CommandResult failed_for(const EditedBufferWrite& buffer, CommandResult result) {
  result.entry = buffer.entry;
  return result;
}

// The block at `position` decodes, as loading reads it, to exactly the buffer's written bytes.
bool block_decodes_to(const RomImage& image, long long position, const EditedBufferWrite& buffer) {
  std::vector<uint8_t> decoded;
  const int size = decode_stored_block_at(image, position, BlockReading::kAsLoading, &decoded);
  return size == buffer.written_size &&
         std::memcmp(decoded.data(), buffer.bytes.data(), static_cast<size_t>(size)) == 0;
}

CommandResult write_plain_graphics(RomImage& image, const EditedBufferWrite& buffer, int bank,
                                   int offset, std::vector<std::string>* summary) {
  if (!image.write_block(bank, offset, buffer.written_size, buffer.bytes.data())) {
    return failed_for(buffer, CommandResult(CommandStatus::kOutsideFile));
  }
  summary->push_back(line("graphics %02X: %06X bytes in place", buffer.id.number,
                          buffer.written_size));
  return CommandResult(CommandStatus::kDone);
}

// In place when the packed block fits where the old one was, else by repacking its region.
CommandResult write_packed_graphics(RomImage& image, const SpriteDirectory& directory,
                                    const EditedBufferWrite& buffer, int bank, int offset, Ui& ui,
                                    PackMethod method, std::vector<std::string>* summary) {
  std::vector<uint8_t> packed;
  const CommandResult packing =
      pack_tile_data(method, buffer.bytes.data(), buffer.written_size, &packed);
  if (packing.failed()) return failed_for(buffer, packing);
  const int new_size = static_cast<int>(packed.size());
  const int stored_size = std::max(0, loaded_packed_size(image, bank, offset));
  if (new_size <= stored_size) {
    const long long position = image.file_offset(bank, offset);
    if (!image.write_at(position, new_size, packed.data())) {
      return failed_for(buffer, CommandResult(CommandStatus::kOutsideFile));
    }
    if (!block_decodes_to(image, position, buffer)) {
      return failed_for(buffer, CommandResult(CommandStatus::kPackVerifyFailed));
    }
    summary->push_back(line("graphics %02X: %06X bytes packed in place (was %06X)",
                            buffer.id.number, new_size, stored_size));
    return CommandResult(CommandStatus::kDone);
  }
  if (!ui.confirm(Prompt::kRepack, size_over_text(stored_size, new_size))) {
    return failed_for(buffer, CommandResult(CommandStatus::kNeedsWritePosition, 0));
  }
  const int free_bytes = repack_bank_images(image, buffer.id.number, new_size, packed.data(),
                                            MatchSearch::kFast, method);
  if (free_bytes == kRepackUndecodable) {
    // The region cannot be repacked, but the block may still fit in its free space.
    const int at = place_in_free_space(image, directory, buffer.id.number, new_size, packed.data());
    if (at >= 0) {
      summary->push_back(line("graphics %02X: %06X bytes packed, placed in free space at %06X",
                              buffer.id.number, new_size, (bank << 16) | at));
      return CommandResult(CommandStatus::kDone);
    }
  }
  if (free_bytes < 0) {
    const CommandStatus status = repack_error_allows_typed_address(free_bytes)
                                     ? CommandStatus::kNeedsWritePosition
                                     : CommandStatus::kRepackStopped;
    return failed_for(buffer, CommandResult(status, -free_bytes));
  }
  summary->push_back(line("graphics %02X: %06X bytes packed, bank region repacked (%06X bytes "
                          "left free)",
                          buffer.id.number, new_size, free_bytes));
  return CommandResult(CommandStatus::kDone);
}

CommandResult write_graphics(RomImage& image, const SpriteDirectory& directory,
                             const EditedBufferWrite& buffer, Ui& ui, PackMethod method,
                             std::vector<std::string>* summary) {
  // Read from the image as changed so far: an earlier repack may have moved this block.
  const int32_t address = read_table_pointer(image, kGraphicsPointerTable, buffer.id.number);
  const int bank = (address >> 16) & 0xFF;
  const int offset = address & 0xFFFF;
  if (buffer.id.number < kFirstPackedGraphics) {
    return write_plain_graphics(image, buffer, bank, offset, summary);
  }
  return write_packed_graphics(image, directory, buffer, bank, offset, ui, method, summary);
}

CommandResult write_table_bytes(RomImage& image, const EditedBufferWrite& buffer, int bank,
                                int offset, const std::string& what,
                                std::vector<std::string>* summary) {
  if (!image.write_block(bank, offset, buffer.written_size, buffer.bytes.data())) {
    return failed_for(buffer, CommandResult(CommandStatus::kOutsideFile));
  }
  summary->push_back(what + line(": %d bytes in place", buffer.written_size));
  return CommandResult(CommandStatus::kDone);
}

CommandResult write_table_buffer(RomImage& image, const EditedBufferWrite& buffer,
                                 std::vector<std::string>* summary) {
  const int n = buffer.id.number;
  switch (buffer.id.kind) {
    case BufferKind::kPalette:
      return write_table_bytes(image, buffer, kTableBank, kPaletteTable + kPaletteRecordSize * n,
                               line("palette type %02X", n), summary);
    case BufferKind::kWeaponPalette:
      return write_table_bytes(image, buffer, kWeaponPaletteBank,
                               kWeaponPaletteTable + kWeaponRecordSize * n,
                               line("weapon palette %02X", n), summary);
    case BufferKind::kPositionData: {
      const int32_t address = read_table_pointer(image, kPositionPointerTable, n);
      return write_table_bytes(image, buffer, (address >> 16) & 0xFF, address & 0xFFFF,
                               line("position type %02X", n), summary);
    }
    case BufferKind::kTileData:
    case BufferKind::kBackdrop:
      break;
  }
  return CommandResult(CommandStatus::kDone);
}

}  // namespace

CommandResult write_buffers_into(RomImage& image, const SpriteDirectory& directory,
                                 const std::vector<EditedBufferWrite>& buffers, Ui& ui,
                                 PackMethod method, std::vector<std::string>* summary) {
  for (const EditedBufferWrite& buffer : buffers) {
    if (buffer.id.kind != BufferKind::kTileData) continue;
    const CommandResult written = write_graphics(image, directory, buffer, ui, method, summary);
    if (written.status != CommandStatus::kDone) return written;
  }
  for (const EditedBufferWrite& buffer : buffers) {
    const CommandResult written = write_table_buffer(image, buffer, summary);
    if (written.status != CommandStatus::kDone) return written;
  }
  return CommandResult(CommandStatus::kDone);
}

std::string write_all_confirm_text(const std::vector<std::string>& summary) {
  std::string text = kOverwriteQuestionLine;
  for (const std::string& item : summary) text += "\r\n" + item;
  return text;
}

}  // namespace vcv
