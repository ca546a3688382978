// Hostile BPS patches against a fixed source: every patch is applied or refused without reading
// or writing outside the buffers. The first byte chooses how much of the footer is repaired, so
// that most inputs get past the CRC checks and into the actions: 0 none, 1 the patch CRC32,
// 2 the source's and the patch's CRC32 (and the source size, when the header has room).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_target.h"

#include "patch/bps.h"
#include "patch/crc32.h"

namespace {

void store_le32(uint32_t value, uint8_t* p) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

VCV_FUZZ_TARGET(fuzz_bps_apply) {
  if (size < 1) return 0;
  std::vector<uint8_t> source(300);
  for (size_t i = 0; i < source.size(); ++i) source[i] = static_cast<uint8_t>(i * 7 + (i >> 3));
  const int repair = data[0] % 3;
  // An exact-size copy, so that AddressSanitizer sees any read past its end.
  std::vector<uint8_t> patch(data + 1, data + size);
  if (repair > 0 && patch.size() >= 16) {
    if (repair == 2) {
      patch[4] = 0x80 | 0x2C;  // 300 = 0x2C + 0x80 * (0x01 + 1): "2C 81"
      patch[5] = 0x81;
      store_le32(vcv::crc32(source.data(), source.size()), patch.data() + patch.size() - 12);
    }
    store_le32(vcv::crc32(patch.data(), patch.size() - 4), patch.data() + patch.size() - 4);
  }
  std::vector<uint8_t> target;
  vcv::BpsInfo info;
  const vcv::PatchStatus status =
      vcv::apply_bps(patch.data(), patch.size(), source.data(), source.size(), &target, &info);
  if (status == vcv::PatchStatus::kOk) {
    VCV_FUZZ_CHECK(target.size() == info.target_size);
    VCV_FUZZ_CHECK(vcv::crc32(target.data(), target.size()) == info.target_crc);
  } else {
    VCV_FUZZ_CHECK(target.empty());
  }
  // The walk without a source agrees about the patch's shape.
  const vcv::PatchStatus shape = vcv::read_bps_info(patch.data(), patch.size(), &info);
  if (status == vcv::PatchStatus::kOk) VCV_FUZZ_CHECK(shape == vcv::PatchStatus::kOk);
  return 0;
}
