// What each control of the panel does, as portable handlers over the application state. The
// window's dialog procedure only decodes messages and calls these.
#pragma once

namespace vcv {

struct AppState;
class Ui;

// Scroll-bar requests the arrows send; other values (page, thumb, end) change no number.
constexpr int kScrollLineLeft = 0;
constexpr int kScrollLineRight = 1;

// Facing labels shown on the Face button, blanks included.
const char* facing_label(int face_direction);

// Panel creation: Sequence mode with its radio button checked, block outlines on.
void on_panel_created(AppState& app, Ui& ui);

void on_entry_selected(AppState& app, Ui& ui, int list_index);
void on_sequence_radio(AppState& app, Ui& ui);
void on_image_radio(AppState& app, Ui& ui);
void on_face_button(AppState& app, Ui& ui);
void on_boundaries_box(AppState& app, Ui& ui);
void on_block_button(AppState& app, Ui& ui);
void on_page_button(AppState& app, Ui& ui);
void on_table_button(AppState& app, Ui& ui);
void on_flipx_box(AppState& app);
void on_flipy_box(AppState& app);

// A WM_HSCROLL from one of the four arrow bars, identified by its control id.
void on_arrows(AppState& app, Ui& ui, int bar_id, int request);

// Dispatches a button or check box command by control id; false for ids the panel ignores.
bool on_panel_command(AppState& app, Ui& ui, int control_id);

}  // namespace vcv
