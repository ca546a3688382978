#include "sprite/match_finder.h"

#include <algorithm>

namespace vcv {

namespace {

constexpr int kMaxBucketBits = 14;
constexpr int kMinBucketBits = 8;
constexpr int kByteBuckets = 8;      // one bucket per byte value: single-byte chains are exact
constexpr int kRunEndKeyLimit = 256;  // longer runs outlast any copy: no run-end key needed
constexpr int kLongestRun = 0xFFFF;   // run lengths are held at this
// Positions per bucket the tables are sized for: more buckets shorten the chains a little, but
// cost memory that a single block pays for in page faults.
constexpr int kPositionsPerBucket = 16;
// How far behind the window a cursor is kept: the encoder's look-ahead searches up to 34 bytes
// ahead and then steps back, and a cursor that lags this far serves it without restarting.
constexpr int kCursorLag = 64;

// Enough buckets for the input, so small inputs do not pay for clearing a large table.
int bucket_bits_for(int count) {
  int bits = kMinBucketBits;
  while (bits < kMaxBucketBits && (kPositionsPerBucket << bits) < count) ++bits;
  return bits;
}

// Carves `count` values of T from the memory at `*memory`.
template <typename T>
T* carve(unsigned char** memory, size_t count) {
  T* values = reinterpret_cast<T*>(*memory);
  *memory += count * sizeof(T);
  return values;
}

}  // namespace

MatchFinder::MatchFinder(const uint8_t* input, int count, MatchWorkspace* workspace,
                         int bucket_bits)
    : input_(input),
      count_(count > 0 && input != nullptr ? std::min(count, kMaxDecodedInput) : 0),
      own_work_(workspace == nullptr ? std::make_unique<MatchWorkspace>() : nullptr),
      work_(workspace != nullptr ? *workspace : *own_work_) {
  bucket_bits_ = bucket_bits >= 1 && bucket_bits <= kMaxBucketBits ? bucket_bits
                                                                    : bucket_bits_for(count_);
  // One block for both chains the copy search uses and the run lengths: the 32-bit bucket
  // tables first, then the 16-bit arrays.
  const size_t buckets = bucket_bytes(bucket_bits_);
  const size_t steps = step_bytes(count_);
  unsigned char* memory =
      work_.index_.reserve(2 * buckets + 2 * steps + sizeof(uint16_t) * count_);
  unsigned char* step_memory = memory + 2 * buckets;
  build_runs(&step_memory);
  build(triples_, 3, bucket_bits_, &memory, &step_memory);
  build(run_ends_, kRunEndChain, bucket_bits_, &memory, &step_memory);
}

void MatchFinder::build_runs(unsigned char** memory) {
  run_ = carve<uint16_t>(memory, static_cast<size_t>(count_));
  if (count_ > 0) run_[count_ - 1] = 1;
  for (int i = count_ - 2; i >= 0; --i) {
    int run = 1;
    if (input_[i] == input_[i + 1]) run = std::min(run_[i + 1] + 1, kLongestRun);
    run_[i] = static_cast<uint16_t>(run);
  }
}

void MatchFinder::build_short_chains() {
  if (short_chains_built_) return;
  const size_t buckets = bucket_bytes(bucket_bits_) + bucket_bytes(kByteBuckets);
  unsigned char* memory = work_.short_.reserve(buckets + 2 * step_bytes(count_));
  unsigned char* step_memory = memory + buckets;
  build(pairs_, 2, bucket_bits_, &memory, &step_memory);
  build(singles_, 1, kByteBuckets, &memory, &step_memory);
  short_chains_built_ = true;
}

void MatchFinder::rewind() {
  for (PrefixChains* chains : {&triples_, &run_ends_, &pairs_, &singles_}) {
    if (chains->first != nullptr) {
      std::copy_n(chains->first, size_t{1} << chains->bucket_bits, chains->cursor);
    }
  }
}

uint32_t MatchFinder::bucket_of(const PrefixChains& chains, int position) const {
  uint32_t key = 0;
  if (chains.prefix_length == kRunEndChain) {
    const int run = run_[position];
    key = (static_cast<uint32_t>(input_[position]) << 16) | (static_cast<uint32_t>(run) << 8) |
          input_[position + run];
  } else {
    for (int i = 0; i < chains.prefix_length; ++i) key = (key << 8) | input_[position + i];
    if (chains.prefix_length == 1) return key;
  }
  return (key * 2654435761u) >> (32 - chains.bucket_bits);
}

bool MatchFinder::in_run_end_chain(int position) const {
  const int run = run_[position];
  return run >= 3 && run < kRunEndKeyLimit && position + run < count_;
}

bool MatchFinder::same_run_end(int a, int b) const {
  const int run = run_[a];
  return run == run_[b] && input_[a] == input_[b] &&
         input_[a + run] == input_[b + run];
}

size_t MatchFinder::bucket_bytes(int bucket_bits) {
  return 2 * sizeof(int32_t) * (size_t{1} << bucket_bits);
}

size_t MatchFinder::step_bytes(int positions) {
  return sizeof(uint16_t) * static_cast<size_t>(positions);
}

void MatchFinder::build(PrefixChains& chains, int prefix_length, int bucket_bits,
                        unsigned char** buckets_memory, unsigned char** step_memory) {
  chains.prefix_length = prefix_length;
  chains.bucket_bits = bucket_bits;
  const bool run_ends = prefix_length == kRunEndChain;
  const int positions = run_ends ? count_ : std::max(0, count_ - prefix_length + 1);
  const size_t buckets = size_t{1} << bucket_bits;
  chains.cursor = carve<int32_t>(buckets_memory, buckets);
  chains.first = carve<int32_t>(buckets_memory, buckets);
  chains.step = carve<uint16_t>(step_memory, static_cast<size_t>(count_));
  std::fill_n(chains.first, buckets, -1);
  // Built from the end, so each bucket's head is its first position when the loop ends. Only
  // chained positions are ever read, so only they are written: the pages of a chain's steps
  // that hold no chained position are never touched.
  for (int i = positions - 1; i >= 0; --i) {
    if (run_ends && !in_run_end_chain(i)) continue;
    const uint32_t bucket = bucket_of(chains, i);
    const int32_t after = chains.first[bucket];
    // Positions are below kMaxDecodedInput, so the distance fits 16 bits.
    chains.step[i] = static_cast<uint16_t>(after < 0 ? 0 : after - i);
    chains.first[bucket] = i;
  }
  std::copy_n(chains.first, buckets, chains.cursor);
}

int MatchFinder::first_in_window(PrefixChains& chains, int p, int window_start) {
  const uint32_t bucket = bucket_of(chains, p);
  int at = chains.cursor[bucket];
  if (at < 0) return -1;
  // The cursor lies before the window of an earlier search; a search whose window starts at or
  // before it (one that stepped back further than the lag) starts again from the first.
  if (at >= window_start) at = chains.first[bucket];
  int behind = at;
  while (at < window_start) {
    if (at < window_start - kCursorLag) behind = at;
    const int next = next_in(chains, at);
    if (next < 0) break;
    at = next;
  }
  chains.cursor[bucket] = behind;
  return at >= window_start ? at : -1;
}

bool MatchFinder::same_prefix(int a, int b, int prefix_length) const {
  for (int i = 0; i < prefix_length; ++i) {
    if (input_[a + i] != input_[b + i]) return false;
  }
  return true;
}

// p starts a run of h >= 3 bytes b. A candidate matches beyond h only when it also starts a run
// of exactly h bytes b followed by the byte that follows p's run: the run-end chain holds just
// those. Failing that, the longest match is the longest run of b in the window, up to h.
Match MatchFinder::longest_in_runs(int p, int window_start, int length_cap) {
  const int here_run = run_[p];
  const uint8_t* here = input_ + p;
  if (here_run < length_cap) {
    Match best;
    for (int at = first_in_window(run_ends_, p, window_start); at >= 0 && at < p;
         at = next_in(run_ends_, at)) {
      if (!same_run_end(at, p)) continue;  // another key in the same bucket
      const uint8_t* there = input_ + at;
      if (best.length > 0 && there[best.length] != here[best.length]) continue;
      int length = here_run + 1;
      while (length < length_cap && there[length] == here[length]) ++length;
      if (length > best.length) {
        best = Match{length, at};
        if (length == length_cap) break;
      }
    }
    if (best.length > 0) return best;
  }
  return longest_run_in_window(p, window_start, std::min(here_run, length_cap));
}

// The earliest of the longest runs of p's byte (at least 3 long) in the window, counting at
// most `wanted` bytes of each. Later positions of a run have shorter runs, so each run is
// looked at once.
Match MatchFinder::longest_run_in_window(int p, int window_start, int wanted) {
  Match best;
  const uint8_t byte = input_[p];
  int at = first_in_window(triples_, p, window_start);
  while (at >= 0 && at < p) {
    const int there_run = run_[at];
    if (input_[at] != byte || there_run < 3) {  // another prefix in the same bucket
      at = next_in(triples_, at);
      continue;
    }
    if (there_run >= wanted) return Match{wanted, at};
    if (there_run > best.length) best = Match{there_run, at};
    at = next_in(triples_, at + there_run - 3);
  }
  return best;
}

Match MatchFinder::longest_from_triples(int p, int window_start, int length_cap) {
  if (run_[p] >= 3) return longest_in_runs(p, window_start, length_cap);
  Match best;
  const uint8_t* here = input_ + p;
  for (int at = first_in_window(triples_, p, window_start); at >= 0 && at < p;
       at = next_in(triples_, at)) {
    const uint8_t* there = input_ + at;
    if (!same_prefix(at, p, 3)) continue;  // another prefix in the same bucket
    // A candidate can only win if it also matches at the current best length.
    if (best.length >= 3 && there[best.length] != here[best.length]) continue;
    int length = 3;
    while (length < length_cap && there[length] == here[length]) ++length;
    if (length > best.length) {
      best = Match{length, at};
      if (length == length_cap) break;  // nothing later can be longer, and earlier wins ties
    }
  }
  return best;
}

int MatchFinder::earliest_with_prefix(PrefixChains& chains, int p, int window_start) {
  for (int at = first_in_window(chains, p, window_start); at >= 0 && at < p;
       at = next_in(chains, at)) {
    if (same_prefix(at, p, chains.prefix_length)) return at;
  }
  return -1;
}

Match MatchFinder::find_copy(int p, int window, int max_length) {
  if (p < 0 || p >= count_) return Match{};
  const int length_cap = std::min(max_length, count_ - p);
  if (length_cap < 3) return Match{};
  return longest_from_triples(p, std::max(0, p - window), length_cap);
}

Match MatchFinder::find(int p, int window, int max_length) {
  const Match copy = find_copy(p, window, max_length);
  if (copy.length >= 3 || p < 0 || p >= count_) return copy;
  build_short_chains();
  const int window_start = std::max(0, p - window);
  const int length_cap = std::min(max_length, count_ - p);
  // No 3-byte match: the earliest 2-byte match, else the earliest equal byte.
  if (length_cap >= 2) {
    const int at = earliest_with_prefix(pairs_, p, window_start);
    if (at >= 0) return Match{2, at};
  }
  const int at = earliest_with_prefix(singles_, p, window_start);
  if (at >= 0) return Match{1, at};
  return Match{};
}

}  // namespace vcv
