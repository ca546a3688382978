#include "image/dib_header.h"

#include "platform/byte_order.h"

namespace vcv {

namespace {

// Field offsets (little-endian), BITMAPINFOHEADER and BITMAPV5HEADER.
constexpr size_t kSizeField = 0;
constexpr size_t kWidthField = 4;
constexpr size_t kHeightField = 8;
constexpr size_t kBitCountField = 14;
constexpr size_t kCompressionField = 16;
constexpr size_t kColoursUsedField = 32;
constexpr size_t kRedMaskField = 40;
constexpr size_t kGreenMaskField = 44;
constexpr size_t kBlueMaskField = 48;
constexpr size_t kAlphaMaskField = 52;
constexpr uint32_t kHeaderWithMasks = 52;
constexpr uint32_t kHeaderWithAlphaMask = 56;

}  // namespace

int read_dib_header(const uint8_t* block, size_t size, DibHeader* header) {
  if (block == nullptr || size < static_cast<size_t>(kDibMinHeaderSize)) {
    return kDibHeaderTruncated;
  }
  const uint32_t header_size = load_le32(block + kSizeField);
  if (header_size < static_cast<uint32_t>(kDibMinHeaderSize)) return kDibHeaderBad;
  if (header_size > size) return kDibHeaderTruncated;

  DibHeader h;
  h.header_size = header_size;
  h.width = load_le32_signed(block + kWidthField);
  const int64_t stored_height = load_le32_signed(block + kHeightField);
  h.top_down = stored_height < 0;
  h.height = h.top_down ? -stored_height : stored_height;
  h.bits = load_le16(block + kBitCountField);
  h.compression = load_le32(block + kCompressionField);
  h.colours_used = load_le32(block + kColoursUsedField);
  if (header_size >= kHeaderWithMasks) {
    h.red_mask = load_le32(block + kRedMaskField);
    h.green_mask = load_le32(block + kGreenMaskField);
    h.blue_mask = load_le32(block + kBlueMaskField);
  }
  if (header_size >= kHeaderWithAlphaMask) h.alpha_mask = load_le32(block + kAlphaMaskField);
  *header = h;
  return kDibHeaderOk;
}

uint64_t dib_stride(int64_t width, int bits) {
  // width < 2^31 and bits < 2^16: the product stays far below 2^64.
  return (static_cast<uint64_t>(width) * static_cast<uint64_t>(bits) + 31) / 32 * 4;
}

uint64_t dib_announced_colours(const DibHeader& header) {
  if (header.colours_used != 0) return header.colours_used;
  return header.bits >= 1 && header.bits <= 8 ? uint64_t{1} << header.bits : 0;
}

uint64_t dib_masks_after_header(const DibHeader& header) {
  return header.compression == kDibCompressionBitFields &&
                 header.header_size == static_cast<uint32_t>(kDibMinHeaderSize)
             ? kDibMaskBytes
             : 0;
}

}  // namespace vcv
