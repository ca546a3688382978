#include "image/image_read.h"

#include <algorithm>
#include <cstdio>

#include "platform/file_io.h"

namespace vcv {

namespace {

const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

}  // namespace

bool read_indexed_image_bytes(const std::vector<uint8_t>& bytes, IndexedImage* image,
                              std::string* error) {
  if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') {
    return read_bmp_bytes(bytes, image, error);
  }
  if (bytes.size() >= sizeof kPngSignature &&
      std::equal(kPngSignature, kPngSignature + sizeof kPngSignature, bytes.begin())) {
    return read_png_bytes(bytes, image, error);
  }
  *error = "neither a BMP nor a PNG file";
  return false;
}

bool read_indexed_image(const std::string& path, IndexedImage* image, std::string* error) {
  std::vector<uint8_t> bytes;
  if (!read_whole_file(path, &bytes)) {
    *error = "cannot read " + path;
    return false;
  }
  if (!read_indexed_image_bytes(bytes, image, error)) {
    *error = path + ": " + *error;
    return false;
  }
  return true;
}

}  // namespace vcv
