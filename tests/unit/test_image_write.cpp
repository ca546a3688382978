#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "image/dib_build.h"
#include "image/indexed_image.h"
#include "image/png_build.h"
#include "image/picture_read.h"
#include "lodepng/lodepng.h"

namespace vcv {
namespace {

uint32_t u32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
int u16(const std::vector<uint8_t>& b, size_t at) { return b[at] | (b[at + 1] << 8); }

TEST(BuildDib, HeaderColourTableAndBottomUpRows) {
  const uint8_t pixels[8] = {1, 2, 3, 4, 5, 6, 7, 8};  // 4 x 2
  uint32_t colours[16] = {};
  colours[1] = 0x00112233;  // blue 11, green 22, red 33
  const std::vector<uint8_t> dib = build_dib(pixels, 4, 2, 16, colours);
  ASSERT_EQ(dib.size(), 40u + 64u + 8u);
  EXPECT_EQ(u32(dib, 0), 40u);
  EXPECT_EQ(u32(dib, 4), 4u);
  EXPECT_EQ(u32(dib, 8), 2u);
  EXPECT_EQ(u16(dib, 12), 1);
  EXPECT_EQ(u16(dib, 14), 8);
  EXPECT_EQ(u32(dib, 16), 0u);
  EXPECT_EQ(u32(dib, 20), 0u);
  EXPECT_EQ(u32(dib, 32), 16u);
  EXPECT_EQ(u32(dib, 36), 0u);
  EXPECT_EQ(dib[44], 0x11);
  EXPECT_EQ(dib[45], 0x22);
  EXPECT_EQ(dib[46], 0x33);
  EXPECT_EQ(dib[47], 0x00);
  EXPECT_EQ(std::vector<uint8_t>(dib.begin() + 104, dib.end()),
            (std::vector<uint8_t>{5, 6, 7, 8, 1, 2, 3, 4}));
}

TEST(BuildDib, RowsArePaddedToFourBytesAndBadArgumentsGiveNothing) {
  const uint8_t pixels[6] = {1, 2, 3, 4, 5, 6};  // 3 x 2
  const uint32_t colours[2] = {0, 0xFFFFFF};
  const std::vector<uint8_t> dib = build_dib(pixels, 3, 2, 2, colours);
  ASSERT_EQ(dib.size(), 40u + 8u + 8u);
  EXPECT_EQ(std::vector<uint8_t>(dib.begin() + 48, dib.end()),
            (std::vector<uint8_t>{4, 5, 6, 0, 1, 2, 3, 0}));
  EXPECT_TRUE(build_dib(nullptr, 3, 2, 2, colours).empty());
  EXPECT_TRUE(build_dib(pixels, 0, 2, 2, colours).empty());
  EXPECT_TRUE(build_dib(pixels, 3, -1, 2, colours).empty());
  EXPECT_TRUE(build_dib(pixels, 3, 2, 257, colours).empty());
}

IndexedImage small_image() {
  IndexedImage image;
  image.width = 8;
  image.height = 3;
  for (int i = 0; i < 24; ++i) image.pixels.push_back(static_cast<uint8_t>(i % 16));
  for (int i = 0; i < 16; ++i) image.palette[i] = static_cast<uint32_t>(0x00030201 * i);
  return image;
}

class ImageFileTest : public ::testing::Test {
 protected:
  std::string path(const std::string& name) {
    const std::string p = (std::filesystem::temp_directory_path() / ("vcv_image_" + name)).string();
    made_.push_back(p);
    return p;
  }
  void TearDown() override {
    std::error_code ignored;
    for (const auto& p : made_) std::filesystem::remove(p, ignored);
  }
  static std::vector<uint8_t> read(const std::string& p) {
    std::vector<uint8_t> bytes(static_cast<size_t>(std::filesystem::file_size(p)));
    std::FILE* f = std::fopen(p.c_str(), "rb");
    EXPECT_EQ(std::fread(bytes.data(), 1, bytes.size(), f), bytes.size());
    std::fclose(f);
    return bytes;
  }
  std::vector<std::string> made_;
};

TEST_F(ImageFileTest, BmpIsAFileHeaderBeforeTheClipboardBlock) {
  const IndexedImage image = small_image();
  std::string error;
  const std::string p = path("a.BMP");
  ASSERT_TRUE(write_indexed_image(image, p, &error)) << error;
  const std::vector<uint8_t> bytes = read(p);
  ASSERT_EQ(bytes.size(), 14u + 40u + 64u + 24u);
  EXPECT_EQ(bytes[0], 'B');
  EXPECT_EQ(bytes[1], 'M');
  EXPECT_EQ(u32(bytes, 2), bytes.size());
  EXPECT_EQ(u32(bytes, 10), 14u + 40u + 64u);
  const std::vector<uint8_t> dib = build_dib(image.pixels.data(), 8, 3, 16, image.palette);
  EXPECT_TRUE(std::equal(dib.begin(), dib.end(), bytes.begin() + 14));
  EXPECT_FALSE(write_bmp(IndexedImage(), path("empty.bmp"), &error));
  EXPECT_FALSE(write_bmp(image, "/nonexistent-folder/x.bmp", &error));
  EXPECT_NE(error.find("cannot write /nonexistent-folder/x.bmp"), std::string::npos) << error;
}

// The chunks of a PNG file by type, in order.
std::vector<std::pair<std::string, std::vector<uint8_t>>> chunks(const std::vector<uint8_t>& png) {
  std::vector<std::pair<std::string, std::vector<uint8_t>>> out;
  for (size_t at = 8; at + 12 <= png.size();) {
    const size_t length = (static_cast<size_t>(png[at]) << 24) | (png[at + 1] << 16) |
                          (png[at + 2] << 8) | png[at + 3];
    out.emplace_back(std::string(png.begin() + at + 4, png.begin() + at + 8),
                     std::vector<uint8_t>(png.begin() + at + 8, png.begin() + at + 8 + length));
    at += 12 + length;
  }
  return out;
}

TEST(BuildPng, EightBitPaletteWithIndexZeroTransparent) {
  const IndexedImage image = small_image();
  const std::vector<uint8_t> png = build_png_file(image);
  ASSERT_FALSE(png.empty());
  const auto parts = chunks(png);
  ASSERT_GE(parts.size(), 5u);
  EXPECT_EQ(parts[0].first, "IHDR");
  EXPECT_EQ(parts[0].second[8], 8);  // bits per index
  EXPECT_EQ(parts[0].second[9], 3);  // palette colour type
  EXPECT_EQ(parts[1].first, "PLTE");
  ASSERT_EQ(parts[1].second.size(), 48u);
  EXPECT_EQ(parts[1].second[3 * 5 + 1], 10);  // green of colour 5 (0x00030201 x 5)
  EXPECT_EQ(parts[2].first, "tRNS");
  EXPECT_EQ(parts[2].second, std::vector<uint8_t>{0});  // index 0 only: fully transparent
  // Decoded by LodePNG itself, not by the project's reader: the indices as given.
  unsigned char* raw = nullptr;
  unsigned width = 0, height = 0;
  LodePNGState state;
  lodepng_state_init(&state);
  state.decoder.color_convert = 0;
  ASSERT_EQ(lodepng_decode(&raw, &width, &height, &state, png.data(), png.size()), 0u);
  EXPECT_EQ(std::vector<uint8_t>(raw, raw + width * height), image.pixels);
  std::free(raw);
  lodepng_state_cleanup(&state);

  // Unusable arguments give nothing: an index without a colour, too many colours, no pixels.
  const uint8_t pixels[4] = {0, 1, 2, 3};
  EXPECT_TRUE(build_png(pixels, 2, 2, 3, image.palette).empty());
  EXPECT_FALSE(build_png(pixels, 2, 2, 4, image.palette).empty());
  EXPECT_TRUE(build_png(pixels, 2, 2, 257, image.palette).empty());
  EXPECT_TRUE(build_png(pixels, 0, 2, 4, image.palette).empty());
  EXPECT_TRUE(build_png(pixels, 8193, 8193, 4, image.palette).empty());
}

TEST_F(ImageFileTest, PngFileReadsBackIndexForIndex) {
  const IndexedImage image = small_image();
  std::string error;
  const std::string p = path("a.png");
  ASSERT_TRUE(write_indexed_image(image, p, &error)) << error;
  EXPECT_EQ(read(p), build_png_file(image));
  Picture back;
  ASSERT_TRUE(read_picture_file(p, &back, &error)) << error;
  EXPECT_EQ(back.kind, PictureKind::kIndexed);
  EXPECT_EQ(back.indices, image.pixels);
  EXPECT_EQ(back.colours[7], image.palette[7]);
  EXPECT_EQ(back.colour_alpha[0], 0);
  EXPECT_FALSE(write_png(IndexedImage(), path("empty.png"), &error));
}

}  // namespace
}  // namespace vcv
