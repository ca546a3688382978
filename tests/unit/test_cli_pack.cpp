// vantorchar pack / unpack on temporary files.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench_data.h"
#include "cli/cli.h"
#include "sprite/codec.h"
#include "sprite/codec_optimal.h"
#include "cli_test_support.h"

namespace vcv {
namespace {

using Bytes = std::vector<unsigned char>;

bool put(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
  return out.good();
}

bool get(const std::string& path, Bytes* bytes) {
  std::ifstream in(path, std::ios::binary);
  *bytes = Bytes(std::istreambuf_iterator<char>(in), {});
  return in.good() || in.eof();
}

using Outcome = cli_test::CliRun;

Outcome run(const std::vector<std::string>& args) { return cli_test::run_captured(args); }

class CliPack : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = std::filesystem::temp_directory_path() /
              (std::string("vcv_cli_pack_") + info->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  std::string file(const char* name) const { return (folder_ / name).string(); }
  bool exists(const char* name) const { return std::filesystem::exists(folder_ / name); }

  std::filesystem::path folder_;
};

void expect_one_line_error(const Outcome& outcome, int code) {
  EXPECT_EQ(outcome.code, code);
  EXPECT_TRUE(outcome.out.empty()) << outcome.out;
  ASSERT_FALSE(outcome.err.empty());
  EXPECT_EQ(outcome.err.find('\n'), outcome.err.size() - 1) << outcome.err;
}

TEST_F(CliPack, PackThenUnpackRoundTrips) {
  const Bytes picture = testdata::sprite_tiles(5000, 41);
  ASSERT_TRUE(put(file("in.bin"), picture));
  const Outcome packed = run({"pack", file("in.bin"), file("block.bin")});
  ASSERT_EQ(packed.code, 0) << packed.err;

  Bytes block;
  ASSERT_TRUE(get(file("block.bin"), &block));
  Bytes expected(kPackedBufferSize);
  const int size = pack_block_best(picture.data(), static_cast<int>(picture.size()),
                                   expected.data(), kPackedBufferSize);
  expected.resize(static_cast<size_t>(size));
  EXPECT_EQ(block, expected);
  EXPECT_EQ(packed.out, "packed=" + std::to_string(size) + "\n");

  const Outcome unpacked = run({"unpack", file("block.bin"), file("out.bin")});
  ASSERT_EQ(unpacked.code, 0) << unpacked.err;
  EXPECT_EQ(unpacked.out,
            "decoded=" + std::to_string(picture.size()) + " packed=" + std::to_string(size) + "\n");
  Bytes decoded;
  ASSERT_TRUE(get(file("out.bin"), &decoded));
  EXPECT_EQ(decoded, picture);
}

TEST_F(CliPack, ModesAndSearchesSelectTheEncoder) {
  const Bytes run20(20, 0x07);
  ASSERT_TRUE(put(file("in.bin"), run20));
  const Outcome long_mode =
      run({"pack", "--mode", "long", "--search=scan", file("in.bin"), file("long.bin")});
  ASSERT_EQ(long_mode.code, 0) << long_mode.err;
  EXPECT_EQ(long_mode.out, "packed=11\n");
  const Outcome short_mode = run({"pack", "--mode=short", file("in.bin"), file("short.bin")});
  EXPECT_EQ(short_mode.out, "packed=10\n");
  Bytes block;
  ASSERT_TRUE(get(file("long.bin"), &block));
  EXPECT_EQ(block, (Bytes{0x00, 0x00, 0x03, 0x0A, 0x00, 0x0A, 0x07, 0x01, 0xF0, 0x07, 0x00}));

  // The optimal encoder, on a picture where it beats the both-mode greedy block.
  const Bytes picture = testdata::sprite_tiles(9000, 82);
  ASSERT_TRUE(put(file("picture.bin"), picture));
  Bytes expected(kPackedBufferSize), best(kPackedBufferSize);
  const int count = static_cast<int>(picture.size());
  const int size = pack_block_optimal(picture.data(), count, expected.data(), kPackedBufferSize);
  ASSERT_LT(size, pack_block_best(picture.data(), count, best.data(), kPackedBufferSize));
  expected.resize(static_cast<size_t>(size));
  const Outcome optimal = run({"pack", "--mode", "optimal", file("picture.bin"), file("o.bin")});
  ASSERT_EQ(optimal.code, 0) << optimal.err;
  EXPECT_EQ(optimal.out, "packed=" + std::to_string(size) + "\n");
  ASSERT_TRUE(get(file("o.bin"), &block));
  EXPECT_EQ(block, expected);
}

TEST_F(CliPack, LargestPictureIsOneByteBelowTheDecodingLimit) {
  // unpack decodes into 65536 bytes, and a block must decode to fewer: 65536 bytes could be
  // packed but never come back, so pack refuses them.
  for (const char* mode : {"best", "optimal"}) {
    ASSERT_TRUE(put(file("full.bin"), Bytes(kPackedBufferSize, 0)));
    const Outcome full = run({"pack", "--mode", mode, file("full.bin"), file("full.blk")});
    expect_one_line_error(full, 1);
    EXPECT_NE(full.err.find("65535"), std::string::npos) << full.err;
    EXPECT_FALSE(exists("full.blk"));

    const Bytes largest = testdata::byte_runs(kPackedBufferSize - 1, 43, 50);
    ASSERT_TRUE(put(file("largest.bin"), largest));
    const Outcome packed = run({"pack", "--mode", mode, file("largest.bin"), file("largest.blk")});
    ASSERT_EQ(packed.code, 0) << packed.err;
    const Outcome unpacked = run({"unpack", file("largest.blk"), file("back.bin")});
    ASSERT_EQ(unpacked.code, 0) << unpacked.err;
    Bytes back;
    ASSERT_TRUE(get(file("back.bin"), &back));
    EXPECT_EQ(back, largest) << mode;
  }
}

TEST_F(CliPack, UnpackFindsABlockAtAnOffset) {
  Bytes container(0x30, 0xAA);
  const Bytes block{0x00, 0x00, 0x42, 0x09, 0x00, 0x06, 0x07, 0x01, 0x80, 0x00};
  container.insert(container.end(), block.begin(), block.end());
  ASSERT_TRUE(put(file("rom.bin"), container));
  const Outcome outcome = run({"unpack", file("rom.bin"), file("out.bin"), "--offset", "0x30"});
  ASSERT_EQ(outcome.code, 0) << outcome.err;
  EXPECT_EQ(outcome.out, "decoded=20 packed=10\n");
  // The same block with a limit it reaches fails, and leaves no output file.
  const Outcome limited =
      run({"unpack", file("rom.bin"), file("cut.bin"), "--offset=48", "--limit", "20"});
  expect_one_line_error(limited, 1);
  EXPECT_NE(limited.err.find("at offset 0x30 "), std::string::npos) << "offsets in hex";
  EXPECT_FALSE(exists("cut.bin"));
}

// A SNES address is mapped as the window program maps the ROM: HiROM, past a copier header.
TEST_F(CliPack, UnpackFindsABlockAtASnesAddress) {
  const Bytes block{0x00, 0x00, 0x42, 0x09, 0x00, 0x06, 0x07, 0x01, 0x80, 0x00};
  for (int header : {0, 512}) {
    Bytes rom(static_cast<size_t>(header) + 0x30000, 0xAA);
    std::copy(block.begin(), block.end(), rom.begin() + header + 0x21234);
    ASSERT_TRUE(put(file("rom.bin"), rom));
    for (const char* address : {"C2:1234", "c21234", "0xC21234", "02:1234"}) {
      const Outcome outcome =
          run({"unpack", file("rom.bin"), file("out.bin"), "--address", address});
      EXPECT_EQ(outcome.code, 0) << address << " header " << header << ": " << outcome.err;
      EXPECT_EQ(outcome.out, "decoded=20 packed=10\n");
    }
  }
  for (const char* bad : {"C2:12345", "C21234AB", "G2:1234", ":1234", ""}) {
    expect_one_line_error(
        run({"unpack", file("rom.bin"), file("out.bin"), "--address", bad}), 2);
  }
  expect_one_line_error(run({"unpack", file("rom.bin"), file("o.bin"), "--address", "C21234",
                             "--offset", "0"}),
                        2);
  expect_one_line_error(run({"unpack", file("rom.bin"), file("o.bin"), "--address", "E4:0000"}),
                        1);
}

#ifndef _WIN32
// What is no plain file is refused before anything is read: a folder, an endless device.
TEST_F(CliPack, InputsThatAreNoFilesAreRefused) {
  for (const char* command : {"pack", "unpack"}) {
    expect_one_line_error(run({command, "/dev/zero", file("o.bin")}), 1);
    expect_one_line_error(run({command, folder_.string(), file("o.bin")}), 1);
  }
  EXPECT_FALSE(exists("o.bin"));
}
#endif

TEST_F(CliPack, FailuresAndUsageErrorsSayWhyInOneLine) {
  ASSERT_TRUE(put(file("small.bin"), Bytes{1, 2, 3}));
  ASSERT_TRUE(put(file("big.bin"), Bytes(kMaxDecodedInput + 1, 0)));
  ASSERT_TRUE(
      put(file("noise.bin"), testdata::random_bytes(kPackedBufferSize - 1, 5)));

  expect_one_line_error(run({"pack", file("missing.bin"), file("o.bin")}), 1);
  expect_one_line_error(run({"pack", file("big.bin"), file("o.bin")}), 1);
  expect_one_line_error(run({"pack", file("noise.bin"), file("o.bin")}), 1);
  expect_one_line_error(run({"pack", "--mode", "optimal", file("noise.bin"), file("o.bin")}), 1);
  expect_one_line_error(run({"pack", file("small.bin"), (folder_ / "no" / "o.bin").string()}), 1);
  expect_one_line_error(run({"unpack", file("small.bin"), file("o.bin")}), 1);
  expect_one_line_error(run({"unpack", file("small.bin"), file("o.bin"), "--offset", "3"}), 1);
  EXPECT_FALSE(exists("o.bin"));

  expect_one_line_error(run({"pack", file("small.bin")}), 2);
  expect_one_line_error(run({"pack", "--mode", "tiny", file("small.bin"), file("o.bin")}), 2);
  expect_one_line_error(run({"pack", "--search", "slow", file("small.bin"), file("o.bin")}), 2);
  expect_one_line_error(
      run({"pack", "--mode=optimal", "--search=scan", file("small.bin"), file("o.bin")}), 2);
  expect_one_line_error(run({"pack", "--fast", file("small.bin"), file("o.bin")}), 2);
  expect_one_line_error(run({"pack", file("small.bin"), file("o.bin"), "--mode"}), 2);
  expect_one_line_error(run({"unpack", file("small.bin"), file("o.bin"), "--limit", "65537"}), 2);
  expect_one_line_error(run({"unpack", file("small.bin"), file("o.bin"), "--limit", "0"}), 2);
  expect_one_line_error(run({"unpack", file("small.bin"), file("o.bin"), "--offset", "-1"}), 2);
  expect_one_line_error(run({"unpack", file("small.bin"), file("o.bin"), "--offset", "0xZZ"}), 2);
  EXPECT_FALSE(exists("o.bin"));
}

}  // namespace
}  // namespace vcv
