// Packed blocks: exact encoder output for hand-checked inputs, decoding of hand-made blocks,
// refusals of the encoder, and the decoder's behaviour on malformed blocks.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "bench_data.h"
#include "codec_test_support.h"
#include "sprite/codec.h"
#include "sprite/codec_lookahead.h"

namespace vcv {
namespace {

using Bytes = std::vector<uint8_t>;

using codec_test::pack;
using codec_test::pack_best;

struct Decoded {
  int result = 0;
  int packed_size = -1;
  Bytes bytes;
};

Decoded unpack(const Bytes& block, int limit = kPackedBufferSize) {
  Decoded decoded;
  decoded.bytes.assign(static_cast<size_t>(limit > 0 ? limit : 1), 0);
  decoded.result = unpack_block(block.data(), block.size(), 0, decoded.bytes.data(), limit,
                                &decoded.packed_size);
  decoded.bytes.resize(decoded.result > 0 ? static_cast<size_t>(decoded.result) : 0);
  return decoded;
}

TEST(CodecEncode, EmptyInputGivesOnlyTheEndMarker) {
  EXPECT_EQ(pack({}, PackMode::kShortWindow), (Bytes{0x00, 0x00, 0x40}));
  EXPECT_EQ(pack({}, PackMode::kLongWindow), (Bytes{0x00, 0x00, 0x00}));
  EXPECT_EQ(pack_best({}), (Bytes{0x00, 0x00, 0x40}));
  for (const Bytes& block : {Bytes{0x00, 0x00, 0x40}, Bytes{0x00, 0x00, 0x00}}) {
    const Decoded decoded = unpack(block);
    EXPECT_EQ(decoded.result, 0);
    EXPECT_EQ(decoded.packed_size, 3);
  }
}

TEST(CodecEncode, SingleByteGetsControlRecordAndGuardBit) {
  EXPECT_EQ(pack({0x12}, PackMode::kShortWindow),
            (Bytes{0x00, 0x00, 0x41, 0x07, 0x00, 0x02, 0x12, 0x00}));
}

TEST(CodecEncode, EightLiteralsMakeOneZeroFlagGroup) {
  EXPECT_EQ(pack({1, 2, 3, 4, 5, 6, 7, 8}, PackMode::kShortWindow),
            (Bytes{0x09, 0x00, 0x00, 1, 2, 3, 4, 5, 6, 7, 8, 0x40}));
}

TEST(CodecEncode, LastGroupOfOneToSevenLiteralsAfterAFullGroup) {
  // 8 + k distinct bytes: a full zero-flag group, then a control record with count k before a
  // last group whose flag byte holds only the guard bit k.
  for (int k = 1; k <= 7; ++k) {
    Bytes input;
    for (int i = 0; i < 8 + k; ++i) input.push_back(static_cast<uint8_t>(0x30 + i));
    for (PackMode mode : {PackMode::kShortWindow, PackMode::kLongWindow}) {
      const uint8_t mode_byte = mode == PackMode::kShortWindow ? 0x40 : 0x00;
      Bytes expected{0x09, 0x00, 0x00};
      expected.insert(expected.end(), input.begin(), input.begin() + 8);
      const int end_marker = 15 + k;
      expected.push_back(static_cast<uint8_t>(mode_byte | k));
      expected.push_back(static_cast<uint8_t>(end_marker));
      expected.push_back(0x00);
      expected.push_back(static_cast<uint8_t>(1 << k));
      expected.insert(expected.end(), input.begin() + 8, input.end());
      expected.push_back(0x00);
      const Bytes block = pack(input, mode);
      EXPECT_EQ(block, expected) << "k=" << k;
      const Decoded decoded = unpack(block);
      EXPECT_EQ(decoded.bytes, input) << "k=" << k;
      EXPECT_EQ(decoded.packed_size, end_marker + 1) << "k=" << k;
    }
  }
}

TEST(CodecEncode, RunUsesLongestCopyOfEachMode) {
  const Bytes run(20, 0x07);
  const Bytes short_block{0x00, 0x00, 0x42, 0x09, 0x00, 0x06, 0x07, 0x01, 0x80, 0x00};
  EXPECT_EQ(pack(run, PackMode::kShortWindow), short_block);
  EXPECT_EQ(pack(run, PackMode::kLongWindow),
            (Bytes{0x00, 0x00, 0x03, 0x0A, 0x00, 0x0A, 0x07, 0x01, 0xF0, 0x07, 0x00}));
  EXPECT_EQ(pack_best(run), short_block);
}

TEST(CodecEncode, OverlappingCopyRepeatsItsOwnOutput) {
  const Bytes input{1, 2, 3, 1, 2, 3, 1, 2, 3, 9};
  const Bytes block = pack(input, PackMode::kShortWindow);
  EXPECT_EQ(block, (Bytes{0x00, 0x00, 0x45, 0x0C, 0x00, 0x28, 1, 2, 3, 0x03, 0x18, 9, 0x00}));
  const Decoded decoded = unpack(block);
  EXPECT_EQ(decoded.bytes, input);
  EXPECT_EQ(decoded.packed_size, 13);
}

TEST(CodecEncode, LongerBlockOfBestModeIsReplacedByShorterLongWindowBlock) {
  // A repeat 3000 bytes back is only reachable in the long window.
  Bytes input = testdata::random_bytes(3000, 5);
  const Bytes repeat(input.begin(), input.begin() + 200);
  input.insert(input.end(), repeat.begin(), repeat.end());
  const Bytes long_block = pack(input, PackMode::kLongWindow);
  ASSERT_LT(long_block.size(), pack(input, PackMode::kShortWindow).size());
  EXPECT_EQ(pack_best(input), long_block);
}

TEST(CodecEncode, LookaheadAgreesWithSinglePrecisionRatios) {
  // The exact-fraction comparison must decide as the float ratios do for every length that
  // can occur (look-ahead lengths 1 or 3..34, copies of 3 or 4).
  std::vector<int> lengths{1};
  for (int n = 3; n <= 34; ++n) lengths.push_back(n);
  for (int length : {3, 4}) {
    for (int n1 : lengths) {
      for (int n2 : lengths) {
        for (int nl : lengths) {
          const float now = static_cast<float>(length + nl) / (nl >= 3 ? 4.0f : 3.0f);
          const float one = static_cast<float>(n1 + 1) / (n1 >= 3 ? 3.0f : 2.0f);
          const float two = static_cast<float>(n2 + 2) / (n2 >= 3 ? 4.0f : 3.0f);
          ASSERT_EQ(prefer_literal(length, n1, n2, nl), now < one || now < two)
              << length << " " << n1 << " " << n2 << " " << nl;
        }
      }
    }
  }
}

TEST(CodecEncode, RefusesWhatCannotBeStored) {
  Bytes out(kPackedBufferSize + 16, 0xEE);
  const Bytes noise = testdata::random_bytes(kMaxDecodedInput, 9);
  // Incompressible 64 KiB grows past the 16-bit offsets and the buffer.
  EXPECT_EQ(pack_block(noise.data(), kMaxDecodedInput, out.data(), kPackedBufferSize,
                       PackMode::kShortWindow),
            kPackRefused);
  EXPECT_EQ(pack_block_best(noise.data(), kMaxDecodedInput, out.data(), kPackedBufferSize),
            kPackRefused);
  for (size_t i = kPackedBufferSize; i < out.size(); ++i) ASSERT_EQ(out[i], 0xEE);
  // More input than one picture, a negative count, or no buffer.
  const Bytes zeros(kMaxDecodedInput + 1, 0);
  EXPECT_EQ(pack_block_best(zeros.data(), kMaxDecodedInput + 1, out.data(), kPackedBufferSize),
            kPackRefused);
  EXPECT_EQ(pack_block_best(zeros.data(), -1, out.data(), kPackedBufferSize), kPackRefused);
  EXPECT_EQ(pack_block_best(zeros.data(), 10, nullptr, kPackedBufferSize), kPackRefused);
  // A full 64 KiB of zeros compresses and is accepted.
  const int size = pack_block_best(zeros.data(), kMaxDecodedInput, out.data(), kPackedBufferSize);
  EXPECT_GT(size, 0);
  EXPECT_LT(size, 8000);
}

TEST(CodecEncode, SmallOutputCapacityIsNeverOverrun) {
  const Bytes input = testdata::sprite_tiles(2048, 3);
  const Bytes full = pack_best(input);
  ASSERT_FALSE(full.empty());
  const int needed = static_cast<int>(full.size());
  for (int capacity : {0, 2, 3, needed / 2, needed - 1, needed}) {
    Bytes out(static_cast<size_t>(capacity) + 64, 0xEE);
    const int size = pack_block_best(input.data(), static_cast<int>(input.size()), out.data(),
                                     capacity);
    if (capacity >= needed) {
      EXPECT_EQ(size, needed);
      EXPECT_TRUE(std::equal(full.begin(), full.end(), out.begin()));
    } else {
      EXPECT_EQ(size, kPackRefused) << capacity;
    }
    for (size_t i = static_cast<size_t>(capacity); i < out.size(); ++i) {
      ASSERT_EQ(out[i], 0xEE) << "capacity " << capacity << " byte " << i;
    }
  }
}

TEST(CodecDecode, ControlCountWaitsForTheNextNonZeroFlagByteAndAppliesToItOnly) {
  const Bytes block{
      0x00, 0x00,                    // header: the control record follows at once
      0x42, 0x1D, 0x00,              // count 2 (short window); next control: the end marker
      0x00, 1, 2, 3, 4, 5, 6, 7, 8,  // zero flag byte: 8 plain bytes, the count stays pending
      0x02, 9, 0x01, 0x00,           // 2 items: literal 9, copy of distance 1, length 3
      0x81, 0x04, 0x00,              // 8 items again: copy of distance 4, length 3,
      0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F,  // six literals,
      0x02, 0x08,                    // copy of distance 2, length 4
      0x00};                         // end marker at 29
  const Decoded decoded = unpack(block);
  EXPECT_EQ(decoded.bytes, (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 9, 9, 9, 9, 9, 9, 0x0A, 0x0B, 0x0C,
                                  0x0D, 0x0E, 0x0F, 0x0E, 0x0F, 0x0E, 0x0F}));
  EXPECT_EQ(decoded.packed_size, 30);
}

TEST(CodecDecode, BlockInsideLargerSourceReportsItsOwnPackedSize) {
  const Bytes block = pack({5, 5, 5, 5, 5, 5, 1, 2}, PackMode::kLongWindow);
  Bytes source(7, 0xAA);
  source.insert(source.end(), block.begin(), block.end());
  source.insert(source.end(), 5, 0xBB);
  Bytes out(64);
  int packed = 0;
  EXPECT_EQ(unpack_block(source.data(), source.size(), 7, out.data(), 64, &packed), 8);
  EXPECT_EQ(packed, static_cast<int>(block.size()));
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 8), (Bytes{5, 5, 5, 5, 5, 5, 1, 2}));
}

TEST(CodecDecode, DecodedSizeMustStayBelowTheLimit) {
  const Bytes input = testdata::sprite_tiles(1000, 4);
  const Bytes block = pack_best(input);
  EXPECT_EQ(unpack(block, 1000).result, -1);
  const Decoded decoded = unpack(block, 1001);
  EXPECT_EQ(decoded.result, 1000);
  EXPECT_EQ(decoded.bytes, input);
}

// A block decoded into a buffer of exactly `limit` bytes followed by a canary.
int unpack_with_canary(const Bytes& block, int limit, bool* canary_intact) {
  constexpr size_t kCanary = 512;
  Bytes out(static_cast<size_t>(limit) + kCanary, 0xCD);
  int packed = -7;
  const int result = unpack_block(block.data(), block.size(), 0, out.data(), limit, &packed);
  *canary_intact = true;
  for (size_t i = static_cast<size_t>(limit); i < out.size(); ++i) {
    if (out[i] != 0xCD) *canary_intact = false;
  }
  if (result < 0) {
    EXPECT_EQ(packed, -7) << "packed size stored for a failed block";
  }
  return result;
}

TEST(CodecDecode, MalformedBlocksFailWithoutTouchingMemoryOutside) {
  struct Case {
    const char* what;
    Bytes block;
    int limit;
  };
  const Case cases[] = {
      // A literal, then a copy: distance 0, and distance 2 with one byte written.
      {"distance 0", {0x00, 0x00, 0x42, 0x09, 0x00, 0x06, 0x12, 0x00, 0x00, 0x00}, 64},
      {"distance before the output start",
       {0x00, 0x00, 0x42, 0x09, 0x00, 0x06, 0x07, 0x02, 0x00, 0x00}, 64},
      {"control position behind the reader", {0x00, 0x00, 0x41, 0x02, 0x00, 0x02, 0x12, 0x00}, 64},
      {"group reads across the control position",
       {0x00, 0x00, 0x41, 0x07, 0x00, 0x00, 1, 2, 3, 4, 5, 6, 7, 8, 0x00}, 64},
      {"header points past the source", {0x40, 0x00, 0x00, 1, 2}, 64},
      {"control word points past the source", {0x00, 0x00, 0x41, 0x00, 0x10, 0x02, 0x12, 0x00},
       64},
      {"source ends inside a control record", {0x00, 0x00, 0x41, 0x07}, 64},
      {"source ends inside a literal group", {0x03, 0x00, 0x00, 1, 2, 3}, 64},
      {"header only", {0x00}, 64},
      // One group of 63 items: a literal and 7 copies of 34 bytes overrun a 40-byte output.
      {"group overruns the limit",
       {0x00, 0x00, 0x7F, 0x17, 0x00, 0xFE, 0x07, 0x01, 0xF8, 0x01, 0xF8, 0x01, 0xF8, 0x01,
        0xF8, 0x01, 0xF8, 0x01, 0xF8, 0x01, 0xF8, 0x00, 0x00, 0x00},
       40},
      {"literal group overruns the limit", {0x09, 0x00, 0x00, 1, 2, 3, 4, 5, 6, 7, 8, 0x40}, 5},
      {"zero limit", {0x00, 0x00, 0x40}, 0},
  };
  for (const Case& c : cases) {
    bool canary_intact = false;
    EXPECT_EQ(unpack_with_canary(c.block, c.limit, &canary_intact), -1) << c.what;
    EXPECT_TRUE(canary_intact) << c.what;
  }
}

TEST(CodecDecode, EveryTruncationOfAValidBlockFailsCleanly) {
  const Bytes input = testdata::sprite_tiles(600, 8);
  const Bytes block = pack_best(input);
  for (size_t size = 0; size < block.size(); ++size) {
    Bytes cut(block.begin(), block.begin() + static_cast<long>(size));
    Bytes out(1024);
    int packed = 0;
    // A heap copy of exactly `size` bytes, so the sanitizers see any read past it.
    std::vector<uint8_t> exact(cut);
    EXPECT_EQ(unpack_block(exact.data(), exact.size(), 0, out.data(), 1024, &packed), -1) << size;
  }
}

TEST(CodecDecode, ArgumentsOutsideTheSourceFail) {
  const Bytes block{0x00, 0x00, 0x40};
  Bytes out(16);
  int packed = 0;
  EXPECT_EQ(unpack_block(block.data(), block.size(), 3, out.data(), 16, &packed), -1);
  EXPECT_EQ(unpack_block(block.data(), block.size(), 2, out.data(), 16, &packed), -1);
  EXPECT_EQ(unpack_block(nullptr, 0, 0, out.data(), 16, &packed), -1);
  EXPECT_EQ(unpack_block(block.data(), block.size(), 0, nullptr, 16, &packed), -1);
  EXPECT_EQ(unpack_block(block.data(), block.size(), 0, out.data(), -5, &packed), -1);
  EXPECT_EQ(unpack_block(block.data(), block.size(), 0, out.data(), 16, nullptr), 0);
}

}  // namespace
}  // namespace vcv
