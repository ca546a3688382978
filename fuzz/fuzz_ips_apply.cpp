// Hostile IPS patches against a fixed source: every patch is applied or refused without reading
// or writing outside the buffers, and an applied one gives an output no larger than the limit.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_target.h"

#include "patch/ips.h"

VCV_FUZZ_TARGET(fuzz_ips_apply) {
  std::vector<uint8_t> source(300);
  for (size_t i = 0; i < source.size(); ++i) source[i] = static_cast<uint8_t>(i * 5 + 1);
  std::vector<uint8_t> patch(data, data + size);
  std::vector<uint8_t> target;
  vcv::IpsInfo info;
  const vcv::PatchStatus status =
      vcv::apply_ips(patch.data(), patch.size(), source.data(), source.size(), &target, &info);
  if (status == vcv::PatchStatus::kOk) {
    VCV_FUZZ_CHECK(target.size() <= vcv::kMaxIpsImageSize);
    VCV_FUZZ_CHECK(info.truncates ? target.size() == info.truncated_size
                                  : target.size() == std::max<uint64_t>(source.size(),
                                                                        info.end_written));
  } else {
    VCV_FUZZ_CHECK(target.empty());
  }
  vcv::IpsInfo shape;
  const vcv::PatchStatus walked = vcv::read_ips_info(patch.data(), patch.size(), &shape);
  // Without an output only the truncation past the end cannot be seen.
  if (status == vcv::PatchStatus::kOk) VCV_FUZZ_CHECK(walked == vcv::PatchStatus::kOk);
  return 0;
}
