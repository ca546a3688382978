#include "app/surface_blit.h"

#include <vector>

namespace vcv {

// Copies one rectangle of the surface to the same place of the device, through a small
// top-down bitmap of just that rectangle (whole-bitmap copies have no source-origin subtleties).
void blit_rect(HDC dc, const Surface& surface, const Rect& r) {
  if (r.width() <= 0 || r.height() <= 0) return;
  std::vector<uint32_t> rows(static_cast<size_t>(r.width()) * r.height());
  for (int y = 0; y < r.height(); ++y) {
    for (int x = 0; x < r.width(); ++x) {
      rows[static_cast<size_t>(y) * r.width() + x] = surface.at(r.left + x, r.top + y);
    }
  }
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = r.width();
  info.bmiHeader.biHeight = -r.height();  // rows from the top
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  SetDIBitsToDevice(dc, r.left, r.top, static_cast<DWORD>(r.width()),
                    static_cast<DWORD>(r.height()), 0, 0, 0, static_cast<UINT>(r.height()),
                    rows.data(), &info, DIB_RGB_COLORS);
}

}  // namespace vcv
