// vantorchar import on copies of the demo ROM: round trips with export, every prompt answered or
// refused by its flag, and pictures written by ImageMagick.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "image/image_read.h"
#include "image/indexed_image.h"
#include "sprite/codec_optimal.h"
#include "sprite/directory.h"
#include "sprite/tiles.h"
#include "write_test_support.h"
#include "cli_test_support.h"
#include "image_test_support.h"

namespace vcv {
namespace {

using namespace testing_support;

// Every build reads and writes PNG.
constexpr bool kHavePng = true;

std::string picture_name(const std::string& stem, bool png) {
  return stem + (png && kHavePng ? ".png" : ".bmp");
}

using cli_test::CliRun;

CliRun run(const std::vector<std::string>& args) { return cli_test::run_captured(args); }

std::string hex(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

// `entry` as a fresh load from the ROM file at `path` gives it; null when it does not load.
std::unique_ptr<SpriteWorkingSet> loaded_entry(const std::string& path, int entry,
                                               int weapon_palette = 0) {
  RomFile file;
  if (!file.open(path, kMappingHiRom, 0).ok()) return nullptr;
  const RomImage& rom = file.image();
  SpriteDirectory directory;
  build_sprite_directory(rom, directory);
  auto set = std::make_unique<SpriteWorkingSet>();
  if (load_entry(rom, directory, *set, entry, weapon_palette) != 1) return nullptr;
  return set;
}

std::vector<uint8_t> loaded_tiles(const std::string& path, int entry) {
  const auto set = loaded_entry(path, entry);
  if (set == nullptr) return {};
  return std::vector<uint8_t>(set->tile_data, set->tile_data + set->decoded_size);
}

// The display colours of `entry`'s palette (weapon palette 0), as export writes them.
void entry_colours(const std::string& path, int entry, uint32_t colours[16]) {
  const auto set = loaded_entry(path, entry);
  ASSERT_NE(set, nullptr);
  palette_to_display(set->palette, colours, 0, 16);
}

// The tile rows of `entry`'s sheet, as export --sheet writes it (and import takes it back).
int sheet_rows(const std::string& path, int entry) {
  return static_cast<int>((loaded_tiles(path, entry).size() + 511) / 512);
}

// An entry whose packed graphics lie in `bank`.
int entry_in_bank(const demo::DemoRomLayout& layout, int bank) {
  for (int g = kFirstPackedGraphics; g < 39; ++g) {
    const int e = entry_with_graphics(demo_rom_bytes(), g);
    if ((layout.graphics_address[g] >> 16) == bank && e >= 0) return e;
  }
  return -1;
}

class CliImportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = temp_folder() + "/import-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::create_directories(folder);
    rom = folder + "/demo.sfc";
    write_all(rom, demo_rom_bytes(&layout));
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
  // A picture of `rows` tile rows whose pixel (x, y) holds index (x / 3 + y * 5) % 16, with the
  // colours of `entry`'s palette.
  std::string write_picture(const std::string& name, int entry, int rows, int noise = 0) {
    IndexedImage image;
    entry_colours(rom, entry, image.palette);
    image.width = 128;
    image.height = 8 * rows;
    image.pixels.resize(static_cast<size_t>(image.width) * image.height);
    uint32_t state = 7;
    for (int y = 0; y < image.height; ++y)
      for (int x = 0; x < image.width; ++x) {
        state = state * 1664525u + 1013904223u;
        const size_t i = static_cast<size_t>(y) * image.width + x;
        image.pixels[i] = static_cast<uint8_t>(static_cast<int>(i) < noise ? (state >> 28)
                                                                            : (x / 3 + y * 5) % 16);
      }
    const std::string path = folder + "/" + name;
    std::string error;
    EXPECT_TRUE(write_indexed_image(image, path, &error)) << error;
    return path;
  }

  demo::DemoRomLayout layout;
  std::string folder;
  std::string rom;
};

TEST_F(CliImportTest, ExportThenImportOfEveryEntryLeavesTheRomAsItWas) {
  // One entry per graphics number; the undecodable one is refused and changes nothing.
  for (int g = 0; g < 40; ++g) {
    const int entry = entry_with_graphics(demo_rom_bytes(), g);
    if (entry < 0) continue;
    const std::string sheet = folder + "/" + picture_name("sheet" + std::to_string(g), g % 2 == 0);
    const CliRun exported = run({"export", rom, "--entry", hex(entry), "--sheet", "-o", sheet});
    if (g == demo::DemoRomFacts::kUndecodableGraphics) {
      EXPECT_NE(exported.code, 0);
      continue;
    }
    ASSERT_EQ(exported.code, 0) << exported.err;
    const CliRun imported = run({"import", rom, "--entry", hex(entry), sheet, "--yes"});
    EXPECT_EQ(imported.code, 0) << "graphics " << g << ": " << imported.out << imported.err;
    EXPECT_NE(imported.out.find("[Write Confirm]"), std::string::npos);
  }
  const std::vector<uint8_t> now = read_all(rom);
  EXPECT_TRUE(now == demo_rom_bytes()) << first_differences(demo_rom_bytes(), now);
}

TEST_F(CliImportTest, EachPromptNeedsItsFlagOrNothingIsWritten) {
  const int entry = entry_in_bank(layout, demo::DemoRomFacts::kRoomyBank);
  ASSERT_GE(entry, 0);
  const int rows = sheet_rows(rom, entry);
  const std::string picture = write_picture(picture_name("grown", true), entry, rows, 128 * 64);

  CliRun result = run({"import", rom, "--entry", hex(entry), picture});
  EXPECT_EQ(result.code, 1);
  EXPECT_NE(result.out.find("[サイズオーバー]"), std::string::npos);
  EXPECT_NE(result.err.find("--repack"), std::string::npos);
  EXPECT_TRUE(read_all(rom) == demo_rom_bytes());
  // Repacking writes without the final confirmation, so it too needs --yes.
  result = run({"import", rom, "--entry", hex(entry), picture, "--repack"});
  EXPECT_EQ(result.code, 1);
  EXPECT_NE(result.err.find("--yes"), std::string::npos) << result.err;
  EXPECT_TRUE(read_all(rom) == demo_rom_bytes());

  result = run({"import", rom, "--entry", hex(entry), picture, "--repack", "--yes"});
  EXPECT_EQ(result.code, 0) << result.out << result.err;
  EXPECT_NE(result.out.find("[同バンク内イメージ再格納に成功]"), std::string::npos);
  const std::vector<uint8_t> tiles = loaded_tiles(rom, entry);
  IndexedImage image;
  std::string error;
  ASSERT_TRUE(read_indexed_image(picture, &image, &error));
  for (int t = 0; t < rows * 16; ++t) {
    std::vector<uint8_t> pixels(64, 0);
    draw_tile(tiles.data(), t, pixels.data(), 8, 8, 0, 0, 0);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x)
        ASSERT_EQ(pixels[y * 8 + x], image.pixels[((t / 16) * 8 + y) * 128 + (t % 16) * 8 + x]) << t;
  }
}

// --pack optimal stores the edited block, and the blocks repacked with it, with the smallest
// encoding: the block at the pointer is the optimal encoder's, and the region keeps at least as
// much room as with the game's encoder.
TEST_F(CliImportTest, PackOptimalStoresTheSmallestBlock) {
  const int entry = entry_in_bank(layout, demo::DemoRomFacts::kRoomyBank);
  const std::string picture =
      write_picture("grown.bmp", entry, sheet_rows(rom, entry), 128 * 64);
  auto free_bytes = [](const std::string& out) {
    const size_t at = out.find("=");
    return at == std::string::npos ? -1 : std::stoi(out.substr(at + 1, 6), nullptr, 16);
  };
  const CliRun game = run({"import", rom, "--entry", hex(entry), picture, "--repack", "--yes"});
  ASSERT_EQ(game.code, 0) << game.err;
  write_all(rom, demo_rom_bytes());
  const CliRun optimal = run({"import", rom, "--entry", hex(entry), picture, "--repack", "--yes",
                              "--pack", "optimal"});
  ASSERT_EQ(optimal.code, 0) << optimal.err;
  EXPECT_GE(free_bytes(optimal.out.substr(optimal.out.find("バンク余り領域サイズ"))),
            free_bytes(game.out.substr(game.out.find("バンク余り領域サイズ"))));
  const std::vector<uint8_t> tiles = loaded_tiles(rom, entry);
  std::vector<uint8_t> expected(kPackedBufferSize);
  const int size = pack_block_optimal(tiles.data(), static_cast<int>(tiles.size()),
                                      expected.data(), kPackedBufferSize);
  ASSERT_GT(size, 0);
  const std::vector<uint8_t> now = read_all(rom);
  const int graphics = now[file_pos(kTableBank, kCharacterTable + 5 * entry)];
  const size_t pointer = file_pos(kTableBank, kGraphicsPointerTable + 3 * graphics);
  const size_t at = file_pos(now[pointer + 2], now[pointer] | (now[pointer + 1] << 8));
  EXPECT_TRUE(std::equal(expected.begin(), expected.begin() + size, now.begin() + at));
  EXPECT_EQ(run({"import", rom, "--entry", hex(entry), picture, "--pack", "smallest"}).code,
            cli::kExitUsage);
}

TEST_F(CliImportTest, TypedPositionAndConfirmation) {
  const int entry = entry_in_bank(layout, demo::DemoRomFacts::kRoomyBank);
  const std::string picture = write_picture("grown.bmp", entry, sheet_rows(rom, entry), 128 * 64);
  // A typed place without --yes: the confirmation stops it.
  CliRun result = run({"import", rom, "--entry", hex(entry), picture, "--at", "C01100",
                       "--file-offset", "001100"});
  EXPECT_EQ(result.code, 1);
  EXPECT_NE(result.out.find("Writing Address C01100"), std::string::npos);
  EXPECT_TRUE(read_all(rom) == demo_rom_bytes());
  // An unreadable position is refused before anything is read, nothing written.
  result = run({"import", rom, "--entry", hex(entry), picture, "--at", "C01100", "--file-offset",
                "-20", "--yes"});
  EXPECT_EQ(result.code, 1);
  EXPECT_NE(result.err.find("--file-offset -20 is not a position inside"), std::string::npos);
  EXPECT_TRUE(read_all(rom) == demo_rom_bytes());
  // With --yes it lands at the typed place and the pointer names it.
  result = run({"import", rom, "--entry", hex(entry), picture, "--at", "C01100", "--file-offset",
                "001100", "--yes"});
  EXPECT_EQ(result.code, 0) << result.out << result.err;
  const std::vector<uint8_t> now = read_all(rom);
  const int graphics = now[entry < kCharacterCount
                               ? file_pos(kTableBank, kCharacterTable + 5 * entry)
                               : file_pos(kTableBank, kEnemyTable + 10 * (entry - kCharacterCount))];
  std::vector<uint8_t> at_typed_place(kGraphicsDecodeLimit);
  const int size = unpack_block(now.data(), now.size(), 0x1100, at_typed_place.data(),
                                kGraphicsDecodeLimit, nullptr);
  ASSERT_GT(size, 0);
  at_typed_place.resize(static_cast<size_t>(size));
  EXPECT_EQ(loaded_tiles(rom, entry), at_typed_place);
  const size_t pointer = file_pos(kTableBank, kGraphicsPointerTable + 3 * graphics);
  EXPECT_EQ(now[pointer], 0x00);
  EXPECT_EQ(now[pointer + 1], 0x11);
  EXPECT_EQ(now[pointer + 2], 0xC0);
}

// --at takes the address as map, apply and unpack print it (BANK:OFFSET) or as six digits;
// the file offset follows from it and the copier header, and a given one must agree; a place
// over the cartridge header is refused like one over a known block.
TEST_F(CliImportTest, AtTakesTheAddressAsTheToolPrintsIt) {
  const int entry = entry_in_bank(layout, demo::DemoRomFacts::kRoomyBank);
  const std::string picture = write_picture("grown.bmp", entry, sheet_rows(rom, entry), 128 * 64);
  std::vector<uint8_t> headed(512, 0);
  headed.insert(headed.end(), demo_rom_bytes().begin(), demo_rom_bytes().end());
  const struct {
    std::vector<std::string> place;
    bool with_copier_header;
    size_t written_at;  // file offset of the block; 0: refused, nothing written
    const char* refusal;
  } cases[] = {
      {{"--at", "D6:8000"}, false, 0x168000, nullptr},
      {{"--at", "0xD68000", "--file-offset", "168000"}, false, 0x168000, nullptr},
      {{"--at", "d6:8000"}, true, 0x168200, nullptr},
      {{"--at", "D6:8000", "--file-offset", "1100"}, false, 0,
       "--file-offset 1100 is not where D6:8000 lies in this ROM (file offset 168000)"},
      {{"--at", "C0:FFB0"}, false, 0, "overwrite the cartridge header at C0FFB0"},
      {{"--at", "C0:FF80"}, false, 0, "overwrite the cartridge header at C0FFB0"},
      {{"--at", "D6:80000"}, false, 0, "--at takes an address as BANK:OFFSET"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.place[1]);
    const std::vector<uint8_t>& before = c.with_copier_header ? headed : demo_rom_bytes();
    write_all(rom, before);
    std::vector<std::string> args = {"import", rom, "--entry", hex(entry), picture, "--yes"};
    args.insert(args.end(), c.place.begin(), c.place.end());
    const CliRun result = run(args);
    const std::vector<uint8_t> now = read_all(rom);
    if (c.written_at == 0) {
      EXPECT_EQ(result.code, cli::kExitFailure);
      EXPECT_NE(result.err.find(c.refusal), std::string::npos) << result.err;
      EXPECT_TRUE(now == before);
      continue;
    }
    ASSERT_EQ(result.code, 0) << result.out << result.err;
    const size_t base = c.with_copier_header ? 512 : 0;
    const size_t record = entry < kCharacterCount
                              ? file_pos(kTableBank, kCharacterTable + 5 * entry)
                              : file_pos(kTableBank, kEnemyTable + 10 * (entry - kCharacterCount));
    const int graphics = now[base + record];
    const size_t pointer = base + file_pos(kTableBank, kGraphicsPointerTable + 3 * graphics);
    EXPECT_EQ(now[pointer], 0x00);
    EXPECT_EQ(now[pointer + 1], 0x80);
    EXPECT_EQ(now[pointer + 2], 0xD6);
    std::vector<uint8_t> at_place(kGraphicsDecodeLimit);
    const int size = unpack_block(now.data(), now.size(), c.written_at, at_place.data(),
                                  kGraphicsDecodeLimit, nullptr);
    ASSERT_GT(size, 0);
    at_place.resize(static_cast<size_t>(size));
    const std::string headerless = folder + "/headerless.sfc";
    write_all(headerless, std::vector<uint8_t>(now.begin() + static_cast<long>(base), now.end()));
    EXPECT_EQ(loaded_tiles(headerless, entry), at_place);
  }
}

// The window's Copy All Img gives the whole sheet (128 x 640); import takes it when the rows
// past the entry's tiles hold index 0, and names the first pixel that does not.
TEST_F(CliImportTest, TheWholeSheetAsCopyAllImgCopiesItIsTaken) {
  const std::string exported = folder + "/sheet.bmp";
  ASSERT_EQ(run({"export", rom, "--entry", "0xC", "--sheet", "-o", exported}).code, 0);
  IndexedImage sheet;
  std::string error;
  ASSERT_TRUE(read_indexed_image(exported, &sheet, &error)) << error;
  ASSERT_EQ(sheet.height, 192);
  IndexedImage whole = sheet;
  whole.height = 640;
  whole.pixels.resize(static_cast<size_t>(128) * 640, 0);
  const std::string copied = folder + "/whole.bmp";
  ASSERT_TRUE(write_bmp(whole, copied, &error)) << error;
  const CliRun taken = run({"import", rom, "--entry", "0xC", copied, "--yes"});
  EXPECT_EQ(taken.code, 0) << taken.err;
  EXPECT_TRUE(read_all(rom) == demo_rom_bytes()) << "the same tiles written back in place";

  whole.pixels[static_cast<size_t>(300) * 128 + 5] = 3;
  whole.pixels[static_cast<size_t>(400) * 128 + 1] = 2;
  ASSERT_TRUE(write_bmp(whole, copied, &error)) << error;
  const CliRun refused = run({"import", rom, "--entry", "0xC", copied, "--yes"});
  EXPECT_EQ(refused.code, cli::kExitFailure);
  EXPECT_NE(refused.err.find("pixel (5, 300) holds index 3, but the tiles of entry 00C end at "
                             "row 191"),
            std::string::npos)
      << refused.err;
  EXPECT_TRUE(read_all(rom) == demo_rom_bytes());
}

TEST_F(CliImportTest, UsageAndPictureErrors) {
  const std::string picture = write_picture(picture_name("small", true), 7, 2);
  EXPECT_EQ(run({"import", rom, picture}).code, cli::kExitUsage);
  EXPECT_EQ(run({"import", rom, "--entry", "7", picture, "--file-offset", "1100"}).code,
            cli::kExitUsage);
  EXPECT_EQ(run({"import", rom, "--entry", "0x1FC", picture}).code, cli::kExitUsage);
  EXPECT_EQ(run({"import", rom, "--entry", "7", folder + "/missing.bmp"}).code, cli::kExitFailure);
  // The undecodable entry has no tile data to take the picture.
  const CliRun undecodable = run({"import", rom, "--entry",
                                  hex(demo::DemoRomFacts::kEntryUndecodable), picture, "--yes"});
  EXPECT_EQ(undecodable.code, cli::kExitFailure);
  EXPECT_NE(undecodable.err.find("could not be decoded"), std::string::npos);
  // A picture of another size than the entry's sheet is refused with both sizes.
  const CliRun other_size = run({"import", rom, "--entry", "0xC", picture, "--yes"});
  EXPECT_EQ(other_size.code, cli::kExitFailure);
  EXPECT_NE(other_size.err.find("128x16, but the tile sheet of entry 00C is 128x192"),
            std::string::npos)
      << other_size.err;
  // A typed file position past the end of the file is refused, not wrapped round.
  const std::string fitting = write_picture("fitting.bmp", 0xC, sheet_rows(rom, 0xC));
  const CliRun past = run({"import", rom, "--entry", "0xC", fitting, "--at", "C01100",
                           "--file-offset", "100163000", "--yes"});
  EXPECT_EQ(past.code, cli::kExitFailure);
  EXPECT_NE(past.err.find("not a position inside"), std::string::npos) << past.err;
  EXPECT_TRUE(read_all(rom) == demo_rom_bytes());
}

TEST_F(CliImportTest, PictureTooWideForABitmapIsRefusedWithItsSize) {
  // Few enough pixels for the paste, but wider than a clipboard bitmap is built.
  IndexedImage image;
  image.width = 40000;
  image.height = 2;
  image.colour_count = 16;
  image.pixels.assign(static_cast<size_t>(image.width) * image.height, 1);
  const std::string picture = folder + "/wide.png";
  std::string error;
  ASSERT_TRUE(write_indexed_image(image, picture, &error)) << error;
  const CliRun wide = run({"import", rom, "--entry", "7", picture, "--yes"});
  EXPECT_EQ(wide.code, cli::kExitFailure);
  EXPECT_NE(wide.err.find("40000x2"), std::string::npos) << wide.err;
  EXPECT_TRUE(read_all(rom) == demo_rom_bytes());
}

// Pictures taken as their format means, on an entry whose colour 1 is black like colour 0: a
// 24-bit BMP (no alpha) of the sheet keeps its transparent background and its colour 1; --map
// index refuses a picture in colours; a stray colour refuses it unless --nearest maps it.
TEST_F(CliImportTest, PicturesAreTakenAsTheirFormatMeans) {
  const int entry = entry_in_bank(layout, demo::DemoRomFacts::kRoomyBank);
  std::vector<uint8_t> baseline = demo_rom_bytes();
  const size_t colour1 = file_pos(kTableBank, kPaletteTable + kPaletteRecordSize *
                                                                  loaded_entry(rom, entry)->palette_type);
  baseline[colour1] = baseline[colour1 + 1] = 0;
  write_all(rom, baseline);
  const auto set = loaded_entry(rom, entry);
  const int height = 8 * sheet_rows(rom, entry);
  const std::vector<uint8_t> sheet(set->sheet, set->sheet + 128 * height);
  ASSERT_TRUE(std::count(sheet.begin(), sheet.end(), 1) > 0 && sheet[0] == 0);
  uint32_t colours[16];
  palette_to_display(set->palette, colours, 0, 16);
  auto rgb_bmp = [&](const std::string& name, uint32_t stray) {  // stray: pixel (5, 3)'s colour
    image_test::DibFields f;
    f.width = 128;
    f.height = height;
    f.bits = 24;
    for (int y = height - 1; y >= 0; --y) {
      for (int x = 0; x < 128; ++x) {
        const uint32_t c = x == 5 && y == 3 && stray != 0 ? stray : colours[sheet[y * 128 + x]];
        f.pixels.insert(f.pixels.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
      }
    }
    write_all(folder + "/" + name, image_test::bmp_file(f));
    return folder + "/" + name;
  };
  const std::string plain = rgb_bmp("plain.bmp", 0), stray = rgb_bmp("stray.bmp", 0xFF00FF);
  std::vector<uint8_t> nearest = sheet;
  const struct { std::string picture, option, said; const std::vector<uint8_t>* after; } cases[] = {
      {plain, "", "wrote", &sheet},
      {plain, "--map=index", "--map index needs an indexed PNG or BMP", nullptr},
      {stray, "", "it is at (5, 3): #FF00FF; nothing was written (--nearest maps", nullptr},
      {stray, "--nearest", "1 pixel was mapped to the nearest palette colour; its colour "
                           "difference (CIEDE2000) is ", &nearest},
  };
  for (const auto& c : cases) {
    write_all(rom, baseline);
    std::vector<std::string> args = {"import", rom, "--entry", hex(entry), c.picture, "--repack",
                                     "--yes"};
    if (!c.option.empty()) args.push_back(c.option);
    const CliRun result = run(args);
    ASSERT_EQ(result.code, c.after == nullptr ? 1 : 0) << c.picture << c.option << result.err;
    EXPECT_NE((result.out + result.err).find(c.said), std::string::npos) << result.out << result.err;
    if (c.after == nullptr) {
      EXPECT_TRUE(read_all(rom) == baseline);
      continue;
    }
    const auto now = loaded_entry(rom, entry);
    if (c.after == &nearest) {  // the stray pixel took an opaque entry; all else as it was
      EXPECT_NE(now->sheet[3 * 128 + 5], 0);
      nearest[3 * 128 + 5] = now->sheet[3 * 128 + 5];
    }
    EXPECT_TRUE(std::equal(c.after->begin(), c.after->end(), now->sheet)) << c.picture << c.option;
  }
}

#ifndef _WIN32
// Pictures written by ImageMagick from an 8-bit BMP of our own: every variant must read back
// with the very indices of the source, and an import must put exactly those into the tiles.
TEST_F(CliImportTest, PicturesWrittenByImageMagickKeepTheirIndices) {
  if (!cli_test::have_program("convert")) GTEST_SKIP() << "ImageMagick's convert is not installed";
  // Two sources: 16 colours (ImageMagick then writes 4-bit BMPs) and 32 colours (8-bit BMPs,
  // run-length encoded unless told otherwise); a tile keeps the low four bits of an index.
  const int entry = entry_in_bank(layout, demo::DemoRomFacts::kRoomyBank);
  const int height = 8 * sheet_rows(rom, entry);
  auto make_source = [&](int colours, const std::string& name) {
    IndexedImage source;
    source.width = 128;
    source.height = height;
    source.colour_count = colours;
    // The entry's colours; indices 16 to 31 repeat those of 0 to 15.
    uint32_t palette[16];
    entry_colours(rom, entry, palette);
    for (int i = 0; i < colours; ++i) source.palette[i] = palette[i % 16];
    source.pixels.resize(static_cast<size_t>(128 * height));
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < 128; ++x)
        source.pixels[static_cast<size_t>(y) * 128 + x] = static_cast<uint8_t>((x / 2 + 3 * y) % colours);
    std::string error;
    EXPECT_TRUE(write_bmp(source, folder + "/" + name, &error)) << error;
    return source;
  };
  const IndexedImage sources[2] = {make_source(16, "source16.bmp"), make_source(32, "source32.bmp")};
  std::string error;

  struct Variant {
    int source;  // 0: 16 colours, 1: 32 colours
    const char* options;
    const char* name;
    bool same_indices = true;  // false: ImageMagick merges the repeated colours
  };
  const Variant variants[] = {
      {0, "BMP3:", "bmp3-4bit.bmp"},                    // 4 bits, 40-byte header
      {1, "BMP3:", "bmp3-rle8.bmp"},                    // 8 bits, RLE8
      {1, "-compress None BMP3:", "bmp3-8bit.bmp"},     // 8 bits, plain rows
      {0, "BMP:", "bmp-v5-4bit.bmp"},                   // 124-byte header
      {1, "BMP:", "bmp-v5-rle8.bmp"},
      {0, "PNG8:", "png8.png"},
      {1, "PNG8:", "png8-32.png", false},
      {0, "-define png:bit-depth=4 PNG8:", "png8-4bit.png"},
  };
  for (const Variant& v : variants) {
    const std::string out = folder + "/" + v.name;
    if (!kHavePng && std::string(v.name).find(".png") != std::string::npos) continue;
    const IndexedImage& source = sources[v.source];
    const std::string command = "convert " + folder + (v.source ? "/source32.bmp " : "/source16.bmp ") +
                                v.options + out + " 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    IndexedImage image;
    ASSERT_TRUE(read_indexed_image(out, &image, &error)) << v.name << ": " << error;
    ASSERT_EQ(image.width, 128) << v.name;
    ASSERT_EQ(image.height, height) << v.name;
    if (v.same_indices) {
      EXPECT_EQ(image.pixels, source.pixels) << v.name;
    }

    write_all(rom, demo_rom_bytes());
    const std::vector<uint8_t> before = loaded_tiles(rom, entry);
    const CliRun result = run({"import", rom, "--entry", hex(entry), out, "--repack", "--yes"});
    ASSERT_EQ(result.code, 0) << v.name << ": " << result.out << result.err;
    const std::vector<uint8_t> tiles = loaded_tiles(rom, entry);
    ASSERT_EQ(tiles.size(), before.size());
    for (int t = 0; t < static_cast<int>(tiles.size()) / kTileBytes; ++t) {
      std::vector<uint8_t> pixels(64, 0);
      draw_tile(tiles.data(), t, pixels.data(), 8, 8, 0, 0, 0);
      for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
          ASSERT_EQ(pixels[y * 8 + x],
                    source.pixels[static_cast<size_t>((t / 16) * 8 + y) * 128 + (t % 16) * 8 + x] & 15)
              << v.name << " tile " << t;
    }
  }
}

// A sheet as export writes it (in the colours of weapon palette 5), drawn on by ImageMagick with
// colours of that palette and saved as true colour: the import gives back every index, the drawn
// rectangles in the indices of their colours. Against weapon palette 0 it is refused whole.
TEST_F(CliImportTest, TrueColourSheetsEditedByImageMagickImportIndexForIndex) {
  if (!cli_test::have_program("convert")) GTEST_SKIP() << "ImageMagick's convert is not installed";
  const int entry = entry_in_bank(layout, demo::DemoRomFacts::kRoomyBank);
  ASSERT_GE(entry, 0);
  constexpr int kWeapon = 5;
  // Two colours the sheet uses made one, so only the sheet's own indices can tell them apart.
  std::vector<uint8_t> baseline = demo_rom_bytes();
  {
    const auto original = loaded_entry(rom, entry, kWeapon);
    ASSERT_NE(original, nullptr);
    bool used[16] = {};
    for (uint8_t index : original->sheet) used[index] = true;
    const int a = 5, b = 9;  // a ramp's shadow and another's base; neither drawn with below
    ASSERT_TRUE(used[a] && used[b]);
    const size_t at = file_pos(kTableBank, kPaletteTable + kPaletteRecordSize * original->palette_type +
                                               2 * (b - 1));
    baseline[at] = static_cast<uint8_t>(original->palette[a]);
    baseline[at + 1] = static_cast<uint8_t>(original->palette[a] >> 8);
    write_all(rom, baseline);
  }
  const auto set = loaded_entry(rom, entry, kWeapon);
  ASSERT_NE(set, nullptr);
  ASSERT_EQ(set->palette[5], set->palette[9]);
  uint32_t colours[16];
  palette_to_display(set->palette, colours, 0, 16);
  auto hex_colour = [&](int index) {
    char text[16];
    const uint32_t c = colours[index];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    return std::string(text);
  };
  // Rectangles of index 7 and of weapon colour 14 over the sheet.
  const std::string draw = " -fill '" + hex_colour(7) + "' -draw 'rectangle 3,2 20,12' -fill '" +
                           hex_colour(14) + "' -draw 'rectangle 40,9 47,30' ";
  // The sheet as export writes it, but in the colours of weapon palette 5.
  IndexedImage sheet;
  sheet.width = 128;
  sheet.height = 8 * sheet_rows(rom, entry);
  sheet.pixels.assign(set->sheet, set->sheet + sheet.width * sheet.height);
  std::copy(colours, colours + 16, sheet.palette);
  std::string error;
  ASSERT_TRUE(write_bmp(sheet, folder + "/sheet.bmp", &error)) << error;
  ASSERT_TRUE(write_png(sheet, folder + "/sheet.png", &error)) << error;
  std::vector<uint8_t> expected = sheet.pixels;
  for (int y = 0; y < 31; ++y)
    for (int x = 0; x < 48; ++x) {
      if (x >= 3 && x <= 20 && y >= 2 && y <= 12) expected[y * 128 + x] = 7;
      if (x >= 40 && y >= 9) expected[y * 128 + x] = 14;
    }
  struct Variant {
    const char* source;
    const char* options;
    const char* name;
  };
  const Variant variants[] = {
      {"sheet.bmp", "-type TrueColor PNG24:", "rgb.png"},
      {"sheet.bmp", "-type TrueColor BMP3:", "rgb24.bmp"},
      {"sheet.png", "PNG32:", "rgba.png"},  // index 0 transparent
  };
  for (const Variant& v : variants) {
    const std::string out = folder + "/" + v.name;
    const std::string command =
        "cd " + folder + " && convert " + v.source + draw + v.options + out + " 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    write_all(rom, baseline);
    // Weapon palette 0 lacks colour 14 of palette 5: refused, the ROM untouched.
    CliRun result = run({"import", rom, "--entry", hex(entry), out, "--repack", "--yes"});
    EXPECT_EQ(result.code, cli::kExitFailure) << v.name;
    EXPECT_EQ(result.err.rfind("vantorchar import: ", 0), 0u) << result.err;
    EXPECT_NE(result.err.find(" pixels have colours outside the palette; the first is at ("),
              std::string::npos) << result.err;
    EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
    EXPECT_TRUE(read_all(rom) == baseline) << v.name;

    result = run({"import", rom, "--entry", hex(entry), out, "--weapon-palette",
                  std::to_string(kWeapon), "--repack", "--yes"});
    ASSERT_EQ(result.code, 0) << v.name << ": " << result.out << result.err;
    const auto now = loaded_entry(rom, entry, kWeapon);
    ASSERT_NE(now, nullptr);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), now->sheet)) << v.name;
  }
}
#endif

}  // namespace
}  // namespace vcv
