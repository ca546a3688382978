// The optimal encoder: as small as the best of every parse on inputs small enough to try them
// all, never larger than the greedy encoder's block, decodable, and refusing as the others do.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "bench_data.h"
#include "codec_test_support.h"
#include "sprite/codec.h"
#include "sprite/codec_optimal.h"

namespace vcv {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes pack_optimal(const Bytes& input) {
  Bytes out(kPackedBufferSize);
  const int size = pack_block_optimal(input.data(), static_cast<int>(input.size()), out.data(),
                                      kPackedBufferSize);
  out.resize(size < 0 ? 0 : static_cast<size_t>(size));
  return out;
}

// The decoded bytes, or empty with `*packed` -1 on failure.
Bytes unpack(const Bytes& block, int* packed) {
  Bytes out(kPackedBufferSize + 1);
  *packed = -1;
  const int size = unpack_block(block.data(), block.size(), 0, out.data(), kPackedBufferSize + 1,
                                packed);
  out.resize(size < 0 ? 0 : static_cast<size_t>(size));
  return out;
}

// The size of a block of `items` items taking `bytes` bytes, by the layout of the format: the
// header, one flag byte per group of 8 items, the items, and after them the end marker, with a
// 3-byte control record before a last group of 1 to 7 items.
int block_size(int items, int bytes) {
  return 2 + (items + 7) / 8 + bytes + (items % 8 == 0 ? 1 : 4);
}

// The smallest block of any parse in one mode: at each position a literal (1 byte) or a copy
// (2 bytes) of any length from 3 to the longest match there. An exhaustive search over every
// parse, remembering the best rest of the block for each position and count of items so far.
int smallest_of_all_parses(const Bytes& in, int window, int longest_copy) {
  const int size = static_cast<int>(in.size());
  std::vector<int> longest(in.size(), 0);
  for (int p = 0; p < size; ++p) {
    for (int i = std::max(0, p - window); i < p; ++i) {
      int j = 0;
      while (p + j < size && j < longest_copy &&
             in[static_cast<size_t>(i + j)] == in[static_cast<size_t>(p + j)]) {
        ++j;
      }
      longest[static_cast<size_t>(p)] = std::max(longest[static_cast<size_t>(p)], j);
    }
  }
  // rest[p][items]: the fewest bytes of the block beyond the bytes of the items before p.
  std::vector<std::vector<int>> rest(in.size() + 1, std::vector<int>(in.size() + 1, -1));
  std::function<int(int, int)> best_rest = [&](int p, int items) {
    int& memo = rest[static_cast<size_t>(p)][static_cast<size_t>(items)];
    if (memo >= 0) return memo;
    if (p == size) return memo = block_size(items, 0);
    int best = 1 + best_rest(p + 1, items + 1);
    for (int length = 3; length <= longest[static_cast<size_t>(p)]; ++length) {
      best = std::min(best, 2 + best_rest(p + length, items + 1));
    }
    return memo = best;
  };
  return best_rest(0, 0);
}

TEST(CodecOptimal, SmallestOfAllParses) {
  std::vector<Bytes> inputs{{}, {7}, Bytes(9, 1), Bytes(40, 0), testdata::sprite_tiles(384, 91),
                            testdata::byte_runs(300, 92, 12)};
  // Few byte values: copies of many lengths overlap everywhere, over dozens of groups. The last
  // two are inputs where a parse that ignored the flag bytes would come out a byte larger.
  struct FewValues {
    size_t size;
    uint32_t seed;
    int values;
  };
  std::vector<FewValues> few_values{{169, 439, 3}, {244, 214, 4}};
  for (uint32_t seed = 1; seed <= 24; ++seed) {
    few_values.insert(few_values.begin(), {10 + seed * 11, seed, 2 + static_cast<int>(seed % 3)});
  }
  for (const FewValues& f : few_values) {
    Bytes bytes = testdata::random_bytes(f.size, f.seed);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(b % f.values);
    inputs.push_back(bytes);
  }
  for (const Bytes& input : inputs) {
    const int expected = std::min(smallest_of_all_parses(input, 2047, 34),
                                  smallest_of_all_parses(input, 4095, 18));
    const Bytes block = pack_optimal(input);
    const std::string label = "size " + std::to_string(input.size()) + " starting " +
                              std::to_string(input.empty() ? -1 : input[0]);
    EXPECT_EQ(static_cast<int>(block.size()), expected) << label;
    int packed = 0;
    EXPECT_EQ(unpack(block, &packed), input) << label;
    EXPECT_EQ(packed, static_cast<int>(block.size())) << label;
  }
}

TEST(CodecOptimal, NeverLargerThanTheGreedyBlockAndDecodesExactly) {
  struct Sample {
    std::string name;
    Bytes bytes;
    bool must_shrink;  // sprite-like data leaves the greedy parse some bytes to lose
  };
  const Sample samples[] = {
      {"sprite 300", testdata::sprite_tiles(300, 81), false},
      {"sprite 9000", testdata::sprite_tiles(9000, 82), true},
      {"sprite 40960", testdata::sprite_tiles(40960, 83), true},
      {"sprite 65535", testdata::sprite_tiles(65535, 84), true},
      {"random 5000", testdata::random_bytes(5000, 85), false},
      {"runs 20000", testdata::byte_runs(20000, 86, 60), true},
      {"short runs 7000", testdata::byte_runs(7000, 87, 4), false},
      {"zeros 65535", Bytes(65535, 0), false},
  };
  for (const Sample& sample : samples) {
    const Bytes best = codec_test::pack_best(sample.bytes);
    const Bytes block = pack_optimal(sample.bytes);
    ASSERT_FALSE(block.empty()) << sample.name;
    EXPECT_LE(block.size(), best.size()) << sample.name;
    if (sample.must_shrink) {
      EXPECT_LT(block.size(), best.size()) << sample.name;
    }
    int packed = 0;
    EXPECT_EQ(unpack(block, &packed), sample.bytes) << sample.name;
    EXPECT_EQ(packed, static_cast<int>(block.size())) << sample.name;
  }
}

TEST(CodecOptimal, TakesTheSmallerModeAndTheShortWindowOnTies) {
  // Both modes give 00 00 40 / 00 00 00 for nothing: the short window wins the tie.
  EXPECT_EQ(pack_optimal({}), (Bytes{0x00, 0x00, 0x40}));
  // A repeat 3000 bytes back is only reachable in the long window.
  Bytes far = testdata::random_bytes(3000, 88);
  far.insert(far.end(), far.begin(), far.begin() + 300);
  const Bytes block = pack_optimal(far);
  const int first_control = 2 + (block[0] | block[1] << 8);
  EXPECT_EQ(block[static_cast<size_t>(first_control)] & 0xC0, 0) << "long window expected";
  EXPECT_LT(block.size(), codec_test::pack(far, PackMode::kShortWindow).size());
  // 40 equal bytes: a literal, a copy of 34 at distance 1, and a copy of 5 from the earliest
  // place (distance 35); the long window needs one copy more.
  const Bytes run = pack_optimal(Bytes(40, 3));
  EXPECT_EQ(run, (Bytes{0x00, 0x00, 0x43, 0x0B, 0x00, 0x0E, 0x03, 0x01, 0xF8, 0x23, 0x10,
                        0x00}));
}

TEST(CodecOptimal, RefusesWhatCannotBeStoredAndWritesNothingThen) {
  const Bytes noise = testdata::random_bytes(kMaxDecodedInput, 89);
  const Bytes picture = testdata::sprite_tiles(3000, 90);
  const Bytes full = pack_optimal(picture);
  ASSERT_FALSE(full.empty());
  struct Case {
    const char* what;
    const uint8_t* input;
    int count;
    int capacity;
    bool accepted;
  };
  const Case cases[] = {
      {"incompressible 64 KiB", noise.data(), kMaxDecodedInput, kPackedBufferSize, false},
      {"more than one picture", noise.data(), kMaxDecodedInput + 1, kPackedBufferSize, false},
      {"negative count", picture.data(), -1, kPackedBufferSize, false},
      {"no input", nullptr, 10, kPackedBufferSize, false},
      {"capacity one short", picture.data(), 3000, static_cast<int>(full.size()) - 1, false},
      {"no capacity", picture.data(), 3000, 0, false},
      {"capacity exact", picture.data(), 3000, static_cast<int>(full.size()), true},
  };
  for (const Case& c : cases) {
    Bytes out(kPackedBufferSize + 64, 0xEE);
    const int size = pack_block_optimal(c.input, c.count, out.data(), c.capacity);
    if (c.accepted) {
      ASSERT_EQ(size, static_cast<int>(full.size())) << c.what;
      EXPECT_TRUE(std::equal(full.begin(), full.end(), out.begin())) << c.what;
    } else {
      EXPECT_EQ(size, kPackRefused) << c.what;
    }
    const size_t untouched = c.accepted ? full.size() : 0;
    for (size_t i = untouched; i < out.size(); ++i) ASSERT_EQ(out[i], 0xEE) << c.what << " " << i;
  }
  EXPECT_EQ(pack_block_optimal(picture.data(), 3000, nullptr, kPackedBufferSize), kPackRefused);
}

}  // namespace
}  // namespace vcv
