// Nearest palette colours: CIEDE2000 against published reference pairs, colours and the entries
// they take (chosen where the plain Lab or RGB distance would choose another), and an opaque
// pixel never taking the transparent index 0.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "image/colour_difference.h"
#include "image/palette_mapping.h"

namespace vcv {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint16_t word(int r, int g, int b) { return static_cast<uint16_t>(r | g << 5 | b << 10); }

// Pairs from the test data Sharma, Wu and Dalal published with their notes on CIEDE2000 (Color
// Research and Application 30, 2005): the blue rotation (1), a neutral colour (7), the hue mean
// across 0/360 degrees (9, 11, 15), a large difference (17), samples (25, 34).
TEST(Ciede2000, PublishedReferencePairs) {
  const struct { LabColour first, second; double difference; } pairs[] = {
      {{50, 2.6772, -79.7751}, {50, 0, -82.7485}, 2.0425},
      {{50, 0, 0}, {50, -1, 2}, 2.3669},
      {{50, 2.49, -0.001}, {50, -2.49, 0.0009}, 7.1792},
      {{50, 2.49, -0.001}, {50, -2.49, 0.0011}, 7.2195},
      {{50, -0.001, 2.49}, {50, 0.0011, -2.49}, 4.7461},
      {{50, 2.5, 0}, {73, 25, -18}, 27.1492},
      {{60.2574, -34.0099, 36.2677}, {60.4626, -34.1751, 39.4387}, 1.2644},
      {{2.0776, 0.0795, -1.135}, {0.9033, -0.0636, -0.5514}, 0.9082},
  };
  for (const auto& p : pairs) {
    EXPECT_NEAR(ciede2000(p.first, p.second), p.difference, 5e-5) << p.difference;
    EXPECT_NEAR(ciede2000(p.second, p.first), p.difference, 5e-5) << p.difference;
  }
  const LabColour blue = srgb_to_lab(0, 0, 255);  // sRGB blue in CIELAB (D65)
  EXPECT_TRUE(std::fabs(blue.l - 32.2970) + std::fabs(blue.a - 79.1875) +
              std::fabs(blue.b + 107.8602) < 1e-3);
}

// 0 is black (the transparent colour); 7 a dark grey; 13 a navy.
const uint16_t kSprite[16] = {
    word(0, 0, 0),  word(31, 31, 31), word(31, 0, 0),  word(0, 31, 0),   word(0, 0, 31),
    word(31, 31, 0), word(16, 16, 16), word(8, 8, 8),  word(31, 16, 0),  word(16, 0, 16),
    word(0, 16, 16), word(24, 20, 16), word(31, 24, 24), word(4, 4, 20), word(20, 28, 31),
    word(12, 8, 4)};

TEST(NearestPaletteColour, ColoursAndTheEntriesTheyTake) {
  const struct { int r, g, b, current, expected; } cases[] = {
      {10, 10, 10, -1, 7},     // almost black: the dark grey, never the transparent black
      {0, 0, 200, -1, 13},     // navy (the Lab and RGB distances say blue, 4)
      {121, 66, 189, -1, 9},   // purple (Lab distance: navy 13; RGB: grey 6)
      {211, 79, 102, -1, 2},   // red (Lab distance: pink 12; RGB: skin 11)
      {52, 138, 220, -1, 6},   // grey (Lab distance: light blue 14; RGB: teal 10)
  };
  double difference = 0;
  for (const auto& c : cases) {
    EXPECT_EQ(nearest_palette_colour(uint8_t(c.r), uint8_t(c.g), uint8_t(c.b), kSprite, c.current,
                                     &difference), c.expected) << c.r << "," << c.g << "," << c.b;
  }
  uint16_t twice[16];  // red at 2 and 12: the current index decides, else the lower
  std::copy(kSprite, kSprite + 16, twice);
  twice[12] = twice[2];
  EXPECT_EQ(nearest_palette_colour(245, 10, 10, twice, 12, &difference), 12);
  EXPECT_EQ(nearest_palette_colour(245, 10, 10, twice, 3, &difference), 2);
}

// Every opaque colour outside the palette takes an entry 1 to 15, however near black (index 0)
// it is; a transparent pixel stays 0; the message gives the count and the largest difference.
TEST(NearestPaletteColour, AnOpaquePixelNeverBecomesTransparent) {
  Bytes rgba;
  for (int c = 1; c < 1 << 15; c += 7) {  // colours spread over the cube, black excluded
    rgba.insert(rgba.end(), {uint8_t(c << 3), uint8_t(c >> 5 << 3), uint8_t(c >> 10 << 3), 255});
  }
  rgba.insert(rgba.end(), {1, 2, 3, 0});
  const int width = static_cast<int>(rgba.size() / 4);
  for (bool has_alpha : {false, true}) {
    const PaletteMapping m =
        map_rgba_to_palette(rgba.data(), width, 1, has_alpha, kSprite, nullptr, true);
    ASSERT_EQ(m.result, MappingResult::kMappedByColour);
    EXPECT_EQ(std::count(m.indices.begin(), m.indices.end(), 0), 1);
    EXPECT_EQ(m.indices.back(), 0);
  }
  const Bytes two = {0, 0, 200, 255, 245, 10, 10, 255};
  const PaletteMapping m = map_rgba_to_palette(two.data(), 2, 1, false, kSprite, nullptr, true);
  EXPECT_EQ(m.indices, (Bytes{13, 2}));
  EXPECT_EQ(nearest_colours_message(m),
            "2 pixels were mapped to the nearest palette colours; the largest colour difference "
            "(CIEDE2000) is 5.2");
}

}  // namespace
}  // namespace vcv
