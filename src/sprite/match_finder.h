// Exact longest-match search for the encoder, indexed instead of scanned.
//
// `MatchFinder::find` returns the same length and the same position as the plain window scan
// `find_longest_match` for every position, window and copy limit (max_length >= 3): the longest
// match, the earliest position among equal lengths, overlapping matches included. Positions are
// chained per prefix of 3, 2 and 1 bytes in increasing order, so a search walks candidates
// oldest first and stops at the first one that reaches the longest possible length. Inside runs
// of one byte value, candidates are chained by run length and the byte after the run, so the
// many runs of the window that end differently are never visited.
//
// A single block must not pay for a large index: the index holds 16-bit values (a run length,
// the distance to the next position of a chain) and two small per-bucket tables per chain, about
// 6 bytes per input byte, and only the memory of chained positions is ever written.
#pragma once

#include <cstdint>
#include <cstddef>
#include <memory>

#include "sprite/codec.h"

namespace vcv {

// The memory of the encoders: the index of a MatchFinder (about 6 bytes per input byte) and an
// encoder's own per-position tables. Filling memory that was used before is cheaper than
// filling fresh pages, and one block is easier for the allocator to hand out again than many. A
// caller that packs many blocks one after another (repacking a bank region) keeps one workspace
// and hands it to every encoder call; without one, each call uses a workspace of its own. A
// workspace serves one finder and one encoder call at a time.
class MatchWorkspace {
 public:
  MatchWorkspace() = default;
  MatchWorkspace(const MatchWorkspace&) = delete;
  MatchWorkspace& operator=(const MatchWorkspace&) = delete;

  // At least `bytes` bytes of uninitialised memory for an encoder's tables, valid until the
  // next call.
  unsigned char* encoder_tables(size_t bytes) { return tables_.reserve(bytes); }

  // The bytes the finders' copy-search index has taken so far.
  size_t index_bytes() const { return index_.size(); }

 private:
  friend class MatchFinder;

  // Uninitialised storage that only grows.
  template <typename T>
  class Arena {
   public:
    T* reserve(size_t count) {
      if (count > size_) {
        data_.reset(new T[count]);
        size_ = count;
      }
      return data_.get();
    }
    size_t size() const { return size_; }

   private:
    std::unique_ptr<T[]> data_;
    size_t size_ = 0;
  };

  Arena<unsigned char> index_;  // the run lengths, the 3-byte chains and the run-end chains
  Arena<unsigned char> short_;  // the 2- and 1-byte chains, built only for searches shorter
                                // than a copy
  Arena<unsigned char> tables_;
};

class MatchFinder {
 public:
  // Indexes `count` bytes of `input` (at most kMaxDecodedInput; bytes past that are not
  // searched); the bytes must stay unchanged while the finder is used.
  // The index lives in `workspace` (which must outlive the finder), or in one of the finder's
  // own when null. `bucket_bits` (1..14) fixes the size of the prefix hash tables, so tests can
  // force collisions; 0 sizes them for the input.
  MatchFinder(const uint8_t* input, int count, MatchWorkspace* workspace = nullptr,
              int bucket_bits = 0);
  MatchFinder(const MatchFinder&) = delete;
  MatchFinder& operator=(const MatchFinder&) = delete;

  // The longest match for position p within `window` bytes before it, at most `max_length`
  // long (at least 3). A position outside the input gives length 0.
  Match find(int p, int window, int max_length);

  // The same when the result is at least 3 long; otherwise length 0 (no copy possible). This
  // is all the encoder needs, and it skips the 2- and 1-byte searches.
  Match find_copy(int p, int window, int max_length);

  // Forgets where the searches were, for a new pass from the start of the input.
  void rewind();

 private:
  static constexpr int kRunEndChain = 0;  // prefix_length of the run-end chain

  // Positions whose first `prefix_length` bytes hash alike, in increasing order, with a
  // per-bucket cursor that follows the window as searches move along the input. The run-end
  // chain instead keys a position inside a run by its byte, its run length and the byte after.
  // The arrays lie in the workspace.
  struct PrefixChains {
    int prefix_length = 0;
    int bucket_bits = 0;
    uint16_t* step = nullptr;   // per chained position: the distance to the next one, 0 at the end
    int32_t* cursor = nullptr;  // per bucket: a position before the last search's window, or
                                //   the first position; -1 for an empty bucket
    int32_t* first = nullptr;   // per bucket: its first position, -1 when empty
  };

  // Bytes taken by the per-bucket tables and the per-position steps of one chain.
  static size_t bucket_bytes(int bucket_bits);
  static size_t step_bytes(int positions);
  // Builds `chains` with its tables at `*buckets` and its steps at `*steps`, moving both past
  // what it takes.
  void build(PrefixChains& chains, int prefix_length, int bucket_bits, unsigned char** buckets,
             unsigned char** steps);
  uint32_t bucket_of(const PrefixChains& chains, int position) const;
  // The chained position after `at`, or -1.
  static int next_in(const PrefixChains& chains, int at) {
    const int step = chains.step[at];
    return step == 0 ? -1 : at + step;
  }
  // The first chained position at or after `window_start` in the bucket of p; -1 when none.
  int first_in_window(PrefixChains& chains, int p, int window_start);
  bool same_prefix(int a, int b, int prefix_length) const;
  Match longest_from_triples(int p, int window_start, int length_cap);
  Match longest_in_runs(int p, int window_start, int length_cap);
  Match longest_run_in_window(int p, int window_start, int wanted);
  bool in_run_end_chain(int position) const;
  bool same_run_end(int a, int b) const;
  int earliest_with_prefix(PrefixChains& chains, int p, int window_start);

  void build_runs(unsigned char** memory);
  void build_short_chains();

  const uint8_t* input_;
  int count_;
  int bucket_bits_ = 0;
  bool short_chains_built_ = false;
  std::unique_ptr<MatchWorkspace> own_work_;  // only when the caller gave none
  MatchWorkspace& work_;
  // Per position: bytes equal to input[i] from i on (at least 1), held at 65535. A run that
  // long outlasts any copy, and a search that skips a run by it only looks at more positions.
  uint16_t* run_ = nullptr;
  PrefixChains triples_;
  PrefixChains run_ends_;
  PrefixChains pairs_;
  PrefixChains singles_;
};

}  // namespace vcv
