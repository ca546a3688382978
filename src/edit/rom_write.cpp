#include "edit/rom_write.h"

#include "rom/rom_file.h"

namespace vcv {

// The one mapping from what the file write did to what the command reports.
CommandResult replace_rom_image(RomFile& rom, const RomImage& changed) {
  const CommitResult written = rom.replace_image(changed);
  switch (written.code) {
    case CommitCode::kOk: {
      CommandResult result(CommandStatus::kWritten);
      result.backup_path = written.backup_path;
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
