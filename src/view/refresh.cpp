#include "view/refresh.h"

#include <cstdio>
#include <cstring>

#include "platform/ui.h"
#include "res/resource.h"
#include "sprite/directory.h"
#include "sprite/frames.h"
#include "view/app_state.h"
#include "view/view_texts.h"

namespace vcv {
namespace {

void set_hex_field(Ui& ui, int control_id, const char* format, int value) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  ui.set_control_text(control_id, text);
}

void write_numbers_and_ranges(const ViewState& view, Ui& ui) {
  set_hex_field(ui, IDC_ENTRY_LABEL, "No.%03X", view.current_entry);
  set_hex_field(ui, IDC_IMAGE_FIELD, "%02X", view.image_no);
  set_hex_field(ui, IDC_ANIMATION_FIELD, "%02X", view.animation_no);
  set_hex_field(ui, IDC_SEQUENCE_FIELD, "%02X", view.sequence_no);
  set_hex_field(ui, IDC_WEAPON_FIELD, "%02X", view.weapon_palette);
  ui.set_control_text(IDC_ANIMATION_RANGE, format_range_label(view.animation_count));
  ui.set_control_text(IDC_SEQUENCE_RANGE, format_range_label(view.sequence_count));
  ui.set_control_text(IDC_IMAGE_RANGE, format_range_label(view.image_count));
}

}  // namespace

void refresh_view(AppState& app, Ui& ui) {
  if (!app.rom_open()) return;
  ViewState& view = app.view;
  SpriteWorkingSet& set = *app.working_set;
  DisplayState& display = app.display;
  ui.select_entry_in_list(view.current_entry);
  std::memset(display.display_palette, 0, sizeof display.display_palette);
  std::memset(display.canvas, 0, sizeof display.canvas);
  load_entry(app.rom_file, app.directory, set, view.current_entry, view.weapon_palette);
  apply_refresh_clamps(view, set, app.directory);
  render_frame(set, view.image_no, kCanvasSize, kCanvasSize, display.canvas,
               display.display_palette);
  write_numbers_and_ranges(view, ui);
  ui.set_control_text(IDC_INFO_TEXT, build_info_text(view, set, app.directory));
  ui.set_control_text(IDC_TILE_INFO_TEXT, build_tile_info_text(view, set));
  ui.repaint_areas();
}

void refresh_view_if_open(AppState& app, Ui& ui) {
  if (app.rom_open()) refresh_view(app, ui);
}

void refresh_view_new_sheet(AppState& app, Ui& ui) {
  if (!app.rom_open()) return;
  app.working_set->sheet_valid = false;
  refresh_view(app, ui);
}

}  // namespace vcv
