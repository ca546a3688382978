// Repacking a bank region, through Write Image Changes and on its own: where the blocks go, which
// pointers follow them, every error code, and the whole ROM compared afterwards.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "edit/edit_commands.h"
#include "edit/write_image.h"
#include "edit/command_messages.h"
#include "sprite/region_map.h"
#include "view/refresh.h"
#include "write_test_support.h"

namespace vcv {
namespace {

using namespace testing_support;

// Region D4:FB00..FFFF (0x500 bytes): A at FB00, B (graphics 11 and 12) at FC80, C at FE00.
constexpr int kBankD4 = 0xD4;
constexpr int kA = 10, kB = 11, kBShared = 12, kC = 13;

int pointer_offset(const std::vector<uint8_t>& rom, int graphics) {
  const size_t at = file_pos(kTableBank, kGraphicsPointerTable + 3 * graphics);
  return rom[at] | (rom[at + 1] << 8);
}
int pointer_bank(const std::vector<uint8_t>& rom, int graphics) {
  return rom[file_pos(kTableBank, kGraphicsPointerTable + 3 * graphics) + 2];
}
int packed_size_at(const std::vector<uint8_t>& rom, int bank, int offset) {
  std::vector<uint8_t> out(kGraphicsDecodeLimit);
  int packed = -1;
  unpack_block(rom.data(), rom.size(), file_pos(bank, offset), out.data(), kGraphicsDecodeLimit,
               &packed);
  return packed;
}

std::string failure_text(int code) {
  return "失敗しました。さらに続ける場合は次のダイアログで格納するアドレスを指定してください。"
         "\r\n エラーコード=" +
         std::to_string(code);
}

class RepackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    picture_a = make_picture(16, 120, 11);
    picture_b = make_picture(16, 150, 12);
    picture_c = make_picture(16, 100, 13);
    rom.place_packed(kA, kBankD4, 0xFB00, picture_a);
    rom.place_packed(kB, kBankD4, 0xFC80, picture_b);
    rom.set_pointer(kBShared, kBankD4, 0xFC80);
    rom.place_packed(kC, kBankD4, 0xFE00, picture_c);
    path_ = temp_folder() + "/" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".sfc";
  }
  void TearDown() override {
    document.rom().close();
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  void open_and_load(int graphics) {
    rom.bytes = with_header_checksum(std::move(rom.bytes));
    write_all(path_, rom.bytes);
    load_graphics(document, path_, graphics);
  }
  void set_tiles(const std::vector<uint8_t>& picture) {
    ASSERT_EQ(static_cast<int>(picture.size()), document.working_set().decoded_size);
    std::memcpy(document.working_set().tile_data, picture.data(), picture.size());
  }
  void expect_unchanged() {
    const std::vector<uint8_t> now = read_all(path_);
    EXPECT_TRUE(now == rom.bytes) << first_differences(rom.bytes, now);
  }
  // Runs the command with a growing edit, answering OK to the size question and cancelling the
  // write-position dialog when it comes.
  void grow_and_repack(int graphics, uint32_t seed) {
    const int tiles = document.working_set().decoded_size / kTileBytes;
    set_tiles(make_picture(tiles, 400, seed));
    ASSERT_GT(packed_size_of(make_picture(tiles, 400, seed)), document.working_set().stored_size)
        << graphics;
    ui.confirm_answers = {true};
    ui.cancel_position();
  }

  SyntheticRom rom;
  Document document;
  ScriptedUi ui;
  std::string path_;
  std::vector<uint8_t> picture_a, picture_b, picture_c;
};

TEST_F(RepackTest, BlocksGoBackToBackAndEveryPointerFollows) {
  open_and_load(kB);
  const std::vector<uint8_t> edited = make_picture(16, 330, 99);
  set_tiles(edited);
  const int new_size = packed_size_of(edited);
  ASSERT_GT(new_size, document.working_set().stored_size);
  ASSERT_GT(new_size, 0xFE00 - 0xFC80);  // it would not fit even into the gap before C
  ui.confirm_answers = {true};
  shown(ui, document.write_image_changes(ui));

  const std::vector<uint8_t> now = read_all(path_);
  const int a = pointer_offset(now, kA), b = pointer_offset(now, kB), c = pointer_offset(now, kC);
  EXPECT_EQ(a, 0xFB00);
  EXPECT_EQ(b, a + packed_size_at(now, kBankD4, a));
  EXPECT_EQ(pointer_offset(now, kBShared), b);
  EXPECT_EQ(packed_size_at(now, kBankD4, b), new_size);
  EXPECT_EQ(c, b + new_size);
  const int end = c + packed_size_at(now, kBankD4, c);
  ASSERT_EQ(ui.kinds(), (std::vector<std::string>{"confirm:サイズオーバー",
                                                  "message:同バンク内イメージ再格納に成功"}));
  char free_text[32];
  std::snprintf(free_text, sizeof free_text, "%06X", 0x10000 - end);
  EXPECT_EQ(ui.shown[1].text, std::string("成功しました。\r\n バンク余り領域サイズ=") + free_text);

  EXPECT_EQ(decode_graphics(now, kA), picture_a);
  EXPECT_EQ(decode_graphics(now, kB), edited);
  EXPECT_EQ(decode_graphics(now, kBShared), edited);
  EXPECT_EQ(decode_graphics(now, kC), picture_c);
  for (int g : {kA, kB, kBShared, kC}) EXPECT_EQ(pointer_bank(now, g), kBankD4);

  // Nothing else changed: the region beyond the packed blocks, the pointer banks, all the rest.
  std::vector<uint8_t> expected = rom.bytes;
  std::copy(now.begin() + static_cast<long>(file_pos(kBankD4, 0xFB00)),
            now.begin() + static_cast<long>(file_pos(kBankD4, end)),
            expected.begin() + static_cast<long>(file_pos(kBankD4, 0xFB00)));
  for (int g : {kA, kB, kBShared, kC}) {
    const size_t at = file_pos(kTableBank, kGraphicsPointerTable + 3 * g);
    expected[at] = now[at];
    expected[at + 1] = now[at + 1];
  }
  expected = with_header_checksum(std::move(expected));
  EXPECT_TRUE(now == expected) << first_differences(expected, now);

  // The working set follows the block, so a later write lands in its new place.
  EXPECT_EQ(document.working_set().graphics_offset, b);
  EXPECT_EQ(document.working_set().stored_size, new_size);
  const std::vector<uint8_t> smaller = make_picture(16, 300, 99);
  set_tiles(smaller);
  ui.shown.clear();
  ui.confirm_answers = {true};
  shown(ui, document.write_image_changes(ui));
  EXPECT_EQ(ui.kinds(), std::vector<std::string>{"confirm:Write Confirm"});
  const std::vector<uint8_t> after = read_all(path_);
  EXPECT_EQ(decode_graphics(after, kB), smaller);
  EXPECT_EQ(decode_graphics(after, kC), picture_c);
  EXPECT_EQ(pointer_offset(after, kB), b);
}

TEST_F(RepackTest, BankWithoutARegionFailsWithCode1BeforeReadingAnyBlock) {
  rom.place_packed(kB, 0xC3, 0x1000, picture_b);
  rom.place_packed(kC, 0xC3, 0x1400, picture_c);
  open_and_load(kB);
  grow_and_repack(kB, 5);
  shown(ui, document.write_image_changes(ui));
  ASSERT_EQ(ui.kinds(), (std::vector<std::string>{"confirm:サイズオーバー", "message:失敗",
                                                  "position:C31000"}));
  EXPECT_EQ(ui.shown[1].text, failure_text(1));
  expect_unchanged();
}

TEST_F(RepackTest, UndecodableBlockFailsWithCode3) {
  // Region D3:E280..FFFF: the image at E280 and a block that does not decode at F000.
  rom.place_packed(20, 0xD3, 0xE280, picture_b);
  const size_t bad = file_pos(0xD3, 0xF000);
  for (size_t i = 0; i < 0x1000; ++i) rom.bytes[bad + i] = 0;
  rom.bytes[bad] = 0xFF;
  rom.bytes[bad + 1] = 0xFF;  // control position far beyond: literal groups until the data ends
  rom.set_pointer(21, 0xD3, 0xF000);
  ASSERT_TRUE(decode_graphics(rom.bytes, 21).empty());
  open_and_load(20);
  grow_and_repack(20, 6);
  shown(ui, document.write_image_changes(ui));
  ASSERT_EQ(ui.kinds(), (std::vector<std::string>{"confirm:サイズオーバー", "message:失敗",
                                                  "position:D3E280"}));
  EXPECT_EQ(ui.shown[1].text, failure_text(3));
  expect_unchanged();
}

TEST_F(RepackTest, ImageOutsideItsBanksRegionFailsWithCode4AndWritesNothing) {
  // D5's region starts at 8C00: a block at D5:8000 belongs to no region, one at D5:9000 does.
  rom.place_packed(14, 0xD5, 0x8000, picture_b);
  rom.place_packed(15, 0xD5, 0x9000, picture_c);
  open_and_load(14);
  grow_and_repack(14, 7);
  shown(ui, document.write_image_changes(ui));
  ASSERT_EQ(ui.kinds(), (std::vector<std::string>{"confirm:サイズオーバー", "message:失敗",
                                                  "position:D58000"}));
  EXPECT_EQ(ui.shown[1].text, failure_text(4));
  expect_unchanged();
}

TEST_F(RepackTest, BlocksBelowTheRegionStartKeepTheirPlace) {
  rom.place_packed(14, 0xD5, 0x8000, picture_a);
  rom.place_packed(15, 0xD5, 0x9000, picture_b);
  rom.place_packed(16, 0xD5, 0x9800, picture_c);
  open_and_load(15);
  const std::vector<uint8_t> edited = make_picture(16, 500, 8);
  set_tiles(edited);
  ui.confirm_answers = {true};
  shown(ui, document.write_image_changes(ui));
  ASSERT_EQ(ui.kinds(), (std::vector<std::string>{"confirm:サイズオーバー",
                                                  "message:同バンク内イメージ再格納に成功"}));
  const std::vector<uint8_t> now = read_all(path_);
  EXPECT_EQ(pointer_offset(now, 14), 0x8000);
  EXPECT_EQ(pointer_offset(now, 15), 0x8C00);
  EXPECT_EQ(pointer_offset(now, 16), 0x8C00 + packed_size_of(edited));
  EXPECT_EQ(decode_graphics(now, 14), picture_a);
  EXPECT_EQ(decode_graphics(now, 15), edited);
  EXPECT_EQ(decode_graphics(now, 16), picture_c);
}

TEST_F(RepackTest, PlainGraphicsInsideTheRegionFailWithCode8) {
  rom.place_packed(kB, 0xD6, 0x1000, picture_b);
  rom.set_pointer(2, 0xD6, 0x4000);  // plain data would be destroyed by "re-encoding"
  open_and_load(kB);
  grow_and_repack(kB, 9);
  shown(ui, document.write_image_changes(ui));
  ASSERT_EQ(ui.kinds(), (std::vector<std::string>{"confirm:サイズオーバー", "message:失敗",
                                                  "position:D61000"}));
  EXPECT_EQ(ui.shown[1].text, failure_text(8));
  expect_unchanged();
}

// A valid block that another encoder made with groups of 63 items (one flag byte per 63 literals)
// stores noise far more densely than groups of 8 can: `chunks` groups of 62 literals and one
// back-reference, 65 bytes of output each.
std::vector<uint8_t> block_of_long_groups(int chunks) {
  std::vector<uint8_t> block = {0x00, 0x00};  // the first control record follows at once
  uint32_t state = 4242;
  auto noise = [&state]() {
    state = state * 1664525u + 1013904223u;
    return static_cast<uint8_t>(state >> 24);
  };
  for (int c = 0; c < chunks; ++c) {
    const size_t next_control = block.size() + 3 + 1 + 7 + 2 + 55;
    block.push_back(0x40 | 63);  // short-window mode, 63 items in the next group
    block.push_back(static_cast<uint8_t>(next_control));
    block.push_back(static_cast<uint8_t>(next_control >> 8));
    block.push_back(0x80);  // item 7 is a back-reference, every other item a literal
    for (int i = 0; i < 7; ++i) block.push_back(noise());
    block.push_back(0x07);  // distance 7, length 3
    block.push_back(0x00);
    for (int i = 0; i < 55; ++i) block.push_back(noise());
  }
  block.push_back(0x40);  // end marker
  return block;
}

// A region that cannot be repacked because of a block whose extent is known (it loads, but the
// tool's encoder needs more than loading reads for its pictures, or it decodes past repacking's
// limit) still takes the grown block into its free space, every other block where it was; when
// no stretch is large enough, code 3 and the write-position dialog as before.
TEST_F(RepackTest, ARegionThatCannotBeRepackedTakesTheGrownBlockIntoItsFreeSpace) {
  const std::vector<uint8_t> dense = block_of_long_groups(462);
  ASSERT_LE(static_cast<int>(dense.size()), kPackedReadSize);
  const std::vector<uint8_t> past_limit(kRepackDecodeLimit + 32, 0);  // 65312 bytes of zeros
  // B: 16 tiles at D6:9000; or, to leave no room, 1000 tiles of zeros at the region's end behind
  // a second dense block, growing far past the room left.
  const std::vector<uint8_t> zeros(32000, 0);
  struct Case {
    const char* name;
    bool past_repack_limit;  // else the dense block at D6:0000
    bool no_room;
    const char* reason;
  } cases[] = {
      {"re-encoded longer than loading reads", false, false,
       "the block at D6:0000 re-encoded takes "},
      {"decodes past repacking's limit", true, false,
       "the block at D6:0000 decodes to 65312 bytes, more than repacking takes (at most 65279)"},
      {"no room", false, true, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    rom = SyntheticRom();
    int first_end = 0;
    if (c.past_repack_limit) {
      first_end = rom.place_packed(30, 0xD6, 0x0000, past_limit);
    } else {
      std::copy(dense.begin(), dense.end(), rom.bytes.begin() + static_cast<long>(file_pos(0xD6, 0)));
      rom.set_pointer(30, 0xD6, 0x0000);
      first_end = static_cast<int>(dense.size());
    }
    int b_offset = 0x9000;
    if (c.no_room) {
      std::copy(dense.begin(), dense.end(),
                rom.bytes.begin() + static_cast<long>(file_pos(0xD6, first_end)));
      rom.set_pointer(31, 0xD6, first_end);
      b_offset = 0x10000 - packed_size_of(zeros);
      ASSERT_GE(b_offset, 2 * first_end);
    }
    rom.place_packed(kB, 0xD6, b_offset, c.no_room ? zeros : picture_b);
    open_and_load(kB);
    const int tiles = document.working_set().decoded_size / kTileBytes;
    const std::vector<uint8_t> grown = make_picture(tiles, c.no_room ? 20000 : 400, 11);
    set_tiles(grown);
    ui = ScriptedUi();
    ui.confirm_answers = {true};
    ui.cancel_position();
    const CommandResult result = shown(ui, document.write_image_changes(ui));
    document.rom().close();
    const std::vector<uint8_t> now = read_all(path_);
    if (c.reason == nullptr) {
      char position[16];
      std::snprintf(position, sizeof position, "position:D6%04X", b_offset);
      ASSERT_EQ(ui.kinds(),
                (std::vector<std::string>{"confirm:サイズオーバー", "message:失敗", position}));
      EXPECT_EQ(ui.shown[1].text, failure_text(3));
      EXPECT_TRUE(now == rom.bytes) << first_differences(rom.bytes, now);
      continue;
    }
    ASSERT_EQ(result.status, CommandStatus::kPlacedInFreeSpace);
    ASSERT_EQ(ui.kinds(), (std::vector<std::string>{"confirm:サイズオーバー",
                                                    "message:Placed in Free Space"}));
    EXPECT_NE(ui.shown[1].text.find(c.reason), std::string::npos) << ui.shown[1].text;
    // B lies in the lowest free stretch, right after graphics 30's block; nothing else changed
    // but B's pointer and the bytes of its new block.
    const int b = pointer_offset(now, kB);
    EXPECT_EQ(b, first_end);
    EXPECT_EQ(pointer_bank(now, kB), 0xD6);
    EXPECT_EQ(decode_graphics(now, kB), grown);
    std::vector<uint8_t> expected = rom.bytes;
    const int size = packed_size_at(now, 0xD6, b);
    std::copy(now.begin() + static_cast<long>(file_pos(0xD6, b)),
              now.begin() + static_cast<long>(file_pos(0xD6, b) + size),
              expected.begin() + static_cast<long>(file_pos(0xD6, b)));
    const size_t pointer = file_pos(kTableBank, kGraphicsPointerTable + 3 * kB);
    expected[pointer] = static_cast<uint8_t>(b);
    expected[pointer + 1] = static_cast<uint8_t>(b >> 8);
    expected = with_header_checksum(std::move(expected));
    EXPECT_TRUE(now == expected) << first_differences(expected, now);
  }
}

TEST_F(RepackTest, ReadOnlyRomStopsTheCommandWithNothingWritten) {
  open_and_load(kB);
  grow_and_repack(kB, 10);
  ui.position_answers.clear();
  std::string kept;
  make_unwritable(path_, &kept);
  EXPECT_TRUE(refused_as_unwritable(shown(ui, document.write_image_changes(ui)).status));
  ASSERT_EQ(ui.kinds(), (std::vector<std::string>{"confirm:サイズオーバー", "message:Write Error"}));
  EXPECT_TRUE(document.rom().is_open());
  document.rom().close();
  EXPECT_TRUE(read_all(kept) == rom.bytes);
  restore_writable(path_, kept);
}

// Random bytes with a few runs of zeros that pack to exactly `size` bytes (the encoder is
// deterministic; the runs give the sizes that literals alone cannot reach).
std::vector<uint8_t> picture_packing_to(int size) {
  std::mt19937 random(77);
  for (int attempt = 0; attempt < 5000; ++attempt) {
    const int length = std::max(1, size - size / 9 - 10 + static_cast<int>(random() % 16));
    std::vector<uint8_t> data(static_cast<size_t>(length));
    for (uint8_t& byte : data) byte = static_cast<uint8_t>(random() | 1);
    const int runs = static_cast<int>(random() % 4);
    for (int r = 0; r < runs; ++r) {
      const size_t at = random() % data.size();
      data.insert(data.begin() + static_cast<long>(at), 5 + random() % 4, 0);
    }
    if (packed_size_of(data) == size) return data;
  }
  return {};
}

TEST_F(RepackTest, BlocksEndingExactlyAtTheRegionEndFailWithCode2) {
  write_all(path_, rom.bytes);
  ASSERT_TRUE(document.rom().open(path_, kMappingHiRom, 0).ok());
  const int others = packed_size_of(picture_a) + packed_size_of(picture_c);
  const int room = 0x10000 - 0xFB00 - others;
  for (int size : {room, room - 1}) {
    const std::vector<uint8_t> data = picture_packing_to(size);
    ASSERT_FALSE(data.empty()) << size;
    std::vector<uint8_t> block(kPackedBufferSize);
    ASSERT_EQ(pack_block_best(data.data(), static_cast<int>(data.size()), block.data(),
                              kPackedBufferSize),
              size);
    RomImage image = document.image();
    const int result = repack_bank_images(image, kB, size, block.data());
    if (size == room) {
      EXPECT_EQ(result, kRepackDoesNotFit) << "at least one byte must stay free";
      EXPECT_TRUE(image.bytes() == rom.bytes) << "a failed repacking changes nothing";
    } else {
      EXPECT_EQ(result, 1);
      const std::vector<uint8_t>& now = image.bytes();
      EXPECT_EQ(decode_graphics(now, kB), data);
      EXPECT_EQ(decode_graphics(now, kC), picture_c);
      EXPECT_EQ(pointer_offset(now, kC) + packed_size_at(now, kBankD4, pointer_offset(now, kC)),
                0xFFFF);
    }
    // The bank-region map agrees: with the blocks already back to back and B the last, a region
    // they fill to its end cannot be repacked, and one byte short leaves that byte free.
    SyntheticRom packed = rom;
    int at = 0xFB00;
    at += packed.place_packed(kA, kBankD4, at, picture_a);
    at += packed.place_packed(kC, kBankD4, at, picture_c);
    packed.place_packed(kB, kBankD4, at, data);
    packed.set_pointer(kBShared, kBankD4, at);
    RegionMap map;
    for (const RegionMap& m : map_bank_regions(RomImage(packed.bytes, kMappingHiRom, 0), true)) {
      if (m.region.bank == kBankD4) map = m;
    }
    ASSERT_EQ(map.blocks.size(), 3u);
    EXPECT_EQ(map.repackable, size != room);
    if (size == room) {
      EXPECT_EQ(map.not_repackable_reason, "its blocks re-encoded take 1280 bytes, and at most "
                                           "1279 fit");
    } else {
      EXPECT_EQ(map.free_after_repack, 1);
    }
  }
}

}  // namespace
}  // namespace vcv

namespace vcv {
namespace {

using namespace testing_support;

// The demo ROM's nearly full region: an entry of it grows, repacking makes room, and afterwards
// every graphics block of the ROM decodes to what it held before, the edited one to the new tiles.
TEST(RepackDemoRom, FullestRegionKeepsEveryOtherBlockAndTakesTheEditedTiles) {
  demo::DemoRomLayout layout;
  const std::vector<uint8_t> original = demo_rom_bytes(&layout);
  int graphics = -1;
  for (int g = kFirstPackedGraphics; g < 40 && graphics < 0; ++g) {
    if ((layout.graphics_address[g] >> 16) == demo::DemoRomFacts::kNearlyFullBank &&
        entry_with_graphics(original, g) >= 0) {
      graphics = g;
    }
  }
  ASSERT_GE(graphics, 0);
  Document document;
  ScriptedUi ui;
  const std::string path = open_demo_copy(document, "fullest_region.sfc");
  document.view().current_entry = entry_with_graphics(original, graphics);
  document.refresh();
  SpriteWorkingSet& set = document.working_set();
  ASSERT_EQ(set.assembly(), graphics);

  // Noise at the start of the tiles until the block outgrows its place, by less than the room
  // left in the region.
  std::vector<uint8_t> edited(set.tile_data, set.tile_data + set.decoded_size);
  uint32_t state = 12345;
  int new_size = 0;
  for (size_t i = 0; i < edited.size() && new_size <= set.stored_size; ++i) {
    state = state * 1664525u + 1013904223u;
    edited[i] = static_cast<uint8_t>(state >> 24);
    if (i % 16 == 15) new_size = packed_size_of(edited);
  }
  ASSERT_GT(new_size, set.stored_size);
  ASSERT_LT(new_size - set.stored_size, layout.nearly_full_free);
  std::copy(edited.begin(), edited.end(), set.tile_data);

  std::vector<std::vector<uint8_t>> before(kGraphicsPointerCount);
  for (int g = 0; g < kGraphicsPointerCount; ++g) before[static_cast<size_t>(g)] = decode_graphics(original, g);
  const size_t own_entry = file_pos(kTableBank, kGraphicsPointerTable + 3 * graphics);

  ui.confirm_answers = {true};
  shown(ui, document.write_image_changes(ui));
  ASSERT_EQ(ui.kinds(), (std::vector<std::string>{"confirm:サイズオーバー",
                                                  "message:同バンク内イメージ再格納に成功"}));
  const std::vector<uint8_t> now = read_all(path);
  for (int g = 0; g < kGraphicsPointerCount; ++g) {
    const size_t at = file_pos(kTableBank, kGraphicsPointerTable + 3 * g);
    const bool same_block = original[at] == original[own_entry] &&
                            original[at + 1] == original[own_entry + 1] &&
                            original[at + 2] == original[own_entry + 2];
    const std::vector<uint8_t> decoded = decode_graphics(now, g);
    if (same_block) {
      EXPECT_EQ(decoded, edited) << "graphics " << g;
    } else {
      EXPECT_EQ(decoded, before[static_cast<size_t>(g)]) << "graphics " << g;
    }
  }
  // Only the region, the pointer offsets and the header checksum may differ (which matches the
  // bytes); the plain graphics, the undecodable block and every other byte are as they were.
  EXPECT_TRUE(with_header_checksum(now) == now);
  const size_t checksum_start = kHeaderComplementOffset, checksum_end = kHeaderChecksumOffset + 2;
  const size_t region_start = file_pos(0xD2, 0xEE80), region_end = file_pos(0xD3, 0x0000);
  const size_t table_start = file_pos(kTableBank, kGraphicsPointerTable);
  for (size_t i = 0; i < now.size(); ++i) {
    if (i >= region_start && i < region_end) continue;
    if (i >= checksum_start && i < checksum_end) continue;
    if (i >= table_start && i < table_start + 3 * kGraphicsPointerCount && (i - table_start) % 3 != 2) continue;
    ASSERT_EQ(now[i], original[i]) << std::hex << "file offset " << i;
  }
  document.rom().close();
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
}

}  // namespace
}  // namespace vcv
