// Opening ROM files through the document: the title, the reset of the view, failures, images
// with a copier header, files that cannot be ROM images, and the user's read-only choice.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "demo/demo_rom.h"
#include "document/document.h"
#include "panel_test_ui.h"

namespace vcv {
namespace {

class OpenRom : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const std::string& path : written_) std::remove(path.c_str());
  }
  std::string write_file(const std::string& name, size_t size, uint8_t fill) {
    const std::string path = ::testing::TempDir() + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::vector<uint8_t> bytes(size, fill);
    if (f != nullptr) {
      if (size > 0) std::fwrite(bytes.data(), 1, size, f);
      std::fclose(f);
    }
    written_.push_back(path);
    return path;
  }

  Document document;
  PanelMirror panel;
  std::vector<std::string> written_;
};

TEST(RomWindowTitle, NamesTheFileAfterTheLastSeparator) {
  EXPECT_EQ(rom_window_title("C:\\roms\\game.sfc"), "VantorCharViewer - game.sfc ");
  EXPECT_EQ(rom_window_title("game.sfc"), "VantorCharViewer - game.sfc ");
  EXPECT_EQ(rom_window_title("C:\\roms\\"), "VantorCharViewer -  ");
}

TEST_F(OpenRom, ResetsTheFourNumbersAndKeepsTheRest) {
  ViewState& view = document.view();
  view.current_entry = 0x120;
  view.animation_no = 3;
  view.sequence_no = 2;
  view.image_no = 9;
  view.face_direction = 2;
  view.animation_table = 1;
  view.block_no = 5;
  view.tile_page = 1;
  view.weapon_palette = 7;
  view.flip_bits = 0xC0;
  view.sequence_mode = 0;
  document.working_set().loaded_entry = 0x120;
  EXPECT_EQ(document.title(), "VantorCharViewer");
  const std::string path = write_file("open_rom_plain.sfc", kMinRomImageSize, 0);
  ASSERT_TRUE(document.open(path).ok());
  EXPECT_TRUE(document.is_open());
  EXPECT_EQ(document.copier_header(), 0);
  EXPECT_EQ(document.image().mapping(), kMappingHiRom);
  EXPECT_EQ(document.rom_path(), path);
  EXPECT_EQ(document.title(), rom_window_title(path));
  EXPECT_EQ(view.current_entry, 0);
  EXPECT_EQ(view.animation_no, 0);
  EXPECT_EQ(view.sequence_no, 0);
  EXPECT_EQ(view.face_direction, 2);
  EXPECT_EQ(view.animation_table, 1);
  EXPECT_EQ(view.block_no, 5);
  EXPECT_EQ(view.tile_page, 1);
  EXPECT_EQ(view.weapon_palette, 7);
  EXPECT_EQ(view.flip_bits, 0xC0);
  EXPECT_EQ(view.sequence_mode, 0);
  // The first refresh ran on the new file: entry 0 is selected and read from it.
  const PanelUpdate update = panel.take(document);
  ASSERT_TRUE(update.texts);
  EXPECT_EQ(update.texts->list_selection, 0);
  EXPECT_EQ(update.texts->entry_label, "No.000");
  EXPECT_TRUE(update.repaint);
  EXPECT_NE(document.working_set().loaded_entry, 0x120);
}

TEST_F(OpenRom, AFailedOpeningKeepsTheOpenRomAndSaysWhy) {
  const std::string first = write_file("open_rom_first.sfc", kMinRomImageSize, 0);
  ASSERT_TRUE(document.open(first).ok());
  panel.take(document);
  const struct {
    std::string path;
    RomOpenStatus status;
  } cases[] = {
      {::testing::TempDir() + "no_such_folder/none.sfc", RomOpenStatus::kCannotOpen},
      {write_file("open_rom_short.sfc", kMinRomImageSize - 1, 0), RomOpenStatus::kTooSmall},
      {write_file("open_rom_header_only.smc", 512, 0), RomOpenStatus::kTooSmall},
      {std::string(300, 'a'), RomOpenStatus::kCannotOpen},  // longer than a name may be
      {::testing::TempDir(), RomOpenStatus::kNotRegularFile},  // a folder
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(document.open(first).ok());
    panel.take(document);
    const RomOpenResult result = document.open(c.path);
    EXPECT_EQ(result.status, c.status) << c.path;
    EXPECT_FALSE(result.reason.empty());
    // The ROM that was open stays open, as it was.
    EXPECT_TRUE(document.is_open());
    EXPECT_EQ(document.rom_path(), first);
    EXPECT_EQ(document.title(), rom_window_title(first));
    EXPECT_TRUE(panel.take(document).empty()) << "nothing is redrawn";
  }
}

TEST_F(OpenRom, ACopierHeaderIsSkipped) {
  const struct {
    long long size;
    int base;
  } cases[] = {{kMinRomImageSize + 512, 512},
               {kMinRomImageSize + 1024 + 512, 512},
               {kMinRomImageSize + 100, 0},
               {kMinRomImageSize, 0}};
  for (const auto& c : cases) {
    ASSERT_TRUE(document.open(write_file("open_rom_header.smc", c.size, 0)).ok()) << c.size;
    EXPECT_EQ(document.copier_header(), c.base) << c.size;
  }
}

// On a ROM whose first entry has several images the refresh keeps an image number that is in
// range, so only the reset itself can bring it back to 0.
TEST_F(OpenRom, StartsAtTheFirstImageEvenWhereThatNumberWouldStillFit) {
  const std::string path = ::testing::TempDir() + "open_rom_demo.sfc";
  written_.push_back(path);
  std::string error;
  ASSERT_TRUE(demo::write_demo_rom(path, &error)) << error;
  ASSERT_TRUE(document.open(path).ok());
  ASSERT_GT(document.view().image_count, 1);
  document.view().sequence_mode = 0;
  document.view().image_no = 1;
  ASSERT_TRUE(document.open(path).ok());
  EXPECT_EQ(document.view().image_no, 0);
  EXPECT_EQ(panel.take(document).texts->image_field, "00");
}

}  // namespace
}  // namespace vcv
