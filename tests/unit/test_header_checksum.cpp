// The internal header's checksum: the sum with its mirrored part for sizes that are no power of
// two, where its words lie, and what a write does with a checksum that matched.
#include <gtest/gtest.h>

#include <vector>

#include "rom/header_checksum.h"
#include "rom/rom_image.h"

namespace vcv {
namespace {

TEST(HeaderChecksum, SumsTheImageWithItsPartAbovePowersOfTwoRepeated) {
  struct Case {
    std::vector<uint8_t> bytes;
    uint16_t sum;
  };
  const std::vector<Case> cases = {
      {{}, 0},
      {{1, 2, 3, 4}, 10},
      {{1, 2, 3}, 1 + 2 + 3 + 3},                          // 3 repeated up to 2 bytes
      {{1, 2, 3, 4, 5}, 10 + 4 * 5},                       // 5 repeated up to 4 bytes
      {{1, 2, 3, 4, 5, 6, 7}, 10 + (5 + 6 + 7 + 7)},  // 5 6 7: its own 7 repeated
      {std::vector<uint8_t>(0x300, 1), 0x400},
      {std::vector<uint8_t>(0x10000, 0xFF), 0},  // 16 bits: 0xFF0000 wraps to 0
      {std::vector<uint8_t>(0x10001, 0xFF), 0},  // the last byte counts 0x10000 times
  };
  for (const Case& c : cases) {
    EXPECT_EQ(image_checksum(c.bytes.data(), c.bytes.size()), c.sum) << c.bytes.size();
  }
}

// A 192 KiB image with a copier header in front: the words sit past the header.
TEST(HeaderChecksum, IsStoredPastACopierHeaderAndAWriteKeepsItMatching) {
  constexpr int kBase = 512;
  std::vector<uint8_t> bytes(kBase + 0x30000);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
  RomImage before(bytes, kMappingHiRom, kBase);
  ASSERT_TRUE(store_header_checksum(&before));
  const HeaderChecksum stored = read_header_checksum(before);
  EXPECT_TRUE(stored.consistent());
  EXPECT_EQ(before.bytes()[kBase + kHeaderChecksumOffset], stored.computed & 0xFF);
  EXPECT_EQ(before.bytes()[kBase + kHeaderComplementOffset + 1], (stored.computed ^ 0xFFFF) >> 8);

  RomImage changed = before;
  const uint8_t edit[1] = {0x5A};
  ASSERT_TRUE(changed.write_at(kBase + 0x20000, 1, edit));
  ASSERT_FALSE(read_header_checksum(changed).consistent());
  EXPECT_EQ(carry_header_checksum(before, &changed), ChecksumCarry::kUpdated);
  EXPECT_TRUE(read_header_checksum(changed).consistent());
  EXPECT_NE(read_header_checksum(changed).stored, stored.stored);
  // (A checksum that did not match is left as it was: see the tests of apply.)
}

}  // namespace
}  // namespace vcv
