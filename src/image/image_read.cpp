#include "image/image_read.h"

#include <algorithm>
#include <utility>

#include "image/picture_read.h"
#include "image/picture.h"
#include "platform/file_io.h"

namespace vcv {

bool read_indexed_image_bytes(const std::vector<uint8_t>& bytes, IndexedImage* image,
                              std::string* error) {
  Picture picture;
  if (!read_picture_bytes(bytes.data(), bytes.size(), &picture, error)) return false;
  if (picture.kind != PictureKind::kIndexed) {
    *error = std::string(bytes[0] == 'B' ? "BMP" : "PNG") +
             " is a true-colour image; save it as an indexed (palette) image of at most 256 "
             "colours";
    return false;
  }
  IndexedImage result;
  result.width = picture.width;
  result.height = picture.height;
  result.pixels = std::move(picture.indices);
  // Without a table of its own the picture still names indices up to 255.
  result.colour_count = picture.colour_count > 0 ? picture.colour_count : kMaxPictureColours;
  std::copy(picture.colours, picture.colours + kMaxPictureColours, result.palette);
  *image = std::move(result);
  return true;
}

bool read_indexed_image(const std::string& path, IndexedImage* image, std::string* error) {
  std::vector<uint8_t> bytes;
  std::string why;
  if (!read_regular_file(path, kMaxPictureFileSize, &bytes, &why)) {
    *error = "cannot read " + path + ": " + why;
    return false;
  }
  if (!read_indexed_image_bytes(bytes, image, error)) {
    *error = path + ": " + *error;
    return false;
  }
  return true;
}

}  // namespace vcv
