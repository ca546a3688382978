#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "image/dib_build.h"
#include "image/dib_parse.h"

namespace vcv {
namespace {

void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A block laid out by hand: header of `header_size` bytes, `table_entries` colours, then
// `height` rows `stride` bytes apart, each pixel (x, y) of the stored order = row_value(x, i).
struct DibFields {
  uint32_t header_size = 40;
  int32_t width = 4;
  int32_t height = 2;
  uint16_t bits = 8;
  uint32_t compression = 0;
  uint32_t colours_used = 16;
  int table_entries = 16;
  int stride = -1;  // -1: width rounded up to 4
};

std::vector<uint8_t> make_dib(const DibFields& s) {
  const int stride = s.stride >= 0 ? s.stride : (s.width + 3) / 4 * 4;
  const int rows = s.height < 0 ? -s.height : s.height;
  const size_t pixel_start = s.header_size + 4 * static_cast<size_t>(s.table_entries);
  // Room for the 40-byte fields even when the header claims to be shorter.
  std::vector<uint8_t> b(std::max<size_t>(pixel_start + static_cast<size_t>(stride) * rows, 40), 0xEE);
  put32(b, 0, s.header_size);
  put32(b, 4, static_cast<uint32_t>(s.width));
  put32(b, 8, static_cast<uint32_t>(s.height));
  b[12] = 1;
  b[13] = 0;
  b[14] = static_cast<uint8_t>(s.bits);
  b[15] = static_cast<uint8_t>(s.bits >> 8);
  put32(b, 16, s.compression);
  put32(b, 32, s.colours_used);
  for (int i = 0; i < s.table_entries; ++i) {
    b[s.header_size + 4 * i] = static_cast<uint8_t>(i);          // blue
    b[s.header_size + 4 * i + 1] = static_cast<uint8_t>(i * 2);  // green
    b[s.header_size + 4 * i + 2] = static_cast<uint8_t>(i * 3);  // red
  }
  for (int i = 0; i < rows; ++i)
    for (int x = 0; x < s.width && x < stride; ++x) b[pixel_start + i * stride + x] = static_cast<uint8_t>(i * 16 + x);
  return b;
}

int parse(const std::vector<uint8_t>& block, std::vector<uint8_t>* pixels, DibInfo* info,
          size_t capacity = kPasteSpriteScratch) {
  pixels->assign(capacity, 0xAB);
  return parse_dib(block.data(), block.size(), pixels->data(), capacity, info);
}

TEST(DibParse, RoundTripsWhatTheToolBuilds) {
  const int width = 16, height = 24;
  std::vector<uint8_t> picture(width * height);
  for (size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<uint8_t>((i * 7) % 16);
  uint32_t colours[16];
  for (int i = 0; i < 16; ++i) colours[i] = 0x00102030u * static_cast<uint32_t>(i + 1) & 0xFFFFFF;
  const std::vector<uint8_t> block = build_dib(picture.data(), width, height, 16, colours);
  std::vector<uint8_t> pixels;
  DibInfo info;
  ASSERT_EQ(parse(block, &pixels, &info), kDibOk);
  EXPECT_EQ(info.width, width);
  EXPECT_EQ(info.height, height);
  EXPECT_EQ(info.colour_count, 16);
  EXPECT_EQ(0, std::memcmp(pixels.data(), picture.data(), picture.size()));
  for (int i = 0; i < 16; ++i) EXPECT_EQ(info.colours[i], colours[i]) << i;
  // Row 0 of the picture is the last stored row of the block.
  EXPECT_EQ(block[block.size() - width], picture[0]);
}

TEST(DibParse, RowOrderStridesAndTableLocation) {
  std::vector<uint8_t> pixels;
  DibInfo info;
  {  // bottom-up: stored row 0 is the bottom picture row
    DibFields s;
    ASSERT_EQ(parse(make_dib(s), &pixels, &info), kDibOk);
    EXPECT_EQ(pixels[0], 16);  // picture row 0 = stored row 1
    EXPECT_EQ(pixels[4 + 3], 3);
    EXPECT_EQ(info.colours[5], (5u * 3) | ((5u * 2) << 8) | (5u << 16));
  }
  {  // top-down: negative height, stored row 0 is the top row
    DibFields s;
    s.height = -3;
    ASSERT_EQ(parse(make_dib(s), &pixels, &info), kDibOk);
    EXPECT_EQ(info.height, 3);
    EXPECT_EQ(pixels[0], 0);
    EXPECT_EQ(pixels[2 * 4 + 1], 33);
  }
  {  // 256-entry table with biClrUsed 0: the pixels start 1024 bytes after the header
    DibFields s;
    s.colours_used = 0;
    s.table_entries = 256;
    ASSERT_EQ(parse(make_dib(s), &pixels, &info), kDibOk);
    EXPECT_EQ(info.colour_count, 256);
    EXPECT_EQ(pixels[0], 16);
  }
  {  // a 124-byte header: the table follows it
    DibFields s;
    s.header_size = 124;
    ASSERT_EQ(parse(make_dib(s), &pixels, &info), kDibOk);
    EXPECT_EQ(info.colours[1], 3u | (2u << 8) | (1u << 16));
    EXPECT_EQ(pixels[1], 17);
  }
  for (int width : {10, 12}) {  // rows 12 bytes apart either way
    DibFields s;
    s.width = width;
    s.height = 3;
    ASSERT_EQ(parse(make_dib(s), &pixels, &info), kDibOk);
    EXPECT_EQ(pixels[0], 32);
    EXPECT_EQ(pixels[static_cast<size_t>(width) + width - 1], 16 + width - 1);
    EXPECT_EQ(pixels[2 * static_cast<size_t>(width)], 0);
  }
}

TEST(DibParse, RefusesWhatItCannotReadExactly) {
  struct Case {
    const char* name;
    DibFields fields;
    int expected;
  };
  std::vector<Case> cases;
  auto add = [&](const char* name, int expected, auto change) {
    DibFields s;
    change(s);
    cases.push_back({name, s, expected});
  };
  add("24-bit", kDibNotEightBit, [](DibFields& s) { s.bits = 24; });
  add("4-bit", kDibNotEightBit, [](DibFields& s) { s.bits = 4; });
  add("RLE8", kDibCompressed, [](DibFields& s) { s.compression = 1; });
  add("bit fields", kDibCompressed, [](DibFields& s) { s.compression = 3; });
  add("300 colours", kDibTooManyColours, [](DibFields& s) { s.colours_used = 300; });
  add("huge colour count", kDibTooManyColours, [](DibFields& s) { s.colours_used = 0xFFFFFFFF; });
  add("width 0", kDibBadHeader, [](DibFields& s) { s.width = 0; });
  add("negative width", kDibBadHeader, [](DibFields& s) { s.width = -4; });
  add("height 0", kDibBadHeader, [](DibFields& s) { s.height = 0; });
  add("core header", kDibBadHeader, [](DibFields& s) { s.header_size = 12; });
  add("table past block", kDibTruncated, [](DibFields& s) { s.table_entries = 2; });
  add("rows past block", kDibTruncated, [](DibFields& s) { s.stride = 2; });
  for (const Case& c : cases) {
    std::vector<uint8_t> pixels;
    DibInfo info;
    EXPECT_EQ(parse(make_dib(c.fields), &pixels, &info), c.expected) << c.name;
    EXPECT_EQ(pixels[0], 0xAB) << c.name << ": a refused block must leave the pixels alone";
  }
  std::vector<uint8_t> pixels;
  DibInfo info;
  std::vector<uint8_t> block = make_dib(DibFields{});
  put32(block, 0, 0xFFFFFFF0);  // a header longer than the block
  EXPECT_EQ(parse(block, &pixels, &info), kDibTruncated);
  block.resize(39);  // shorter than any header
  EXPECT_EQ(parse(block, &pixels, &info), kDibTruncated);
}

TEST(DibParse, SizesThatOverflowOrExceedTheScratchBuffer) {
  std::vector<uint8_t> pixels;
  DibInfo info;
  DibFields s;
  std::vector<uint8_t> block = make_dib(s);
  // Width and height near the 32-bit limits: stride x height overflows 32 bits.
  put32(block, 4, 0x7FFFFFFF);
  put32(block, 8, 0x7FFFFFFF);
  EXPECT_EQ(parse(block, &pixels, &info), kDibTooLarge);
  put32(block, 8, static_cast<uint32_t>(INT_MIN));
  EXPECT_EQ(parse(block, &pixels, &info), kDibTooLarge);
  put32(block, 4, 4);
  EXPECT_EQ(parse(block, &pixels, &info), kDibTooLarge);

  // 512 x 512 fills the Paste Sprite buffer exactly; one more stored row-group does not fit.
  s.width = 512;
  s.height = 512;
  s.table_entries = 16;
  EXPECT_EQ(parse(make_dib(s), &pixels, &info), kDibOk);
  s.width = 513;  // stored rows of 516 bytes
  EXPECT_EQ(parse(make_dib(s), &pixels, &info), kDibTooLarge);
  // The Paste All Img buffer holds the 128 x 640 sheet and no more.
  s.width = 128;
  s.height = 640;
  EXPECT_EQ(parse(make_dib(s), &pixels, &info, kPasteAllScratch), kDibOk);
  s.height = 641;
  EXPECT_EQ(parse(make_dib(s), &pixels, &info, kPasteAllScratch), kDibTooLarge);
}

TEST(DibParse, LastRowMayLackItsFillBytesButNotItsPixels) {
  DibFields s;
  s.width = 5;
  s.height = 2;
  std::vector<uint8_t> block = make_dib(s);
  std::vector<uint8_t> pixels;
  DibInfo info;
  block.resize(block.size() - 3);  // stride 8: the last row's 3 fill bytes are gone
  EXPECT_EQ(parse(block, &pixels, &info), kDibOk);
  EXPECT_EQ(pixels[4], 20);  // picture row 0 is the last stored row
  EXPECT_EQ(pixels[5 + 4], 4);
  block.pop_back();  // now a pixel is missing
  EXPECT_EQ(parse(block, &pixels, &info), kDibTruncated);
}

TEST(DibParse, MutatedBlocksNeverReadOrWriteOutOfBounds) {
  std::mt19937 random(1234);
  DibFields s;
  s.width = 13;
  s.height = -7;
  const std::vector<uint8_t> original = make_dib(s);
  const size_t capacity = 13 * 7 + 16;  // small on purpose, with canaries behind
  for (int round = 0; round < 4000; ++round) {
    std::vector<uint8_t> block = original;
    const int changes = 1 + static_cast<int>(random() % 6);
    for (int i = 0; i < changes; ++i) block[random() % 48] = static_cast<uint8_t>(random());
    block.resize(random() % (block.size() + 1));
    // The block lives in its own exact-size heap buffer so that an over-read is an error under
    // the address sanitizer.
    std::unique_ptr<uint8_t[]> exact(new uint8_t[block.size() + 1]);
    if (!block.empty()) std::memcpy(exact.get(), block.data(), block.size());
    std::vector<uint8_t> out(capacity + 64, 0xCD);
    DibInfo info;
    const int result = parse_dib(exact.get(), block.size(), out.data(), capacity, &info);
    for (size_t i = capacity; i < out.size(); ++i) ASSERT_EQ(out[i], 0xCD) << "round " << round;
    if (result == kDibOk) {
      ASSERT_GT(info.width, 0);
      ASSERT_GT(info.height, 0);
      ASSERT_LE(static_cast<size_t>(info.width) * info.height, capacity);
    }
  }
}

TEST(DibParse, PixelsOutsideThePictureReadAsZero) {
  const uint8_t picture[6] = {1, 2, 3, 4, 5, 6};  // 3 x 2
  EXPECT_EQ(dib_pixel(picture, 3, 2, 2, 1), 6);
  EXPECT_EQ(dib_pixel(picture, 3, 2, 3, 0), 0);
  EXPECT_EQ(dib_pixel(picture, 3, 2, 0, 2), 0);
  EXPECT_EQ(dib_pixel(picture, 3, 2, -1, 0), 0);
}

}  // namespace
}  // namespace vcv
