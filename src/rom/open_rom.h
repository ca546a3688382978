// Opening a ROM image: replaces the open ROM, builds the sprite directory of the new one, resets
// the view to its first entry, and names the file in the window title.
#pragma once

#include <string>

namespace vcv {

struct AppState;
class Ui;

// A file whose size leaves 512 bytes over a whole number of KiB carries a copier header in
// front of the image; it is read past that header.
constexpr int kCopierHeaderSize = 512;

// The title text for a ROM path: the program name and the file name (the text after the last
// backslash, or slash on systems that use it), with the trailing blank the title has always had.
std::string rom_window_title(const std::string& path);

// Returns 1 on success, 0 when the file cannot be opened (then no ROM is open, the title and
// the view stay as they were, and `rom_path` is empty).
int open_rom(AppState& app, Ui& ui, const std::string& path);

}  // namespace vcv
