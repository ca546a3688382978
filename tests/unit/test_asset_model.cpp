// The sprite data as the dump keeps it: tile data from a picture whose last tile is partial, and
// animation tables split into facings as loading splits them.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "assets/asset_json.h"
#include "assets/asset_model.h"
#include "rom/rom_image.h"
#include "sprite/directory.h"
#include "sprite/tile_sheet.h"
#include "write_test_support.h"

namespace vcv {
namespace {

// A partial last tile keeps only its first bytes: two bytes a row for bit planes 0 and 1, then
// the same for planes 2 and 3. A pixel those bytes cannot hold is refused, never dropped.
TEST(AssetModel, APixelThePartialLastTileCannotHoldIsRefused) {
  struct Case {
    int size;            // bytes of tile data: tile 1 is partial unless a multiple of 32
    int x, y, index;     // the one pixel set in tile 1 (x 8..15)
    const char* error;   // nullptr: the sheet encodes and draws back as it was
  };
  const Case cases[] = {
      {48, 8, 0, 3, nullptr},
      {48, 15, 7, 4,
       "pixel (15, 7) holds index 4, which tile place 001 cannot store: it is the last tile and "
       "the tile data keeps only 16 of its 32 bytes (index 0 there)"},
      {48, 9, 2, 13,
       "pixel (9, 2) holds index 13, which tile place 001 cannot store: it is the last tile and "
       "the tile data keeps only 16 of its 32 bytes (index 1 there)"},
      {40, 12, 3, 3, nullptr},
      {40, 8, 4, 1,
       "pixel (8, 4) holds index 1, which tile place 001 cannot store: it is the last tile and "
       "the tile data keeps only 8 of its 32 bytes (index 0 there)"},
      {64, 15, 7, 15, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "size " << c.size << ", index " << c.index);
    std::vector<uint8_t> sheet(static_cast<size_t>(kSheetWidth) * sheet_height_for(c.size), 0);
    sheet[0] = 15;  // a whole tile holds every index
    sheet[static_cast<size_t>(c.y) * kSheetWidth + c.x] = static_cast<uint8_t>(c.index);
    std::vector<uint8_t> tiles;
    std::string error;
    const bool encoded = encode_graphics_sheet(sheet, c.size, &tiles, &error);
    if (c.error == nullptr) {
      EXPECT_TRUE(encoded) << error;
      EXPECT_EQ(tiles.size(), static_cast<size_t>(c.size));
      EXPECT_TRUE(draw_graphics_sheet(tiles) == sheet);
    } else {
      EXPECT_FALSE(encoded);
      EXPECT_EQ(error, c.error);
    }
  }
}

// A table longer than four slots: loading splits its whole size into quarters and cuts each to
// its slot, so every facing starts a quarter of the table further on.
TEST(AssetModel, AnimationFacingsAreWhatLoadingReads) {
  std::vector<uint8_t> bytes = testing_support::demo_rom_bytes();
  const int entry = 0;
  const int type = read_entry_headers(RomImage(bytes, kMappingHiRom, 0))[entry]
                       .field[kFieldAnimationType];
  const size_t pointer =
      testing_support::file_pos(kTableBank, kAnimationPointerTable[0] + 2 * type);
  const int start = bytes[pointer] | (bytes[pointer + 1] << 8);
  const int quarter = kAnimationSlotSize + 1024;
  const int end = start + kFacingCount * quarter;
  bytes[pointer + 2] = static_cast<uint8_t>(end);
  bytes[pointer + 3] = static_cast<uint8_t>(end >> 8);
  const auto table = bytes.begin() + static_cast<std::ptrdiff_t>(
                                         testing_support::file_pos(kTableBank, start));
  std::fill_n(table, kFacingCount * quarter, 0);
  for (int f = 0; f < kFacingCount; ++f) std::fill_n(table + f * quarter, 4, 0x10 + f);
  const RomImage image(bytes, kMappingHiRom, 0);
  SpriteDirectory directory;
  build_sprite_directory(image, directory);
  auto set = std::make_unique<SpriteWorkingSet>();
  ASSERT_EQ(load_entry(image, directory, *set, entry, 0), 1);

  const JsonValue dumped = animations_json(read_rom_assets(image, directory));
  const JsonValue* facings = dumped.find(hex_digits(type, 2))->find("animation_1");
  ASSERT_NE(facings, nullptr);
  const char* const names[kFacingCount] = {"up", "down", "left", "right"};
  for (int f = 0; f < kFacingCount; ++f) {
    // The slot as sequences of four steps, each up to its first end mark.
    JsonValue loaded = JsonValue::array();
    for (int s = 0; s < kAnimationSlotSize; s += 4) {
      JsonValue steps = JsonValue::array();
      for (int i = 0; i < 4 && set->animation[0][f][s + i] != 0xFF; ++i) {
        steps.push(JsonValue::string(hex_digits(set->animation[0][f][s + i], 2)));
      }
      loaded.push(std::move(steps));
    }
    EXPECT_EQ(set->animation[0][f][0], 0x10 + f);
    EXPECT_TRUE(*facings->find(names[f]) == loaded) << names[f];
  }
}

}  // namespace
}  // namespace vcv
