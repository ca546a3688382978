// The X clipboard as a Linux paint program sees it, reached from the window tests through Wine's
// tie between the Windows and X clipboards, with xclip as the X program.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace vcv {

// The registered clipboard format "PNG", which Wine maps to X's image/png.
UINT png_format();

// Waits until `done` holds, handling this thread's messages meanwhile (Wine answers X's
// requests for our clipboard through them); false after 20 s.
template <typename F>
bool wait_until(F done) {
  for (int i = 0; i < 400 && !done(); ++i) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(50);
  }
  return done();
}

// The image/png that an X program reads from the clipboard now; false when none came.
bool read_png_from_x(std::vector<uint8_t>* png);

// Empties the Windows clipboard, then has an X program offer `png` as image/png; true once
// Wine shows it as "PNG".
bool offer_png_from_x(HWND owner, const std::vector<uint8_t>& png);

}  // namespace vcv
