// Which picture a paste takes when the clipboard offers several formats, and what it says when
// there is none it can read.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "edit/command_messages.h"
#include "edit/paste_picture.h"
#include "image/dib_parse.h"
#include "image/png_build.h"
#include "image_test_support.h"
#include "sprite/tiles.h"

namespace vcv {
namespace {

using namespace image_test;

constexpr uint16_t word(int r, int g, int b) { return static_cast<uint16_t>(r | g << 5 | b << 10); }

const uint16_t kPalette[16] = {0,               word(31, 0, 0),   word(0, 31, 0), word(0, 0, 31),
                               word(31, 31, 0), word(0, 31, 31),  word(31, 0, 31), word(8, 8, 8),
                               word(9, 9, 9),   word(10, 10, 10), word(11, 11, 11), word(12, 12, 12),
                               word(13, 13, 13), word(14, 14, 14), word(15, 15, 15),
                               word(16, 16, 16)};
constexpr int kSide = 2;  // every picture here is 2 x 2 pixels of one palette index

uint32_t colour_of(int index) { return palette_colour_to_display(kPalette[index]); }

Bytes eight_bit_dib(int index, uint32_t compression = 0) {
  DibFields f;
  f.width = f.height = kSide;
  f.bits = 8;
  f.compression = compression;
  f.colours_used = 16;
  for (int i = 0; i < 16; ++i) f.table.push_back(0x00FFFFFF);  // ignored on this path
  f.pixels.assign(8, static_cast<uint8_t>(index));              // rows of 4 bytes
  return dib_block(f);
}

Bytes indexed_png(int index) {
  uint32_t colours[16];
  for (int i = 0; i < 16; ++i) colours[i] = colour_of(i);
  const uint8_t pixels[kSide * kSide] = {static_cast<uint8_t>(index), static_cast<uint8_t>(index),
                                         static_cast<uint8_t>(index), static_cast<uint8_t>(index)};
  return build_png(pixels, kSide, kSide, 16, colours);
}

Bytes rgba_png(int index) {
  PngFields f;
  f.width = f.height = kSide;
  const uint32_t c = colour_of(index);
  for (int i = 0; i < kSide * kSide; ++i) {
    for (int shift : {0, 8, 16}) f.raw.push_back(static_cast<uint8_t>(c >> shift));
    f.raw.push_back(255);
  }
  return png_file(f);
}

// 24 or 32 bits; a 124-byte header gets bit-field masks with alpha, 32 bits with a 40-byte
// header leave the alpha bytes 0.
Bytes true_colour_dib(int index, int bits, uint32_t header_size = 40) {
  DibFields f;
  f.header_size = header_size;
  f.width = f.height = kSide;
  f.bits = static_cast<uint16_t>(bits);
  if (header_size >= 56) {
    f.compression = kDibCompressionBitFields;
    f.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
  }
  const uint32_t c = colour_of(index);
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      for (int shift : {16, 8, 0}) f.pixels.push_back(static_cast<uint8_t>(c >> shift));
      if (bits == 32) f.pixels.push_back(header_size >= 56 ? 255 : 0);
    }
    while (f.pixels.size() % 4 != 0) f.pixels.push_back(0);
  }
  return dib_block(f);
}

TEST(TakeClipboardPicture, TheFirstReadableFormatInOrderOfPreferenceWins) {
  const uint8_t current[16 * 16] = {};
  const PasteTarget target{current, 16, 16, kPasteSpriteScratch};
  const Bytes damaged_png(40, 0x89);
  const Bytes sixteen_bits = [] {
    Bytes b = true_colour_dib(5, 24);
    b[14] = 16;
    return b;
  }();
  struct Case {
    const char* name;
    std::vector<ClipboardBlock> offered;  // in the clipboard's order, not the preference
    int index;                            // the winner's; -1: none readable
  };
  const Case cases[] = {
      {"8-bit CF_DIB before all",
       {{ClipboardFormat::kDibV5, true_colour_dib(4, 32, 124)}, {ClipboardFormat::kPng, rgba_png(3)},
        {ClipboardFormat::kDib, eight_bit_dib(1)}},
       1},
      {"indexed PNG before true-colour bitmaps",
       {{ClipboardFormat::kDibV5, true_colour_dib(4, 32, 124)},
        {ClipboardFormat::kPng, indexed_png(2)}, {ClipboardFormat::kDib, true_colour_dib(5, 24)}},
       2},
      {"true-colour PNG before CF_DIBV5 and CF_DIB",
       {{ClipboardFormat::kDib, true_colour_dib(5, 32)},
        {ClipboardFormat::kDibV5, true_colour_dib(4, 32, 124)}, {ClipboardFormat::kPng, rgba_png(3)}},
       3},
      {"CF_DIBV5 before a 24-bit CF_DIB",
       {{ClipboardFormat::kDib, true_colour_dib(5, 24)},
        {ClipboardFormat::kDibV5, true_colour_dib(4, 32, 124)}},
       4},
      {"24-bit CF_DIB", {{ClipboardFormat::kDib, true_colour_dib(5, 24)}}, 5},
      {"32-bit CF_DIB with alpha bytes all 0 is opaque",
       {{ClipboardFormat::kDib, true_colour_dib(6, 32)}}, 6},
      {"an RLE8 CF_DIB is passed over",
       {{ClipboardFormat::kDib, eight_bit_dib(1, kDibCompressionRle8)},
        {ClipboardFormat::kDibV5, true_colour_dib(4, 32, 124)}},
       4},
      {"a damaged PNG is passed over",
       {{ClipboardFormat::kPng, damaged_png}, {ClipboardFormat::kDib, true_colour_dib(5, 24)}}, 5},
      {"16 bits per pixel are not taken",
       {{ClipboardFormat::kDib, sixteen_bits}, {ClipboardFormat::kPng, damaged_png}}, -1},
  };
  for (const Case& c : cases) {
    ClipboardContents contents;
    contents.pictures = c.offered;
    contents.format_names = {"CF_DIB", "PNG"};
    PasteIndices out;
    const CommandResult result = take_clipboard_picture(contents, kPalette, target, &out);
    if (c.index < 0) {
      EXPECT_EQ(result.status, CommandStatus::kNoPicture) << c.name;
      EXPECT_EQ(result.detail, "CF_DIB, PNG") << c.name;
      continue;
    }
    ASSERT_EQ(result.status, CommandStatus::kDone) << c.name;
    EXPECT_EQ(out.width, kSide) << c.name;
    EXPECT_EQ(out.indices, std::vector<uint8_t>(kSide * kSide, static_cast<uint8_t>(c.index)))
        << c.name;
  }
}

TEST(TakeClipboardPicture, NothingReadableNamesTheFormatsFound) {
  struct Case {
    std::vector<std::string> names;
    const char* text;
  };
  const Case cases[] = {
      {{"CF_UNICODETEXT", "CF_LOCALE"},
       "The clipboard holds no picture this program can read: CF_UNICODETEXT, CF_LOCALE."},
      {{}, "The clipboard holds no picture this program can read: it is empty."},
  };
  for (const Case& c : cases) {
    ClipboardContents contents;
    contents.format_names = c.names;
    PasteIndices out;
    const auto shown =
        message_for(take_clipboard_picture(contents, kPalette, {nullptr, 16, 16, 256}, &out));
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ(shown->title, kPasteTitle);
    EXPECT_EQ(shown->text, c.text);
  }
}

}  // namespace
}  // namespace vcv
