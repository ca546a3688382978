#include "document/document.h"

#include <cstdio>

#include "edit/edit_commands.h"
#include "edit/write_image.h"
#include "sprite/directory.h"
#include "view/character_list.h"
#include "view/panel_wheel.h"
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

std::string rom_window_title(const std::string& path, bool modified) {
  return std::string(kProgramTitle) + " - " + file_name_of(path) + (modified ? "*" : "") + " ";
}

std::string marked_list_label(int entry, bool modified) {
  return character_list_label(entry) + (modified ? " *" : "");
}

Document::Document()
    : set_(std::make_unique<SpriteWorkingSet>()), marked_(kEntryCount, false),
      shown_title_(kProgramTitle) {}

PanelContext Document::panel() {
  return PanelContext{rom_.is_open() ? &rom_.image() : nullptr, directory_, *set_, view_,
                      display_};
}

std::string Document::title() const {
  if (rom_path_.empty()) return kProgramTitle;
  std::string text = rom_window_title(rom_path_, has_unwritten_edits());
  if (!write_note_.empty()) text += "[" + write_note_ + "]";
  return text;
}

RomOpenResult Document::open(const std::string& path, bool read_only) {
  // The new file is read beside the open one, which stays open when the new one cannot be.
  RomFile opened;
  RomOpenResult result = opened.open(path, kMappingHiRom, 0);
  if (result.ok()) {
    opened.set_base(copier_header_for_size(opened.image().size()));
    if (opened.image().size() - opened.image().base() < kMinRomImageSize) {
      result.status = RomOpenStatus::kTooSmall;
      result.reason = path + " is too small to be a ROM image of this game (it cannot hold the "
                             "sprite tables in bank E4)";
    }
  }
  if (!result.ok()) return result;
  opened.set_read_only(read_only);
  rom_ = std::move(opened);
  rom_path_ = path;
  write_note_.clear();
  build_sprite_directory(rom_.image(), directory_);
  headers_ = read_entry_headers(rom_.image());
  history_.clear();
  edits_.clear();
  end_stroke();
  view_.current_entry = 0;
  view_.animation_no = 0;
  view_.sequence_no = 0;
  view_.image_no = 0;
  set_->loaded_entry = -1;
  set_->failed_entry = -1;
  after_edits_changed();
  refresh();
  return result;
}

void Document::load_current_entry() {
  const int entry = view_.current_entry;
  const bool failed_here = set_->loaded_entry < 0 && set_->failed_entry == entry;
  if (set_->loaded_entry != entry && !failed_here) {
    load_entry(rom_.image(), directory_, *set_, entry, view_.weapon_palette);
    loaded_weapon_ = view_.weapon_palette;
    show_edits_in_working_set();
    return;
  }
  if (loaded_weapon_ != view_.weapon_palette) {
    // Only colours 13 to 15 come from the weapon palette: nothing else is read again.
    read_weapon_record(rom_.image(), view_.weapon_palette, set_->palette + kFirstWeaponColour);
    loaded_weapon_ = view_.weapon_palette;
    show_edits_in_working_set();
    set_->sheet_valid = false;
  }
}

// The edited bytes of every buffer the loaded entry shows replace what loading read.
void Document::show_edits_in_working_set() {
  for (const BufferId& id : shown_buffers(*set_, loaded_weapon_)) {
    const std::vector<uint8_t>* bytes = edits_.current(id);
    if (bytes == nullptr) continue;
    put_buffer_bytes(*set_, directory_, loaded_weapon_, id, 0, bytes->data(),
                     static_cast<int>(bytes->size()));
    rebuild_derived(*set_, directory_, id.kind);
  }
}

bool Document::refresh() {
  if (!is_open()) return false;
  load_current_entry();
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
  set_->failed_entry = -1;
  refresh();
}

void Document::refresh_if(bool needed) {
  if (needed) refresh();
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
  std::vector<BufferChange> changes;
  const ClickResult result = on_panel_left_click(context, ui, areas, x, y, &changes);
  const EditAction action =
      result == ClickResult::kRecoloured ? EditAction::kRecolour : EditAction::kPlaceTile;
  const bool changed = apply_changes(action, changes);
  click_revision_ = changed && result == ClickResult::kTilePlaced ? history_.revision()
                                                                   : ~uint64_t{0};
  if (!changed) refresh_if(click_needs_refresh(result));
  return result;
}

Document::DoubleClick Document::double_click(const ViewAreas& areas, int x, int y) {
  DoubleClick found;
  if (!is_open()) return found;
  PanelContext context = panel();
  const int tile = sheet_tile_at(context, areas, x, y);
  if (tile >= 0) {
    display_.selected_tile = tile;
    found = {DoubleClick::kTile, tile};
  } else {
    const int block = frame_block_at(context, areas, x, y, nullptr);
    if (block < 0) return found;
    if (history_.revision() == click_revision_ && history_.can_undo()) {
      undo();
      history_.drop_redo();
    }
    view_.block_no = block;
    char caption[16];
    std::snprintf(caption, sizeof caption, "%02X", block);
    pending_.captions[PanelButton::kBlock] = caption;
    found = {DoubleClick::kBlock, block};
  }
  click_revision_ = ~uint64_t{0};
  refresh();
  return found;
}

void Document::apply_tile_info(const std::string& text) {
  PanelContext context = panel();
  std::vector<BufferChange> changes;
  if (!vcv::apply_tile_info(context, text, &changes)) return;
  if (!apply_changes(EditAction::kTileInfo, changes)) refresh();
}

std::vector<Rect> Document::paint(PanelPainter& painter, const ViewAreas& areas, bool boundaries,
                                  Surface& surface, unsigned parts) {
  PanelContext context = panel();
  return paint_panel(context, painter, areas, boundaries, surface, parts);
}

void Document::wheel(const ViewAreas& areas, int x, int y, int notches) {
  PanelContext context = panel();
  refresh_if(on_panel_wheel(context, areas, x, y, notches, pending_));
}

CommandResult Document::copy_img(Ui& ui) { return vcv::copy_img(panel(), ui); }
CommandResult Document::copy_sprite(Ui& ui) { return vcv::copy_sprite(panel(), ui); }
CommandResult Document::copy_all_img(Ui& ui) { return vcv::copy_all_img(panel(), ui); }

CommandResult Document::paste_sprite(Ui& ui) {
  std::vector<BufferChange> changes;
  const CommandResult result = vcv::paste_sprite(panel(), ui, &changes);
  if (!result.failed() && !apply_changes(EditAction::kPasteSprite, changes)) refresh();
  return result;
}

CommandResult Document::paste_all_img(Ui& ui) {
  std::vector<BufferChange> changes;
  const CommandResult result = vcv::paste_all_img(panel(), ui, &changes);
  if (!result.failed() && !apply_changes(EditAction::kPasteAll, changes)) refresh();
  return result;
}

CommandResult Document::paste_sheet(const uint8_t* pixels, int width, int height) {
  std::vector<BufferChange> changes;
  const CommandResult result = vcv::paste_sheet_pixels(panel(), pixels, width, height, &changes);
  if (!result.failed() && !apply_changes(EditAction::kPasteAll, changes)) refresh();
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

// After a write the file holds new bytes: what edited buffers are compared with is read again,
// and the title says where the ROM as it was before the write is kept.
CommandResult Document::note_write(const CommandResult& result) {
  if (!result.wrote()) return result;
  if (!result.backup_path.empty()) write_note_ = backup_note(result.backup_path);
  edits_.rebase(rom_.image(), directory_);
  headers_ = read_entry_headers(rom_.image());
  after_edits_changed();
  return result;
}

std::string backup_note(const std::string& backup_path) {
  return "written; the ROM before is kept as " + file_name_of(backup_path);
}

}  // namespace vcv
