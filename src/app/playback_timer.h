// View > Play Animation in the window: a timer of the main window drives the playback of
// view/playback.h; each tick refreshes and repaints the frame only.
#pragma once

#include "app/application.h"

namespace vcv {

// The id of the main window's playback timer: its WM_TIMER calls on_playback_timer.
constexpr UINT_PTR kPlaybackTimer = 1;

// Playing now: the check mark of View > Play Animation.
bool is_playing(const Application& app);

// Starts playing the current animation (in Sequence mode, which it selects as the Sequence
// arrows do), or stops and shows the whole panel again.
void toggle_playback(Application& app);

// View > Speed: milliseconds a frame, taking effect at once while playing.
void set_playback_interval(Application& app, int interval_ms);

// One tick of the timer. Waits while a modal dialog or message box is open.
void on_playback_timer(Application& app);

}  // namespace vcv
