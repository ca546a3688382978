#include "app/message_box.h"

#include <algorithm>
#include <vector>

namespace vcv {
namespace {

constexpr int kTextId = 0xFFFF;  // the id the system's message box gives its text
constexpr DWORD kBoxStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr DWORD kBoxExtendedStyle = WS_EX_DLGMODALFRAME;

// Sizes in dialog units of the box's font, near those of the system's box.
constexpr int kMarginUnits = 8;
constexpr int kButtonWidthUnits = 50;
constexpr int kButtonHeightUnits = 14;
constexpr int kButtonGapUnits = 6;
constexpr int kButtonPaddingUnits = 8;  // beside a caption wider than the usual button

struct OwnBox {
  const std::wstring* text;
  bool with_cancel;
  HFONT font;
};

// An empty dialog with the title: the controls are made to the size of the text.
std::vector<WORD> box_template(const std::wstring& title) {
  std::vector<WORD> words = {LOWORD(kBoxStyle), HIWORD(kBoxStyle),
                             LOWORD(kBoxExtendedStyle), HIWORD(kBoxExtendedStyle),
                             0,                     // controls
                             0, 0, 0, 0,            // x, y, width, height
                             0, 0};                 // no menu, the dialog class
  words.insert(words.end(), title.begin(), title.end());
  words.push_back(0);
  return words;
}

// Dialog units of the font, measured as the dialog manager measures them.
struct Units {
  int x = 1;
  int y = 1;
  int across(int units) const { return MulDiv(units, x, 4); }
  int down(int units) const { return MulDiv(units, y, 8); }
};

Units units_of(HDC dc) {
  static const wchar_t kLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE size = {};
  GetTextExtentPoint32W(dc, kLetters, 52, &size);
  TEXTMETRICW metrics = {};
  GetTextMetricsW(dc, &metrics);
  Units units;
  units.x = std::max(1L, (size.cx / 26 + 1) / 2);
  units.y = std::max(1L, metrics.tmHeight);
  return units;
}

HWND add_control(HWND box, const wchar_t* window_class, const std::wstring& text, DWORD style,
                 int id, const RECT& place, HFONT font) {
  HWND control = CreateWindowExW(0, window_class, text.c_str(), WS_CHILD | WS_VISIBLE | style,
                                 place.left, place.top, place.right - place.left,
                                 place.bottom - place.top, box,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleW(nullptr), nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control;
}

// Centred over the owner when it is shown, else over the work area; kept inside the work area.
void place_box(HWND box, HWND owner, int client_width, int client_height) {
  RECT frame = {0, 0, client_width, client_height};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(box, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(box, GWL_EXSTYLE)));
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  RECT work = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  RECT around = work;
  if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &around);
  int x = (around.left + around.right - width) / 2;
  int y = (around.top + around.bottom - height) / 2;
  x = std::max(static_cast<int>(work.left), std::min(x, static_cast<int>(work.right) - width));
  y = std::max(static_cast<int>(work.top), std::min(y, static_cast<int>(work.bottom) - height));
  SetWindowPos(box, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void lay_out(HWND box, HWND owner, const OwnBox& request) {
  HDC dc = GetDC(box);
  HGDIOBJ old = SelectObject(dc, request.font);
  const Units units = units_of(dc);
  RECT work = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int widest_text = static_cast<int>(work.right - work.left) / 2;
  RECT text = {0, 0, std::max(units.across(kButtonWidthUnits), widest_text), 0};
  DrawTextW(dc, request.text->c_str(), -1, &text,
            DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
  const std::wstring captions[] = {L"OK", L"Cancel"};
  const int buttons = request.with_cancel ? 2 : 1;
  int button_width = units.across(kButtonWidthUnits);
  for (int i = 0; i < buttons; ++i) {
    SIZE caption = {};
    GetTextExtentPoint32W(dc, captions[i].c_str(), static_cast<int>(captions[i].size()), &caption);
    button_width = std::max(button_width, static_cast<int>(caption.cx) +
                                              units.across(kButtonPaddingUnits));
  }
  SelectObject(dc, old);
  ReleaseDC(box, dc);

  const int margin_x = units.across(kMarginUnits);
  const int margin_y = units.down(kMarginUnits);
  const int gap = units.across(kButtonGapUnits);
  const int row_width = buttons * button_width + (buttons - 1) * gap;
  const int client_width = std::max(static_cast<int>(text.right), row_width) + 2 * margin_x;
  const int row_top = margin_y + text.bottom + margin_y;
  const int button_height = units.down(kButtonHeightUnits);

  add_control(box, L"STATIC", *request.text, SS_LEFT | SS_NOPREFIX, kTextId,
              RECT{margin_x, margin_y, margin_x + text.right, margin_y + text.bottom},
              request.font);
  const int ids[] = {IDOK, IDCANCEL};
  const DWORD styles[] = {BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, BS_PUSHBUTTON | WS_TABSTOP};
  int left = (client_width - row_width) / 2;
  for (int i = 0; i < buttons; ++i) {
    add_control(box, L"BUTTON", captions[i], styles[i], ids[i],
                RECT{left, row_top, left + button_width, row_top + button_height}, request.font);
    left += button_width + gap;
  }
  place_box(box, owner, client_width, row_top + button_height + margin_y);
  SetFocus(GetDlgItem(box, IDOK));
}

INT_PTR CALLBACK own_box_procedure(HWND box, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(box, DWLP_USER, lparam);
    lay_out(box, GetWindow(box, GW_OWNER), *reinterpret_cast<const OwnBox*>(lparam));
    return FALSE;  // the focus is set
  }
  const auto* request = reinterpret_cast<const OwnBox*>(GetWindowLongPtrW(box, DWLP_USER));
  if (request == nullptr) return FALSE;
  // Without a Cancel button, every way out answers OK, as the system's box does.
  const INT_PTR cancel_answer = request->with_cancel ? IDCANCEL : IDOK;
  if (message == WM_CLOSE) {
    EndDialog(box, cancel_answer);
    return TRUE;
  }
  if (message == WM_COMMAND && (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL)) {
    EndDialog(box, LOWORD(wparam) == IDOK ? IDOK : cancel_answer);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

int show_own_message_box(HWND owner, const std::wstring& text, const std::wstring& title,
                         bool with_cancel, const LOGFONTW& font) {
  const std::vector<WORD> dialog = box_template(title);
  OwnBox request{&text, with_cancel, CreateFontIndirectW(&font)};
  const INT_PTR answer =
      request.font == nullptr
          ? -1
          : DialogBoxIndirectParamW(GetModuleHandleW(nullptr),
                                    reinterpret_cast<LPCDLGTEMPLATEW>(dialog.data()), owner,
                                    own_box_procedure, reinterpret_cast<LPARAM>(&request));
  if (request.font != nullptr) DeleteObject(request.font);
  if (answer == -1 || answer == 0) {
    return MessageBoxW(owner, text.c_str(), title.c_str(), with_cancel ? MB_OKCANCEL : MB_OK);
  }
  return static_cast<int>(answer);
}

}  // namespace vcv
