#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "demo/demo_rom.h"
#include "image/dib_build.h"
#include "rom/rom_file.h"
#include "sprite/directory.h"
#include "sprite/frames.h"
#include "cli_test_support.h"

namespace vcv {
namespace {

using demo::DemoRomFacts;

using CliResult = cli_test::CliRun;

CliResult run(const std::vector<std::string>& args) { return cli_test::run_captured(args); }

class CliSpriteTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new std::filesystem::path(std::filesystem::temp_directory_path() / "vcv_cli_sprite");
    std::filesystem::create_directories(*dir_);
    rom_ = new std::string((*dir_ / "demo.sfc").string());
    const CliResult made = run({"demo-rom", *rom_});
    ASSERT_EQ(made.code, 0) << made.err;
  }
  static void TearDownTestSuite() {
    std::error_code ignored;
    std::filesystem::remove_all(*dir_, ignored);
    delete dir_;
    delete rom_;
  }
  static std::string file(const std::string& name) { return (*dir_ / name).string(); }

  static std::filesystem::path* dir_;
  static std::string* rom_;
};

std::filesystem::path* CliSpriteTest::dir_ = nullptr;
std::string* CliSpriteTest::rom_ = nullptr;

std::string hex(const char* format, int value) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

TEST_F(CliSpriteTest, InfoPrintsBothTextsWithTheViewStateApplied) {
  const CliResult r = run({*rom_, "--entry", "0x00C"});
  EXPECT_EQ(r.code, 2) << "the command name comes first";
  const CliResult info =
      run({"info", *rom_, "--entry", "0x00C", "--image", "0x40", "--block", "5"});
  ASSERT_EQ(info.code, 0) << info.err;
  EXPECT_EQ(info.out.find("\r"), std::string::npos);
  EXPECT_EQ(info.out.rfind("Assembly=", 0), 0u);
  EXPECT_NE(info.out.find("Type of Size=03(# of Tiles=96, # of Sprites=24)\n"), std::string::npos);
  EXPECT_NE(info.out.find("(ImageNo=05)\n"), std::string::npos) << "image 0x40 clamped to the last";
  const size_t tile_info = info.out.find("X=");
  ASSERT_NE(tile_info, std::string::npos);
  EXPECT_NE(info.out.find("\nU Left TileNo=", tile_info), std::string::npos);
  EXPECT_NE(info.out.find("\nL Right TileNo=", tile_info), std::string::npos);
  // 7 lines, 30 dump lines, 5 Tile Info lines.
  EXPECT_EQ(std::count(info.out.begin(), info.out.end(), '\n'), 42);
}

TEST_F(CliSpriteTest, InfoInSequenceModeTakesTheImageFromTheAnimation) {
  // Walk of facing Left (2): images 6, 7, 6, 8; step 3 is image 8.
  const CliResult info = run({"info", *rom_, "--entry", "1", "--mode", "sequence", "--anim", "0",
                              "--face", "2", "--seq", "3"});
  ASSERT_EQ(info.code, 0) << info.err;
  EXPECT_NE(info.out.find("(ImageNo=08)\n"), std::string::npos) << info.out;
  const CliResult empty = run({"info", *rom_, "--entry", "1", "--mode", "sequence", "--anim", "4"});
  EXPECT_NE(empty.out.find("(ImageNo=00)\n"), std::string::npos)
      << "an empty animation shows frame 0";
}

TEST_F(CliSpriteTest, InfoOfTheUndecodableEntry) {
  const CliResult info =
      run({"info", *rom_, "--entry", hex("0x%X", DemoRomFacts::kEntryUndecodable)});
  ASSERT_EQ(info.code, 0) << info.err;
  EXPECT_NE(info.out.find("\nGraphics could not be decoded (packed block at D3"), std::string::npos)
      << info.out;
  EXPECT_NE(info.out.find(":size=0000,realsize=0000)"), std::string::npos);
}

TEST_F(CliSpriteTest, InfoRefusesBadArguments) {
  EXPECT_EQ(run({"info", *rom_}).code, 2);
  EXPECT_EQ(run({"info", *rom_, "--entry", "0x1FC"}).code, 2);
  EXPECT_EQ(run({"info", *rom_, "--entry", "1", "--face", "4"}).code, 2);
  EXPECT_EQ(run({"info", *rom_, "--entry", "1", "--mode", "movie"}).code, 2);
  EXPECT_EQ(run({"info", *rom_, "--entry", "1", "--weapon-palette", "32"}).code, 2);
  EXPECT_EQ(run({"info", *rom_, "--entry", "1", "--bogus"}).code, 2);
  const CliResult missing = run({"info", file("nothing-here.sfc"), "--entry", "1"});
  EXPECT_EQ(missing.code, 1);
  EXPECT_NE(missing.err.find("cannot open"), std::string::npos);
}

uint32_t u32_at(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

std::vector<uint8_t> read_bytes(const std::string& path) {
  std::vector<uint8_t> bytes(static_cast<size_t>(std::filesystem::file_size(path)));
  std::FILE* f = std::fopen(path.c_str(), "rb");
  EXPECT_EQ(std::fread(bytes.data(), 1, bytes.size(), f), bytes.size());
  std::fclose(f);
  return bytes;
}

TEST_F(CliSpriteTest, ExportFrameAsBmpHoldsTheRenderedCanvas) {
  const std::string out = file("frame.bmp");
  const CliResult r = run({"export", *rom_, "--entry", "0xC", "--frame", "2", "-o", out});
  ASSERT_EQ(r.code, 0) << r.err;
  const std::vector<uint8_t> bytes = read_bytes(out);
  ASSERT_EQ(bytes.size(), 14u + 40u + 64u + 192u * 192u);

  RomFile rom;
  ASSERT_EQ(rom.open(rom_->c_str(), kMappingHiRom, 0), 1);
  SpriteDirectory directory;
  build_sprite_directory(rom, directory);
  auto set = std::make_unique<SpriteWorkingSet>();
  ASSERT_EQ(load_entry(rom, directory, *set, 0xC, 0), 1);
  std::vector<uint8_t> canvas(192 * 192, 0);
  uint32_t palette[16];
  render_frame(*set, 2, 192, 192, canvas.data(), palette);
  const std::vector<uint8_t> dib = build_dib(canvas.data(), 192, 192, 16, palette);
  EXPECT_TRUE(std::equal(dib.begin(), dib.end(), bytes.begin() + 14));
  int drawn = 0;
  for (uint8_t v : canvas) drawn += v != 0;
  EXPECT_GT(drawn, 1000) << "a giant fills much of the canvas";
}

TEST_F(CliSpriteTest, ExportSheetTakesTheRowsThatHoldTiles) {
  const struct {
    int entry, height;
  } cases[] = {{0x000, 8 * ((0x7BC0 + 511) / 512)},
               {DemoRomFacts::kEntryLongGiant, 640},
               {DemoRomFacts::kEntrySize0, 64}};
  for (const auto& c : cases) {
    const std::string out = file("sheet.bmp");
    const CliResult r = run({"export", *rom_, "--entry", hex("%d", c.entry), "--sheet", "-o", out});
    ASSERT_EQ(r.code, 0) << r.err;
    const std::vector<uint8_t> bytes = read_bytes(out);
    EXPECT_EQ(u32_at(bytes, 18), 128u);
    EXPECT_EQ(u32_at(bytes, 22), static_cast<uint32_t>(c.height)) << c.entry;
  }
}

TEST_F(CliSpriteTest, ExportRefusesWhatItCannotDo) {
  EXPECT_EQ(run({"export", *rom_, "--entry", "1", "-o", file("x.bmp")}).code, 2)
      << "no --frame or --sheet";
  EXPECT_EQ(
      run({"export", *rom_, "--entry", "1", "--sheet", "--frame", "0", "-o", file("x.bmp")}).code,
      2);
  EXPECT_EQ(run({"export", *rom_, "--entry", "1", "--sheet"}).code, 2);
  const CliResult broken =
      run({"export", *rom_, "--entry", hex("%d", DemoRomFacts::kEntryUndecodable), "--sheet", "-o",
           file("y.bmp")});
  EXPECT_EQ(broken.code, 1);
  EXPECT_NE(broken.err.find("could not be decoded"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(file("y.bmp")));
}

}  // namespace
}  // namespace vcv
