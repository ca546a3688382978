// Arbitrary bytes as a clipboard bitmap block, through both readers: the 8-bit path the pastes
// take (parse_dib, bounded by a capacity) and the reader of every bit depth. Where the 8-bit
// path accepts a block with a header version the general reader knows, the general reader must
// read the same indices, or refuse only because an index has no colour in the table.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz_target.h"
#include "image/dib_parse.h"
#include "image/picture_read.h"
#include "picture_checks.h"

VCV_FUZZ_TARGET(fuzz_dib_read) {
  const vcv::fuzz::ExactCopy input(data, size);
  const size_t capacity = 4096;
  std::vector<uint8_t> pixels(capacity + 16, 0xCD);
  vcv::DibInfo info;
  const int eight_bit = vcv::parse_dib(input.bytes.get(), size, pixels.data(), capacity, &info);
  for (size_t i = capacity; i < pixels.size(); ++i) VCV_FUZZ_CHECK(pixels[i] == 0xCD);

  vcv::Picture picture;
  std::string error;
  const bool read = vcv::read_dib_picture(input.bytes.get(), size, &picture, &error);
  vcv::fuzz::check_read(read, picture, error);
  if (eight_bit != vcv::kDibOk) return 0;
  vcv::DibHeader header;
  VCV_FUZZ_CHECK(vcv::read_dib_header(input.bytes.get(), size, &header) == vcv::kDibHeaderOk);
  const uint32_t known[] = {40, 52, 56, 108, 124};
  if (std::find(std::begin(known), std::end(known), header.header_size) == std::end(known)) {
    return 0;
  }
  const size_t count = static_cast<size_t>(info.width) * static_cast<size_t>(info.height);
  VCV_FUZZ_CHECK(info.width > 0 && info.height > 0 && count <= capacity);
  if (!read) {
    // The only refusal left: an index beyond the colour table.
    VCV_FUZZ_CHECK(error.find("beyond its") != std::string::npos);
    VCV_FUZZ_CHECK(std::any_of(pixels.begin(), pixels.begin() + static_cast<long>(count),
                               [&](uint8_t index) { return index >= info.colour_count; }));
    return 0;
  }
  VCV_FUZZ_CHECK(picture.kind == vcv::PictureKind::kIndexed);
  VCV_FUZZ_CHECK(picture.width == info.width && picture.height == info.height);
  VCV_FUZZ_CHECK(std::equal(picture.indices.begin(), picture.indices.end(), pixels.begin()));
  return 0;
}
