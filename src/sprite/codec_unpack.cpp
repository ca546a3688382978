// Decoder of packed blocks. Every read is checked against the source size and every write
// against the output limit, so a damaged or hostile block fails with -1 instead of running off
// either buffer.
#include <cstring>

#include "sprite/codec.h"
#include "sprite/codec_format.h"

namespace vcv {

namespace {

constexpr int kFailed = -1;

// The reader's position in the block and in the output. `control` is the next control position:
// the body must arrive at it exactly, so no group may read at or past it.
struct UnpackState {
  const uint8_t* source;
  size_t source_size;
  size_t start;
  size_t read;
  size_t control;
  uint8_t* output;
  size_t produced;
  size_t limit;
  int distance_bits;
};

uint16_t read_word_at(const uint8_t* bytes, size_t at) {
  return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

// Room for `count` body bytes before the control position (which also bounds the source).
bool body_has(const UnpackState& s, size_t count) { return s.control - s.read >= count; }

bool copy_literals(UnpackState& s, size_t count) {
  if (!body_has(s, count) || s.limit - s.produced < count) return false;
  std::memcpy(s.output + s.produced, s.source + s.read, count);
  s.read += count;
  s.produced += count;
  return true;
}

bool copy_reference(UnpackState& s) {
  if (!body_has(s, 2)) return false;
  const uint16_t word = read_word_at(s.source, s.read);
  s.read += 2;
  const size_t distance = word & ((1u << s.distance_bits) - 1);
  const size_t length = static_cast<size_t>(word >> s.distance_bits) + kMinMatchLength;
  if (distance == 0 || distance > s.produced || s.limit - s.produced < length) return false;
  uint8_t* to = s.output + s.produced;
  const uint8_t* from = to - distance;
  if (distance >= length) {
    std::memcpy(to, from, length);
  } else {
    // Overlapping copy: bytes written by this reference are repeated, one at a time.
    for (size_t i = 0; i < length; ++i) to[i] = from[i];
  }
  s.produced += length;
  return true;
}

bool decode_group(UnpackState& s, int item_count) {
  const uint8_t flags = s.source[s.read];
  s.read += 1;
  if (flags == 0) return copy_literals(s, kLiteralGroupBytes);
  for (int item = 0; item < item_count; ++item) {
    const bool is_reference = item < 8 && (flags >> item) & 1;
    if (!(is_reference ? copy_reference(s) : copy_literals(s, 1))) return false;
  }
  return true;
}

}  // namespace

int unpack_block(const uint8_t* source, size_t source_size, size_t start, uint8_t* output,
                 int limit, int* packed_size) {
  if (source == nullptr || output == nullptr || limit <= 0) return kFailed;
  if (start >= source_size || source_size - start < kHeaderBytes) return kFailed;

  UnpackState s{};
  s.source = source;
  s.source_size = source_size;
  s.start = start;
  s.read = start + kHeaderBytes;
  s.control = s.read + read_word_at(source, start);
  s.output = output;
  s.limit = static_cast<size_t>(limit);
  if (s.control >= source_size) return kFailed;
  s.distance_bits = (source[s.control] & kModeBitsMask) != 0 ? kShortDistanceBits
                                                                : kLongDistanceBits;

  int pending_count = kItemsPerGroup;
  for (;;) {
    if (s.produced >= s.limit) return kFailed;
    if (s.read == s.control) {
      const uint8_t value = source[s.read];
      if ((value & kCountMask) == 0) {
        if (packed_size != nullptr) *packed_size = static_cast<int>(s.read + 1 - start);
        return static_cast<int>(s.produced);
      }
      if (source_size - s.read < kControlRecordBytes) return kFailed;
      const size_t next_control = start + read_word_at(source, s.read + 1);
      s.read += kControlRecordBytes;
      // A control position behind the reader, or past the source, can never be met.
      if (next_control < s.read || next_control >= source_size) return kFailed;
      s.control = next_control;
      pending_count = value & kCountMask;
      continue;
    }
    const bool literal_group = source[s.read] == 0;
    if (!decode_group(s, pending_count)) return kFailed;
    if (!literal_group) pending_count = kItemsPerGroup;
  }
}

}  // namespace vcv
