// The ROM image in memory (SNES address mapping, reads past the end, all-or-nothing writes) and
// the file it is read from (opening, refusals, non-ASCII names, replacing it with a changed image).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "rom/rom_file.h"

namespace vcv {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> pattern(size_t size) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + 3);
  return bytes;
}

TEST(RomImageMapping, HiRomAndLoRomOffsets) {
  const RomImage hirom({}, kMappingHiRom, 0);
  EXPECT_EQ(hirom.file_offset(0xE4, 0xF000), 0x24F000);
  EXPECT_EQ(hirom.file_offset(0xE4, 0xF005), 0x24F005);
  EXPECT_EQ(hirom.file_offset(0xD1, 0x4B00), 0x114B00);
  EXPECT_EQ(hirom.file_offset(0xC0, 0x0000), 0);
  EXPECT_EQ(hirom.file_offset(0xFF, 0xFFFF), 0x3FFFFF);
  EXPECT_EQ(hirom.file_offset(0x24, 0xF000), hirom.file_offset(0xE4, 0xF000));
  EXPECT_EQ(hirom.file_offset(0x1E4, 0x1F000), 0x24F000) << "only the low 8 and 16 bits count";
  const RomImage lorom({}, kMappingLoRom, 0x200);
  EXPECT_EQ(lorom.file_offset(0x80, 0x8000), 0x200);
  EXPECT_EQ(lorom.file_offset(0x81, 0x8000), 0x8200);
  EXPECT_EQ(lorom.file_offset(0x00, 0x8000), 0x200);
  EXPECT_EQ(RomImage({}, 7, 0).file_offset(0xE4, 0xF000), 0) << "an unknown mapping gives 0";
  EXPECT_EQ(RomImage({}, kMappingHiRom, 512).file_offset(0xC0, 0x0010), 0x210) << "the base";
}

TEST(RomImageReads, AtAndBeyondTheEnd) {
  const std::vector<uint8_t> bytes = pattern(0x20000);
  const RomImage rom(bytes, kMappingHiRom, 0);
  EXPECT_EQ(rom.read_byte(0xC1, 0x0010), bytes[0x10010]);
  EXPECT_EQ(rom.read_word(0xC0, 0x1234), bytes[0x1234] | (bytes[0x1235] << 8));
  EXPECT_EQ(rom.read_byte(0xC2, 0x0000), 0xFF) << "at the end of the file";
  EXPECT_EQ(rom.read_word(0xC5, 0x0000), 0xFFFF);
  EXPECT_EQ(rom.read_word(0xC1, 0xFFFF), bytes[0x1FFFF] | 0xFF00) << "last byte then the fill";
  // A block crossing the end stores only what exists and leaves the rest untouched.
  std::vector<uint8_t> block(8, 0xAA);
  rom.read_block(0xC1, 0xFFFC, 8, block.data());
  for (int i = 0; i < 4; ++i) EXPECT_EQ(block[i], bytes[0x1FFFC + i]);
  for (int i = 4; i < 8; ++i) EXPECT_EQ(block[i], 0xAA);
  // A read crossing a bank continues in file order.
  rom.read_block(0xC0, 0xFFFE, 4, block.data());
  for (int i = 0; i < 4; ++i) EXPECT_EQ(block[i], bytes[0xFFFE + i]);
  EXPECT_EQ(rom.read_at(-1, 4, block.data()), 0);
  // The LoROM base skips a header: 80:8000 is the first byte after it.
  EXPECT_EQ(RomImage(bytes, kMappingLoRom, 0x200).read_byte(0x80, 0x8000), bytes[0x200]);
}

TEST(RomImageWrites, AreAllOrNothingInsideTheImage) {
  const std::vector<uint8_t> original(0x30000, 0x11);
  RomImage rom(original, kMappingHiRom, 0);
  const uint8_t bytes[3] = {1, 2, 3};
  EXPECT_TRUE(rom.write_block(0xC0, 0x10, 3, bytes));
  EXPECT_TRUE(rom.write_word(0xC1, 0xFFFF, 0x1234)) << "crosses into the next bank";
  EXPECT_TRUE(rom.write_at(0x5, 2, bytes));
  EXPECT_FALSE(rom.write_long(0xC2, 0xFFFE, 0xC01100)) << "one byte would lie past the end";
  EXPECT_FALSE(rom.write_long(0xE2, 0x0000, 0xC01100)) << "the image never grows";
  EXPECT_FALSE(rom.write_at(-1, 3, bytes));
  std::vector<uint8_t> expected = original;
  expected[0x10] = 1, expected[0x11] = 2, expected[0x12] = 3;
  expected[0x1FFFF] = 0x34, expected[0x20000] = 0x12;
  expected[0x5] = 1, expected[0x6] = 2;
  EXPECT_EQ(rom.bytes(), expected);
  EXPECT_TRUE(rom.contains(0x2FFFD, 3));
  EXPECT_FALSE(rom.contains(0x2FFFD, 4));
}

class RomFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("vcv_rom_file_" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  std::string write_image(const std::string& name, const std::vector<uint8_t>& bytes) {
    const fs::path path = dir_ / name;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
    return path.string();
  }
  std::vector<uint8_t> read_back(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
  }
  fs::path dir_;
};

TEST_F(RomFileTest, OpensIntoMemoryAndRefusesWhatIsNoRom) {
  const std::vector<uint8_t> bytes = pattern(0x1000);
  const std::string path = write_image("small.sfc", bytes);
  RomFile rom;
  ASSERT_TRUE(rom.open(path, kMappingHiRom, 0).ok());
  EXPECT_EQ(rom.path(), path);
  EXPECT_EQ(rom.image().bytes(), bytes);
  // The file can change or go; the image stays as it was read.
  fs::remove(path);
  EXPECT_EQ(rom.image().read_byte(0xC0, 0x10), bytes[0x10]);

  const struct {
    std::string path;
    RomOpenStatus status;
  } refused[] = {
      {(dir_ / "missing.sfc").string(), RomOpenStatus::kCannotOpen},
      {std::string(300, 'a'), RomOpenStatus::kCannotOpen},
  };
  for (const auto& c : refused) {
    const RomOpenResult result = rom.open(c.path, kMappingHiRom, 0);
    EXPECT_EQ(result.status, c.status) << c.path;
    EXPECT_FALSE(result.reason.empty());
    EXPECT_FALSE(rom.is_open()) << "a failed open leaves nothing open";
  }
}

TEST_F(RomFileTest, OpensNonAsciiPaths) {
  // The folder and file are made through std::filesystem, which knows the platform's wide
  // names; RomFile gets the same path as UTF-8 text.
  const fs::path folder = dir_ / fs::u8path(u8"ロム");
  fs::create_directories(folder);
  const fs::path file = folder / fs::u8path(u8"テスト.sfc");
  {
    std::ofstream out(file, std::ios::binary);
    out.put(0x42);
  }
  ASSERT_TRUE(fs::exists(file));
  RomFile rom;
  ASSERT_TRUE(rom.open(file.u8string(), kMappingHiRom, 0).ok());
  EXPECT_EQ(rom.image().read_byte(0xC0, 0), 0x42);
}

TEST_F(RomFileTest, AChangedImageReplacesTheFileAndKeepsTheOldOneAsItsBackup) {
  const std::vector<uint8_t> original(0x3000, 0x11);
  const std::string path = write_image("rw.sfc", original);
  RomFile rom;
  ASSERT_TRUE(rom.open(path, kMappingHiRom, 0).ok());
  RomImage changed = rom.image();
  const uint8_t bytes[2] = {1, 2};
  ASSERT_TRUE(changed.write_at(0x10, 2, bytes));

  rom.set_read_only(true);
  EXPECT_EQ(rom.replace_image(changed).code, CommitCode::kReadOnly);
  EXPECT_EQ(read_back(path), original);
  EXPECT_EQ(rom.image().bytes(), original);

  rom.set_read_only(false);
  const CommitResult written = rom.replace_image(changed);
  ASSERT_TRUE(written.ok()) << written.describe();
  EXPECT_EQ(read_back(path), changed.bytes());
  EXPECT_EQ(rom.image().bytes(), changed.bytes());
  EXPECT_EQ(written.backup_path, path + ".bak");
  EXPECT_EQ(read_back(path + ".bak"), original);

  // The next write starts from what was written, and without a backup leaves the old one alone.
  RomImage again = rom.image();
  ASSERT_TRUE(again.write_at(0x20, 2, bytes));
  rom.set_keep_backup(false);
  ASSERT_TRUE(rom.replace_image(again).ok());
  EXPECT_EQ(read_back(path), again.bytes());
  EXPECT_EQ(read_back(path + ".bak"), original);
  rom.close();
  EXPECT_EQ(rom.replace_image(changed).code, CommitCode::kNotOpen);
}

// What the commit refuses reaches the caller as a status of its own, with the file untouched.
TEST_F(RomFileTest, AFileChangedOrBusyOrFailingIsLeftAsItIs) {
  const std::vector<uint8_t> original(0x3000, 0x22);
  const struct {
    const char* name;
    CommitCode code;
  } cases[] = {{"changed", CommitCode::kChangedOnDisk},
               {"removed", CommitCode::kMissing},
               {"full disk", CommitCode::kWriteFailed}};
  for (const auto& c : cases) {
    const std::string path = write_image("case.sfc", original);
    RomFile rom;
    ASSERT_TRUE(rom.open(path, kMappingHiRom, 0).ok());
    RomImage changed = rom.image();
    const uint8_t byte = 0x99;
    ASSERT_TRUE(changed.write_at(0, 1, &byte));
    FaultyFileSystem fs(native_file_system());
    std::vector<uint8_t> expected = original;
    if (std::string(c.name) == "changed") {
      expected[5] = 0x77;
      write_image("case.sfc", expected);
    } else if (std::string(c.name) == "removed") {
      fs::remove(path);
      expected.clear();
    } else {
      fs.set_free_space(100);
    }
    const CommitResult result = rom.replace_image(changed, fs);
    EXPECT_EQ(result.code, c.code) << c.name;
    EXPECT_FALSE(result.detail.empty()) << c.name;
    EXPECT_EQ(read_back(path), expected) << c.name;
    EXPECT_EQ(rom.image().bytes(), original) << c.name;
    EXPECT_FALSE(fs::exists(path + ".bak")) << c.name;
    std::error_code ignored;
    fs::remove(path, ignored);
  }
}

}  // namespace
}  // namespace vcv
