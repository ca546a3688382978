#include "view/refresh.h"

#include <cstdio>
#include <cstring>

#include "sprite/directory.h"
#include "sprite/frames.h"
#include "view/view_texts.h"

namespace vcv {
namespace {

std::string hex_text(const char* format, int value) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

void write_numbers_and_ranges(const ViewState& view, PanelTexts* texts) {
  texts->list_selection = view.current_entry;
  texts->entry_label = hex_text("No.%03X", view.current_entry);
  texts->image_field = hex_text("%02X", view.image_no);
  texts->animation_field = hex_text("%02X", view.animation_no);
  texts->sequence_field = hex_text("%02X", view.sequence_no);
  texts->weapon_field = hex_text("%02X", view.weapon_palette);
  texts->animation_range = format_range_label(view.animation_count);
  texts->sequence_range = format_range_label(view.sequence_count);
  texts->image_range = format_range_label(view.image_count);
}

}  // namespace

bool refresh_view(PanelContext& panel, PanelTexts* texts) {
  if (!panel.rom_open()) return false;
  ViewState& view = panel.view;
  const SpriteWorkingSet& set = panel.set;
  DisplayState& display = panel.display;
  std::memset(display.display_palette, 0, sizeof display.display_palette);
  std::memset(display.canvas, 0, sizeof display.canvas);
  apply_refresh_clamps(view, set, panel.directory);
  render_frame(set, view.image_no, kCanvasSize, kCanvasSize, display.canvas,
               display.display_palette);
  if (texts != nullptr) {
    write_numbers_and_ranges(view, texts);
    texts->info_text = build_info_text(view, set, panel.directory);
    texts->tile_info_text = build_tile_info_text(view, set);
  }
  return true;
}

bool refresh_view_new_sheet(PanelContext& panel, PanelTexts* texts) {
  if (!panel.rom_open()) return false;
  panel.set.sheet_valid = false;
  return refresh_view(panel, texts);
}

}  // namespace vcv
