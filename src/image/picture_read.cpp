// The reader chosen by a file's signature.
#include "image/picture_read.h"

#include <algorithm>
#include <vector>

#include "image/picture.h"
#include "platform/file_io.h"

namespace vcv {

namespace {

const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

bool is_png(const uint8_t* bytes, size_t size) {
  return size >= sizeof kPngSignature &&
         std::equal(kPngSignature, kPngSignature + sizeof kPngSignature, bytes);
}

}  // namespace

bool read_picture_bytes(const uint8_t* bytes, size_t size, Picture* picture, std::string* error) {
  if (bytes != nullptr && size >= 2 && bytes[0] == 'B' && bytes[1] == 'M') {
    return read_bmp_picture(bytes, size, picture, error);
  }
  if (bytes != nullptr && is_png(bytes, size)) return read_png_picture(bytes, size, picture, error);
  *error = "neither a BMP nor a PNG file";
  return false;
}

bool read_picture_file(const std::string& path, Picture* picture, std::string* error) {
  std::vector<uint8_t> bytes;
  std::string why;
  if (!read_regular_file(path, kMaxPictureFileSize, &bytes, &why)) {
    *error = "cannot read " + path + ": " + why;
    return false;
  }
  if (!read_picture_bytes(bytes.data(), bytes.size(), picture, error)) {
    *error = path + ": " + *error;
    return false;
  }
  return true;
}

}  // namespace vcv
