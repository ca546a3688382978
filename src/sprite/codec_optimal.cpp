// The smallest block by a shortest path over the input positions.
//
// A copy costs 2 bytes whatever its length and distance, so at position p a copy of every length
// from 3 up to the longest match there is possible (a prefix of the longest match, at the same
// candidate) and no other. A literal costs 1 byte. Every eighth item opens a group with a flag
// byte, and the block ends with 1 byte when its last group is full and 4 otherwise, so the cost
// of the rest of the block depends on the position and on the number of items in the open
// group: the shortest parse is a dynamic programme over (position, items in the open group).
//
// The greedy encoder's parse (the longest match or a literal at each step, with the same match
// search) is one of the parses this programme compares, and both price a parse alike (one
// BlockWriter writes both), so in each mode this block is never larger than pack_block's, and
// the smaller of the two modes never larger than pack_block_best's.
#include "sprite/codec_optimal.h"

#include <algorithm>
#include <cstdint>
#include <memory>

#include "sprite/codec_format.h"
#include "sprite/codec_writer.h"
#include "sprite/match_finder.h"

namespace vcv {

namespace {

constexpr int kRingRows = 64;  // rows of costs kept: more than the longest copy reaches ahead
constexpr int kLiteralStep = 1;

static_assert(kRingRows > mode_limits(true).max_length && kRingRows > mode_limits(false).max_length,
              "the cost ring must reach past the longest copy");

// The longest copy at one position (length 0: none of at least 3 bytes).
struct Copy {
  uint16_t distance = 0;
  uint8_t length = 0;
};

// The shortest parse of the input in one mode; its arrays lie in the workspace.
struct Parse {
  ModeLimits mode{};
  long size = 0;           // packed size of its block
  Copy* copies = nullptr;  // per position: the longest copy
  // Per position and count of items in the open group (0..7, 0: none open): the length of the
  // next item, 1 for a literal, 3 or more for a copy.
  uint8_t* next_item = nullptr;
};

// Places the arrays of `parse_count` parses for `count` positions in `memory`.
void place_parses(int count, MatchWorkspace& memory, Parse* parses, int parse_count) {
  const size_t positions = static_cast<size_t>(count);
  const size_t per_parse = positions * (sizeof(Copy) + kItemsPerGroup);
  unsigned char* at = memory.encoder_tables(per_parse * static_cast<size_t>(parse_count));
  for (int i = 0; i < parse_count; ++i) {
    parses[i].copies = reinterpret_cast<Copy*>(at);
    parses[i].next_item = at + positions * sizeof(Copy);
    at += per_parse;
  }
}

void find_copies(MatchFinder& finder, int count, Parse* parse) {
  finder.rewind();
  for (int p = 0; p < count; ++p) {
    const Match match = finder.find_copy(p, parse->mode.window, parse->mode.max_length);
    parse->copies[p] = match.length >= kMinMatchLength
                           ? Copy{static_cast<uint16_t>(p - match.position),
                                  static_cast<uint8_t>(match.length)}
                           : Copy{};
  }
}

// Fills next_item and size from the end of the input back to its start. rest[p][k] is the
// fewest bytes that the items from position p on and the end of the block take, with k items
// already in the open group; only the rows a copy can reach are kept.
void choose_items(int count, Parse* parse) {
  int32_t rest[kRingRows][kItemsPerGroup];
  for (int k = 0; k < kItemsPerGroup; ++k) {
    rest[count % kRingRows][k] = k == 0 ? kClosedTailBytes : kOpenTailBytes;
  }
  for (int p = count - 1; p >= 0; --p) {
    // The cheapest rest after a copy from p, for each count of items after it; the longest
    // copy wins ties (fewer items).
    int32_t after_copy[kItemsPerGroup];
    int32_t copy_length[kItemsPerGroup] = {};
    std::fill(after_copy, after_copy + kItemsPerGroup, INT32_MAX);
    for (int length = parse->copies[p].length; length >= kMinMatchLength; --length) {
      const int32_t* after = rest[(p + length) % kRingRows];
      for (int k = 0; k < kItemsPerGroup; ++k) {
        const bool better = after[k] < after_copy[k];
        after_copy[k] = better ? after[k] : after_copy[k];
        copy_length[k] = better ? length : copy_length[k];
      }
    }
    const int32_t* after_literal = rest[(p + 1) % kRingRows];
    int32_t* here = rest[p % kRingRows];
    uint8_t* choice = &parse->next_item[static_cast<size_t>(p) * kItemsPerGroup];
    for (int k = 0; k < kItemsPerGroup; ++k) {
      const int next = (k + 1) % kItemsPerGroup;
      const int32_t flag = k == 0 ? 1 : 0;  // the item opens a group
      int32_t cost = kLiteralItemBytes + after_literal[next];
      choice[k] = kLiteralStep;
      // A copy wins ties with a literal: fewer items for the same size.
      if (after_copy[next] != INT32_MAX && kCopyItemBytes + after_copy[next] <= cost) {
        cost = kCopyItemBytes + after_copy[next];
        choice[k] = static_cast<uint8_t>(copy_length[next]);
      }
      here[k] = flag + cost;
    }
  }
  parse->size = kHeaderBytes + rest[0][0];
}

int write_parse(const uint8_t* input, int count, const Parse& parse, uint8_t* output,
                int capacity) {
  BlockWriter out(output, capacity, parse.mode);
  int items = 0;
  for (int p = 0; p < count;) {
    const int length = parse.next_item[static_cast<size_t>(p) * kItemsPerGroup + items];
    const bool written = length == kLiteralStep ? out.literal(input[p])
                                                : out.copy(parse.copies[p].distance, length);
    if (!written) return kPackRefused;
    p += length;
    items = (items + 1) % kItemsPerGroup;
  }
  return out.finish();
}

}  // namespace

int pack_block_optimal(const uint8_t* input, int count, uint8_t* output, int output_capacity,
                       MatchWorkspace* workspace) {
  if (!valid_pack_request(input, count, output)) return kPackRefused;
  std::unique_ptr<MatchWorkspace> own_workspace;
  if (workspace == nullptr) {
    own_workspace = std::make_unique<MatchWorkspace>();
    workspace = own_workspace.get();
  }
  MatchFinder finder(input, count, workspace);
  Parse parses[2];  // every entry of their arrays is written before it is read
  place_parses(count, *workspace, parses, 2);
  for (bool short_window : {true, false}) {
    Parse& parse = parses[short_window ? 0 : 1];
    parse.mode = mode_limits(short_window);
    find_copies(finder, count, &parse);
    choose_items(count, &parse);
  }
  const Parse& best = parses[0].size <= parses[1].size ? parses[0] : parses[1];
  // The size is known before writing: refuse without writing anything.
  if (best.size > std::min(output_capacity, kBlockOffsetLimit)) return kPackRefused;
  return write_parse(input, count, best, output, output_capacity);
}

}  // namespace vcv
