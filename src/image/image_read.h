// Reading a picture file as palette indices only, for callers that take no colours: an indexed
// PNG or BMP gives its indices as stored and its colour table; a true-colour file (grey PNG
// included) is refused with advice to save it as an indexed image. Nothing is matched by colour;
// for that, read a Picture (image/picture_read.h) and map it (image/palette_mapping.h).
//
// Safety contract: as for the Picture readers; a refused file leaves `image` as it was.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image/indexed_image.h"

namespace vcv {

bool read_indexed_image_bytes(const std::vector<uint8_t>& bytes, IndexedImage* image,
                              std::string* error);
bool read_indexed_image(const std::string& path, IndexedImage* image, std::string* error);

}  // namespace vcv
