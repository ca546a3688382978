// Reading and applying BPS patches (bps.h). One walk over the actions serves both: with no
// output it only checks each action against the sizes the header gives.
#include <cstring>
#include <limits>

#include "patch/bps.h"
#include "patch/crc32.h"
#include "platform/byte_order.h"

namespace vcv {
namespace {

constexpr char kMagic[] = "BPS1";
constexpr size_t kMagicSize = 4;
constexpr size_t kFooterSize = 12;  // source, target and patch CRC32

// Reads [pos, end) of the patch; every read is checked against `end`.
struct Reader {
  const uint8_t* data;
  size_t pos;
  size_t end;

  PatchStatus number(uint64_t* value) {
    constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
    uint64_t result = 0;
    uint64_t shift = 1;
    for (;;) {
      if (pos >= end) return PatchStatus::kTruncated;
      const uint8_t b = data[pos++];
      const uint64_t bits = b & 0x7F;
      if (bits != 0 && (shift > kMax / bits || result > kMax - bits * shift)) {
        return PatchStatus::kMalformed;
      }
      result += bits * shift;
      if (b & 0x80) break;
      if (shift > (kMax >> 7)) return PatchStatus::kMalformed;
      shift <<= 7;
      if (result > kMax - shift) return PatchStatus::kMalformed;
      result += shift;
    }
    *value = result;
    return PatchStatus::kOk;
  }
};

// Moves a cursor by a signed offset (magnitude << 1 | sign); false when it would leave [0, limit].
bool move_cursor(uint64_t* cursor, uint64_t encoded, uint64_t limit) {
  const uint64_t magnitude = encoded >> 1;
  if (encoded & 1) {
    if (magnitude > *cursor) return false;
    *cursor -= magnitude;
  } else {
    if (magnitude > limit - *cursor) return false;
    *cursor += magnitude;
  }
  return true;
}

struct Header {
  BpsInfo info;
  size_t actions_begin = 0;
  size_t actions_end = 0;
};

// Header and footer; the patch's own CRC32 is checked here, before anything else is trusted.
PatchStatus read_header(const uint8_t* patch, size_t size, Header* header) {
  if (size < kMagicSize || std::memcmp(patch, kMagic, kMagicSize) != 0) {
    return PatchStatus::kNotAPatch;
  }
  if (size < kMagicSize + 3 + kFooterSize) return PatchStatus::kTruncated;
  BpsInfo& info = header->info;
  const uint8_t* footer = patch + size - kFooterSize;
  info.source_crc = load_le32(footer);
  info.target_crc = load_le32(footer + 4);
  info.patch_crc = load_le32(footer + 8);
  Reader reader{patch, kMagicSize, size - kFooterSize};
  uint64_t metadata_size = 0;
  PatchStatus status;
  if ((status = reader.number(&info.source_size)) != PatchStatus::kOk ||
      (status = reader.number(&info.target_size)) != PatchStatus::kOk ||
      (status = reader.number(&metadata_size)) != PatchStatus::kOk) {
    return status;
  }
  if (metadata_size > reader.end - reader.pos) return PatchStatus::kTruncated;
  info.metadata.assign(reinterpret_cast<const char*>(patch + reader.pos),
                       static_cast<size_t>(metadata_size));
  header->actions_begin = reader.pos + static_cast<size_t>(metadata_size);
  header->actions_end = reader.end;
  if (crc32(patch, size - 4) != info.patch_crc) return PatchStatus::kPatchCrcMismatch;
  if (info.source_size > kMaxPatchImageSize || info.target_size > kMaxPatchImageSize) {
    return PatchStatus::kTooLarge;
  }
  return PatchStatus::kOk;
}

// Walks the actions. With `target` null only the bounds are checked; otherwise the output is
// built into target (already target_size bytes) from `source` (source_size bytes).
PatchStatus walk_actions(const uint8_t* patch, const Header& header, const uint8_t* source,
                         uint8_t* target, BpsInfo* info) {
  const uint64_t source_size = header.info.source_size;
  const uint64_t target_size = header.info.target_size;
  Reader reader{patch, header.actions_begin, header.actions_end};
  uint64_t out = 0;
  uint64_t source_cursor = 0;
  uint64_t target_cursor = 0;
  while (reader.pos < reader.end) {
    uint64_t d = 0;
    PatchStatus status = reader.number(&d);
    if (status != PatchStatus::kOk) return status;
    const int kind = static_cast<int>(d & 3);
    const uint64_t length = (d >> 2) + 1;  // d >> 2 < 2^62: no overflow
    ++info->actions[kind];
    if (length > target_size - out) return PatchStatus::kOutOfBounds;
    switch (kind) {
      case kSourceRead:
        if (out > source_size || length > source_size - out) return PatchStatus::kOutOfBounds;
        if (target != nullptr) std::memcpy(target + out, source + out, length);
        break;
      case kTargetRead:
        if (length > reader.end - reader.pos) return PatchStatus::kTruncated;
        if (target != nullptr) std::memcpy(target + out, patch + reader.pos, length);
        reader.pos += static_cast<size_t>(length);
        break;
      case kSourceCopy: {
        uint64_t offset = 0;
        if ((status = reader.number(&offset)) != PatchStatus::kOk) return status;
        if (!move_cursor(&source_cursor, offset, source_size) ||
            length > source_size - source_cursor) {
          return PatchStatus::kOutOfBounds;
        }
        if (target != nullptr) std::memcpy(target + out, source + source_cursor, length);
        source_cursor += length;
        break;
      }
      case kTargetCopy: {
        uint64_t offset = 0;
        if ((status = reader.number(&offset)) != PatchStatus::kOk) return status;
        // Only bytes already written may be read; each copied byte is written before a later
        // one reads it, so the cursor may run into the bytes this action writes.
        if (!move_cursor(&target_cursor, offset, target_size) || target_cursor >= out) {
          return PatchStatus::kOutOfBounds;
        }
        if (target != nullptr) {
          for (uint64_t i = 0; i < length; ++i) target[out + i] = target[target_cursor + i];
        }
        target_cursor += length;
        break;
      }
    }
    out += length;
  }
  // The output must be filled exactly.
  return out == target_size ? PatchStatus::kOk : PatchStatus::kTruncated;
}

}  // namespace

PatchStatus read_bps_info(const uint8_t* patch, size_t patch_size, BpsInfo* info) {
  Header header;
  PatchStatus status = read_header(patch, patch_size, &header);
  *info = header.info;
  if (status != PatchStatus::kOk) return status;
  status = walk_actions(patch, header, nullptr, nullptr, &header.info);
  *info = header.info;
  return status;
}

PatchStatus apply_bps(const uint8_t* patch, size_t patch_size, const uint8_t* source,
                      size_t source_size, std::vector<uint8_t>* target, BpsInfo* info) {
  target->clear();
  Header header;
  PatchStatus status = read_header(patch, patch_size, &header);
  if (info != nullptr) *info = header.info;
  if (status != PatchStatus::kOk) return status;
  if (header.info.source_size != source_size ||
      crc32(source, source_size) != header.info.source_crc) {
    return PatchStatus::kWrongSource;
  }
  target->resize(static_cast<size_t>(header.info.target_size));
  status = walk_actions(patch, header, source, target->data(), &header.info);
  if (info != nullptr) *info = header.info;
  if (status == PatchStatus::kOk && crc32(target->data(), target->size()) != header.info.target_crc) {
    status = PatchStatus::kTargetCrcMismatch;
  }
  if (status != PatchStatus::kOk) target->clear();
  return status;
}

void append_bps_number(uint64_t n, std::vector<uint8_t>* out) {
  for (;;) {
    const uint8_t x = n & 0x7F;
    n >>= 7;
    if (n == 0) {
      out->push_back(static_cast<uint8_t>(0x80 | x));
      return;
    }
    out->push_back(x);
    --n;
  }
}

void append_bps_offset(int64_t offset, std::vector<uint8_t>* out) {
  const uint64_t magnitude = offset < 0 ? 0 - static_cast<uint64_t>(offset)
                                        : static_cast<uint64_t>(offset);
  append_bps_number((magnitude << 1) | (offset < 0 ? 1 : 0), out);
}

}  // namespace vcv
