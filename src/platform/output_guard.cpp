#include "platform/output_guard.h"

#include <filesystem>

namespace vcv {

namespace {

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

void OutputGuard::protect_file(const std::string& path, const std::string& role) {
  protected_.push_back({path, role, false});
}

void OutputGuard::protect_folder(const std::string& path, const std::string& role) {
  protected_.push_back({path, role, true});
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

// A protected folder (a ROM's history) protects the files in it (by identity, so a link to one
// counts) and takes no new file either: nothing but its owner's own keeping may touch it.
std::string OutputGuard::refusal_by_folder(const Protected& folder, const std::string& name,
                                           const FileInfo* output,
                                           const std::string& target) const {
  FileInfo info;
  if (fs_.stat_path(folder.path, &info).failed() || info.regular) return "";
  FileInfo parent;
  if ((!fs_.stat_path(parent_of(target), &parent).failed() && same_folder(parent, info)) ||
      (output != nullptr && same_folder(*output, info))) {
    return name + " lies in " + folder.path + ", " + folder.role + "; give the output another place";
  }
  std::vector<std::string> names;
  if (output == nullptr || fs_.list_folder(folder.path, &names).failed()) return "";
  for (const std::string& file : names) {
    FileInfo kept;
    const std::string path = folder.path + "/" + file;
    if (!fs_.stat_path(path, &kept).failed() && same_file(kept, *output)) {
      return name + " is " + path + ", a file in " + folder.role + "; give the output another name";
    }
  }
  return "";
}

}  // namespace vcv
