#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "rom/rom_image.h"
#include "sprite/directory.h"
#include "sprite_test_rom.h"
#include "view/view_texts.h"

namespace vcv {
namespace {

using testing_rom::SyntheticRom;

TEST(AppendHexBytes, LineBreaksBetweenGroupsAndNoneAtTheEnd) {
  const uint8_t bytes[] = {0x00, 0x0A, 0xFF, 0x10, 0x7F};
  std::string text = "x";
  append_hex_bytes(text, bytes, 5, 2);
  EXPECT_EQ(text, "x00 0A \r\nFF 10 \r\n7F ");
  text.clear();
  append_hex_bytes(text, bytes, 4, 2);
  EXPECT_EQ(text, "00 0A \r\nFF 10 ");
  text.clear();
  append_hex_bytes(text, bytes, 0, 8);
  EXPECT_EQ(text, "");
}

TEST(RangeLabel, FullWidthTildeAndTheEmptyRange) {
  EXPECT_EQ(format_range_label(4),
            "00\xEF\xBD\x9E"
            "03");
  EXPECT_EQ(format_range_label(0x1A1),
            "00\xEF\xBD\x9E"
            "1A0");
  EXPECT_EQ(format_range_label(0),
            "00\xEF\xBD\x9E"
            "FFFFFFFF");
}

// A working set with animation quarters set by hand (no ROM needed for the clamps).
struct ClampFixture {
  std::unique_ptr<SpriteWorkingSet> set = std::make_unique<SpriteWorkingSet>();
  SpriteDirectory directory;
  ViewState view;

  ClampFixture() {
    set->position_type = 7;
    directory.frame_count[7] = 10;
    set->animation_size[0] = 3 * 16;  // three animations
    set->animation_size[1] = 8;       // shorter than one animation
    for (auto& table : set->animation)
      for (auto& slot : table) std::memset(slot, 0xFF, sizeof slot);
    const uint8_t down[12] = {1, 2, 3, 4, 5, 6, 0xFF, 0xFF, 0xFF, 9, 9, 9};
    std::memcpy(set->animation[0][1], down, sizeof down);
    const uint8_t up[12] = {0x40, 0x41, 0x42, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0};
    std::memcpy(set->animation[0][0], up, sizeof up);
  }
};

TEST(CountSequenceFrames, StopsAtTheFirstEndByte) {
  ClampFixture f;
  f.view.face_direction = 1;
  f.view.animation_no = 0;
  EXPECT_EQ(count_sequence_frames(f.view, *f.set), 4) << "no FF";
  f.view.animation_no = 1;
  EXPECT_EQ(count_sequence_frames(f.view, *f.set), 2) << "FF third";
  f.view.animation_no = 2;
  EXPECT_EQ(count_sequence_frames(f.view, *f.set), 0) << "FF first";
  f.view.face_direction = 0;
  f.view.animation_no = 0;
  EXPECT_EQ(count_sequence_frames(f.view, *f.set), 3);
  f.view.animation_no = kAnimationSlotSize / 4;  // past the slot: an empty sequence
  EXPECT_EQ(count_sequence_frames(f.view, *f.set), 0);
}

TEST(RefreshClamps, ImageNoModeKeepsSequenceCountAtFour) {
  ClampFixture f;
  f.view.sequence_mode = 0;
  f.view.image_no = 25;
  f.view.animation_no = 7;
  apply_refresh_clamps(f.view, *f.set, f.directory);
  EXPECT_EQ(f.view.image_no, 9);
  EXPECT_EQ(f.view.image_count, 10);
  EXPECT_EQ(f.view.animation_count, 3);
  EXPECT_EQ(f.view.sequence_count, 4);
  EXPECT_EQ(f.view.animation_no, 7) << "not clamped in ImageNo mode";
  f.view.image_no = 4;
  apply_refresh_clamps(f.view, *f.set, f.directory);
  EXPECT_EQ(f.view.image_no, 4);
  f.directory.frame_count[7] = 0;  // no frames: stays at 0, not -1
  apply_refresh_clamps(f.view, *f.set, f.directory);
  EXPECT_EQ(f.view.image_no, 0);
  EXPECT_EQ(f.view.image_count, 0);
}

TEST(RefreshClamps, SequenceModeTakesTheImageFromTheTable) {
  ClampFixture f;
  f.view.sequence_mode = 1;
  f.view.face_direction = 1;
  f.view.animation_no = 5;  // pulled down to the last animation, whose first byte is FF
  f.view.sequence_no = 3;
  f.view.image_no = 8;
  apply_refresh_clamps(f.view, *f.set, f.directory);
  EXPECT_EQ(f.view.animation_no, 2);
  EXPECT_EQ(f.view.sequence_count, 0);
  EXPECT_EQ(f.view.sequence_no, 0);
  EXPECT_EQ(f.view.image_no, 0);

  f.view.animation_no = 1;
  f.view.sequence_no = 3;
  apply_refresh_clamps(f.view, *f.set, f.directory);
  EXPECT_EQ(f.view.sequence_count, 2);
  EXPECT_EQ(f.view.sequence_no, 1);
  EXPECT_EQ(f.view.image_no, 6);

  f.view.face_direction = 0;
  f.view.animation_no = 0;
  f.view.sequence_no = 2;
  apply_refresh_clamps(f.view, *f.set, f.directory);
  EXPECT_EQ(f.view.image_no, 0x42) << "used even though it is past the frame count";
  EXPECT_EQ(f.view.image_count, 10);
}

TEST(RefreshClamps, AnAnimationTableWithoutSequencesKeepsNumbersAtZero) {
  ClampFixture f;
  f.view.sequence_mode = 1;
  f.view.animation_table = 1;
  f.view.animation_no = 3;
  f.view.face_direction = 1;
  f.set->animation[1][1][0] = 5;  // the 8-byte table still holds two bytes per facing
  apply_refresh_clamps(f.view, *f.set, f.directory);
  EXPECT_EQ(f.view.animation_count, 0);
  EXPECT_EQ(f.view.animation_no, 0);
  EXPECT_EQ(f.view.sequence_count, 1);
  EXPECT_EQ(f.view.image_no, 5);
}

// ---- the Info texts of the four size types, on a ROM with known bytes ----

class InfoTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    image_.graphics_pointer(2, 0xC90000);
    image_.graphics_pointer(9, 0xC00000);  // an empty packed block (zero bytes)
    for (int p = 0; p < kPositionTypeCount; ++p) image_.position_pointer(p, 0xE30000 + 0x10 * p);
    // Position types 20..23 at DC:1000, 1400, 1800, 1C00 (0x400 bytes each), 24 at DC:2000.
    for (int i = 0; i < 5; ++i) image_.position_pointer(20 + i, 0xDC1000 + 0x400 * i);
    for (int i = 0; i < 0x1000; ++i) image_.byte(0xDC, 0x1000 + i, i & 0xFF);
    image_.animation_pointers(0, 6, 0x3000, 0x3040);
    image_.animation_pointers(1, 6, 0x3100, 0x3108);
    for (int s = 0; s < 4; ++s) image_.header(0x040 + s, s == 0 ? 2 : 9, 20 + s, 5, 6, s);
    image_.header(0x1A0, 9, 23, 0x1F, 6, 0x83);
    ASSERT_TRUE(image_.open(rom_));
    build_sprite_directory(rom_, directory_);
  }

  std::string info(int entry, int image_no) {
    view_.current_entry = entry;
    view_.sequence_mode = 0;
    view_.image_no = image_no;
    EXPECT_EQ(load_entry(rom_, directory_, *set_, entry, 0), 1);
    apply_refresh_clamps(view_, *set_, directory_);
    return build_info_text(view_, *set_, directory_);
  }

  // The bytes from..to (inclusive) of the position data, eight to a line, as the dump shows them.
  static std::string dump_of(int from, int to) {
    std::string text;
    char cell[8];
    for (int i = from; i <= to; ++i) {
      std::snprintf(cell, sizeof cell, "%02X ", i & 0xFF);
      text += cell;
      if ((i - from) % 8 == 7 && i != to) text += "\r\n";
    }
    return text + "\r\n";
  }

  SyntheticRom image_;
  RomImage rom_;
  SpriteDirectory directory_;
  std::unique_ptr<SpriteWorkingSet> set_ = std::make_unique<SpriteWorkingSet>();
  ViewState view_;
};

TEST_F(InfoTextTest, SizeTypeZeroWholeText) {
  EXPECT_EQ(info(0x040, 1),
            "Assembly=02(C90000:size=7740,realsize=7740)\r\n"
            "Position Type=14(DC1000:size=0400)\r\n"
            "Type of Size=00(# of Tiles=16, # of Sprites=4)\r\n"
            "Palette Type=05(E40078:size=18)\r\n"
            "Animation1=E43000(type=06,size=0040)\r\n"
            "Animation2=E43100(type=06,size=0008)\r\n"
            "Sprite Info=DC1028(ImageNo=01)\r\n"
            "28 29 2A 2B 2C 2D 2E 2F \r\n"
            "30 31 32 33 34 35 36 37 \r\n"
            "38 39 3A 3B 3C 3D 3E 3F \r\n"
            "40 41 42 43 44 45 46 47 \r\n"
            "48 49 4A 4B 4C 4D 4E 4F \r\n");
  EXPECT_EQ(build_tile_info_text(view_, *set_),
            "X=72 Y=73\r\n"
            "U Left TileNo=128 xflip=0 yflip=0\r\n"
            "U Right TileNo=32A xflip=0 yflip=0\r\n"
            "L Left TileNo=138 xflip=0 yflip=0\r\n"
            "L Right TileNo=33A xflip=0 yflip=0\r\n");
}

TEST_F(InfoTextTest, SizeTypeOneWholeText) {
  EXPECT_EQ(info(0x041, 0),
            "Assembly=09(C00000:size=0000,realsize=0003)\r\n"
            "Position Type=15(DC1400:size=0400)\r\n"
            "Type of Size=01(# of Tiles=32, # of Sprites=8)\r\n"
            "Palette Type=05(E40078:size=18)\r\n"
            "Animation1=E43000(type=06,size=0040)\r\n"
            "Animation2=E43100(type=06,size=0008)\r\n"
            "Sprite Info=DC1400(ImageNo=00)\r\n" +
                dump_of(0x00, 0x4F));
}

TEST_F(InfoTextTest, SizeTypeTwoWholeText) {
  const std::string text = info(0x042, 3);
  EXPECT_EQ(text,
            "Assembly=09(C00000:size=0000,realsize=0003)\r\n"
            "Position Type=16(DC1800:size=0400)\r\n"
            "Type of Size=02(# of Tiles=48, # of Sprites=12)\r\n"
            "Palette Type=05(E40078:size=18)\r\n"
            "Animation1=E43000(type=06,size=0040)\r\n"
            "Animation2=E43100(type=06,size=0008)\r\n"
            "Sprite Info=DC1968(ImageNo=03)\r\n" +
                dump_of(0x168, 0x1DF));
}

TEST_F(InfoTextTest, SizeTypeThreeWholeTextWithThirtyDumpLines) {
  const std::string text = info(0x043, 0);
  const std::string head =
      "Assembly=09(C00000:size=0000,realsize=0003)\r\n"
      "Position Type=17(DC1C00:size=0400)\r\n"
      "Type of Size=03(# of Tiles=96, # of Sprites=24)\r\n"
      "Palette Type=05(E40078:size=18)\r\n"
      "Animation1=E43000(type=06,size=0040)\r\n"
      "Animation2=E43100(type=06,size=0008)\r\n"
      "Sprite Info=DC1C00(ImageNo=00)\r\n";
  EXPECT_EQ(text, head + dump_of(0x00, 0xEF));
  size_t lines = 0;
  for (size_t at = head.size(); (at = text.find("\r\n", at)) != std::string::npos; at += 2) ++lines;
  EXPECT_EQ(lines, 30u);
  // The whole size_type byte is shown; only its low bits choose the layout.
  EXPECT_NE(info(0x1A0, 0).find("Type of Size=83(# of Tiles=96, # of Sprites=24)\r\n"),
            std::string::npos);
}

TEST_F(InfoTextTest, TileInfoOfABlockTheFrameDoesNotUse) {
  info(0x040, 0);
  view_.block_no = 9;  // size type 0 has 4 blocks: the slot is empty in the store
  EXPECT_EQ(build_tile_info_text(view_, *set_),
            "X=0 Y=0\r\n"
            "U Left TileNo=000 xflip=0 yflip=0\r\n"
            "U Right TileNo=000 xflip=0 yflip=0\r\n"
            "L Left TileNo=000 xflip=0 yflip=0\r\n"
            "L Right TileNo=000 xflip=0 yflip=0\r\n");
  set_->frames[0].tile[0][3] = 0xC7FF;
  set_->frames[0].x[0] = 0x80;
  set_->frames[0].y[0] = 0x7F;
  view_.block_no = 0;
  EXPECT_EQ(build_tile_info_text(view_, *set_),
            "X=-128 Y=127\r\n"
            "U Left TileNo=100 xflip=0 yflip=0\r\n"
            "U Right TileNo=302 xflip=0 yflip=0\r\n"
            "L Left TileNo=110 xflip=0 yflip=0\r\n"
            "L Right TileNo=7FF xflip=1 yflip=1\r\n");
}

TEST_F(InfoTextTest, AnUndecodableEntrySaysSo) {
  image_.bytes(0xD3, 0xE280, {0xFF, 0xFF, 0x00});
  image_.graphics_pointer(10, 0xD3E280);
  image_.header(0x050, 10, 21, 5, 6, 1);
  RomImage rom;
  ASSERT_TRUE(image_.open(rom));
  view_.current_entry = 0x050;
  view_.sequence_mode = 0;
  EXPECT_EQ(load_entry(rom, directory_, *set_, 0x050, 0), 0);
  apply_refresh_clamps(view_, *set_, directory_);
  const std::string text = build_info_text(view_, *set_, directory_);
  EXPECT_EQ(text.substr(0, text.find("Type of Size")),
            "Assembly=0A(D3E280:size=0000,realsize=0000)\r\n"
            "Graphics could not be decoded (packed block at D3E280)\r\n"
            "Position Type=15(DC1400:size=0400)\r\n");
  EXPECT_NE(text.find("00 00 00 00 00 00 00 00 \r\n"), std::string::npos)
      << "no position data of another entry";
}

}  // namespace
}  // namespace vcv
