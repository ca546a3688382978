// A message box of the program's own, for texts the system's message font cannot show: the
// title, text and buttons of MessageBoxW's MB_OK or MB_OKCANCEL box ("OK", "Cancel"), drawn in
// `font`, answering as that box does: OK or Enter gives IDOK; Cancel, Escape or the close box give
// IDCANCEL, or IDOK when there is no Cancel button. Like the system's box it is a dialog (class
// "#32770") whose text is control 0xFFFF, modal over `owner`.
#pragma once

#include <string>

#include "app/win32.h"

namespace vcv {

int show_own_message_box(HWND owner, const std::wstring& text, const std::wstring& title,
                         bool with_cancel, const LOGFONTW& font);

}  // namespace vcv
