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

class RomFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("vcv_rom_file_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  std::string write_image(const std::string& name, const std::vector<uint8_t>& bytes) {
    const fs::path path = dir_ / name;
    std::FILE* f = std::fopen(path.string().c_str(), "wb");
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return path.string();
  }
  std::vector<uint8_t> read_back(const std::string& path) {
    std::vector<uint8_t> bytes(static_cast<size_t>(fs::file_size(path)));
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!bytes.empty()) {
      EXPECT_EQ(std::fread(bytes.data(), 1, bytes.size(), f), bytes.size());
    }
    std::fclose(f);
    return bytes;
  }
  fs::path dir_;
};

TEST(RomFileMapping, HiRomAndLoRomOffsets) {
  RomFile rom;
  EXPECT_EQ(rom.open("/nonexistent/file.sfc", kMappingHiRom, 0), 0);
  EXPECT_EQ(rom.file_offset(0xE4, 0xF000), 0x24F000);
  EXPECT_EQ(rom.file_offset(0xE4, 0xF005), 0x24F005);
  EXPECT_EQ(rom.file_offset(0xD1, 0x4B00), 0x114B00);
  EXPECT_EQ(rom.file_offset(0xC0, 0x0000), 0);
  EXPECT_EQ(rom.file_offset(0xFF, 0xFFFF), 0x3FFFFF);
  EXPECT_EQ(rom.file_offset(0x24, 0xF000), rom.file_offset(0xE4, 0xF000));
  EXPECT_EQ(rom.file_offset(0x1E4, 0x1F000), 0x24F000) << "only the low 8 and 16 bits count";
  rom.open("/nonexistent/file.sfc", kMappingLoRom, 0x200);
  EXPECT_EQ(rom.file_offset(0x80, 0x8000), 0x200);
  EXPECT_EQ(rom.file_offset(0x81, 0x8000), 0x8200);
  EXPECT_EQ(rom.file_offset(0x00, 0x8000), 0x200);
  rom.open("/nonexistent/file.sfc", 7, 0);
  EXPECT_EQ(rom.file_offset(0xE4, 0xF000), 0) << "an unknown mapping gives offset 0";
}

TEST_F(RomFileTest, ReadsAtAndBeyondTheEnd) {
  std::vector<uint8_t> image(0x20000);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 7 + 3);
  const std::string path = write_image("small.sfc", image);
  RomFile rom;
  ASSERT_EQ(rom.open(path.c_str(), kMappingHiRom, 0), 1);
  EXPECT_EQ(rom.read_byte(0xC1, 0x0010), image[0x10010]);
  EXPECT_EQ(rom.read_word(0xC0, 0x1234), image[0x1234] | (image[0x1235] << 8));
  EXPECT_EQ(rom.read_byte(0xC2, 0x0000), 0xFF) << "at the end of the file";
  EXPECT_EQ(rom.read_word(0xC5, 0x0000), 0xFFFF);
  EXPECT_EQ(rom.read_word(0xC1, 0xFFFF), image[0x1FFFF] | 0xFF00) << "last byte then the fill";
  // A block crossing the end stores only what exists and leaves the rest untouched.
  std::vector<uint8_t> block(8, 0xAA);
  rom.read_block(0xC1, 0xFFFC, 8, block.data());
  for (int i = 0; i < 4; ++i) EXPECT_EQ(block[i], image[0x1FFFC + i]);
  for (int i = 4; i < 8; ++i) EXPECT_EQ(block[i], 0xAA);
  // A read crossing a bank continues in file order.
  rom.read_block(0xC0, 0xFFFE, 4, block.data());
  for (int i = 0; i < 4; ++i) EXPECT_EQ(block[i], image[0xFFFE + i]);
}

TEST_F(RomFileTest, NothingOpenReadsZeroAndWritesNothing) {
  RomFile rom;
  EXPECT_FALSE(rom.is_open());
  EXPECT_EQ(rom.read_byte(0xC0, 0), 0);
  EXPECT_EQ(rom.read_word(0xC0, 0), 0);
  std::vector<uint8_t> block(4, 0x5A);
  rom.read_block(0xC0, 0, 4, block.data());
  EXPECT_EQ(block, std::vector<uint8_t>(4, 0x5A));
  EXPECT_EQ(rom.write_block(0xC0, 0, 4, block.data()), 0);
  EXPECT_EQ(rom.write_at(0, 4, block.data()), 0);
}

TEST_F(RomFileTest, WritesOnlyWhenOpenedForUpdate) {
  const std::vector<uint8_t> original(0x30000, 0x11);
  const std::string path = write_image("rw.sfc", original);
  RomFile rom;
  ASSERT_EQ(rom.open(path.c_str(), kMappingHiRom, 0), 1);
  const uint8_t bytes[3] = {1, 2, 3};
  EXPECT_EQ(rom.write_block(0xC0, 0x10, 3, bytes), 0) << "read-only stream";
  rom.open_update();  // a stream is open: nothing changes
  EXPECT_FALSE(rom.is_open_for_update());
  rom.close();
  rom.open_update();
  ASSERT_TRUE(rom.is_open_for_update());
  EXPECT_EQ(rom.write_block(0xC0, 0x10, 3, bytes), 3);
  EXPECT_EQ(rom.write_word(0xC1, 0xFFFF, 0x1234), 2) << "crosses into the next bank";
  EXPECT_EQ(rom.write_long(0xE2, 0x0000, 0xC01100), 3);
  EXPECT_EQ(rom.write_at(-1, 3, bytes), 0) << "a negative file position writes nothing";
  EXPECT_EQ(rom.write_at(0x5, 2, bytes), 2);
  EXPECT_EQ(rom.read_word(0xC0, 0x10), 0x0201) << "reads work on an update stream";
  rom.close();
  rom.open_read();
  EXPECT_TRUE(rom.is_open());
  EXPECT_FALSE(rom.is_open_for_update());
  rom.close();

  std::vector<uint8_t> expected = original;
  expected[0x10] = 1, expected[0x11] = 2, expected[0x12] = 3;
  expected[0x1FFFF] = 0x34, expected[0x20000] = 0x12;
  expected[0x5] = 1, expected[0x6] = 2;
  // E2:0000 lies beyond this small file: writing there extends it with a gap.
  std::vector<uint8_t> after = read_back(path);
  ASSERT_GE(after.size(), 0x220003u);
  expected.resize(after.size(), 0);
  expected[0x220000] = 0x00, expected[0x220001] = 0x11, expected[0x220002] = 0xC0;
  EXPECT_EQ(after, expected);
}

TEST_F(RomFileTest, RefusesOverlongPathsAndMissingFiles) {
  RomFile rom;
  const std::string long_path(300, 'a');
  EXPECT_EQ(rom.open(long_path.c_str(), kMappingHiRom, 0), 0);
  EXPECT_FALSE(rom.is_open());
  EXPECT_STREQ(rom.path(), "") << "a refused path leaves nothing to reopen";
  rom.open_read();
  EXPECT_FALSE(rom.is_open());
  EXPECT_EQ(rom.open((dir_ / "missing.sfc").string().c_str(), kMappingHiRom, 0), 0);
  EXPECT_FALSE(rom.is_open());
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
  ASSERT_EQ(rom.open(file.u8string().c_str(), kMappingHiRom, 0), 1);
  EXPECT_EQ(rom.read_byte(0xC0, 0), 0x42);
}

}  // namespace
}  // namespace vcv
