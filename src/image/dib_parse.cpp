#include "image/dib_parse.h"

#include <cstring>

namespace vcv {

namespace {

constexpr int kEightBits = 8;

}  // namespace

int parse_dib(const uint8_t* block, size_t size, uint8_t* pixels, size_t capacity, DibInfo* info) {
  if (block == nullptr || pixels == nullptr || info == nullptr) return kDibTruncated;
  DibHeader header;
  switch (read_dib_header(block, size, &header)) {
    case kDibHeaderOk: break;
    case kDibHeaderBad: return kDibBadHeader;
    default: return kDibTruncated;
  }
  if (header.bits != kEightBits) return kDibNotEightBit;
  if (header.compression != kDibCompressionNone) return kDibCompressed;
  const int64_t width = header.width;
  const int64_t height = header.height;
  if (width <= 0 || height <= 0) return kDibBadHeader;

  uint64_t colour_count = header.colours_used;
  if (colour_count == 0) colour_count = kDibMaxColourCount;
  if (colour_count > static_cast<uint64_t>(kDibMaxColourCount)) return kDibTooManyColours;

  // All sizes in 64 bits: width and height are at most 2^31, so nothing here can overflow.
  const uint64_t stride = dib_stride(width, kEightBits);
  if (stride * static_cast<uint64_t>(height) > capacity) return kDibTooLarge;

  const uint64_t table_start = header.header_size;
  const uint64_t pixel_start = table_start + 4 * colour_count;
  // The last row's fill bytes may be missing; its pixels may not.
  const uint64_t pixel_end =
      pixel_start + stride * static_cast<uint64_t>(height - 1) + static_cast<uint64_t>(width);
  if (pixel_end > size) return kDibTruncated;

  info->width = static_cast<int>(width);
  info->height = static_cast<int>(height);
  info->colour_count = static_cast<int>(colour_count);
  for (uint64_t i = 0; i < colour_count; ++i) {
    const uint8_t* entry = block + table_start + 4 * i;
    info->colours[i] = static_cast<uint32_t>(entry[2]) | (static_cast<uint32_t>(entry[1]) << 8) |
                       (static_cast<uint32_t>(entry[0]) << 16);
  }
  for (int64_t i = 0; i < height; ++i) {
    const int64_t picture_row = header.top_down ? i : height - 1 - i;
    std::memcpy(pixels + static_cast<size_t>(picture_row) * static_cast<size_t>(width),
                block + pixel_start + stride * static_cast<uint64_t>(i),
                static_cast<size_t>(width));
  }
  return kDibOk;
}

}  // namespace vcv
