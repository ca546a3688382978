// Reading an 8-bit clipboard bitmap (one CF_DIB block: header, colour table, pixel array) into
// palette indices, top row first: the path the program's own copies come back through, so the
// indices are taken as stored and the colour table is handed back but not applied. Other bit
// depths and compressed bitmaps go through read_dib_picture (image/picture_read.h).
//
// Safety contract: parse_dib never reads outside [block, block + size) and never writes outside
// [pixels, pixels + capacity). Every block it cannot read exactly is refused, and a refused block
// leaves the pixels untouched: a paste must never encode pixels the block does not define.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/dib_header.h"

namespace vcv {

constexpr int kDibMaxColourCount = 256;     // an 8-bit bitmap names at most 256 colours
constexpr int kPasteSpriteScratch = 262144;
constexpr int kPasteAllScratch = 81920;

// Why a block was refused (kDibOk when it was read).
enum DibParseResult : int {
  kDibOk = 0,
  kDibTruncated = 1,         // the block ends before its header, colour table or pixel rows do
  kDibBadHeader = 2,         // header size below 40, or width / height of 0 or out of range
  kDibNotEightBit = 3,       // biBitCount other than 8
  kDibCompressed = 4,        // biCompression other than 0 (no RLE or bit fields)
  kDibTooManyColours = 5,    // biClrUsed above 256
  kDibTooLarge = 6,          // stored row length x height exceeds the caller's capacity
};

struct DibInfo {
  int width = 0;
  int height = 0;  // always positive here; top-down rows have already been put in order
  int colour_count = 0;
  uint32_t colours[kDibMaxColourCount] = {};  // 0x00BBGGRR
};

// Reads the block into `pixels` (width x height palette indices, row length = width, top row
// first). `capacity` bounds the stored pixel array (stored row length x height), so a bitmap that
// would not fit the scratch buffer of the paste is refused like one of another bit depth.
int parse_dib(const uint8_t* block, size_t size, uint8_t* pixels, size_t capacity, DibInfo* info);

// The palette index at (x, y) of a parsed picture; 0 outside it.
inline uint8_t dib_pixel(const uint8_t* pixels, int width, int height, int x, int y) {
  if (x < 0 || y < 0 || x >= width || y >= height) return 0;
  return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
}

}  // namespace vcv
