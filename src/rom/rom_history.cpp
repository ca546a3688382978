#include "rom/rom_history.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>

namespace vcv {

std::string local_time_text(int64_t seconds, const char* format) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &t);
#else
  localtime_r(&t, &local);
#endif
  char text[64];
  if (std::strftime(text, sizeof text, format, &local) == 0) return std::string();
  return text;
}
namespace {

constexpr size_t kStampLength = 15;  // YYYYMMDD-HHMMSS

// The parts of a ROM path: its folder (with the separator), NAME and EXT.
struct RomName {
  std::string folder;
  std::string stem;
  std::string ext;  // without the dot; may be empty
};

RomName split(const std::string& rom) {
  RomName name;
  const size_t slash = rom.find_last_of("/\\");
  name.folder = slash == std::string::npos ? "" : rom.substr(0, slash + 1);
  const std::string file = rom.substr(name.folder.size());
  const size_t dot = file.rfind('.');
  if (dot == std::string::npos || dot == 0) {
    name.stem = file;
  } else {
    name.stem = file.substr(0, dot);
    name.ext = file.substr(dot + 1);
  }
  return name;
}

std::string separator_of(const std::string& rom) {
  return rom.find('\\') != std::string::npos && rom.find('/') == std::string::npos ? "\\" : "/";
}

bool all_digits(const std::string& text, size_t from, size_t count) {
  if (from + count > text.size()) return false;
  return std::all_of(text.begin() + static_cast<long>(from),
                     text.begin() + static_cast<long>(from + count),
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

// A state's name parsed: its stamp and suffix number (1 without a suffix); false for any other
// name.
bool parse_state_name(const RomName& rom, const std::string& name, std::string* stamp,
                      unsigned long* suffix) {
  const std::string head = rom.stem + ".";
  const std::string tail = rom.ext.empty() ? "" : "." + rom.ext;
  if (name.size() < head.size() + kStampLength + tail.size() || name.compare(0, head.size(), head) != 0 ||
      name.compare(name.size() - tail.size(), tail.size(), tail) != 0) {
    return false;
  }
  const std::string middle = name.substr(head.size(), name.size() - head.size() - tail.size());
  if (!all_digits(middle, 0, 8) || middle[8] != '-' || !all_digits(middle, 9, 6)) return false;
  *stamp = middle.substr(0, kStampLength);
  *suffix = 1;
  if (middle.size() == kStampLength) return true;
  const size_t digits = middle.size() - kStampLength - 1;
  if (middle[kStampLength] != '-' || digits == 0 || digits > 6 ||
      !all_digits(middle, kStampLength + 1, digits)) {
    return false;
  }
  *suffix = std::stoul(middle.substr(kStampLength + 1));
  return *suffix >= 2;
}

std::string stamp_of(int64_t seconds) { return local_time_text(seconds, "%Y%m%d-%H%M%S"); }

struct Entry {
  std::string name;
  std::string stamp;
  unsigned long suffix;
};

std::vector<Entry> states_in(const std::string& rom, FileSystem& fs) {
  std::vector<Entry> states;
  std::vector<std::string> names;
  if (fs.list_folder(history_folder(rom), &names).failed()) return states;
  const RomName parts = split(rom);
  for (const std::string& name : names) {
    Entry entry{name, "", 1};
    if (parse_state_name(parts, name, &entry.stamp, &entry.suffix)) states.push_back(entry);
  }
  std::sort(states.begin(), states.end(), [](const Entry& a, const Entry& b) {
    return a.stamp != b.stamp ? a.stamp < b.stamp : a.suffix < b.suffix;
  });
  return states;
}

}  // namespace

std::string history_folder(const std::string& rom) {
  const RomName parts = split(rom);
  return parts.folder + parts.stem + ".history";
}

std::vector<HistoryState> list_history(const std::string& rom, FileSystem& fs) {
  std::vector<HistoryState> out;
  const std::string folder = history_folder(rom) + separator_of(rom);
  for (const Entry& entry : states_in(rom, fs)) {
    HistoryState state;
    state.path = folder + entry.name;
    const std::string& s = entry.stamp;
    state.time = s.substr(0, 4) + "-" + s.substr(4, 2) + "-" + s.substr(6, 2) + " " +
                 s.substr(9, 2) + ":" + s.substr(11, 2) + ":" + s.substr(13, 2);
    FileInfo info;
    if (fs.stat_path(state.path, &info).failed() || !info.regular) continue;
    state.size = info.size;
    out.push_back(state);
  }
  return out;
}

HistoryMove move_into_history(const std::string& rom, const std::string& state, int keep,
                              FileSystem& fs) {
  HistoryMove move;
  const std::string folder = history_folder(rom);
  FileInfo info;
  if ((move.error = fs.stat_path(state, &info)).failed()) return move;
  FileError made = fs.make_folder(folder);
  if (made.failed() && made.kind != FileErrorKind::kExists) {
    move.error = made;
    return move;
  }
  const RomName parts = split(rom);
  const std::string base = folder + separator_of(rom) + parts.stem + "." + stamp_of(info.modified);
  const std::string ext = parts.ext.empty() ? "" : "." + parts.ext;
  for (int suffix = 1; suffix < 1000; ++suffix) {
    const std::string name = base + (suffix == 1 ? "" : "-" + std::to_string(suffix)) + ext;
    move.error = fs.rename_new(state, name);
    if (!move.error.failed()) {
      move.kept_as = name;
      break;
    }
    if (move.error.kind != FileErrorKind::kExists) return move;
  }
  if (move.error.failed()) return move;
  fs.sync_folder(move.kept_as);
  const std::vector<Entry> states = states_in(rom, fs);
  const size_t kept = static_cast<size_t>(std::max(keep, 1));
  for (size_t i = 0; i + kept < states.size(); ++i) {
    const std::string path = folder + separator_of(rom) + states[i].name;
    if (!fs.remove(path).failed()) move.removed.push_back(path);
  }
  return move;
}

}  // namespace vcv
