// vantorchar dump and apply on copies of the demo ROM: round trips with and without edits (one of
// them made by ImageMagick), edits that cannot be stored, files of another ROM, malformed files.
#include <gtest/gtest.h>

#include <cstdio>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "cli_test_support.h"
#include "image/picture_read.h"
#include "image/png_build.h"
#include "platform/json.h"
#include "rom/rom_image.h"
#include "sprite/codec.h"
#include "sprite/directory.h"
#include "sprite/tiles.h"
#include "temp_folder.h"
#include "write_test_support.h"

namespace vcv {
namespace {

using cli_test::CliRun;
using testing_support::TempFolder;

CliRun run(const std::vector<std::string>& args) { return cli_test::run_captured(args); }

// Every file below `folder`, by its path relative to it.
std::map<std::string, std::vector<uint8_t>> files_below(const std::filesystem::path& folder) {
  std::map<std::string, std::vector<uint8_t>> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    const std::string name = entry.path().lexically_relative(folder).generic_u8string();
    files[name] = testing_support::read_all(entry.path().u8string());
  }
  return files;
}

std::string text_of(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }
std::vector<uint8_t> bytes_of(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

// The picture of a PNG as indices of the dump's palette (its own table when indexed and agreeing).
struct Sheet {
  int width = 0, height = 0;
  std::vector<uint8_t> indices;
  uint32_t colours[16] = {};
};

Sheet read_sheet(const std::string& path) {
  Picture picture;
  std::string error;
  EXPECT_TRUE(read_picture_file(path, &picture, &error)) << error;
  Sheet sheet;
  sheet.width = picture.width;
  sheet.height = picture.height;
  sheet.indices = picture.indices;
  for (int i = 0; i < 16 && i < picture.colour_count; ++i) sheet.colours[i] = picture.colours[i];
  return sheet;
}

void write_sheet(const std::string& path, const Sheet& sheet, int colour_count = 16) {
  std::vector<uint32_t> colours(static_cast<size_t>(colour_count), 0x808080);
  std::copy(sheet.colours, sheet.colours + 16, colours.begin());
  const std::vector<uint8_t> png =
      build_png(sheet.indices.data(), sheet.width, sheet.height, colour_count, colours.data());
  ASSERT_FALSE(png.empty());
  testing_support::write_all(path, png);
}

class CliAssetsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rom = folder.path("demo.sfc");
    dump = folder.path("dump");
    testing_support::write_all(rom, testing_support::demo_rom_bytes(&layout));
    const CliRun dumped = run({"dump", rom, dump});
    ASSERT_EQ(dumped.code, 0) << dumped.err;
  }
  std::string in_dump(const std::string& name) const { return dump + "/" + name; }
  std::string read_text(const std::string& name) const {
    return text_of(testing_support::read_all(in_dump(name)));
  }
  void write_text(const std::string& name, const std::string& text) const {
    testing_support::write_all(in_dump(name), bytes_of(text));
  }
  bool rom_unchanged() const { return testing_support::read_all(rom) == testing_support::demo_rom_bytes(); }

  TempFolder folder{"assets"};
  demo::DemoRomLayout layout;
  std::string rom;
  std::string dump;
};

TEST_F(CliAssetsTest, DumpWritesTheFilesTheTablesName) {
  const auto files = files_below(dump);
  // 4 JSON files and problems.txt; graphics 0..38 (39 does not decode); 231 position types.
  EXPECT_EQ(files.size(), 5u + 39u + 231u);
  EXPECT_EQ(files.count("graphics/027.png"), 0u);
  EXPECT_EQ(text_of(files.at("problems.txt")),
            "graphics 027 at D3:E898 (first named by entry 1F0): the packed block does not "
            "decode; no picture was written\n");
  // The long giant's picture holds every one of its 1344 tiles, past the panel's 1280.
  const Sheet giant = read_sheet(in_dump("graphics/025.png"));
  EXPECT_EQ(giant.width, 128);
  EXPECT_EQ(giant.height, 1344 / 16 * 8);
  const std::string entries = text_of(files.at("entries.json"));
  EXPECT_NE(entries.find("\"1F0\": {\"assembly\": \"027\", "), std::string::npos);
  EXPECT_NE(entries.find("\"label\": \"Player 1\"}"), std::string::npos);
  // Position files hold every whole record of their block, also the one with bytes left over.
  const RomImage image(testing_support::demo_rom_bytes(), kMappingHiRom, 0);
  SpriteDirectory directory;
  build_sprite_directory(image, directory);
  for (int type : {0, 0xE6, layout.remainder_position_type, layout.highest_position_type}) {
    char name[32];
    std::snprintf(name, sizeof name, "positions/%03X.json", type);
    JsonValue value;
    JsonError error;
    ASSERT_TRUE(parse_json(text_of(files.at(name)), &value, &error)) << name;
    ASSERT_NE(value.find("frames"), nullptr);
    EXPECT_EQ(value.find("frames")->size(), static_cast<size_t>(directory.frame_count[type]))
        << name;
    EXPECT_EQ(value.find("size_type")->as_integer(), directory.size_type_of[type] & 3) << name;
  }
  // A second dump of the same ROM gives the same bytes.
  const std::string again = folder.path("again");
  ASSERT_EQ(run({"dump", rom, again}).code, 0);
  EXPECT_TRUE(files_below(again) == files);
}

TEST_F(CliAssetsTest, ApplyOfAnUneditedDumpWritesNothing) {
  const CliRun applied = run({"apply", rom, dump, "--yes"});
  EXPECT_EQ(applied.code, 0) << applied.err;
  EXPECT_NE(applied.out.find("no changes"), std::string::npos) << applied.out;
  EXPECT_TRUE(rom_unchanged());
  EXPECT_FALSE(std::filesystem::exists(rom + ".bak"));
}

// One graphics picture edited by ImageMagick, one palette word and one block position: the plan
// names each, the ROM takes them, and a new dump differs from the edited files only in the
// manifest's SHA-256.
TEST_F(CliAssetsTest, EditedFilesComeBackFromTheRomExactly) {
  if (!cli_test::have_program("convert")) GTEST_SKIP() << "ImageMagick's convert is not installed";
  // Graphics 13 lies in the nearly full region: it must be repacked.
  const std::string picture = in_dump("graphics/013.png");
  Sheet expected = read_sheet(picture);
  const uint32_t c = expected.colours[5];
  char fill[32];
  std::snprintf(fill, sizeof fill, "rgb(%u,%u,%u)", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
  const std::string command = std::string("convert ") + picture + " -fill '" + fill +
                              "' -draw 'rectangle 8,8 23,13' " + picture;
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  for (int y = 8; y <= 13; ++y) {
    for (int x = 8; x <= 23; ++x) expected.indices[static_cast<size_t>(y) * 128 + x] = 5;
  }
  // A palette type that no graphics picture is drawn with, so no picture changes with it.
  std::string palettes = read_text("palettes.json");
  const size_t key = palettes.find("\"F0\": [\"");
  ASSERT_NE(key, std::string::npos);
  const std::string old_word = palettes.substr(key + 8, 4);
  palettes.replace(key + 8, 4, old_word == "1234" ? "4321" : "1234");
  write_text("palettes.json", palettes);
  std::string positions = read_text("positions/00E.json");
  const size_t x = positions.find("\"x\": ");
  ASSERT_NE(x, std::string::npos);
  const size_t comma = positions.find(',', x);
  const int old_x = std::stoi(positions.substr(x + 5, comma - x - 5));
  positions.replace(x + 5, comma - x - 5, std::to_string(old_x + 3));
  write_text("positions/00E.json", positions);
  const auto edited = files_below(dump);

  const CliRun planned = run({"apply", rom, dump});
  EXPECT_EQ(planned.code, 1) << "no --yes: nothing is written, and that is a failure";
  EXPECT_EQ(planned.err, "vantorchar apply: nothing written: add --yes\n");
  EXPECT_TRUE(rom_unchanged());
  const CliRun dry = run({"apply", rom, dump, "--dry-run", "--yes"});
  EXPECT_EQ(dry.code, 0);
  EXPECT_EQ(dry.out, planned.out + "nothing written (--dry-run)\n");
  EXPECT_TRUE(rom_unchanged());
  EXPECT_NE(planned.out.find("palette type F0 at E4:1680: colour 1 "), std::string::npos)
      << planned.out;
  EXPECT_NE(planned.out.find("position type 00E frame 00 at "), std::string::npos);
  EXPECT_NE(planned.out.find("graphics 013 at D2:EE80: packed 1045 -> "), std::string::npos);
  EXPECT_NE(planned.out.find("repacked region D2:EE80-FFFF"), std::string::npos);
  EXPECT_NE(planned.out.find("region D2:EE80-FFFF keeps "), std::string::npos);
  EXPECT_NE(planned.out.find("3 changes planned\n"), std::string::npos);

  const CliRun applied = run({"apply", rom, dump, "--yes"});
  ASSERT_EQ(applied.code, 0) << applied.err;
  EXPECT_NE(applied.out.find("wrote 3 changes"), std::string::npos);
  const std::string after = folder.path("after");
  ASSERT_EQ(run({"dump", rom, after}).code, 0);
  const auto dumped = files_below(after);
  ASSERT_EQ(dumped.size(), edited.size());
  for (const auto& [name, bytes] : edited) {
    if (name == "graphics/013.png") {
      const Sheet back = read_sheet(after + "/" + name);
      EXPECT_TRUE(back.indices == expected.indices) << "the rectangle comes back as index 5";
    } else if (name == "manifest.json") {
      EXPECT_NE(dumped.at(name), bytes);
    } else {
      EXPECT_TRUE(dumped.at(name) == bytes) << name;
    }
  }
  // And the folder now applies to the changed ROM with nothing to do: apply rewrote its
  // manifest for the ROM as written, so no --force is needed.
  const CliRun again = run({"apply", rom, dump, "--yes"});
  EXPECT_EQ(again.code, 0) << again.err;
  EXPECT_NE(again.out.find("no changes"), std::string::npos) << again.out << again.err;
}

// Graphics 008 and 026 name one block, and so do position types 01F and 027: an edit made
// through one of them is the block's new content, and the other reads it back too; two different
// edits of one block are refused.
TEST_F(CliAssetsTest, AnEditOfABlockSeveralNumbersNameChangesThemAll) {
  struct Edit {
    const char* file;
    int variant;  // which pixel (variant, 0) becomes index 3, or what is added to the first x
  };
  struct Case {
    std::vector<Edit> edits;
    bool applies;
    const char* sharer;  // applies: the file that must come back as the first edited one
    std::vector<std::string> expected;  // in the output, or else in the error
  };
  const Case cases[] = {
      {{{"graphics/008.png", 1}},
       true,
       "graphics/026.png",
       {"graphics 008 at D7:0000: packed ", "(graphics 026 shares the block and changes with it)",
        "wrote 1 change to "}},
      {{{"graphics/008.png", 1}, {"graphics/026.png", 1}},
       true,
       "graphics/026.png",
       {"(graphics 026 shares the block and changes with it)", "wrote 1 change to "}},
      {{{"graphics/008.png", 1}, {"graphics/026.png", 2}},
       false,
       nullptr,
       {"vantorchar apply: graphics/008.png and graphics/026.png name one block (at D7:0000) but "
        "were edited differently; edit them alike, or only one of them; nothing was written\n"}},
      {{{"positions/01F.json", 1}},
       true,
       "positions/027.json",
       {"position type 01F frame 00 at ",
        " bytes, in place (position type 027 shares the block and changes with it)",
        "wrote 1 change to "}},
      {{{"positions/01F.json", 1}, {"positions/027.json", 2}},
       false,
       nullptr,
       {"vantorchar apply: positions/01F.json and positions/027.json name one block (at ",
        ") but were edited differently; edit them alike, or only one of them; nothing was "
        "written\n"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.edits.front().file + std::string(c.edits.size() > 1 ? " and another" : ""));
    testing_support::write_all(rom, testing_support::demo_rom_bytes());
    ASSERT_EQ(run({"dump", rom, dump}).code, 0);
    for (const Edit& edit : c.edits) {
      if (std::string(edit.file).find(".png") != std::string::npos) {
        Sheet sheet = read_sheet(in_dump(edit.file));
        ASSERT_EQ(sheet.indices[static_cast<size_t>(edit.variant)], 0);
        sheet.indices[static_cast<size_t>(edit.variant)] = 3;
        write_sheet(in_dump(edit.file), sheet);
      } else {
        std::string text = read_text(edit.file);
        const size_t x = text.find("\"x\": ");
        ASSERT_NE(x, std::string::npos);
        const size_t comma = text.find(',', x);
        const int old_x = std::stoi(text.substr(x + 5, comma - x - 5));
        text.replace(x + 5, comma - x - 5, std::to_string(old_x + edit.variant));
        write_text(edit.file, text);
      }
    }
    const std::string edited = in_dump(c.edits.front().file);
    const std::vector<uint8_t> edited_bytes = testing_support::read_all(edited);
    const std::vector<uint8_t> edited_pixels =
        c.sharer != nullptr && std::string(c.sharer).find(".png") != std::string::npos
            ? read_sheet(edited).indices
            : edited_bytes;
    const CliRun applied = run({"apply", rom, dump, "--yes", "--no-backup"});
    EXPECT_EQ(applied.code, c.applies ? 0 : 1) << applied.err;
    for (const std::string& text : c.expected) {
      EXPECT_NE((c.applies ? applied.out : applied.err).find(text), std::string::npos)
          << text << "\n" << applied.out << applied.err;
    }
    if (!c.applies) {
      EXPECT_TRUE(rom_unchanged());
      continue;
    }
    const std::string after = folder.path("after");
    ASSERT_EQ(run({"dump", rom, after}).code, 0);
    for (const std::string& name : {std::string(c.edits.front().file), std::string(c.sharer)}) {
      const std::string path = after + "/" + name;
      if (name.find(".png") != std::string::npos) {
        EXPECT_TRUE(read_sheet(path).indices == edited_pixels) << name;
      } else {
        EXPECT_TRUE(testing_support::read_all(path) == edited_bytes) << name;
      }
    }
  }
}

// Swapped colours change how every picture drawn with the palette is stored in its PNG: the
// folder is dumped again after the write, so it describes the ROM as written and applies again
// with nothing to do (it would otherwise read the old colours as other indices).
TEST_F(CliAssetsTest, AfterAnApplyTheFolderDescribesTheRomAsWritten) {
  std::string palettes = read_text("palettes.json");
  const std::string from = "\"00\": [\"1443\", \"29D3\", ";
  const size_t at = palettes.find(from);
  ASSERT_NE(at, std::string::npos);
  palettes.replace(at, from.size(), "\"00\": [\"29D3\", \"1443\", ");
  write_text("palettes.json", palettes);
  const CliRun applied = run({"apply", rom, dump, "--yes", "--no-backup"});
  ASSERT_EQ(applied.code, 0) << applied.err;
  EXPECT_NE(applied.out.find("wrote 1 change"), std::string::npos) << applied.out;
  const std::vector<uint8_t> written = testing_support::read_all(rom);
  const std::string fresh = folder.path("fresh");
  ASSERT_EQ(run({"dump", rom, fresh}).code, 0);
  EXPECT_TRUE(files_below(dump) == files_below(fresh));
  const CliRun again = run({"apply", rom, dump, "--yes", "--no-backup"});
  EXPECT_EQ(again.code, 0) << again.err;
  EXPECT_NE(again.out.find("no changes"), std::string::npos) << again.out;
  EXPECT_TRUE(testing_support::read_all(rom) == written);
}

TEST_F(CliAssetsTest, HeaderFieldsAndWeaponColoursAreWrittenInPlace) {
  std::string entries = read_text("entries.json");
  const std::string from = "\"010\": {\"assembly\": \"";
  const size_t at = entries.find("\"animation_type\": \"", entries.find(from));
  ASSERT_NE(at, std::string::npos);
  const std::string old_type = entries.substr(at + 19, 2);
  const std::string new_type = old_type == "01" ? "02" : "01";  // both used by other entries
  entries.replace(at + 19, 2, new_type);
  write_text("entries.json", entries);
  std::string palettes = read_text("palettes.json");
  const size_t weapon = palettes.find("\"1F\": [\"", palettes.find("weapon_palettes"));
  ASSERT_NE(weapon, std::string::npos);
  palettes.replace(weapon + 8 + 8, 4, "7C1F");  // the second word: colour 14
  write_text("palettes.json", palettes);
  const auto edited = files_below(dump);

  const CliRun applied = run({"apply", rom, dump, "--yes", "--no-backup"});
  ASSERT_EQ(applied.code, 0) << applied.err;
  EXPECT_NE(applied.out.find("entry 010 at E4:F050: animation_type " + old_type + " -> " +
                             new_type + " (5 bytes, in place)\n"),
            std::string::npos)
      << applied.out;
  EXPECT_NE(applied.out.find("weapon palette 1F at D1:4BBA: colour 14 "), std::string::npos)
      << applied.out;
  EXPECT_FALSE(std::filesystem::exists(rom + ".bak"));
  std::vector<uint8_t> expected = testing_support::demo_rom_bytes();
  expected[testing_support::file_pos(kTableBank, kCharacterTable + 5 * 0x10 + 3)] =
      static_cast<uint8_t>(std::stoi(new_type, nullptr, 16));
  expected[testing_support::file_pos(kWeaponPaletteBank, kWeaponPaletteTable + 6 * 0x1F + 2)] = 0x1F;
  expected[testing_support::file_pos(kWeaponPaletteBank, kWeaponPaletteTable + 6 * 0x1F + 3)] = 0x7C;
  EXPECT_TRUE(testing_support::read_all(rom) == testing_support::with_header_checksum(expected));
  const std::string after = folder.path("after");
  ASSERT_EQ(run({"dump", rom, after}).code, 0);
  const auto dumped = files_below(after);
  EXPECT_TRUE(dumped.at("entries.json") == edited.at("entries.json"));
  EXPECT_TRUE(dumped.at("palettes.json") == edited.at("palettes.json"));
}

// A changed header field must name a number its table holds, and no apply may give the ROM a
// problem verify does not report now (here: a second entry naming the undecodable block).
TEST_F(CliAssetsTest, HeaderFieldsPastTheirTablesOrMakingNewProblemsAreRefused) {
  const std::string entries = read_text("entries.json");
  const size_t entry = entries.find("\"010\": {");
  ASSERT_NE(entry, std::string::npos);
  struct Case {
    std::string from, to, error;
  };
  const Case cases[] = {
      {"\"position_type\": \"010\"", "\"position_type\": \"0FF\"",
       "/010/position_type: 0FF lies past the position pointer table, which holds 000 to 0E6"},
      {"\"animation_type\": \"01\"", "\"animation_type\": \"FF\"",
       "/010/animation_type: FF lies past the animation pointer tables, which hold 00 to FE"},
      {"\"assembly\": \"014\"", "\"assembly\": \"027\"",
       "the changed ROM would have a problem that verify does not report now: graphics 27 at "
       "D3:E898 (entries 010, 1F0): the packed block does not decode"},
  };
  for (const Case& c : cases) {
    std::string edited = entries;
    const size_t at = edited.find(c.from, entry);
    ASSERT_NE(at, std::string::npos) << c.from;
    write_text("entries.json", edited.replace(at, c.from.size(), c.to));
    const CliRun applied = run({"apply", rom, dump, "--yes"});
    EXPECT_EQ(applied.code, 1) << c.to;
    EXPECT_NE(applied.err.find(c.error + "; nothing was written"), std::string::npos)
        << applied.err;
    EXPECT_TRUE(rom_unchanged()) << c.to;
  }
}

// The demo ROM's header checksum matches, and every write keeps it so (the tests of the writes
// compare whole files). One that does not match is left as it was, and the write says so;
// --keep-checksum leaves it too; verify reports the mismatch.
TEST_F(CliAssetsTest, AHeaderChecksumThatDoesNotMatchIsLeftAsItWas) {
  const auto checksum_bytes = [&] {
    const std::vector<uint8_t> bytes = testing_support::read_all(rom);
    return std::vector<uint8_t>(bytes.begin() + 0xFFDC, bytes.begin() + 0xFFE0);
  };
  const std::vector<uint8_t> demo_checksum = checksum_bytes();
  const auto edit_colour = [&](const char* word) {
    std::string palettes = read_text("palettes.json");
    const size_t at = palettes.find("\"00\": [\"");
    ASSERT_NE(at, std::string::npos);
    write_text("palettes.json", palettes.replace(at + 8, 4, word));
  };
  edit_colour("7FFE");
  CliRun applied = run({"apply", rom, dump, "--yes", "--keep-checksum"});
  ASSERT_EQ(applied.code, 0) << applied.err;
  EXPECT_TRUE(checksum_bytes() == demo_checksum);
  const CliRun verified = run({"verify", rom});
  EXPECT_EQ(verified.code, 1);
  EXPECT_NE(verified.out.find("\nthe header checksum does not match: stored "), std::string::npos)
      << verified.out;

  edit_colour("7FFD");
  applied = run({"apply", rom, dump, "--yes"});
  ASSERT_EQ(applied.code, 0) << applied.err;
  EXPECT_NE(applied.out.find("note: The header checksum did not match the ROM before this write"),
            std::string::npos)
      << applied.out;
  EXPECT_TRUE(checksum_bytes() == demo_checksum);
}

TEST_F(CliAssetsTest, AnEditTooLargeForItsRegionFailsAndLeavesTheRomAsItWas) {
  Sheet noise = read_sheet(in_dump("graphics/013.png"));
  uint32_t state = 1;
  for (uint8_t& index : noise.indices) {
    state = state * 1664525u + 1013904223u;
    index = static_cast<uint8_t>(1 + (state >> 24) % 15);
  }
  write_sheet(in_dump("graphics/013.png"), noise);
  int game_needed = 0;
  for (const char* pack : {"game", "optimal"}) {
    const CliRun applied = run({"apply", rom, dump, "--yes", "--pack", pack});
    EXPECT_EQ(applied.code, 1) << pack;
    EXPECT_NE(applied.err.find("graphics/013.png: the packed block grows from 1045 to "),
              std::string::npos)
        << applied.err;
    EXPECT_NE(applied.err.find("region D2:EE80-FFFF cannot hold its blocks: they need "),
              std::string::npos)
        << applied.err;
    EXPECT_NE(applied.err.find(" bytes, 4479 are free"), std::string::npos) << applied.err;
    // What the region's blocks need: with the game's encoder, the three others as stored and
    // the grown one; the optimal encoder needs no more.
    const size_t need_at = applied.err.find("they need ");
    const size_t grown_at = applied.err.find("from 1045 to ");
    ASSERT_NE(need_at, std::string::npos);
    ASSERT_NE(grown_at, std::string::npos);
    const int needed = std::stoi(applied.err.substr(need_at + 10));
    const int grown = std::stoi(applied.err.substr(grown_at + 13));
    if (std::string(pack) == "game") {
      game_needed = needed;
      EXPECT_EQ(needed, 4480 - layout.nearly_full_free - 1045 + grown);
    } else {
      EXPECT_LE(needed, game_needed);
    }
    EXPECT_TRUE(rom_unchanged());
  }
}

// Region D3 holds graphics 1B and, after it, graphics 27. As planted, 27 does not decode at all:
// the region can neither be repacked nor searched for free space, and apply says which block
// stops it. Made a block that loads but decodes past repacking's limit (65312 bytes), 27 still
// stops the repack, and map says why; a grown 1B then goes into the free space behind 27 and 27
// stays where it is (import --repack takes the same path: test_repack.cpp).
TEST_F(CliAssetsTest, ARegionThatCannotBeRepackedTakesAGrownBlockIntoItsFreeSpace) {
  std::vector<uint8_t> past_limit_rom = testing_support::demo_rom_bytes();
  {
    const std::vector<uint8_t> zeros(kRepackDecodeLimit + 32, 0);
    std::vector<uint8_t> block(kPackedBufferSize);
    const int size = pack_block_best(zeros.data(), static_cast<int>(zeros.size()), block.data(),
                                     kPackedBufferSize);
    ASSERT_LE(0xE898 + size, 0x10000);
    std::copy(block.begin(), block.begin() + size,
              past_limit_rom.begin() + static_cast<long>(testing_support::file_pos(0xD3, 0xE898)));
  }
  const std::string reason =
      "decodes to 65312 bytes, more than repacking takes (at most 65279)";
  const struct {
    const char* name;
    bool past_limit;
  } cases[] = {{"planted: does not decode", false}, {"decodes past the limit", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<uint8_t> before =
        c.past_limit ? past_limit_rom : testing_support::demo_rom_bytes();
    testing_support::write_all(rom, before);
    std::filesystem::remove_all(dump);
    ASSERT_EQ(run({"dump", rom, dump}).code, 0);
    const CliRun mapped = run({"map", rom});
    const std::string why = c.past_limit ? "graphics 27 " + reason : "graphics 27 does not decode";
    EXPECT_NE(mapped.out.find("region D3:E280-FFFF (7552 bytes): 2 blocks, "), std::string::npos);
    EXPECT_NE(mapped.out.find("no repack possible (" + why + ")\n"), std::string::npos)
        << mapped.out;
    // Graphics 1B grown by a band of varied pixels.
    Sheet sheet = read_sheet(in_dump("graphics/01B.png"));
    for (int x = 0; x < 128; ++x) sheet.indices[static_cast<size_t>(20) * 128 + x] = 1 + x * 7 % 15;
    write_sheet(in_dump("graphics/01B.png"), sheet);
    const CliRun applied = run({"apply", rom, dump, "--yes"});
    const std::vector<uint8_t> now = testing_support::read_all(rom);
    const size_t block_27 = testing_support::file_pos(0xD3, 0xE898);
    if (!c.past_limit) {
      EXPECT_EQ(applied.code, 1);
      EXPECT_NE(applied.err.find("region D3:E280-FFFF cannot be repacked (the block at D3:E898 "
                                 "does not decode) and its free space cannot hold the block"),
                std::string::npos)
          << applied.err;
      EXPECT_TRUE(now == before);
      continue;
    }
    ASSERT_EQ(applied.code, 0) << applied.err;
    EXPECT_NE(applied.out.find("bytes, placed in free space at D3:"), std::string::npos)
        << applied.out;
    EXPECT_NE(applied.out.find("(region D3:E280-FFFF cannot be repacked: the block at D3:E898 " +
                               reason + "; no other block moved)"),
              std::string::npos)
        << applied.out;
    // 27 where it was, byte for byte; 1B behind it.
    EXPECT_TRUE(std::equal(before.begin() + static_cast<long>(block_27),
                           before.begin() + static_cast<long>(block_27) + 3000,
                           now.begin() + static_cast<long>(block_27)));
    const size_t pointer_1b =
        testing_support::file_pos(kTableBank, kGraphicsPointerTable + 3 * 0x1B);
    EXPECT_GT(now[pointer_1b] | (now[pointer_1b + 1] << 8), 0xE898);
    const Sheet back = [&] {
      std::filesystem::remove_all(dump);
      EXPECT_EQ(run({"dump", rom, dump}).code, 0);
      return read_sheet(in_dump("graphics/01B.png"));
    }();
    EXPECT_TRUE(back.indices == sheet.indices);
  }
}

#ifndef _WIN32
// A write refused because another program holds the ROM says once that nothing was written.
TEST_F(CliAssetsTest, ARefusedWriteSaysOnceThatNothingWasWritten) {
  write_text("palettes.json", [&] {
    std::string text = read_text("palettes.json");
    const size_t word = text.find("[\"", text.find("\"00\": ")) + 2;
    text.replace(word, 4, text.compare(word, 4, "1234") == 0 ? "4321" : "1234");
    return text;
  }());
  const int fd = ::open(rom.c_str(), O_RDWR);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
  const CliRun applied = run({"apply", rom, dump, "--yes"});
  ::close(fd);
  EXPECT_EQ(applied.code, 1);
  EXPECT_NE(applied.err.find("Another program is writing this ROM file"), std::string::npos)
      << applied.err;
  const size_t said = applied.err.find("othing was written");
  ASSERT_NE(said, std::string::npos) << applied.err;
  EXPECT_EQ(applied.err.find("othing was written", said + 1), std::string::npos) << applied.err;
  EXPECT_EQ(applied.err.find("the ROM is as it was"), std::string::npos) << applied.err;
  EXPECT_TRUE(rom_unchanged());
}
#endif

TEST_F(CliAssetsTest, TheOptimalEncoderLeavesAtLeastAsMuchRoom) {
  Sheet sheet = read_sheet(in_dump("graphics/013.png"));
  for (int x = 0; x < 40; ++x) sheet.indices[static_cast<size_t>(9) * 128 + x] = (x % 3) + 1;
  write_sheet(in_dump("graphics/013.png"), sheet);
  auto free_after = [&](const char* pack) {
    const CliRun planned = run({"apply", rom, dump, "--pack", pack, "--dry-run"});
    EXPECT_EQ(planned.code, 0) << planned.err;
    const size_t at = planned.out.find("region D2:EE80-FFFF keeps ");
    EXPECT_NE(at, std::string::npos) << planned.out;
    return at == std::string::npos ? -1 : std::stoi(planned.out.substr(at + 26));
  };
  const int game = free_after("game");
  const int optimal = free_after("optimal");
  EXPECT_GE(optimal, game);
  const CliRun applied = run({"apply", rom, dump, "--pack", "optimal", "--yes"});
  ASSERT_EQ(applied.code, 0) << applied.err;
  const std::string after = folder.path("after");
  ASSERT_EQ(run({"dump", rom, after}).code, 0);
  EXPECT_TRUE(read_sheet(after + "/graphics/013.png").indices == sheet.indices);
}

TEST_F(CliAssetsTest, FilesOfAnotherRomAreRefusedWithoutForce) {
  std::vector<uint8_t> other = testing_support::demo_rom_bytes();
  other[0x8000] ^= 0xFF;  // a byte no table names
  testing_support::write_all(rom, other);
  CliRun applied = run({"apply", rom, dump, "--yes"});
  EXPECT_EQ(applied.code, 1);
  EXPECT_NE(applied.err.find("manifest.json: /sha256: the files were dumped from another ROM"),
            std::string::npos)
      << applied.err;
  EXPECT_NE(applied.err.find("give --force"), std::string::npos);
  EXPECT_TRUE(testing_support::read_all(rom) == other);
  applied = run({"apply", rom, dump, "--yes", "--force"});
  EXPECT_EQ(applied.code, 0) << applied.err;
  EXPECT_NE(applied.out.find("applied anyway (--force)"), std::string::npos);
  EXPECT_NE(applied.out.find("no changes"), std::string::npos);
}

struct Malformed {
  const char* file;
  const char* find;     // the first occurrence is replaced
  const char* replace;
  const char* error;    // expected in the error line
};

TEST_F(CliAssetsTest, AMalformedFileIsRefusedWithWhereItIsWrong) {
  const Malformed cases[] = {
      {"palettes.json", "\"00\": [\"1443\", \"29D3\", \"46BA\"", "\"00\": [\"1443\", \"29D3\", \"46G\"",
       "palettes.json: /palette_types/00/2: expected a colour word of exactly four hexadecimal "
       "digits"},
      {"palettes.json", "\"00\": [\"1443\", \"29D3\"", "\"00\": [\"1443\" \"29D3\"",
       "palettes.json: /palette_types/00/0 (line 3, column 19): expected ',' or ']' after the "
       "value"},
      {"palettes.json", "\"weapon_palettes\": {\n    \"00\"", "\"weapon_palettes\": {\n    \"zz\"",
       "palettes.json: /weapon_palettes: the key \"00\" is missing"},
      {"entries.json", "\"size_type\": \"01\"", "\"size_type\": \"100\"",
       "entries.json: /000/size_type: expected a string of 1 to 3 hexadecimal digits, at most 0FF"},
      {"entries.json", "\"label\": \"Player 1\"", "\"label\": 1",
       "entries.json: /000/label: expected a string"},
      {"positions/000.json", "\"xflip\": 0", "\"xflip\": 2",
       "positions/000.json: /frames/0/0/tiles/0/xflip: expected a whole number from 0 to 1"},
      {"positions/000.json", "\"x\": -16", "\"x\": -129",
       "positions/000.json: /frames/0/0/x: expected a whole number from -128 to 127"},
      {"positions/000.json", "\"size_type\": 1", "\"size_type\": 2",
       "positions/000.json: /size_type: the size type must stay 1"},
      {"positions/000.json", "\"bits\": 4", "\"bits\": 4, \"extra\": 0",
       "positions/000.json: /frames/0/0/tiles/0/extra: this key is not one of the format's"},
      {"animations.json", "[\"03\", \"04\", \"03\", \"05\"]", "[\"03\", \"04\", \"03\", \"06\"]",
       "animations.json: /00/animation_1/up/0/3: animations differ from the ROM's"},
      {"manifest.json", "\"format\": 1", "\"format\": 2", "manifest.json: /format: expected format 1"},
  };
  for (const Malformed& c : cases) {
    const std::string before = read_text(c.file);
    std::string text = before;
    const size_t at = text.find(c.find);
    ASSERT_NE(at, std::string::npos) << c.find;
    text.replace(at, std::string(c.find).size(), c.replace);
    write_text(c.file, text);
    const CliRun applied = run({"apply", rom, dump, "--yes", "--force"});
    EXPECT_EQ(applied.code, 1) << c.file << ": " << c.replace;
    EXPECT_NE(applied.err.find(std::string("vantorchar apply: ") + c.error), std::string::npos)
        << applied.err;
    EXPECT_NE(applied.err.find("nothing was written"), std::string::npos);
    EXPECT_TRUE(rom_unchanged()) << c.file;
    write_text(c.file, before);
  }
}

TEST_F(CliAssetsTest, AMalformedPictureIsRefusedWithThePixelAtFault) {
  struct Case {
    const char* file;
    int x, y, index;  // the pixel changed, or x < 0 to cut the picture to one tile row
    int colours;      // the size of the picture's colour table
    const char* error;
  };
  const Case cases[] = {
      {"graphics/000.png", 112, 488, 1, 16,
       "graphics/000.png: pixel (112, 488) lies in tile place 3DE, past the last tile (3DD); "
       "it must stay transparent"},
      {"graphics/013.png", -1, 0, 0, 16,
       "graphics/013.png: the picture is 128x8; it must stay 128x64 as dumped"},
      // A colour table of the picture's own: its indices count, and 20 is no tile pixel.
      {"graphics/013.png", 3, 2, 20, 32,
       "graphics/013.png: pixel (3, 2) holds index 20; tiles hold indices 0 to 15"},
  };
  for (const Case& c : cases) {
    const std::string path = in_dump(c.file);
    const std::vector<uint8_t> before = testing_support::read_all(path);
    Sheet sheet = read_sheet(path);
    if (c.x < 0) {
      sheet.height = 8;
      sheet.indices.resize(128 * 8);
    } else {
      sheet.indices[static_cast<size_t>(c.y) * 128 + c.x] = static_cast<uint8_t>(c.index);
    }
    write_sheet(path, sheet, c.colours);
    const CliRun applied = run({"apply", rom, dump, "--yes"});
    EXPECT_EQ(applied.code, 1);
    EXPECT_NE(applied.err.find(c.error), std::string::npos) << applied.err;
    EXPECT_TRUE(rom_unchanged());
    testing_support::write_all(path, before);
  }
}

// A pixel whose table colour (grey 808080, entry 20) the palette lacks: taken by colour it is
// refused, unless --nearest maps it, which the plan notes.
TEST_F(CliAssetsTest, ColoursOutsideThePaletteTakeTheNearestEntryOnRequest) {
  const std::string path = in_dump("graphics/013.png");
  Sheet sheet = read_sheet(path);
  sheet.indices[2 * 128 + 3] = 20;
  write_sheet(path, sheet, 32);
  CliRun applied = run({"apply", rom, dump, "--map", "colour"});
  EXPECT_NE(applied.err.find("graphics/013.png: 1 pixel has a colour outside the palette; it is "
                             "at (3, 2): #808080 (--nearest maps them"), std::string::npos)
      << applied.err;
  applied = run({"apply", rom, dump, "--map", "colour", "--nearest", "--dry-run"});
  EXPECT_NE(applied.out.find("note: graphics/013.png: 1 pixel was mapped to the nearest palette "
                             "colour"), std::string::npos) << applied.out;
  EXPECT_TRUE(rom_unchanged());
}

TEST_F(CliAssetsTest, AMissingFileIsNamed) {
  std::filesystem::remove(in_dump("positions/0E6.json"));
  const CliRun applied = run({"apply", rom, dump, "--yes"});
  EXPECT_EQ(applied.code, 1);
  EXPECT_EQ(applied.err.rfind("vantorchar apply: positions/0E6.json: ", 0), 0u) << applied.err;
  EXPECT_TRUE(rom_unchanged());
}

}  // namespace
}  // namespace vcv
