// The write-position dialog (resource 130): where a block that no longer fits is to be written.
// It shows the current address and file position as "%06X"; OK reads both fields, and a field
// that does not start with a hexadecimal number gets the error box and ends the dialog as if
// cancelled. Only OK and CANCEL end it: Enter, Escape and the close box do nothing.
#pragma once

#include <string>

#include "app/win32.h"

namespace vcv {

constexpr int kWritePositionFieldChars = 255;  // characters read from each field

// Modal, owned by `owner`; true when both fields were read. The texts are UTF-8.
bool run_write_position_dialog(HWND owner, const std::string& address_text,
                               const std::string& file_offset_text, std::string* address_out,
                               std::string* file_offset_out);

// The dialog procedure, exposed for the window tests.
INT_PTR CALLBACK write_position_dialog_proc(HWND dialog, UINT message, WPARAM wparam,
                                            LPARAM lparam);

}  // namespace vcv
