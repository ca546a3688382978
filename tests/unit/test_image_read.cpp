// Reading indexed pictures: BMP in every layout the reader takes (built byte by byte here), PNG
// through libpng, and refusals of what it cannot read exactly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "image/image_read.h"
#include "image/indexed_image.h"

namespace vcv {
namespace {

void put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A BMP file: 14-byte file header, info header of `header_size`, `colours` table entries, then
// `pixel_data` as given.
std::vector<uint8_t> bmp(uint32_t header_size, int32_t width, int32_t height, int bits,
                         uint32_t compression, int colours, const std::vector<uint8_t>& pixel_data) {
  // A header shorter than 40 bytes still gets room for the fields written below.
  const size_t start = 14 + std::max<size_t>(header_size, 40) + 4 * static_cast<size_t>(colours);
  std::vector<uint8_t> b(start, 0);
  b[0] = 'B';
  b[1] = 'M';
  put32(b, 10, static_cast<uint32_t>(start));
  put32(b, 14, header_size);
  put32(b, 18, static_cast<uint32_t>(width));
  put32(b, 22, static_cast<uint32_t>(height));
  put16(b, 26, 1);
  put16(b, 28, static_cast<uint32_t>(bits));
  put32(b, 30, compression);
  put32(b, 46, static_cast<uint32_t>(colours));
  for (int i = 0; i < colours; ++i) {
    b[start - 4 * static_cast<size_t>(colours - i)] = static_cast<uint8_t>(i);          // blue
    b[start - 4 * static_cast<size_t>(colours - i) + 2] = static_cast<uint8_t>(255 - i);  // red
  }
  b.resize(start + pixel_data.size());
  for (size_t i = 0; i < pixel_data.size(); ++i) b[start + i] = pixel_data[i];
  put32(b, 2, static_cast<uint32_t>(b.size()));
  return b;
}

IndexedImage read_ok(const std::vector<uint8_t>& file) {
  IndexedImage image;
  std::string error;
  EXPECT_TRUE(read_indexed_image_bytes(file, &image, &error)) << error;
  return image;
}

std::string read_error(const std::vector<uint8_t>& file) {
  IndexedImage image;
  std::string error;
  EXPECT_FALSE(read_indexed_image_bytes(file, &image, &error));
  return error;
}

TEST(ImageReadBmp, PlainRowsOfEveryDepthAndHeaderVersion) {
  // 5 x 2, bottom-up: stored row 0 is the bottom row. Rows padded to 4 bytes.
  const std::vector<uint8_t> eight = {10, 11, 12, 13, 14, 0, 0, 0,   // bottom row
                                      1, 2, 3, 4, 5, 0, 0, 0};       // top row
  for (uint32_t header : {40u, 108u, 124u}) {
    const IndexedImage image = read_ok(bmp(header, 5, 2, 8, 0, 16, eight));
    ASSERT_EQ(image.width, 5);
    ASSERT_EQ(image.height, 2);
    EXPECT_EQ(image.pixels, (std::vector<uint8_t>{1, 2, 3, 4, 5, 10, 11, 12, 13, 14})) << header;
    EXPECT_EQ(image.palette[3], 252u | (3u << 16));
  }
  // Top-down (negative height): stored row 0 is the top row.
  EXPECT_EQ(read_ok(bmp(40, 5, -2, 8, 0, 16, eight)).pixels,
            (std::vector<uint8_t>{10, 11, 12, 13, 14, 1, 2, 3, 4, 5}));
  // 4 bits: high nibble first.
  const std::vector<uint8_t> four = {0x12, 0x34, 0x50, 0, 0xAB, 0xCD, 0xE0, 0};
  EXPECT_EQ(read_ok(bmp(40, 5, 2, 4, 0, 16, four)).pixels,
            (std::vector<uint8_t>{10, 11, 12, 13, 14, 1, 2, 3, 4, 5}));
  // 1 bit: most significant bit first.
  const std::vector<uint8_t> one = {0xA0, 0, 0, 0, 0x58, 0, 0, 0};
  EXPECT_EQ(read_ok(bmp(40, 5, 2, 1, 0, 2, one)).pixels,
            (std::vector<uint8_t>{0, 1, 0, 1, 1, 1, 0, 1, 0, 0}));
}

TEST(ImageReadBmp, RunLengthEncodedRows) {
  // RLE8, 6 x 3: row 0 (bottom) = run of 3 x 7, absolute 3 bytes (padded), end of line;
  // row 1: delta right 2 and up 1 (to row 2), run 2 x 9, end of picture. Row 1 stays 0 except
  // what the delta skipped.
  const std::vector<uint8_t> rle8 = {3, 7, 0, 3, 1, 2, 3, 0, 0, 0,  // row 0, then end of line
                                     0, 2, 2, 1,                     // delta (2, 1): row 2, x 2
                                     2, 9, 0, 1};
  const IndexedImage image = read_ok(bmp(40, 6, 3, 8, 1, 16, rle8));
  EXPECT_EQ(image.pixels, (std::vector<uint8_t>{0, 0, 9, 9, 0, 0,     // top row (row 2)
                                                0, 0, 0, 0, 0, 0,     // row 1
                                                7, 7, 7, 1, 2, 3}));  // bottom row
  // RLE4, 7 x 1: run of 3 alternating nibbles 1,2,1; absolute 3 pixels 4,5,6 (2 bytes, padded
  // to a word); one more run pixel; end of picture.
  const std::vector<uint8_t> rle4 = {3, 0x12, 0, 3, 0x45, 0x60, 1, 0xF0, 0, 1};
  EXPECT_EQ(read_ok(bmp(40, 7, 1, 4, 2, 16, rle4)).pixels,
            (std::vector<uint8_t>{1, 2, 1, 4, 5, 6, 15}));
  // Runs that overshoot the row or the picture are clipped, never written outside.
  const std::vector<uint8_t> wild = {255, 3, 0, 2, 255, 255, 200, 4, 0, 1};
  const IndexedImage clipped = read_ok(bmp(40, 4, 2, 8, 1, 16, wild));
  EXPECT_EQ(clipped.pixels, (std::vector<uint8_t>{0, 0, 0, 0, 3, 3, 3, 3}));
}

TEST(ImageReadBmp, RefusalsSayWhy) {
  const std::vector<uint8_t> row(16, 0);
  EXPECT_NE(read_error(bmp(40, 4, 2, 24, 0, 0, std::vector<uint8_t>(24, 0))).find("save it as an indexed"),
            std::string::npos);
  EXPECT_NE(read_error(bmp(40, 4, 2, 32, 3, 0, std::vector<uint8_t>(32, 0))).find("true-colour"),
            std::string::npos);
  EXPECT_FALSE(read_error(bmp(12, 4, 2, 8, 0, 0, row)).empty());         // core header
  EXPECT_FALSE(read_error(bmp(40, 0, 2, 8, 0, 16, row)).empty());        // no width
  EXPECT_FALSE(read_error(bmp(40, 4, 0, 8, 0, 16, row)).empty());        // no height
  EXPECT_FALSE(read_error(bmp(40, 4, 5, 8, 0, 16, row)).empty());        // rows missing
  EXPECT_FALSE(read_error(bmp(40, 4, -2, 8, 1, 16, row)).empty());       // top-down RLE
  EXPECT_FALSE(read_error(bmp(40, 4, 2, 8, 2, 16, row)).empty());        // RLE4 on 8 bits
  EXPECT_FALSE(read_error(bmp(40, 60000, 60000, 8, 0, 16, row)).empty()); // far too large
  EXPECT_FALSE(read_error(bmp(40, 4, 2, 8, 1, 16, {5, 1, 0})).empty());  // RLE cut short
  EXPECT_FALSE(read_error({'B', 'M', 0}).empty());
  EXPECT_FALSE(read_error({'G', 'I', 'F', '8'}).empty());
}

TEST(ImageReadBmp, MutatedFilesNeverCrash) {
  std::mt19937 random(99);
  const std::vector<uint8_t> rle8 = {3, 7, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 2, 1, 2, 9, 0, 1};
  const std::vector<std::vector<uint8_t>> seeds = {
      bmp(40, 6, 3, 8, 1, 16, rle8), bmp(124, 5, -2, 4, 0, 16, std::vector<uint8_t>(8, 0x5A)),
      bmp(40, 7, 1, 4, 2, 16, {3, 0x12, 0, 3, 0x45, 0x60, 1, 0xF0, 0, 1})};
  for (int round = 0; round < 3000; ++round) {
    std::vector<uint8_t> file = seeds[static_cast<size_t>(round) % seeds.size()];
    const int changes = 1 + static_cast<int>(random() % 5);
    for (int i = 0; i < changes; ++i) file[random() % file.size()] = static_cast<uint8_t>(random());
    if (random() % 4 == 0) file.resize(random() % (file.size() + 1));
    IndexedImage image;
    std::string error;
    if (read_indexed_image_bytes(file, &image, &error)) {
      ASSERT_EQ(image.pixels.size(), static_cast<size_t>(image.width) * image.height);
    } else {
      ASSERT_FALSE(error.empty());
    }
  }
}

#ifdef VANTOR_HAVE_PNG
TEST(ImageReadPng, WhatTheToolWritesComesBackIndexForIndex) {
  IndexedImage image;
  image.width = 24;
  image.height = 9;
  image.colour_count = 16;
  for (int i = 0; i < 16; ++i) image.palette[i] = 0x010203u * static_cast<uint32_t>(i);
  image.pixels.resize(24 * 9);
  for (size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = static_cast<uint8_t>(i * 5 % 16);
  const std::string path = ::testing::TempDir() + "vcv_read_back.png";
  std::string error;
  ASSERT_TRUE(write_png(image, path, &error)) << error;
  IndexedImage back;
  ASSERT_TRUE(read_indexed_image(path, &back, &error)) << error;
  EXPECT_EQ(back.width, 24);
  EXPECT_EQ(back.height, 9);
  EXPECT_EQ(back.pixels, image.pixels);
  EXPECT_EQ(back.palette[7], image.palette[7]);
  std::remove(path.c_str());
}

TEST(ImageReadPng, DamagedPngIsRefusedWithAReason) {
  IndexedImage image;
  image.width = 16;
  image.height = 16;
  image.pixels.assign(256, 3);
  const std::string path = ::testing::TempDir() + "vcv_damaged.png";
  std::string error;
  ASSERT_TRUE(write_png(image, path, &error)) << error;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  std::vector<uint8_t> bytes(4096);
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
  std::fclose(f);
  std::remove(path.c_str());
  for (size_t cut : {bytes.size() / 2, size_t{20}, size_t{8}}) {
    std::vector<uint8_t> part(bytes.begin(), bytes.begin() + static_cast<long>(cut));
    IndexedImage out;
    EXPECT_FALSE(read_indexed_image_bytes(part, &out, &error)) << cut;
    EXPECT_FALSE(error.empty());
  }
}
#endif

}  // namespace
}  // namespace vcv
