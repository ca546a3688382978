#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#ifndef _WIN32
#include <sys/stat.h>
#endif
#include <filesystem>
#include <fstream>
#include <iterator>
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

std::vector<uint8_t> read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
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
  // 7 lines, 30 dump lines, 5 Tile Info lines, and the ranges.
  EXPECT_EQ(std::count(info.out.begin(), info.out.end(), '\n'), 43);
  EXPECT_NE(info.out.find("\nImages=06 Animations=02 Sequence steps=4\n"), std::string::npos)
      << info.out;
}

// A copier header in front of the image is skipped by every command, as by the window.
TEST_F(CliSpriteTest, ACopierHeaderChangesNoTextAndNoPicture) {
  const std::string headed = file("headed.smc");
  {
    const std::vector<uint8_t> bytes = read_file(*rom_);
    std::vector<uint8_t> with_header(512, 0);
    with_header.insert(with_header.end(), bytes.begin(), bytes.end());
    write_file(headed, with_header);
  }
  const std::vector<std::string> info = {"--entry", "0x00C", "--image", "3", "--block", "2"};
  std::vector<std::string> plain_args = {"info", *rom_}, headed_args = {"info", headed};
  plain_args.insert(plain_args.end(), info.begin(), info.end());
  headed_args.insert(headed_args.end(), info.begin(), info.end());
  const CliResult plain = run(plain_args), with_header = run(headed_args);
  ASSERT_EQ(with_header.code, 0) << with_header.err;
  EXPECT_EQ(with_header.out, plain.out);
  for (const char* what : {"--sheet", "--frame"}) {
    std::vector<std::string> args = {"export", "", "--entry", "0xC", what};
    if (std::string(what) == "--frame") args.push_back("2");
    args.insert(args.end(), {"-o", ""});
    args[1] = *rom_;
    args.back() = file("plain.bmp");
    ASSERT_EQ(run(args).code, 0);
    args[1] = headed;
    args.back() = file("headed.bmp");
    ASSERT_EQ(run(args).code, 0);
    EXPECT_EQ(read_file(file("plain.bmp")), read_file(file("headed.bmp"))) << what;
  }
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

  RomFile file;
  ASSERT_TRUE(file.open(*rom_, kMappingHiRom, 0).ok());
  const RomImage& rom = file.image();
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
    const CliResult r = run({"export", *rom_, "--entry", hex("%X", c.entry), "--sheet", "-o", out});
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
  const CliResult gif = run({"export", *rom_, "--entry", "1", "--sheet", "-o", file("x.gif")});
  EXPECT_EQ(gif.code, 2) << "a GIF name would get other bytes";
  EXPECT_FALSE(std::filesystem::exists(file("x.gif")));
  // A frame past the entry's frames is refused with the range (entry 00C has frames 00..05).
  const CliResult past = run({"export", *rom_, "--entry", "0xC", "--frame", "6", "-o", file("z.bmp")});
  EXPECT_EQ(past.code, 1);
  EXPECT_NE(past.err.find("frames 00 to 05"), std::string::npos) << past.err;
  EXPECT_FALSE(std::filesystem::exists(file("z.bmp")));
  // An output that is no plain file is refused and left as it was.
  std::filesystem::create_directories(file("folder.png"));
  EXPECT_EQ(run({"export", *rom_, "--entry", "1", "--sheet", "-o", file("folder.png")}).code, 1);
  EXPECT_TRUE(std::filesystem::is_directory(file("folder.png")));
#ifndef _WIN32
  ASSERT_EQ(mkfifo(file("pipe.bmp").c_str(), 0600), 0);
  EXPECT_EQ(run({"export", *rom_, "--entry", "1", "--sheet", "-o", file("pipe.bmp")}).code, 1);
  EXPECT_TRUE(std::filesystem::is_fifo(file("pipe.bmp")));
#endif
  const CliResult broken =
      run({"export", *rom_, "--entry", hex("%X", DemoRomFacts::kEntryUndecodable), "--sheet", "-o",
           file("y.bmp")});
  EXPECT_EQ(broken.code, 1);
  EXPECT_NE(broken.err.find("could not be decoded"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(file("y.bmp")));
}

}  // namespace
}  // namespace vcv
