// The menu bar and its keyboard shortcuts as one table: each command is one row with its id, its
// pop-up (and the pop-up inside it, as View > Zoom), its caption, its keys, when it is enabled,
// what it runs and when it is checked. The menu, the accelerator table and the greying, check
// marks and captions shown when a pop-up opens are all made from it.
#pragma once

#include <string>

#include "app/application.h"

namespace vcv {

// The main menu, made from the table (the owner destroys it with the window).
HMENU build_main_menu();
// The accelerator table of every key in the table.
HACCEL build_accelerators();

// Greys the commands of `popup` that cannot run now, checks the choices made (zoom, speed,
// playing) and captions Undo and Redo with the action they would take ("&Undo Place
// Tile\tCtrl+Z"). Called when a pop-up opens.
void update_menu_popup(const Application& app, HMENU popup);

// Runs the command of a row; false for ids the table does not hold.
bool run_menu_command(Application& app, int command_id);

// The caption a row shows now, key text included.
std::wstring menu_caption(const Application& app, int command_id);

}  // namespace vcv
