// Which picture a paste takes when the clipboard offers several formats, and what it says when
// there is none it can read.
#include <gtest/gtest.h>

#include <string>
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

// Entry i is a grey of level 2i: 16 different colours.
uint32_t colour_of(int index) { return palette_colour_to_display(static_cast<uint16_t>(0x0842 * index)); }

// 2 x 2 pictures, every pixel of palette index `index`.
ClipboardBlock eight_bit_dib(int index, uint32_t compression = kDibCompressionNone) {
  DibFields f;
  f.width = f.height = 2;
  f.compression = compression;
  f.colours_used = 16;
  f.table.assign(16, 0xFFFFFF);  // not applied on this path
  f.pixels.assign(8, static_cast<uint8_t>(index));
  return {ClipboardFormat::kDib, dib_block(f)};
}

ClipboardBlock png(int index, bool indexed) {
  uint32_t colours[16];
  for (int i = 0; i < 16; ++i) colours[i] = colour_of(i);
  const uint8_t pixels[4] = {uint8_t(index), uint8_t(index), uint8_t(index), uint8_t(index)};
  PngFields f;
  f.width = f.height = 2;
  for (int i = 0; i < 4; ++i) {
    for (int shift : {0, 8, 16}) f.raw.push_back(static_cast<uint8_t>(colours[index] >> shift));
    f.raw.push_back(255);
  }
  return {ClipboardFormat::kPng, indexed ? build_png(pixels, 2, 2, 16, colours) : png_file(f)};
}

// 24 or 32 bits; CF_DIBV5 with bit-field masks and alpha 255, CF_DIB with alpha bytes 0.
ClipboardBlock true_colour_dib(int index, int bits, ClipboardFormat format = ClipboardFormat::kDib) {
  DibFields f;
  f.width = f.height = 2;
  f.bits = static_cast<uint16_t>(bits);
  const bool v5 = format == ClipboardFormat::kDibV5;
  if (v5) {
    f.header_size = 124;
    f.compression = kDibCompressionBitFields;
    f.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
  }
  for (int i = 0; i < 4; ++i) {
    for (int shift : {16, 8, 0}) f.pixels.push_back(static_cast<uint8_t>(colour_of(index) >> shift));
    if (bits == 32) f.pixels.push_back(v5 ? 255 : 0);
    if (bits == 24 && i % 2 == 1) f.pixels.insert(f.pixels.end(), 2, 0);  // rows of 4-byte words
  }
  return {format, dib_block(f)};
}

TEST(TakeClipboardPicture, TheFirstReadableFormatInOrderOfPreferenceWins) {
  uint16_t palette[16];
  for (int i = 0; i < 16; ++i) palette[i] = static_cast<uint16_t>(0x0842 * i);
  const uint8_t current[16 * 16] = {};
  const ClipboardBlock v5 = true_colour_dib(4, 32, ClipboardFormat::kDibV5);
  const ClipboardBlock damaged_png{ClipboardFormat::kPng, Bytes(40, 0x89)};
  ClipboardBlock sixteen_bits = true_colour_dib(5, 24);
  sixteen_bits.bytes[14] = 16;
  struct Case {
    const char* name;
    std::vector<ClipboardBlock> offered;  // in the clipboard's order, not the preference
    int index;                            // the winner's; -1: none readable
  };
  const Case cases[] = {
      {"8-bit CF_DIB before all", {v5, png(3, false), eight_bit_dib(1)}, 1},
      {"indexed PNG before true-colour bitmaps", {v5, png(2, true), true_colour_dib(5, 24)}, 2},
      {"true-colour PNG before the bitmaps", {true_colour_dib(5, 32), v5, png(3, false)}, 3},
      {"CF_DIBV5 before CF_DIB", {true_colour_dib(5, 24), v5}, 4},
      {"24-bit CF_DIB", {true_colour_dib(5, 24)}, 5},
      {"32-bit CF_DIB, alpha bytes all 0: opaque", {true_colour_dib(6, 32)}, 6},
      {"an RLE8 CF_DIB is passed over", {eight_bit_dib(1, kDibCompressionRle8), v5}, 4},
      {"a damaged PNG is passed over", {damaged_png, true_colour_dib(5, 24)}, 5},
      {"16 bits per pixel are not taken", {sixteen_bits, damaged_png}, -1},
  };
  for (const Case& c : cases) {
    ClipboardContents contents{c.offered, {"CF_DIB", "PNG"}};
    PasteIndices out;
    const CommandResult result =
        take_clipboard_picture(contents, palette, {current, 16, 16, kPasteSpriteScratch}, {}, &out);
    if (c.index < 0) {
      EXPECT_EQ(result.status, CommandStatus::kNoPicture) << c.name;
      EXPECT_EQ(message_for(result)->text,
                "The clipboard holds no picture this program can read: CF_DIB, PNG.");
      contents.format_names.clear();
      EXPECT_EQ(take_clipboard_picture(contents, palette, {current, 16, 16, 256}, {}, &out).detail,
                "it is empty");
      continue;
    }
    ASSERT_EQ(result.status, CommandStatus::kDone) << c.name;
    EXPECT_EQ(out.width, 2) << c.name;
    EXPECT_EQ(out.indices, std::vector<uint8_t>(4, static_cast<uint8_t>(c.index))) << c.name;
  }
}

}  // namespace
}  // namespace vcv
