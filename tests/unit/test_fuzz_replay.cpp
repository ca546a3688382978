// Every fuzz target, built into the unit tests, runs once more on every input saved for it: the
// seeds it starts from and the findings kept in fuzz/crashes/NAME, so that a fixed fault stays
// fixed.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "fuzz_target.h"

namespace vcv::fuzz {

namespace {

struct Target {
  std::string name;
  TargetFunction run;
};

std::vector<Target>& registered_targets() {
  static std::vector<Target> targets;
  return targets;
}

struct CheckFailed : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::vector<uint8_t> file_bytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::filesystem::path> saved_inputs(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> files;
  std::error_code error;
  if (!std::filesystem::is_directory(folder, error)) return files;
  for (const auto& item : std::filesystem::directory_iterator(folder)) {
    if (item.is_regular_file()) files.push_back(item.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

Registration::Registration(const char* name, TargetFunction run) {
  registered_targets().push_back({name, run});
}

void fail(const char* what) { throw CheckFailed(what); }

namespace {

TEST(FuzzReplay, EverySavedInputOfEveryTargetPasses) {
  const std::filesystem::path root = std::filesystem::path(VANTOR_SOURCE_DIR) / "fuzz";
  ASSERT_TRUE(std::filesystem::is_directory(root)) << root.string();
  ASSERT_FALSE(registered_targets().empty());
  int replayed = 0;
  for (const Target& target : registered_targets()) {
    for (const char* kind : {"seeds", "crashes"}) {
      for (const auto& path : saved_inputs(root / kind / target.name)) {
        const std::vector<uint8_t> bytes = file_bytes(path);
        try {
          target.run(bytes.data(), bytes.size());
        } catch (const CheckFailed& failure) {
          ADD_FAILURE() << target.name << " on " << path.string() << ": " << failure.what();
        }
        ++replayed;
      }
    }
  }
  EXPECT_GT(replayed, 0);
}

}  // namespace
}  // namespace vcv::fuzz
