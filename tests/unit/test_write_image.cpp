// Write Image Changes on small synthetic ROMs: every path through the command, each followed by a
// comparison of the whole ROM file with what must have changed and nothing else.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "edit/edit_commands.h"
#include "edit/command_messages.h"
#include "edit/write_image.h"
#include "sprite/codec_optimal.h"
#include "write_test_support.h"

namespace vcv {
namespace {

using namespace testing_support;

constexpr int kGraphics = 9;
constexpr int kBank = 0xD6;
constexpr int kOffset = 0x1000;
constexpr int kPictureTiles = 64;
constexpr int kNoise = 600;

std::string hex6(long long value) {
  char text[32];
  std::snprintf(text, sizeof text, "%06llX", value);
  return text;
}

std::string confirm_text(const std::string& address, const std::string& position, int stored,
                         int new_size) {
  return "Do you want to overwrite?       \n\nWriting Address " + address +
         "\r\nOverwriting at Address " + position + "\r\nOriginal Size " + hex6(stored) +
         "\r\nSize After Changes " + hex6(new_size);
}

class WriteImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    original_picture = make_picture(kPictureTiles, kNoise, 1);
    stored_size = rom.place_packed(kGraphics, kBank, kOffset, original_picture);
    path = rom.save(std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                    ".sfc");
    load_graphics(document, path, kGraphics);
  }
  void TearDown() override {
    document.rom().close();
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
  }

  SpriteWorkingSet& set() { return document.working_set(); }
  std::vector<uint8_t> tiles() const {
    return std::vector<uint8_t>(document.working_set().tile_data,
                                document.working_set().tile_data + document.working_set().decoded_size);
  }
  void set_tiles(const std::vector<uint8_t>& picture) {
    ASSERT_EQ(static_cast<int>(picture.size()), set().decoded_size);
    std::memcpy(set().tile_data, picture.data(), picture.size());
  }
  // Expected file: the original with the block at `position` replaced by what now decodes there
  // (the block is checked separately) and the pointer of kGraphics set to `address`.
  void expect_written(size_t position, int size, uint32_t address,
                      const std::vector<uint8_t>& picture) {
    const std::vector<uint8_t> now = read_all(path);
    std::vector<uint8_t> expected = rom.bytes;
    std::copy(now.begin() + static_cast<long>(position),
              now.begin() + static_cast<long>(position) + size,
              expected.begin() + static_cast<long>(position));
    const size_t entry = file_pos(kTableBank, kGraphicsPointerTable + 3 * kGraphics);
    expected[entry] = static_cast<uint8_t>(address);
    expected[entry + 1] = static_cast<uint8_t>(address >> 8);
    expected[entry + 2] = static_cast<uint8_t>(address >> 16);
    expected = with_header_checksum(std::move(expected));
    EXPECT_TRUE(now == expected) << first_differences(expected, now);
    std::vector<uint8_t> decoded(kGraphicsDecodeLimit);
    int packed = 0;
    const int got = unpack_block(now.data(), now.size(), position, decoded.data(),
                                 kGraphicsDecodeLimit, &packed);
    ASSERT_EQ(got, static_cast<int>(picture.size()));
    EXPECT_EQ(packed, size);
    EXPECT_EQ(0, std::memcmp(decoded.data(), picture.data(), picture.size()));
  }
  void expect_unchanged() {
    const std::vector<uint8_t> now = read_all(path);
    EXPECT_TRUE(now == rom.bytes) << first_differences(rom.bytes, now);
  }
  void expect_still_open() { EXPECT_TRUE(document.rom().is_open()); }

  SyntheticRom rom;
  Document document;
  ScriptedUi ui;
  std::string path;
  std::vector<uint8_t> original_picture;
  int stored_size = 0;
};

TEST_F(WriteImageTest, SmallerBlockIsWrittenInPlaceAndTheSizeFollows) {
  std::vector<uint8_t> edited = make_picture(kPictureTiles, kNoise / 2, 1);
  set_tiles(edited);
  const int new_size = packed_size_of(edited);
  ASSERT_LT(new_size, stored_size);
  ui.confirm_answers = {true};
  shown(ui, document.write_image_changes(ui));
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0].title, "Write Confirm");
  EXPECT_EQ(ui.shown[0].text, confirm_text("D61000", "161000", stored_size, new_size));
  expect_written(file_pos(kBank, kOffset), new_size, 0xD61000, edited);
  expect_still_open();
  EXPECT_EQ(set().stored_size, new_size);
  EXPECT_EQ(set().graphics_bank, kBank);
  EXPECT_EQ(set().graphics_offset, kOffset);
}

TEST_F(WriteImageTest, TheOptimalEncoderIsUsedWhenAskedFor) {
  std::vector<uint8_t> edited = make_picture(kPictureTiles, kNoise / 2, 1);
  set_tiles(edited);
  std::vector<uint8_t> optimal(kPackedBufferSize);
  const int optimal_size = pack_block_optimal(edited.data(), static_cast<int>(edited.size()),
                                              optimal.data(), kPackedBufferSize);
  ASSERT_GT(optimal_size, 0);
  ASSERT_LT(optimal_size, packed_size_of(edited)) << "the two encoders must differ here";
  ui.confirm_answers = {true};
  PanelContext context = document.panel();
  shown(ui, write_image_changes(context, document.rom(), ui, PackMethod::kOptimal));
  expect_written(file_pos(kBank, kOffset), optimal_size, 0xD61000, edited);
  const std::vector<uint8_t> now = read_all(path);
  EXPECT_TRUE(std::equal(optimal.begin(), optimal.begin() + optimal_size,
                         now.begin() + static_cast<long>(file_pos(kBank, kOffset))));
}

TEST_F(WriteImageTest, EqualSizeFitsWithoutTheSizeQuestion) {
  std::vector<uint8_t> edited = original_picture;
  edited[100] ^= 0x01;  // one noise byte: a literal stays a literal
  set_tiles(edited);
  ASSERT_EQ(packed_size_of(edited), stored_size);
  ui.confirm_answers = {true};
  shown(ui, document.write_image_changes(ui));
  EXPECT_EQ(ui.kinds(), std::vector<std::string>{"confirm:Write Confirm"});
  expect_written(file_pos(kBank, kOffset), stored_size, 0xD61000, edited);
}

TEST_F(WriteImageTest, PlainGraphicsAreWrittenAsTheyAreWithTheirFixedSize) {
  document.rom().close();
  const int plain = 3;
  const size_t at = file_pos(0xCB, 0x0000);
  for (int i = 0; i < kPlainGraphicsSize[plain]; ++i) rom.bytes[at + i] = static_cast<uint8_t>(i * 7);
  rom.set_pointer(plain, 0xCB, 0x0000);
  rom.save(path.substr(path.rfind('/') + 1));
  load_graphics(document, path, plain);
  set().tile_data[5] = 0xEE;
  set().tile_data[kPlainGraphicsSize[plain] - 1] = 0xDD;
  const std::vector<uint8_t> edited = tiles();
  ui.confirm_answers = {true};
  shown(ui, document.write_image_changes(ui));
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0].text, confirm_text("CB0000", "0B0000", 0x7EC0, 0x7EC0));
  std::vector<uint8_t> expected = rom.bytes;
  std::copy(edited.begin(), edited.end(), expected.begin() + static_cast<long>(at));
  expected = with_header_checksum(std::move(expected));
  const std::vector<uint8_t> now = read_all(path);
  EXPECT_TRUE(now == expected) << first_differences(expected, now);
  EXPECT_EQ(set().stored_size, 0x7EC0);
}

TEST_F(WriteImageTest, CancelInTheConfirmationWritesNothing) {
  set_tiles(make_picture(kPictureTiles, 10, 1));
  ui.confirm_answers = {false};
  shown(ui, document.write_image_changes(ui));
  EXPECT_EQ(ui.kinds(), std::vector<std::string>{"confirm:Write Confirm"});
  expect_unchanged();
  expect_still_open();
  EXPECT_EQ(set().stored_size, stored_size);
}

TEST_F(WriteImageTest, LargerBlockAsksAndCancellingBothPromptsWritesNothing) {
  const std::vector<uint8_t> edited = make_picture(kPictureTiles, kNoise + 200, 2);
  set_tiles(edited);
  const int new_size = packed_size_of(edited);
  ASSERT_GT(new_size, stored_size);
  ui.confirm_answers = {false};
  ui.cancel_position();
  shown(ui, document.write_image_changes(ui));
  ASSERT_EQ(ui.kinds(), (std::vector<std::string>{"confirm:サイズオーバー", "position:D61000"}));
  EXPECT_EQ(ui.shown[0].text,
            "圧縮サイズが元のサイズをオーバーしているので書き込めません。\r\n"
            "同BANK内のイメージデータの再格納を試みますか？\r\n 元のサイズ " +
                hex6(stored_size) + "\r\n 変更後の圧縮サイズ " + hex6(new_size));
  EXPECT_EQ(ui.shown[1].text, "161000");
  expect_unchanged();
}

TEST_F(WriteImageTest, TypedAddressTakesTheBlockAndLaterWritesFollowIt) {
  std::vector<uint8_t> edited = make_picture(kPictureTiles, kNoise + 200, 2);
  set_tiles(edited);
  const int new_size = packed_size_of(edited);
  ui.confirm_answers = {false, true};
  ui.answer_position("C31100", "031100");
  shown(ui, document.write_image_changes(ui));
  ASSERT_EQ(ui.kinds(), (std::vector<std::string>{"confirm:サイズオーバー", "position:D61000",
                                                  "confirm:Write Confirm"}));
  EXPECT_EQ(ui.shown[2].text, confirm_text("C31100", "031100", stored_size, new_size));
  expect_written(0x31100, new_size, 0xC31100, edited);
  const size_t entry = file_pos(kTableBank, kGraphicsPointerTable + 3 * kGraphics);
  const std::vector<uint8_t> now = read_all(path);
  EXPECT_EQ(now[entry], 0x00);
  EXPECT_EQ(now[entry + 1], 0x11);
  EXPECT_EQ(now[entry + 2], 0xC3);
  // The working set now describes the block where it lies.
  EXPECT_EQ(set().graphics_bank, 0xC3);
  EXPECT_EQ(set().graphics_offset, 0x1100);
  EXPECT_EQ(set().stored_size, new_size);

  // A smaller edit now fits in place: in the new place, never the former one.
  rom.bytes = now;
  const std::vector<uint8_t> smaller = make_picture(kPictureTiles, kNoise, 2);
  set_tiles(smaller);
  ui.shown.clear();
  ui.confirm_answers = {true};
  shown(ui, document.write_image_changes(ui));
  EXPECT_EQ(ui.kinds(), std::vector<std::string>{"confirm:Write Confirm"});
  EXPECT_EQ(ui.shown[0].text,
            confirm_text("C31100", "031100", new_size, packed_size_of(smaller)));
  expect_written(0x31100, packed_size_of(smaller), 0xC31100, smaller);
}

TEST_F(WriteImageTest, TypedAddressThatDoesNotNameTheWrittenDataKeepsTheOldBlocksSize) {
  // The address typed is the block's present place, the file position somewhere else: the data
  // goes to 031100 while the pointer keeps naming the old, smaller block at D6:1000.
  const std::vector<uint8_t> grown = make_picture(kPictureTiles, kNoise + 200, 2);
  set_tiles(grown);
  const int grown_size = packed_size_of(grown);
  ui.confirm_answers = {false, true};
  ui.answer_position("D61000", "031100");
  shown(ui, document.write_image_changes(ui));
  ASSERT_EQ(ui.shown.size(), 3u);
  rom.bytes = read_all(path);
  EXPECT_EQ(set().graphics_offset, kOffset);
  EXPECT_EQ(set().stored_size, stored_size);

  // An edit larger than the old block but smaller than the data written elsewhere must not be
  // written over the old block's end: it gets the size question.
  const std::vector<uint8_t> middle = make_picture(kPictureTiles, kNoise + 100, 2);
  const int middle_size = packed_size_of(middle);
  ASSERT_GT(middle_size, stored_size);
  ASSERT_LT(middle_size, grown_size);
  set_tiles(middle);
  ui.shown.clear();
  ui.confirm_answers = {false};
  ui.cancel_position();
  shown(ui, document.write_image_changes(ui));
  EXPECT_EQ(ui.kinds(), (std::vector<std::string>{"confirm:サイズオーバー", "position:D61000"}));
  expect_unchanged();
}

TEST_F(WriteImageTest, LongTypedAddressShowsAllDigitsAndStoresItsLowThreeBytes) {
  set_tiles(make_picture(kPictureTiles, kNoise + 200, 3));
  ui.confirm_answers = {false, true};
  ui.answer_position("12C31100", "31100");
  shown(ui, document.write_image_changes(ui));
  ASSERT_EQ(ui.shown.size(), 3u);
  EXPECT_NE(ui.shown[2].text.find("Writing Address 12C31100\r\n"), std::string::npos);
  const std::vector<uint8_t> now = read_all(path);
  const size_t entry = file_pos(kTableBank, kGraphicsPointerTable + 3 * kGraphics);
  EXPECT_EQ(now[entry], 0x00);
  EXPECT_EQ(now[entry + 1], 0x11);
  EXPECT_EQ(now[entry + 2], 0xC3);
  EXPECT_EQ(set().graphics_bank, 0xC3);
}

TEST_F(WriteImageTest, UnreadableOrUnsafeFilePositionsAreRefused) {
  set_tiles(make_picture(kPictureTiles, kNoise + 200, 4));
  const int new_size = packed_size_of(make_picture(kPictureTiles, kNoise + 200, 4));
  const long long file_size = static_cast<long long>(SyntheticRom::kSize);
  const std::pair<std::string, std::string> refused[] = {
      {"G01100", "001100"},  {"", "001100"},          {"C01100", ""},
      {"C01100", "X"},       {"C01100", "-1"},        {"C01100", "FFFFFFFF"},
      {"C01100", "80000000"}, {"C01100", hex6(file_size - new_size + 1)},
      {"C01100", hex6(file_size)},
  };
  for (const auto& typed : refused) {
    ui.shown.clear();
    ui.confirm_answers = {false};
    ui.answer_position(typed.first, typed.second);
    shown(ui, document.write_image_changes(ui));
    ASSERT_EQ(ui.kinds(), (std::vector<std::string>{"confirm:サイズオーバー", "position:D61000",
                                                    "position-error:エラー"}))
        << typed.first << " / " << typed.second;
    EXPECT_EQ(ui.shown[2].text, "アドレスが間違ってます");
    expect_unchanged();
    EXPECT_EQ(read_all(path).size(), SyntheticRom::kSize);
  }
  // The last position at which the whole block still lies inside the file passes that check
  // (and then meets the enemy table, which ends the file here).
  ui.shown.clear();
  ui.confirm_answers = {false};
  ui.answer_position("C01100", hex6(file_size - new_size));
  const CommandResult last = shown(ui, document.write_image_changes(ui));
  EXPECT_EQ(last.status, CommandStatus::kWouldOverwrite);
  EXPECT_EQ(last.detail, "the enemy table");
  expect_unchanged();
}

TEST_F(WriteImageTest, TypedPositionOverAnotherBlockIsRefusedNamingIt) {
  set_tiles(make_picture(kPictureTiles, kNoise + 200, 4));
  const struct {
    long long position;
    const char* named;
  } cases[] = {
      {0x000000, "graphics"},  // every other graphics pointer names the empty block at C0:0000
      {static_cast<long long>(file_pos(kTableBank, kGraphicsPointerTable)) - 8,
       "the graphics pointer table"},
      {static_cast<long long>(file_pos(kTableBank, kCharacterTable)), "the character table"},
  };
  for (const auto& c : cases) {
    ui.shown.clear();
    ui.confirm_answers = {false};
    ui.answer_position("C01100", hex6(c.position));
    const CommandResult result = shown(ui, document.write_image_changes(ui));
    EXPECT_EQ(result.status, CommandStatus::kWouldOverwrite) << c.named;
    EXPECT_EQ(result.detail.rfind(c.named, 0), 0u) << result.detail;
    ASSERT_EQ(ui.kinds(), (std::vector<std::string>{"confirm:サイズオーバー", "position:D61000",
                                                    "message:Write Error"}));
    expect_unchanged();
  }
}

TEST_F(WriteImageTest, ARomOpenedReadOnlyIsRefusedBeforeAnyPrompt) {
  set_tiles(make_picture(kPictureTiles, kNoise + 200, 5));
  document.rom().set_read_only(true);
  EXPECT_EQ(shown(ui, document.write_image_changes(ui)).status, CommandStatus::kReadOnly);
  EXPECT_EQ(ui.kinds(), std::vector<std::string>{"message:Write Error"});
  expect_unchanged();
}

TEST_F(WriteImageTest, ReadOnlyRomGetsNothingWrittenAndStaysOpen) {
  const std::vector<uint8_t> edited = make_picture(kPictureTiles, 10, 5);
  set_tiles(edited);
  std::string kept;
  make_unwritable(path, &kept);
  ui.confirm_answers = {true};
  EXPECT_TRUE(refused_as_unwritable(shown(ui, document.write_image_changes(ui)).status));
  ASSERT_EQ(ui.kinds(), (std::vector<std::string>{"confirm:Write Confirm", "message:Write Error"}));
  expect_still_open();
  document.rom().close();
  EXPECT_TRUE(read_all(kept) == rom.bytes);
  EXPECT_EQ(set().stored_size, stored_size);  // nothing written, nothing followed
  restore_writable(path, kept);
}

TEST_F(WriteImageTest, ReadOnlyRomRefusesATypedAddressToo) {
  set_tiles(make_picture(kPictureTiles, kNoise + 200, 5));
  std::string kept;
  make_unwritable(path, &kept);
  ui.confirm_answers = {false, true};
  ui.answer_position("C31100", "031100");
  EXPECT_TRUE(refused_as_unwritable(shown(ui, document.write_image_changes(ui)).status));
  ASSERT_EQ(ui.kinds(), (std::vector<std::string>{"confirm:サイズオーバー", "position:D61000",
                                                  "confirm:Write Confirm", "message:Write Error"}));
  document.rom().close();
  EXPECT_TRUE(read_all(kept) == rom.bytes);
  EXPECT_EQ(set().graphics_bank, kBank);
  restore_writable(path, kept);
}

TEST_F(WriteImageTest, BlockOutsideTheFileIsRefusedRatherThanGrowingTheFile) {
  // A plain image whose pointer names a bank past the end of this (short) file.
  set().header[0] = 2;
  set().graphics_bank = 0xF0;
  set().graphics_offset = 0x0000;
  set().decoded_size = set().stored_size = kPlainGraphicsSize[2];
  ui.confirm_answers = {true};
  EXPECT_EQ(shown(ui, document.write_image_changes(ui)).status, CommandStatus::kOutsideFile);
  ASSERT_EQ(ui.kinds(), (std::vector<std::string>{"confirm:Write Confirm", "message:Write Error"}));
  expect_unchanged();
}

TEST_F(WriteImageTest, TilesThatCannotBePackedAreRefusedBeforeAnyPrompt) {
  // 60000 bytes of noise grow by an eighth when packed: more than a block can hold.
  uint32_t state = 3;
  for (int i = 0; i < 60000; ++i) {
    state = state * 1664525u + 1013904223u;
    set().tile_data[i] = static_cast<uint8_t>(state >> 24);
  }
  set().decoded_size = 60000;
  EXPECT_EQ(shown(ui, document.write_image_changes(ui)).status, CommandStatus::kPackRefused);
  ASSERT_EQ(ui.kinds(), std::vector<std::string>{"message:Write Error"});
  expect_unchanged();
}

TEST_F(WriteImageTest, PackedBlockLongerThanTheLoaderReadsIsRefused) {
  // 30000 bytes of noise pack into more than 0x8000 bytes: such a block would be written but
  // never load again.
  uint32_t state = 11;
  for (int i = 0; i < 30000; ++i) {
    state = state * 1664525u + 1013904223u;
    set().tile_data[i] = static_cast<uint8_t>(state >> 24);
  }
  set().decoded_size = 30000;
  std::vector<uint8_t> packed(kPackedBufferSize);
  const int size = pack_block_best(set().tile_data, 30000, packed.data(), kPackedBufferSize);
  ASSERT_GT(size, kPackedReadSize);
  const CommandResult result = shown(ui, document.write_image_changes(ui));
  EXPECT_EQ(result.status, CommandStatus::kPackTooLong);
  EXPECT_EQ(result.value, size);
  ASSERT_EQ(ui.kinds(), std::vector<std::string>{"message:Write Error"});
  expect_unchanged();
}

TEST_F(WriteImageTest, NothingHappensWithoutARomAndUndecodedGraphicsAreNotWritten) {
  set().loaded_entry = -1;
  set().failed_entry = 0x1F0;
  EXPECT_EQ(shown(ui, document.write_image_changes(ui)).status, CommandStatus::kNotDecoded);
  ASSERT_EQ(ui.kinds(), std::vector<std::string>{"message:Write Error"});
  document.rom().close();
  ui.shown.clear();
  EXPECT_EQ(shown(ui, document.write_image_changes(ui)).status, CommandStatus::kNoRom);
  EXPECT_TRUE(ui.shown.empty());
  expect_unchanged();
}

}  // namespace
}  // namespace vcv
