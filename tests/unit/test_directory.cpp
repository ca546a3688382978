#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "rom/rom_image.h"
#include "sprite/codec.h"
#include "sprite/directory.h"
#include "sprite/tiles.h"
#include "sprite_test_rom.h"

namespace vcv {
namespace {

using testing_rom::SyntheticRom;

int32_t addr(int bank, int offset) { return (bank << 16) | offset; }

TEST(PositionBlockEnd, BankLimitsApplyOnlyWhenTheNextBlockIsInAnotherBank) {
  // Table order is not address order: the end is the smallest greater pointer.
  const int32_t pointers[] = {addr(0xDD, 0x1000), addr(0xE0, 0x0000), addr(0xDD, 0x0800),
                              addr(0xDC, 0x4000), addr(0xDE, 0x2000), addr(0xDF, 0x0100),
                              addr(0xE1, 0xE000), addr(0xE2, 0x8000)};
  const int n = 8;
  EXPECT_EQ(position_block_end(pointers, n, 2), addr(0xDD, 0x1000)) << "same bank: next pointer";
  EXPECT_EQ(position_block_end(pointers, n, 0), 0xDDFD48) << "DD: limit whatever follows";
  EXPECT_EQ(position_block_end(pointers, n, 3), 0xDCDF98);
  EXPECT_EQ(position_block_end(pointers, n, 4), 0xDEBF90);
  EXPECT_EQ(position_block_end(pointers, n, 6), 0xE1F518);
  EXPECT_EQ(position_block_end(pointers, n, 5), addr(0xE0, 0x0000)) << "DF has no limit";
  EXPECT_EQ(position_block_end(pointers, n, 7), kDirectoryEndDefault) << "highest of all";
}

TEST(PositionBlockEnd, E2FollowedByE3AndTheHighestBlock) {
  const int32_t pointers[] = {addr(0xE3, 0x0400), addr(0xE2, 0xF000), addr(0xE3, 0x0200),
                              addr(0xE3, 0x9000)};
  EXPECT_EQ(position_block_end(pointers, 4, 1), addr(0xE3, 0x0200)) << "first E3 pointer";
  EXPECT_EQ(position_block_end(pointers, 4, 3), 0xE3F8C0);
  const int32_t in_dd[] = {addr(0xDD, 0x0100), addr(0xDD, 0x9000)};
  EXPECT_EQ(position_block_end(in_dd, 2, 1), 0xDDFD48)
      << "the highest block in DD ends at its limit";
}

TEST(PositionBlockEnd, EqualPointersShareOneEnd) {
  const int32_t pointers[] = {addr(0xE2, 0x0100), addr(0xE2, 0x0300), addr(0xE2, 0x0100)};
  EXPECT_EQ(position_block_end(pointers, 3, 0), addr(0xE2, 0x0300));
  EXPECT_EQ(position_block_end(pointers, 3, 2), addr(0xE2, 0x0300));
}

// A ROM whose position pointers all lie in bank E3 at increasing offsets of 0x100, so each block
// is 256 bytes unless a test moves it.
void lay_out_position_types(SyntheticRom& rom) {
  for (int p = 0; p < kPositionTypeCount; ++p)
    rom.position_pointer(p, addr(0xE3, 0x1000 + 0x100 * p));
}

TEST(BuildSpriteDirectory, SizesFrameCountsAndTheLastRecordNamingEachType) {
  SyntheticRom image;
  lay_out_position_types(image);
  image.header(0x005, 0, 4, 0, 0, 1);  // character record: size type 1 for position type 4
  image.header(0x1FB, 0, 4, 0, 0, 2);  // the last enemy record names it again: size type 2
  image.header(0x100, 0, 7, 0, 0, 0x83);
  image.position_pointer(9, addr(0xE3, 0x1000 + 0x100 * 9));  // unchanged
  image.position_pointer(230, addr(0xE3, 0xF800));            // highest: ends at E3:F8C0
  RomImage rom;
  ASSERT_TRUE(image.open(rom));
  SpriteDirectory directory;
  build_sprite_directory(rom, directory);
  EXPECT_EQ(directory.size_type_of[4], 2);
  EXPECT_EQ(directory.size_type_of[7], 0x83);
  EXPECT_EQ(directory.size_type_of[9], 0) << "named only by records with position type 0";
  EXPECT_EQ(directory.position_data_size[4], 0x100);
  EXPECT_EQ(directory.frame_count[4], 0x100 / 120) << "size type 2: truncated to whole records";
  EXPECT_EQ(directory.frame_count[7], 0x100 / 240) << "only the low two bits of 0x83 count";
  EXPECT_EQ(directory.frame_count[9], 0x100 / 40);
  EXPECT_EQ(directory.position_data_size[230], 0xC0);
  EXPECT_EQ(directory_frame_count(directory, 231), 0) << "beyond the table";
  EXPECT_EQ(directory_position_size(directory, -1), 0);
}

TEST(BuildSpriteDirectory, ABlockAboveTheDefaultEndGetsNoSize) {
  SyntheticRom image;
  lay_out_position_types(image);
  image.position_pointer(12, addr(0xF0, 0x0000));  // above E3:F8C0: end - start would be negative
  RomImage rom;
  ASSERT_TRUE(image.open(rom));
  SpriteDirectory directory;
  build_sprite_directory(rom, directory);
  EXPECT_EQ(directory.position_data_size[12], 0);
  EXPECT_EQ(directory.frame_count[12], 0);
}

// ---- loading ----

constexpr int kPlainBank = 0xC8;

class LoadEntryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    lay_out_position_types(image_);
    // Plain graphics 5 at C8:0000: tile t is solid colour (t % 15) + 1, also past its fixed size.
    for (int t = 0; t < 0xA000 / 32; ++t)
      image_.bytes(kPlainBank, 32 * t, testing_rom::solid_tile(t % 15 + 1));
    image_.graphics_pointer(5, addr(kPlainBank, 0));
    // Palette type 2: colours 1..12 are 0x0101 * i; weapon palettes w: 0x1000 + 0x10 * w + i.
    for (int i = 0; i < 12; ++i) image_.word(kTableBank, 24 * 2 + 2 * i, 0x0101 * (i + 1));
    for (int w = 0; w < 32; ++w)
      for (int i = 0; i < 3; ++i)
        image_.word(kWeaponPaletteBank, kWeaponPaletteTable + 6 * w + 2 * i, 0x1000 + 0x10 * w + i);
    // Animation type 1: table 1 is 0x20 bytes at E4:3000, table 2 is 0x10 bytes at E4:3100.
    image_.animation_pointers(0, 1, 0x3000, 0x3020);
    image_.animation_pointers(1, 1, 0x3100, 0x3110);
    for (int i = 0; i < 0x20; ++i) image_.byte(kTableBank, 0x3000 + i, 0x40 + i);
    for (int i = 0; i < 0x10; ++i) image_.byte(kTableBank, 0x3100 + i, 0x80 + i);
    // Position type 3 at E3:1300 (0x100 bytes): bytes equal to their offset.
    for (int i = 0; i < 0x100; ++i) image_.byte(0xE3, 0x1300 + i, i);
    image_.header(0x010, 5, 3, 2, 1, 0);
  }

  void open() {
    ASSERT_TRUE(image_.open(rom_));
    build_sprite_directory(rom_, directory_);
  }

  SyntheticRom image_;
  RomImage rom_;
  SpriteDirectory directory_;
  std::unique_ptr<SpriteWorkingSet> set_ = std::make_unique<SpriteWorkingSet>();
};

TEST_F(LoadEntryTest, PlainEntryFillsEveryPartOfTheWorkingSet) {
  open();
  ASSERT_EQ(load_entry(rom_, directory_, *set_, 0x010, 3), 1);
  const SpriteWorkingSet& s = *set_;
  EXPECT_EQ(s.loaded_entry, 0x010);
  EXPECT_EQ(s.failed_entry, -1);
  EXPECT_EQ(s.graphics_bank, kPlainBank);
  EXPECT_EQ(s.graphics_offset, 0);
  EXPECT_EQ(s.position_bank, 0xE3);
  EXPECT_EQ(s.position_offset, 0x1300);
  EXPECT_EQ(s.decoded_size, 0x8C00);
  EXPECT_EQ(s.stored_size, 0x8C00);
  EXPECT_EQ(s.palette[0], 0) << "colour 0 is never loaded";
  EXPECT_EQ(s.palette[1], 0x0101);
  EXPECT_EQ(s.palette[12], 0x0C0C);
  EXPECT_EQ(s.palette[13], 0x1030);
  EXPECT_EQ(s.palette[15], 0x1032);
  EXPECT_EQ(s.animation_offset[0], 0x3000);
  EXPECT_EQ(s.animation_size[0], 0x20);
  EXPECT_EQ(s.animation_size[1], 0x10);
  for (int facing = 0; facing < 4; ++facing) {
    EXPECT_EQ(s.animation[0][facing][0], 0x40 + 8 * facing);
    EXPECT_EQ(s.animation[0][facing][7], 0x47 + 8 * facing);
    EXPECT_EQ(s.animation[1][facing][3], 0x83 + 4 * facing);
    EXPECT_EQ(s.animation[1][facing][4], 0xFF) << "past the quarter: ends every sequence";
  }
  EXPECT_EQ(s.position_data[0xFF], 0xFF);
  EXPECT_EQ(s.position_data[0x100], 0) << "only the block's size is read";
  EXPECT_EQ(s.frame_store_count, 6);
  EXPECT_EQ(s.frames[5].block_count, 4);
  EXPECT_EQ(s.frames[6].block_count, 0);
  // 0x8C00 bytes are 1120 tiles: tile 1119 is drawn, the place of tile 1120 stays empty.
  const int last = 1119;
  EXPECT_EQ(s.sheet[(8 * (last / 16)) * kSheetWidth + 8 * (last % 16)], last % 15 + 1);
  EXPECT_EQ(s.sheet[(8 * (1120 / 16)) * kSheetWidth + 8 * (1120 % 16)], 0);
  EXPECT_EQ(s.sheet[0], 1);
}

TEST_F(LoadEntryTest, TheLoadedEntryIsNotReadAgainUntilCleared) {
  open();
  ASSERT_EQ(load_entry(rom_, directory_, *set_, 0x010, 0), 1);
  set_->palette[1] = 0x7FFF;  // an unsaved edit
  set_->sheet_valid = true;
  EXPECT_EQ(load_entry(rom_, directory_, *set_, 0x010, 0), 1);
  EXPECT_EQ(set_->palette[1], 0x7FFF);
  EXPECT_TRUE(set_->sheet_valid);
  // A weapon palette change clears the loaded entry: everything is read again.
  set_->loaded_entry = -1;
  EXPECT_EQ(load_entry(rom_, directory_, *set_, 0x010, 31), 1);
  EXPECT_EQ(set_->palette[1], 0x0101);
  EXPECT_EQ(set_->palette[13], 0x1000 + 0x10 * 31);
  EXPECT_FALSE(set_->sheet_valid);
}

TEST_F(LoadEntryTest, HeaderRecordsOfTheFirstAndLastEntriesOfEachTable) {
  image_.header(0x0FF, 0x21, 1, 0, 0, 0);
  image_.header(0x100, 0x22, 1, 0, 0, 0);
  image_.header(0x1FB, 0x23, 1, 0, 0, 0);
  image_.byte(kTableBank, 0xF600 + 10 * 0xFB + 9, 0x99);  // bytes 5..9 of an enemy record
  EXPECT_EQ(image_.at(kTableBank, 0xF4FB), image_.at(kTableBank, kCharacterTable + 5 * 0xFF));
  EXPECT_EQ(image_.at(kTableBank, 0xFFCE), image_.at(kTableBank, kEnemyTable + 10 * 0xFB));
  for (int g : {0x21, 0x22, 0x23}) image_.graphics_pointer(g, addr(0xC1, 0));  // empty blocks
  open();
  for (auto [entry, assembly] : {std::pair{0x0FF, 0x21}, {0x100, 0x22}, {0x1FB, 0x23}}) {
    ASSERT_EQ(load_entry(rom_, directory_, *set_, entry, 0), 1) << entry;
    EXPECT_EQ(set_->assembly(), assembly) << entry;
  }
  EXPECT_EQ(set_->header[9], 0x99);
  EXPECT_EQ(load_entry(rom_, directory_, *set_, 0x1FC, 0), 0) << "no such entry";
  EXPECT_EQ(load_entry(rom_, directory_, *set_, -1, 0), 0);
  EXPECT_EQ(set_->loaded_entry, 0x1FB) << "a refused id changes nothing";
}

std::vector<uint8_t> packed_picture(int tiles, int seed, int* packed_size) {
  std::vector<uint8_t> picture;
  for (int t = 0; t < tiles; ++t) {
    const auto tile = testing_rom::solid_tile((t * 7 + seed) % 15 + 1);
    picture.insert(picture.end(), tile.begin(), tile.end());
  }
  std::vector<uint8_t> block(kPackedBufferSize);
  *packed_size = pack_block_best(picture.data(), static_cast<int>(picture.size()), block.data(),
                                 kPackedBufferSize);
  block.resize(static_cast<size_t>(std::max(*packed_size, 0)));
  return block;
}

TEST_F(LoadEntryTest, PackedGraphicsDecodeAndFillTheSheetUpToItsSize) {
  int packed_size = 0;
  const std::vector<uint8_t> block = packed_picture(1344, 3, &packed_size);  // 0xA800 bytes
  ASSERT_GT(packed_size, 0);
  image_.bytes(0xD6, 0x0000, block);
  image_.graphics_pointer(40, addr(0xD6, 0));
  image_.header(0x011, 40, 3, 2, 1, 3);
  open();
  ASSERT_EQ(load_entry(rom_, directory_, *set_, 0x011, 0), 1);
  EXPECT_EQ(set_->decoded_size, 0xA800);
  EXPECT_EQ(set_->stored_size, packed_size);
  EXPECT_EQ(set_->sheet[(kSheetHeight - 1) * kSheetWidth + kSheetWidth - 1],
            (1279 * 7 + 3) % 15 + 1)
      << "the last of the 1280 places holds tile 1279";
  EXPECT_EQ(set_->frame_store_count, 1) << "0x100 bytes hold one 240-byte record";
}

TEST_F(LoadEntryTest, TilesPastTheGraphicsAreEmptyWhateverWasLoadedBefore) {
  // Packed graphics of 16 tiles after plain graphics of 0xA000 bytes: tile entries reach 2047,
  // so the tiles past the 16 must not be the previous entry's.
  int packed_size = 0;
  const std::vector<uint8_t> block = packed_picture(16, 1, &packed_size);
  image_.bytes(0xD6, 0x0000, block);
  image_.graphics_pointer(40, addr(0xD6, 0));
  image_.header(0x011, 40, 3, 2, 1, 0);
  open();
  ASSERT_EQ(load_entry(rom_, directory_, *set_, 0x010, 0), 1);
  std::memset(set_->tile_data + kPlainGraphicsReadSize, 0x77,
              kTileDataSize - kPlainGraphicsReadSize);  // an unsaved paste past the graphics
  ASSERT_EQ(load_entry(rom_, directory_, *set_, 0x011, 0), 1);
  ASSERT_EQ(set_->decoded_size, 16 * 32);
  for (int i = 16 * 32; i < kTileDataSize; ++i) ASSERT_EQ(set_->tile_data[i], 0) << i;
  // Plain graphics keep the 0xA000 bytes read from the ROM and nothing beyond them.
  ASSERT_EQ(load_entry(rom_, directory_, *set_, 0x010, 0), 1);
  EXPECT_EQ(set_->tile_data[kPlainGraphicsReadSize - 32], 0xFF) << "tile 1279: colour 5, plane 0";
  for (int i = kPlainGraphicsReadSize; i < kTileDataSize; ++i) ASSERT_EQ(set_->tile_data[i], 0);
}

TEST_F(LoadEntryTest, UndecodableGraphicsLeaveNothingOfThePreviousEntry) {
  image_.bytes(0xD3, 0xE280, {0xFF, 0xFF, 0xA5, 0xA5});
  image_.graphics_pointer(41, addr(0xD3, 0xE280));
  image_.header(0x012, 41, 9, 4, 1, 1);
  open();
  ASSERT_EQ(load_entry(rom_, directory_, *set_, 0x010, 0), 1);
  set_->sheet_valid = true;
  EXPECT_EQ(load_entry(rom_, directory_, *set_, 0x012, 0), 0);
  const SpriteWorkingSet& s = *set_;
  EXPECT_EQ(s.failed_entry, 0x012);
  EXPECT_EQ(s.loaded_entry, -1) << "the next selection tries again";
  EXPECT_FALSE(s.sheet_valid);
  EXPECT_EQ(s.assembly(), 41);
  EXPECT_EQ(s.position_type, 9);
  EXPECT_EQ(s.size_type, 1);
  EXPECT_EQ(s.graphics_bank, 0xD3);
  EXPECT_EQ(s.graphics_offset, 0xE280);
  EXPECT_EQ(s.palette[1], 0) << "palette type 4 of this entry, not type 2 of the previous one";
  EXPECT_EQ(s.animation[0][0][0], 0x40);
  EXPECT_EQ(s.decoded_size, 0);
  EXPECT_EQ(s.frame_store_count, 0);
  EXPECT_EQ(s.frames[0].block_count, 0);
  for (int i : {0, 100, 0xFF}) EXPECT_EQ(s.position_data[i], 0);
  for (size_t i = 0; i < sizeof s.sheet; i += 97) ASSERT_EQ(s.sheet[i], 0) << i;
  for (size_t i = 0; i < sizeof s.tile_data; i += 89) ASSERT_EQ(s.tile_data[i], 0) << i;
  EXPECT_EQ(load_entry(rom_, directory_, *set_, 0x012, 0), 0) << "tried again, fails again";

  // Repair the block in the image: the same selection now loads.
  int packed_size = 0;
  const std::vector<uint8_t> block = packed_picture(16, 1, &packed_size);
  ASSERT_TRUE(rom_.write_block(0xD3, 0xE280, static_cast<int>(block.size()), block.data()));
  EXPECT_EQ(load_entry(rom_, directory_, *set_, 0x012, 0), 1);
  EXPECT_EQ(set_->failed_entry, -1);
  EXPECT_EQ(set_->decoded_size, 16 * 32);
}

TEST_F(LoadEntryTest, OversizedTablesAreCutToTheBuffers) {
  // Position type 3 spans E2:0000 .. E3:0000 (64 KiB, 1638 records of 40 bytes); animation
  // table 1 is 0x4000 bytes (quarters of 4096) and table 2 runs backwards.
  for (int p = 0; p < kPositionTypeCount; ++p)
    image_.position_pointer(p, addr(0xE3, 0x0000 + 0x10 * p));
  image_.position_pointer(3, addr(0xE2, 0x0000));
  for (int i = 0; i < 0x8000; ++i) image_.byte(0xE2, i, i & 0x7F);
  image_.animation_pointers(0, 1, 0x4000, 0x8000);
  image_.animation_pointers(1, 1, 0x3100, 0x3000);
  for (int i = 0; i < 0x4000; ++i) image_.byte(kTableBank, 0x4000 + i, i / 4096 + 1);
  open();
  EXPECT_EQ(directory_.position_data_size[3], 0x10000);
  EXPECT_EQ(directory_.frame_count[3], 0x10000 / 40);
  ASSERT_EQ(load_entry(rom_, directory_, *set_, 0x010, 0), 1);
  EXPECT_EQ(set_->frame_store_count, kFrameStoreSize) << "the store holds 256 frames";
  EXPECT_EQ(set_->position_data[kPositionDataCapacity - 1], 0x7F);
  EXPECT_EQ(set_->animation_size[0], 0x4000);
  EXPECT_EQ(set_->animation_size[1], 0) << "a next pointer below this one: empty";
  for (int facing = 0; facing < 4; ++facing) {
    EXPECT_EQ(set_->animation[0][facing][0], facing + 1) << "quarters start 4096 bytes apart";
    EXPECT_EQ(set_->animation[0][facing][kAnimationSlotSize - 1], facing + 1);
    EXPECT_EQ(set_->animation[1][facing][0], 0xFF);
  }
}

TEST_F(LoadEntryTest, RecordsThePositionBufferCannotHoldAreNotUnpacked) {
  // Size type 3 (240 bytes) over 64 KiB: 273 records, of which the 32 KiB buffer holds 136.
  for (int p = 0; p < kPositionTypeCount; ++p)
    image_.position_pointer(p, addr(0xE3, 0x0000 + 0x10 * p));
  image_.position_pointer(3, addr(0xE2, 0x0000));
  image_.header(0x010, 5, 3, 2, 1, 3);
  open();
  ASSERT_EQ(load_entry(rom_, directory_, *set_, 0x010, 0), 1);
  EXPECT_EQ(directory_.frame_count[3], 0x10000 / 240);
  EXPECT_EQ(set_->frame_store_count, kPositionDataCapacity / 240);
  EXPECT_EQ(set_->frames[136].block_count, 0);
}

}  // namespace
}  // namespace vcv
