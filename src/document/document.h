// The document: everything the program holds for one open ROM, with one owner each — the ROM
// file and its image, the sprite directory, the working set of the loaded entry, the view state
// and the display state — and every command both front ends give it. The window program and the
// command-line tool hold one each; neither opens files or loads entries on its own.
//
// Commands that change what the panel shows record it; the front end takes the accumulated
// change with take_panel_update() and applies it (the window to its controls, the tool to its
// output). Editing and writing commands return their result (edit/command_result.h).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "edit/command_result.h"
#include "rom/rom_file.h"
#include "sprite/pack_method.h"
#include "sprite/sprite_data.h"
#include "view/mouse_edit.h"
#include "view/panel_actions.h"
#include "view/panel_context.h"
#include "view/panel_paint.h"
#include "view/panel_update.h"
#include "view/view_state.h"

namespace vcv {

class Ui;

// The image must reach past the last table byte the program reads (bank E4 ends at 0x250000).
constexpr long long kMinRomImageSize = 0x250000;

class Document {
 public:
  Document();

  // ---- opening ----
  // Replaces the open ROM, builds its directory, resets the view to its first entry and
  // refreshes. On failure no ROM is open afterwards and the view stays as it was.
  RomOpenResult open(const std::string& path, bool read_only = false);
  bool is_open() const { return rom_.is_open(); }
  // The path of the last ROM opened successfully; empty after a failed attempt.
  const std::string& rom_path() const { return rom_path_; }
  // The length of the copier header skipped in front of the image (0 or 512).
  int copier_header() const { return rom_.image().base(); }
  // The window title for the last ROM opened ("VantorCharViewer" before any), and after a write
  // where the ROM as it was before is kept.
  const std::string& title() const { return title_; }

  RomFile& rom() { return rom_; }
  const RomImage& image() const { return rom_.image(); }
  const SpriteDirectory& directory() const { return directory_; }
  SpriteDirectory& directory() { return directory_; }
  SpriteWorkingSet& working_set() { return *set_; }
  const SpriteWorkingSet& working_set() const { return *set_; }
  ViewState& view() { return view_; }
  DisplayState& display() { return display_; }
  PanelContext panel();

  // ---- the panel ----
  void panel_created();
  void select_entry(int list_index);
  void panel_command(PanelCommand command);
  void arrows(PanelArrows bar, int request);
  ClickResult left_click(Ui& ui, const ViewAreas& areas, int x, int y);
  // "Ed": the Tile Info text as the user left it.
  void apply_tile_info(const std::string& text);
  // The refresh; false (nothing done) without a ROM.
  bool refresh();
  // Shows `entry` loaded afresh from the ROM (the view's weapon palette may have changed), for
  // the command-line tool; whether it loaded is the working set's loaded_entry.
  void reload_entry(int entry);
  // What the panel must show since the last call.
  PanelUpdate take_panel_update();
  std::vector<Rect> paint(PanelPainter& painter, const ViewAreas& areas, bool boundaries,
                          Surface& surface);

  // ---- the Edit menu ----
  CommandResult copy_img(Ui& ui);
  CommandResult copy_sprite(Ui& ui);
  CommandResult copy_all_img(Ui& ui);
  CommandResult paste_sprite(Ui& ui);
  CommandResult paste_all_img(Ui& ui);
  // Paste All Img of a picture already read (palette indices, top row first).
  CommandResult paste_sheet(const uint8_t* pixels, int width, int height);
  // The game's encoder unless told otherwise (the command-line tool's --pack optimal).
  CommandResult write_image_changes(Ui& ui, PackMethod method = PackMethod::kGame);
  CommandResult write_palette(Ui& ui);
  CommandResult write_tile_info(Ui& ui);

 private:
  void refresh_if(bool needed);
  CommandResult note_write(const CommandResult& result);
  void refresh_new_sheet();

  RomFile rom_;
  SpriteDirectory directory_;
  // Large (several hundred KiB), so it lives on the heap rather than on a caller's stack.
  std::unique_ptr<SpriteWorkingSet> set_;
  ViewState view_;
  DisplayState display_;
  std::string rom_path_;
  std::string title_;
  PanelUpdate pending_;
};

// The title text for a ROM path: the program name and the file name (the text after the last
// backslash, or slash on systems that use it), with the trailing blank the title has always had.
std::string rom_window_title(const std::string& path);

// "written; the ROM before is kept as NAME.bak": what the title adds after a write.
std::string backup_note(const std::string& backup_path);

}  // namespace vcv
