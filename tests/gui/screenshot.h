// Pictures of the real windows for the user guide: a window captured as it is on the screen,
// numbered badges drawn onto it for the controls the guide explains, and saved as a PNG.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/win32.h"

namespace vcv {

struct ScreenPicture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows from the top
};

// The whole window (frame, caption and menu included), redrawn first.
ScreenPicture capture_window(HWND window);

// A red badge with the white `number` (1 to 99) whose top-left corner is at (x, y).
void draw_badge(ScreenPicture& picture, int x, int y, int number);

// A badge beside `target` that covers nothing in `taken`: at its left edge, else along its top,
// right or bottom edge, the first place inside `bounds` that overlaps no rectangle of `taken`
// (which then holds the badge too); inside the target's top-left corner when there is none.
// Rectangles in picture coordinates.
void draw_badge_beside(ScreenPicture& picture, const RECT& target, const RECT& bounds,
                       std::vector<RECT>& taken, int number);

// Writes the picture as a PNG; false when it cannot be written.
bool save_picture(const ScreenPicture& picture, const std::string& path);

}  // namespace vcv
