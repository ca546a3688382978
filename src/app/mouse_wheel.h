// The mouse wheel over the panel's frame and sheet (view/panel_wheel.h). Windows sends the wheel
// to the window with the focus, often a control of the panel that would act on it itself (the
// entry list would change the entry): the message loop hands it to the panel instead when the
// pointer is over the frame or the sheet.
#pragma once

#include "app/application.h"

namespace vcv {

// For the message loop: true when `message` is a wheel message over the frame or the sheet of
// this program's panel, which the panel then took.
bool route_mouse_wheel(Application& app, const MSG& message);

}  // namespace vcv
