#include "view/panel_actions.h"

#include <cstdio>

#include "platform/ui.h"
#include "res/resource.h"
#include "view/app_state.h"
#include "view/refresh.h"

namespace vcv {
namespace {

constexpr int kFacingCount = 4;
constexpr int kTablePageCount = 2;
constexpr int kAnimationTableCount = 2;

// The mode and the checked radio button always agree: Sequence mode is 1, ImageNo mode is 0.
void set_sequence_mode(AppState& app, Ui& ui, bool sequence) {
  app.view.sequence_mode = sequence ? 1 : 0;
  ui.set_box_checked(IDC_SEQUENCE_RADIO, sequence);
  ui.set_box_checked(IDC_IMAGE_RADIO, !sequence);
}

int step_within_count(int value, int count, int step) {
  return step_value(value, 0, count - 1, step);
}

}  // namespace

const char* facing_label(int face_direction) {
  static const char* const kLabels[kFacingCount] = {"  Up  ", " Down ", "  Left ", " Right"};
  return kLabels[face_direction & 3];
}

void on_panel_created(AppState& app, Ui& ui) {
  set_sequence_mode(app, ui, true);
  ui.set_box_checked(IDC_BOUNDARIES, true);
}

void on_entry_selected(AppState& app, Ui& ui, int list_index) {
  app.view.current_entry = list_index;
  refresh_view_if_open(app, ui);
}

void on_sequence_radio(AppState& app, Ui& ui) {
  set_sequence_mode(app, ui, true);
  refresh_view(app, ui);
}

void on_image_radio(AppState& app, Ui& ui) {
  set_sequence_mode(app, ui, false);
  refresh_view(app, ui);
}

void on_face_button(AppState& app, Ui& ui) {
  app.view.face_direction = (app.view.face_direction + 1) % kFacingCount;
  ui.set_control_text(IDC_FACE_BUTTON, facing_label(app.view.face_direction));
  refresh_view(app, ui);
}

void on_boundaries_box(AppState& app, Ui& ui) { refresh_view(app, ui); }

void on_block_button(AppState& app, Ui& ui) {
  app.view.block_no =
      step_within_count(app.view.block_no, app.working_set->blocks_per_image(), +1);
  char caption[16];
  std::snprintf(caption, sizeof caption, "%02X", app.view.block_no);
  ui.set_control_text(IDC_BLOCK_BUTTON, caption);
  refresh_view_if_open(app, ui);
}

void on_page_button(AppState& app, Ui& ui) {
  app.view.tile_page = step_within_count(app.view.tile_page, kTablePageCount, +1);
  ui.set_control_text(IDC_PAGE_BUTTON, app.view.tile_page == 0 ? "+0000" : "+4000");
  refresh_view_if_open(app, ui);
}

void on_table_button(AppState& app, Ui& ui) {
  set_sequence_mode(app, ui, true);
  app.view.animation_table =
      step_within_count(app.view.animation_table, kAnimationTableCount, +1);
  char caption[16];
  std::snprintf(caption, sizeof caption, "%d", app.view.animation_table);
  ui.set_control_text(IDC_TABLE_BUTTON, caption);
  refresh_view_if_open(app, ui);
}

void on_flipx_box(AppState& app) { app.view.flip_bits ^= 0x40; }
void on_flipy_box(AppState& app) { app.view.flip_bits ^= 0x80; }

void on_arrows(AppState& app, Ui& ui, int bar_id, int request) {
  ViewState& view = app.view;
  if (bar_id == IDC_ANIMATION_ARROWS || bar_id == IDC_SEQUENCE_ARROWS) {
    set_sequence_mode(app, ui, true);
  } else if (bar_id == IDC_IMAGE_ARROWS) {
    set_sequence_mode(app, ui, false);
  } else if (bar_id != IDC_WEAPON_ARROWS) {
    return;
  }
  if (request != kScrollLineLeft && request != kScrollLineRight) return;
  const int step = request == kScrollLineLeft ? -1 : +1;
  switch (bar_id) {
    case IDC_ANIMATION_ARROWS:
      view.animation_no = step_within_count(view.animation_no, view.animation_count, step);
      break;
    case IDC_SEQUENCE_ARROWS:
      view.sequence_no = step_within_count(view.sequence_no, view.sequence_count, step);
      break;
    case IDC_IMAGE_ARROWS:
      view.image_no = step_within_count(view.image_no, view.image_count, step);
      break;
    default:  // weapon palette: its colours are read while loading, so load the entry again
      view.weapon_palette = step_value(view.weapon_palette, 0, kWeaponPaletteCount - 1, step);
      app.working_set->loaded_entry = -1;
      break;
  }
  refresh_view(app, ui);
}

bool on_panel_command(AppState& app, Ui& ui, int control_id) {
  switch (control_id) {
    case IDC_SEQUENCE_RADIO: on_sequence_radio(app, ui); return true;
    case IDC_IMAGE_RADIO: on_image_radio(app, ui); return true;
    case IDC_FACE_BUTTON: on_face_button(app, ui); return true;
    case IDC_BOUNDARIES: on_boundaries_box(app, ui); return true;
    case IDC_BLOCK_BUTTON: on_block_button(app, ui); return true;
    case IDC_PAGE_BUTTON: on_page_button(app, ui); return true;
    case IDC_TABLE_BUTTON: on_table_button(app, ui); return true;
    case IDC_FLIPX: on_flipx_box(app); return true;
    case IDC_FLIPY: on_flipy_box(app); return true;
    default: return false;
  }
}

}  // namespace vcv
