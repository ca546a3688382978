// The packed graphics block: a byte-oriented LZ77 variant with flag bytes, 16-bit header and
// control words, and two window modes (11-bit distances with copies of 3..34 bytes, or 12-bit
// distances with copies of 3..18 bytes).
//
// Safety contract: `unpack_block` never reads outside [source, source + source_size) and never
// writes outside [output, output + limit); every malformed block fails with -1. The encoders
// never write outside [output, output + output_capacity) and refuse (kPackRefused) input whose
// block would not fit the 16-bit header and control words or the output buffer.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vcv {

class MatchWorkspace;  // sprite/match_finder.h: reusable memory of the fast match search

constexpr int kPackedBufferSize = 65536;   // packed blocks and decoded pictures live in these
constexpr int kMaxDecodedInput = 65536;    // largest picture the encoder takes
constexpr int kStoredBlockReadSize = 0xA000;  // bytes repacking reads of each stored block
constexpr int kRepackDecodeLimit = 0xFF00;    // the output limit repacking decodes them with
constexpr int kPackRefused = -1;  // encoder result: the input cannot be stored as one block

enum class PackMode { kShortWindow, kLongWindow };
enum class MatchSearch { kFast, kScan };  // kScan is the plain window scan, kept as the oracle

// Decodes the block at source[start] into output. Returns the decoded size and stores the
// packed size, or returns -1 when the output reaches `limit` or the block is malformed
// (a decoded block must be shorter than the limit).
int unpack_block(const uint8_t* source, size_t source_size, size_t start, uint8_t* output,
                 int limit, int* packed_size);

// The encoders take an optional workspace for the fast search: a caller packing many blocks
// passes the same one to every call to reuse its memory; null means one of the call's own.

// Encodes `count` input bytes in one mode. Returns the packed size, or kPackRefused.
int pack_block(const uint8_t* input, int count, uint8_t* output, int output_capacity,
               PackMode mode, MatchSearch search = MatchSearch::kFast,
               MatchWorkspace* workspace = nullptr);

// Encodes in both modes and leaves the shorter block (ties: short window) in output.
int pack_block_best(const uint8_t* input, int count, uint8_t* output, int output_capacity,
                    MatchSearch search = MatchSearch::kFast, MatchWorkspace* workspace = nullptr);

struct Match {
  int length = 0;
  int position = 0;
};

// The plain scan: the longest match for position p within `window` bytes before it, at most
// `max_length` long; the earliest position wins among equal lengths; candidates may overlap p.
// A position outside the input gives length 0.
Match find_longest_match(const uint8_t* input, int count, int p, int window, int max_length);

}  // namespace vcv
