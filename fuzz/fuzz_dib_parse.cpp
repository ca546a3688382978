// Arbitrary bytes as a clipboard bitmap: the parser must stay inside the block and the pixel
// buffer, and a bitmap it accepts must fit the capacity it was given.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_target.h"

#include "image/dib_parse.h"
#include "edit/tile_info_parse.h"

VCV_FUZZ_TARGET(fuzz_dib_parse) {
  // An exact-size copy, so that any read past the block is caught.
  std::unique_ptr<uint8_t[]> block(new uint8_t[size == 0 ? 1 : size]);
  if (size > 0) std::memcpy(block.get(), data, size);
  const size_t capacity = 4096;
  std::vector<uint8_t> pixels(capacity);
  vcv::DibInfo info;
  if (vcv::parse_dib(block.get(), size, pixels.data(), capacity, &info) == vcv::kDibOk) {
    if (info.width <= 0 || info.height <= 0 ||
        static_cast<size_t>(info.width) * static_cast<size_t>(info.height) > capacity) {
      vcv::fuzz::fail("an accepted bitmap does not fit the capacity");
    }
  }
  // The same bytes as a Tile Info text.
  vcv::Frame frame;
  vcv::apply_tile_info_text(std::string(reinterpret_cast<const char*>(data), size), frame,
                            static_cast<int>(size % 70) - 3);
  return 0;
}
