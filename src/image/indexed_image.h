// A palette picture as the tool exports it: one palette index per pixel, top row first, and the
// display colours (0x00BBGGRR) of the palette. Written as an 8-bit palette PNG (index 0
// transparent) or as an 8-bit BMP laid out like the clipboard bitmap.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vcv {

struct IndexedImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;  // width * height palette indices
  uint32_t palette[256] = {};   // display colours 0x00BBGGRR
  int colour_count = 16;
};

// Each returns true on success; on failure `error` holds one line saying why.
bool write_png(const IndexedImage& image, const std::string& path, std::string* error);
bool write_bmp(const IndexedImage& image, const std::string& path, std::string* error);

// BMP when the path ends in ".bmp" (any case), PNG otherwise.
bool write_indexed_image(const IndexedImage& image, const std::string& path, std::string* error);

// The bytes of a BMP file: a 14-byte file header followed by the clipboard bitmap block.
std::vector<uint8_t> build_bmp_file(const IndexedImage& image);
// The bytes of a PNG file (image/png_build.h): empty when the picture is unusable.
std::vector<uint8_t> build_png_file(const IndexedImage& image);

}  // namespace vcv
