// A picture as a file or a clipboard block holds it, before any palette is applied: either
// palette indices with the file's own colour table (if it has one), or colours, 8 bits per
// channel with alpha, whatever the file's bit depth was.
#pragma once

#include <cstdint>
#include <vector>

namespace vcv {

constexpr long long kMaxPicturePixels = 1LL << 26;  // larger pictures are refused unread
// The largest picture file read: an uncompressed 32-bit bitmap of that many pixels, and headers.
constexpr long long kMaxPictureFileSize = 4 * kMaxPicturePixels + 65536;
constexpr int kMaxPictureColours = 256;

enum class PictureKind {
  kIndexed,     // PNG with a palette; BMP of 1, 4 or 8 bits per pixel
  kTrueColour,  // every other PNG (grey levels included); BMP of 16, 24 or 32 bits per pixel
};

struct Picture {
  PictureKind kind = PictureKind::kIndexed;
  int width = 0;
  int height = 0;

  // kIndexed: width x height indices, top row first, as the file stores them.
  std::vector<uint8_t> indices;
  // The file's colour table: colour_count entries (0 when the file has no table). When there is
  // a table, every index is below colour_count.
  int colour_count = 0;
  uint32_t colours[kMaxPictureColours] = {};       // 0x00BBGGRR
  uint8_t colour_alpha[kMaxPictureColours] = {};   // 255 = opaque (PNG tRNS may lower it)

  // kTrueColour: width x height x 4 bytes, top row first: red, green, blue, alpha.
  std::vector<uint8_t> rgba;

  // Whether the source carried transparency: an alpha channel, a tRNS chunk, or a 32-bit bitmap
  // with alpha bytes that are not all 0. When false, every alpha is 255.
  bool has_alpha = false;
};

}  // namespace vcv
