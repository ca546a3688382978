#include "image/indexed_image.h"

#include <cctype>
#include <cstdio>

#include "edit/dib_build.h"
#include "platform/portability.h"

#ifdef VANTOR_HAVE_PNG
#include <png.h>
#endif

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

bool write_whole_file(const std::string& path, const std::vector<uint8_t>& bytes,
                      std::string* error) {
  std::FILE* file = fopen_utf8(path.c_str(), "wb");
  if (file == nullptr) {
    *error = "cannot create " + path;
    return false;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) {
    *error = "cannot write " + path;
    return false;
  }
  return true;
}

#ifdef VANTOR_HAVE_PNG
struct PngWriter {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~PngWriter() { png_destroy_write_struct(&png, &info); }
};

// libpng reports errors by longjmp; everything that must be released lives outside this frame.
bool encode_png(const IndexedImage& image, std::FILE* file) {
  PngWriter writer;
  writer.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (writer.png == nullptr) return false;
  writer.info = png_create_info_struct(writer.png);
  if (writer.info == nullptr) return false;
  if (setjmp(png_jmpbuf(writer.png))) return false;
  png_init_io(writer.png, file);
  png_set_IHDR(writer.png, writer.info, static_cast<png_uint_32>(image.width),
               static_cast<png_uint_32>(image.height), 8, PNG_COLOR_TYPE_PALETTE,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_color colours[256];
  for (int i = 0; i < image.colour_count; ++i) {
    colours[i].red = static_cast<png_byte>(image.palette[i]);
    colours[i].green = static_cast<png_byte>(image.palette[i] >> 8);
    colours[i].blue = static_cast<png_byte>(image.palette[i] >> 16);
  }
  png_set_PLTE(writer.png, writer.info, colours, image.colour_count);
  png_byte alpha[1] = {0};  // index 0 is the transparent colour
  png_set_tRNS(writer.png, writer.info, alpha, 1, nullptr);
  png_write_info(writer.png, writer.info);
  for (int y = 0; y < image.height; ++y) {
    png_write_row(writer.png, image.pixels.data() + static_cast<size_t>(y) * image.width);
  }
  png_write_end(writer.png, nullptr);
  return true;
}
#endif

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
  return write_whole_file(path, bytes, error);
}

bool write_png(const IndexedImage& image, const std::string& path, std::string* error) {
#ifdef VANTOR_HAVE_PNG
  if (!image_is_consistent(image)) {
    *error = "the picture has no pixels or an unusable palette";
    return false;
  }
  std::FILE* file = fopen_utf8(path.c_str(), "wb");
  if (file == nullptr) {
    *error = "cannot create " + path;
    return false;
  }
  const bool encoded = encode_png(image, file);
  const bool closed = std::fclose(file) == 0;
  if (!encoded || !closed) {
    *error = "cannot write " + path;
    std::remove(path.c_str());
    return false;
  }
  return true;
#else
  (void)image;
  (void)path;
  *error = "PNG support is not built in; use .bmp";
  return false;
#endif
}

bool write_indexed_image(const IndexedImage& image, const std::string& path, std::string* error) {
  return ends_with_bmp(path) ? write_bmp(image, path, error) : write_png(image, path, error);
}

}  // namespace vcv
