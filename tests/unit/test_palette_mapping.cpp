// Matching picture colours to the 16-colour palette: the rules one by one, whole pictures with
// the refusal message, indexed pictures whose table agrees or was re-sorted, and sheets saved
// as true colour by ImageMagick coming back with their exact indices.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "cli_test_support.h"
#include "image/indexed_image.h"
#include "image/palette_mapping.h"
#include "image/picture_read.h"

namespace vcv {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint16_t word(int r, int g, int b) { return static_cast<uint16_t>(r | g << 5 | b << 10); }

// 0: a colour of its own; 2 and 4 the same red; 5 shares black with nothing but 9; 6 has bit 15.
const uint16_t kPalette[16] = {
    word(1, 2, 3),   word(31, 31, 31), word(31, 0, 0), word(0, 31, 0),   word(31, 0, 0),
    word(0, 0, 0),   0x8000 | word(0, 0, 31), word(10, 20, 30), word(4, 4, 4), word(0, 0, 0),
    word(5, 5, 5),   word(6, 6, 6),    word(7, 7, 7),  word(8, 8, 8),    word(9, 9, 9),
    word(12, 12, 12)};
// The same, with index 0's colour shared by index 11.
const uint16_t kSharedZero[16] = {
    word(6, 6, 6),   word(31, 31, 31), word(31, 0, 0), word(0, 31, 0),   word(31, 0, 0),
    word(0, 0, 0),   0x8000 | word(0, 0, 31), word(10, 20, 30), word(4, 4, 4), word(0, 0, 0),
    word(5, 5, 5),   word(6, 6, 6),    word(7, 7, 7),  word(8, 8, 8),    word(9, 9, 9),
    word(12, 12, 12)};

uint8_t expand(int v) { return static_cast<uint8_t>(v * 255 / 31); }  // the display levels

TEST(MatchPaletteColour, RulesOneByOne) {
  struct Case {
    const char* name;
    const uint16_t* palette;
    int r, g, b, a, current;
    bool has_alpha;
    int expected;
  };
  const Case cases[] = {
      {"alpha 127 is transparent", kPalette, 255, 255, 255, 127, 1, true, 0},
      {"alpha 128 is opaque", kPalette, 255, 255, 255, 128, -1, true, 1},
      {"5-bit value << 3", kPalette, 80, 160, 240, 255, -1, true, 7},
      {"5-bit value x 255 / 31", kPalette, 82, 164, 246, 255, -1, true, 7},
      {"low three bits ignored", kPalette, 87, 167, 247, 255, -1, true, 7},
      {"one step off", kPalette, 79, 160, 240, 255, -1, true, -1},
      {"bit 15 of the word ignored", kPalette, 0, 0, 255, 255, -1, true, 6},
      {"repeated colour: lowest", kPalette, 255, 0, 0, 255, -1, true, 2},
      {"repeated colour: the current index", kPalette, 255, 0, 0, 255, 4, true, 4},
      {"repeated colour: current not among them", kPalette, 255, 0, 0, 255, 3, true, 2},
      {"index 0's colour alone", kPalette, 8, 16, 24, 255, 5, true, 0},
      {"index 0's colour alone, no alpha", kPalette, 8, 16, 24, 255, 5, false, 0},
      {"black twice, current 9", kPalette, 0, 0, 0, 255, 9, true, 9},
      {"outside the palette", kPalette, 128, 0, 128, 255, 0, true, -1},
      // Index 0's colour shared with 11. With alpha, transparency says what is 0: an opaque
      // pixel takes 11. Without, the untouched background in 0's colour stays 0.
      {"shared with 0, alpha: the opaque index", kSharedZero, 48, 48, 48, 255, -1, true, 11},
      {"shared with 0, alpha, the pixel 0 now", kSharedZero, 48, 48, 48, 255, 0, true, 11},
      {"shared with 0, no alpha, the pixel 0 now", kSharedZero, 48, 48, 48, 255, 0, false, 0},
      {"shared with 0, no alpha, the pixel 11 now", kSharedZero, 48, 48, 48, 255, 11, false, 11},
      {"shared with 0, no alpha, current elsewhere", kSharedZero, 48, 48, 48, 255, 3, false, 11},
      {"shared with 0, no alpha, current unknown", kSharedZero, 48, 48, 48, 255, -1, false, 11},
      {"repeated colour, no alpha: the current index", kPalette, 255, 0, 0, 255, 4, false, 4},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(match_palette_colour(static_cast<uint8_t>(c.r), static_cast<uint8_t>(c.g),
                                   static_cast<uint8_t>(c.b), static_cast<uint8_t>(c.a), c.palette,
                                   c.current, c.has_alpha),
              c.expected)
        << c.name;
  }
}

TEST(MapRgba, WholePictureOrARefusalNamingTheFirstOutsidePixel) {
  // 3 x 2: white, red (current 4), transparent / blue, black, white.
  const Bytes rgba = {255, 255, 255, 255, 255, 0, 0, 255, 9, 9, 9, 0,
                      0, 0, 255, 255,     0, 0, 0, 255,   248, 248, 248, 255};
  const Bytes current = {1, 4, 3, 6, 9, 1};
  PaletteMapping m = map_rgba_to_palette(rgba.data(), 3, 2, true, kPalette, current.data());
  EXPECT_EQ(m.result, MappingResult::kMappedByColour);
  EXPECT_EQ(m.indices, (Bytes{1, 4, 0, 6, 9, 1}));
  EXPECT_EQ(map_rgba_to_palette(rgba.data(), 3, 2, true, kPalette, nullptr).indices,
            (Bytes{1, 2, 0, 6, 5, 1}));

  Bytes outside = rgba;
  outside[3 * 4 + 1] = 0x7F;  // (0, 1) becomes #007FFF
  outside[5 * 4 + 0] = 0x10;  // (2, 1) too, later in row order
  m = map_rgba_to_palette(outside.data(), 3, 2, true, kPalette, nullptr);
  EXPECT_FALSE(mapping_accepted(m));
  EXPECT_TRUE(m.indices.empty());
  EXPECT_EQ(outside_palette_message(m),
            "2 pixels have colours outside the palette; the first is at (0, 1): #007FFF");
  outside[5 * 4 + 0] = 248;
  EXPECT_EQ(outside_palette_message(map_rgba_to_palette(outside.data(), 3, 2, true, kPalette, nullptr)),
            "1 pixel has a colour outside the palette; it is at (0, 1): #007FFF");
}

Picture indexed(const Bytes& indices, int colour_count) {
  Picture p;
  p.width = static_cast<int>(indices.size());
  p.height = 1;
  p.indices = indices;
  p.colour_count = colour_count;
  for (int i = 0; i < 16; ++i) {
    const int w = kPalette[i];
    p.colours[i] = expand(w & 31) | expand((w >> 5) & 31) << 8 |
                   static_cast<uint32_t>(expand((w >> 10) & 31)) << 16;
    p.colour_alpha[i] = 255;
  }
  return p;
}

TEST(MapIndexedPicture, TableAgreesOrWasResortedOrHoldsForeignColours) {
  // Without a table the indices stay, whatever they are.
  Picture p = indexed({3, 200, 7}, 0);
  PaletteMapping m = map_picture_to_palette(p, kPalette, nullptr);
  EXPECT_EQ(m.result, MappingResult::kIndicesAsStored);
  EXPECT_EQ(m.indices, (Bytes{3, 200, 7}));

  // Used colours agree (an unused entry may hold anything, index 0 may be transparent in any
  // colour): the indices as stored, the repeated red at 4 included.
  p = indexed({4, 0, 7, 5}, 16);
  p.colours[12] = 0x123456;
  p.colours[0] = 0xABCDEF;
  p.colour_alpha[0] = 0;
  m = map_picture_to_palette(p, kPalette, nullptr);
  EXPECT_EQ(m.result, MappingResult::kIndicesAsStored);
  EXPECT_EQ(m.indices, (Bytes{4, 0, 7, 5}));

  // A program re-sorted the table: entries 7 and 3 swapped places, entry 5 (black) moved to
  // 15, and 12 turned transparent. Mapped back by colour, with the current indices deciding
  // between the two blacks.
  p = indexed({3, 7, 15, 15, 12}, 16);
  std::swap(p.colours[3], p.colours[7]);
  p.colours[15] = 0;
  p.colour_alpha[12] = 0;
  const Bytes current = {0, 0, 9, 5, 12};
  m = map_picture_to_palette(p, kPalette, current.data());
  EXPECT_EQ(m.result, MappingResult::kRemappedByColour);
  EXPECT_EQ(m.indices, (Bytes{7, 3, 9, 5, 0}));

  // A transparent entry agrees only at index 0: elsewhere its pixels are remapped to 0.
  p = indexed({1, 12}, 16);
  p.colour_alpha[12] = 0;
  m = map_picture_to_palette(p, kPalette, nullptr);
  EXPECT_EQ(m.result, MappingResult::kRemappedByColour);
  EXPECT_EQ(m.indices, (Bytes{1, 0}));

  // An index above 15 cannot agree with the 16 entries even with the right colour.
  p = indexed({1, 17}, 18);
  p.colours[17] = p.colours[1];
  p.colour_alpha[17] = 255;
  m = map_picture_to_palette(p, kPalette, nullptr);
  EXPECT_EQ(m.result, MappingResult::kRemappedByColour);
  EXPECT_EQ(m.indices, (Bytes{1, 1}));
}

// A table of the program's own (a grey ramp a paint program wrote, edited by index) holds
// colours the palette lacks: its indices count, with a note. A re-sorted table is still matched
// by colour. --map forces either way.
TEST(MapIndexedPicture, OwnTablesByIndexResortedTablesByColourUnlessForced) {
  Picture grey = indexed({1, 2, 15, 3}, 16);
  for (int i = 0; i < 16; ++i) grey.colours[i] = 0x111111u * static_cast<uint32_t>(i);
  Picture resorted = indexed({3, 7, 1}, 16);
  std::swap(resorted.colours[3], resorted.colours[7]);
  const struct { const Picture* picture; IndexedMapping how; MappingResult result; Bytes indices; }
      cases[] = {
          {&grey, IndexedMapping::kAuto, MappingResult::kIndicesOwnTable, {1, 2, 15, 3}},
          {&grey, IndexedMapping::kIndices, MappingResult::kIndicesAsStored, {1, 2, 15, 3}},
          {&grey, IndexedMapping::kColours, MappingResult::kColoursOutsidePalette, {}},
          {&resorted, IndexedMapping::kAuto, MappingResult::kRemappedByColour, {7, 3, 1}},
          {&resorted, IndexedMapping::kIndices, MappingResult::kIndicesAsStored, {3, 7, 1}},
      };
  for (const auto& c : cases) {
    MappingOptions options;
    options.indexed = c.how;
    const PaletteMapping m = map_picture_to_palette(*c.picture, kPalette, nullptr, options);
    EXPECT_EQ(m.result, c.result) << static_cast<int>(c.how);
    EXPECT_EQ(m.indices, c.indices) << static_cast<int>(c.how);
  }
  // Of the greys 11, 22, FF and 33 only 11 has no entry (22, 33 and white have 8, 11 and 1):
  // one such colour makes the table the picture's own.
  EXPECT_EQ(own_table_message(map_picture_to_palette(grey, kPalette, nullptr)),
            "The picture's colour table is not the palette (1 pixel has a colour outside it, at "
            "(0, 0): #111111), so its indices were taken as stored");
}

#ifndef _WIN32
// A sheet drawn with the palette's display colours, saved by ImageMagick as true colour (and as
// a palette PNG whose order it chooses), maps back to the very indices it was drawn with.
TEST(MapIndexedPicture, SheetsSavedByImageMagickComeBackIndexForIndex) {
  if (!cli_test::have_program("convert")) GTEST_SKIP() << "ImageMagick's convert is not installed";
  const std::string folder =
      (std::filesystem::temp_directory_path() / "vcv_mapping_magick").string();
  std::filesystem::create_directories(folder);
  IndexedImage sheet;
  sheet.width = 64;
  sheet.height = 24;
  const Picture colours = indexed({}, 16);
  std::copy(colours.colours, colours.colours + 16, sheet.palette);
  for (int y = 0; y < sheet.height; ++y)
    for (int x = 0; x < sheet.width; ++x) {
      sheet.pixels.push_back(static_cast<uint8_t>((x / 3 + y * 5) % 16));
    }
  std::string error;
  ASSERT_TRUE(write_bmp(sheet, folder + "/sheet.bmp", &error)) << error;
  ASSERT_TRUE(write_png(sheet, folder + "/sheet.png", &error)) << error;
  struct Variant {
    const char* command;
    const char* out;
    MappingResult result;
  };
  const Variant variants[] = {
      {"sheet.bmp -type TrueColor PNG24:", "rgb.png", MappingResult::kMappedByColour},
      {"sheet.bmp -type TrueColor BMP3:", "rgb24.bmp", MappingResult::kMappedByColour},
      {"sheet.png PNG32:", "rgba.png", MappingResult::kMappedByColour},  // index 0 transparent
      // ImageMagick orders the palette its own way (and merges the repeated colours).
      {"sheet.bmp -define png:bit-depth=8 PNG8:", "resorted.png", MappingResult::kRemappedByColour},
  };
  for (const Variant& v : variants) {
    const std::string out = folder + "/" + v.out;
    const std::string command =
        "cd " + folder + " && convert " + v.command + out + " 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    Picture picture;
    ASSERT_TRUE(read_picture_file(out, &picture, &error)) << error;
    // The sheet's own indices decide between the two reds and the two blacks.
    const PaletteMapping m = map_picture_to_palette(picture, kPalette, sheet.pixels.data());
    ASSERT_TRUE(mapping_accepted(m)) << v.out << ": " << outside_palette_message(m);
    EXPECT_EQ(m.indices, sheet.pixels) << v.out;
    EXPECT_EQ(m.result, v.result) << v.out;
  }
  std::filesystem::remove_all(folder);
}
#endif

}  // namespace
}  // namespace vcv
