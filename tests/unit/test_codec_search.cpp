// The indexed match search against the plain window scan: same matches at every position, and
// the same packed bytes from both, which also decode back to the input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bench_data.h"
#include "sprite/codec.h"
#include "sprite/codec_optimal.h"
#include "sprite/match_finder.h"

namespace vcv {
namespace {

using Bytes = std::vector<uint8_t>;

struct Sample {
  std::string name;
  Bytes bytes;
};

// Inputs of every character the encoder meets, at the sizes around its boundaries.
std::vector<Sample> samples_of_size(size_t size, uint32_t seed) {
  return {
      {"random", testdata::random_bytes(size, seed)},
      {"sprite", testdata::sprite_tiles(size, seed)},
      {"short runs", testdata::byte_runs(size, seed, 6)},
      {"long runs", testdata::byte_runs(size, seed, 300)},
      {"one value", Bytes(size, static_cast<uint8_t>(seed))},
      // Few distinct bytes: long candidate chains that mostly fail after a few bytes.
      {"two values", [&] {
         Bytes b = testdata::random_bytes(size, seed);
         for (uint8_t& x : b) x = x & 0x80 ? 0x00 : 0x11;
         return b;
       }()},
  };
}

void expect_same_matches(const Bytes& input, const std::string& name, int bucket_bits) {
  const int count = static_cast<int>(input.size());
  MatchFinder finder(input.data(), count, nullptr, bucket_bits);
  for (const auto& limits : {std::pair<int, int>{2047, 34}, {4095, 18}, {5, 3}}) {
    finder.rewind();
    for (int p = 0; p <= count; ++p) {
      const Match scan = find_longest_match(input.data(), count, p, limits.first, limits.second);
      const Match fast = finder.find(p, limits.first, limits.second);
      ASSERT_EQ(fast.length, scan.length) << name << " p=" << p << " window=" << limits.first;
      ASSERT_EQ(fast.position, scan.position) << name << " p=" << p << " window=" << limits.first;
      const Match copy = finder.find_copy(p, limits.first, limits.second);
      ASSERT_EQ(copy.length, scan.length >= 3 ? scan.length : 0) << name << " p=" << p;
      if (copy.length >= 3) {
        ASSERT_EQ(copy.position, scan.position) << name << " p=" << p;
      }
    }
  }
}

TEST(MatchSearch, IndexedSearchEqualsScanAtEveryPosition) {
  for (size_t size : {0, 1, 2, 3, 17, 300, 4096}) {
    for (const Sample& sample : samples_of_size(size, static_cast<uint32_t>(size) + 11)) {
      expect_same_matches(sample.bytes, sample.name + " size " + std::to_string(size), 0);
    }
  }
  // Two buckets: every chain mixes prefixes and run keys, which the search must tell apart.
  for (size_t size : {17, 1200}) {
    for (const Sample& sample : samples_of_size(size, static_cast<uint32_t>(size) + 12)) {
      expect_same_matches(sample.bytes, sample.name + " crowded " + std::to_string(size), 1);
    }
  }
}

TEST(MatchSearch, SearchesInAnyOrderGiveTheSameMatches) {
  // The per-bucket cursors must follow searches that jump back and forth.
  const Bytes input = testdata::sprite_tiles(9000, 21);
  const int count = static_cast<int>(input.size());
  MatchFinder finder(input.data(), count);
  testdata::Random random(77);
  for (int i = 0; i < 3000; ++i) {
    const int p = random.below(count);
    const Match scan = find_longest_match(input.data(), count, p, 4095, 18);
    const Match fast = finder.find(p, 4095, 18);
    ASSERT_EQ(fast.length, scan.length) << p;
    ASSERT_EQ(fast.position, scan.position) << p;
  }
}

// Packs in one search mode; empty on refusal.
Bytes pack_with(const Bytes& input, MatchSearch search, int mode) {
  Bytes out(kPackedBufferSize);
  const int count = static_cast<int>(input.size());
  int size = 0;
  if (mode == 2) {
    size = pack_block_best(input.data(), count, out.data(), kPackedBufferSize, search);
  } else {
    size = pack_block(input.data(), count, out.data(), kPackedBufferSize,
                      mode == 0 ? PackMode::kShortWindow : PackMode::kLongWindow, search);
  }
  out.resize(size < 0 ? 0 : static_cast<size_t>(size));
  return out;
}

// Decodes with a limit one above the input size: a block must decode to less than its limit,
// so a full 65536-byte picture needs a limit of 65537.
void expect_round_trip(const Bytes& input, const Bytes& block, const std::string& name) {
  const int limit = static_cast<int>(input.size()) + 1;
  Bytes decoded(static_cast<size_t>(limit));
  int packed = -1;
  const int size = unpack_block(block.data(), block.size(), 0, decoded.data(), limit, &packed);
  ASSERT_EQ(size, static_cast<int>(input.size())) << name;
  EXPECT_EQ(packed, static_cast<int>(block.size())) << name;
  EXPECT_TRUE(std::equal(input.begin(), input.end(), decoded.begin())) << name;
}

void expect_same_blocks(const Bytes& input, const std::string& name, bool all_modes) {
  for (int mode = all_modes ? 0 : 2; mode <= 2; ++mode) {
    const std::string label = name + " mode " + std::to_string(mode);
    const Bytes fast = pack_with(input, MatchSearch::kFast, mode);
    const Bytes scan = pack_with(input, MatchSearch::kScan, mode);
    ASSERT_EQ(fast, scan) << label;
    if (fast.empty()) continue;  // refused in both: incompressible near 64 KiB
    expect_round_trip(input, fast, label);
  }
}

TEST(MatchSearch, BothSearchesPackIdenticalBytes) {
  for (size_t size : {0, 1, 2, 3, 17, 4095, 4096}) {
    for (const Sample& sample : samples_of_size(size, static_cast<uint32_t>(size) * 7 + 1)) {
      expect_same_blocks(sample.bytes, sample.name + " size " + std::to_string(size), true);
    }
  }
  // The scan is slow on large inputs: a few of them, in the mode used for writing back.
  expect_same_blocks(testdata::sprite_tiles(40960, 2), "sprite 40960", false);
  expect_same_blocks(testdata::byte_runs(40960, 3, 40), "runs 40960", false);
  expect_same_blocks(testdata::sprite_tiles(65535, 4), "sprite 65535", false);
  // The largest input, one run: run lengths past 16 bits are held, chain steps span it all.
  expect_same_blocks(Bytes(kMaxDecodedInput, 0x5A), "one value 65536", false);
}

TEST(MatchSearch, TheIndexOfOneBlockTakesAFewBytesPerInputByte) {
  // A tool that packs one block pays for every page of the index it touches: the index is sized
  // to the input (16-bit runs and chain steps, small bucket tables), not to the largest input.
  const Bytes input = testdata::sprite_tiles(40960, 5);
  MatchWorkspace workspace;
  MatchFinder finder(input.data(), static_cast<int>(input.size()), &workspace);
  EXPECT_LE(workspace.index_bytes(), 8 * input.size());
}

TEST(MatchSearch, AReusedWorkspaceGivesTheBlocksOfAFreshOne) {
  // Sizes that grow, shrink and grow again, so the workspace's memory is both reused and
  // replaced; every encoder that takes one.
  MatchWorkspace workspace;
  for (size_t size : {4096, 100, 65535, 0, 40960}) {
    const Bytes input = testdata::sprite_tiles(size, static_cast<uint32_t>(size) + 5);
    const int count = static_cast<int>(input.size());
    for (int encoder = 0; encoder < 3; ++encoder) {
      Bytes fresh(kPackedBufferSize), reused(kPackedBufferSize);
      int fresh_size = 0, reused_size = 0;
      if (encoder == 0) {
        fresh_size = pack_block(input.data(), count, fresh.data(), kPackedBufferSize,
                                PackMode::kLongWindow);
        reused_size = pack_block(input.data(), count, reused.data(), kPackedBufferSize,
                                 PackMode::kLongWindow, MatchSearch::kFast, &workspace);
      } else if (encoder == 1) {
        fresh_size = pack_block_best(input.data(), count, fresh.data(), kPackedBufferSize);
        reused_size = pack_block_best(input.data(), count, reused.data(), kPackedBufferSize,
                                      MatchSearch::kFast, &workspace);
      } else {
        fresh_size = pack_block_optimal(input.data(), count, fresh.data(), kPackedBufferSize);
        reused_size = pack_block_optimal(input.data(), count, reused.data(), kPackedBufferSize,
                                         &workspace);
      }
      ASSERT_GT(fresh_size, 0);
      ASSERT_EQ(reused_size, fresh_size) << "size " << size << " encoder " << encoder;
      ASSERT_EQ(reused, fresh) << "size " << size << " encoder " << encoder;
    }
  }
}

TEST(MatchSearch, FastPackRoundTripsLargeInputs) {
  for (size_t size : {40960, 65535, 65536}) {
    for (const Sample& sample : samples_of_size(size, static_cast<uint32_t>(size))) {
      const Bytes block = pack_with(sample.bytes, MatchSearch::kFast, 2);
      // Noise takes 9 bytes per 8: refused once that passes the 64 KiB of a block.
      if (sample.name == "random" && size * 9 / 8 > kPackedBufferSize) {
        EXPECT_TRUE(block.empty()) << "incompressible input must be refused";
        continue;
      }
      expect_round_trip(sample.bytes, block, sample.name + " " + std::to_string(size));
    }
  }
}

}  // namespace
}  // namespace vcv
