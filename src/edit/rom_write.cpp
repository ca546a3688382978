#include "edit/rom_write.h"

#include "rom/rom_file.h"

namespace vcv {

CommandResult replace_rom_image(RomFile& rom, const RomImage& changed, bool keep_backup) {
  const RomWriteResult written = rom.replace_image(changed, keep_backup);
  switch (written.status) {
    case RomWriteStatus::kWritten: {
      CommandResult result(CommandStatus::kWritten);
      result.backup_path = written.backup_path;
      return result;
    }
    case RomWriteStatus::kNotOpen:
      return CommandResult(CommandStatus::kNoRom);
    case RomWriteStatus::kReadOnly:
      return CommandResult(CommandStatus::kReadOnly);
    case RomWriteStatus::kNotWritable:
      return CommandResult(CommandStatus::kNotWritable, 0, written.detail);
    case RomWriteStatus::kWriteFailed:
      break;
  }
  return CommandResult(CommandStatus::kWriteFailed, 0, written.detail);
}

}  // namespace vcv
