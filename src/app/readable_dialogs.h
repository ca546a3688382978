// Dialogs and message boxes whose Japanese texts can be read where the faces the program names are
// not installed (a fresh Wine prefix, a Windows without the Japanese fonts): the dialogs are made
// from a copy of their template naming an installed face that has the glyphs, and a message box
// whose text the system's message font cannot show becomes one of the program's own in such a
// face. Where the named faces are installed, everything is as the templates say. Title bars are
// drawn by the system in its own caption font, which a program cannot choose.
#pragma once

#include <string>

#include "app/win32.h"

namespace vcv {

// As CreateDialogParamW and DialogBoxParamW with the dialog resource `template_id`, the face
// chosen by choose_dialog_face (font_fallback.h) for the template's texts and the Japanese texts
// the program shows at run time.
HWND create_readable_dialog(HINSTANCE instance, int template_id, HWND parent, DLGPROC procedure,
                            LPARAM parameter);
INT_PTR run_readable_dialog(HINSTANCE instance, int template_id, HWND owner, DLGPROC procedure,
                            LPARAM parameter);

// As MessageBoxW for the program's boxes (MB_OK, MB_OKCANCEL): the system's box when its message
// font, with the faces the system links to it, has a glyph for every character of `text`;
// otherwise the program's own box (message_box.h) in an installed face that has them, or the
// system's box still when no installed face has them.
int show_readable_message_box(HWND owner, const std::wstring& text, const std::wstring& title,
                              UINT type);

}  // namespace vcv
