#include "rom/open_rom.h"

#include "platform/ui.h"
#include "sprite/directory.h"
#include "view/app_state.h"
#include "view/refresh.h"

namespace vcv {
namespace {

constexpr long long kKibibyte = 1024;

// Base of the image inside the file: after a copier header, else at the start.
int image_base(RomFile& rom) {
  const long long size = rom.file_size();
  return size >= kCopierHeaderSize && size % kKibibyte == kCopierHeaderSize ? kCopierHeaderSize
                                                                             : 0;
}

}  // namespace

std::string rom_window_title(const std::string& path) {
#ifdef _WIN32
  const size_t slash = path.find_last_of('\\');
#else
  const size_t slash = path.find_last_of("\\/");
#endif
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return "VantorCharViewer - " + name + " ";
}

int open_rom(AppState& app, Ui& ui, const std::string& path) {
  app.rom_file.close();
  if (!app.rom_file.open(path.c_str(), kMappingHiRom, 0)) {
    app.rom_path.clear();
    return 0;
  }
  const int base = image_base(app.rom_file);
  if (base != 0) {
    app.rom_file.close();
    if (!app.rom_file.open(path.c_str(), kMappingHiRom, base)) {
      app.rom_path.clear();
      return 0;
    }
  }
  app.rom_path = path;
  build_sprite_directory(app.rom_file, app.directory);
  ViewState& view = app.view;
  view.current_entry = 0;
  view.animation_no = 0;
  view.sequence_no = 0;
  view.image_no = 0;
  app.working_set->loaded_entry = -1;
  ui.set_title(rom_window_title(path));
  refresh_view_if_open(app, ui);
  return 1;
}

}  // namespace vcv
