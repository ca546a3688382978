// The document: everything the program holds for one open ROM, with one owner each — the ROM
// file and its image, the sprite directory, the working set of the loaded entry, the view state,
// the display state and the edit history — and every command both front ends give it. The
// window program and the command-line tool hold one each; neither opens files or loads entries
// on its own.
//
// The document is the only code that changes sprite data. Editing commands produce new bytes
// for a buffer (sprite/edit_buffer.h); the document turns them into one undoable step, keeps the
// edited bytes of every buffer (so an entry shows its unwritten edits again when it is selected
// again), and shows them in the working set of the loaded entry. Loading is the document's step
// before a refresh; the refresh and the paint only read.
//
// Commands that change what the panel shows record it; the front end takes the accumulated
// change with take_panel_update() and applies it (the window to its controls, the tool to its
// output). Editing and writing commands return their result (edit/command_result.h).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "document/edit_history.h"
#include "document/edited_buffers.h"
#include "edit/command_result.h"
#include "rom/rom_file.h"
#include "sprite/entry_headers.h"
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
  // refreshes; the edit history starts empty. On failure the ROM that was open stays open, with
  // its edits, and the view stays as it was. The caller asks about unwritten edits first.
  RomOpenResult open(const std::string& path, bool read_only = false);
  bool is_open() const { return rom_.is_open(); }
  // The path of the open ROM; empty before any.
  const std::string& rom_path() const { return rom_path_; }
  // The length of the copier header skipped in front of the image (0 or 512).
  int copier_header() const { return rom_.image().base(); }
  // The window title: "VantorCharViewer" before any ROM; then the file's name, "*" after it
  // while edits are unwritten, and after a write where the ROM as it was before is kept.
  std::string title() const;

  RomFile& rom() { return rom_; }
  const RomFile& rom() const { return rom_; }
  const RomImage& image() const { return rom_.image(); }
  const SpriteDirectory& directory() const { return directory_; }
  SpriteDirectory& directory() { return directory_; }
  SpriteWorkingSet& working_set() { return *set_; }
  const SpriteWorkingSet& working_set() const { return *set_; }
  ViewState& view() { return view_; }
  const ViewState& view() const { return view_; }
  DisplayState& display() { return display_; }
  const DisplayState& display() const { return display_; }
  PanelContext panel();

  // ---- the panel ----
  void panel_created();
  void select_entry(int list_index);
  void panel_command(PanelCommand command);
  void arrows(PanelArrows bar, int request);
  ClickResult left_click(Ui& ui, const ViewAreas& areas, int x, int y);
  // A double click: on a block of the frame it selects that block, on a tile of the sheet that
  // tile, and says which, for the pixel editor to open on. A tile the double click's first press
  // placed is taken back: the double click means "edit this", not "place twice".
  struct DoubleClick {
    enum Kind { kNothing, kBlock, kTile } kind = kNothing;
    int number = 0;  // the block or the tile
  };
  DoubleClick double_click(const ViewAreas& areas, int x, int y);
  // "Ed": the Tile Info text as the user left it.
  void apply_tile_info(const std::string& text);
  // Loads the current entry when needed, then refreshes; false (nothing done) without a ROM.
  bool refresh();
  // Shows `entry` loaded afresh from the ROM (the view's weapon palette may have changed), for
  // the command-line tool; whether it loaded is the working set's loaded_entry.
  void reload_entry(int entry);
  // What the panel must show since the last call.
  PanelUpdate take_panel_update();
  std::vector<Rect> paint(PanelPainter& painter, const ViewAreas& areas, bool boundaries,
                          Surface& surface, unsigned parts = kPaintAll);
  // The mouse wheel over the frame or the sheet (view/panel_wheel.h).
  void wheel(const ViewAreas& areas, int x, int y, int notches);

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

  // ---- the edit history ----
  // Applies new bytes for buffers as one undoable step named `action`. Bytes equal to what the
  // buffers hold make no step. Refreshes; false when nothing changed.
  bool apply_changes(EditAction action, const std::vector<BufferChange>& changes);
  // A stroke: every change applied between these two calls (a drag of the pixel editor) makes
  // one step, shown as it grows. Undo or Redo in between ends the stroke first.
  void begin_stroke(EditAction action);
  void end_stroke();
  bool can_undo() const { return history_.can_undo(); }
  bool can_redo() const { return history_.can_redo(); }
  // "Undo Place Tile", "Redo Paste Sprite"; "Undo" / "Redo" when there is nothing to take.
  std::string undo_caption() const;
  std::string redo_caption() const;
  // Takes the last step back (or applies the next one again). A step made on another entry
  // selects that entry first, so the change is seen. False when there is none.
  bool undo();
  bool redo();
  const EditHistory& history() const { return history_; }
  // A buffer's bytes as edited (the disk's where no edit touched it); false when it cannot be
  // read.
  bool buffer_bytes(BufferId id, std::vector<uint8_t>* out) const { return current_bytes(id, out); }

  // ---- unwritten edits ----
  bool has_unwritten_edits() const;
  // Entries whose palette type, graphics or position type holds unwritten edits, ascending.
  std::vector<int> modified_entries() const;
  bool entry_modified(int entry) const;
  // Weapon palettes (they belong to no entry) with unwritten edits, ascending.
  std::vector<int> modified_weapon_palettes() const;
  // Every unwritten edit into the ROM in one replacement of the file. kNothingToWrite when
  // there is none; on any failure nothing is written and the result names the entry.
  CommandResult write_all_changes(Ui& ui, PackMethod method = PackMethod::kGame);
  // Before edits would be dropped: true when none are unwritten, or the user answered No, or
  // Yes and writing them all succeeded (then *written holds that result). False for Cancel or a
  // failed write: the caller keeps everything as it is.
  bool may_drop_edits(Ui& ui, CommandResult* written);

 private:
  void load_current_entry();
  void show_edits_in_working_set();
  bool current_bytes(BufferId id, std::vector<uint8_t>* out) const;
  void apply_edit(const ByteEdit& edit, bool undo, std::vector<BufferKind>* touched);
  void apply_step(const EditStep& step, bool undo);
  void take_step_view(const EditStep& step);
  void after_edits_changed();
  void refresh_if(bool needed);
  CommandResult note_write(const CommandResult& result);

  RomFile rom_;
  SpriteDirectory directory_;
  // Large (several hundred KiB), so it lives on the heap rather than on a caller's stack.
  std::unique_ptr<SpriteWorkingSet> set_;
  int loaded_weapon_ = 0;  // the weapon palette whose colours the working set shows
  ViewState view_;
  DisplayState display_;
  EditHistory history_;
  EditedBuffers edits_;
  bool stroke_open_ = false;     // between begin_stroke and end_stroke
  bool stroke_has_step_ = false; // the open stroke has pushed its step
  EditAction stroke_action_ = EditAction::kDraw;
  std::vector<EntryHeader> headers_;  // of the ROM as last read or written
  std::vector<bool> marked_;          // entries the list shows as holding unwritten edits
  std::string rom_path_;
  std::string write_note_;            // after a write: where the ROM as it was before is kept
  std::string shown_title_;           // the title the panel update last carried
  PanelUpdate pending_;
  uint64_t click_revision_ = ~uint64_t{0};  // the history's revision after a press placed a tile
};

// The title text for a ROM path: the program name and the file name (the text after the last
// backslash, or slash on systems that use it), with the trailing blank the title has always had.
std::string rom_window_title(const std::string& path, bool modified = false);

// "written; the ROM before is kept as NAME.bak": what the title adds after a write.
std::string backup_note(const std::string& backup_path);

// The entry list's label of `entry`, marked when it holds unwritten edits.
std::string marked_list_label(int entry, bool modified);

}  // namespace vcv
