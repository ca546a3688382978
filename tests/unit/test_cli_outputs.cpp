// What the command-line tool's outputs may replace: never the ROM being read, its backup, its
// history or another input (under any other name); never anything through a link planted in a
// dump's folder; and a dump goes only into an empty folder or over an earlier dump.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "cli_test_support.h"
#include "platform/file_system.h"
#include "temp_folder.h"
#include "write_test_support.h"

namespace vcv {
namespace {

namespace stdfs = std::filesystem;
using cli_test::CliRun;
using testing_support::TempFolder;

CliRun run(const std::vector<std::string>& args) { return cli_test::run_captured(args); }

// A demo ROM with a backup and one state in its history, and what each holds.
struct RomWithHistory {
  explicit RomWithHistory(const TempFolder& folder)
      : rom(folder.path("demo.sfc")), bak(rom + ".bak"), state(folder.path("demo.history/1.sfc")) {
    stdfs::create_directory(folder.at("demo.history"));
    for (const std::string& path : {rom, bak, state}) {
      testing_support::write_all(path, bytes_of(path));
    }
  }
  std::vector<uint8_t> bytes_of(const std::string& path) const {
    std::vector<uint8_t> bytes = testing_support::demo_rom_bytes();
    bytes[path.size()] ^= 0xFF;  // three different files
    return bytes;
  }
  void expect_unchanged(const std::string& label) const {
    for (const std::string& path : {rom, bak, state}) {
      EXPECT_TRUE(testing_support::read_all(path) == bytes_of(path)) << label << ": " << path;
    }
  }
  std::string rom, bak, state;
};

struct Refusal {
  std::string label;
  std::function<void()> prepare;
  std::vector<std::string> args;
  std::string error;
};

void expect_refused(const Refusal& c, const RomWithHistory& files) {
  if (c.prepare) c.prepare();
  const CliRun result = run(c.args);
  EXPECT_EQ(result.code, 1) << c.label;
  EXPECT_NE(result.err.find(c.error), std::string::npos) << c.label << ": " << result.err;
  EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << c.label;
  files.expect_unchanged(c.label);
}

TEST(CommandOutputs, NeverReplaceTheRomItsBackupItsHistoryOrAnInput) {
  TempFolder folder("outputs");
  const RomWithHistory files(folder);
  const std::string& rom = files.rom;
  const auto hard_link = [&](const std::string& target, const std::string& name) {
    return [&folder, target, name] { stdfs::create_hard_link(target, folder.at(name)); };
  };
  folder.write("in.bin", std::vector<uint8_t>(4096, 7));
  const std::vector<Refusal> cases = {
      {"map over a hard link of the ROM", hard_link(rom, "rom.png"),
       {"map", rom, "--png", folder.path("rom.png")}, "is the ROM being read"},
      {"map over a hard link of the backup", hard_link(files.bak, "bak.png"),
       {"map", rom, "--png", folder.path("bak.png")}, "is the backup of"},
      {"unpack over the ROM", nullptr, {"unpack", rom, rom, "--address", "D2:EE80"},
       "is the ROM being read"},
      {"pack over a hard link of its input", hard_link(folder.path("in.bin"), "out.bin"),
       {"pack", folder.path("in.bin"), folder.path("out.bin")}, "is the input"},
      {"a new file in the history", nullptr,
       {"map", rom, "--png", folder.path("demo.history/new.png")}, "lies in"},
      {"export over a hard link of a state", hard_link(files.state, "state.png"),
       {"export", rom, "--entry", "0x10", "--sheet", "-o", folder.path("state.png")},
       "a file in the history of"},
      {"a patch applied over itself", nullptr,
       {"patch", "apply", rom, folder.path("in.bin"), "-o", folder.path("in.bin")},
       "is the patch being applied"},
      {"a dump file that is the backup", hard_link(files.bak, "dump/problems.txt"),
       {"dump", rom, folder.path("dump")}, "is the backup of"},
  };
  stdfs::create_directory(folder.at("dump"));
  for (const Refusal& c : cases) expect_refused(c, files);
}

// Symbolic links in a dump's folder, and links that name a protected file. (Wine cannot make a
// link a Windows program sees as one: there the test is skipped.)
TEST(CommandOutputs, NoLinkIsFollowedInADumpFolderOrOntoAProtectedFile) {
  TempFolder folder("links");
  std::error_code code;
  stdfs::create_symlink(folder.at("nowhere"), folder.at("probe"), code);
  if (code || !stdfs::is_symlink(folder.at("probe"))) {
    GTEST_SKIP() << "this system cannot make symbolic links";
  }
  const RomWithHistory files(folder);
  const std::string& rom = files.rom;
  ASSERT_EQ(run({"dump", rom, folder.path("base")}).code, 0);
  std::vector<uint8_t> palettes = testing_support::read_all(folder.path("base/palettes.json"));
  const std::string key = "\"00\": [\"";  // a colour edited, so that apply has a change to write
  const auto colour = std::search(palettes.begin(), palettes.end(), key.begin(), key.end()) +
                      static_cast<long>(key.size());
  std::fill(colour, colour + 4, '7');
  testing_support::write_all(folder.path("base/palettes.json"), palettes);
  stdfs::create_directory(folder.at("elsewhere"));
  // Folder `dir`: a copy of the dump (or empty), with `name` in it a link to `target`.
  const auto plant = [&](const std::string& dir, bool dumped, const std::string& name,
                         const std::string& target) {
    return [=, &folder] {
      if (dumped) stdfs::copy(folder.at("base"), folder.at(dir), stdfs::copy_options::recursive);
      stdfs::create_directories(folder.at(dir + "/" + name).parent_path());
      if (stdfs::exists(folder.at(dir + "/" + name))) {
        stdfs::rename(folder.at(dir + "/" + name), folder.at("moved-" + dir));
      }
      stdfs::create_symlink(target, folder.at(dir + "/" + name));
    };
  };
  const std::vector<Refusal> cases = {
      {"dump, a file linked to the ROM", plant("d1", false, "problems.txt", rom),
       {"dump", rom, folder.path("d1")}, "d1/problems.txt is a link"},
      {"dump, a folder linked elsewhere", plant("d2", false, "graphics", folder.path("elsewhere")),
       {"dump", rom, folder.path("d2")}, "d2/graphics is a link"},
      {"apply, a file linked to the ROM", plant("d3", true, "problems.txt", rom),
       {"apply", rom, folder.path("d3"), "--yes"}, "d3/problems.txt is a link"},
      {"apply, reading through a link",
       plant("d4", true, "positions/0E6.json", folder.path("moved-d4")),
       {"apply", rom, folder.path("d4"), "--yes"}, "d4/positions/0E6.json is a link"},
      {"export onto a link to the ROM", plant("l1", false, "rom.png", rom),
       {"export", rom, "--entry", "0x10", "--sheet", "-o", folder.path("l1/rom.png")},
       "is the ROM being read"},
      {"map onto a link to the backup", plant("l2", false, "bak.png", files.bak),
       {"map", rom, "--png", folder.path("l2/bak.png")}, "is the backup of"},
      {"map onto a link to a state", plant("l3", false, "state.png", files.state),
       {"map", rom, "--png", folder.path("l3/state.png")}, "lies in"},
  };
  for (const Refusal& c : cases) {
    expect_refused(c, files);
    EXPECT_TRUE(stdfs::is_empty(folder.at("elsewhere"))) << c.label;
  }
}

// A dump goes into an empty folder, over an earlier dump, or with --force anywhere; over an
// earlier dump it removes the files that dump's manifest lists and this one does not write, and
// nothing else (not what the manifest names outside the folder, not a link, not the user's own).
TEST(CommandOutputs, ADumpGoesOnlyOverAnEarlierOneAndRemovesItsLeftovers) {
  TempFolder folder("dump-over");
  const std::string rom = folder.path("demo.sfc");
  testing_support::write_all(rom, testing_support::demo_rom_bytes());
  const std::string dir = folder.path("dir");
  stdfs::create_directory(folder.at("dir"));
  folder.write("dir/notes.txt", {'n'});
  const CliRun refused = run({"dump", rom, dir});
  EXPECT_EQ(refused.code, 1);
  EXPECT_NE(refused.err.find("holds other files and no earlier dump; give --force"),
            std::string::npos) << refused.err;
  EXPECT_FALSE(stdfs::exists(folder.at("dir/manifest.json")));
  ASSERT_EQ(run({"dump", rom, dir, "--force"}).code, 0);

  std::vector<uint8_t> manifest = testing_support::read_all(dir + "/manifest.json");
  const std::string list = "\"files\": [";
  const auto at = std::search(manifest.begin(), manifest.end(), list.begin(), list.end());
  ASSERT_NE(at, manifest.end());
  const std::string extra =
      "\"positions/0FF.json\", \"positions/0FE.json\", \"positions/0FD.json\", "
      "\"../outside.txt\", \"notes.txt\", ";  // 0FD is missing: nothing to remove
  manifest.insert(at + static_cast<long>(list.size()), extra.begin(), extra.end());
  testing_support::write_all(dir + "/manifest.json", manifest);
  folder.write("dir/positions/0FF.json", {'{', '}'});
  folder.write("outside.txt", {'o'});
  std::error_code no_links;  // Wine makes none; the link is then simply not there
  stdfs::create_symlink(folder.at("outside.txt"), folder.at("dir/positions/0FE.json"), no_links);
  const CliRun again = run({"dump", rom, dir});
  EXPECT_EQ(again.code, 0) << again.err;
  EXPECT_NE(again.out.find("removed 1 file of the earlier dump"), std::string::npos) << again.out;
  EXPECT_FALSE(stdfs::exists(folder.at("dir/positions/0FF.json")));
  EXPECT_TRUE(stdfs::exists(folder.at("dir/notes.txt")));  // no name a dump writes
  EXPECT_TRUE(stdfs::exists(folder.at("outside.txt")));
  if (!no_links) {
    EXPECT_TRUE(stdfs::is_symlink(folder.at("dir/positions/0FE.json")));
    EXPECT_NE(again.err.find("0FE.json is a link"), std::string::npos) << again.err;
  }
}

}  // namespace
}  // namespace vcv
