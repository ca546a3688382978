// The last step of every write command: the changed copy of the image replaces the ROM file.
#pragma once

#include "edit/command_result.h"

namespace vcv {

class RomFile;
class RomImage;

// kWritten (with the backup's path) when the file now holds `changed`; otherwise the failure,
// with the file and the loaded image as they were. `keep_backup` false replaces the file
// without keeping the old bytes as NAME.bak.
CommandResult replace_rom_image(RomFile& rom, const RomImage& changed, bool keep_backup = true);

}  // namespace vcv
