// Write Palette, Write Tile Info and "Ed" on a copy of the demo ROM, each followed by a comparison
// of the whole file with what must have changed.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "edit/edit_commands.h"
#include "edit/command_messages.h"
#include "panel_test_ui.h"
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
    path = open_demo_copy(document, std::string(::testing::UnitTest::GetInstance()
                                                   ->current_test_info()
                                                   ->name()) +
                                       ".sfc");
    original = demo_rom_bytes();
    document.view().current_entry = demo::DemoRomFacts::kEntrySize1;
    document.view().sequence_mode = 0;
    document.view().image_no = 2;
    document.view().block_no = 1;
    document.refresh();
    panel.take(document);
    ASSERT_EQ(document.working_set().loaded_entry, demo::DemoRomFacts::kEntrySize1);
  }
  // "Ed" on `text`; the Tile Info text the refresh wrote afterwards.
  std::string press_ed(const std::string& text) {
    document.apply_tile_info(text);
    panel.take(document);
    return panel.texts().tile_info_text;
  }
  void TearDown() override {
    document.rom().close();
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
  }
  SpriteWorkingSet& set() { return document.working_set(); }
  // The demo ROM's header checksum matches, so every write keeps it matching.
  void expect_file(const std::vector<uint8_t>& written) {
    const std::vector<uint8_t> now = read_all(path);
    const std::vector<uint8_t> expected = with_header_checksum(written);
    EXPECT_TRUE(now == expected) << first_differences(expected, now);
  }
  void put_colours(std::vector<uint8_t>& rom, int bank, int offset, const uint16_t* colours,
                   int count) {
    for (int i = 0; i < count; ++i) {
      rom[file_pos(bank, offset) + 2 * i] = static_cast<uint8_t>(colours[i]);
      rom[file_pos(bank, offset) + 2 * i + 1] = static_cast<uint8_t>(colours[i] >> 8);
    }
  }

  Document document;
  ScriptedUi ui;
  PanelMirror panel;
  std::string path;
  std::vector<uint8_t> original;
};

TEST_F(WriteTablesTest, PaletteGoesToItsTwoTablesAndColourZeroNowhere) {
  document.view().weapon_palette = 5;
  set().loaded_entry = -1;  // the weapon colours are read while loading
  document.refresh();
  for (int i = 0; i < 16; ++i) set().palette[i] = static_cast<uint16_t>(0x1000 + 0x111 * i);
  ui.confirm_answers = {true};
  shown(ui, document.write_palette(ui));
  ASSERT_EQ(ui.kinds(), std::vector<std::string>{"confirm:Write Confirm"});
  EXPECT_EQ(ui.shown[0].text, "Do you want to overwrite?");
  std::vector<uint8_t> expected = original;
  put_colours(expected, kTableBank, 24 * set().palette_type, set().palette + 1, 12);
  put_colours(expected, kWeaponPaletteBank, 0x4B00 + 6 * 5, set().palette + 13, 3);
  expect_file(expected);
  EXPECT_TRUE(document.rom().is_open());
}

TEST_F(WriteTablesTest, CancelledOrUnwritableWritesChangeNothing) {
  set().palette[3] ^= 0x7FFF;
  ui.confirm_answers = {false, false};
  shown(ui, document.write_palette(ui));
  shown(ui, document.write_tile_info(ui));
  EXPECT_EQ(ui.shown.size(), 2u);
  expect_file(original);

  std::string kept;
  make_unwritable(path, &kept);
  ui.shown.clear();
  ui.confirm_answers = {true};
  EXPECT_TRUE(refused_as_unwritable(shown(ui, document.write_palette(ui)).status));
  ASSERT_EQ(ui.kinds(), (std::vector<std::string>{"confirm:Write Confirm", "message:Write Error"}));
  EXPECT_TRUE(document.rom().is_open());
  document.rom().close();
  EXPECT_TRUE(read_all(kept) == original);
  restore_writable(path, kept);
}

TEST_F(WriteTablesTest, ARomOpenedReadOnlyIsRefusedBeforeTheQuestion) {
  ASSERT_TRUE(document.open(path, true).ok());
  for (auto write : {&Document::write_palette, &Document::write_tile_info}) {
    ui.shown.clear();
    EXPECT_EQ(shown(ui, (document.*write)(ui)).status, CommandStatus::kReadOnly);
    EXPECT_EQ(ui.kinds(), std::vector<std::string>{"message:Write Error"});
  }
  expect_file(original);
}

TEST_F(WriteTablesTest, TileInfoIsUnwritableOnAReadOnlyRomToo) {
  std::string kept;
  make_unwritable(path, &kept);
  ui.confirm_answers = {true};
  shown(ui, document.write_tile_info(ui));
  ASSERT_EQ(ui.kinds(), (std::vector<std::string>{"confirm:Write Confirm", "message:Write Error"}));
  document.rom().close();
  EXPECT_TRUE(read_all(kept) == original);
  restore_writable(path, kept);
}

TEST_F(WriteTablesTest, EdOnTheShownTextAndWriteTileInfoChangeNoByte) {
  const std::vector<uint8_t> before(set().position_data, set().position_data + kPositionDataCapacity);
  ASSERT_NE(set().frames[2].tile[1][0] & 0x3800, 0) << "the demo ROM sets bits 11-13";
  press_ed(panel.texts().tile_info_text);
  EXPECT_TRUE(std::equal(before.begin(), before.end(), set().position_data));
  EXPECT_FALSE(document.can_undo()) << "nothing changed, so there is nothing to undo";
  ui.confirm_answers = {true};
  EXPECT_TRUE(shown(ui, document.write_tile_info(ui)).wrote());
  expect_file(original);
}

TEST_F(WriteTablesTest, EdThenWriteTileInfoWritesEveryRecordOfThePositionType) {
  const uint16_t kept_bits = set().frames[2].tile[1][3] & 0x3800;
  const uint16_t placed = static_cast<uint16_t>(0xC1AB | kept_bits);
  const std::string shown_text = press_ed("X=-5 Y=7\r\n右下 TileNo=1AB xflip=1 yflip=1\r\n");
  EXPECT_EQ(set().frames[2].x[1], 251);
  EXPECT_EQ(set().frames[2].tile[1][3], placed);
  // The refresh rewrote the Tile Info text from the changed frame.
  EXPECT_NE(shown_text.find("X=-5 Y=7\r\n"), std::string::npos);
  EXPECT_NE(shown_text.find("L Right TileNo=1AB xflip=1 yflip=1"), std::string::npos);

  ui.confirm_answers = {true};
  shown(ui, document.write_tile_info(ui));
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
  expected[entry] = static_cast<uint8_t>(placed);
  expected[entry + 1] = static_cast<uint8_t>(placed >> 8);
  expect_file(expected);

  // Another entry of the same position type reads the changed records from now on.
  Document other;
  ASSERT_TRUE(other.open(path).ok());
  ASSERT_EQ(load_entry(other.image(), other.directory(), other.working_set(),
                       demo::DemoRomFacts::kEntrySize1, 0),
            1);
  EXPECT_EQ(other.working_set().frames[2].x[1], 251);
  EXPECT_EQ(other.working_set().frames[2].tile[1][3], placed);
}

TEST_F(WriteTablesTest, EdOnABlockBeyondTheImageChangesNoRecord) {
  document.view().block_no = 20;  // the entry has 8 blocks per frame
  const std::vector<uint8_t> before(set().position_data, set().position_data + kPositionDataCapacity);
  EXPECT_EQ(press_ed("X=9 Y=9\r\n").find("X=9 Y=9"), std::string::npos);
  EXPECT_TRUE(std::equal(before.begin(), before.end(), set().position_data));
  EXPECT_FALSE(document.can_undo());
}

TEST_F(WriteTablesTest, AnEntryWhoseGraphicsFailedKeepsItsFrameLayoutsInTheRom) {
  document.view().current_entry = demo::DemoRomFacts::kEntryUndecodable;
  document.refresh();
  ASSERT_EQ(set().failed_entry, demo::DemoRomFacts::kEntryUndecodable);
  ui.confirm_answers = {true};
  EXPECT_EQ(shown(ui, document.write_tile_info(ui)).status, CommandStatus::kNoPositionData);
  ASSERT_EQ(ui.kinds(), std::vector<std::string>{"message:Write Error"});
  // Its colours were read, so they may be written.
  shown(ui, document.write_palette(ui));
  EXPECT_EQ(ui.kinds().back(), "confirm:Write Confirm");
  expect_file(original);
}

TEST_F(WriteTablesTest, NothingHappensWithoutARom) {
  document.rom().close();
  const Frame before = set().frames[2];
  shown(ui, document.write_palette(ui));
  shown(ui, document.write_tile_info(ui));
  document.apply_tile_info("X=9 Y=9\r\n");
  EXPECT_TRUE(ui.shown.empty());
  EXPECT_TRUE(document.take_panel_update().empty());
  EXPECT_EQ(set().frames[2].x[1], before.x[1]);
  expect_file(original);
}

}  // namespace
}  // namespace vcv
