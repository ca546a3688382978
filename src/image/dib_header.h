// The bitmap info header that starts every clipboard bitmap (CF_DIB, CF_DIBV5) and follows the
// 14-byte file header of a BMP file: BITMAPINFOHEADER (40 bytes) and its longer versions, which
// add the colour masks (52), an alpha mask (56) and colour-space fields (108, 124). One parser
// reads the fields for every reader; each reader then decides what it takes.
//
// Safety contract: read_dib_header reads only [block, block + size) and only the fields that lie
// inside the header size the block states; it never allocates.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vcv {

constexpr int kDibMinHeaderSize = 40;  // BITMAPINFOHEADER; longer versions are skipped over
constexpr uint32_t kDibCompressionNone = 0;       // BI_RGB
constexpr uint32_t kDibCompressionRle8 = 1;       // BI_RLE8
constexpr uint32_t kDibCompressionRle4 = 2;       // BI_RLE4
constexpr uint32_t kDibCompressionBitFields = 3;  // BI_BITFIELDS
constexpr int kDibMaskBytes = 12;  // red, green and blue masks after a 40-byte header

enum DibHeaderStatus : int {
  kDibHeaderOk = 0,
  kDibHeaderTruncated = 1,  // the block is shorter than 40 bytes or than the header it states
  kDibHeaderBad = 2,        // the stated header size is below 40 (an OS/2 core header)
};

struct DibHeader {
  uint32_t header_size = 0;
  int64_t width = 0;        // as stored (signed)
  int64_t height = 0;       // the magnitude of the stored height
  bool top_down = false;    // a negative stored height: the first stored row is the top row
  int bits = 0;             // biBitCount
  uint32_t compression = 0;
  uint32_t colours_used = 0;  // biClrUsed as stored (0: the default for the bit count)
  // The masks a 52-byte or longer header holds (0 when the header is shorter).
  uint32_t red_mask = 0;
  uint32_t green_mask = 0;
  uint32_t blue_mask = 0;
  uint32_t alpha_mask = 0;  // 56 bytes or longer
};

int read_dib_header(const uint8_t* block, size_t size, DibHeader* header);

// Stored row length of a plain (uncompressed) pixel array: whole 32-bit words.
uint64_t dib_stride(int64_t width, int bits);

// Colour-table entries the header announces: biClrUsed, or 2^bits up to 8 bits, or none.
uint64_t dib_announced_colours(const DibHeader& header);

// Bytes of colour masks between a 40-byte header and its colour table (BI_BITFIELDS only).
uint64_t dib_masks_after_header(const DibHeader& header);

}  // namespace vcv
