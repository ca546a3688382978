// PNG files through LodePNG. A palette image keeps its indices; every other colour type is
// converted by LodePNG to 8-bit RGBA (16-bit samples keep their high byte, tRNS becomes alpha).
#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>

#include "image/picture_read.h"
#include "lodepng/lodepng.h"

namespace vcv {

namespace {

constexpr size_t kSignatureSize = 8;
constexpr size_t kChunkOverhead = 12;  // length, type, CRC
// Deflate turns one compressed byte into at most 1032 bytes (a 258-byte match from two 1-bit
// codes), so image data that would need more is cut short, whatever it claims.
constexpr uint64_t kMaxDeflateRatio = 1032;

const uint8_t kSignature[kSignatureSize] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

bool fail(std::string* error, const std::string& text) {
  *error = text;
  return false;
}

// LodePNG's state and output buffer, released on every path.
struct Decoder {
  LodePNGState state;
  unsigned char* out = nullptr;
  Decoder() { lodepng_state_init(&state); }
  ~Decoder() {
    std::free(out);
    lodepng_state_cleanup(&state);
  }
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;
};

std::string lodepng_reason(unsigned code) {
  return "PNG cannot be read: " + std::string(lodepng_error_text(code));
}

// The bytes of all IDAT chunks, counted over the chunks that lie wholly inside the file.
uint64_t image_data_bytes(const uint8_t* bytes, size_t size) {
  uint64_t total = 0;
  size_t at = kSignatureSize;
  while (size - at >= kChunkOverhead) {
    const uint64_t length = (static_cast<uint64_t>(bytes[at]) << 24) | (bytes[at + 1] << 16) |
                            (bytes[at + 2] << 8) | bytes[at + 3];
    if (length > size - at - kChunkOverhead) break;
    const uint8_t* type = bytes + at + 4;
    if (type[0] == 'I' && type[1] == 'D' && type[2] == 'A' && type[3] == 'T') total += length;
    if (type[0] == 'I' && type[1] == 'E' && type[2] == 'N' && type[3] == 'D') break;
    at += static_cast<size_t>(length) + kChunkOverhead;
  }
  return total;
}

bool read_palette_image(Decoder& decoder, unsigned width, unsigned height, Picture* picture,
                        std::string* error) {
  const LodePNGColorMode& colour = decoder.state.info_png.color;
  const unsigned bits = colour.bitdepth;
  const size_t pixels = static_cast<size_t>(width) * height;
  picture->kind = PictureKind::kIndexed;
  picture->indices.resize(pixels);
  // LodePNG hands back the rows packed without fill bits: pixel i at bit i x depth, high first.
  for (size_t i = 0; i < pixels; ++i) {
    const size_t bit = i * bits;
    const int shift = 8 - static_cast<int>(bits) - static_cast<int>(bit % 8);
    const uint8_t index =
        static_cast<uint8_t>((decoder.out[bit / 8] >> shift) & ((1u << bits) - 1));
    if (index >= colour.palettesize) {
      return fail(error, "PNG pixel at (" + std::to_string(i % width) + ", " +
                             std::to_string(i / width) + ") uses palette entry " +
                             std::to_string(index) + ", beyond its " +
                             std::to_string(colour.palettesize) + "-entry palette");
    }
    picture->indices[i] = index;
  }
  picture->colour_count = static_cast<int>(colour.palettesize);
  for (size_t i = 0; i < colour.palettesize; ++i) {
    const unsigned char* entry = colour.palette + 4 * i;
    picture->colours[i] = entry[0] | (static_cast<uint32_t>(entry[1]) << 8) |
                          (static_cast<uint32_t>(entry[2]) << 16);
    picture->colour_alpha[i] = entry[3];
    picture->has_alpha = picture->has_alpha || entry[3] != 255;
  }
  return true;
}

}  // namespace

bool read_png_picture(const uint8_t* bytes, size_t size, Picture* picture, std::string* error) {
  if (bytes == nullptr || size < kSignatureSize ||
      !std::equal(kSignature, kSignature + kSignatureSize, bytes)) {
    return fail(error, "not a PNG file");
  }
  Decoder decoder;
  unsigned width = 0, height = 0;
  unsigned code = lodepng_inspect(&width, &height, &decoder.state, bytes, size);
  if (code != 0) return fail(error, lodepng_reason(code));
  const uint64_t pixels = static_cast<uint64_t>(width) * height;
  if (pixels > static_cast<uint64_t>(kMaxPicturePixels)) {
    return fail(error, "PNG is too large: " + std::to_string(width) + " x " +
                           std::to_string(height) + " pixels (at most " +
                           std::to_string(kMaxPicturePixels) + ")");
  }
  const LodePNGColorMode& colour = decoder.state.info_png.color;
  const uint64_t pixel_bytes = (pixels * colour.bitdepth * lodepng_get_channels(&colour) + 7) / 8;
  if (pixel_bytes > kMaxDeflateRatio * image_data_bytes(bytes, size)) {
    return fail(error, "PNG image data is cut short");
  }
  // No stream may inflate past what the rows need: the raw bytes, with a filter byte and a
  // partly used byte per row of each of the seven interlace passes at most.
  decoder.state.decoder.zlibsettings.max_output_size =
      static_cast<size_t>(pixel_bytes + 16 * static_cast<uint64_t>(height) + 64);

  const bool indexed = colour.colortype == LCT_PALETTE;
  if (indexed) {
    decoder.state.decoder.color_convert = 0;
  } else {
    decoder.state.info_raw.colortype = LCT_RGBA;
    decoder.state.info_raw.bitdepth = 8;
  }
  code = lodepng_decode(&decoder.out, &width, &height, &decoder.state, bytes, size);
  if (code != 0) return fail(error, lodepng_reason(code));

  Picture result;
  result.width = static_cast<int>(width);
  result.height = static_cast<int>(height);
  if (indexed) {
    if (!read_palette_image(decoder, width, height, &result, error)) return false;
  } else {
    const LodePNGColorMode& stored = decoder.state.info_png.color;
    result.kind = PictureKind::kTrueColour;
    result.rgba.assign(decoder.out, decoder.out + pixels * 4);
    result.has_alpha = stored.colortype == LCT_GREY_ALPHA || stored.colortype == LCT_RGBA ||
                       stored.key_defined != 0;
  }
  *picture = std::move(result);
  return true;
}

}  // namespace vcv
