// vantorchar history ROM and vantorchar restore ROM N: the states earlier writes replaced (the
// ROM's history folder, then its .bak), and making one of them the ROM again through the normal
// write (lock, temporary file, read back; the current ROM becomes the .bak).
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "assets/asset_model.h"
#include "cli/cli_support.h"
#include "platform/file_io.h"
#include "platform/sha256.h"
#include "rom/rom_file.h"
#include "rom/rom_history.h"
#include "sprite/directory.h"

namespace vcv::cli {

namespace {

constexpr const char* kHistoryUsage = "history ROM";
constexpr const char* kRestoreUsage = "restore ROM N [--yes] [--keep-history N]";

struct KeptState {
  std::string path;
  std::string time;
  bool backup = false;  // the ROM's .bak rather than a state of the history folder
};

// The history's states, oldest first, then the backup: the numbers history and restore use.
std::vector<KeptState> kept_states(const std::string& rom) {
  std::vector<KeptState> states;
  for (const HistoryState& s : list_history(rom)) states.push_back({s.path, s.time, false});
  FileInfo info;
  if (!native_file_system().stat_path(rom + ".bak", &info).failed() && info.regular) {
    states.push_back({rom + ".bak", local_time_text(info.modified, "%Y-%m-%d %H:%M:%S"), true});
  }
  return states;
}

// Each entry's sprite data as one string of bytes (header, palette, tiles, frames, animations),
// so that two images can be compared entry by entry; empty when the bytes are no ROM image.
struct SpriteData {
  std::vector<std::string> entries;
  std::string weapons;
};

void add(std::string* to, const void* data, size_t size) {
  to->append(static_cast<const char*>(data), size);
}

SpriteData sprite_data(const std::vector<uint8_t>& file) {
  SpriteData data;
  const int header = copier_header_for_size(static_cast<long long>(file.size()));
  if (static_cast<long long>(file.size()) - header < kMinRomImageSize) return data;
  const RomImage image(file, kMappingHiRom, header);
  SpriteDirectory directory;
  build_sprite_directory(image, directory);
  const RomAssets assets = read_rom_assets(image, directory);
  for (const auto& weapon : assets.weapons) add(&data.weapons, weapon.data(), sizeof weapon);
  for (const EntryHeader& h : assets.headers) {
    std::string entry(reinterpret_cast<const char*>(h.field), kHeaderFieldCount);
    const auto palette = assets.palettes.find(h.field[kFieldPaletteType]);
    if (palette != assets.palettes.end()) add(&entry, palette->second.data(), sizeof palette->second);
    if (const GraphicsAsset* g = assets.find_graphics(h.field[kFieldAssembly])) {
      entry += g->decoded ? 'D' : 'U';
      add(&entry, g->tiles.data(), g->tiles.size());
    }
    if (const PositionAsset* p = assets.find_position(h.field[kFieldPositionType])) {
      add(&entry, p->records.data(), p->records.size());
    }
    for (const AnimationAsset& a : assets.animations) {
      if (a.type != h.field[kFieldAnimationType]) continue;
      for (const auto& table : a.facings) {
        for (const auto& facing : table) add(&entry, facing.data(), facing.size());
      }
    }
    data.entries.push_back(std::move(entry));
  }
  return data;
}

std::string comparison(const SpriteData& state, const SpriteData& rom) {
  if (state.entries.empty() || rom.entries.size() != state.entries.size()) {
    return "sprite data not comparable";
  }
  size_t differ = 0;
  for (size_t i = 0; i < rom.entries.size(); ++i) differ += state.entries[i] != rom.entries[i];
  std::string text = differ == 0 ? "same sprite data"
                                 : std::to_string(differ) + (differ == 1 ? " entry differs"
                                                                         : " entries differ");
  if (state.weapons != rom.weapons) text += ", weapon palettes differ";
  return text;
}

std::string short_sha(const std::vector<uint8_t>& bytes) {
  return sha256_hex(sha256(bytes.data(), bytes.size())).substr(0, 12);
}

bool read_state(const std::string& path, std::vector<uint8_t>* bytes, Streams streams,
                const std::string& command) {
  std::string error;
  if (read_regular_file(path, kMaxRomFileSize, bytes, &error)) return true;
  fail(streams, command, "cannot read " + path + ": " + error);
  return false;
}

}  // namespace

int cmd_history(const std::vector<std::string>& args, Streams streams) {
  ArgReader reader(args);
  const std::vector<std::string> rest = reader.positionals();
  if (!reader.error().empty() || rest.size() != 1) {
    std::fprintf(streams.err, "vantorchar history: one ROM file is needed; usage: %s\n",
                 kHistoryUsage);
    return kExitUsage;
  }
  const std::string& rom = rest[0];
  std::vector<uint8_t> current;
  if (!read_state(rom, &current, streams, "history")) return kExitFailure;
  const SpriteData now = sprite_data(current);
  const std::vector<KeptState> states = kept_states(rom);
  if (states.empty()) {
    std::fprintf(streams.out, "no earlier states of %s are kept\n", rom.c_str());
    return kExitOk;
  }
  for (size_t i = 0; i < states.size(); ++i) {
    std::vector<uint8_t> bytes;
    std::string error;
    if (!read_regular_file(states[i].path, kMaxRomFileSize, &bytes, &error)) {
      std::fprintf(streams.out, "%2zu  %s  unreadable: %s\n", i + 1, states[i].time.c_str(),
                   error.c_str());
      continue;
    }
    std::fprintf(streams.out, "%2zu  %s  %9zu bytes  %s  %s%s\n", i + 1, states[i].time.c_str(),
                 bytes.size(), short_sha(bytes).c_str(),
                 comparison(sprite_data(bytes), now).c_str(),
                 states[i].backup ? "  (the .bak)" : "");
  }
  return kExitOk;
}

int cmd_restore(const std::vector<std::string>& args, Streams streams) {
  ArgReader reader(args);
  const bool yes = reader.take_flag("--yes");
  int keep = kDefaultHistoryKeep;
  if (!take_keep_history(reader, "restore", &keep, streams)) return kExitUsage;
  const std::vector<std::string> rest = reader.positionals();
  long long number = 0;
  if (!reader.error().empty() || rest.size() != 2 || !parse_number(rest[1], &number)) {
    std::fprintf(streams.err, "vantorchar restore: %s; usage: %s\n",
                 reader.error().empty() ? "a ROM file and a state number are needed"
                                        : reader.error().c_str(),
                 kRestoreUsage);
    return kExitUsage;
  }
  const std::string& rom = rest[0];
  const std::vector<KeptState> states = kept_states(rom);
  if (number < 1 || number > static_cast<long long>(states.size())) {
    return fail(streams, "restore",
                "no state " + rest[1] + ": " + rom + " has " + std::to_string(states.size()) +
                    " (see vantorchar history)");
  }
  const KeptState& chosen = states[static_cast<size_t>(number - 1)];
  std::vector<uint8_t> bytes;
  if (!read_state(chosen.path, &bytes, streams, "restore")) return kExitFailure;
  RomFile file;
  const RomOpenResult opened = file.open(rom, kMappingHiRom, 0);
  if (!opened.ok()) return fail(streams, "restore", opened.reason);
  if (file.image().bytes() == bytes) {
    std::fprintf(streams.out, "state %lld is what %s holds already; nothing was written\n", number,
                 rom.c_str());
    return kExitOk;
  }
  std::fprintf(streams.out, "state %lld (%s, %zu bytes, %s, %s) becomes %s; %s becomes %s.bak\n",
               number, chosen.time.c_str(), bytes.size(), short_sha(bytes).c_str(),
               chosen.path.c_str(), rom.c_str(), rom.c_str(), rom.c_str());
  if (!yes) return fail(streams, "restore", "nothing written: add --yes");
  file.set_keep_history(keep);
  // The state's bytes exactly, through the plain commit: nothing is recomputed on the way.
  const CommitResult written = file.replace_image(RomImage(bytes, kMappingHiRom, 0));
  print_write_notes(written.notes, streams);
  if (!written.ok()) return fail(streams, "restore", written.describe() + "; the ROM is as it was");
  std::fprintf(streams.out, "restored state %lld into %s\n", number, rom.c_str());
  if (!written.backup_path.empty()) {
    std::fprintf(streams.out, "the ROM as it was before is kept in %s\n",
                 written.backup_path.c_str());
  }
  return kExitOk;
}

}  // namespace vcv::cli
