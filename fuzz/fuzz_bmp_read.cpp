// Arbitrary bytes as a BMP file: every header version, bit depth, RLE4 / RLE8 and bit fields.
// The reader must stay inside the bytes and give a picture of consistent size, or a reason.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_target.h"
#include "image/picture_read.h"
#include "picture_checks.h"

VCV_FUZZ_TARGET(fuzz_bmp_read) {
  const vcv::fuzz::ExactCopy input(data, size);
  vcv::Picture picture;
  std::string error;
  const bool read = vcv::read_bmp_picture(input.bytes.get(), size, &picture, &error);
  vcv::fuzz::check_read(read, picture, error);
  return 0;
}
