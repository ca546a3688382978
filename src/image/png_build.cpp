#include "image/png_build.h"

#include <cstdlib>

#include "image/picture.h"
#include "lodepng/lodepng.h"

namespace vcv {

namespace {

constexpr unsigned kBitsPerIndex = 8;

struct Encoder {
  LodePNGState state;
  unsigned char* out = nullptr;
  size_t size = 0;
  Encoder() { lodepng_state_init(&state); }
  ~Encoder() {
    std::free(out);
    lodepng_state_cleanup(&state);
  }
  Encoder(const Encoder&) = delete;
  Encoder& operator=(const Encoder&) = delete;
};

bool arguments_usable(const uint8_t* pixels, int width, int height, int colour_count,
                      const uint32_t* colours) {
  if (pixels == nullptr || colours == nullptr || width <= 0 || height <= 0 ||
      colour_count <= 0 || colour_count > kMaxPictureColours ||
      static_cast<long long>(width) * height > kMaxPicturePixels) {
    return false;
  }
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  for (size_t i = 0; i < count; ++i) {
    if (pixels[i] >= colour_count) return false;
  }
  return true;
}

}  // namespace

std::vector<uint8_t> build_png(const uint8_t* pixels, int width, int height, int colour_count,
                               const uint32_t* colours) {
  if (!arguments_usable(pixels, width, height, colour_count, colours)) return {};
  Encoder encoder;
  LodePNGColorMode* modes[2] = {&encoder.state.info_raw, &encoder.state.info_png.color};
  for (LodePNGColorMode* mode : modes) {
    mode->colortype = LCT_PALETTE;
    mode->bitdepth = kBitsPerIndex;
    for (int i = 0; i < colour_count; ++i) {
      const uint32_t c = colours[i];
      const unsigned char alpha = i == 0 ? 0 : 255;  // index 0 is the transparent colour
      const unsigned char red = static_cast<unsigned char>(c);
      const unsigned char green = static_cast<unsigned char>(c >> 8);
      const unsigned char blue = static_cast<unsigned char>(c >> 16);
      if (lodepng_palette_add(mode, red, green, blue, alpha) != 0) {
        return {};
      }
    }
  }
  // Written exactly as given: no reordering of the palette, no change of bit depth.
  encoder.state.encoder.auto_convert = 0;
  const unsigned code = lodepng_encode(&encoder.out, &encoder.size, pixels,
                                       static_cast<unsigned>(width), static_cast<unsigned>(height),
                                       &encoder.state);
  if (code != 0 || encoder.out == nullptr) return {};
  return std::vector<uint8_t>(encoder.out, encoder.out + encoder.size);
}

std::vector<uint8_t> build_rgb_png(const uint32_t* pixels, int width, int height, bool alpha) {
  if (pixels == nullptr || width <= 0 || height <= 0 ||
      static_cast<long long>(width) * height > kMaxPicturePixels) {
    return {};
  }
  const size_t channels = alpha ? 4 : 3;
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  std::vector<unsigned char> samples(count * channels);
  for (size_t i = 0; i < count; ++i) {
    unsigned char* sample = &samples[i * channels];
    sample[0] = static_cast<unsigned char>(pixels[i] >> 16);
    sample[1] = static_cast<unsigned char>(pixels[i] >> 8);
    sample[2] = static_cast<unsigned char>(pixels[i]);
    if (alpha) sample[3] = static_cast<unsigned char>(pixels[i] >> 24);
  }
  const LodePNGColorType type = alpha ? LCT_RGBA : LCT_RGB;
  Encoder encoder;
  encoder.state.info_raw.colortype = type;
  encoder.state.info_raw.bitdepth = 8;
  encoder.state.info_png.color.colortype = type;
  encoder.state.info_png.color.bitdepth = 8;
  encoder.state.encoder.auto_convert = 0;
  const unsigned code = lodepng_encode(&encoder.out, &encoder.size, samples.data(),
                                       static_cast<unsigned>(width), static_cast<unsigned>(height),
                                       &encoder.state);
  if (code != 0 || encoder.out == nullptr) return {};
  return std::vector<uint8_t>(encoder.out, encoder.out + encoder.size);
}

}  // namespace vcv
