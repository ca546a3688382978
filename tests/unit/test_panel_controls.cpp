// The panel's controls without and with ranges: captions, the mode and its radio buttons, the
// arrows' wrapping, and the character list's labels.
#include <gtest/gtest.h>

#include "panel_test_ui.h"
#include "res/resource.h"
#include "view/app_state.h"
#include "view/character_list.h"
#include "view/panel_actions.h"

namespace vcv {
namespace {

class PanelControls : public ::testing::Test {
 protected:
  void SetUp() override { on_panel_created(app, ui); }
  AppState app;
  PanelTestUi ui;
};

TEST(CharacterList, LabelsFollowTheIdRanges) {
  EXPECT_EQ(character_list_label(0), "Player 1");
  EXPECT_EQ(character_list_label(6), "Player 7");
  EXPECT_EQ(character_list_label(7), "007");
  EXPECT_EQ(character_list_label(0xFF), "0FF");
  EXPECT_EQ(character_list_label(0x100), "100:Enemy");
  EXPECT_EQ(character_list_label(0x113), "113:Enemy");
  EXPECT_EQ(character_list_label(0x114), "114:");
  EXPECT_EQ(character_list_label(0x1FA), "1FA:Enemy");
  EXPECT_EQ(character_list_label(0x1FB), "1FB:");
  EXPECT_EQ(character_list_label(0x1FC), "");
  EXPECT_EQ(character_list_label(-1), "");
  int unused = 0;
  for (int id = 0x100; id <= 0x1FB; ++id) {
    const std::string label = character_list_label(id);
    if (label.size() == 4) ++unused;
  }
  EXPECT_EQ(unused, 26);
}

TEST_F(PanelControls, CreationGivesSequenceModeAndBoundaries) {
  EXPECT_EQ(app.view.sequence_mode, 1);
  EXPECT_TRUE(ui.checked[IDC_SEQUENCE_RADIO]);
  EXPECT_FALSE(ui.checked[IDC_IMAGE_RADIO]);
  EXPECT_TRUE(ui.checked[IDC_BOUNDARIES]);
}

TEST_F(PanelControls, ModeAndRadioButtonsAlwaysAgree) {
  on_image_radio(app, ui);
  EXPECT_EQ(app.view.sequence_mode, 0);
  EXPECT_TRUE(ui.checked[IDC_IMAGE_RADIO]);
  EXPECT_FALSE(ui.checked[IDC_SEQUENCE_RADIO]);
  on_table_button(app, ui);  // the animation-table button switches to Sequence mode
  EXPECT_EQ(app.view.sequence_mode, 1);
  EXPECT_TRUE(ui.checked[IDC_SEQUENCE_RADIO]);
  EXPECT_FALSE(ui.checked[IDC_IMAGE_RADIO]);
  on_arrows(app, ui, IDC_IMAGE_ARROWS, 5);  // a thumb request still sets the mode
  EXPECT_EQ(app.view.sequence_mode, 0);
  EXPECT_TRUE(ui.checked[IDC_IMAGE_RADIO]);
  on_arrows(app, ui, IDC_ANIMATION_ARROWS, 7);
  EXPECT_EQ(app.view.sequence_mode, 1);
  on_arrows(app, ui, IDC_IMAGE_ARROWS, kScrollLineLeft);
  on_arrows(app, ui, IDC_SEQUENCE_ARROWS, kScrollLineRight);
  EXPECT_EQ(app.view.sequence_mode, 1);
  EXPECT_TRUE(ui.checked[IDC_SEQUENCE_RADIO]);
  on_sequence_radio(app, ui);
  EXPECT_EQ(app.view.sequence_mode, 1);
  on_arrows(app, ui, IDC_WEAPON_ARROWS, kScrollLineRight);  // leaves the mode alone
  EXPECT_EQ(app.view.sequence_mode, 1);
}

TEST_F(PanelControls, ButtonCaptionsCycle) {
  const char* faces[] = {" Down ", "  Left ", " Right", "  Up  ", " Down "};
  for (const char* face : faces) {
    on_face_button(app, ui);
    EXPECT_EQ(ui.texts[IDC_FACE_BUTTON], face);
  }
  EXPECT_EQ(app.view.face_direction, 1);
  on_page_button(app, ui);
  EXPECT_EQ(ui.texts[IDC_PAGE_BUTTON], "+4000");
  EXPECT_EQ(app.view.tile_page, 1);
  on_page_button(app, ui);
  EXPECT_EQ(ui.texts[IDC_PAGE_BUTTON], "+0000");
  on_table_button(app, ui);
  EXPECT_EQ(ui.texts[IDC_TABLE_BUTTON], "1");
  on_table_button(app, ui);
  EXPECT_EQ(ui.texts[IDC_TABLE_BUTTON], "0");
  EXPECT_EQ(app.view.animation_table, 0);
}

TEST_F(PanelControls, BlockButtonCountsBlocksOfTheLoadedSizeType) {
  app.working_set->size_type = 2;  // 12 blocks
  std::string captions;
  for (int i = 0; i < 13; ++i) {
    on_block_button(app, ui);
    captions += ui.texts[IDC_BLOCK_BUTTON] + " ";
  }
  EXPECT_EQ(captions, "01 02 03 04 05 06 07 08 09 0A 0B 00 01 ");
  app.working_set->size_type = 0x83;  // only the low two bits count: 24 blocks
  app.view.block_no = 0x16;
  on_block_button(app, ui);
  on_block_button(app, ui);
  EXPECT_EQ(ui.texts[IDC_BLOCK_BUTTON], "00");
}

TEST_F(PanelControls, ArrowsWrapWithinTheLastRanges) {
  app.view.image_count = 5;
  on_arrows(app, ui, IDC_IMAGE_ARROWS, kScrollLineLeft);
  EXPECT_EQ(app.view.image_no, 4);
  on_arrows(app, ui, IDC_IMAGE_ARROWS, kScrollLineRight);
  EXPECT_EQ(app.view.image_no, 0);
  app.view.animation_count = 0;  // an empty range leaves the number at 0
  on_arrows(app, ui, IDC_ANIMATION_ARROWS, kScrollLineLeft);
  EXPECT_EQ(app.view.animation_no, 0);
  app.view.sequence_count = 3;
  app.view.sequence_no = 2;
  on_arrows(app, ui, IDC_SEQUENCE_ARROWS, kScrollLineRight);
  EXPECT_EQ(app.view.sequence_no, 0);
  on_arrows(app, ui, IDC_SEQUENCE_ARROWS, 2);  // a page request changes no number
  EXPECT_EQ(app.view.sequence_no, 0);
  on_arrows(app, ui, IDC_IMAGE_ARROWS + 100, kScrollLineRight);  // not an arrow bar
  EXPECT_EQ(app.view.image_no, 0);
}

TEST_F(PanelControls, WeaponPaletteWrapsAndForcesAReload) {
  app.working_set->loaded_entry = 5;
  on_arrows(app, ui, IDC_WEAPON_ARROWS, kScrollLineLeft);
  EXPECT_EQ(app.view.weapon_palette, 31);
  EXPECT_EQ(app.working_set->loaded_entry, -1);
  on_arrows(app, ui, IDC_WEAPON_ARROWS, kScrollLineRight);
  EXPECT_EQ(app.view.weapon_palette, 0);
}

TEST_F(PanelControls, FlipBoxesToggleBitsWithoutRedrawing) {
  EXPECT_TRUE(on_panel_command(app, ui, IDC_FLIPX));
  EXPECT_EQ(app.view.flip_bits, 0x40);
  on_panel_command(app, ui, IDC_FLIPY);
  EXPECT_EQ(app.view.flip_bits, 0xC0);
  on_panel_command(app, ui, IDC_FLIPX);
  EXPECT_EQ(app.view.flip_bits, 0x80);
  EXPECT_EQ(ui.repaints, 0);
  EXPECT_FALSE(on_panel_command(app, ui, IDC_INFO_TEXT));
}

TEST_F(PanelControls, WithoutARomNothingIsShown) {
  on_entry_selected(app, ui, 0x123);
  EXPECT_EQ(app.view.current_entry, 0x123);
  on_image_radio(app, ui);
  on_face_button(app, ui);
  EXPECT_EQ(ui.repaints, 0);
  EXPECT_EQ(ui.list_selection, -1);
  EXPECT_EQ(ui.texts.count(IDC_INFO_TEXT), 0u);
}

}  // namespace
}  // namespace vcv
