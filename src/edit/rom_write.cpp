#include "edit/rom_write.h"

#include <cstdio>

#include "rom/header_checksum.h"
#include "rom/rom_file.h"

namespace vcv {

namespace {

std::string inconsistent_checksum_note(const HeaderChecksum& before) {
  char text[200];
  std::snprintf(text, sizeof text,
                "The header checksum did not match the ROM before this write (stored %04X, "
                "complement %04X, the bytes sum to %04X), so it was left as it was.",
                before.stored, before.complement, before.computed);
  return text;
}

}  // namespace

// The one mapping from what the file write did to what the command reports.
CommandResult replace_rom_image(RomFile& rom, const RomImage& changed) {
  RomImage bytes = changed;
  ChecksumCarry carry = ChecksumCarry::kNoHeader;
  if (rom.is_open() && rom.updates_checksum()) carry = carry_header_checksum(rom.image(), &bytes);
  const HeaderChecksum before = read_header_checksum(rom.image());
  const CommitResult written = rom.replace_image(bytes);
  switch (written.code) {
    case CommitCode::kOk: {
      CommandResult result(CommandStatus::kWritten);
      result.backup_path = written.backup_path;
      if (carry == ChecksumCarry::kWasInconsistent) {
        result.note = inconsistent_checksum_note(before);
      }
      return result;
    }
    case CommitCode::kNotOpen:
      return CommandResult(CommandStatus::kNoRom);
    case CommitCode::kReadOnly:
      return CommandResult(CommandStatus::kReadOnly);
    case CommitCode::kNotRegularFile:
    case CommitCode::kNotWritable:
      return CommandResult(CommandStatus::kNotWritable, 0, written.describe());
    case CommitCode::kBusy:
      return CommandResult(CommandStatus::kBusy, 0, written.describe());
    case CommitCode::kMissing:
    case CommitCode::kChangedOnDisk:
      return CommandResult(CommandStatus::kChangedOnDisk, 0, written.describe());
    default:
      return CommandResult(CommandStatus::kWriteFailed, 0, written.describe());
  }
}

}  // namespace vcv
