// Arbitrary bytes as a clipboard bitmap: the parser must stay inside the block and the pixel
// buffer, and a bitmap it accepts must fit the capacity it was given.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_target.h"
#include "image/dib_parse.h"
#include "picture_checks.h"

VCV_FUZZ_TARGET(fuzz_dib_parse) {
  const vcv::fuzz::ExactCopy block(data, size);
  const size_t capacity = 4096;
  std::vector<uint8_t> pixels(capacity);
  vcv::DibInfo info;
  if (vcv::parse_dib(block.bytes.get(), size, pixels.data(), capacity, &info) == vcv::kDibOk) {
    if (info.width <= 0 || info.height <= 0 ||
        static_cast<size_t>(info.width) * static_cast<size_t>(info.height) > capacity) {
      vcv::fuzz::fail("an accepted bitmap does not fit the capacity");
    }
  }
  return 0;
}
