// Opening ROM files: the title, the reset of the view, failures, and images with a copier header.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "demo/demo_rom.h"
#include "panel_test_ui.h"
#include "res/resource.h"
#include "rom/open_rom.h"
#include "view/app_state.h"

namespace vcv {
namespace {

std::string write_file(const std::string& name, size_t size, uint8_t fill) {
  const std::string path = ::testing::TempDir() + name;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::vector<uint8_t> bytes(size, fill);
  if (f != nullptr) {
    if (size > 0) std::fwrite(bytes.data(), 1, size, f);
    std::fclose(f);
  }
  return path;
}

TEST(OpenRom, TitleNamesTheFileAfterTheLastSeparator) {
  EXPECT_EQ(rom_window_title("C:\\roms\\game.sfc"), "VantorCharViewer - game.sfc ");
  EXPECT_EQ(rom_window_title("game.sfc"), "VantorCharViewer - game.sfc ");
  EXPECT_EQ(rom_window_title("C:\\roms\\"), "VantorCharViewer -  ");
}

TEST(OpenRom, ResetsTheFourNumbersAndKeepsTheRest) {
  AppState app;
  PanelTestUi ui;
  ViewState& view = app.view;
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
  app.working_set->loaded_entry = 0x120;
  const std::string path = write_file("open_rom_plain.sfc", 4096, 0);
  ASSERT_EQ(open_rom(app, ui, path), 1);
  EXPECT_TRUE(app.rom_open());
  EXPECT_EQ(app.rom_file.base(), 0);
  EXPECT_EQ(app.rom_file.mapping(), kMappingHiRom);
  EXPECT_EQ(app.rom_path, path);
  EXPECT_EQ(ui.title, rom_window_title(path));
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
  EXPECT_EQ(ui.list_selection, 0);
  EXPECT_NE(app.working_set->loaded_entry, 0x120);
  EXPECT_EQ(ui.texts[1014], "No.000");
  EXPECT_EQ(ui.repaints, 1);
}

TEST(OpenRom, AFailedOpeningLeavesNoRomAndTheOldTitle) {
  AppState app;
  PanelTestUi ui;
  ASSERT_EQ(open_rom(app, ui, write_file("open_rom_first.sfc", 1024, 0)), 1);
  const std::string title = ui.title;
  const int repaints = ui.repaints;
  EXPECT_EQ(open_rom(app, ui, ::testing::TempDir() + "no_such_folder/none.sfc"), 0);
  EXPECT_FALSE(app.rom_open());
  EXPECT_EQ(app.rom_path, "");
  EXPECT_EQ(ui.title, title);
  EXPECT_EQ(ui.repaints, repaints);
  EXPECT_EQ(open_rom(app, ui, std::string(300, 'a')), 0);  // longer than a path may be
  EXPECT_FALSE(app.rom_open());
}

TEST(OpenRom, ACopierHeaderIsSkipped) {
  AppState app;
  PanelTestUi ui;
  ASSERT_EQ(open_rom(app, ui, write_file("open_rom_header.smc", 4096 + 512, 0)), 1);
  EXPECT_EQ(app.rom_file.base(), 512);
  ASSERT_EQ(open_rom(app, ui, write_file("open_rom_small.smc", 512, 0)), 1);
  EXPECT_EQ(app.rom_file.base(), 512);
  ASSERT_EQ(open_rom(app, ui, write_file("open_rom_odd.smc", 4096 + 100, 0)), 1);
  EXPECT_EQ(app.rom_file.base(), 0);
  ASSERT_EQ(open_rom(app, ui, write_file("open_rom_empty.smc", 0, 0)), 1);
  EXPECT_EQ(app.rom_file.base(), 0);
}

// On a ROM whose first entry has several images the refresh keeps an image number that is in
// range, so only the reset itself can bring it back to 0.
TEST(OpenRom, StartsAtTheFirstImageEvenWhereThatNumberWouldStillFit) {
  AppState app;
  PanelTestUi ui;
  const std::string path = ::testing::TempDir() + "open_rom_demo.sfc";
  std::string error;
  ASSERT_TRUE(demo::write_demo_rom(path, &error)) << error;
  ASSERT_EQ(open_rom(app, ui, path), 1);
  ASSERT_GT(app.view.image_count, 1);
  app.view.sequence_mode = 0;
  app.view.image_no = 1;
  ASSERT_EQ(open_rom(app, ui, path), 1);
  EXPECT_EQ(app.view.image_no, 0);
  EXPECT_EQ(ui.texts[IDC_IMAGE_FIELD], "00");
}

}  // namespace
}  // namespace vcv
