// The last step of every write command: the changed copy of the image replaces the ROM file.
// Every write goes through here, so here the internal header's checksum follows the bytes.
#pragma once

#include "edit/command_result.h"

namespace vcv {

class RomFile;
class RomImage;

// kWritten (with the backup's path) when the file now holds `changed`; otherwise the failure,
// with the file and the loaded image as they were. The old bytes are kept as NAME.bak unless
// the ROM file was told not to (RomFile::set_keep_backup).
//
// The header checksum and its complement are given the value of the new bytes when they matched
// the old ones; a checksum that did not match is left as it was, and the result's note says so.
// Neither happens when the ROM file was told not to (RomFile::set_update_checksum(false)): then
// exactly `changed` is written, as a restore of an earlier state needs.
CommandResult replace_rom_image(RomFile& rom, const RomImage& changed);

}  // namespace vcv
