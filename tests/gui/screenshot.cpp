#include "screenshot.h"

#include <algorithm>

#include "image/png_build.h"
#include "platform/file_io.h"

namespace vcv {

namespace {

constexpr uint32_t kBadgeRed = 0xD02020;
constexpr uint32_t kBadgeWhite = 0xFFFFFF;
constexpr int kGlyphWidth = 3;
constexpr int kGlyphHeight = 5;
constexpr int kGlyphScale = 2;

// Digits 0 to 9 in a 3 x 5 grid, one row per entry, bit 2 the left column.
constexpr uint8_t kDigits[10][kGlyphHeight] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7},
};

void put(ScreenPicture& picture, int x, int y, uint32_t pixel) {
  if (x < 0 || y < 0 || x >= picture.width || y >= picture.height) return;
  picture.pixels[static_cast<size_t>(y) * picture.width + x] = pixel;
}

void draw_digit(ScreenPicture& picture, int x, int y, int digit) {
  for (int row = 0; row < kGlyphHeight; ++row) {
    for (int column = 0; column < kGlyphWidth; ++column) {
      if (!((kDigits[digit][row] >> (kGlyphWidth - 1 - column)) & 1)) continue;
      for (int dy = 0; dy < kGlyphScale; ++dy)
        for (int dx = 0; dx < kGlyphScale; ++dx)
          put(picture, x + column * kGlyphScale + dx, y + row * kGlyphScale + dy, kBadgeWhite);
    }
  }
}

SIZE badge_size(int number) {
  const int digits = number >= 10 ? 2 : 1;
  return SIZE{4 + digits * kGlyphWidth * kGlyphScale + (digits - 1) * 2,
              4 + kGlyphHeight * kGlyphScale};
}

bool overlaps(const RECT& a, const RECT& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

RECT badge_at(int x, int y, SIZE size) { return RECT{x, y, x + size.cx, y + size.cy}; }

// The places beside the target, in the order they are tried: down its left edge, along its top,
// down its right edge, along its bottom, each a pixel away from it.
std::vector<RECT> places_beside(const RECT& target, SIZE size) {
  std::vector<RECT> places;
  const int middle = (target.top + target.bottom - size.cy) / 2;
  auto down_edge = [&](int x) {
    places.push_back(badge_at(x, middle, size));
    for (int y = target.top; y + size.cy <= target.bottom; ++y) places.push_back(badge_at(x, y, size));
  };
  auto along_edge = [&](int y) {
    for (int x = target.left; x + size.cx <= target.right; ++x) places.push_back(badge_at(x, y, size));
  };
  down_edge(target.left - 1 - size.cx);
  along_edge(target.top - 1 - size.cy);
  down_edge(target.right + 1);
  along_edge(target.bottom + 1);
  return places;
}

}  // namespace

ScreenPicture capture_window(HWND window) {
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  RECT r;
  GetWindowRect(window, &r);
  ScreenPicture picture;
  picture.width = r.right - r.left;
  picture.height = r.bottom - r.top;
  HDC window_dc = GetWindowDC(window);
  HDC memory_dc = CreateCompatibleDC(window_dc);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(window_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap != nullptr) {
    HGDIOBJ old = SelectObject(memory_dc, bitmap);
    BitBlt(memory_dc, 0, 0, picture.width, picture.height, window_dc, 0, 0, SRCCOPY);
    GdiFlush();
    const auto* first = static_cast<const uint32_t*>(bits);
    picture.pixels.assign(first, first + static_cast<size_t>(picture.width) * picture.height);
    for (uint32_t& pixel : picture.pixels) pixel &= 0x00FFFFFF;
    SelectObject(memory_dc, old);
    DeleteObject(bitmap);
  }
  DeleteDC(memory_dc);
  ReleaseDC(window, window_dc);
  if (picture.pixels.empty()) picture = ScreenPicture();
  return picture;
}

void draw_badge(ScreenPicture& picture, int x, int y, int number) {
  const int glyph = kGlyphWidth * kGlyphScale;
  const SIZE size = badge_size(number);
  for (int dy = 0; dy < size.cy; ++dy)
    for (int dx = 0; dx < size.cx; ++dx) put(picture, x + dx, y + dy, kBadgeRed);
  if (number >= 10) {
    draw_digit(picture, x + 2, y + 2, (number / 10) % 10);
    draw_digit(picture, x + 2 + glyph + 2, y + 2, number % 10);
  } else {
    draw_digit(picture, x + 2, y + 2, number % 10);
  }
}

bool save_picture(const ScreenPicture& picture, const std::string& path) {
  const std::vector<uint8_t> png =
      build_rgb_png(picture.pixels.data(), picture.width, picture.height);
  std::string error;
  return !png.empty() && write_file_atomically(path, png, &error);
}

void draw_badge_beside(ScreenPicture& picture, const RECT& target, const RECT& bounds,
                       std::vector<RECT>& taken, int number) {
  const SIZE size = badge_size(number);
  RECT chosen = badge_at(target.left, target.top, size);
  for (const RECT& place : places_beside(target, size)) {
    const bool inside = place.left >= bounds.left && place.top >= bounds.top &&
                        place.right <= bounds.right && place.bottom <= bounds.bottom;
    const bool free = std::none_of(taken.begin(), taken.end(),
                                   [&](const RECT& r) { return overlaps(place, r); });
    if (inside && free) {
      chosen = place;
      break;
    }
  }
  taken.push_back(chosen);
  draw_badge(picture, chosen.left, chosen.top, number);
}

}  // namespace vcv
