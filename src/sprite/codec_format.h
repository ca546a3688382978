// Layout constants of the packed block, shared by the decoder and the encoder.
#pragma once

#include <cstdint>

namespace vcv {

constexpr int kHeaderBytes = 2;          // header word: control position - 2
constexpr int kControlRecordBytes = 3;   // count/mode byte, then the next control position
constexpr int kItemsPerGroup = 8;        // items governed by one flag byte
constexpr int kLiteralGroupBytes = 8;    // a zero flag byte is followed by 8 plain bytes
constexpr int kMinMatchLength = 3;       // a back-reference copies at least 3 bytes
constexpr int kCountMask = 0x3F;         // item count in a control record (0: end marker)
constexpr int kModeBitsMask = 0xC0;      // non-zero at the first control position: short window
constexpr int kShortDistanceBits = 11;
constexpr int kLongDistanceBits = 12;
constexpr uint8_t kShortModeByte = 0x40;
constexpr uint8_t kLongModeByte = 0x00;
constexpr int kBlockOffsetLimit = 0x10000;  // header and control words hold offsets below this
constexpr int kLiteralItemBytes = 1;
constexpr int kCopyItemBytes = 2;           // the back-reference word
// What follows the last item: the mode byte as end marker after a full group, or a control
// record before a last group of 1..7 items and the end marker 0x00 after it.
constexpr int kClosedTailBytes = 1;
constexpr int kOpenTailBytes = kControlRecordBytes + 1;

// Window and copy-length limits of one mode: distances of `bits` bits, lengths in the rest.
struct ModeLimits {
  int distance_bits;
  int window;      // largest distance the encoder uses
  int max_length;  // longest copy
  uint8_t mode_byte;
};

constexpr ModeLimits mode_limits(bool short_window) {
  const int bits = short_window ? kShortDistanceBits : kLongDistanceBits;
  return ModeLimits{bits, (1 << bits) - 1, (1 << (16 - bits)) + 2,
                    short_window ? kShortModeByte : kLongModeByte};
}

}  // namespace vcv
