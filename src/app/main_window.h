// The main window: its class, its creation with the panel inside, the menu commands, and the
// message loop.
#pragma once

#include <string>

#include "app/application.h"
#include "edit/command_result.h"

namespace vcv {

extern const wchar_t kMainWindowClass[];

// Registers the class and creates the main window with the panel sized around it, shown.
// Returns false when the class cannot be registered or a window cannot be created.
bool create_main_window(Application& app, HINSTANCE instance);

// The handler of one menu command; false for ids without a handler.
bool on_menu_command(Application& app, int command_id);

// The File > Open command: the Open dialog, then opening the chosen file.
void open_rom_from_dialog(Application& app);

// Opens a ROM (from the dialog or dropped on the panel) and shows it, after asking about
// unwritten edits; a file that cannot be opened says why and leaves the open ROM as it was.
void open_rom(Application& app, const std::string& path, bool read_only = false);

// Before unwritten edits would be dropped (another ROM, closing): the Yes / No / Cancel question
// and, for Yes, Write All Changes. False when the caller must keep everything as it is.
bool may_drop_edits(Application& app);

// A ROM named on the command line (an "Open with" from Explorer, a file dropped on the program's
// icon, a script) is opened at start, as if dropped on the panel.
void open_rom_from_command_line(Application& app);

// Shows the message a command's result calls for, if any.
void show_result(Application& app, const CommandResult& result);

// One message of the loop: the menu's keys first (whichever control has the focus), then the
// usual translation and dispatch.
void dispatch_message(Application& app, MSG& message);

// Runs the message loop, with the menu's keys, until the quit message; returns its exit code.
int run_message_loop(Application& app);

}  // namespace vcv
