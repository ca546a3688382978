#include "app/playback_timer.h"

#include "app/panel_dialog.h"

namespace vcv {
namespace {

uint64_t edit_revision(const Application& app) { return app.document.history().revision(); }

void stop(Application& app) {
  stop_playback(app.playback);
  KillTimer(app.main_window, kPlaybackTimer);
}

}  // namespace

bool is_playing(const Application& app) {
  return playback_active(app.playback, app.document.view(), edit_revision(app));
}

void toggle_playback(Application& app) {
  if (is_playing(app)) {
    stop(app);
    // The steps repainted only the frame: the sheet's outlines catch up.
    app.document.refresh();
    show_panel_update(app);
    return;
  }
  if (!app.document.is_open()) return;
  if (app.document.view().sequence_mode == 0) {
    app.document.panel_command(PanelCommand::kSequenceRadio);
    show_panel_update(app);
  }
  start_playback(app.playback, app.document.view(), edit_revision(app));
  SetTimer(app.main_window, kPlaybackTimer, static_cast<UINT>(app.playback.interval_ms), nullptr);
}

void set_playback_interval(Application& app, int interval_ms) {
  app.playback.interval_ms = interval_ms;
  // A timer set again under its id replaces the old one.
  if (is_playing(app)) {
    SetTimer(app.main_window, kPlaybackTimer, static_cast<UINT>(interval_ms), nullptr);
  }
}

void on_playback_timer(Application& app) {
  // A modal dialog disables the main window while it waits for an answer; the command that
  // asks must see the view as it left it.
  if (!IsWindowEnabled(app.main_window)) return;
  Document& document = app.document;
  if (!playback_tick(app.playback, document.view(), edit_revision(app))) {
    stop(app);
    return;
  }
  document.refresh();
  show_panel_update(app, true);
}

}  // namespace vcv
