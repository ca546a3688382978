// Packing helpers shared by the codec tests: the packed block as a byte vector, empty when the
// encoder refuses.
#pragma once

#include <cstdint>
#include <vector>

#include "sprite/codec.h"

namespace vcv::codec_test {

using Bytes = std::vector<uint8_t>;

inline Bytes pack(const Bytes& input, PackMode mode) {
  Bytes out(kPackedBufferSize);
  const int size = pack_block(input.data(), static_cast<int>(input.size()), out.data(),
                              kPackedBufferSize, mode);
  out.resize(size < 0 ? 0 : static_cast<size_t>(size));
  return out;
}

inline Bytes pack_best(const Bytes& input) {
  Bytes out(kPackedBufferSize);
  const int size = pack_block_best(input.data(), static_cast<int>(input.size()), out.data(),
                                   kPackedBufferSize);
  out.resize(size < 0 ? 0 : static_cast<size_t>(size));
  return out;
}

}  // namespace vcv::codec_test
