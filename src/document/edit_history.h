// The edit history: every change to sprite data as a value (the buffer, the offset, the bytes
// before and after), grouped into one step per user action, with undo and redo. Applying a step
// and taking it back are the same swap of bytes, so a step costs memory in proportion to the
// bytes it changed, never a copy of a whole buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "sprite/edit_buffer.h"

namespace vcv {

// The user actions that change sprite data; their names are what Undo and Redo say.
enum class EditAction {
  kRecolour,
  kPlaceTile,
  kTileInfo,
  kPasteSprite,
  kPasteAll,
  kDraw,
  kFill,
  kFlipTile,
  kRotateTile,
};
// "Recolour", "Place Tile", "Ed", "Paste Sprite", "Paste All Img", "Draw", ...
const char* edit_action_name(EditAction action);

// One run of changed bytes of one buffer.
struct ByteEdit {
  BufferId buffer;
  int offset = 0;
  std::vector<uint8_t> before;
  std::vector<uint8_t> after;  // as long as `before`
};

// The edits of one user action, with where it was made, so that taking it back can show it.
struct EditStep {
  EditAction action = EditAction::kRecolour;
  int entry = 0;           // the entry shown when the action was made
  int weapon_palette = 0;  // the weapon palette shown then
  std::vector<ByteEdit> edits;

  // Bytes this step keeps, its bookkeeping included.
  size_t memory() const;
};

// The runs in which `after` differs from `before` (both `count` bytes, the buffer's bytes from
// `offset` on). Runs closer than a few bytes are joined: one run costs more than a short gap.
std::vector<ByteEdit> diff_bytes(BufferId buffer, int offset, const uint8_t* before,
                                 const uint8_t* after, int count);

class EditHistory {
 public:
  // At least this many steps are kept; beyond either limit the oldest go first.
  static constexpr size_t kMaxSteps = 10000;
  static constexpr size_t kMaxBytes = 256u * 1024 * 1024;

  // Records a step that has just been applied; the steps that could be redone are dropped.
  void push(EditStep step);
  // Adds edits just applied to the last step (a stroke growing while the button is held).
  // Nothing happens unless the last step is the one Undo would take back.
  void extend_last(std::vector<ByteEdit> edits);

  bool can_undo() const { return done_ > 0; }
  bool can_redo() const { return done_ < steps_.size(); }
  // The step Undo would take back, or Redo would apply again; null when there is none.
  const EditStep* next_undo() const { return can_undo() ? &steps_[done_ - 1] : nullptr; }
  const EditStep* next_redo() const { return can_redo() ? &steps_[done_] : nullptr; }
  // Moves the position past the step just taken back or applied again.
  void mark_undone() {
    if (!can_undo()) return;
    --done_;
    ++revision_;
  }
  void mark_redone() {
    if (!can_redo()) return;
    ++done_;
    ++revision_;
  }

  // Forgets the steps Redo would apply.
  void drop_redo();
  void clear();
  size_t size() const { return steps_.size(); }
  size_t memory() const { return bytes_; }
  // Moves on with every step pushed, taken back or applied again, and with every clear: what is
  // shown depends on the edits whenever it differs from a value read before.
  uint64_t revision() const { return revision_; }

 private:
  void drop_oldest();

  std::deque<EditStep> steps_;
  size_t done_ = 0;   // steps_[0 .. done_) are applied
  size_t bytes_ = 0;  // memory() of every step held
  uint64_t revision_ = 0;
};

}  // namespace vcv
