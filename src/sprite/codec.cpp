// Encoder of packed blocks: greedy longest matches with a one- and two-byte look-ahead when the
// match is short, in either window mode, and the choice of the shorter mode.
#include "sprite/codec.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "sprite/codec_format.h"
#include "sprite/codec_lookahead.h"
#include "sprite/codec_writer.h"
#include "sprite/match_finder.h"

namespace vcv {

namespace {

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
  BlockWriter out(output, capacity, mode);
  int p = 0;
  while (p < count) {
    const Match match = search(p);
    bool copy = match.length >= kMinMatchLength;
    if (copy && match.length < kCertainCopyLength) {
      copy = !prefer_literal(match.length, lookahead_length(search(p + 1)),
                             lookahead_length(search(p + 2)),
                             lookahead_length(search(p + match.length)));
    }
    const bool written = copy ? out.copy(p - match.position, match.length) : out.literal(input[p]);
    if (!written) return kPackRefused;
    p += copy ? match.length : 1;
  }
  return out.finish();
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
  const ModeLimits limits = mode_limits(mode == PackMode::kShortWindow);
  if (finder == nullptr) {
    return encode(input, count, output, output_capacity, limits, [&](int p) {
      return find_longest_match(input, count, p, limits.window, limits.max_length);
    });
  }
  finder->rewind();
  return encode(input, count, output, output_capacity, limits,
                [&](int p) { return finder->find_copy(p, limits.window, limits.max_length); });
}

}  // namespace

int pack_block(const uint8_t* input, int count, uint8_t* output, int output_capacity,
               PackMode mode, MatchSearch search, MatchWorkspace* workspace) {
  if (!valid_pack_request(input, count, output)) return kPackRefused;
  if (search == MatchSearch::kScan) {
    return pack_one_mode(input, count, output, output_capacity, mode, nullptr);
  }
  MatchFinder finder(input, count, workspace);
  return pack_one_mode(input, count, output, output_capacity, mode, &finder);
}

int pack_block_best(const uint8_t* input, int count, uint8_t* output, int output_capacity,
                    MatchSearch search, MatchWorkspace* workspace) {
  if (!valid_pack_request(input, count, output)) return kPackRefused;
  std::optional<MatchFinder> finder;  // one index serves both modes
  if (search == MatchSearch::kFast) finder.emplace(input, count, workspace);
  MatchFinder* fast = finder ? &*finder : nullptr;
  const int short_size = pack_one_mode(input, count, output, output_capacity,
                                       PackMode::kShortWindow, fast);
  // Uninitialised: only the pages the block is written to are touched.
  const std::unique_ptr<uint8_t[]> long_block(new uint8_t[kPackedBufferSize]);
  const int long_size = pack_one_mode(input, count, long_block.get(),
                                      std::min(output_capacity, kPackedBufferSize),
                                      PackMode::kLongWindow, fast);
  if (long_size == kPackRefused) return short_size;
  if (short_size != kPackRefused && short_size <= long_size) return short_size;
  std::memcpy(output, long_block.get(), static_cast<size_t>(long_size));
  return long_size;
}

}  // namespace vcv
