#include "view/playback.h"

namespace vcv {

void start_playback(Playback& playback, const ViewState& view, uint64_t revision) {
  playback.playing = true;
  playback.entry = view.current_entry;
  playback.revision = revision;
}

void stop_playback(Playback& playback) { playback.playing = false; }

bool playback_active(const Playback& playback, const ViewState& view, uint64_t revision) {
  return playback.playing && view.sequence_mode != 0 && view.current_entry == playback.entry &&
         revision == playback.revision;
}

bool playback_tick(Playback& playback, ViewState& view, uint64_t revision) {
  if (!playback_active(playback, view, revision)) {
    stop_playback(playback);
    return false;
  }
  // sequence_count is the current sequence's length as the last refresh left it.
  view.sequence_no = step_value(view.sequence_no, 0, view.sequence_count - 1, +1);
  return true;
}

}  // namespace vcv
