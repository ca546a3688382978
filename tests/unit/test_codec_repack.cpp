// Re-encoding a block stored in a ROM image: read through the address mapping, decoded with the
// repacking limit, and encoded again with the shorter mode.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_data.h"
#include "codec_test_support.h"
#include "edit/write_image.h"
#include "rom/rom_image.h"
#include "sprite/codec.h"
#include "sprite/sprite_data.h"
#include "sprite/stored_block.h"

namespace vcv {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr int kRomSize = 0x30000;  // three 64 KiB banks
constexpr int kBank = 0xC1;        // the second bank, file offset 0x10000

class CodecRepack : public ::testing::Test {
 protected:
  void SetUp() override { image_.assign(kRomSize, 0x5A); }

  // Puts `block` at bank:offset of the image; `size` cuts the file (0: the whole image).
  void place(int offset, const Bytes& block) {
    std::copy(block.begin(), block.end(), image_.begin() + 0x10000 + offset);
  }
  void write_and_open(size_t size = 0) {
    const size_t count = size != 0 ? size : image_.size();
    rom_ = RomImage(Bytes(image_.begin(), image_.begin() + static_cast<long>(count)),
                    kMappingHiRom, 0);
  }

  Bytes image_;
  RomImage rom_;
};

using codec_test::pack;
using codec_test::pack_best;

TEST_F(CodecRepack, StoredBlockComesBackInTheShorterMode) {
  const Bytes picture = testdata::sprite_tiles(12000, 31);
  const Bytes stored = pack(picture, PackMode::kShortWindow);
  const Bytes expected = pack_best(picture);
  ASSERT_NE(stored, expected) << "the sample should favour the other mode";
  place(0x2000, stored);
  write_and_open();

  for (bool own_scratch : {false, true}) {
    Bytes block(kPackedBufferSize, 0xEE);
    Bytes scratch(kPackedBufferSize, 0xEE);
    const int size = repack_stored_block(rom_, kBank, 0x2000, block.data(),
                                         own_scratch ? nullptr : scratch.data());
    ASSERT_EQ(size, static_cast<int>(expected.size()));
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), block.begin()));
    if (!own_scratch) {
      EXPECT_TRUE(std::equal(picture.begin(), picture.end(), scratch.begin()));
    }
  }
}

TEST_F(CodecRepack, BlockAtTheEndOfTheFileIsReadWithoutStaleBytes) {
  // The 40 KiB read runs past the end of the file; the block itself ends 1 byte before it.
  const Bytes picture = testdata::byte_runs(3000, 32, 20);
  const Bytes stored = pack_best(picture);
  const int offset = 0x10000 - 1 - static_cast<int>(stored.size());
  place(offset, stored);
  write_and_open(static_cast<size_t>(0x20000));
  Bytes block(kPackedBufferSize, 0x00);
  EXPECT_EQ(repack_stored_block(rom_, kBank, offset, block.data(), nullptr),
            static_cast<int>(stored.size()));
  EXPECT_TRUE(std::equal(stored.begin(), stored.end(), block.begin()));
}

TEST_F(CodecRepack, DamagedOrOversizedBlocksFail) {
  // Header pointing past the 40 KiB that are read.
  place(0x0000, Bytes{0xF0, 0xFF, 0x00});
  // A picture of exactly the repacking limit (0xFF00 bytes) fails; one byte less is fine.
  const Bytes at_limit = pack_best(Bytes(kRepackDecodeLimit, 0));
  const Bytes below_limit = pack_best(Bytes(kRepackDecodeLimit - 1, 0));
  place(0x4000, at_limit);
  place(0x8000, below_limit);
  write_and_open();
  Bytes block(kPackedBufferSize);
  Bytes scratch(kPackedBufferSize);
  EXPECT_EQ(repack_stored_block(rom_, kBank, 0x0000, block.data(), scratch.data()), -1);
  EXPECT_EQ(repack_stored_block(rom_, kBank, 0x4000, block.data(), scratch.data()), -1);
  EXPECT_EQ(repack_stored_block(rom_, kBank, 0x8000, block.data(), scratch.data()),
            static_cast<int>(below_limit.size()));
}

TEST_F(CodecRepack, LoadingAndRepackingReadStoredBlocksDifferently) {
  // Loading reads 32 KiB and decodes up to 64 KiB; repacking reads 40 KiB and stops at 0xFF00.
  const Bytes at_repack_limit(kRepackDecodeLimit, 0);
  const Bytes noise = testdata::random_bytes(0x8000, 7);  // packs to between 32 and 40 KiB
  const Bytes packed_limit = pack_best(at_repack_limit);
  const Bytes packed_noise = pack_best(noise);
  ASSERT_GT(packed_noise.size(), static_cast<size_t>(kPackedReadSize));
  ASSERT_LT(packed_noise.size(), static_cast<size_t>(kStoredBlockReadSize));
  place(0x0000, packed_limit);
  place(0x4000, packed_noise);
  write_and_open();
  struct Case {
    int offset;
    BlockReading reading;
    const Bytes* decodes_to;  // null: does not decode
    size_t packed_size;
  };
  const Case cases[] = {
      {0x0000, BlockReading::kAsLoading, &at_repack_limit, packed_limit.size()},
      {0x0000, BlockReading::kAsRepacking, nullptr, 0},
      {0x4000, BlockReading::kAsLoading, nullptr, 0},
      {0x4000, BlockReading::kAsRepacking, &noise, packed_noise.size()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.offset) +
                 (c.reading == BlockReading::kAsLoading ? " as loading" : " as repacking"));
    Bytes decoded(3, 0xEE);
    int packed_size = -1;
    const int size = decode_stored_block(rom_, kBank, c.offset, c.reading, &decoded, &packed_size);
    if (c.decodes_to == nullptr) {
      EXPECT_EQ(size, -1);
      EXPECT_TRUE(decoded.empty());
    } else {
      EXPECT_EQ(size, static_cast<int>(c.decodes_to->size()));
      EXPECT_EQ(decoded, *c.decodes_to);
      EXPECT_EQ(packed_size, static_cast<int>(c.packed_size));
    }
  }
}

}  // namespace
}  // namespace vcv
