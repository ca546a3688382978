#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "edit/scan_number.h"
#include "edit/tile_info_parse.h"
#include "sprite/frames.h"

namespace vcv {
namespace {

// The text exactly as the refresh writes it for block `b`.
std::string tile_info_text(const Frame& frame, int b) {
  char text[512];
  int n = std::snprintf(text, sizeof text, "X=%d Y=%d\r\n", byte_to_signed(frame.x[b]),
                        byte_to_signed(frame.y[b]));
  const char* labels[4] = {"U Left", "U Right", "L Left", "L Right"};
  for (int q = 0; q < 4; ++q) {
    const int e = frame.tile[b][q];
    n += std::snprintf(text + n, sizeof text - static_cast<size_t>(n),
                       "%s TileNo=%03X xflip=%d yflip=%d\r\n", labels[q], e & 0x7FF,
                       (e >> 14) & 1, (e >> 15) & 1);
  }
  return text;
}

Frame sample_frame() {
  Frame f;
  f.block_count = 4;
  for (int b = 0; b < 4; ++b) {
    f.x[b] = static_cast<uint8_t>(0xF0 + b);
    f.y[b] = static_cast<uint8_t>(0x10 + b);
    for (int q = 0; q < 4; ++q) f.tile[b][q] = static_cast<uint16_t>(0x4000 * q + 0x0800 + b * 4 + q);
  }
  return f;
}

TEST(TileInfoText, TheRefreshTextGivesTheBlockBackUnchanged) {
  Frame frame = sample_frame();
  frame.tile[2][1] = 0xF9A5;  // both flips and bits 11-13 set: the text cannot show 11-13
  const Frame before = frame;
  EXPECT_EQ(apply_tile_info_text(tile_info_text(frame, 2), frame, 2), 5);
  EXPECT_EQ(frame.x[2], before.x[2]);
  EXPECT_EQ(frame.y[2], before.y[2]);
  for (int b = 0; b < 4; ++b)
    for (int q = 0; q < 4; ++q) EXPECT_EQ(frame.tile[b][q], before.tile[b][q]) << b << q;
}

TEST(TileInfoText, ValuesClampAndFlipsMustBeExactlyOne) {
  Frame frame = sample_frame();
  apply_tile_info_text("X=200 Y=-300\r\nU Left TileNo=FFF xflip=2 yflip=1\r\n", frame, 0);
  EXPECT_EQ(frame.x[0], 127);
  EXPECT_EQ(frame.y[0], 128);
  EXPECT_EQ(frame.tile[0][0], 0x8FFF);  // bit 11 of the entry stays
  apply_tile_info_text("X=-1 Y=99999999999999\nL Right TileNo=-1 xflip=1 yflip=0", frame, 0);
  EXPECT_EQ(frame.x[0], 255);
  EXPECT_EQ(frame.y[0], 127);
  EXPECT_EQ(frame.tile[0][3], 0x4FFF);
}

TEST(TileInfoText, MatchingFollowsFormattedInput) {
  struct Case {
    const char* line;
    bool applies;
    uint16_t entry;  // upper-right entry afterwards when applied (it keeps its bit 11)
  };
  const Case cases[] = {
      {"U Right TileNo=12 xflip=0 yflip=0", true, 0x812},
      {"URight TileNo=12 xflip=0 yflip=0", true, 0x812},       // a blank matches no space too
      {"U \t Right   TileNo= 0x1A xflip=1 yflip=1", true, 0xC81A},
      {" U Right TileNo=12 xflip=0 yflip=0", false, 0},        // the label must start the line
      {"U Right TileNo=12 xflip=0", false, 0},                 // a conversion is missing
      {"U Right TileNo=G2 xflip=0 yflip=0", false, 0},
      {"U Right TileNo=12 xflip=0 yflip=1 trailing words", true, 0x8812},
      {"u right TileNo=12 xflip=0 yflip=0", false, 0},
      {"右上 TileNo=7 xflip=1 yflip=0", true, 0x4807},
      {"右上TileNo=7 xflip=0 yflip=0", true, 0x0807},
  };
  for (const Case& c : cases) {
    Frame frame = sample_frame();
    const uint16_t before = frame.tile[1][1];
    EXPECT_EQ(apply_tile_info_text(c.line, frame, 1), c.applies ? 1 : 0) << c.line;
    EXPECT_EQ(frame.tile[1][1], c.applies ? c.entry : before) << c.line;
  }
  Frame frame = sample_frame();
  apply_tile_info_text("左上 TileNo=1 xflip=0 yflip=0\n右上 TileNo=2 xflip=0 yflip=0\n"
                       "左下 TileNo=3 xflip=0 yflip=0\n右下 TileNo=4 xflip=0 yflip=0\n",
                       frame, 3);
  for (int q = 0; q < 4; ++q) EXPECT_EQ(frame.tile[3][q], 0x800 + q + 1);
  // "X=5" alone: the second conversion fails, so the line does not apply.
  EXPECT_EQ(apply_tile_info_text("X=5\nX=5 Q=3", frame, 3), 0);
  EXPECT_EQ(frame.x[3], 0xF3);
}

TEST(TileInfoText, LaterLinesOverrideAndOnlyTenLinesCount) {
  Frame frame = sample_frame();
  apply_tile_info_text("X=1 Y=1\nX=2 Y=3\n", frame, 0);
  EXPECT_EQ(frame.x[0], 2);
  EXPECT_EQ(frame.y[0], 3);

  std::string text;
  for (int i = 1; i <= 10; ++i) text += "X=" + std::to_string(i) + " Y=0\n";
  text += "X=11 Y=0\n";
  EXPECT_EQ(apply_tile_info_text(text, frame, 0), 10);
  EXPECT_EQ(frame.x[0], 10);
  // The tenth line is counted even without a line feed after it.
  std::string nine(9, '\n');
  apply_tile_info_text(nine + "X=33 Y=0", frame, 0);
  EXPECT_EQ(frame.x[0], 33);
}

TEST(TileInfoText, OnlyTheFirst1279CharactersCount) {
  Frame frame = sample_frame();
  // Japanese characters count once each although they take three bytes.
  std::string filler;
  for (int i = 0; i < 1279 - 9; ++i) filler += (i % 2) ? "あ" : " ";
  filler += "\n";  // 1271 characters so far
  EXPECT_EQ(apply_tile_info_text(filler + "X=12 Y=34", frame, 0), 1);
  EXPECT_EQ(frame.x[0], 12);
  EXPECT_EQ(frame.y[0], 3);  // "Y=34" is cut after the 1279th character
  EXPECT_EQ(apply_tile_info_text(filler + "X=12 Y", frame, 1), 0);
}

TEST(TileInfoText, BlocksOutsideTheStoreChangeNothing) {
  Frame frame = sample_frame();
  const Frame before = frame;
  EXPECT_EQ(apply_tile_info_text("X=1 Y=1", frame, kMaxBlocksPerFrame), 0);
  EXPECT_EQ(apply_tile_info_text("X=1 Y=1", frame, -1), 0);
  EXPECT_EQ(0, std::memcmp(&frame, &before, sizeof frame));
  // A block beyond the frame's count but inside the store takes the values (they stay unused).
  EXPECT_EQ(apply_tile_info_text("X=1 Y=1", frame, 30), 1);
  EXPECT_EQ(frame.x[30], 1);
}

TEST(HexField, ReadsLikeFormattedInput) {
  struct Case {
    const char* text;
    bool ok;
    uint32_t value;
  };
  const Case cases[] = {
      {"C01100", true, 0xC01100},   {"001100", true, 0x1100},    {"  c0ffee", true, 0xC0FFEE},
      {"0x1F", true, 0x1F},         {"0X1fz", true, 0x1F},       {"+10", true, 0x10},
      {"-10", true, 0xFFFFFFF0},    {"12G4", true, 0x12},        {"0x", true, 0},
      {"0xG", true, 0},             {"123456789", true, 0x23456789},
      {"", false, 0},               {"G12", false, 0},           {"   ", false, 0},
      {"-", false, 0},              {"x12", false, 0},
  };
  for (const Case& c : cases) {
    uint32_t value = 0xDEADBEEF;
    EXPECT_EQ(parse_hex_field(c.text, &value), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
}

}  // namespace
}  // namespace vcv
