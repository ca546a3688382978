#include "app/win32_ui.h"

#include <commdlg.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "app/readable_dialogs.h"
#include "app/write_position_dialog.h"
#include "edit/command_messages.h"
#include "platform/text_encoding.h"

namespace vcv {
namespace {

constexpr int kOpenPathCapacity = 260;
constexpr int kFormatNameCapacity = 256;

// The format number of a picture format; 0 when "PNG" cannot be registered.
UINT clipboard_format_id(ClipboardFormat format) {
  switch (format) {
    case ClipboardFormat::kDib: return CF_DIB;
    case ClipboardFormat::kDibV5: return CF_DIBV5;
    case ClipboardFormat::kPng: {
      static const UINT png = RegisterClipboardFormatW(L"PNG");
      return png;
    }
  }
  return 0;
}

// How the user knows a format: the constant's name for a standard one, the registered name for
// the others.
std::string clipboard_format_name(UINT format) {
  static const struct {
    UINT format;
    const char* name;
  } kStandard[] = {
      {CF_TEXT, "CF_TEXT"},
      {CF_BITMAP, "CF_BITMAP"},
      {CF_METAFILEPICT, "CF_METAFILEPICT"},
      {CF_SYLK, "CF_SYLK"},
      {CF_DIF, "CF_DIF"},
      {CF_TIFF, "CF_TIFF"},
      {CF_OEMTEXT, "CF_OEMTEXT"},
      {CF_DIB, "CF_DIB"},
      {CF_PALETTE, "CF_PALETTE"},
      {CF_PENDATA, "CF_PENDATA"},
      {CF_RIFF, "CF_RIFF"},
      {CF_WAVE, "CF_WAVE"},
      {CF_UNICODETEXT, "CF_UNICODETEXT"},
      {CF_ENHMETAFILE, "CF_ENHMETAFILE"},
      {CF_HDROP, "CF_HDROP"},
      {CF_LOCALE, "CF_LOCALE"},
      {CF_DIBV5, "CF_DIBV5"},
      {CF_OWNERDISPLAY, "CF_OWNERDISPLAY"},
      {CF_DSPTEXT, "CF_DSPTEXT"},
      {CF_DSPBITMAP, "CF_DSPBITMAP"},
      {CF_DSPMETAFILEPICT, "CF_DSPMETAFILEPICT"},
      {CF_DSPENHMETAFILE, "CF_DSPENHMETAFILE"},
  };
  for (const auto& standard : kStandard) {
    if (standard.format == format) return standard.name;
  }
  wchar_t name[kFormatNameCapacity] = {};
  if (GetClipboardFormatNameW(format, name, kFormatNameCapacity) > 0) return wide_to_utf8(name);
  return "format " + std::to_string(format);
}

// A movable global block holding `bytes`; null when it cannot be made.
HGLOBAL global_copy(const std::vector<uint8_t>& bytes) {
  if (bytes.empty()) return nullptr;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (memory == nullptr) return nullptr;
  void* target = GlobalLock(memory);
  if (target == nullptr) {
    GlobalFree(memory);
    return nullptr;
  }
  std::memcpy(target, bytes.data(), bytes.size());
  GlobalUnlock(memory);
  return memory;
}

// The bytes of a clipboard block; empty when there is none or it cannot be locked.
std::vector<uint8_t> global_bytes(HANDLE data) {
  std::vector<uint8_t> bytes;
  if (data == nullptr) return bytes;
  const SIZE_T size = GlobalSize(data);
  if (const void* source = GlobalLock(data)) {
    const uint8_t* first = static_cast<const uint8_t*>(source);
    bytes.assign(first, first + size);
    GlobalUnlock(data);
  }
  return bytes;
}

}  // namespace

bool Win32Ui::confirm(Prompt prompt, const std::string& text) {
  // The nearest-colours question asks Yes or No; the others have always been OK or Cancel.
  const UINT buttons = prompt == Prompt::kNearestColours ? MB_YESNO : MB_OKCANCEL;
  const int answer = show_readable_message_box(app_.main_window, utf8_to_wide(text),
                                               utf8_to_wide(prompt_title(prompt)), buttons);
  return answer == IDOK || answer == IDYES;
}

Answer Win32Ui::ask(Prompt prompt, const std::string& text) {
  switch (MessageBoxW(app_.main_window, utf8_to_wide(text).c_str(),
                      utf8_to_wide(prompt_title(prompt)).c_str(),
                      MB_YESNOCANCEL | MB_ICONWARNING)) {
    case IDYES: return Answer::kYes;
    case IDNO: return Answer::kNo;
    default: return Answer::kCancel;
  }
}

void Win32Ui::message(const std::string& title, const std::string& text) {
  show_readable_message_box(app_.main_window, utf8_to_wide(text), utf8_to_wide(title), MB_OK);
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

bool Win32Ui::put_clipboard(const std::vector<ClipboardBlock>& blocks) {
  if (blocks.empty() || !OpenClipboard(app_.main_window)) return false;
  bool done = EmptyClipboard() != 0;
  for (const ClipboardBlock& block : blocks) {
    if (!done) break;
    const UINT format = clipboard_format_id(block.format);
    HGLOBAL memory = format != 0 ? global_copy(block.bytes) : nullptr;
    done = memory != nullptr && SetClipboardData(format, memory) != nullptr;
    // The clipboard owns the block only once SetClipboardData has taken it.
    if (!done && memory != nullptr) GlobalFree(memory);
  }
  CloseClipboard();
  return done;
}

bool Win32Ui::read_clipboard(ClipboardContents* contents) {
  *contents = ClipboardContents();
  if (!OpenClipboard(app_.main_window)) return false;
  for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format)) {
    contents->format_names.push_back(clipboard_format_name(format));
  }
  for (ClipboardFormat kind : {ClipboardFormat::kDib, ClipboardFormat::kPng,
                               ClipboardFormat::kDibV5}) {
    const UINT format = clipboard_format_id(kind);
    if (format == 0 || !IsClipboardFormatAvailable(format)) continue;
    ClipboardBlock block{kind, global_bytes(GetClipboardData(format))};
    if (!block.bytes.empty()) contents->pictures.push_back(std::move(block));
  }
  CloseClipboard();
  return true;
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

namespace vcv {

namespace {

constexpr int kPathCapacity = 32768;  // long paths too

// The common Open or Save dialog over `filter`, starting at `initial`; the chosen path in UTF-8.
bool run_file_dialog(HWND owner, bool save, const wchar_t* title, const wchar_t* filter,
                     const wchar_t* default_extension, const std::string& initial,
                     std::string* path) {
  std::wstring file(kPathCapacity, L'\0');
  const std::wstring start = utf8_to_wide(initial);
  std::copy(start.begin(), start.begin() + std::min<size_t>(start.size(), kPathCapacity - 1),
            file.begin());
  OPENFILENAMEW settings = {};
  settings.lStructSize = sizeof settings;
  settings.hwndOwner = owner;
  settings.lpstrFilter = filter;
  settings.nFilterIndex = 1;
  settings.lpstrFile = file.data();
  settings.nMaxFile = kPathCapacity;
  settings.lpstrTitle = title;
  settings.lpstrDefExt = default_extension;
  settings.Flags = save ? OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOREADONLYRETURN
                        : OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
  const BOOL chosen = save ? GetSaveFileNameW(&settings) : GetOpenFileNameW(&settings);
  if (!chosen) return false;
  *path = wide_to_utf8(file.c_str());
  return true;
}

}  // namespace

bool Win32Ui::choose_patch_original(const std::string& initial, std::string* path) {
  return run_file_dialog(app_.main_window, false, L"Clean Original ROM",
                         L"ROM files (*.smc;*.sfc;*.fig;*.bin)\0*.smc;*.sfc;*.fig;*.bin\0"
                         L"All files (*.*)\0*.*\0",
                         nullptr, initial, path);
}

bool Win32Ui::choose_patch_output(const std::string& initial, std::string* path) {
  return run_file_dialog(app_.main_window, true, L"Export Patch",
                         L"BPS patch (*.bps)\0*.bps\0IPS patch (*.ips)\0*.ips\0", L"bps",
                         initial, path);
}

}  // namespace vcv
