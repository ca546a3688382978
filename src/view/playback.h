// Playing the current animation: at each tick of a timer the sequence frame steps on as the
// Sequence arrow steps it, looping through the sequence of the current animation, facing and
// table. Another entry, ImageNo mode or an edit (the edit history's revision moving on) ends it.
// The window owns the timer; these decide what each tick does.
#pragma once

#include <cstdint>

#include "view/view_state.h"

namespace vcv {

// Milliseconds a frame, the choices of the Speed menu; the default is export --anim's delay.
constexpr int kPlaybackIntervals[] = {100, 150, 250, 500};
constexpr int kDefaultPlaybackInterval = 150;

struct Playback {
  bool playing = false;
  int interval_ms = kDefaultPlaybackInterval;
  int entry = 0;          // the entry being played
  uint64_t revision = 0;  // the edit history's revision when playing started
};

// Starts playing what `view` shows; the caller has put the view in Sequence mode.
void start_playback(Playback& playback, const ViewState& view, uint64_t revision);
void stop_playback(Playback& playback);

// Playing, and nothing that ends it has happened since it started.
bool playback_active(const Playback& playback, const ViewState& view, uint64_t revision);

// One tick. While playback is active, steps view.sequence_no to the next frame of the sequence
// (after the last, the first) and returns true; the caller refreshes, which shows that frame's
// image. Otherwise it stops playing and returns false, changing nothing in the view.
bool playback_tick(Playback& playback, ViewState& view, uint64_t revision);

}  // namespace vcv
