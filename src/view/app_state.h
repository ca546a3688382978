// Everything the program keeps for the whole run, with one owner each: the ROM file, the sprite
// directory, the working set of the loaded entry, the view state and the display state. The
// window program holds one; tests build their own.
#pragma once

#include <memory>
#include <string>

#include "rom/rom_file.h"
#include "sprite/sprite_data.h"
#include "view/view_state.h"

namespace vcv {

struct AppState {
  RomFile rom_file;
  SpriteDirectory directory;
  // Large (several hundred KiB), so it lives on the heap rather than on a test's stack.
  std::unique_ptr<SpriteWorkingSet> working_set = std::make_unique<SpriteWorkingSet>();
  ViewState view;
  DisplayState display;
  std::string rom_path;  // last ROM opened successfully, for the window title

  bool rom_open() const { return rom_file.is_open(); }
};

}  // namespace vcv
