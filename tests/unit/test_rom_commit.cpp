#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#ifdef _WIN32
#include <process.h>
extern "C" __declspec(dllimport) void __stdcall Sleep(unsigned long milliseconds);
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

#include "platform/file_system.h"
#include "rom/rom_commit.h"
#include "temp_folder.h"
#include "write_test_support.h"

namespace vcv {
namespace {

namespace stdfs = std::filesystem;
using testing_support::TempFolder;
using Bytes = std::vector<uint8_t>;

constexpr size_t kRomSize = 100 * 1024;  // more than one piece of the commit's reads
const std::string kRom = "game.sfc";
const std::string kBak = "game.sfc.bak";

Bytes pattern(size_t size, unsigned seed) {
  Bytes bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>((i * 131 + (i >> 8)) ^ seed);
  return bytes;
}

// The permission bits (POSIX) or attribute (Windows: hidden) a commit must carry over.
#ifdef _WIN32
constexpr uint32_t kKeptMode = 0x2;
constexpr uint32_t kModeMask = 0x2;
#else
constexpr uint32_t kKeptMode = 0640;
constexpr uint32_t kModeMask = 07777;
#endif

void set_mode(const std::string& path, uint32_t mode) {
  FileSystem& fs = native_file_system();
  FileInfo info;
  ASSERT_FALSE(fs.stat_path(path, &info).failed());
  info.mode = mode;
  ScopedHandle file(fs);
  ASSERT_FALSE(fs.open_update(path, &file.handle).failed());
  ASSERT_FALSE(fs.copy_attributes(file.handle, info).failed());
}

uint32_t mode_of(const std::string& path) {
  FileInfo info;
  EXPECT_FALSE(native_file_system().stat_path(path, &info).failed()) << path;
  return info.mode & kModeMask;
}

class CommitTest : public ::testing::Test {
 protected:
  CommitTest() {
    new_ = old_;
    for (size_t i = 0x1230; i < 0x1230 + 24; ++i) new_[i] ^= 0x5A;  // one palette's worth
    folder_.write(kRom, old_);
  }

  CommitResult commit(FileSystem& fs, bool keep_backup = true) {
    CommitOptions options;
    options.keep_backup = keep_backup;
    return commit_rom_file(folder_.path(kRom), fingerprint_of(old_), new_, options, fs);
  }
  CommitResult commit(bool keep_backup = true) { return commit(native_file_system(), keep_backup); }

  // The ROM with its old bytes, alone in its folder.
  void reset() {
    for (const std::string& name : folder_.names()) stdfs::remove_all(folder_.at(name));
    folder_.write(kRom, old_);
  }

  // The ROM holds its old bytes, and the folder nothing but it and perhaps a backup of them.
  void expect_untouched() {
    EXPECT_EQ(folder_.read(kRom), old_);
    std::set<std::string> names = folder_.names();
    if (names.erase(kBak) > 0) {
      EXPECT_EQ(folder_.read(kBak), old_);
    }
    EXPECT_EQ(names, std::set<std::string>{kRom});
  }

  Bytes old_ = pattern(kRomSize, 0x5A);
  Bytes new_;
  TempFolder folder_{"commit"};
};

TEST_F(CommitTest, ReplacesTheRomKeepingItsPermissionsAndABackup) {
  struct Case {
    const char* name;
    bool keep_backup;
    bool older_backup;  // a NAME.bak from an earlier commit is there
    bool links;         // the file system has hard links
  };
  const Case cases[] = {{"backup", true, false, true},
                        {"backup over an older one", true, true, true},
                        {"backup without hard links", true, false, false},
                        {"no backup, an older one stays", false, true, true},
                        {"no backup", false, false, true},
                        {"no backup, no hard links", false, false, false}};
  const Bytes older = pattern(100, 7);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    reset();
    set_mode(folder_.path(kRom), kKeptMode);
    if (c.older_backup) folder_.write(kBak, older);
    FileInfo old_file;
    ASSERT_FALSE(native_file_system().stat_path(folder_.path(kRom), &old_file).failed());
    FaultyFileSystem fs(native_file_system());
    if (!c.links) fs.fail(FileOp::kLinkTemp, 0, FileErrorKind::kAccessDenied, "Not supported");
    const CommitResult result = commit(fs, c.keep_backup);
    ASSERT_TRUE(result.ok()) << result.detail;
    EXPECT_EQ(folder_.read(kRom), new_);
    EXPECT_EQ(mode_of(folder_.path(kRom)), kKeptMode);
    std::set<std::string> expected_names{kRom};
    if (c.keep_backup || c.older_backup) expected_names.insert(kBak);
    // The older backup's state moved into the history (by a rename: the same file).
    if (c.keep_backup && c.older_backup) expected_names.insert("game.history");
    EXPECT_EQ(folder_.names(), expected_names);
    if (c.keep_backup && c.older_backup) {
      const std::vector<HistoryState> states = list_history(folder_.path(kRom));
      ASSERT_EQ(states.size(), 1u);
      EXPECT_EQ(folder_.read("game.history/" +
                             stdfs::u8path(states[0].path).filename().u8string()),
                older);
      EXPECT_EQ(result.notes, std::vector<std::string>{"the backup before is kept as " +
                                                       states[0].path});
    }
    if (c.keep_backup) {
      EXPECT_EQ(result.backup_path, folder_.path(kBak));
      EXPECT_EQ(folder_.read(kBak), old_);
      EXPECT_EQ(mode_of(folder_.path(kBak)), kKeptMode);
      FileInfo backup;
      ASSERT_FALSE(native_file_system().stat_path(folder_.path(kBak), &backup).failed());
      EXPECT_EQ(backup.node == old_file.node, c.links) << "with links, the old file itself";
    } else {
      EXPECT_EQ(result.backup_path, "");
      if (c.older_backup) {
        EXPECT_EQ(folder_.read(kBak), older);
      }
    }
  }
}

TEST_F(CommitTest, FollowsTheNameToTheFile) {
  struct Case {
    const char* name;
    std::string given;   // the path handed to the commit
    std::string file;    // the file that must change
  };
  std::vector<Case> cases = {{"non-ASCII names", "ロム/ゲーム.sfc", "ロム/ゲーム.sfc"}};
#ifndef _WIN32
  cases.push_back({"a symbolic link", "link.sfc", kRom});
  stdfs::create_symlink(kRom, folder_.at("link.sfc"));
#endif
  stdfs::create_directory(folder_.at("ロム"));
  folder_.write("ロム/ゲーム.sfc", old_);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const CommitResult result =
        commit_rom_file(folder_.path(c.given), fingerprint_of(old_), new_,
                        {}, native_file_system());
    ASSERT_TRUE(result.ok()) << result.detail;
    EXPECT_EQ(folder_.read(c.file), new_);
    EXPECT_EQ(folder_.read(c.file + ".bak"), old_);
    EXPECT_EQ(result.backup_path, folder_.path(c.file + ".bak"));
  }
#ifndef _WIN32
  EXPECT_TRUE(stdfs::is_symlink(folder_.at("link.sfc"))) << "the link itself stays a link";
#endif
}

TEST_F(CommitTest, RefusesARomThatIsNotWhatWasLoaded) {
  struct Case {
    const char* name;
    std::function<void()> change;
    CommitCode code;
  };
  Bytes longer = old_;
  longer.push_back(0);
  Bytes altered = old_;
  altered[kRomSize / 2] ^= 1;
  const Case cases[] = {
      {"one byte longer", [&] { folder_.write(kRom, longer); }, CommitCode::kChangedOnDisk},
      {"one byte different", [&] { folder_.write(kRom, altered); }, CommitCode::kChangedOnDisk},
      {"missing", [&] { stdfs::remove(folder_.at(kRom)); }, CommitCode::kMissing},
      {"a folder in its place",
       [&] {
         stdfs::remove(folder_.at(kRom));
         stdfs::create_directory(folder_.at(kRom));
       },
       CommitCode::kNotRegularFile},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    reset();
    c.change();
    const std::set<std::string> names_before = folder_.names();
    const Bytes before = folder_.read(kRom);
    const CommitResult result = commit();
    EXPECT_EQ(result.code, c.code) << result.detail;
    EXPECT_EQ(folder_.names(), names_before) << "no backup, no temporary file";
    EXPECT_EQ(folder_.read(kRom), before);
    stdfs::remove_all(folder_.at(kRom));
  }
}

// The rule of the in-place writes this replaces: refused exactly when fopen "rb+" fails. For an
// ordinary user a read-only mode is enough; root needs the immutable flag.
TEST_F(CommitTest, RefusesExactlyWhatCannotBeOpenedForUpdate) {
  struct Case {
    const char* name;
    std::function<void()> apply;
    std::function<void()> undo;
  };
  const std::string rom = folder_.path(kRom);
  const auto writable = stdfs::perms::owner_read | stdfs::perms::owner_write;
  std::vector<Case> cases = {
      {"writable", [] {}, [] {}},
      {"read-only", [&] { stdfs::permissions(folder_.at(kRom), stdfs::perms::owner_read); },
       [&] { stdfs::permissions(folder_.at(kRom), writable); }},
  };
#ifdef __linux__
  cases.push_back({"immutable", [&] { testing_support::set_immutable(rom, true); },
                   [&] { testing_support::set_immutable(rom, false); }});
#endif
  int refused = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    reset();
    c.apply();
    const bool expect_refusal = !testing_support::can_open_for_update(rom);
    const CommitResult result = commit();
    c.undo();
    if (expect_refusal) {
      ++refused;
      EXPECT_EQ(result.code, CommitCode::kNotWritable) << result.detail;
      EXPECT_EQ(folder_.read(kRom), old_);
      EXPECT_EQ(folder_.names(), std::set<std::string>{kRom})
          << "nothing written, not even a backup";
    } else {
      EXPECT_TRUE(result.ok()) << result.detail;
      EXPECT_EQ(folder_.read(kRom), new_);
    }
  }
#ifndef _WIN32
  EXPECT_GT(refused, 0) << "no way to make a file unwritable here: the refusal went untested";
#endif
}

#ifndef _WIN32
// Windows lets anyone create files in a read-only folder, so this is a POSIX case.
TEST_F(CommitTest, ReadOnlyFolderLeavesTheRomUntouched) {
  const auto can_create_here = [&] {
    const std::string probe = folder_.path("probe");
    const int fd = ::open(probe.c_str(), O_CREAT | O_EXCL | O_WRONLY, 0644);
    if (fd < 0) return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
  };
  const std::string dir = folder_.dir().string();
  stdfs::permissions(folder_.dir(), stdfs::perms::owner_read | stdfs::perms::owner_exec);
#ifdef __linux__
  if (can_create_here()) testing_support::set_immutable(dir, true);  // root ignores the mode
#endif
  const bool read_only = !can_create_here();
  const CommitResult with_backup = commit(true);
  const CommitResult without = commit(false);
#ifdef __linux__
  testing_support::set_immutable(dir, false);
#endif
  stdfs::permissions(folder_.dir(), stdfs::perms::owner_all);
  ASSERT_TRUE(read_only) << "no way to make a folder read-only here";
  EXPECT_EQ(with_backup.code, CommitCode::kBackupFailed) << with_backup.detail;
  EXPECT_EQ(without.code, CommitCode::kTempFileFailed) << without.detail;
  expect_untouched();
}
#endif

// The parts of a commit, in order, as far as the file operations show them.
enum class Phase {
  kChecking,   // open, lock, stat, hash the file
  kKeeping,    // a second name for the old file (a link, else a copy)
  kReplacing,  // the new file: written, flushed, renamed over the ROM
  kVerifying,  // read back
  kBackup,     // an older NAME.bak looked for, the old file renamed to NAME.bak
  kCleanup,    // no backup wanted: the old file's second name removed
};

// Which code a failure of one operation must be reported with.
CommitCode expected_code(FileOp op, Phase phase, bool keep_backup) {
  switch (phase) {
    case Phase::kChecking:
      return op == FileOp::kOpenUpdate || op == FileOp::kTryLock ? CommitCode::kNotWritable
                                                                 : CommitCode::kReadFailed;
    case Phase::kKeeping:
      if (op == FileOp::kLinkTemp) return CommitCode::kOk;  // a copy is made instead
      if (keep_backup) return CommitCode::kBackupFailed;
      break;
    case Phase::kReplacing: break;
    case Phase::kVerifying: return CommitCode::kReadBackFailed;
    case Phase::kBackup: return CommitCode::kBackupFailed;
    case Phase::kCleanup: return CommitCode::kOk;  // a leftover second name is no failure
  }
  if (op == FileOp::kWrite || op == FileOp::kRead) return CommitCode::kWriteFailed;
  if (op == FileOp::kSync || op == FileOp::kSyncFolder) return CommitCode::kSyncFailed;
  if (op == FileOp::kReplace) return CommitCode::kReplaceFailed;
  return CommitCode::kTempFileFailed;
}

// Every file made is flushed, each before it is renamed into place, and the folder synced right
// after each rename.
void expect_flushed_before_renamed(const std::vector<FileOp>& log) {
  EXPECT_EQ(std::count(log.begin(), log.end(), FileOp::kSync),
            std::count(log.begin(), log.end(), FileOp::kCreateTemp));
  bool flushed = false;
  for (size_t i = 0; i < log.size(); ++i) {
    if (log[i] == FileOp::kCreateTemp) flushed = false;
    if (log[i] == FileOp::kSync) flushed = true;
    if (log[i] != FileOp::kReplace) continue;
    EXPECT_TRUE(flushed) << "rename #" << i << " of a file not flushed";
    EXPECT_TRUE(i + 1 < log.size() && log[i + 1] == FileOp::kSyncFolder) << "rename #" << i;
  }
}

// Every operation of a commit, made to fail in turn, with and without a backup, with hard links
// and without: the ROM keeps its bytes (or, where the failure does not matter, holds the new
// ones), no temporary file stays, and the result names the step and the system's reason.
TEST_F(CommitTest, EveryFailingOperationLeavesTheRomAsItWas) {
  for (bool keep_backup : {true, false}) {
    for (bool links : {true, false}) {
      const auto arrange = [&](FaultyFileSystem& fs) {
        fs.limit_write_calls(kRomSize / 4);  // several writes per file
        if (!links) fs.fail(FileOp::kLinkTemp, 0, FileErrorKind::kAccessDenied, "Not supported");
      };
      reset();
      FaultyFileSystem clean(native_file_system());
      arrange(clean);
      ASSERT_TRUE(commit(clean, keep_backup).ok());
      const std::vector<FileOp> log = clean.calls();
      expect_flushed_before_renamed(log);
      int counts[static_cast<int>(FileOp::kRemove) + 1] = {};
      Phase phase = Phase::kChecking;
      for (FileOp op : log) {
        const int nth = ++counts[static_cast<int>(op)];
        if (phase == Phase::kChecking && (op == FileOp::kLinkTemp || op == FileOp::kOpenRead)) {
          phase = Phase::kKeeping;
        }
        if (op == FileOp::kCreateTemp && nth == (links ? 1 : 2)) phase = Phase::kReplacing;
        if (op == FileOp::kOpenRead && phase == Phase::kReplacing) phase = Phase::kVerifying;
        if (phase == Phase::kVerifying && (op == FileOp::kStatPath || op == FileOp::kReplace)) {
          phase = Phase::kBackup;
        }
        if (op == FileOp::kRemove) phase = Phase::kCleanup;
        SCOPED_TRACE(std::string(keep_backup ? "backup, " : "no backup, ") +
                     (links ? "links, " : "no links, ") + file_op_name(op) + " #" +
                     std::to_string(nth));
        reset();
        FaultyFileSystem faulty(native_file_system());
        arrange(faulty);
        faulty.fail(op, nth, FileErrorKind::kOther, "Input/output error");
        const CommitResult result = commit(faulty, keep_backup);
        const CommitCode code = expected_code(op, phase, keep_backup);
        EXPECT_EQ(result.code, code) << result.detail;
        if (code == CommitCode::kOk) {
          EXPECT_EQ(folder_.read(kRom), new_);
          std::set<std::string> names = folder_.names();
          EXPECT_EQ(names.erase(kBak), keep_backup ? 1u : 0u);
          if (keep_backup) {
            EXPECT_EQ(folder_.read(kBak), old_);
          }
          // Only a failed removal of the old file's second name may leave it behind.
          if (phase != Phase::kCleanup) {
            EXPECT_EQ(names, std::set<std::string>{kRom});
          }
          continue;
        }
        EXPECT_NE(result.detail.find("Input/output error"), std::string::npos) << result.detail;
        const bool after_rename = phase == Phase::kVerifying || phase == Phase::kBackup ||
                                  (phase == Phase::kReplacing && op == FileOp::kSyncFolder);
        EXPECT_EQ(result.detail.find("put back") != std::string::npos, after_rename)
            << result.detail;
        expect_untouched();
      }
    }
  }
}

TEST_F(CommitTest, FullDisksShortWritesAndBadReads) {
  enum class Rom { kOld, kNew, kNewOldKept };
  struct Case {
    const char* name;
    bool keep_backup;
    bool links;
    std::function<void(FaultyFileSystem&)> arrange;
    CommitCode code;
    const char* detail;  // a piece of the detail text
    Rom rom;
  };
  std::vector<Case> cases = {
      {"short writes are resumed", true, false,
       [](FaultyFileSystem& f) { f.limit_write_calls(1000); }, CommitCode::kOk, "", Rom::kNew},
      {"disk full at once", true, true, [](FaultyFileSystem& f) { f.set_free_space(0); },
       CommitCode::kWriteFailed, "write: No space left on device", Rom::kOld},
      {"disk full within the new ROM, short writes", true, true,
       [](FaultyFileSystem& f) {
         f.limit_write_calls(4096);
         f.set_free_space(kRomSize / 2 + 100);
       },
       CommitCode::kWriteFailed, "write: No space left on device", Rom::kOld},
      {"no links, disk full at once", true, false,
       [](FaultyFileSystem& f) { f.set_free_space(0); }, CommitCode::kBackupFailed,
       "backup write: No space left on device", Rom::kOld},
      {"no links, disk full within the copy", false, false,
       [](FaultyFileSystem& f) { f.set_free_space(kRomSize / 2); }, CommitCode::kWriteFailed,
       "write: No space left on device", Rom::kOld},
      {"no links, room for the copy only", true, false,
       [](FaultyFileSystem& f) { f.set_free_space(kRomSize); }, CommitCode::kWriteFailed,
       "write: No space left on device", Rom::kOld},
      {"the ROM reads differently than loaded", true, true,
       [](FaultyFileSystem& f) { f.corrupt_read(1); }, CommitCode::kChangedOnDisk, "SHA-256",
       Rom::kOld},
      {"the new ROM reads back wrong", true, true,
       [](FaultyFileSystem& f) { f.corrupt_read(4); },  // after the ROM's two pieces and its end
       CommitCode::kReadBackFailed, "differs", Rom::kOld},
      {"the old ROM cannot be put back either", true, true,
       [](FaultyFileSystem& f) {
         f.corrupt_read(4);
         f.fail(FileOp::kReplace, 2);  // the putting back
       },
       CommitCode::kRestoreFailed, "putting the old ROM back failed", Rom::kNewOldKept},
  };
#ifndef _WIN32
  // (Windows lets no one shorten the file while the commit holds it.)
  cases.push_back({"the new ROM reads back short", true, true,
                   [&](FaultyFileSystem& f) {
                     f.before(FileOp::kOpenRead, 1, [&] {
                       stdfs::resize_file(folder_.at(kRom), kRomSize - 1);
                     });
                   },
                   CommitCode::kReadBackFailed, "shorter", Rom::kOld});
#endif
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    reset();
    FaultyFileSystem faulty(native_file_system());
    if (!c.links) faulty.fail(FileOp::kLinkTemp, 0, FileErrorKind::kAccessDenied, "Not supported");
    c.arrange(faulty);
    const CommitResult result = commit(faulty, c.keep_backup);
    EXPECT_EQ(result.code, c.code) << result.detail;
    EXPECT_NE(result.detail.find(c.detail), std::string::npos) << result.detail;
    if (c.rom == Rom::kOld) {
      expect_untouched();
      continue;
    }
    EXPECT_EQ(folder_.read(kRom), new_);
    std::set<std::string> names = folder_.names();
    EXPECT_EQ(names.erase(kRom), 1u);
    ASSERT_EQ(names.size(), 1u);
    // The old bytes are in the backup, or under the name the detail gives.
    EXPECT_EQ(folder_.read(*names.begin()), old_);
    if (c.rom == Rom::kNew) {
      EXPECT_EQ(*names.begin(), kBak);
    }
    if (c.rom == Rom::kNewOldKept) {
      EXPECT_NE(result.detail.find("kept as " + folder_.path(*names.begin())), std::string::npos)
          << result.detail;
    }
  }
}

// ---- the writer lock ----

constexpr char kHoldLockVariable[] = "VCV_TEST_HOLD_ROM_LOCK";

void pause_briefly() {
#ifdef _WIN32
  Sleep(10);
#else
  ::usleep(10000);
#endif
}

bool appears_soon(const std::string& path) {
  for (int i = 0; i < 3000; ++i, pause_briefly()) {
    if (stdfs::exists(stdfs::u8path(path))) return true;
  }
  return false;
}

// Started with kHoldLockVariable naming a ROM, this test program is the other process of the
// lock tests: it takes the ROM's writer lock, says so with NAME.held, waits for NAME.release and
// ends before any test runs.
[[maybe_unused]] const bool kRunsAsLockingProcess = [] {
  const char* rom = std::getenv(kHoldLockVariable);
  if (rom == nullptr || *rom == 0) return false;
  FileSystem& fs = native_file_system();
  FileHandle handle;
  if (!fs.open_update(rom, &handle).failed() && !fs.try_lock(handle).failed()) {
    std::ofstream(stdfs::u8path(std::string(rom) + ".held"));
    appears_soon(std::string(rom) + ".release");
  }
  fs.close(&handle);
  std::exit(0);
}();

// This program run again as the other process, holding the ROM's lock until released.
class LockingProcess {
 public:
  explicit LockingProcess(const std::string& rom) : rom_(rom) {
#ifdef _WIN32
    _putenv_s(kHoldLockVariable, rom.c_str());
    process_ = _spawnl(_P_NOWAIT, __argv[0], __argv[0], nullptr);
    _putenv_s(kHoldLockVariable, "");
#else
    ::setenv(kHoldLockVariable, rom.c_str(), 1);
    char* argv[] = {const_cast<char*>("unit_tests"), nullptr};
    if (::posix_spawn(&process_, "/proc/self/exe", nullptr, nullptr, argv, environ) != 0) {
      process_ = -1;
    }
    ::unsetenv(kHoldLockVariable);
#endif
  }
  ~LockingProcess() { release(); }
  bool holds_lock() { return process_ != -1 && appears_soon(rom_ + ".held"); }
  void release() {
    if (process_ == -1) return;
    std::ofstream(stdfs::u8path(rom_ + ".release"));
#ifdef _WIN32
    int status = 0;
    _cwait(&status, process_, _WAIT_CHILD);
#else
    ::waitpid(process_, nullptr, 0);
#endif
    process_ = -1;
    for (const char* marker : {".held", ".release"}) stdfs::remove(stdfs::u8path(rom_ + marker));
  }

 private:
  std::string rom_;
#ifdef _WIN32
  intptr_t process_ = -1;
#else
  pid_t process_ = -1;
#endif
};

// A second writer, through another handle of this process or from another process, is refused
// at once while the first holds the lock, and may write once it is gone.
TEST_F(CommitTest, ASecondWriterIsRefusedAtOnce) {
  for (bool other_process : {false, true}) {
    SCOPED_TRACE(other_process ? "another process" : "another handle");
    reset();
    FileSystem& fs = native_file_system();
    ScopedHandle first(fs);
    std::unique_ptr<LockingProcess> holder;
    if (other_process) {
      holder = std::make_unique<LockingProcess>(folder_.path(kRom));
      ASSERT_TRUE(holder->holds_lock());
    } else {
      ASSERT_FALSE(fs.open_update(folder_.path(kRom), &first.handle).failed());
      ASSERT_FALSE(fs.try_lock(first.handle).failed());
    }
    const CommitResult result = commit();
    EXPECT_EQ(result.code, CommitCode::kBusy) << result.detail;
    holder.reset();
    fs.close(&first.handle);
    expect_untouched();
    EXPECT_TRUE(commit().ok()) << "the lock ends with its holder";
  }
}

#ifndef _WIN32
// Only POSIX lets another writer rename over the file between our open and our lock (Windows
// refuses to replace a file that is open), leaving us holding the old one.
TEST_F(CommitTest, ARomReplacedWhileOpeningIsNotWritten) {
  const Bytes theirs = pattern(kRomSize, 0x33);
  FaultyFileSystem faulty(native_file_system());
  faulty.before(FileOp::kTryLock, 1, [&] {
    folder_.write("theirs.sfc", theirs);
    stdfs::rename(folder_.at("theirs.sfc"), folder_.at(kRom));
  });
  const CommitResult result = commit(faulty);
  EXPECT_EQ(result.code, CommitCode::kBusy) << result.detail;
  EXPECT_EQ(folder_.read(kRom), theirs);
  EXPECT_EQ(folder_.names(), std::set<std::string>{kRom});
}
#endif

}  // namespace
}  // namespace vcv
