// An indexed PNG as the tool writes it, for files and for the clipboard format "PNG": 8 bits per
// pixel, a palette of the given colours, and index 0 fully transparent through tRNS. Pure bytes
// out, made with LodePNG.
#pragma once

#include <cstdint>
#include <vector>

namespace vcv {

// `pixels` holds width x height palette indices, top row first, each below colour_count;
// `colours` holds colour_count (1 to 256) display colours 0x00BBGGRR. An empty result means the
// arguments were unusable: no pixels, a picture larger than kMaxPicturePixels, a colour count
// out of range, or an index without a colour.
std::vector<uint8_t> build_png(const uint8_t* pixels, int width, int height, int colour_count,
                               const uint32_t* colours);

// A true-colour PNG of `pixels`, width x height values 0xAARRGGBB, top row first: 8-bit RGB
// (the alpha byte ignored) for screenshots and the ROM map, or RGBA with `alpha`. Empty when the
// arguments are unusable.
std::vector<uint8_t> build_rgb_png(const uint32_t* pixels, int width, int height,
                                   bool alpha = false);

}  // namespace vcv
