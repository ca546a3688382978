// The refresh that brings the panel in line with the view state: loads the entry when needed,
// settles the numbers, renders the frame canvas, writes the panel's texts and repaints.
#pragma once

namespace vcv {

struct AppState;
class Ui;

void refresh_view(AppState& app, Ui& ui);          // does nothing when no ROM is open
void refresh_view_if_open(AppState& app, Ui& ui);  // the same, named for callers that may lack one
void refresh_view_new_sheet(AppState& app, Ui& ui);  // marks the sheet stale, then refreshes

}  // namespace vcv
