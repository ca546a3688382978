// vantorchar verify and map on the demo ROM and on damaged copies of it, and export --anim's
// GIF as ImageMagick reads it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/map_picture.h"
#include "cli_test_support.h"
#include "image/picture_read.h"
#include "image/png_build.h"
#include "rom/rom_image.h"
#include "sprite/directory.h"
#include "sprite/region_map.h"
#include "sprite/rom_check.h"
#include "temp_folder.h"
#include "write_test_support.h"

namespace vcv {
namespace {

using cli_test::CliRun;
using testing_support::file_pos;
using testing_support::TempFolder;

CliRun run(const std::vector<std::string>& args) { return cli_test::run_captured(args); }

std::vector<uint8_t> demo() { return testing_support::demo_rom_bytes(); }

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

RomCheckReport check(const std::vector<uint8_t>& bytes, bool reencode = false) {
  const RomImage image(bytes, kMappingHiRom, 0);
  SpriteDirectory directory;
  build_sprite_directory(image, directory);
  return check_rom(image, directory, reencode);
}

constexpr char kPlantedProblem[] =
    "graphics 27 at D3:E898 (entry 1F0): the packed block does not decode";
constexpr char kPlantedAnimationProblem[] =
    "Animation 1 data of type 01 at E4:2A50 (entries 008, 00B, 00E and 246 more): animation 03 "
    "facing 0 step 1 names image 30, past the 9 to A frames of their position types";

TEST(Verify, TheDemoRomHasOnlyItsPlantedFaultsAndTheCleanOneNone) {
  TempFolder folder("verify");
  const std::string rom = folder.path("demo.sfc");
  folder.write("demo.sfc", demo());
  const CliRun verified = run({"verify", rom});
  EXPECT_EQ(verified.code, 1);
  const std::vector<std::string> lines = lines_of(verified.out);
  ASSERT_EQ(lines.size(), 4u) << verified.out;
  EXPECT_EQ(lines[0], kPlantedProblem);
  EXPECT_EQ(lines[1], kPlantedAnimationProblem);
  EXPECT_EQ(lines[2], "2 problems found");
  EXPECT_EQ(lines[3].rfind("note: this is the demo ROM; it carries two faults on purpose", 0), 0u)
      << lines[3];
  // The README's example starts from a clean demo ROM: nothing to report.
  ASSERT_EQ(run({"demo-rom", "--clean", folder.path("clean.sfc")}).code, 0);
  const CliRun clean = run({"verify", folder.path("clean.sfc")});
  EXPECT_EQ(clean.code, 0);
  EXPECT_EQ(clean.out, "no problems found\n");
  // Re-encoding: every packed block the entries name comes back byte for byte.
  const CliRun reencoded = run({"verify", rom, "--reencode"});
  EXPECT_EQ(reencoded.code, 1);
  EXPECT_NE(reencoded.out.find("re-encoded 31 packed blocks with the game's encoder: 31 identical\n"),
            std::string::npos)
      << reencoded.out;
}

// A copy of the demo ROM with one thing damaged, and the problem verify must report for it.
struct Damage {
  const char* what;
  void (*apply)(std::vector<uint8_t>& rom, const demo::DemoRomLayout& layout);
  const char* expected;  // one of the reported lines starts with this
};

void graphics_pointer_past_the_file(std::vector<uint8_t>& rom, const demo::DemoRomLayout&) {
  rom[file_pos(kTableBank, kGraphicsPointerTable + 3 * 0x13 + 2)] = 0x50;  // bank 50: 5 MiB in
}

void undecodable_block(std::vector<uint8_t>& rom, const demo::DemoRomLayout& layout) {
  const int32_t at = layout.graphics_address[0x21];
  rom[file_pos(at >> 16, at & 0xFFFF)] = 0xFF;  // the header word points past the block
  rom[file_pos(at >> 16, (at & 0xFFFF) + 1)] = 0xFF;
}

void animation_over_the_tables(std::vector<uint8_t>& rom, const demo::DemoRomLayout&) {
  const size_t at = file_pos(kTableBank, kAnimationPointerTable[0] + 2 * 2);  // type 2
  rom[at] = 0x00;
  rom[at + 1] = 0x17;  // E4:1700, inside the palette table
}

void block_past_its_region(std::vector<uint8_t>& rom, const demo::DemoRomLayout& layout) {
  // The last block of the nearly full region moved to the region's last bytes.
  const int32_t from = layout.graphics_address[0x16];
  const int size = layout.graphics_packed_size[0x16];
  const int to = 0x10000 - size + 16;
  std::vector<uint8_t> block(rom.begin() + file_pos(from >> 16, from & 0xFFFF),
                             rom.begin() + file_pos(from >> 16, from & 0xFFFF) + size);
  std::copy(block.begin(), block.end(), rom.begin() + file_pos(0xD2, to));
  rom[file_pos(kTableBank, kGraphicsPointerTable + 3 * 0x16)] = static_cast<uint8_t>(to);
  rom[file_pos(kTableBank, kGraphicsPointerTable + 3 * 0x16 + 1)] = static_cast<uint8_t>(to >> 8);
}

void negative_animation_size(std::vector<uint8_t>& rom, const demo::DemoRomLayout&) {
  const size_t at = file_pos(kTableBank, kAnimationPointerTable[1] + 2 * 3);  // type 3, table 2
  rom[at] = 0xFF;
  rom[at + 1] = 0x7F;
}

TEST(Verify, EachDamageIsReported) {
  demo::DemoRomLayout layout;
  testing_support::demo_rom_bytes(&layout);
  const Damage cases[] = {
      {"pointer past the file", graphics_pointer_past_the_file,
       "graphics 13 at 50:EE80 (entr"},
      {"undecodable block", undecodable_block, "graphics 21 at D6:2B52 (entr"},
      {"overlapping blocks", animation_over_the_tables,
       "the palette table overlaps Animation 1 data of type 02 at E41700"},
      {"block past its region", block_past_its_region, "graphics 16 at D2:FBC7 (entr"},
      {"negative animation size", negative_animation_size, "Animation 2 data of type 03 at E4:7FFF"},
  };
  for (const Damage& c : cases) {
    std::vector<uint8_t> rom = demo();
    c.apply(rom, layout);
    const RomCheckReport report = check(rom);
    const auto found = std::find_if(report.problems.begin(), report.problems.end(),
                                    [&](const std::string& line) {
                                      return line.rfind(c.expected, 0) == 0;
                                    });
    EXPECT_NE(found, report.problems.end()) << c.what << "; reported:\n"
                                            << ::testing::PrintToString(report.problems);
    EXPECT_NE(std::find(report.problems.begin(), report.problems.end(), kPlantedProblem),
              report.problems.end())
        << c.what << ": the planted problem is still reported";
  }
}

TEST(Verify, TheReportedReasonsNameWhatIsWrong) {
  demo::DemoRomLayout layout;
  testing_support::demo_rom_bytes(&layout);
  std::vector<uint8_t> rom = demo();
  graphics_pointer_past_the_file(rom, layout);
  undecodable_block(rom, layout);
  negative_animation_size(rom, layout);
  const std::vector<std::string> problems = check(rom).problems;
  auto has = [&](const std::string& end) {
    return std::any_of(problems.begin(), problems.end(), [&](const std::string& line) {
      return line.size() >= end.size() && line.compare(line.size() - end.size(), end.size(), end) == 0;
    });
  };
  EXPECT_TRUE(has(": the pointer lies outside the file (4194304 bytes)"));
  EXPECT_TRUE(has(": the packed block does not decode"));
  EXPECT_TRUE(has("so its size is negative"));
}

TEST(Verify, ABlockNotEncodedByTheGameIsListedWithBothSizes) {
  // Graphics 21 stored by the optimal encoder: it decodes, but is not the game encoder's block.
  demo::DemoRomLayout layout;
  std::vector<uint8_t> rom = testing_support::demo_rom_bytes(&layout);
  TempFolder folder("verify-optimal");
  folder.write("demo.sfc", rom);
  const std::string dump = folder.path("dump");
  ASSERT_EQ(run({"dump", folder.path("demo.sfc"), dump}).code, 0);
  Picture picture;
  std::string error;
  ASSERT_TRUE(read_picture_file(dump + "/graphics/021.png", &picture, &error));
  picture.indices[5] = picture.indices[5] == 1 ? 2 : 1;
  const std::vector<uint8_t> png =
      build_png(picture.indices.data(), picture.width, picture.height, 16, picture.colours);
  testing_support::write_all(dump + "/graphics/021.png", png);
  ASSERT_EQ(run({"apply", folder.path("demo.sfc"), dump, "--pack", "optimal", "--yes"}).code, 0);
  const CliRun verified = run({"verify", folder.path("demo.sfc"), "--reencode"});
  EXPECT_NE(verified.out.find("re-encoded 31 packed blocks with the game's encoder: 30 identical\n"
                              "  graphics 21 at D6:2B52: stored "),
            std::string::npos)
      << verified.out;
  const RomCheckReport report = check(testing_support::read_all(folder.path("demo.sfc")), true);
  EXPECT_EQ(report.identical_count(), 30);
  for (const ReencodedBlock& block : report.blocks) {
    if (block.identical) continue;
    EXPECT_EQ(block.graphics, std::vector<int>{0x21});
    EXPECT_LE(block.stored_size, block.reencoded_size);
  }
}

TEST(Map, FreeBytesMatchTheDemoLayout) {
  demo::DemoRomLayout layout;
  const RomImage image(testing_support::demo_rom_bytes(&layout), kMappingHiRom, 0);
  const std::vector<RegionMap> maps = map_bank_regions(image, true);
  ASSERT_EQ(maps.size(), 12u);
  for (const RegionMap& map : maps) {
    SCOPED_TRACE(region_text(map.region));
    if (map.region.bank == demo::DemoRomFacts::kNearlyFullBank) {
      EXPECT_EQ(map.free_now, layout.nearly_full_free);
      EXPECT_EQ(map.free_after_repack, layout.nearly_full_free);  // blocks are the encoder's own
      EXPECT_EQ(map.blocks.size(), 4u);
    } else if (map.region.bank == demo::DemoRomFacts::kRoomyBank) {
      EXPECT_EQ(map.free_now, layout.roomy_free);
      EXPECT_EQ(map.free_after_repack, layout.roomy_free);
    } else if (map.region.bank == demo::DemoRomFacts::kUndecodableBank) {
      EXPECT_FALSE(map.repackable);
      EXPECT_EQ(map.not_repackable_reason, "graphics 27 does not decode");
      EXPECT_EQ(map.free_now, 0x10000 - ((layout.undecodable_address & 0xFFFF) + 1));
    }
    if (map.repackable) {
      EXPECT_EQ(map.free_now, map.free_after_repack);
    }
    int taken = 0;
    for (const RegionBlock& block : map.blocks) {
      const int g = block.graphics.front();
      EXPECT_EQ(map.region.bank, (layout.graphics_address[g] >> 16) & 0xFF);
      EXPECT_EQ(block.offset, layout.graphics_address[g] & 0xFFFF);
      if (g != demo::DemoRomFacts::kUndecodableGraphics) {
        EXPECT_EQ(block.packed_size, layout.graphics_packed_size[g]);
      }
      taken += std::max(block.packed_size, 1);
    }
    EXPECT_EQ(map.region.end - map.region.first - taken, map.free_now) << "blocks lie back to back";
  }
}

TEST(Map, TheTextAndThePictureShowTheRegions) {
  demo::DemoRomLayout layout;
  TempFolder folder("map");
  folder.write("demo.sfc", testing_support::demo_rom_bytes(&layout));
  // A picture is written as PNG only, under a name that says so.
  const CliRun jpeg = run({"map", folder.path("demo.sfc"), "--png", folder.path("map.jpg")});
  EXPECT_EQ(jpeg.code, cli::kExitUsage);
  EXPECT_NE(jpeg.err.find("OUT must end in .png, not '"), std::string::npos) << jpeg.err;
  EXPECT_FALSE(std::filesystem::exists(folder.at("map.jpg")));
  const CliRun mapped = run({"map", folder.path("demo.sfc"), "--png", folder.path("map.png")});
  ASSERT_EQ(mapped.code, 0) << mapped.err;
  const std::vector<std::string> lines = lines_of(mapped.out);
  char first[160];
  std::snprintf(first, sizeof first,
                "region D2:EE80-FFFF (4480 bytes): 4 blocks, %d bytes free now, %d after a repack",
                layout.nearly_full_free, layout.nearly_full_free);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], first);
  char block[80];
  std::snprintf(block, sizeof block, "  D7:0000  %5d bytes  graphics 08, 26",
                layout.graphics_packed_size[8]);
  EXPECT_NE(std::find(lines.begin(), lines.end(), block), lines.end()) << mapped.out;
  EXPECT_NE(std::find(lines.begin(), lines.end(), "  D3:E898  does not decode  graphics 27"),
            lines.end());
  Picture picture;
  std::string error;
  ASSERT_TRUE(read_picture_file(folder.path("map.png"), &picture, &error)) << error;
  using L = cli::MapPictureLayout;
  EXPECT_EQ(picture.width, L::kBarLeft + 1024 + L::kMargin);
  EXPECT_EQ(picture.height, L::bar_top(12) + L::kLegendHeight + L::kMargin);
  auto colour_at = [&](int x, int y) {
    return picture.colours[picture.indices[static_cast<size_t>(y) * picture.width + x]];
  };
  // The roomy region's bar: its first block's colour at the start, grey free space at the end.
  const int row = L::bar_top(4) + 1;
  EXPECT_EQ(colour_at(L::kBarLeft + 1000, row), L::kFreeColour);
  EXPECT_NE(colour_at(L::kBarLeft + 10, row), L::kFreeColour);
  // Every bar has its region's name at its left.
  for (int region = 0; region < 12; ++region) {
    int text = 0;
    for (int y = L::bar_top(region); y < L::bar_top(region) + L::kBarHeight; ++y)
      for (int x = 0; x < L::kBarLeft; ++x) text += colour_at(x, y) == L::kTextColour;
    EXPECT_GT(text, 40) << "region " << region;
  }
  // The undecodable block (region D3, the second bar) is drawn red over its width, not as free.
  const int broken = L::kBarLeft + (layout.undecodable_address & 0xFFFF) / L::kBytesPerPixel;
  int red = 0;
  for (int x = broken; x < broken + L::kBrokenWidth; ++x) {
    EXPECT_NE(colour_at(x, L::bar_top(1) + 1), L::kFreeColour) << x;
    red += colour_at(x, L::bar_top(1) + 1) == L::kBrokenColour;
  }
  EXPECT_GE(red, L::kBrokenWidth / 2);
}

// An animated GIF as ImageMagick reads it: the frame count, size and delay.
TEST(ExportAnimation, ImageMagickReadsTheFramesSizeAndDelay) {
  if (!cli_test::have_program("identify")) {
    GTEST_SKIP() << "ImageMagick's identify is not installed";
  }
  TempFolder folder("gif");
  folder.write("demo.sfc", demo());
  const std::string rom = folder.path("demo.sfc");
  // Entry 007 walks down (facing 1) through images 00, 01, 00, 02.
  std::vector<int> left, top, right, bottom;
  for (int image : {0, 1, 2}) {
    const std::string png = folder.path("frame" + std::to_string(image) + ".png");
    ASSERT_EQ(run({"export", rom, "--entry", "7", "--frame", std::to_string(image), "-o", png}).code, 0);
    Picture picture;
    std::string error;
    ASSERT_TRUE(read_picture_file(png, &picture, &error));
    int l = 192, t = 192, r = -1, b = -1;
    for (int y = 0; y < 192; ++y) {
      for (int x = 0; x < 192; ++x) {
        if (picture.indices[static_cast<size_t>(y) * 192 + x] == 0) continue;
        l = std::min(l, x), t = std::min(t, y), r = std::max(r, x), b = std::max(b, y);
      }
    }
    left.push_back(l), top.push_back(t), right.push_back(r), bottom.push_back(b);
  }
  const int width = *std::max_element(right.begin(), right.end()) -
                    *std::min_element(left.begin(), left.end()) + 1 + 2 * 4;
  const int height = *std::max_element(bottom.begin(), bottom.end()) -
                     *std::min_element(top.begin(), top.end()) + 1 + 2 * 4;
  struct Case {
    std::vector<std::string> options;
    std::string expected;  // identify: "width height delay;" per frame
  };
  const std::string size = std::to_string(width) + " " + std::to_string(height);
  const Case cases[] = {
      {{"--face", "1"}, size + " 15;" + size + " 15;" + size + " 15;" + size + " 15;"},
      {{"--face", "1", "--delay", "80"}, size + " 8;" + size + " 8;" + size + " 8;" + size + " 8;"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"export", rom, "--entry", "7", "--anim", "0", "-o",
                                     folder.path("walk.gif")};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const CliRun exported = run(args);
    ASSERT_EQ(exported.code, 0) << exported.err;
    const std::string command = "identify -format '%w %h %T;' " + folder.path("walk.gif") +
                                " > " + folder.path("identify.txt");
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::vector<uint8_t> frames = folder.read("identify.txt");
    EXPECT_EQ(std::string(frames.begin(), frames.end()), c.expected);
  }
}

TEST(ExportAnimation, OptionsThatDoNotGoTogetherAreRefused) {
  TempFolder folder("gif-usage");
  folder.write("demo.sfc", demo());
  const std::string rom = folder.path("demo.sfc");
  struct Case {
    std::vector<std::string> args;
    int code;
    const char* error;
  };
  const Case cases[] = {
      {{"--anim", "0", "-o", folder.path("a.png")}, 2, "OUT must end in .gif"},
      {{"--frame", "0", "-o", folder.path("a.gif")}, 2, "a .gif is written only with --anim N"},
      {{"--anim", "0", "--sheet", "-o", folder.path("a.gif")}, 2, "--anim goes without --frame"},
      {{"--anim", "0", "--delay", "5", "-o", folder.path("a.gif")}, 2, "--delay takes a number"},
      {{"--anim", "9", "-o", folder.path("a.gif")}, 1,
       "entry 007 has animations 00 to 04 in Animation 1; 09 is not one of them"},
      {{"--anim", "4", "-o", folder.path("a.gif")}, 1,
       "animation 04 of entry 007 has no frames for facing 0"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"export", rom, "--entry", "7"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const CliRun result = run(args);
    EXPECT_EQ(result.code, c.code) << c.error;
    EXPECT_NE(result.err.find(c.error), std::string::npos) << result.err;
    EXPECT_FALSE(folder.read("a.gif").size() > 0);
  }
}

}  // namespace
}  // namespace vcv
