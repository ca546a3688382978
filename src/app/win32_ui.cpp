#include "app/win32_ui.h"

#include <commdlg.h>

#include <cstring>

#include "app/write_position_dialog.h"
#include "platform/text_encoding.h"

namespace vcv {
namespace {

constexpr int kOpenPathCapacity = 260;

}  // namespace

bool Win32Ui::confirm(const std::string& title, const std::string& text) {
  return MessageBoxW(app_.main_window, utf8_to_wide(text).c_str(), utf8_to_wide(title).c_str(),
                     MB_OKCANCEL) == IDOK;
}

void Win32Ui::message(const std::string& title, const std::string& text) {
  MessageBoxW(app_.main_window, utf8_to_wide(text).c_str(), utf8_to_wide(title).c_str(), MB_OK);
}

bool Win32Ui::choose_colour(uint32_t initial, const uint32_t custom[16], uint32_t* chosen) {
  static COLORREF custom_colours[16];
  for (int i = 0; i < 16; ++i) custom_colours[i] = custom[i];
  CHOOSECOLORW settings = {};
  settings.lStructSize = sizeof settings;
  settings.hwndOwner = app_.panel;
  settings.rgbResult = initial;
  settings.lpCustColors = custom_colours;
  settings.Flags = CC_RGBINIT | CC_FULLOPEN;
  if (!ChooseColorW(&settings)) return false;
  *chosen = settings.rgbResult & 0x00FFFFFF;
  return true;
}

bool Win32Ui::ask_write_position(const std::string& address_text,
                                 const std::string& file_offset_text, std::string* address_out,
                                 std::string* file_offset_out) {
  return run_write_position_dialog(app_.main_window, address_text, file_offset_text, address_out,
                                   file_offset_out);
}

bool Win32Ui::put_clipboard_dib(const std::vector<uint8_t>& block) {
  if (block.empty() || !OpenClipboard(app_.main_window)) return false;
  bool done = false;
  if (!EmptyClipboard()) {
    CloseClipboard();
    return false;
  }
  if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, block.size())) {
    if (void* target = GlobalLock(memory)) {
      std::memcpy(target, block.data(), block.size());
      GlobalUnlock(memory);
      done = SetClipboardData(CF_DIB, memory) != nullptr;
    }
    if (!done) GlobalFree(memory);  // the clipboard owns it only after SetClipboardData
  }
  CloseClipboard();
  return done;
}

bool Win32Ui::get_clipboard_dib(std::vector<uint8_t>* block) {
  block->clear();
  if (!IsClipboardFormatAvailable(CF_DIB) || !OpenClipboard(app_.main_window)) return false;
  bool done = false;
  if (HGLOBAL memory = GetClipboardData(CF_DIB)) {
    const SIZE_T size = GlobalSize(memory);
    if (const void* source = GlobalLock(memory)) {
      const uint8_t* bytes = static_cast<const uint8_t*>(source);
      block->assign(bytes, bytes + size);
      GlobalUnlock(memory);
      done = size > 0;
    }
  }
  CloseClipboard();
  return done;
}

bool Win32Ui::choose_rom_file(std::string* path, bool* read_only) {
  static const wchar_t kFilter[] =
      L"Vantor Rom files (*.smc;*.sfc;*.fig;*.bin)\0*.smc;*.sfc;*.fig;*.bin\0"
      L"All files {*.*}\0*.*\0";
  wchar_t file[kOpenPathCapacity] = {};
  wchar_t title[kOpenPathCapacity] = {};
  OPENFILENAMEW settings = {};
  settings.lStructSize = sizeof settings;
  settings.hwndOwner = app_.main_window;
  settings.lpstrFilter = kFilter;
  settings.nFilterIndex = 1;
  settings.lpstrFile = file;
  settings.nMaxFile = kOpenPathCapacity;
  settings.lpstrFileTitle = title;
  settings.nMaxFileTitle = kOpenPathCapacity;
  settings.lpstrTitle = L"Open ROM File     ";
  settings.Flags = OFN_FILEMUSTEXIST;
  if (!GetOpenFileNameW(&settings)) return false;
  *path = wide_to_utf8(file);
  *read_only = (settings.Flags & OFN_READONLY) != 0;
  return true;
}

}  // namespace vcv
