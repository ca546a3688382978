#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "edit/dib_build.h"
#include "image/indexed_image.h"

#ifdef VANTOR_HAVE_PNG
#include <png.h>
#endif

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
  EXPECT_NE(error.find("cannot create"), std::string::npos);
}

#ifdef VANTOR_HAVE_PNG
TEST_F(ImageFileTest, PngKeepsTheColoursAndMakesIndexZeroTransparent) {
  const IndexedImage image = small_image();
  std::string error;
  const std::string p = path("a.png");
  ASSERT_TRUE(write_indexed_image(image, p, &error)) << error;
  png_image read{};
  read.version = PNG_IMAGE_VERSION;
  ASSERT_NE(png_image_begin_read_from_file(&read, p.c_str()), 0);
  EXPECT_EQ(read.width, 8u);
  EXPECT_EQ(read.height, 3u);
  EXPECT_TRUE(read.format & PNG_FORMAT_FLAG_COLORMAP);
  read.format = PNG_FORMAT_RGBA;
  std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(read));
  ASSERT_NE(png_image_finish_read(&read, nullptr, rgba.data(), 0, nullptr), 0);
  for (int i = 0; i < 24; ++i) {
    const int index = i % 16;
    EXPECT_EQ(rgba[4 * i + 3], index == 0 ? 0 : 255) << i;
    if (index != 0) {
      EXPECT_EQ(rgba[4 * i + 0], index * 1) << "red";
      EXPECT_EQ(rgba[4 * i + 1], index * 2) << "green";
      EXPECT_EQ(rgba[4 * i + 2], index * 3) << "blue";
    }
  }
}
#else
TEST_F(ImageFileTest, PngWithoutLibpngSaysToUseBmp) {
  std::string error;
  EXPECT_FALSE(write_indexed_image(small_image(), path("a.png"), &error));
  EXPECT_EQ(error, "PNG support is not built in; use .bmp");
}
#endif

}  // namespace
}  // namespace vcv
