// Copying a painted pixel surface to a window.
#pragma once

#include "app/win32.h"
#include "view/panel_paint.h"

namespace vcv {

// Copies rectangle `r` of the surface to the same place of the device.
void blit_rect(HDC dc, const Surface& surface, const Rect& r);

}  // namespace vcv
