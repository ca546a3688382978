#include "document/document.h"

#include "edit/edit_commands.h"
#include "edit/write_image.h"
#include "sprite/directory.h"
#include "view/refresh.h"

namespace vcv {

namespace {

constexpr char kProgramTitle[] = "VantorCharViewer";

// The file's name: what follows the last folder separator (Windows takes '/' as one too).
std::string file_name_of(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string rom_window_title(const std::string& path) {
  return std::string(kProgramTitle) + " - " + file_name_of(path) + " ";
}

Document::Document() : set_(std::make_unique<SpriteWorkingSet>()), title_(kProgramTitle) {}

PanelContext Document::panel() {
  return PanelContext{rom_.is_open() ? &rom_.image() : nullptr, directory_, *set_, view_,
                      display_};
}

RomOpenResult Document::open(const std::string& path, bool read_only) {
  RomOpenResult result = rom_.open(path, kMappingHiRom, 0);
  if (result.ok()) {
    rom_.set_base(copier_header_for_size(rom_.image().size()));
    if (rom_.image().size() - rom_.image().base() < kMinRomImageSize) {
      rom_.close();
      result.status = RomOpenStatus::kTooSmall;
      result.reason = path + " is too small to be a ROM image of this game (it cannot hold the "
                             "sprite tables in bank E4)";
    }
  }
  if (!result.ok()) {
    rom_path_.clear();
    return result;
  }
  rom_.set_read_only(read_only);
  rom_path_ = path;
  build_sprite_directory(rom_.image(), directory_);
  view_.current_entry = 0;
  view_.animation_no = 0;
  view_.sequence_no = 0;
  view_.image_no = 0;
  set_->loaded_entry = -1;
  title_ = rom_window_title(path);
  refresh();
  return result;
}

bool Document::refresh() {
  PanelContext context = panel();
  PanelTexts texts;
  if (!refresh_view(context, &texts)) return false;
  pending_.texts = std::move(texts);
  pending_.repaint = true;
  return true;
}

void Document::reload_entry(int entry) {
  view_.current_entry = entry;
  set_->loaded_entry = -1;
  refresh();
}

void Document::refresh_if(bool needed) {
  if (needed) refresh();
}

void Document::refresh_new_sheet() {
  if (!is_open()) return;
  set_->sheet_valid = false;
  refresh();
}

PanelUpdate Document::take_panel_update() {
  PanelUpdate update = std::move(pending_);
  pending_ = PanelUpdate();
  return update;
}

void Document::panel_created() { on_panel_created(view_, pending_); }

void Document::select_entry(int list_index) { refresh_if(on_entry_selected(view_, list_index)); }

void Document::panel_command(PanelCommand command) {
  PanelContext context = panel();
  refresh_if(on_panel_command(context, command, pending_));
}

void Document::arrows(PanelArrows bar, int request) {
  PanelContext context = panel();
  refresh_if(on_arrows(context, bar, request, pending_));
}

ClickResult Document::left_click(Ui& ui, const ViewAreas& areas, int x, int y) {
  PanelContext context = panel();
  const ClickResult result = on_panel_left_click(context, ui, areas, x, y);
  refresh_if(click_needs_refresh(result));
  return result;
}

void Document::apply_tile_info(const std::string& text) {
  PanelContext context = panel();
  refresh_if(vcv::apply_tile_info(context, text));
}

std::vector<Rect> Document::paint(PanelPainter& painter, const ViewAreas& areas, bool boundaries,
                                  Surface& surface) {
  PanelContext context = panel();
  return paint_panel(context, painter, areas, boundaries, surface);
}

CommandResult Document::copy_img(Ui& ui) { return vcv::copy_img(panel(), ui); }
CommandResult Document::copy_sprite(Ui& ui) { return vcv::copy_sprite(panel(), ui); }
CommandResult Document::copy_all_img(Ui& ui) { return vcv::copy_all_img(panel(), ui); }

CommandResult Document::paste_sprite(Ui& ui) {
  PanelContext context = panel();
  const CommandResult result = vcv::paste_sprite(context, ui);
  if (!result.failed()) refresh_new_sheet();
  return result;
}

CommandResult Document::paste_all_img(Ui& ui) {
  PanelContext context = panel();
  const CommandResult result = vcv::paste_all_img(context, ui);
  if (!result.failed()) refresh_new_sheet();
  return result;
}

CommandResult Document::paste_sheet(const uint8_t* pixels, int width, int height) {
  PanelContext context = panel();
  const CommandResult result = vcv::paste_sheet_pixels(context, pixels, width, height);
  if (!result.failed()) refresh_new_sheet();
  return result;
}

CommandResult Document::write_image_changes(Ui& ui, PackMethod method) {
  PanelContext context = panel();
  return note_write(vcv::write_image_changes(context, rom_, ui, method));
}

CommandResult Document::write_palette(Ui& ui) {
  PanelContext context = panel();
  return note_write(vcv::write_palette(context, rom_, ui));
}

CommandResult Document::write_tile_info(Ui& ui) {
  PanelContext context = panel();
  return note_write(vcv::write_tile_info(context, rom_, ui));
}

// After a write the title says where the ROM as it was before the write is kept.
CommandResult Document::note_write(const CommandResult& result) {
  if (result.wrote() && !result.backup_path.empty()) {
    title_ = rom_window_title(rom_path_) + "[" + backup_note(result.backup_path) + "]";
  }
  return result;
}

std::string backup_note(const std::string& backup_path) {
  return "written; the ROM before is kept as " + file_name_of(backup_path);
}

}  // namespace vcv
