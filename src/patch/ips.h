// IPS patches: "PATCH", then records, then "EOF", optionally followed by a 3-byte truncation
// length. A record is a 3-byte offset and a 2-byte size (both big-endian) and that many bytes to
// write there; a size of 0 makes it a run: a 2-byte count and the byte to repeat. Records may
// write past the end of the input, which grows (zero-filled) to take them. There are no sizes
// or checksums, so a wrong input cannot be told from the right one.
//
// Safety contract: reads only inside the buffers given, writes only into the vectors filled; a
// patch that is cut short, has bytes after its end other than a truncation length, a run of
// zero bytes, or would make an output larger than kMaxIpsImageSize is refused with *target
// left empty.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "patch/patch_status.h"

namespace vcv {

// Offsets are 24 bits: nothing at 16 MiB or beyond can be patched.
constexpr uint64_t kMaxIpsImageSize = 16u * 1024 * 1024;
// A record that started here would read as the end marker "EOF".
constexpr uint32_t kIpsEofOffset = 0x454F46;
constexpr size_t kMaxIpsRecord = 0xFFFF;

struct IpsInfo {
  uint64_t records = 0;     // records with bytes
  uint64_t runs = 0;        // run-length records
  uint64_t end_written = 0;  // one past the last byte any record writes
  bool truncates = false;
  uint64_t truncated_size = 0;
};

PatchStatus read_ips_info(const uint8_t* patch, size_t patch_size, IpsInfo* info);

PatchStatus apply_ips(const uint8_t* patch, size_t patch_size, const uint8_t* source,
                      size_t source_size, std::vector<uint8_t>* target, IpsInfo* info = nullptr);

// Records for the bytes that differ (neighbouring changes merged where that is shorter, runs
// where they are shorter than the bytes), the bytes past the source's end when the target is
// longer, and the truncation length when it is shorter. kTooLarge when either image exceeds
// kMaxIpsImageSize.
PatchStatus create_ips(const uint8_t* source, size_t source_size, const uint8_t* target,
                       size_t target_size, std::vector<uint8_t>* patch);

}  // namespace vcv
