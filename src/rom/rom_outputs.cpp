#include "rom/rom_outputs.h"

#include "rom/rom_history.h"

namespace vcv {

void protect_rom(OutputGuard& guard, const std::string& rom_path, FileSystem& fs) {
  const std::string role = "the ROM being read";
  guard.protect_file(rom_path, role);
  const std::string final_name = fs.final_path(rom_path);
  for (const std::string& name : {rom_path, final_name}) {
    // The backup's name as commit_rom_file gives it.
    guard.protect_file(name + ".bak", "the backup of " + role);
    guard.protect_folder(history_folder(name), "the history of " + role);
    if (final_name == rom_path) break;
  }
}

}  // namespace vcv
