// The files that belong to a ROM and that no output of a command may replace: the ROM itself,
// the backup its writes keep (rom_commit.h) and the states in its history folder
// (rom_history.h).
#pragma once

#include <string>

#include "platform/output_guard.h"

namespace vcv {

// Protects the ROM at `rom_path`, its backup and its history. Writes keep them beside the file
// a link at `rom_path` names, so both places are protected.
void protect_rom(OutputGuard& guard, const std::string& rom_path,
                 FileSystem& fs = native_file_system());

}  // namespace vcv
