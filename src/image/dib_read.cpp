// BMP files and clipboard bitmaps of every layout the readers take: the parts around the header
// (colour masks, colour table, where the pixels start) and the pixel rows of every bit depth.
#include <string>
#include <utility>

#include "image/dib_header.h"
#include "image/picture_read.h"
#include "platform/byte_order.h"

namespace vcv {

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kPixelOffsetField = 10;
constexpr uint32_t kKnownHeaderSizes[] = {40, 52, 56, 108, 124};

struct ColourMasks {
  uint32_t red = 0;
  uint32_t green = 0;
  uint32_t blue = 0;
  uint32_t alpha = 0;  // 0: no alpha
};

// Where the parts of one bitmap lie, all counted from the start of its info header.
struct DibLayout {
  DibHeader header;
  bool indexed = false;
  ColourMasks masks;
  uint64_t table_start = 0;
  int table_entries = 0;  // colours taken into the picture
  uint64_t pixel_start = 0;
};

// A BMP file names where its pixels start; a clipboard block packs them after the table.
struct DibSource {
  const char* name;  // how messages call the input
  const uint8_t* block;
  size_t size;
  bool has_pixel_offset;
  uint64_t pixel_offset;
};

bool fail(std::string* error, const std::string& text) {
  *error = text;
  return false;
}

std::string hex32(uint32_t value) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text = "0x";
  for (int shift = 28; shift >= 0; shift -= 4) text += kDigits[(value >> shift) & 15];
  return text;
}

bool is_indexed_format(const DibHeader& h) {
  if (h.compression == kDibCompressionNone) return h.bits == 1 || h.bits == 4 || h.bits == 8;
  return (h.compression == kDibCompressionRle8 && h.bits == 8) ||
         (h.compression == kDibCompressionRle4 && h.bits == 4);
}

bool is_true_colour_format(const DibHeader& h) {
  if (h.compression == kDibCompressionNone) return h.bits == 16 || h.bits == 24 || h.bits == 32;
  return h.compression == kDibCompressionBitFields && (h.bits == 16 || h.bits == 32);
}

bool check_header(const DibSource& source, DibHeader* header, std::string* error) {
  const std::string name = source.name;
  switch (read_dib_header(source.block, source.size, header)) {
    case kDibHeaderOk: break;
    case kDibHeaderBad:
      return fail(error, name + " with an old or unknown header version is not supported");
    default: return fail(error, name + " header is cut short");
  }
  const DibHeader& h = *header;
  bool known = false;
  for (uint32_t size : kKnownHeaderSizes) known = known || h.header_size == size;
  if (!known) {
    return fail(error, name + " header of " + std::to_string(h.header_size) +
                           " bytes is not a known version (40, 52, 56, 108 or 124)");
  }
  if (h.width <= 0 || h.height <= 0) return fail(error, name + " has no pixels");
  if (h.width * h.height > kMaxPicturePixels) {
    return fail(error, name + " is too large: " + std::to_string(h.width) + " x " +
                           std::to_string(h.height) + " pixels (at most " +
                           std::to_string(kMaxPicturePixels) + ")");
  }
  if (h.bits != 1 && h.bits != 4 && h.bits != 8 && h.bits != 16 && h.bits != 24 && h.bits != 32) {
    return fail(error, name + " of " + std::to_string(h.bits) + " bits per pixel is not supported");
  }
  if (!is_indexed_format(h) && !is_true_colour_format(h)) {
    return fail(error, name + " compression " + std::to_string(h.compression) +
                           " is not supported for " + std::to_string(h.bits) + " bits per pixel");
  }
  if (h.compression != kDibCompressionNone && h.compression != kDibCompressionBitFields &&
      h.top_down) {
    return fail(error, "a run-length encoded " + name + " cannot be stored top-down");
  }
  return true;
}

// A usable mask is one run of set bits inside the pixel.
bool mask_is_usable(uint32_t mask, int bits) {
  if (mask == 0) return false;
  if (bits < 32 && (mask >> bits) != 0) return false;
  while ((mask & 1) == 0) mask >>= 1;
  return (mask & (mask + 1)) == 0;
}

bool take_masks(const DibSource& source, DibLayout* layout, std::string* error) {
  const DibHeader& h = layout->header;
  ColourMasks& m = layout->masks;
  if (layout->indexed) return true;
  if (h.compression == kDibCompressionNone) {
    if (h.bits == 16) m = {0x7C00, 0x03E0, 0x001F, 0};
    if (h.bits == 24) m = {0xFF0000, 0x00FF00, 0x0000FF, 0};
    if (h.bits == 32) m = {0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000u};
    return true;
  }
  if (dib_masks_after_header(h) > 0) {
    if (h.header_size + dib_masks_after_header(h) > source.size) {
      return fail(error, std::string(source.name) + " colour masks are cut short");
    }
    const uint8_t* at = source.block + h.header_size;
    m = {load_le32(at), load_le32(at + 4), load_le32(at + 8), 0};
  } else {
    m = {h.red_mask, h.green_mask, h.blue_mask, h.alpha_mask};
  }
  const bool usable = mask_is_usable(m.red, h.bits) && mask_is_usable(m.green, h.bits) &&
                      mask_is_usable(m.blue, h.bits) &&
                      (m.alpha == 0 || mask_is_usable(m.alpha, h.bits)) &&
                      (m.red & m.green) == 0 && (m.red & m.blue) == 0 &&
                      (m.green & m.blue) == 0 && ((m.red | m.green | m.blue) & m.alpha) == 0;
  if (!usable) {
    return fail(error, std::string(source.name) + " colour masks " + hex32(m.red) + " " +
                           hex32(m.green) + " " + hex32(m.blue) + " " + hex32(m.alpha) +
                           " are not usable: each must be one run of bits inside the pixel, "
                           "none overlapping");
  }
  return true;
}

bool locate_table_and_pixels(const DibSource& source, DibLayout* layout, std::string* error) {
  const DibHeader& h = layout->header;
  const std::string name = source.name;
  layout->table_start = h.header_size + dib_masks_after_header(h);
  const uint64_t announced = dib_announced_colours(h);
  uint64_t entries = announced;
  if (source.has_pixel_offset) {
    if (source.pixel_offset < layout->table_start) {
      return fail(error, name + " pixel data offset points into its header");
    }
    layout->pixel_start = source.pixel_offset;
    // The table is what the file holds of it before the pixels.
    const uint64_t room = (layout->pixel_start - layout->table_start) / 4;
    if (entries > room) entries = room;
  } else {
    layout->pixel_start = layout->table_start + 4 * announced;
  }
  if (layout->pixel_start > source.size) return fail(error, name + " pixel data is missing");
  const uint64_t usable = layout->indexed ? uint64_t{1} << h.bits : 0;
  layout->table_entries = static_cast<int>(entries < usable ? entries : usable);
  return true;
}

bool plain_rows_present(const DibSource& source, const DibLayout& layout, std::string* error) {
  const DibHeader& h = layout.header;
  // The last row's fill bytes may be missing; its pixels may not.
  const uint64_t row_bytes =
      (static_cast<uint64_t>(h.width) * static_cast<uint64_t>(h.bits) + 7) / 8;
  const uint64_t last_row =
      layout.pixel_start + dib_stride(h.width, h.bits) * static_cast<uint64_t>(h.height - 1);
  if (last_row + row_bytes > source.size) {
    return fail(error, std::string(source.name) + " pixel data is cut short");
  }
  return true;
}

// The stored row that holds picture row y.
const uint8_t* stored_row(const DibSource& source, const DibLayout& layout, int64_t y) {
  const DibHeader& h = layout.header;
  const int64_t stored = h.top_down ? y : h.height - 1 - y;
  return source.block + layout.pixel_start +
         dib_stride(h.width, h.bits) * static_cast<uint64_t>(stored);
}

void read_plain_indices(const DibSource& source, const DibLayout& layout, Picture* picture) {
  const int bits = layout.header.bits;
  const int per_byte = 8 / bits;
  const int mask = (1 << bits) - 1;
  const int64_t width = layout.header.width;
  for (int64_t y = 0; y < layout.header.height; ++y) {
    const uint8_t* row = stored_row(source, layout, y);
    uint8_t* out = picture->indices.data() + static_cast<size_t>(y * width);
    for (int64_t x = 0; x < width; ++x) {
      const int shift = 8 - bits * static_cast<int>(x % per_byte + 1);
      out[x] = static_cast<uint8_t>((row[x / per_byte] >> shift) & mask);
    }
  }
}

// Run-length encoded rows, bottom-up: (count, value) runs, and escapes 0 0 (end of row), 0 1 (end
// of picture), 0 2 dx dy (move) and 0 n (n pixels stored as they are, padded to a word).
bool read_rle_indices(const DibSource& source, const DibLayout& layout, Picture* picture,
                      std::string* error) {
  const bool four_bit = layout.header.bits == 4;
  const int64_t width = layout.header.width;
  const int64_t height = layout.header.height;
  const uint8_t* bytes = source.block;
  const size_t size = source.size;
  const std::string cut_short = std::string(source.name) + " run-length data is cut short";
  size_t at = static_cast<size_t>(layout.pixel_start);
  int64_t x = 0, row = 0;  // row counts from the bottom
  auto put = [&](int value) {
    if (x < width && row < height) {
      picture->indices[static_cast<size_t>((height - 1 - row) * width + x)] =
          static_cast<uint8_t>(value);
    }
    ++x;
  };
  while (true) {
    if (size - at < 2) return fail(error, cut_short);
    const int count = bytes[at];
    const int value = bytes[at + 1];
    at += 2;
    if (count > 0) {
      for (int i = 0; i < count; ++i) {
        put(four_bit ? ((i % 2 == 0) ? value >> 4 : value & 15) : value);
      }
      continue;
    }
    if (value == 0) {
      x = 0;
      ++row;
    } else if (value == 1) {
      return true;
    } else if (value == 2) {
      if (size - at < 2) return fail(error, cut_short);
      x += bytes[at];
      row += bytes[at + 1];
      at += 2;
    } else {
      const size_t stored = four_bit ? (static_cast<size_t>(value) + 1) / 2 : value;
      const size_t padded = (stored + 1) / 2 * 2;
      if (size - at < padded) return fail(error, cut_short);
      for (int i = 0; i < value; ++i) {
        const int byte = bytes[at + static_cast<size_t>(four_bit ? i / 2 : i)];
        put(four_bit ? ((i % 2 == 0) ? byte >> 4 : byte & 15) : byte);
      }
      at += padded;
    }
    if (row >= height) return true;  // past the top: nothing more can be drawn
  }
}

bool indices_inside_table(const DibSource& source, const DibLayout& layout,
                          const Picture& picture, std::string* error) {
  if (layout.table_entries == 0) return true;
  for (size_t i = 0; i < picture.indices.size(); ++i) {
    if (picture.indices[i] < layout.table_entries) continue;
    const size_t width = static_cast<size_t>(picture.width);
    return fail(error, std::string(source.name) + " pixel at (" + std::to_string(i % width) +
                           ", " + std::to_string(i / width) + ") uses colour " +
                           std::to_string(picture.indices[i]) + ", beyond its " +
                           std::to_string(layout.table_entries) + "-colour table");
  }
  return true;
}

// One channel of a pixel value, widened or narrowed to 8 bits. Narrow channels widen as the
// palette colours do (v x 255 / max, rounded down), so a 5-bit channel gives the display levels.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;
  explicit Channel(uint32_t m) : mask(m) {
    if (m == 0) return;
    while (((m >> shift) & 1) == 0) ++shift;
    while (bits + shift < 32 && ((m >> (shift + bits)) & 1) != 0) ++bits;
  }
  uint8_t level(uint32_t value) const {
    const uint32_t v = (value & mask) >> shift;
    if (bits >= 8) return static_cast<uint8_t>(v >> (bits - 8));
    const uint32_t top = (1u << bits) - 1;
    return static_cast<uint8_t>(v * 255 / top);
  }
};

uint32_t load_pixel(const uint8_t* at, int bits) {
  if (bits == 16) return load_le16(at);
  if (bits == 24) {
    return at[0] | (static_cast<uint32_t>(at[1]) << 8) | (static_cast<uint32_t>(at[2]) << 16);
  }
  return load_le32(at);
}

void read_true_colour(const DibSource& source, const DibLayout& layout, Picture* picture) {
  const Channel red(layout.masks.red), green(layout.masks.green), blue(layout.masks.blue),
      alpha(layout.masks.alpha);
  const int bits = layout.header.bits;
  const size_t pixel_bytes = static_cast<size_t>(bits / 8);
  const int64_t width = layout.header.width;
  bool any_alpha = false;
  for (int64_t y = 0; y < layout.header.height; ++y) {
    const uint8_t* row = stored_row(source, layout, y);
    uint8_t* out = picture->rgba.data() + static_cast<size_t>(y * width) * 4;
    for (int64_t x = 0; x < width; ++x, out += 4) {
      const uint32_t value = load_pixel(row + static_cast<size_t>(x) * pixel_bytes, bits);
      out[0] = red.level(value);
      out[1] = green.level(value);
      out[2] = blue.level(value);
      out[3] = alpha.mask != 0 ? alpha.level(value) : 255;
      any_alpha = any_alpha || (alpha.mask != 0 && out[3] != 0);
    }
  }
  // Alpha bytes that are all 0 are an unused field, not an invisible picture.
  picture->has_alpha = any_alpha;
  if (alpha.mask != 0 && !any_alpha) {
    for (size_t i = 3; i < picture->rgba.size(); i += 4) picture->rgba[i] = 255;
  }
}

bool read_dib(const DibSource& source, Picture* picture, std::string* error) {
  DibLayout layout;
  if (!check_header(source, &layout.header, error)) return false;
  layout.indexed = is_indexed_format(layout.header);
  if (!take_masks(source, &layout, error)) return false;
  if (!locate_table_and_pixels(source, &layout, error)) return false;
  const bool plain = layout.header.compression == kDibCompressionNone ||
                     layout.header.compression == kDibCompressionBitFields;
  if (plain && !plain_rows_present(source, layout, error)) return false;

  Picture result;
  result.width = static_cast<int>(layout.header.width);
  result.height = static_cast<int>(layout.header.height);
  const size_t pixels = static_cast<size_t>(layout.header.width * layout.header.height);
  if (!layout.indexed) {
    result.kind = PictureKind::kTrueColour;
    result.rgba.assign(pixels * 4, 0);
    read_true_colour(source, layout, &result);
    *picture = std::move(result);
    return true;
  }
  result.kind = PictureKind::kIndexed;
  result.indices.assign(pixels, 0);
  if (plain) {
    read_plain_indices(source, layout, &result);
  } else if (!read_rle_indices(source, layout, &result, error)) {
    return false;
  }
  if (!indices_inside_table(source, layout, result, error)) return false;
  result.colour_count = layout.table_entries;
  for (int i = 0; i < layout.table_entries; ++i) {
    const uint8_t* entry = source.block + layout.table_start + 4 * static_cast<size_t>(i);
    result.colours[i] = entry[2] | (static_cast<uint32_t>(entry[1]) << 8) |
                        (static_cast<uint32_t>(entry[0]) << 16);
    result.colour_alpha[i] = 255;
  }
  *picture = std::move(result);
  return true;
}

}  // namespace

bool read_bmp_picture(const uint8_t* bytes, size_t size, Picture* picture, std::string* error) {
  if (bytes == nullptr || size < kFileHeaderSize || bytes[0] != 'B' || bytes[1] != 'M') {
    return fail(error, "not a BMP file, or cut short");
  }
  const uint64_t offset = load_le32(bytes + kPixelOffsetField);
  if (offset < kFileHeaderSize) return fail(error, "BMP pixel data offset points into its header");
  const DibSource source{"BMP", bytes + kFileHeaderSize, size - kFileHeaderSize, true,
                         offset - kFileHeaderSize};
  return read_dib(source, picture, error);
}

bool read_dib_picture(const uint8_t* block, size_t size, Picture* picture, std::string* error) {
  const DibSource source{"clipboard bitmap", block, block == nullptr ? 0 : size, false, 0};
  return read_dib(source, picture, error);
}

}  // namespace vcv
