// Exact longest-match search for the encoder, indexed instead of scanned.
//
// `MatchFinder::find` returns the same length and the same position as the plain window scan
// `find_longest_match` for every position, window and copy limit (max_length >= 3): the longest
// match, the earliest position among equal lengths, overlapping matches included. Positions are
// chained per prefix of 3, 2 and 1 bytes in increasing order, so a search walks candidates
// oldest first and stops at the first one that reaches the longest possible length. Inside runs
// of one byte value, candidates are chained by run length and the byte after the run, so the
// many runs of the window that end differently are never visited.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "sprite/codec.h"

namespace vcv {

class MatchFinder {
 public:
  // Indexes `count` bytes of `input`; the bytes must stay unchanged while the finder is used.
  // `bucket_bits` (1..14) fixes the size of the prefix hash tables, so tests can force
  // collisions; 0 sizes them for the input.
  MatchFinder(const uint8_t* input, int count, int bucket_bits = 0);
  ~MatchFinder();
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
  struct PrefixChains {
    int prefix_length = 0;
    int bucket_bits = 0;
    std::vector<int32_t> next;
    std::vector<int32_t> prev;
    std::vector<int32_t> cursor;
    std::vector<int32_t> first;  // the start of each bucket, for rewinding
  };

  // The index arrays. One set is kept for the next finder after this one is gone: clearing
  // freshly allocated memory costs more than building the index in it.
  struct Workspace {
    std::vector<int32_t> run;  // bytes equal to input[i] from i on (at least 1)
    std::vector<int32_t> last; // build scratch: the latest position of each bucket
    PrefixChains triples;
    PrefixChains run_ends;
    PrefixChains pairs;
    PrefixChains singles;
  };

  void build(PrefixChains& chains, int prefix_length, int bucket_bits);
  uint32_t bucket_of(const PrefixChains& chains, int position) const;
  // The first chained position at or after `window_start` in the bucket of p; -1 when none.
  int first_in_window(PrefixChains& chains, int p, int window_start);
  bool same_prefix(int a, int b, int prefix_length) const;
  Match longest_from_triples(int p, int window_start, int length_cap);
  Match longest_in_runs(int p, int window_start, int length_cap);
  Match longest_run_in_window(int p, int window_start, int wanted);
  bool in_run_end_chain(int position) const;
  bool same_run_end(int a, int b) const;
  int earliest_with_prefix(PrefixChains& chains, int p, int window_start);

  void build_short_chains();
  static std::unique_ptr<Workspace> take_workspace();
  static std::atomic<Workspace*> spare_workspace_;

  const uint8_t* input_;
  int count_;
  int bucket_bits_ = 0;
  bool short_chains_built_ = false;
  std::unique_ptr<Workspace> work_;
  std::vector<int32_t>& run_;
  PrefixChains& triples_;
  PrefixChains& run_ends_;
  PrefixChains& pairs_;
  PrefixChains& singles_;
};

}  // namespace vcv
