// The last step of every write command: the changed copy of the image replaces the ROM file.
#pragma once

#include "edit/command_result.h"

namespace vcv {

class RomFile;
class RomImage;

// kWritten (with the backup's path) when the file now holds `changed`; otherwise the failure,
// with the file and the loaded image as they were. The old bytes are kept as NAME.bak unless
// the ROM file was told not to (RomFile::set_keep_backup).
CommandResult replace_rom_image(RomFile& rom, const RomImage& changed);

}  // namespace vcv
