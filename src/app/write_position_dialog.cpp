#include "app/write_position_dialog.h"

#include "app/readable_dialogs.h"
#include "edit/command_messages.h"
#include "edit/scan_number.h"
#include "platform/text_encoding.h"
#include "res/resource.h"

namespace vcv {

namespace {

struct WritePositionRequest {
  std::wstring address;
  std::wstring file_offset;
  std::string* address_out;
  std::string* file_offset_out;
};

std::string field_text(HWND dialog, int control_id) {
  wchar_t buffer[kWritePositionFieldChars + 1] = {};
  GetDlgItemTextW(dialog, control_id, buffer, kWritePositionFieldChars + 1);
  return wide_to_utf8(buffer);
}

void on_ok(HWND dialog, WritePositionRequest& request) {
  const std::string address = field_text(dialog, IDC_WRITE_ADDRESS);
  const std::string file_offset = field_text(dialog, IDC_WRITE_FILE_OFFSET);
  uint32_t ignored = 0;
  if (!parse_hex_field(address, &ignored) || !parse_hex_field(file_offset, &ignored)) {
    show_readable_message_box(dialog, utf8_to_wide(kAddressErrorText),
                              utf8_to_wide(kAddressErrorTitle), MB_OK);
    EndDialog(dialog, 0);
    return;
  }
  *request.address_out = address;
  *request.file_offset_out = file_offset;
  EndDialog(dialog, 1);
}

}  // namespace

INT_PTR CALLBACK write_position_dialog_proc(HWND dialog, UINT message, WPARAM wparam,
                                            LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowLongPtrW(dialog, DWLP_USER, lparam);
      const auto* request = reinterpret_cast<const WritePositionRequest*>(lparam);
      SetDlgItemTextW(dialog, IDC_WRITE_ADDRESS, request->address.c_str());
      SetDlgItemTextW(dialog, IDC_WRITE_FILE_OFFSET, request->file_offset.c_str());
      return TRUE;
    }
    case WM_COMMAND: {
      auto* request = reinterpret_cast<WritePositionRequest*>(GetWindowLongPtrW(dialog, DWLP_USER));
      if (request == nullptr) return FALSE;
      switch (LOWORD(wparam)) {
        case IDC_WRITE_OK: on_ok(dialog, *request); return TRUE;
        case IDC_WRITE_CANCEL: EndDialog(dialog, 0); return TRUE;
        // Enter (IDOK), Escape and the close box (IDCANCEL) are swallowed.
        case IDOK:
        case IDCANCEL: return TRUE;
        default: return FALSE;
      }
    }
    case WM_CLOSE:
      return TRUE;
    default:
      return FALSE;
  }
}

bool run_write_position_dialog(HWND owner, const std::string& address_text,
                               const std::string& file_offset_text, std::string* address_out,
                               std::string* file_offset_out) {
  if (address_out == nullptr || file_offset_out == nullptr) return false;
  WritePositionRequest request{utf8_to_wide(address_text), utf8_to_wide(file_offset_text),
                               address_out, file_offset_out};
  const INT_PTR result =
      run_readable_dialog(GetModuleHandleW(nullptr), IDD_WRITE_POSITION, owner,
                          write_position_dialog_proc, reinterpret_cast<LPARAM>(&request));
  return result == 1;
}

}  // namespace vcv
