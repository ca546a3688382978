// The program's entry point: one application object for the whole run, the windows, the loop.
#include "app/main_window.h"
#include "app/win32_ui.h"

namespace {

vcv::Application application;  // closes the ROM file, if one is open, at exit

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  static vcv::Win32Ui ui(application);
  application.ui = &ui;
  if (!vcv::create_main_window(application, instance)) return 0;
  vcv::open_rom_from_command_line(application);
  vcv::run_message_loop(application);
  return 0;
}
