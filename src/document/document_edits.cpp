// The document's edit history and unwritten edits: steps applied, taken back and applied again,
// which entries hold unwritten edits, and writing them all at once.
#include <algorithm>
#include <set>

#include "document/document.h"
#include "edit/command_messages.h"
#include "edit/rom_write.h"
#include "edit/write_all.h"
#include "platform/ui.h"
#include "sprite/directory.h"

namespace vcv {

bool Document::current_bytes(BufferId id, std::vector<uint8_t>* out) const {
  if (get_buffer_bytes(*set_, directory_, loaded_weapon_, id, out)) return true;
  if (const std::vector<uint8_t>* bytes = edits_.current(id)) {
    *out = *bytes;
    return true;
  }
  BufferBytes disk;
  if (!read_buffer(rom_.image(), directory_, id, &disk)) return false;
  *out = std::move(disk.bytes);
  return true;
}

void Document::apply_edit(const ByteEdit& edit, bool undo, std::vector<BufferKind>* touched) {
  if (!edits_.apply(edit, undo, rom_.image(), directory_)) return;
  const std::vector<uint8_t>& bytes = undo ? edit.before : edit.after;
  if (put_buffer_bytes(*set_, directory_, loaded_weapon_, edit.buffer, edit.offset, bytes.data(),
                       static_cast<int>(bytes.size()))) {
    touched->push_back(edit.buffer.kind);
  }
}

bool Document::apply_changes(EditAction action, const std::vector<BufferChange>& changes) {
  if (!is_open()) return false;
  EditStep step;
  step.action = action;
  step.entry = view_.current_entry;
  step.weapon_palette = view_.weapon_palette;
  std::vector<BufferKind> touched;
  for (const BufferChange& change : changes) {
    std::vector<uint8_t> now;
    if (!current_bytes(change.buffer, &now) || change.offset < 0 ||
        static_cast<size_t>(change.offset) >= now.size()) {
      continue;
    }
    const int count = static_cast<int>(
        std::min(change.bytes.size(), now.size() - static_cast<size_t>(change.offset)));
    // Each change is applied before the next is compared, so two changes of one buffer compose.
    for (ByteEdit& edit : diff_bytes(change.buffer, change.offset, now.data() + change.offset,
                                     change.bytes.data(), count)) {
      apply_edit(edit, false, &touched);
      step.edits.push_back(std::move(edit));
    }
  }
  if (step.edits.empty()) return false;
  for (BufferKind kind : touched) rebuild_derived(*set_, directory_, kind);
  const bool grows_stroke = stroke_open_ && stroke_has_step_ && action == stroke_action_;
  if (grows_stroke) {
    history_.extend_last(std::move(step.edits));
  } else {
    history_.push(std::move(step));
  }
  if (stroke_open_ && action == stroke_action_) stroke_has_step_ = true;
  after_edits_changed();
  refresh();
  return true;
}

void Document::begin_stroke(EditAction action) {
  stroke_open_ = true;
  stroke_has_step_ = false;
  stroke_action_ = action;
}

void Document::end_stroke() {
  stroke_open_ = false;
  stroke_has_step_ = false;
}

void Document::apply_step(const EditStep& step, bool undo) {
  std::vector<BufferKind> touched;
  if (undo) {
    for (auto edit = step.edits.rbegin(); edit != step.edits.rend(); ++edit) {
      apply_edit(*edit, true, &touched);
    }
  } else {
    for (const ByteEdit& edit : step.edits) apply_edit(edit, false, &touched);
  }
  std::sort(touched.begin(), touched.end());
  touched.erase(std::unique(touched.begin(), touched.end()), touched.end());
  for (BufferKind kind : touched) rebuild_derived(*set_, directory_, kind);
}

// Shows the entry (and weapon palette) a step was made on, so that taking it back is seen.
void Document::take_step_view(const EditStep& step) {
  view_.current_entry = step.entry;
  for (const ByteEdit& edit : step.edits) {
    if (edit.buffer.kind == BufferKind::kWeaponPalette) {
      view_.weapon_palette = edit.buffer.number;
    }
  }
  load_current_entry();
}

bool Document::undo() {
  end_stroke();
  const EditStep* step = history_.next_undo();
  if (step == nullptr || !is_open()) return false;
  take_step_view(*step);
  apply_step(*step, true);
  history_.mark_undone();
  after_edits_changed();
  refresh();
  return true;
}

bool Document::redo() {
  end_stroke();
  const EditStep* step = history_.next_redo();
  if (step == nullptr || !is_open()) return false;
  take_step_view(*step);
  apply_step(*step, false);
  history_.mark_redone();
  after_edits_changed();
  refresh();
  return true;
}

std::string Document::undo_caption() const {
  const EditStep* step = history_.next_undo();
  return step == nullptr ? "Undo" : std::string("Undo ") + edit_action_name(step->action);
}

std::string Document::redo_caption() const {
  const EditStep* step = history_.next_redo();
  return step == nullptr ? "Redo" : std::string("Redo ") + edit_action_name(step->action);
}

bool Document::has_unwritten_edits() const { return !edits_.modified_buffers().empty(); }

std::vector<int> Document::modified_entries() const {
  const std::vector<BufferId> modified = edits_.modified_buffers();
  const std::set<BufferId> buffers(modified.begin(), modified.end());
  std::vector<int> entries;
  if (buffers.empty()) return entries;
  for (int entry = 0; entry < static_cast<int>(headers_.size()); ++entry) {
    const EntryHeader& header = headers_[entry];
    const BufferId shown[] = {{BufferKind::kPalette, header.field[kFieldPaletteType]},
                              {BufferKind::kTileData, header.field[kFieldAssembly]},
                              {BufferKind::kPositionData, header.field[kFieldPositionType]}};
    for (const BufferId& id : shown) {
      if (buffers.count(id) != 0) {
        entries.push_back(entry);
        break;
      }
    }
  }
  return entries;
}

bool Document::entry_modified(int entry) const {
  return entry >= 0 && entry < static_cast<int>(marked_.size()) && marked_[entry];
}

std::vector<int> Document::modified_weapon_palettes() const {
  std::vector<int> weapons;
  for (const BufferId& id : edits_.modified_buffers()) {
    if (id.kind == BufferKind::kWeaponPalette) weapons.push_back(id.number);
  }
  return weapons;
}

// The marks of the entry list and the title follow what is unwritten.
void Document::after_edits_changed() {
  std::vector<bool> marks(kEntryCount, false);
  for (int entry : modified_entries()) marks[entry] = true;
  for (int entry = 0; entry < kEntryCount; ++entry) {
    if (marks[entry] != marked_[entry]) {
      pending_.list_labels[entry] = marked_list_label(entry, marks[entry]);
    }
  }
  marked_ = std::move(marks);
  const std::string now = title();
  if (now != shown_title_) {
    shown_title_ = now;
    pending_.title = now;
  }
}

CommandResult Document::write_all_changes(Ui& ui, PackMethod method) {
  if (!is_open()) return CommandResult(CommandStatus::kNoRom);
  const std::vector<BufferId> modified = edits_.modified_buffers();
  if (modified.empty()) return CommandResult(CommandStatus::kNothingToWrite);
  if (rom_.read_only()) return CommandResult(CommandStatus::kReadOnly);
  const std::vector<int> entries = modified_entries();
  std::vector<EditedBufferWrite> buffers;
  for (const BufferId& id : modified) {
    EditedBufferWrite buffer{id, *edits_.current(id), edits_.disk(id)->written_size, -1};
    // Failures name the shown entry when it uses the buffer, else the first entry that does.
    for (int entry : entries) {
      const EntryHeader& header = headers_[entry];
      const bool uses = (id.kind == BufferKind::kPalette &&
                         header.field[kFieldPaletteType] == id.number) ||
                        (id.kind == BufferKind::kTileData &&
                         header.field[kFieldAssembly] == id.number) ||
                        (id.kind == BufferKind::kPositionData &&
                         header.field[kFieldPositionType] == id.number);
      if (uses && (buffer.entry < 0 || entry == view_.current_entry)) buffer.entry = entry;
    }
    buffers.push_back(std::move(buffer));
  }
  RomImage changed = rom_.image();
  std::vector<std::string> summary;
  const CommandResult composed = write_buffers_into(changed, directory_, buffers, ui, method, &summary);
  if (composed.status != CommandStatus::kDone) return composed;
  if (!ui.confirm(Prompt::kWriteConfirm, write_all_confirm_text(summary))) {
    return CommandResult(CommandStatus::kCancelled);
  }
  const CommandResult written = note_write(replace_rom_image(rom_, changed));
  // The loaded entry's graphics may have moved (a repack): it is read again, with its edits.
  if (written.wrote()) {
    set_->loaded_entry = -1;
    refresh();
  }
  return written;
}

bool Document::may_drop_edits(Ui& ui, CommandResult* written) {
  if (!has_unwritten_edits()) return true;
  const Answer answer = ui.ask(
      Prompt::kUnwrittenEdits, unwritten_edits_text(modified_entries(), modified_weapon_palettes()));
  if (answer == Answer::kNo) return true;
  if (answer == Answer::kCancel) return false;
  *written = write_all_changes(ui);
  return written->wrote();
}

}  // namespace vcv
