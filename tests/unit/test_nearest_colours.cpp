// Nearest palette colours: the CIEDE2000 difference against published reference pairs, colours
// and the entries they take (chosen where the plain Lab or RGB distance would choose another),
// and the promise that an opaque pixel never takes the transparent index 0.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "image/colour_difference.h"
#include "image/palette_mapping.h"

namespace vcv {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint16_t word(int r, int g, int b) { return static_cast<uint16_t>(r | g << 5 | b << 10); }

// Reference pairs and their differences, four decimals, from the test data Sharma, Wu and Dalal
// published with their notes on CIEDE2000 (Color Research and Application 30, 2005): the blue
// rotation (1-6), a neutral colour (7), the hue mean across 0/360 degrees (9-15), large
// differences (17-20) and measured samples (25-34).
TEST(Ciede2000, PublishedReferencePairs) {
  struct Pair {
    int number;
    LabColour first, second;
    double difference;
  };
  const Pair pairs[] = {
      {1, {50, 2.6772, -79.7751}, {50, 0, -82.7485}, 2.0425},
      {4, {50, -1.3802, -84.2814}, {50, 0, -82.7485}, 1.0000},
      {7, {50, 0, 0}, {50, -1, 2}, 2.3669},
      {9, {50, 2.49, -0.001}, {50, -2.49, 0.0009}, 7.1792},
      {11, {50, 2.49, -0.001}, {50, -2.49, 0.0011}, 7.2195},
      {13, {50, -0.001, 2.49}, {50, 0.0009, -2.49}, 4.8045},
      {15, {50, -0.001, 2.49}, {50, 0.0011, -2.49}, 4.7461},
      {16, {50, 2.5, 0}, {50, 0, -2.5}, 4.3065},
      {17, {50, 2.5, 0}, {73, 25, -18}, 27.1492},
      {19, {50, 2.5, 0}, {56, -27, -3}, 31.9030},
      {25, {60.2574, -34.0099, 36.2677}, {60.4626, -34.1751, 39.4387}, 1.2644},
      {29, {22.7233, 20.0904, -46.694}, {23.0331, 14.973, -42.5619}, 2.0373},
      {31, {90.8027, -2.0831, 1.441}, {91.1528, -1.6435, 0.0447}, 1.4441},
      {34, {2.0776, 0.0795, -1.135}, {0.9033, -0.0636, -0.5514}, 0.9082},
  };
  for (const Pair& p : pairs) {
    EXPECT_NEAR(ciede2000(p.first, p.second), p.difference, 5e-5) << "pair " << p.number;
    EXPECT_NEAR(ciede2000(p.second, p.first), p.difference, 5e-5) << "pair " << p.number;
  }
  // sRGB primaries in CIELAB (D65).
  const LabColour red = srgb_to_lab(255, 0, 0), blue = srgb_to_lab(0, 0, 255);
  EXPECT_NEAR(red.l, 53.2408, 1e-3);
  EXPECT_NEAR(red.a, 80.0925, 1e-3);
  EXPECT_NEAR(red.b, 67.2032, 1e-3);
  EXPECT_NEAR(blue.l, 32.2970, 1e-3);
  EXPECT_NEAR(blue.a, 79.1875, 1e-3);
  EXPECT_NEAR(blue.b, -107.8602, 1e-3);
  EXPECT_NEAR(srgb_to_lab(255, 255, 255).l, 100, 1e-3);
}

// 0 is black (the transparent colour); 7 a dark grey; 13 a navy.
const uint16_t kSprite[16] = {
    word(0, 0, 0),    word(31, 31, 31), word(31, 0, 0),   word(0, 31, 0),
    word(0, 0, 31),   word(31, 31, 0),  word(16, 16, 16), word(8, 8, 8),
    word(31, 16, 0),  word(16, 0, 16),  word(0, 16, 16),  word(24, 20, 16),
    word(31, 24, 24), word(4, 4, 20),   word(20, 28, 31), word(12, 8, 4)};

TEST(NearestPaletteColour, ColoursAndTheEntriesTheyTake) {
  struct Case {
    int r, g, b;
    int current;
    int expected;
    const char* why;
  };
  const Case cases[] = {
      {250, 5, 5, -1, 2, "almost red"},
      {128, 128, 128, -1, 6, "mid grey"},
      {10, 10, 10, -1, 7, "almost black: the dark grey, never the transparent black"},
      {0, 0, 200, -1, 13, "a blue: navy (the Lab and RGB distances say blue, 4)"},
      {121, 66, 189, -1, 9, "a violet: purple (Lab distance: navy 13; RGB: grey 6)"},
      {211, 79, 102, -1, 2, "a rose: red (Lab distance: pink 12; RGB: skin 11)"},
      {52, 138, 220, -1, 6, "a sky blue: grey (Lab distance: light blue 14; RGB: teal 10)"},
      {250, 5, 5, 12, 2, "the current index counts only among equally near entries"},
  };
  for (const Case& c : cases) {
    double difference = -1;
    EXPECT_EQ(nearest_palette_colour(uint8_t(c.r), uint8_t(c.g), uint8_t(c.b), kSprite,
                                     c.current, &difference),
              c.expected)
        << c.why;
    EXPECT_GT(difference, 0) << c.why;
  }
  // Two entries of one colour: the current index if it is one of them, else the lower.
  uint16_t twice[16];
  std::copy(kSprite, kSprite + 16, twice);
  twice[12] = twice[2];
  double difference = 0;
  EXPECT_EQ(nearest_palette_colour(250, 5, 5, twice, 12, &difference), 12);
  EXPECT_EQ(nearest_palette_colour(250, 5, 5, twice, 3, &difference), 2);
}

// Every opaque colour outside the palette takes an entry 1 to 15, whatever index 0 holds and
// however near it is; transparent pixels stay 0; the message gives the count and the largest
// difference.
TEST(NearestPaletteColour, AnOpaquePixelNeverBecomesTransparent) {
  Bytes rgba;
  for (int r = 0; r < 256; r += 15) {
    for (int g = 0; g < 256; g += 15) {
      for (int b = 0; b < 256; b += 15) {
        rgba.insert(rgba.end(), {uint8_t(r), uint8_t(g), uint8_t(b), 255});
      }
    }
  }
  rgba.insert(rgba.end(), {1, 2, 3, 0});  // transparent
  const int width = static_cast<int>(rgba.size() / 4);
  for (bool has_alpha : {false, true}) {
    const PaletteMapping m =
        map_rgba_to_palette(rgba.data(), width, 1, has_alpha, kSprite, nullptr, true);
    ASSERT_EQ(m.result, MappingResult::kMappedByColour);
    ASSERT_EQ(m.indices.size(), static_cast<size_t>(width));
    for (int i = 0; i + 1 < width; ++i) {
      const uint8_t* p = &rgba[4 * static_cast<size_t>(i)];
      const bool black = p[0] < 8 && p[1] < 8 && p[2] < 8;  // index 0's own colour
      if (!black) {
        EXPECT_NE(m.indices[static_cast<size_t>(i)], 0) << i;
      }
    }
    EXPECT_EQ(m.indices.back(), 0);
    EXPECT_GT(m.outside.pixels, width / 2);
  }
  // (0, 0, 200) is the farthest of these from its nearest entry.
  const Bytes two = {0, 0, 200, 255, 245, 10, 10, 255};
  const PaletteMapping m = map_rgba_to_palette(two.data(), 2, 1, false, kSprite, nullptr, true);
  EXPECT_EQ(m.indices, (Bytes{13, 2}));
  EXPECT_EQ(nearest_colours_message(m),
            "2 pixels were mapped to the nearest palette colours; the largest colour difference "
            "(CIEDE2000) is 5.2");
}

}  // namespace
}  // namespace vcv
