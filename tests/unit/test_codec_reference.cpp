// The encoder against a second one kept only here, written as plainly as the rules it follows:
// the plain window scan, the look-ahead with single-precision ratios, the two closing shapes,
// and nothing shared with the codec. Both must give the same bytes on inputs large enough to
// meet every decision of the look-ahead. A few of those blocks are pinned by size and hash, so
// that a change made to both encoders alike still shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "bench_data.h"
#include "codec_test_support.h"
#include "sprite/codec.h"

namespace vcv {
namespace {

using Bytes = std::vector<uint8_t>;

// ---- the second encoder ----

struct Found {
  int length = 0;
  int position = 0;
};

// The longest match at p: every earlier position within the window whose byte equals the byte
// at p, counted while bytes agree, before the end and below the longest copy; the first of the
// longest wins.
Found reference_longest(const Bytes& in, int p, int window, int longest_copy) {
  Found best;
  const int size = static_cast<int>(in.size());
  if (p >= size) return best;
  for (int i = std::max(0, p - window); i <= p - 1; ++i) {
    if (in[static_cast<size_t>(i)] != in[static_cast<size_t>(p)]) continue;
    int j = 1;
    while (p + j < size && j < longest_copy &&
           in[static_cast<size_t>(p + j)] == in[static_cast<size_t>(i + j)]) {
      ++j;
    }
    if (j > best.length) best = Found{j, i};
  }
  return best;
}

Bytes reference_pack(const Bytes& in, bool short_window) {
  const int bits = short_window ? 11 : 12;
  const int window = (1 << bits) - 1;
  const int longest_copy = (1 << (16 - bits)) + 2;
  const uint8_t mode_byte = short_window ? 0x40 : 0x00;
  const int size = static_cast<int>(in.size());
  auto lookahead = [&](int at) {
    const int length = reference_longest(in, at, window, longest_copy).length;
    return length < 3 ? 1 : length;
  };

  Bytes out{0, 0};
  size_t flag_position = 0;
  int counter = 8;
  int p = 0;
  while (p < size) {
    if (counter == 8) {
      flag_position = out.size();
      out.push_back(0);
      counter = 0;
    }
    const Found match = reference_longest(in, p, window, longest_copy);
    bool copy = match.length >= 5;
    if (match.length == 3 || match.length == 4) {
      const int n1 = lookahead(p + 1);
      const int n2 = lookahead(p + 2);
      const int nl = lookahead(p + match.length);
      const float s_now = static_cast<float>(match.length + nl) / (nl >= 3 ? 4.0f : 3.0f);
      const float s_one = static_cast<float>(n1 + 1) / (n1 >= 3 ? 3.0f : 2.0f);
      const float s_two = static_cast<float>(n2 + 2) / (n2 >= 3 ? 4.0f : 3.0f);
      copy = !(s_now < s_one || s_now < s_two);
    }
    if (copy) {
      out[flag_position] = static_cast<uint8_t>(out[flag_position] | (1 << counter));
      const int word = (p - match.position) | ((match.length - 3) << bits);
      out.push_back(static_cast<uint8_t>(word & 0xFF));
      out.push_back(static_cast<uint8_t>(word >> 8));
      p += match.length;
    } else {
      out.push_back(in[static_cast<size_t>(p)]);
      p += 1;
    }
    ++counter;
  }
  if (counter == 8) {
    const size_t header = out.size() - 2;
    out[0] = static_cast<uint8_t>(header & 0xFF);
    out[1] = static_cast<uint8_t>(header >> 8);
    out.push_back(mode_byte);
    return out;
  }
  const int k = counter;
  out[flag_position] = static_cast<uint8_t>(out[flag_position] | (1 << k));
  const size_t end_marker = out.size() + 3;
  const Bytes record{static_cast<uint8_t>(mode_byte | k), static_cast<uint8_t>(end_marker & 0xFF),
                     static_cast<uint8_t>(end_marker >> 8)};
  out.insert(out.begin() + static_cast<long>(flag_position), record.begin(), record.end());
  const size_t header = flag_position - 2;
  out[0] = static_cast<uint8_t>(header & 0xFF);
  out[1] = static_cast<uint8_t>(header >> 8);
  out.push_back(0x00);
  return out;
}

// ---- inputs ----

// Tiles drawn from a small set of 32-byte tiles of 4 colours, some repeated whole, others
// changed in a byte or two: many short matches of every length next to long ones.
Bytes tiles_with_repeats(size_t size, uint32_t seed) {
  testdata::Random random(seed);
  std::vector<Bytes> pool(24, Bytes(32));
  for (Bytes& tile : pool) {
    for (uint8_t& byte : tile) byte = static_cast<uint8_t>(random.below(4) * 0x11);
  }
  Bytes out;
  while (out.size() < size) {
    Bytes tile = pool[static_cast<size_t>(random.below(static_cast<int>(pool.size())))];
    for (int change = random.below(3); change > 0; --change) {
      tile[static_cast<size_t>(random.below(32))] = static_cast<uint8_t>(random.below(256));
    }
    out.insert(out.end(), tile.begin(), tile.end());
  }
  out.resize(size);
  return out;
}

// Bytes of four values: matches of 3 to 6 bytes everywhere, where the look-ahead decides.
Bytes four_values(size_t size, uint32_t seed) {
  Bytes out = testdata::random_bytes(size, seed);
  for (uint8_t& byte : out) byte = static_cast<uint8_t>(byte >> 6);
  return out;
}

struct Sample {
  std::string name;
  Bytes bytes;
};

std::vector<Sample> samples() {
  return {
      {"sprite 100", testdata::sprite_tiles(100, 61)},
      {"sprite 5000", testdata::sprite_tiles(5000, 62)},
      {"sprite 40960", testdata::sprite_tiles(40960, 63)},
      {"random 1000", testdata::random_bytes(1000, 64)},
      {"random 12000", testdata::random_bytes(12000, 65)},
      {"runs 3000", testdata::byte_runs(3000, 66, 40)},
      {"short runs 9000", testdata::byte_runs(9000, 67, 5)},
      {"tiles 700", tiles_with_repeats(700, 68)},
      {"tiles 40960", tiles_with_repeats(40960, 69)},
      {"four values 2500", four_values(2500, 70)},
      {"four values 16000", four_values(16000, 71)},
  };
}

// 64-bit FNV-1a.
uint64_t hash_of(const Bytes& bytes) {
  uint64_t hash = 14695981039346656037ull;
  for (uint8_t byte : bytes) hash = (hash ^ byte) * 1099511628211ull;
  return hash;
}

TEST(CodecReference, EncoderGivesTheBytesOfThePlainEncoder) {
  for (const Sample& sample : samples()) {
    for (PackMode mode : {PackMode::kShortWindow, PackMode::kLongWindow}) {
      const bool short_window = mode == PackMode::kShortWindow;
      const Bytes expected = reference_pack(sample.bytes, short_window);
      const Bytes block = codec_test::pack(sample.bytes, mode);
      const std::string label = sample.name + (short_window ? " short" : " long");
      ASSERT_EQ(block.size(), expected.size()) << label;
      ASSERT_EQ(block, expected) << label;
    }
  }
}

// Sizes and hashes of blocks the encoder gave when it agreed with the second encoder above.
TEST(CodecReference, PinnedBlocks) {
  struct Pin {
    const char* name;
    Bytes input;
    PackMode mode;
    size_t size;
    uint64_t hash;
  };
  const Pin pins[] = {
      {"sprite 40960", testdata::sprite_tiles(40960, 63), PackMode::kShortWindow, 17801,
       0x5116AF789DA7C739ull},
      {"sprite 40960", testdata::sprite_tiles(40960, 63), PackMode::kLongWindow, 17388,
       0xBCC54D4286422399ull},
      {"tiles 40960", tiles_with_repeats(40960, 69), PackMode::kShortWindow, 8623,
       0x7E6CDE58057A29F1ull},
      {"four values 16000", four_values(16000, 71), PackMode::kLongWindow, 6006,
       0xBCC29FE9601A42A8ull},
      {"short runs 9000", testdata::byte_runs(9000, 67, 5), PackMode::kShortWindow, 6728,
       0x06287AE0FA66F7A2ull},
  };
  for (const Pin& pin : pins) {
    const Bytes block = codec_test::pack(pin.input, pin.mode);
    const bool short_window = pin.mode == PackMode::kShortWindow;
    EXPECT_EQ(block.size(), pin.size) << pin.name << (short_window ? " short" : " long");
    EXPECT_EQ(hash_of(block), pin.hash) << pin.name << (short_window ? " short" : " long");
  }
}

}  // namespace
}  // namespace vcv
