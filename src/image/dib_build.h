// The clipboard bitmap block (CF_DIB): a 40-byte BITMAPINFOHEADER, the colour table and the
// 8-bit pixel rows, bottom row first. Pure bytes out; the window program puts them on the
// clipboard and the image writer puts a file header in front.
#pragma once

#include <cstdint>
#include <vector>

namespace vcv {

constexpr int kDibHeaderSize = 40;
constexpr int kDibColourEntrySize = 4;  // blue, green, red, 0

// Row length in the pixel array: the width rounded up to 4 bytes.
int dib_row_stride(int width);

// `pixels` holds width x height palette indices, top row first; `colours` holds colour_count
// display colours 0x00BBGGRR. Rows are stored bottom-up, each padded with zero bytes to the
// stride. An empty result means the arguments were unusable (no pixels, non-positive size,
// more than 256 colours).
std::vector<uint8_t> build_dib(const uint8_t* pixels, int width, int height, int colour_count,
                               const uint32_t* colours);

}  // namespace vcv
