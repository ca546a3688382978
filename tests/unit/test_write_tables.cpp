// Write Palette, Write Tile Info and "Ed" on a copy of the demo ROM, each followed by a comparison
// of the whole file with what must have changed.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "edit/edit_commands.h"
#include "edit/write_messages.h"
#include "res/resource.h"
#include "sprite/directory.h"
#include "sprite/frames.h"
#include "view/refresh.h"
#include "write_test_support.h"

namespace vcv {
namespace {

using namespace testing_support;

class WriteTablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path = open_demo_copy(app, ui, std::string(::testing::UnitTest::GetInstance()
                                                   ->current_test_info()
                                                   ->name()) +
                                       ".sfc");
    original = demo_rom_bytes();
    app.view.current_entry = demo::DemoRomFacts::kEntrySize1;
    app.view.sequence_mode = 0;
    app.view.image_no = 2;
    app.view.block_no = 1;
    refresh_view(app, ui);
    ASSERT_EQ(app.working_set->loaded_entry, demo::DemoRomFacts::kEntrySize1);
  }
  void TearDown() override {
    app.rom_file.close();
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
  }
  SpriteWorkingSet& set() { return *app.working_set; }
  void expect_file(const std::vector<uint8_t>& expected) {
    const std::vector<uint8_t> now = read_all(path);
    EXPECT_TRUE(now == expected) << first_differences(expected, now);
  }
  void put_colours(std::vector<uint8_t>& rom, int bank, int offset, const uint16_t* colours,
                   int count) {
    for (int i = 0; i < count; ++i) {
      rom[file_pos(bank, offset) + 2 * i] = static_cast<uint8_t>(colours[i]);
      rom[file_pos(bank, offset) + 2 * i + 1] = static_cast<uint8_t>(colours[i] >> 8);
    }
  }

  AppState app;
  ScriptedUi ui;
  std::string path;
  std::vector<uint8_t> original;
};

TEST_F(WriteTablesTest, PaletteGoesToItsTwoTablesAndColourZeroNowhere) {
  app.view.weapon_palette = 5;
  set().loaded_entry = -1;  // the weapon colours are read while loading
  refresh_view(app, ui);
  for (int i = 0; i < 16; ++i) set().palette[i] = static_cast<uint16_t>(0x1000 + 0x111 * i);
  ui.confirm_answers = {true};
  write_palette(app, ui);
  ASSERT_EQ(ui.kinds(), std::vector<std::string>{"confirm:Write Confirm"});
  EXPECT_EQ(ui.shown[0].text, "Do you want to overwrite?");
  std::vector<uint8_t> expected = original;
  put_colours(expected, kTableBank, 24 * set().palette_type, set().palette + 1, 12);
  put_colours(expected, kWeaponPaletteBank, 0x4B00 + 6 * 5, set().palette + 13, 3);
  expect_file(expected);
  EXPECT_TRUE(app.rom_file.is_open());
  EXPECT_FALSE(app.rom_file.is_open_for_update());
}

TEST_F(WriteTablesTest, CancelledOrUnwritableWritesChangeNothing) {
  set().palette[3] ^= 0x7FFF;
  ui.confirm_answers = {false, false};
  write_palette(app, ui);
  write_tile_info(app, ui);
  EXPECT_EQ(ui.shown.size(), 2u);
  expect_file(original);

  std::string kept;
  make_unwritable(path, &kept);
  ui.shown.clear();
  ui.confirm_answers = {true};
  write_palette(app, ui);
  ASSERT_EQ(ui.kinds(), (std::vector<std::string>{"confirm:Write Confirm", "message:Write Error"}));
  EXPECT_EQ(ui.shown[1].text, kNotWritableText);
  EXPECT_TRUE(app.rom_file.is_open());
  EXPECT_FALSE(app.rom_file.is_open_for_update());
  app.rom_file.close();
  EXPECT_TRUE(read_all(kept) == original);
  restore_writable(path, kept);
}

TEST_F(WriteTablesTest, TileInfoIsUnwritableOnAReadOnlyRomToo) {
  std::string kept;
  make_unwritable(path, &kept);
  ui.confirm_answers = {true};
  write_tile_info(app, ui);
  ASSERT_EQ(ui.kinds(), (std::vector<std::string>{"confirm:Write Confirm", "message:Write Error"}));
  app.rom_file.close();
  EXPECT_TRUE(read_all(kept) == original);
  restore_writable(path, kept);
}

TEST_F(WriteTablesTest, EdOnTheShownTextOnlyClearsBits11To13OfThatBlock) {
  const std::vector<uint8_t> before(set().position_data, set().position_data + kPositionDataCapacity);
  const Frame frame_before = set().frames[2];
  ASSERT_NE(frame_before.tile[1][0] & 0x3800, 0) << "the demo ROM sets bits 11-13";
  parse_tile_info_text(app, ui);
  const int record = 2 * set().record_size();
  for (int i = 0; i < kPositionDataCapacity; ++i) {
    bool is_block_entry = false;
    for (int q = 0; q < 4; ++q) {
      const int at = record + frame_before.tile_offset[1][q];
      if (i == at + 1) is_block_entry = true;  // the high byte holds bits 11-13
    }
    if (is_block_entry) {
      EXPECT_EQ(set().position_data[i], before[static_cast<size_t>(i)] & 0xC7) << i;
    } else {
      ASSERT_EQ(set().position_data[i], before[static_cast<size_t>(i)]) << i;
    }
  }
}

TEST_F(WriteTablesTest, EdThenWriteTileInfoWritesEveryRecordOfThePositionType) {
  ui.texts[IDC_TILE_INFO_TEXT] = "X=-5 Y=7\r\n右下 TileNo=1AB xflip=1 yflip=1\r\n";
  parse_tile_info_text(app, ui);
  EXPECT_EQ(set().frames[2].x[1], 251);
  EXPECT_EQ(set().frames[2].tile[1][3], 0xC1AB);
  // The refresh rewrote the Tile Info text from the changed frame.
  EXPECT_NE(ui.texts[IDC_TILE_INFO_TEXT].find("X=-5 Y=7\r\n"), std::string::npos);
  EXPECT_NE(ui.texts[IDC_TILE_INFO_TEXT].find("L Right TileNo=1AB xflip=1 yflip=1"),
            std::string::npos);

  ui.confirm_answers = {true};
  write_tile_info(app, ui);
  EXPECT_EQ(ui.shown[0].text, "Do you want to overwrite?       \r\n");
  // The file differs from the original only in the bytes "Ed" changed: block 1's X and Y and its
  // lower-right tile entry in record 2.
  std::vector<uint8_t> expected = original;
  const size_t record = file_pos(set().position_bank, set().position_offset) +
                        2 * static_cast<size_t>(set().record_size());
  const size_t blocks = static_cast<size_t>(set().blocks_per_image());
  expected[record + 8 * blocks + 2] = 251;
  expected[record + 8 * blocks + 3] = 7;
  const size_t entry = record + set().frames[2].tile_offset[1][3];
  expected[entry] = 0xAB;
  expected[entry + 1] = 0xC1;
  expect_file(expected);

  // Another entry of the same position type reads the changed records from now on.
  AppState other;
  ScriptedUi other_ui;
  ASSERT_EQ(open_rom(other, other_ui, path), 1);
  ASSERT_EQ(load_entry(other.rom_file, other.directory, *other.working_set,
                       demo::DemoRomFacts::kEntrySize1, 0),
            1);
  EXPECT_EQ(other.working_set->frames[2].x[1], 251);
  EXPECT_EQ(other.working_set->frames[2].tile[1][3], 0xC1AB);
}

TEST_F(WriteTablesTest, EdOnABlockBeyondTheImageChangesNoRecord) {
  app.view.block_no = 20;  // the entry has 8 blocks per frame
  const std::vector<uint8_t> before(set().position_data, set().position_data + kPositionDataCapacity);
  ui.texts[IDC_TILE_INFO_TEXT] = "X=9 Y=9\r\n";
  parse_tile_info_text(app, ui);
  EXPECT_TRUE(std::equal(before.begin(), before.end(), set().position_data));
  EXPECT_NE(ui.texts[IDC_TILE_INFO_TEXT].find("X=9 Y=9"), std::string::npos);
}

TEST_F(WriteTablesTest, AnEntryWhoseGraphicsFailedKeepsItsFrameLayoutsInTheRom) {
  app.view.current_entry = demo::DemoRomFacts::kEntryUndecodable;
  refresh_view(app, ui);
  ASSERT_EQ(set().failed_entry, demo::DemoRomFacts::kEntryUndecodable);
  ui.confirm_answers = {true};
  write_tile_info(app, ui);
  ASSERT_EQ(ui.kinds(), std::vector<std::string>{"message:Write Error"});
  EXPECT_EQ(ui.shown[0].text, kNoPositionDataText);
  // Its colours were read, so they may be written.
  write_palette(app, ui);
  EXPECT_EQ(ui.kinds().back(), "confirm:Write Confirm");
  expect_file(original);
}

TEST_F(WriteTablesTest, NothingHappensWithoutARom) {
  app.rom_file.close();
  ui.texts[IDC_TILE_INFO_TEXT] = "X=9 Y=9\r\n";
  const Frame before = set().frames[2];
  write_palette(app, ui);
  write_tile_info(app, ui);
  parse_tile_info_text(app, ui);
  EXPECT_TRUE(ui.shown.empty());
  EXPECT_EQ(set().frames[2].x[1], before.x[1]);
  expect_file(original);
}

}  // namespace
}  // namespace vcv
