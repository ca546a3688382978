// BMP files of 1, 4 or 8 bits per pixel: a 14-byte file header, an info header of 40 bytes or one
// of its longer versions (108, 124), the colour table and the pixel rows, stored plain or run-
// length encoded.
#include <cstring>
#include <utility>

#include "image/image_read.h"
#include "platform/byte_order.h"

namespace vcv {

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderMin = 40;
constexpr uint32_t kCompressionNone = 0;
constexpr uint32_t kCompressionRle8 = 1;
constexpr uint32_t kCompressionRle4 = 2;
constexpr int kMaxColours = 256;

const char kTrueColourText[] =
    "is a true-colour image; save it as an indexed (palette) image of at most 256 colours";


struct BmpLayout {
  int64_t width = 0;
  int64_t height = 0;
  bool top_down = false;
  int bits = 0;
  uint32_t compression = 0;
  uint64_t pixel_start = 0;
};

bool fail(std::string* error, const std::string& text) {
  *error = text;
  return false;
}

bool read_layout(const std::vector<uint8_t>& bytes, BmpLayout* layout, IndexedImage* image,
                 std::string* error) {
  if (bytes.size() < kFileHeaderSize + kInfoHeaderMin || bytes[0] != 'B' || bytes[1] != 'M') {
    return fail(error, "not a BMP file, or cut short");
  }
  const uint8_t* info = bytes.data() + kFileHeaderSize;
  const uint64_t header_size = load_le32(info);
  if (header_size < kInfoHeaderMin) {
    return fail(error, "BMP with an old or unknown header version is not supported");
  }
  if (kFileHeaderSize + header_size > bytes.size()) return fail(error, "BMP header is cut short");
  layout->width = load_le32_signed(info + 4);
  const int64_t stored_height = load_le32_signed(info + 8);
  layout->top_down = stored_height < 0;
  layout->height = layout->top_down ? -stored_height : stored_height;
  layout->bits = load_le16(info + 14);
  layout->compression = load_le32(info + 16);
  layout->pixel_start = load_le32(bytes.data() + 10);
  if (layout->width <= 0 || layout->height <= 0) return fail(error, "BMP has no pixels");
  if (layout->width * layout->height > kMaxReadPixels) return fail(error, "BMP is too large");
  if (layout->bits > 8) return fail(error, "BMP " + std::string(kTrueColourText));
  if (layout->bits != 1 && layout->bits != 4 && layout->bits != 8) {
    return fail(error, "BMP of " + std::to_string(layout->bits) + " bits per pixel is not supported");
  }
  const bool rle_matches = (layout->compression == kCompressionRle8 && layout->bits == 8) ||
                           (layout->compression == kCompressionRle4 && layout->bits == 4);
  if (layout->compression != kCompressionNone && !rle_matches) {
    return fail(error, "BMP compression " + std::to_string(layout->compression) +
                           " is not supported for this bit depth");
  }
  if (layout->compression != kCompressionNone && layout->top_down) {
    return fail(error, "a run-length encoded BMP cannot be stored top-down");
  }
  // The colour table follows the info header; it is optional for the pixel values themselves.
  uint64_t colours = load_le32(info + 32);
  if (colours == 0 || colours > static_cast<uint64_t>(1) << layout->bits) {
    colours = static_cast<uint64_t>(1) << layout->bits;
  }
  const uint64_t table = kFileHeaderSize + header_size;
  image->colour_count = static_cast<int>(colours);
  for (uint64_t i = 0; i < colours && i < static_cast<uint64_t>(kMaxColours); ++i) {
    const uint64_t at = table + 4 * i;
    if (at + 4 > bytes.size()) break;
    image->palette[i] = static_cast<uint32_t>(bytes[at + 2]) |
                        (static_cast<uint32_t>(bytes[at + 1]) << 8) |
                        (static_cast<uint32_t>(bytes[at]) << 16);
  }
  if (layout->pixel_start >= bytes.size()) return fail(error, "BMP pixel data is missing");
  return true;
}

uint64_t plain_stride(const BmpLayout& layout) {
  return (static_cast<uint64_t>(layout.width) * static_cast<uint64_t>(layout.bits) + 31) / 32 * 4;
}

// Checked before the pixels are allocated, so a damaged header cannot ask for a large buffer
// that no data backs. The last row's fill bytes may be missing.
bool plain_rows_present(const std::vector<uint8_t>& bytes, const BmpLayout& layout,
                        std::string* error) {
  const uint64_t row_bytes =
      (static_cast<uint64_t>(layout.width) * static_cast<uint64_t>(layout.bits) + 7) / 8;
  const uint64_t last = layout.pixel_start + plain_stride(layout) * static_cast<uint64_t>(layout.height - 1);
  if (last + row_bytes > bytes.size()) return fail(error, "BMP pixel data is cut short");
  return true;
}

bool read_plain_rows(const std::vector<uint8_t>& bytes, const BmpLayout& layout,
                     IndexedImage* image, std::string* error) {
  if (!plain_rows_present(bytes, layout, error)) return false;
  const uint64_t stride = plain_stride(layout);
  const int per_byte = 8 / layout.bits;
  const int mask = (1 << layout.bits) - 1;
  for (int64_t i = 0; i < layout.height; ++i) {
    const int64_t y = layout.top_down ? i : layout.height - 1 - i;
    const uint8_t* row = bytes.data() + layout.pixel_start + stride * static_cast<uint64_t>(i);
    uint8_t* out = image->pixels.data() + static_cast<size_t>(y * layout.width);
    for (int64_t x = 0; x < layout.width; ++x) {
      const int byte = row[x / per_byte];
      const int shift = 8 - layout.bits * static_cast<int>(x % per_byte + 1);
      out[x] = static_cast<uint8_t>((byte >> shift) & mask);
    }
  }
  return true;
}

// Run-length encoded rows, bottom-up: (count, value) runs, and escapes 0 0 (end of row), 0 1 (end
// of picture), 0 2 dx dy (move) and 0 n (n pixels stored as they are, padded to a word).
bool read_rle_rows(const std::vector<uint8_t>& bytes, const BmpLayout& layout, IndexedImage* image,
                   std::string* error) {
  const bool four_bit = layout.bits == 4;
  size_t at = static_cast<size_t>(layout.pixel_start);
  int64_t x = 0, row = 0;  // row counts from the bottom
  auto put = [&](int value) {
    if (x < layout.width && row < layout.height) {
      image->pixels[static_cast<size_t>((layout.height - 1 - row) * layout.width + x)] =
          static_cast<uint8_t>(value);
    }
    ++x;
  };
  while (true) {
    if (at + 2 > bytes.size()) return fail(error, "BMP run-length data is cut short");
    const int count = bytes[at];
    const int value = bytes[at + 1];
    at += 2;
    if (count > 0) {
      for (int i = 0; i < count; ++i) put(four_bit ? ((i % 2 == 0) ? value >> 4 : value & 15) : value);
      continue;
    }
    if (value == 0) {
      x = 0;
      ++row;
    } else if (value == 1) {
      return true;
    } else if (value == 2) {
      if (at + 2 > bytes.size()) return fail(error, "BMP run-length data is cut short");
      x += bytes[at];
      row += bytes[at + 1];
      at += 2;
    } else {
      const size_t stored = four_bit ? (static_cast<size_t>(value) + 1) / 2 : value;
      const size_t padded = (stored + 1) / 2 * 2;
      if (at + padded > bytes.size()) return fail(error, "BMP run-length data is cut short");
      for (int i = 0; i < value; ++i) {
        const int byte = bytes[at + (four_bit ? static_cast<size_t>(i / 2) : static_cast<size_t>(i))];
        put(four_bit ? ((i % 2 == 0) ? byte >> 4 : byte & 15) : byte);
      }
      at += padded;
    }
    if (row > layout.height) return true;  // moved past the top: nothing more can be drawn
  }
}

}  // namespace

bool read_bmp_bytes(const std::vector<uint8_t>& bytes, IndexedImage* image, std::string* error) {
  BmpLayout layout;
  IndexedImage result;
  if (!read_layout(bytes, &layout, &result, error)) return false;
  result.width = static_cast<int>(layout.width);
  result.height = static_cast<int>(layout.height);
  if (layout.compression == kCompressionNone && !plain_rows_present(bytes, layout, error)) {
    return false;
  }
  result.pixels.assign(static_cast<size_t>(layout.width * layout.height), 0);
  const bool ok = layout.compression == kCompressionNone
                      ? read_plain_rows(bytes, layout, &result, error)
                      : read_rle_rows(bytes, layout, &result, error);
  if (!ok) return false;
  *image = std::move(result);
  return true;
}

}  // namespace vcv
