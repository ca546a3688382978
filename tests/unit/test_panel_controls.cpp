// The panel's controls without and with ranges: captions, the mode and its radio buttons, the
// arrows' wrapping, and the character list's labels.
#include <gtest/gtest.h>

#include "panel_test_ui.h"
#include "document/document.h"
#include "view/character_list.h"
#include "view/panel_actions.h"

namespace vcv {
namespace {

class PanelControls : public ::testing::Test {
 protected:
  void SetUp() override { document.panel_created(); }
  // Which radio button is checked now: true for "Sequence".
  bool sequence_checked() {
    panel.take(document);
    return panel.shown.sequence_mode.value_or(false);
  }
  std::string caption(PanelButton button) {
    panel.take(document);
    return panel.caption(button);
  }

  Document document;
  PanelMirror panel;
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
  EXPECT_EQ(document.view().sequence_mode, 1);
  const PanelUpdate created = document.take_panel_update();
  EXPECT_EQ(created.sequence_mode, std::optional<bool>(true));
  EXPECT_EQ(created.boundaries, std::optional<bool>(true));
}

TEST_F(PanelControls, ModeAndRadioButtonsAlwaysAgree) {
  document.panel_command(PanelCommand::kImageRadio);
  EXPECT_EQ(document.view().sequence_mode, 0);
  EXPECT_FALSE(sequence_checked());
  document.panel_command(PanelCommand::kAnimationTable);  // the animation-table button switches to Sequence mode
  EXPECT_EQ(document.view().sequence_mode, 1);
  EXPECT_TRUE(sequence_checked());
  document.arrows(PanelArrows::kImage, 5);  // a thumb request still sets the mode
  EXPECT_EQ(document.view().sequence_mode, 0);
  EXPECT_FALSE(sequence_checked());
  document.arrows(PanelArrows::kAnimation, 7);
  EXPECT_EQ(document.view().sequence_mode, 1);
  document.arrows(PanelArrows::kImage, kScrollLineLeft);
  document.arrows(PanelArrows::kSequence, kScrollLineRight);
  EXPECT_EQ(document.view().sequence_mode, 1);
  EXPECT_TRUE(sequence_checked());
  document.panel_command(PanelCommand::kSequenceRadio);
  EXPECT_EQ(document.view().sequence_mode, 1);
  document.arrows(PanelArrows::kWeaponPalette, kScrollLineRight);  // leaves the mode alone
  EXPECT_EQ(document.view().sequence_mode, 1);
}

TEST_F(PanelControls, ButtonCaptionsCycle) {
  const char* faces[] = {" Down ", "  Left ", " Right", "  Up  ", " Down "};
  for (const char* face : faces) {
    document.panel_command(PanelCommand::kFace);
    EXPECT_EQ(caption(PanelButton::kFace), face);
  }
  EXPECT_EQ(document.view().face_direction, 1);
  document.panel_command(PanelCommand::kPage);
  EXPECT_EQ(caption(PanelButton::kPage), "+4000");
  EXPECT_EQ(document.view().tile_page, 1);
  document.panel_command(PanelCommand::kPage);
  EXPECT_EQ(caption(PanelButton::kPage), "+0000");
  document.panel_command(PanelCommand::kAnimationTable);
  EXPECT_EQ(caption(PanelButton::kAnimationTable), "1");
  document.panel_command(PanelCommand::kAnimationTable);
  EXPECT_EQ(caption(PanelButton::kAnimationTable), "0");
  EXPECT_EQ(document.view().animation_table, 0);
}

TEST_F(PanelControls, BlockButtonCountsBlocksOfTheLoadedSizeType) {
  document.working_set().size_type = 2;  // 12 blocks
  std::string captions;
  for (int i = 0; i < 13; ++i) {
    document.panel_command(PanelCommand::kBlock);
    captions += caption(PanelButton::kBlock) + " ";
  }
  EXPECT_EQ(captions, "01 02 03 04 05 06 07 08 09 0A 0B 00 01 ");
  document.working_set().size_type = 0x83;  // only the low two bits count: 24 blocks
  document.view().block_no = 0x16;
  document.panel_command(PanelCommand::kBlock);
  document.panel_command(PanelCommand::kBlock);
  EXPECT_EQ(caption(PanelButton::kBlock), "00");
}

TEST_F(PanelControls, ArrowsWrapWithinTheLastRanges) {
  document.view().image_count = 5;
  document.arrows(PanelArrows::kImage, kScrollLineLeft);
  EXPECT_EQ(document.view().image_no, 4);
  document.arrows(PanelArrows::kImage, kScrollLineRight);
  EXPECT_EQ(document.view().image_no, 0);
  document.view().animation_count = 0;  // an empty range leaves the number at 0
  document.arrows(PanelArrows::kAnimation, kScrollLineLeft);
  EXPECT_EQ(document.view().animation_no, 0);
  document.view().sequence_count = 3;
  document.view().sequence_no = 2;
  document.arrows(PanelArrows::kSequence, kScrollLineRight);
  EXPECT_EQ(document.view().sequence_no, 0);
  document.arrows(PanelArrows::kSequence, 2);  // a page request changes no number
  EXPECT_EQ(document.view().sequence_no, 0);
}

TEST_F(PanelControls, WeaponPaletteWraps) {
  document.arrows(PanelArrows::kWeaponPalette, kScrollLineLeft);
  EXPECT_EQ(document.view().weapon_palette, 31);
  document.arrows(PanelArrows::kWeaponPalette, kScrollLineRight);
  EXPECT_EQ(document.view().weapon_palette, 0);
}

TEST_F(PanelControls, FlipBoxesToggleBitsWithoutRedrawing) {
  document.take_panel_update();
  PanelContext context = document.panel();
  PanelUpdate update;
  EXPECT_FALSE(on_panel_command(context, PanelCommand::kFlipX, update)) << "no refresh follows";
  EXPECT_EQ(document.view().flip_bits, 0x40);
  document.panel_command(PanelCommand::kFlipY);
  EXPECT_EQ(document.view().flip_bits, 0xC0);
  document.panel_command(PanelCommand::kFlipX);
  EXPECT_EQ(document.view().flip_bits, 0x80);
  EXPECT_TRUE(update.empty());
  EXPECT_TRUE(document.take_panel_update().empty());
}

TEST_F(PanelControls, WithoutARomNothingIsShown) {
  document.select_entry(0x123);
  EXPECT_EQ(document.view().current_entry, 0x123);
  document.panel_command(PanelCommand::kImageRadio);
  document.panel_command(PanelCommand::kFace);
  const PanelUpdate update = document.take_panel_update();
  EXPECT_FALSE(update.texts) << "the captions change, the texts stay empty";
  EXPECT_FALSE(update.repaint);
  EXPECT_EQ(update.captions.at(PanelButton::kFace), " Down ");
}

}  // namespace
}  // namespace vcv
