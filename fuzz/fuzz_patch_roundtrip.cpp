// Random pairs: a source from the input's bytes, a target made from it by the edits the rest of
// the input describes (bytes changed, blocks moved, inserted, deleted, repeated, the size grown
// or cut). Both formats must make a patch that applies back to exactly the target; BPS must
// also refuse the patch on a source one byte different.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_target.h"

#include "patch/bps.h"
#include "patch/ips.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Reads the edit script: each edit is a kind byte and three parameter bytes.
Bytes edited(const Bytes& source, const uint8_t* script, size_t size) {
  Bytes target = source;
  for (size_t i = 0; i + 4 <= size; i += 4) {
    const size_t n = target.size();
    const size_t at = n == 0 ? 0 : (script[i + 1] * 257u + script[i + 2]) % n;
    const size_t length = script[i + 3] + 1u;
    switch (script[i] % 6) {
      case 0:  // change one byte
        if (n > 0) target[at] ^= static_cast<uint8_t>(script[i + 3] | 1);
        break;
      case 1: {  // move a block to the end (a repack shifts what follows it)
        const size_t end = std::min(n, at + length);
        Bytes block(target.begin() + static_cast<long>(at), target.begin() + static_cast<long>(end));
        target.erase(target.begin() + static_cast<long>(at), target.begin() + static_cast<long>(end));
        target.insert(target.end(), block.begin(), block.end());
        break;
      }
      case 2:  // insert new bytes
        target.insert(target.begin() + static_cast<long>(at), length, script[i + 2]);
        break;
      case 3:  // delete
        target.erase(target.begin() + static_cast<long>(at),
                     target.begin() + static_cast<long>(std::min(n, at + length)));
        break;
      case 4: {  // repeat a block of the target elsewhere
        const size_t end = std::min(n, at + length);
        Bytes block(target.begin() + static_cast<long>(at), target.begin() + static_cast<long>(end));
        const size_t where = (at * 31 + 7) % (n + 1);
        target.insert(target.begin() + static_cast<long>(where), block.begin(), block.end());
        break;
      }
      case 5:  // grow or cut the end
        if (script[i + 3] & 1) {
          target.resize(n + length, script[i + 2]);
        } else {
          target.resize(n > length ? n - length : 0);
        }
        break;
    }
  }
  return target;
}

}  // namespace

VCV_FUZZ_TARGET(fuzz_patch_roundtrip) {
  if (size < 2) return 0;
  // The first two bytes split the rest into source bytes and the edit script.
  const size_t split = std::min(size - 2, static_cast<size_t>(data[0] * 256 + data[1]));
  const Bytes source(data + 2, data + 2 + split);
  const Bytes target = edited(source, data + 2 + split, size - 2 - split);

  Bytes patch;
  Bytes out;
  VCV_FUZZ_CHECK(vcv::create_bps(source.data(), source.size(), target.data(), target.size(),
                                 "fuzz", &patch) == vcv::PatchStatus::kOk);
  VCV_FUZZ_CHECK(vcv::apply_bps(patch.data(), patch.size(), source.data(), source.size(),
                                &out) == vcv::PatchStatus::kOk);
  VCV_FUZZ_CHECK(out == target);
  if (!source.empty()) {
    Bytes other = source;
    other[other.size() / 2] ^= 0x01;
    VCV_FUZZ_CHECK(vcv::apply_bps(patch.data(), patch.size(), other.data(), other.size(),
                                  &out) == vcv::PatchStatus::kWrongSource);
    VCV_FUZZ_CHECK(out.empty());
  }

  VCV_FUZZ_CHECK(vcv::create_ips(source.data(), source.size(), target.data(), target.size(),
                                 &patch) == vcv::PatchStatus::kOk);
  VCV_FUZZ_CHECK(vcv::apply_ips(patch.data(), patch.size(), source.data(), source.size(),
                                &out) == vcv::PatchStatus::kOk);
  VCV_FUZZ_CHECK(out == target);
  return 0;
}
