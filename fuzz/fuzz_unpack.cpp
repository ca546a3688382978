// Decodes arbitrary bytes as a packed block: it must fail cleanly or succeed, never read or
// write outside its buffers. The first two bytes choose the output limit and the start offset.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz_target.h"

#include "sprite/codec.h"

VCV_FUZZ_TARGET(fuzz_unpack) {
  if (size < 2) return 0;
  static const int kLimits[] = {1, 8, 64, 327, 1000, 4096, vcv::kRepackDecodeLimit,
                                vcv::kPackedBufferSize};
  const int limit = kLimits[data[0] % (sizeof kLimits / sizeof kLimits[0])];
  const size_t start = data[1] % 4;
  // Heap copies of exactly the right sizes, so AddressSanitizer catches any overrun.
  std::vector<uint8_t> source(data + 2, data + size);
  std::vector<uint8_t> output(static_cast<size_t>(limit));
  int packed = -1;
  const int decoded = vcv::unpack_block(source.data(), source.size(), start, output.data(),
                                        limit, &packed);
  if (decoded >= 0) {
    // A decoded block is shorter than the limit and lies inside the source.
    if (decoded >= limit || packed < 3 || static_cast<size_t>(packed) > source.size() - start) {
      vcv::fuzz::fail("a decoded block breaks the decoder's contract");
    }
  }
  return 0;
}
