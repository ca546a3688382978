#include "document/edit_history.h"

#include <utility>

namespace vcv {

namespace {

// Unchanged bytes between two runs up to this many are taken into one run: a run's own cost
// (two vectors and their bookkeeping) is far more than a few bytes kept twice.
constexpr int kJoinGap = 16;

}  // namespace

const char* edit_action_name(EditAction action) {
  switch (action) {
    case EditAction::kRecolour: return "Recolour";
    case EditAction::kPlaceTile: return "Place Tile";
    case EditAction::kTileInfo: return "Ed";
    case EditAction::kPasteSprite: return "Paste Sprite";
    case EditAction::kPasteAll: return "Paste All Img";
    case EditAction::kDraw: return "Draw";
    case EditAction::kFill: return "Fill";
    case EditAction::kFlipTile: return "Flip Tile";
    case EditAction::kRotateTile: return "Rotate Tile";
  }
  return "";
}

size_t EditStep::memory() const {
  size_t bytes = sizeof(EditStep);
  for (const ByteEdit& edit : edits) {
    bytes += sizeof(ByteEdit) + edit.before.capacity() + edit.after.capacity();
  }
  return bytes;
}

std::vector<ByteEdit> diff_bytes(BufferId buffer, int offset, const uint8_t* before,
                                 const uint8_t* after, int count) {
  std::vector<ByteEdit> runs;
  int i = 0;
  while (i < count) {
    if (before[i] == after[i]) {
      ++i;
      continue;
    }
    int end = i + 1;  // one past the last differing byte of the run
    for (int j = end; j < count && j - end <= kJoinGap; ++j) {
      if (before[j] != after[j]) end = j + 1;
    }
    ByteEdit run;
    run.buffer = buffer;
    run.offset = offset + i;
    run.before.assign(before + i, before + end);
    run.after.assign(after + i, after + end);
    runs.push_back(std::move(run));
    i = end;
  }
  return runs;
}

void EditHistory::drop_redo() {
  while (steps_.size() > done_) {
    bytes_ -= steps_.back().memory();
    steps_.pop_back();
  }
  ++revision_;
}

void EditHistory::push(EditStep step) {
  while (steps_.size() > done_) {
    bytes_ -= steps_.back().memory();
    steps_.pop_back();
  }
  bytes_ += step.memory();
  steps_.push_back(std::move(step));
  done_ = steps_.size();
  ++revision_;
  while (steps_.size() > 1 && (steps_.size() > kMaxSteps || bytes_ > kMaxBytes)) drop_oldest();
}

void EditHistory::extend_last(std::vector<ByteEdit> edits) {
  if (done_ == 0 || done_ != steps_.size()) return;
  EditStep& last = steps_.back();
  bytes_ -= last.memory();
  for (ByteEdit& edit : edits) last.edits.push_back(std::move(edit));
  bytes_ += last.memory();
  ++revision_;
}

void EditHistory::drop_oldest() {
  bytes_ -= steps_.front().memory();
  steps_.pop_front();
  if (done_ > 0) --done_;
}

void EditHistory::clear() {
  steps_.clear();
  done_ = 0;
  bytes_ = 0;
  ++revision_;
}

}  // namespace vcv
