#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "platform/file_io.h"
#include "platform/file_system.h"
#include "temp_folder.h"

namespace vcv {
namespace {

namespace stdfs = std::filesystem;
using testing_support::TempFolder;
using Bytes = std::vector<uint8_t>;

const Bytes kContent = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};

TEST(ReadRegularFile, ReadsFilesAndRefusesEverythingElse) {
  TempFolder folder("file-io");
  folder.write("ten.bin", kContent);
  stdfs::create_directory(folder.at("folder"));
  struct Case {
    const char* name;
    std::string path;
    uint64_t max_bytes;
    const char* error;  // empty: read
  };
  std::vector<Case> cases = {
      {"within the limit", folder.path("ten.bin"), 100, ""},
      {"exactly the limit", folder.path("ten.bin"), 10, ""},
      {"over the limit", folder.path("ten.bin"), 9, "larger than 9 bytes"},
      {"missing", folder.path("none.bin"), 100, "no such file"},
      {"a folder", folder.path("folder"), 100, "not a regular file (a folder or a device)"},
#ifdef _WIN32
      {"a device", "NUL", 100, "not a regular file (a folder or a device)"},
#else
      {"a device", "/dev/null", 100, "not a regular file (a folder or a device)"},
      // Opening a pipe for reading would wait for a writer for ever.
      {"a pipe", folder.path("pipe"), 100, "not a regular file (a folder or a device)"},
#endif
  };
#ifndef _WIN32
  ASSERT_EQ(::mkfifo(folder.path("pipe").c_str(), 0600), 0);
#endif
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes bytes = {99};
    std::string error;
    FaultyFileSystem watched(native_file_system());
    const bool ok = read_regular_file(c.path, c.max_bytes, &bytes, &error, watched);
    EXPECT_EQ(ok, *c.error == 0);
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(bytes, ok ? kContent : Bytes{});
    const auto& calls = watched.calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), FileOp::kOpenRead), ok ? 1 : 0)
        << "what its stat refuses is never opened";
  }
}

TEST(ReadRegularFile, ReadsNoMoreThanItFoundAndReportsReadErrors) {
  TempFolder folder("file-io");
  folder.write("ten.bin", kContent);
  const std::string path = folder.path("ten.bin");
  FaultyFileSystem growing(native_file_system());
  growing.before(FileOp::kRead, 1, [&] {
    Bytes longer = kContent;
    longer.resize(20, 0xEE);
    folder.write("ten.bin", longer);
  });
  Bytes bytes;
  std::string error;
  EXPECT_TRUE(read_regular_file(path, 100, &bytes, &error, growing)) << error;
  EXPECT_EQ(bytes, kContent) << "only the ten bytes there were when it looked";

  FaultyFileSystem failing(native_file_system());
  failing.fail(FileOp::kRead, 1, FileErrorKind::kOther, "Input/output error");
  EXPECT_FALSE(read_regular_file(path, 100, &bytes, &error, failing));
  EXPECT_EQ(error, "Input/output error");
  EXPECT_TRUE(bytes.empty());
}

TEST(WriteFileAtomically, WritesNewAndExistingFiles) {
  TempFolder folder("file-io");
  folder.write("old.bin", {9, 9, 9});
#ifndef _WIN32
  stdfs::permissions(folder.at("old.bin"), stdfs::perms::owner_read | stdfs::perms::owner_write |
                                                stdfs::perms::group_read);
#endif
  for (const char* name : {"new.bin", "old.bin"}) {
    SCOPED_TRACE(name);
    std::string error;
    EXPECT_TRUE(write_file_atomically(folder.path(name), kContent, &error)) << error;
    EXPECT_EQ(folder.read(name), kContent);
  }
  EXPECT_EQ(folder.names(), (std::set<std::string>{"new.bin", "old.bin"}));
#ifndef _WIN32
  EXPECT_EQ(stdfs::status(folder.at("old.bin")).permissions(),
            stdfs::perms::owner_read | stdfs::perms::owner_write | stdfs::perms::group_read);
#endif
}

// Whatever fails, the target keeps what it held (or stays absent) and only the temporary file
// goes; something that is not a regular file is never touched.
TEST(WriteFileAtomically, FailuresTouchNothingButTheirTemporaryFile) {
  TempFolder folder("file-io");
  folder.write("old.bin", {9, 9, 9});
  stdfs::create_directory(folder.at("folder"));
  folder.write("folder/inside.bin", {7});
  struct Case {
    const char* name;
    std::string target;
    FileOp failing;  // kRemove: no fault
    const char* error;
  };
  std::vector<Case> cases = {
      {"a folder", "folder", FileOp::kRemove,
       "not a regular file (a folder or a device); left as it is"},
      {"failed write, existing file", "old.bin", FileOp::kWrite, "write: Input/output error"},
      {"failed flush, new file", "new.bin", FileOp::kSync, "flush: Input/output error"},
      {"failed rename, existing file", "old.bin", FileOp::kReplace, "rename: Input/output error"},
      {"no such folder", "none/new.bin", FileOp::kRemove, ""},
  };
#ifndef _WIN32
  ASSERT_EQ(::mkfifo(folder.path("pipe").c_str(), 0600), 0);
  cases.push_back({"a pipe", "pipe", FileOp::kRemove,
                   "not a regular file (a folder or a device); left as it is"});
#endif
  const std::set<std::string> names = folder.names();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FaultyFileSystem faulty(native_file_system());
    if (c.failing != FileOp::kRemove) faulty.fail(c.failing, 1);
    std::string error;
    EXPECT_FALSE(write_file_atomically(folder.path(c.target), kContent, &error, faulty));
    if (*c.error != 0) {
      EXPECT_EQ(error, c.error);
    }
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(folder.names(), names);
    EXPECT_EQ(folder.read("old.bin"), (Bytes{9, 9, 9}));
    EXPECT_EQ(folder.read("folder/inside.bin"), Bytes{7});
  }
#ifndef _WIN32
  EXPECT_TRUE(stdfs::is_fifo(folder.at("pipe")));
#endif
}

}  // namespace
}  // namespace vcv
