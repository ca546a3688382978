// The fixed facts of the game's ROM the tool carries as constants, checked against the values
// written out here once more: the bank regions repacking may fill (a wrong end lets repacking
// overwrite whatever follows) and the sizes of the plain graphics (a wrong size shows, writes
// and repacks the wrong number of bytes).
#include <gtest/gtest.h>

#include <memory>

#include "demo/demo_rom.h"
#include "rom/rom_image.h"
#include "sprite/bank_regions.h"
#include "sprite/directory.h"

namespace vcv {
namespace {

TEST(RomTables, BankRegionsAreTheStretchesRepackingMayFill) {
  const BankRegion expected[] = {
      {0xD2, 0xEE80, 0x10000}, {0xD3, 0xE280, 0x10000}, {0xD4, 0xFB00, 0x10000},
      {0xD5, 0x8C00, 0x10000}, {0xD6, 0x0000, 0x10000}, {0xD7, 0x0000, 0x10000},
      {0xD8, 0x0000, 0xE000},  {0xD9, 0x0000, 0x10000}, {0xDA, 0x0000, 0x10000},
      {0xDF, 0x0000, 0x10000}, {0xE0, 0x0000, 0x10000}, {0xE1, 0x0000, 0xE000},
  };
  for (int bank = 0; bank < 0x100; ++bank) {
    const BankRegion* want = nullptr;
    for (const BankRegion& row : expected) {
      if (row.bank == bank) want = &row;
    }
    const BankRegion* got = find_bank_region(bank);
    ASSERT_EQ(got == nullptr, want == nullptr) << std::hex << bank;
    if (want == nullptr) continue;
    EXPECT_EQ(got->first, want->first) << std::hex << bank;
    EXPECT_EQ(got->end, want->end) << std::hex << bank;
  }
  EXPECT_EQ(kBankRegions[kBankRegionCount].bank, 0x100) << "the end row";
}

TEST(RomTables, PlainGraphicsLoadWithTheirFixedSizes) {
  const int expected[kFirstPackedGraphics] = {0x7BC0, 0x7C40, 0x7740, 0x7EC0,
                                              0x6B40, 0x8C00, 0x72C0};
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(demo::build_demo_rom(&bytes, nullptr));
  const RomImage rom(bytes, kMappingHiRom, 0);
  SpriteDirectory directory;
  build_sprite_directory(rom, directory);
  auto set = std::make_unique<SpriteWorkingSet>();
  bool seen[kFirstPackedGraphics] = {};
  for (int entry = 0; entry < kEntryCount; ++entry) {
    set->loaded_entry = -1;
    if (load_entry(rom, directory, *set, entry, 0) != 1) continue;
    const int graphics = set->assembly();
    if (graphics >= kFirstPackedGraphics || seen[graphics]) continue;
    seen[graphics] = true;
    EXPECT_EQ(set->decoded_size, expected[graphics]) << "graphics " << graphics;
    EXPECT_EQ(set->stored_size, expected[graphics]) << "graphics " << graphics;
  }
  for (int g = 0; g < kFirstPackedGraphics; ++g) EXPECT_TRUE(seen[g]) << "graphics " << g;
}

}  // namespace
}  // namespace vcv
