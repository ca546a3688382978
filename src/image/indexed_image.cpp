#include "image/indexed_image.h"

#include <cctype>

#include "image/dib_build.h"
#include "image/png_build.h"
#include "platform/file_io.h"

namespace vcv {

namespace {

constexpr int kBmpFileHeaderSize = 14;

bool image_is_consistent(const IndexedImage& image) {
  return image.width > 0 && image.height > 0 && image.colour_count > 0 &&
         image.colour_count <= 256 &&
         image.pixels.size() == static_cast<size_t>(image.width) * image.height;
}

bool ends_with_bmp(const std::string& path) {
  if (path.size() < 4) return false;
  std::string tail = path.substr(path.size() - 4);
  for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return tail == ".bmp";
}

// The file written whole or not at all; a failure says which file.
bool write_picture_file(const std::string& path, const std::vector<uint8_t>& bytes,
                        std::string* error) {
  std::string why;
  if (write_file_atomically(path, bytes, &why)) return true;
  *error = "cannot write " + path + ": " + why;
  return false;
}

}  // namespace

std::vector<uint8_t> build_bmp_file(const IndexedImage& image) {
  if (!image_is_consistent(image)) return {};
  const std::vector<uint8_t> dib =
      build_dib(image.pixels.data(), image.width, image.height, image.colour_count, image.palette);
  if (dib.empty()) return {};
  std::vector<uint8_t> file(kBmpFileHeaderSize, 0);
  const uint32_t total = static_cast<uint32_t>(kBmpFileHeaderSize + dib.size());
  const uint32_t pixel_start = static_cast<uint32_t>(kBmpFileHeaderSize + kDibHeaderSize +
                                                     image.colour_count * kDibColourEntrySize);
  file[0] = 'B';
  file[1] = 'M';
  for (int i = 0; i < 4; ++i) {
    file[2 + i] = static_cast<uint8_t>(total >> (8 * i));
    file[10 + i] = static_cast<uint8_t>(pixel_start >> (8 * i));
  }
  file.insert(file.end(), dib.begin(), dib.end());
  return file;
}

bool write_bmp(const IndexedImage& image, const std::string& path, std::string* error) {
  const std::vector<uint8_t> bytes = build_bmp_file(image);
  if (bytes.empty()) {
    *error = "the picture has no pixels or an unusable palette";
    return false;
  }
  return write_picture_file(path, bytes, error);
}

std::vector<uint8_t> build_png_file(const IndexedImage& image) {
  if (!image_is_consistent(image)) return {};
  return build_png(image.pixels.data(), image.width, image.height, image.colour_count,
                   image.palette);
}

bool write_png(const IndexedImage& image, const std::string& path, std::string* error) {
  const std::vector<uint8_t> bytes = build_png_file(image);
  if (bytes.empty()) {
    *error = "the picture has no pixels, an unusable palette or an index without a colour";
    return false;
  }
  return write_picture_file(path, bytes, error);
}

bool write_indexed_image(const IndexedImage& image, const std::string& path, std::string* error) {
  return ends_with_bmp(path) ? write_bmp(image, path, error) : write_png(image, path, error);
}

}  // namespace vcv
