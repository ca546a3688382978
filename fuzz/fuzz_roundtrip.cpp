// Packs arbitrary bytes in every mode and search, then decodes: the decoded bytes and packed
// size must match. On small inputs the indexed search must give the scan's bytes exactly. The
// optimal encoder must decode as well, never be larger than the both-mode block, and refuse a
// buffer one byte too small without writing past it.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz_target.h"

#include "sprite/codec.h"
#include "sprite/codec_optimal.h"

namespace {

constexpr size_t kScanCheckSize = 512;  // the scan is slow: cross-checked on small inputs only

// Packs with `search` in `mode` (0 short, 1 long, 2 best); the size or kPackRefused.
int pack(const std::vector<uint8_t>& input, std::vector<uint8_t>& out, int mode,
         vcv::MatchSearch search) {
  const int count = static_cast<int>(input.size());
  if (mode == 2) {
    return vcv::pack_block_best(input.data(), count, out.data(), vcv::kPackedBufferSize, search);
  }
  return vcv::pack_block(input.data(), count, out.data(), vcv::kPackedBufferSize,
                         mode == 0 ? vcv::PackMode::kShortWindow : vcv::PackMode::kLongWindow,
                         search);
}

void check_round_trip(const std::vector<uint8_t>& input, const std::vector<uint8_t>& block,
                      int size) {
  if (size == vcv::kPackRefused) {
    // Only input that cannot shrink enough may be refused.
    if (input.size() * 9 / 8 + 8 < static_cast<size_t>(vcv::kPackedBufferSize)) {
      vcv::fuzz::fail("compressible input refused");
    }
    return;
  }
  std::vector<uint8_t> exact(block.begin(), block.begin() + size);
  std::vector<uint8_t> decoded(input.size() + 1);
  int packed = -1;
  const int count = vcv::unpack_block(exact.data(), exact.size(), 0, decoded.data(),
                                      static_cast<int>(decoded.size()), &packed);
  VCV_FUZZ_CHECK(count == static_cast<int>(input.size()) && packed == size);
  if (!input.empty() && std::memcmp(decoded.data(), input.data(), input.size()) != 0) {
    vcv::fuzz::fail("decoded bytes differ from the input");
  }
}

void check_optimal(const std::vector<uint8_t>& input, int best_size) {
  const int count = static_cast<int>(input.size());
  std::vector<uint8_t> block(vcv::kPackedBufferSize);
  const int size = vcv::pack_block_optimal(input.data(), count, block.data(),
                                           vcv::kPackedBufferSize);
  check_round_trip(input, block, size);
  if (size == vcv::kPackRefused) {
    VCV_FUZZ_CHECK(best_size == vcv::kPackRefused);
    return;
  }
  VCV_FUZZ_CHECK(best_size == vcv::kPackRefused || size <= best_size);
  // Heap buffers of exactly the capacity, so AddressSanitizer sees a write past it.
  std::vector<uint8_t> exact(static_cast<size_t>(size));
  VCV_FUZZ_CHECK(vcv::pack_block_optimal(input.data(), count, exact.data(), size) == size);
  if (std::memcmp(exact.data(), block.data(), static_cast<size_t>(size)) != 0) {
    vcv::fuzz::fail("the optimal block depends on the output capacity");
  }
  std::vector<uint8_t> short_by_one(static_cast<size_t>(size - 1));
  VCV_FUZZ_CHECK(vcv::pack_block_optimal(input.data(), count, short_by_one.data(), size - 1) ==
                 vcv::kPackRefused);
}

}  // namespace

VCV_FUZZ_TARGET(fuzz_roundtrip) {
  if (size > static_cast<size_t>(vcv::kMaxDecodedInput)) return 0;
  const std::vector<uint8_t> input(data, data + size);
  std::vector<uint8_t> fast(vcv::kPackedBufferSize);
  std::vector<uint8_t> scan(vcv::kPackedBufferSize);
  int best_size = vcv::kPackRefused;
  for (int mode = 0; mode <= 2; ++mode) {
    const int fast_size = pack(input, fast, mode, vcv::MatchSearch::kFast);
    if (mode == 2) best_size = fast_size;
    check_round_trip(input, fast, fast_size);
    if (size <= kScanCheckSize) {
      const int scan_size = pack(input, scan, mode, vcv::MatchSearch::kScan);
      VCV_FUZZ_CHECK(scan_size == fast_size);
      if (fast_size > 0 && std::memcmp(fast.data(), scan.data(), static_cast<size_t>(fast_size))) {
        vcv::fuzz::fail("the indexed search and the scan pack differently");
      }
    }
  }
  check_optimal(input, best_size);
  return 0;
}
