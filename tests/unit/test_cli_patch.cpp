// vantorchar patch create|apply|info, history and restore, as a user runs them.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "cli_test_support.h"
#include "platform/sha256.h"
#include "rom/rom_commit.h"
#include "rom/rom_history.h"
#include "temp_folder.h"
#include "write_test_support.h"

namespace vcv {
namespace {

namespace stdfs = std::filesystem;
using Bytes = std::vector<uint8_t>;
using cli_test::run_captured;
using testing_support::TempFolder;

constexpr size_t kHeader = 512;

Bytes image(size_t size, unsigned seed) {
  Bytes bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>((i * 7 + (i >> 9)) ^ seed);
  return bytes;
}

Bytes with_header(const Bytes& body, bool header) {
  Bytes out(header ? kHeader + body.size() : body.size(), 0xCC);
  std::copy(body.begin(), body.end(), out.end() - static_cast<long>(body.size()));
  return out;
}

// Patches describe headerless images: made between files with or without copier headers, they
// apply to either, and the output carries the header its input had.
TEST(CliPatch, RoundTripsWithCopierHeadersOnEitherSide) {
  TempFolder folder("cli-patch");
  const Bytes original = image(64 * 1024, 1);
  Bytes modified = original;
  std::rotate(modified.begin() + 1000, modified.begin() + 5000, modified.begin() + 20000);
  modified.resize(70 * 1024, 0x11);
  for (const char* ext : {".bps", ".ips"}) {
    for (int sides = 0; sides < 8; ++sides) {
      const bool original_header = sides & 1;
      const bool modified_header = sides & 2;
      const bool input_header = sides & 4;
      SCOPED_TRACE(std::string(ext) + " headers: original " + std::to_string(original_header) +
                   ", modified " + std::to_string(modified_header) + ", input " +
                   std::to_string(input_header));
      folder.write("a.sfc", with_header(original, original_header));
      folder.write("b.sfc", with_header(modified, modified_header));
      folder.write("in.sfc", with_header(original, input_header));
      const std::string patch = folder.path(std::string("p") + ext);
      ASSERT_EQ(run_captured({"patch", "create", folder.path("a.sfc"), folder.path("b.sfc"), "-o",
                              patch}).code,
                0);
      const auto applied =
          run_captured({"patch", "apply", folder.path("in.sfc"), patch, "-o", folder.path("out.sfc")});
      ASSERT_EQ(applied.code, 0) << applied.err;
      EXPECT_EQ(folder.read("out.sfc"), with_header(modified, input_header));
    }
  }
  const auto info = run_captured({"patch", "info", folder.path("p.bps")});
  EXPECT_EQ(info.code, 0);
  EXPECT_NE(info.out.find("source: 65536 bytes, CRC32 "), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("target: 71680 bytes, CRC32 "), std::string::npos) << info.out;
}

TEST(CliPatch, RefusesWithOneLineAndWritesNothing) {
  TempFolder folder("cli-patch-refusals");
  const Bytes original = image(8192, 1);
  const Bytes modified = image(8192, 2);
  folder.write("a.sfc", original);
  folder.write("b.sfc", modified);
  ASSERT_EQ(run_captured({"patch", "create", folder.path("a.sfc"), folder.path("b.sfc"), "-o",
                          folder.path("p.bps")}).code,
            0);
  Bytes damaged = folder.read("p.bps");
  damaged[damaged.size() / 2] ^= 1;
  folder.write("damaged.bps", damaged);
  struct Case {
    const char* name;
    std::vector<std::string> args;
    int code;
    const char* says;
  };
  const Case cases[] = {
      {"another ROM", {"patch", "apply", folder.path("b.sfc"), folder.path("p.bps"), "-o",
                       folder.path("out.sfc")},
       1, "expected 8192 bytes with CRC32 "},
      {"a damaged patch", {"patch", "apply", folder.path("a.sfc"), folder.path("damaged.bps"),
                           "-o", folder.path("out.sfc")},
       1, "damaged"},
      {"the output is the ROM", {"patch", "apply", folder.path("a.sfc"), folder.path("p.bps"),
                                 "-o", folder.path("a.sfc")},
       1, "is the ROM being read"},
      {"a patch name of no format", {"patch", "create", folder.path("a.sfc"),
                                     folder.path("b.sfc"), "-o", folder.path("p.txt")},
       2, ".bps or .ips"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto run = run_captured(c.args);
    EXPECT_EQ(run.code, c.code);
    EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_FALSE(stdfs::exists(folder.at("out.sfc")));
    EXPECT_FALSE(stdfs::exists(folder.at("p.txt")));
    EXPECT_EQ(folder.read("a.sfc"), original);
  }
  const auto found = run_captured({"patch", "apply", folder.path("b.sfc"), folder.path("p.bps"),
                                   "-o", folder.path("out.sfc")});
  EXPECT_NE(found.err.find("found 8192 bytes with CRC32 "), std::string::npos) << found.err;
}

// Three writes of the demo ROM, then the history and a restore through the normal write.
TEST(CliHistory, ListsTheStatesAndRestoresOneExactly) {
  TempFolder folder("cli-history");
  const std::string rom = folder.path("demo.sfc");
  std::vector<Bytes> states{testing_support::demo_rom_bytes()};
  for (int n = 1; n <= 3; ++n) {
    Bytes next = states.back();
    next[0x240018 + n] ^= 0x1F;  // a colour of palette type 1, then another
    states.push_back(next);
  }
  folder.write("demo.sfc", states[0]);
  for (int n = 1; n <= 3; ++n) {
    ASSERT_TRUE(commit_rom_file(rom, fingerprint_of(states[n - 1]), states[n], {}).ok());
    // Each backup dated a second later than the one before.
    stdfs::last_write_time(folder.at("demo.sfc.bak"),
                           stdfs::file_time_type::clock::now() + std::chrono::seconds(n));
  }
  // Kept: states 0 and 1 in the history, state 2 as the .bak.
  const auto listed = run_captured({"history", rom});
  ASSERT_EQ(listed.code, 0) << listed.err;
  const std::string sha0 = sha256_hex(sha256(states[0].data(), states[0].size())).substr(0, 12);
  std::vector<std::string> lines;
  for (size_t at = 0, end; (end = listed.out.find('\n', at)) != std::string::npos; at = end + 1) {
    lines.push_back(listed.out.substr(at, end - at));
  }
  ASSERT_EQ(lines.size(), 3u) << listed.out;
  EXPECT_EQ(lines[0].substr(0, 2), " 1");
  EXPECT_NE(lines[0].find(sha0), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find("1 entry differs"), std::string::npos) << lines[0];  // palette type 1
  EXPECT_NE(lines[2].find("(the .bak)"), std::string::npos) << lines[2];

  const auto asked = run_captured({"restore", rom, "1"});
  EXPECT_EQ(asked.code, 1);
  EXPECT_NE(asked.err.find("add --yes"), std::string::npos);
  EXPECT_EQ(folder.read("demo.sfc"), states[3]);

  const auto restored = run_captured({"restore", rom, "1", "--yes"});
  ASSERT_EQ(restored.code, 0) << restored.err;
  EXPECT_EQ(folder.read("demo.sfc"), states[0]);
  EXPECT_EQ(folder.read("demo.sfc.bak"), states[3]);
  // The state restored stays in the history, and the .bak it replaced joined it.
  const std::vector<HistoryState> kept = list_history(rom);
  ASSERT_EQ(kept.size(), 3u);
  EXPECT_EQ(testing_support::read_all(kept[0].path), states[0]);
  EXPECT_EQ(testing_support::read_all(kept[2].path), states[2]);
  EXPECT_EQ(run_captured({"restore", rom, "9", "--yes"}).code, 1);
}

}  // namespace
}  // namespace vcv
