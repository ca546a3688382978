// BPS patches: "BPS1", the source, target and metadata sizes as variable-length numbers, the
// metadata, a list of actions that build the target from the source, and three CRC32s (source,
// target, the patch before its last field). Each action starts with a number d: length
// (d >> 2) + 1 and kind d & 3:
//   0 SourceRead   copy from the source at the current output position;
//   1 TargetRead   the bytes follow in the patch;
//   2 SourceCopy   a signed offset follows, added to a cursor into the source; copy from there
//                  (the cursor moves on by the length);
//   3 TargetCopy   the same with a cursor into the output written so far; source and destination
//                  may overlap, the copy runs byte by byte.
//
// Safety contract: every function here reads only inside the buffers it is given and writes only
// into the vectors it fills. A patch is refused whole, before any output is made, when its own
// CRC32, the source's size or CRC32, or a size beyond kMaxPatchImageSize says so; an action that
// would read or write outside the source, the output or the patch, or a number that overflows,
// refuses it while applying, and a result whose CRC32 is not the target's is refused too: on any
// refusal *target is left empty.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "patch/patch_status.h"

namespace vcv {

// Largest image a patch is made from or may produce: the HiROM mapping's reach and more.
constexpr uint64_t kMaxPatchImageSize = 16u * 1024 * 1024;

enum BpsAction : int { kSourceRead = 0, kTargetRead = 1, kSourceCopy = 2, kTargetCopy = 3 };

struct BpsInfo {
  uint64_t source_size = 0;
  uint64_t target_size = 0;
  uint32_t source_crc = 0;
  uint32_t target_crc = 0;
  uint32_t patch_crc = 0;
  std::string metadata;
  uint64_t actions[4] = {};  // how many of each kind (BpsAction)
};

// Reads the header and footer, checks the patch's own CRC32 and walks the actions against the
// sizes the header gives (no source needed).
PatchStatus read_bps_info(const uint8_t* patch, size_t patch_size, BpsInfo* info);

// Builds the target from `source`. `info`, unless null, receives what the header and footer say
// as far as they could be read (the expected source CRC32 for a kWrongSource message).
PatchStatus apply_bps(const uint8_t* patch, size_t patch_size, const uint8_t* source,
                      size_t source_size, std::vector<uint8_t>* target, BpsInfo* info = nullptr);

// Makes a patch that turns `source` into `target`: copies from the source at its own place and
// at other places (blocks a repack moved), repeats within the target, and literal bytes where
// nothing matches. `metadata` is stored as it is (empty, or a short text). kTooLarge when either
// image exceeds kMaxPatchImageSize.
PatchStatus create_bps(const uint8_t* source, size_t source_size, const uint8_t* target,
                       size_t target_size, const std::string& metadata,
                       std::vector<uint8_t>* patch);

// ---- the variable-length numbers, for tests and hand-made patches ----

// Appends n: seven bits a byte, lowest first, the last byte marked with bit 7; each byte but
// the last stands for one more than its bits, so that every number has exactly one spelling.
void append_bps_number(uint64_t n, std::vector<uint8_t>* out);
// Appends a signed offset: magnitude << 1, bit 0 set for a negative offset.
void append_bps_offset(int64_t offset, std::vector<uint8_t>* out);

}  // namespace vcv
