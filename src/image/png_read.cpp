// PNG files with a palette (1, 2, 4 or 8 bits per pixel) or grey levels of up to 8 bits, read
// with libpng. Other colour types are refused: their pixels are colours, not indices.
#include <cstring>
#include <utility>

#include "image/image_read.h"

#ifdef VANTOR_HAVE_PNG
#include <png.h>
#endif

namespace vcv {

#ifdef VANTOR_HAVE_PNG

namespace {

constexpr size_t kPngSignatureSize = 8;

struct MemoryReader {
  const std::vector<uint8_t>* bytes;
  size_t at;
};

void read_from_memory(png_structp png, png_bytep destination, png_size_t count) {
  MemoryReader* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
  if (count > reader->bytes->size() - reader->at) png_error(png, "file cut short");
  std::memcpy(destination, reader->bytes->data() + reader->at, count);
  reader->at += count;
}

// libpng's own message goes here instead of the error stream; the caller words the failure.
void keep_error(png_structp png, png_const_charp message) {
  std::string* text = static_cast<std::string*>(png_get_error_ptr(png));
  if (text != nullptr) *text = message;
  png_longjmp(png, 1);
}
void ignore_warning(png_structp, png_const_charp) {}

struct PngReader {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~PngReader() { png_destroy_read_struct(&png, &info, nullptr); }
};

// Everything that owns memory lives outside the frame that libpng may jump out of.
bool decode(const std::vector<uint8_t>& bytes, IndexedImage* image, std::vector<png_bytep>* rows,
            std::string* libpng_error, std::string* error) {
  PngReader reader;
  reader.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, libpng_error, keep_error,
                                      ignore_warning);
  if (reader.png == nullptr) return false;
  reader.info = png_create_info_struct(reader.png);
  if (reader.info == nullptr) return false;
  MemoryReader memory{&bytes, 0};
  if (setjmp(png_jmpbuf(reader.png))) return false;
  png_set_read_fn(reader.png, &memory, read_from_memory);
  png_read_info(reader.png, reader.info);
  png_uint_32 width = 0, height = 0;
  int depth = 0, colour_type = 0;
  png_get_IHDR(reader.png, reader.info, &width, &height, &depth, &colour_type, nullptr, nullptr,
               nullptr);
  const bool indexed = colour_type == PNG_COLOR_TYPE_PALETTE;
  const bool grey = colour_type == PNG_COLOR_TYPE_GRAY && depth <= 8;
  if (!indexed && !grey) {
    *error = "PNG is a true-colour or 16-bit image; save it as an indexed (palette) image of at "
             "most 256 colours";
    return false;
  }
  if (width == 0 || height == 0 ||
      static_cast<long long>(width) * static_cast<long long>(height) > kMaxReadPixels) {
    *error = "PNG has no pixels or is too large";
    return false;
  }
  png_set_packing(reader.png);  // 1, 2 and 4 bits per pixel become one byte each, same value
  png_set_interlace_handling(reader.png);
  png_read_update_info(reader.png, reader.info);
  image->width = static_cast<int>(width);
  image->height = static_cast<int>(height);
  image->pixels.assign(static_cast<size_t>(width) * height, 0);
  if (indexed) {
    png_colorp colours = nullptr;
    int count = 0;
    if (png_get_PLTE(reader.png, reader.info, &colours, &count) != 0 && colours != nullptr) {
      image->colour_count = count;
      for (int i = 0; i < count && i < 256; ++i) {
        image->palette[i] = colours[i].red | (colours[i].green << 8) |
                            (static_cast<uint32_t>(colours[i].blue) << 16);
      }
    }
  } else {
    image->colour_count = 1 << depth;
    for (int i = 0; i < image->colour_count; ++i) {
      const uint32_t level = static_cast<uint32_t>(i * 255 / (image->colour_count - 1));
      image->palette[i] = level | (level << 8) | (level << 16);
    }
  }
  rows->resize(height);
  for (png_uint_32 y = 0; y < height; ++y) {
    (*rows)[y] = image->pixels.data() + static_cast<size_t>(y) * width;
  }
  png_read_image(reader.png, rows->data());
  png_read_end(reader.png, nullptr);
  return true;
}

}  // namespace

bool read_png_bytes(const std::vector<uint8_t>& bytes, IndexedImage* image, std::string* error) {
  if (bytes.size() < kPngSignatureSize || png_sig_cmp(bytes.data(), 0, kPngSignatureSize) != 0) {
    *error = "not a PNG file";
    return false;
  }
  IndexedImage result;
  std::vector<png_bytep> rows;
  std::string libpng_error, own_error;
  if (!decode(bytes, &result, &rows, &libpng_error, &own_error)) {
    *error = !own_error.empty() ? own_error
             : libpng_error.empty() ? "PNG cannot be read"
                                    : "PNG cannot be read: " + libpng_error;
    return false;
  }
  *image = std::move(result);
  return true;
}

#else

bool read_png_bytes(const std::vector<uint8_t>&, IndexedImage*, std::string* error) {
  *error = "this build reads no PNG files (built without libpng); use an indexed BMP instead";
  return false;
}

#endif

}  // namespace vcv
