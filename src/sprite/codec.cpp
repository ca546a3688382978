// Encoder of packed blocks: greedy longest matches with a one- and two-byte look-ahead when the
// match is short, in either window mode, and the choice of the shorter mode.
#include "sprite/codec.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "sprite/codec_format.h"
#include "sprite/codec_lookahead.h"
#include "sprite/match_finder.h"

namespace vcv {

namespace {

// Output with a hard capacity: a write that does not fit marks the block as refused.
class BlockWriter {
 public:
  BlockWriter(uint8_t* output, int capacity) : output_(output), capacity_(capacity) {}

  bool put(uint8_t byte) {
    if (offset_ >= capacity_) return overflow();
    output_[offset_++] = byte;
    return true;
  }
  bool put_word(int word) { return put(static_cast<uint8_t>(word)) && put(word >> 8); }
  void set_word_at(int at, int word) {
    output_[at] = static_cast<uint8_t>(word);
    output_[at + 1] = static_cast<uint8_t>(word >> 8);
  }
  bool reserve(int count) {
    if (capacity_ - offset_ < count) return overflow();
    offset_ += count;
    return true;
  }
  uint8_t* data() { return output_; }
  int offset() const { return offset_; }
  bool full() const { return full_; }

 private:
  bool overflow() {
    full_ = true;
    return false;
  }

  uint8_t* output_;
  int capacity_;
  int offset_ = 0;
  bool full_ = false;
};

// Closes the block after the last item; `items` is the count in the open group (8: none open).
int finish_block(BlockWriter& out, int flag_position, int items, uint8_t mode_byte) {
  if (items == kItemsPerGroup) {
    const int end_marker = out.offset();
    if (!out.put(mode_byte)) return kPackRefused;
    out.set_word_at(0, end_marker - kHeaderBytes);
    return out.offset();
  }
  // A control record before the last group gives its item count; the extra flag bit keeps an
  // all-literal last group from reading as a zero flag byte (8 plain bytes).
  const int old_end = out.offset();
  if (!out.reserve(kControlRecordBytes) || !out.put(0)) return kPackRefused;
  uint8_t* bytes = out.data();
  bytes[flag_position] = static_cast<uint8_t>(bytes[flag_position] | (1 << items));
  std::memmove(bytes + flag_position + kControlRecordBytes, bytes + flag_position,
               static_cast<size_t>(old_end - flag_position));
  const int end_marker = old_end + kControlRecordBytes;
  bytes[flag_position] = static_cast<uint8_t>(mode_byte | items);
  out.set_word_at(flag_position + 1, end_marker);
  out.set_word_at(0, flag_position - kHeaderBytes);
  bytes[end_marker] = 0;
  return out.offset();
}

// A length of the look-ahead: anything shorter than a copy counts as one literal.
int lookahead_length(const Match& match) {
  return match.length >= kMinMatchLength ? match.length : 1;
}

// Remembers the last searches: the look-ahead at p + 1 or p + length is often the next step's
// own search.
template <typename Search>
class RecentMatches {
 public:
  explicit RecentMatches(Search& search) : search_(search) {}
  Match operator()(int p) {
    Entry& entry = entries_[static_cast<size_t>(p) % kEntries];
    if (entry.position != p) entry = Entry{p, search_(p)};
    return entry.match;
  }

 private:
  static constexpr size_t kEntries = 8;  // covers p .. p + 4 and the step after
  struct Entry {
    int position = -1;
    Match match;
  };
  Search& search_;
  Entry entries_[kEntries];
};

template <typename Search>
int encode(const uint8_t* input, int count, uint8_t* output, int capacity, const ModeLimits& mode,
           Search&& uncached_search) {
  RecentMatches<Search> search(uncached_search);
  BlockWriter out(output, capacity);
  if (!out.reserve(kHeaderBytes)) return kPackRefused;
  int flag_position = 0;
  int items = kItemsPerGroup;
  int p = 0;
  while (p < count) {
    if (items == kItemsPerGroup) {
      flag_position = out.offset();
      if (!out.put(0)) return kPackRefused;
      items = 0;
    }
    const Match match = search(p);
    bool copy = match.length >= kMinMatchLength;
    if (copy && match.length < kCertainCopyLength) {
      copy = !prefer_literal(match.length, lookahead_length(search(p + 1)),
                             lookahead_length(search(p + 2)),
                             lookahead_length(search(p + match.length)));
    }
    if (copy) {
      out.data()[flag_position] = static_cast<uint8_t>(out.data()[flag_position] | (1 << items));
      const int word = (p - match.position) | ((match.length - kMinMatchLength) << mode.distance_bits);
      if (!out.put_word(word)) return kPackRefused;
      p += match.length;
    } else {
      if (!out.put(input[p])) return kPackRefused;
      p += 1;
    }
    ++items;
  }
  return finish_block(out, flag_position, items, mode.mode_byte);
}

bool valid_request(const uint8_t* input, int count, const uint8_t* output) {
  return count >= 0 && count <= kMaxDecodedInput && output != nullptr &&
         (input != nullptr || count == 0);
}

}  // namespace

bool prefer_literal(int length, int next_one, int next_two, int after_copy) {
  // Bytes covered per output byte spent, compared as fractions by cross-multiplication:
  // copy now (and what follows it), against one or two literals first.
  const int now_bytes = length + after_copy;
  const int now_cost = after_copy >= kMinMatchLength ? 4 : 3;
  const int one_bytes = next_one + 1;
  const int one_cost = next_one >= kMinMatchLength ? 3 : 2;
  const int two_bytes = next_two + 2;
  const int two_cost = next_two >= kMinMatchLength ? 4 : 3;
  return now_bytes * one_cost < one_bytes * now_cost || now_bytes * two_cost < two_bytes * now_cost;
}

Match find_longest_match(const uint8_t* input, int count, int p, int window, int max_length) {
  Match best;
  if (p < 0 || p >= count) return best;
  for (int i = std::max(0, p - window); i < p; ++i) {
    if (input[i] != input[p]) continue;
    int j = 1;
    while (p + j < count && j < max_length && input[p + j] == input[i + j]) ++j;
    if (j > best.length) best = Match{j, i};
  }
  return best;
}

namespace {

// One mode; `finder` (indexing the same input) is used for the fast search, null for the scan.
int pack_one_mode(const uint8_t* input, int count, uint8_t* output, int output_capacity,
                  PackMode mode, MatchFinder* finder) {
  const int capacity = std::min(output_capacity, kBlockOffsetLimit);
  const ModeLimits limits = mode_limits(mode == PackMode::kShortWindow);
  if (finder == nullptr) {
    return encode(input, count, output, capacity, limits, [&](int p) {
      return find_longest_match(input, count, p, limits.window, limits.max_length);
    });
  }
  finder->rewind();
  return encode(input, count, output, capacity, limits,
                [&](int p) { return finder->find_copy(p, limits.window, limits.max_length); });
}

}  // namespace

int pack_block(const uint8_t* input, int count, uint8_t* output, int output_capacity,
               PackMode mode, MatchSearch search) {
  if (!valid_request(input, count, output)) return kPackRefused;
  if (search == MatchSearch::kScan) {
    return pack_one_mode(input, count, output, output_capacity, mode, nullptr);
  }
  MatchFinder finder(input, count);
  return pack_one_mode(input, count, output, output_capacity, mode, &finder);
}

int pack_block_best(const uint8_t* input, int count, uint8_t* output, int output_capacity,
                    MatchSearch search) {
  if (!valid_request(input, count, output)) return kPackRefused;
  std::unique_ptr<MatchFinder> finder;
  if (search == MatchSearch::kFast) finder = std::make_unique<MatchFinder>(input, count);
  const int short_size = pack_one_mode(input, count, output, output_capacity,
                                       PackMode::kShortWindow, finder.get());
  std::vector<uint8_t> long_block(kPackedBufferSize);
  const int long_size = pack_one_mode(input, count, long_block.data(),
                                      std::min(output_capacity, kPackedBufferSize),
                                      PackMode::kLongWindow, finder.get());
  if (long_size == kPackRefused) return short_size;
  if (short_size != kPackRefused && short_size <= long_size) return short_size;
  std::memcpy(output, long_block.data(), static_cast<size_t>(long_size));
  return long_size;
}

}  // namespace vcv
