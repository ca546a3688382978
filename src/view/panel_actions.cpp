#include "view/panel_actions.h"

#include <cstdio>

namespace vcv {
namespace {

constexpr int kTablePageCount = 2;
constexpr int kAnimationTableCount = 2;

// The mode and the checked radio button always agree: Sequence mode is 1, ImageNo mode is 0.
void set_sequence_mode(ViewState& view, PanelUpdate& update, bool sequence) {
  view.sequence_mode = sequence ? 1 : 0;
  update.sequence_mode = sequence;
}

int step_within_count(int value, int count, int step) {
  return step_value(value, 0, count - 1, step);
}

std::string number_caption(const char* format, int value) {
  char caption[16];
  std::snprintf(caption, sizeof caption, format, value);
  return caption;
}

bool on_face_button(ViewState& view, PanelUpdate& update) {
  view.face_direction = (view.face_direction + 1) % kFacingCount;
  update.captions[PanelButton::kFace] = facing_label(view.face_direction);
  return true;
}

bool on_block_button(PanelContext& panel, PanelUpdate& update) {
  panel.view.block_no =
      step_within_count(panel.view.block_no, panel.set.blocks_per_image(), +1);
  update.captions[PanelButton::kBlock] = number_caption("%02X", panel.view.block_no);
  return true;
}

bool on_page_button(ViewState& view, PanelUpdate& update) {
  view.tile_page = step_within_count(view.tile_page, kTablePageCount, +1);
  update.captions[PanelButton::kPage] = view.tile_page == 0 ? "+0000" : "+4000";
  return true;
}

bool on_table_button(ViewState& view, PanelUpdate& update) {
  set_sequence_mode(view, update, true);
  view.animation_table = step_within_count(view.animation_table, kAnimationTableCount, +1);
  update.captions[PanelButton::kAnimationTable] = number_caption("%d", view.animation_table);
  return true;
}

}  // namespace

const char* facing_label(int face_direction) {
  static const char* const kLabels[kFacingCount] = {"  Up  ", " Down ", "  Left ", " Right"};
  return kLabels[face_direction & 3];
}

void on_panel_created(ViewState& view, PanelUpdate& update) {
  set_sequence_mode(view, update, true);
  update.boundaries = true;
}

bool on_entry_selected(ViewState& view, int list_index) {
  view.current_entry = list_index;
  return true;
}

bool on_panel_command(PanelContext& panel, PanelCommand command, PanelUpdate& update) {
  ViewState& view = panel.view;
  switch (command) {
    case PanelCommand::kSequenceRadio:
      set_sequence_mode(view, update, true);
      return true;
    case PanelCommand::kImageRadio:
      set_sequence_mode(view, update, false);
      return true;
    case PanelCommand::kFace:
      return on_face_button(view, update);
    case PanelCommand::kBoundaries:
      return true;
    case PanelCommand::kBlock:
      return on_block_button(panel, update);
    case PanelCommand::kPage:
      return on_page_button(view, update);
    case PanelCommand::kAnimationTable:
      return on_table_button(view, update);
    case PanelCommand::kFlipX:  // the next tile placed takes the bits; nothing is redrawn
      view.flip_bits ^= 0x40;
      return false;
    case PanelCommand::kFlipY:
      view.flip_bits ^= 0x80;
      return false;
  }
  return false;
}

bool on_arrows(PanelContext& panel, PanelArrows bar, int request, PanelUpdate& update) {
  ViewState& view = panel.view;
  if (bar == PanelArrows::kAnimation || bar == PanelArrows::kSequence) {
    set_sequence_mode(view, update, true);
  } else if (bar == PanelArrows::kImage) {
    set_sequence_mode(view, update, false);
  }
  if (request != kScrollLineLeft && request != kScrollLineRight) return false;
  const int step = request == kScrollLineLeft ? -1 : +1;
  switch (bar) {
    case PanelArrows::kAnimation:
      view.animation_no = step_within_count(view.animation_no, view.animation_count, step);
      break;
    case PanelArrows::kSequence:
      view.sequence_no = step_within_count(view.sequence_no, view.sequence_count, step);
      break;
    case PanelArrows::kImage:
      view.image_no = step_within_count(view.image_no, view.image_count, step);
      break;
    case PanelArrows::kWeaponPalette:
      // The document shows the new weapon colours (colours 13 to 15) before the refresh; the
      // entry is not loaded again, so its unwritten edits stay.
      view.weapon_palette = step_value(view.weapon_palette, 0, kWeaponPaletteCount - 1, step);
      break;
  }
  return true;
}

}  // namespace vcv
