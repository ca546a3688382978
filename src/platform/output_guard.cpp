#include "platform/output_guard.h"

#include <filesystem>
#include <system_error>

namespace vcv {

namespace {

constexpr const char* kRomRole = "the ROM being read";

// Only regular files are protected and compared: devices and pipes have no identity to trust
// (Windows reports none for them).
bool same_file(const FileInfo& a, const FileInfo& b) {
  return a.regular && b.regular && a.device == b.device && a.node == b.node;
}

bool same_folder(const FileInfo& a, const FileInfo& b) {
  return !a.regular && !b.regular && a.device == b.device && a.node == b.node && a.node != 0;
}

std::string parent_of(const std::string& path) {
  const std::filesystem::path parent = std::filesystem::u8path(path).parent_path();
  return parent.empty() ? std::string(".") : parent.u8string();
}

}  // namespace

std::string rom_backup_path(const std::string& rom_path) { return rom_path + ".bak"; }

std::string rom_history_folder(const std::string& rom_path) { return rom_path + ".history"; }

void OutputGuard::protect_file(const std::string& path, const std::string& role) {
  protected_.push_back({path, role, false});
}

void OutputGuard::protect_rom(const std::string& rom_path) {
  protect_file(rom_path, kRomRole);
  std::vector<std::string> names = {rom_path};
  const std::string final_name = fs_.final_path(rom_path);
  if (final_name != rom_path) names.push_back(final_name);
  for (const std::string& name : names) {
    protected_.push_back({rom_backup_path(name), std::string("the backup of ") + kRomRole, false});
    protected_.push_back({rom_history_folder(name), kRomRole, true});
  }
}

std::string OutputGuard::refusal(const std::string& output) const {
  FileInfo out;
  const bool exists = !fs_.stat_path(output, &out).failed();
  const std::string target = fs_.final_path(output);
  for (const Protected& p : protected_) {
    if (p.folder) {
      const std::string why = refusal_by_folder(p, output, exists ? &out : nullptr, target);
      if (!why.empty()) return why;
      continue;
    }
    FileInfo info;
    if (exists && !fs_.stat_path(p.path, &info).failed() && same_file(info, out)) {
      const std::string named = p.path == output ? "" : " (" + p.path + ")";
      return output + " is " + p.role + named + "; give the output another name";
    }
  }
  return "";
}

// A history folder protects the states in it (by identity, so a link to one counts) and takes
// no new file either: nothing but the history's own keeping may touch it.
std::string OutputGuard::refusal_by_folder(const Protected& history, const std::string& name,
                                           const FileInfo* output,
                                           const std::string& target) const {
  FileInfo folder;
  if (fs_.stat_path(history.path, &folder).failed() || folder.regular) return "";
  FileInfo parent;
  if ((!fs_.stat_path(parent_of(target), &parent).failed() && same_folder(parent, folder)) ||
      (output != nullptr && same_folder(*output, folder))) {
    return name + " lies in " + history.path + ", the history of " + history.role +
           "; give the output another place";
  }
  if (output == nullptr) return "";
  std::error_code code;
  for (const auto& entry :
       std::filesystem::directory_iterator(std::filesystem::u8path(history.path), code)) {
    FileInfo state;
    const std::string path = entry.path().u8string();
    if (!fs_.stat_path(path, &state).failed() && same_file(state, *output)) {
      return name + " is " + path + ", a state in the history of " + history.role +
             "; give the output another name";
    }
  }
  return "";
}

}  // namespace vcv
