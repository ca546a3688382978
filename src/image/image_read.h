// Reading palette pictures as paint programs and image tools write them: PNG with a palette (1,
// 2, 4 or 8 bits per pixel) or in grey levels of up to 8 bits (the levels are taken as indices),
// and BMP of 1, 4 or 8 bits per pixel with a 40-, 108- or 124-byte header, bottom-up or
// top-down, uncompressed or RLE8 / RLE4. The pixel values are the indices as the file holds
// them; nothing is matched by colour.
//
// Safety contract: the readers never read outside the bytes given and refuse every file they
// cannot read exactly with a one-line reason. Pixels an RLE stream does not set are index 0.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image/indexed_image.h"

namespace vcv {

constexpr long long kMaxReadPixels = 1LL << 26;  // larger pictures are refused

bool read_bmp_bytes(const std::vector<uint8_t>& bytes, IndexedImage* image, std::string* error);
bool read_png_bytes(const std::vector<uint8_t>& bytes, IndexedImage* image, std::string* error);

// Chooses the reader by the file's signature ("BM" or the PNG signature).
bool read_indexed_image_bytes(const std::vector<uint8_t>& bytes, IndexedImage* image,
                              std::string* error);
bool read_indexed_image(const std::string& path, IndexedImage* image, std::string* error);

}  // namespace vcv
