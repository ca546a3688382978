// What a commit keeps and clears beside the ROM: the history of replaced backups, a backup that
// is a hard link to the ROM, the temporary files of writers that died, extended attributes.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#ifdef __linux__
#include <sys/xattr.h>
#endif

#include "platform/file_system.h"
#include "rom/rom_commit.h"
#include "rom/rom_history.h"
#include "temp_folder.h"

namespace vcv {
namespace {

namespace stdfs = std::filesystem;
using Bytes = std::vector<uint8_t>;
using testing_support::TempFolder;

// No process has this id: above Linux's largest pid and not one Windows hands out.
constexpr unsigned long kGoneWriter = 2147483000;

Bytes state(int n) { return Bytes(4096 + n, static_cast<uint8_t>(n)); }

class HistoryTest : public ::testing::Test {
 protected:
  HistoryTest() { folder_.write("game.sfc", state(0)); }

  // Writes state n over state n - 1; the backup it leaves is dated `n` hours after 2024-01-01.
  CommitResult write(int n, int keep) {
    CommitOptions options;
    options.keep_history = keep;
    CommitResult result = commit_rom_file(folder_.path("game.sfc"), fingerprint_of(state(n - 1)),
                                          state(n), options);
    stdfs::last_write_time(folder_.at("game.sfc.bak"),
                           stdfs::file_time_type::clock::now() - std::chrono::hours(24 * 365) +
                               std::chrono::hours(n));
    return result;
  }

  std::vector<Bytes> history_contents() {
    std::vector<Bytes> out;
    for (const HistoryState& s : list_history(folder_.path("game.sfc"))) {
      out.push_back(folder_.read("game.history/" + stdfs::u8path(s.path).filename().u8string()));
    }
    return out;
  }

  TempFolder folder_{"history"};
};

TEST_F(HistoryTest, KeepsTheLastStatesAndTouchesNothingElse) {
  stdfs::create_directory(folder_.at("game.history"));
  const std::set<std::string> foreign = {"notes.txt", "game.20200101-000000.smc",
                                         "other.20200101-000000.sfc", "game.2020-01-01.sfc"};
  for (const std::string& name : foreign) folder_.write("game.history/" + name, {1, 2, 3});
  for (int n = 1; n <= 6; ++n) ASSERT_TRUE(write(n, 3).ok()) << n;
  // Writes 2..6 each moved the previous backup (states 0..4) in; the last three stay.
  EXPECT_EQ(history_contents(), (std::vector<Bytes>{state(2), state(3), state(4)}));
  EXPECT_EQ(folder_.read("game.sfc.bak"), state(5));
  for (const std::string& name : foreign) {
    EXPECT_EQ(folder_.read("game.history/" + name), (Bytes{1, 2, 3})) << name;
  }
  // Without a history the older backup is simply replaced.
  ASSERT_TRUE(write(7, 0).ok());
  EXPECT_EQ(history_contents().size(), 3u);
  EXPECT_EQ(folder_.read("game.sfc.bak"), state(6));
}

TEST_F(HistoryTest, ANameTakenAlreadyGetsASuffix) {
  ASSERT_TRUE(write(1, 20).ok());
  ASSERT_TRUE(write(2, 20).ok());  // state 0 goes in
  const std::vector<HistoryState> first = list_history(folder_.path("game.sfc"));
  ASSERT_EQ(first.size(), 1u);
  // The next state is given the same time: its name is taken.
  stdfs::last_write_time(folder_.at("game.sfc.bak"), stdfs::last_write_time(stdfs::u8path(first[0].path)));
  ASSERT_TRUE(write(3, 20).ok());
  // (write() dated the new backup again; the one moved in kept the taken time.)
  const std::vector<HistoryState> states = list_history(folder_.path("game.sfc"));
  ASSERT_EQ(states.size(), 2u);
  EXPECT_EQ(states[1].path, first[0].path.substr(0, first[0].path.size() - 4) + "-2.sfc");
  EXPECT_EQ(history_contents(), (std::vector<Bytes>{state(0), state(1)}));
}

TEST_F(HistoryTest, ABackupThatIsAHardLinkToTheRomStaysTheBackup) {
  stdfs::create_hard_link(folder_.at("game.sfc"), folder_.at("game.sfc.bak"));
  CommitOptions options;
  const CommitResult result =
      commit_rom_file(folder_.path("game.sfc"), fingerprint_of(state(0)), state(1), options);
  ASSERT_TRUE(result.ok()) << result.detail;
  EXPECT_EQ(folder_.names(), (std::set<std::string>{"game.sfc", "game.sfc.bak"}));
  EXPECT_EQ(folder_.read("game.sfc"), state(1));
  EXPECT_EQ(folder_.read("game.sfc.bak"), state(0));
}

TEST_F(HistoryTest, LeftoversOfWritersThatAreGoneAreRemovedAndNamed) {
  FileSystem& fs = native_file_system();
  const std::string own = std::to_string(fs.process_id());
  const std::string gone = std::to_string(kGoneWriter);
  folder_.write("game.sfc." + gone + "-0.tmp", state(9));                // a new file, not renamed
  stdfs::create_hard_link(folder_.at("game.sfc"), folder_.at("game.sfc." + gone + "-1.tmp"));
  folder_.write("game.sfc." + gone + "-2.tmp", state(9));  // its lock is held: a writer is there
  folder_.write("game.sfc." + own + "-3.tmp", state(9));   // this process's own
  folder_.write("other.sfc." + gone + "-0.tmp", state(9));  // another ROM's
  folder_.write("game.sfc.x-0.tmp", state(9));              // not a temporary name
  ScopedHandle held(fs);
  ASSERT_FALSE(fs.open_update(folder_.path("game.sfc." + gone + "-2.tmp"), &held.handle).failed());
  ASSERT_FALSE(fs.try_lock(held.handle).failed());
  CommitOptions options;
  options.keep_backup = false;
  const CommitResult result =
      commit_rom_file(folder_.path("game.sfc"), fingerprint_of(state(0)), state(1), options);
  ASSERT_TRUE(result.ok()) << result.detail;
  EXPECT_EQ(folder_.names(),
            (std::set<std::string>{"game.sfc", "game.sfc." + gone + "-2.tmp",
                                   "game.sfc." + own + "-3.tmp", "other.sfc." + gone + "-0.tmp",
                                   "game.sfc.x-0.tmp"}));
  ASSERT_EQ(result.notes.size(), 2u);
  for (const std::string& note : result.notes) {
    EXPECT_NE(note.find("left by a writer that did not finish (process " + gone + ")"),
              std::string::npos)
        << note;
  }
}

#ifdef __linux__
TEST_F(HistoryTest, KeepsTheRomsExtendedAttributes) {
  const std::string rom = folder_.path("game.sfc");
  if (::setxattr(rom.c_str(), "user.vcv-test", "kept", 4, 0) != 0) {
    GTEST_SKIP() << "this file system takes no user attributes";
  }
  CommitOptions options;
  ASSERT_TRUE(commit_rom_file(rom, fingerprint_of(state(0)), state(1), options).ok());
  char value[16] = {};
  ASSERT_EQ(::getxattr(rom.c_str(), "user.vcv-test", value, sizeof value), 4);
  EXPECT_EQ(std::string(value, 4), "kept");
}
#endif

}  // namespace
}  // namespace vcv
