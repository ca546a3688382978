#include "edit/dib_parse.h"

#include <cstring>

#include "platform/byte_order.h"

namespace vcv {

namespace {

// Header fields (BITMAPINFOHEADER, little-endian).
constexpr size_t kSizeField = 0;
constexpr size_t kWidthField = 4;
constexpr size_t kHeightField = 8;
constexpr size_t kBitCountField = 14;
constexpr size_t kCompressionField = 16;
constexpr size_t kColoursUsedField = 32;
constexpr int kRowAlignment = 4;

}  // namespace

int parse_dib(const uint8_t* block, size_t size, uint8_t* pixels, size_t capacity, DibInfo* info) {
  if (block == nullptr || pixels == nullptr || info == nullptr) return kDibTruncated;
  if (size < static_cast<size_t>(kDibMinHeaderSize)) return kDibTruncated;

  const uint64_t header_size = load_le32(block + kSizeField);
  if (header_size < static_cast<uint64_t>(kDibMinHeaderSize)) return kDibBadHeader;
  if (header_size > size) return kDibTruncated;
  if (load_le16(block + kBitCountField) != 8) return kDibNotEightBit;
  if (load_le32(block + kCompressionField) != 0) return kDibCompressed;

  const int64_t width = load_le32_signed(block + kWidthField);
  const int64_t stored_height = load_le32_signed(block + kHeightField);
  // A negative height means the rows are stored top-down; its magnitude is the height.
  const bool top_down = stored_height < 0;
  const int64_t height = top_down ? -stored_height : stored_height;
  if (width <= 0 || height <= 0) return kDibBadHeader;

  uint64_t colour_count = load_le32(block + kColoursUsedField);
  if (colour_count == 0) colour_count = kDibMaxColourCount;
  if (colour_count > static_cast<uint64_t>(kDibMaxColourCount)) return kDibTooManyColours;

  // All sizes in 64 bits: width and height are below 2^31, so nothing here can overflow.
  const uint64_t stride = (static_cast<uint64_t>(width) + kRowAlignment - 1) /
                          kRowAlignment * kRowAlignment;
  if (stride * static_cast<uint64_t>(height) > capacity) return kDibTooLarge;

  const uint64_t table_start = header_size;
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
    const int64_t picture_row = top_down ? i : height - 1 - i;
    std::memcpy(pixels + static_cast<size_t>(picture_row) * static_cast<size_t>(width),
                block + pixel_start + stride * static_cast<uint64_t>(i),
                static_cast<size_t>(width));
  }
  return kDibOk;
}

}  // namespace vcv
