// Writing a packed block item by item, shared by the encoders: a flag byte opens a group before
// every eighth item, and the block closes in one of the two shapes the encoders write (a full
// last group with the mode byte as end marker, or a control record giving the count of a last
// group of 1..7 items and an end marker 0x00 after it).
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "sprite/codec.h"
#include "sprite/codec_format.h"

namespace vcv {

// The arguments every encoder checks: at most one picture of input, and somewhere to write.
inline bool valid_pack_request(const uint8_t* input, int count, const uint8_t* output) {
  return count >= 0 && count <= kMaxDecodedInput && output != nullptr &&
         (input != nullptr || count == 0);
}

// Writes into output[0, min(capacity, 0x10000)): the header and control words hold offsets below
// 0x10000. A write that does not fit marks the block as refused; nothing is written past the
// capacity.
class BlockWriter {
 public:
  BlockWriter(uint8_t* output, int capacity, const ModeLimits& mode)
      : output_(output), capacity_(std::min(capacity, kBlockOffsetLimit)), mode_(mode) {
    if (capacity_ < kHeaderBytes) {
      refused_ = true;
    } else {
      offset_ = kHeaderBytes;
    }
  }

  bool literal(uint8_t byte) {
    if (!open_group_if_full() || !put(byte)) return false;
    ++items_;
    return true;
  }

  // A back-reference `distance` bytes back (1..window), `length` bytes long (3..max_length).
  bool copy(int distance, int length) {
    if (!open_group_if_full()) return false;
    output_[flag_position_] = static_cast<uint8_t>(output_[flag_position_] | (1 << items_));
    const int word = distance | ((length - kMinMatchLength) << mode_.distance_bits);
    if (!put(static_cast<uint8_t>(word)) || !put(static_cast<uint8_t>(word >> 8))) return false;
    ++items_;
    return true;
  }

  // Closes the block; returns its packed size, or kPackRefused when it did not fit.
  int finish() {
    if (refused_) return kPackRefused;
    if (items_ == kItemsPerGroup) {
      const int end_marker = offset_;
      if (!put(mode_.mode_byte)) return kPackRefused;
      set_word_at(0, end_marker - kHeaderBytes);
      return offset_;
    }
    // A control record before the last group gives its item count; the extra flag bit keeps an
    // all-literal last group from reading as a zero flag byte (8 plain bytes).
    const int old_end = offset_;
    if (capacity_ - offset_ < kOpenTailBytes) return kPackRefused;
    output_[flag_position_] = static_cast<uint8_t>(output_[flag_position_] | (1 << items_));
    std::memmove(output_ + flag_position_ + kControlRecordBytes, output_ + flag_position_,
                 static_cast<size_t>(old_end - flag_position_));
    const int end_marker = old_end + kControlRecordBytes;
    output_[flag_position_] = static_cast<uint8_t>(mode_.mode_byte | items_);
    set_word_at(flag_position_ + 1, end_marker);
    set_word_at(0, flag_position_ - kHeaderBytes);
    output_[end_marker] = 0;
    offset_ = end_marker + 1;
    return offset_;
  }

 private:
  bool open_group_if_full() {
    if (items_ != kItemsPerGroup) return !refused_;
    flag_position_ = offset_;
    if (!put(0)) return false;
    items_ = 0;
    return true;
  }
  bool put(uint8_t byte) {
    if (refused_ || offset_ >= capacity_) {
      refused_ = true;
      return false;
    }
    output_[offset_++] = byte;
    return true;
  }
  void set_word_at(int at, int word) {
    output_[at] = static_cast<uint8_t>(word);
    output_[at + 1] = static_cast<uint8_t>(word >> 8);
  }

  uint8_t* output_;
  int capacity_;
  ModeLimits mode_;
  int offset_ = 0;
  int flag_position_ = 0;
  int items_ = kItemsPerGroup;  // items in the open group; 8: none open
  bool refused_ = false;
};

}  // namespace vcv
