// The Japanese texts drawn with fonts that have their glyphs: the panel's range labels, the
// write-position dialog and the message boxes of Write Image Changes, whatever fonts the system
// has (the test command runs these tests a second time in a Wine prefix without the Japanese font
// settings); and the program's own message box answering every key as the system's box does.
#include <functional>
#include <string>
#include <vector>

#include "app/message_box.h"
#include "app/readable_dialogs.h"
#include "app/write_position_dialog.h"
#include "edit/command_messages.h"
#include "gui_fixture.h"
#include "platform/text_encoding.h"
#include "res/resource.h"

namespace vcv {
namespace {

constexpr int kGiveUpTicks = 300;  // a step never done closes the box after 6 s

class ReadableText : public PanelWindow {};

// One step run on each tick of a thread timer while a modal box runs its own loop, until it
// returns true.
struct ModalStep {
  std::function<bool()> step;
  std::wstring title;  // of the box closed when the step never gets done
  bool done = false;
  int ticks = 0;
};
ModalStep* g_step = nullptr;

void CALLBACK on_tick(HWND, UINT, UINT_PTR, DWORD) {
  if (g_step == nullptr || g_step->done) return;
  if (++g_step->ticks > kGiveUpTicks) {
    ADD_FAILURE() << "the box was never handled: " << wide_to_utf8(g_step->title);
    g_step->done = true;
    if (HWND box = FindWindowW(L"#32770", g_step->title.c_str())) PostMessageW(box, WM_CLOSE, 0, 0);
    return;
  }
  g_step->done = g_step->step();
}

template <typename Show>
auto run_with_step(const std::wstring& title, std::function<bool()> step, Show show) {
  ModalStep modal{std::move(step), title};
  g_step = &modal;
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, on_tick);
  const auto result = show();
  KillTimer(nullptr, timer);
  g_step = nullptr;
  EXPECT_TRUE(modal.done) << wide_to_utf8(title);
  return result;
}

std::wstring window_text(HWND window) {
  wchar_t text[1024] = {};
  GetWindowTextW(window, text, 1024);
  return text;
}

std::string face_of(HWND window) {
  LOGFONTW font = {};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)), sizeof font, &font);
  return wide_to_utf8(font.lfFaceName);
}

// True when the font `window` draws with has a glyph for every character of its text (control
// characters aside).
bool has_its_glyphs(HWND window) {
  std::wstring sample;
  for (wchar_t c : window_text(window)) {
    if (c >= 0x20) sample.push_back(c);
  }
  HDC dc = GetDC(window);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
  std::vector<WORD> glyphs(sample.size() + 1);
  const DWORD result = GetGlyphIndicesW(dc, sample.c_str(), static_cast<int>(sample.size()),
                                        glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  bool has_glyphs = result != GDI_ERROR;
  for (size_t i = 0; i < sample.size(); ++i) has_glyphs = has_glyphs && glyphs[i] != 0xFFFF;
  return has_glyphs;
}

// True when the window's text, drawn in its font, fits its width and height.
bool fits_its_text(HWND window) {
  HDC dc = GetDC(window);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
  RECT client;
  GetClientRect(window, &client);
  RECT needed = {0, 0, client.right, 0};
  DrawTextW(dc, window_text(window).c_str(), -1, &needed,
            DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  return needed.right <= client.right && needed.bottom <= client.bottom;
}

int CALLBACK note_panel_face(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM found) {
  if (std::wstring(font->lfFaceName) == L"ＭＳ ゴシック") *reinterpret_cast<bool*>(found) = true;
  return 1;
}

TEST_F(ReadableText, PanelRangeLabelsHaveTheirGlyphs) {
  open_demo_rom();
  for (int id : {IDC_ANIMATION_RANGE, IDC_SEQUENCE_RANGE, IDC_IMAGE_RANGE}) {
    HWND label = GetDlgItem(panel, id);
    EXPECT_NE(window_text(label).find(L'\uFF5E'), std::wstring::npos) << id;
    EXPECT_TRUE(has_its_glyphs(label) && fits_its_text(label)) << id << " in " << face_of(label);
  }
  // Where the panel's own face is installed it is kept.
  HDC dc = GetDC(panel);
  LOGFONTW query = {};
  query.lfCharSet = SHIFTJIS_CHARSET;
  bool own_face_installed = false;
  EnumFontFamiliesExW(dc, &query, note_panel_face, reinterpret_cast<LPARAM>(&own_face_installed), 0);
  ReleaseDC(panel, dc);
  if (own_face_installed) {
    EXPECT_EQ(face_of(GetDlgItem(panel, IDC_INFO_TEXT)), "ＭＳ ゴシック");
  }
}

TEST_F(ReadableText, WritePositionDialogHasTheGlyphsOfItsTexts) {
  std::string unreadable;
  int texts = 0;
  const std::wstring title = L"チップイメージの書き込み位置";
  std::string address, offset;
  run_with_step(
      title,
      [&] {
        HWND box = FindWindowW(L"#32770", title.c_str());
        if (box == nullptr) return false;
        for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT)) {
          if (window_text(child).empty()) continue;
          ++texts;
          if (!has_its_glyphs(child)) unreadable += " \"" + wide_to_utf8(window_text(child)) + "\"";
        }
        SendMessageW(box, WM_COMMAND, MAKEWPARAM(IDC_WRITE_CANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, IDC_WRITE_CANCEL)));
        return true;
      },
      [&] { return run_write_position_dialog(app.main_window, "D61000", "161000", &address, &offset); });
  EXPECT_EQ(texts, 6);  // two labels, two fields, two buttons
  EXPECT_EQ(unreadable, "");
}

TEST_F(ReadableText, MessageBoxesShowTheirTextsWithGlyphsTitlesAndButtons) {
  const UserMessage repacked = *message_for(CommandResult(CommandStatus::kRepacked, 0x120));
  const struct {
    std::string title;
    std::string text;
    UINT type;
  } boxes[] = {
      {kSizeOverTitle, size_over_text(0x1234, 0x1300), MB_OKCANCEL},
      {kRepackFailureTitle, repack_failure_text(2), MB_OK},
      {repacked.title, repacked.text, MB_OK},
      {kAddressErrorTitle, kAddressErrorText, MB_OK},
      {kWriteConfirmTitle, write_confirm_text(0xD61000, 0x161000, 0x100, 0x120), MB_OKCANCEL},
  };
  for (const auto& b : boxes) {
    const std::wstring title = utf8_to_wide(b.title);
    std::wstring shown, ok, cancel;
    bool readable = false;
    const int answer = run_with_step(
        title,
        [&] {
          HWND box = FindWindowW(L"#32770", title.c_str());
          if (box == nullptr) return false;
          shown = window_text(GetDlgItem(box, 0xFFFF));
          readable = has_its_glyphs(GetDlgItem(box, 0xFFFF)) && fits_its_text(GetDlgItem(box, 0xFFFF));
          ok = window_text(GetDlgItem(box, IDOK));
          if (HWND button = GetDlgItem(box, IDCANCEL)) cancel = window_text(button);
          PostMessageW(box, WM_COMMAND, IDCANCEL, 0);  // Escape
          return true;
        },
        [&] { return show_readable_message_box(app.main_window, utf8_to_wide(b.text), title, b.type); });
    EXPECT_EQ(wide_to_utf8(shown), b.text) << b.title;
    EXPECT_TRUE(readable) << b.title;
    EXPECT_EQ(ok, L"OK") << b.title;
    EXPECT_EQ(cancel, b.type == MB_OKCANCEL ? L"Cancel" : L"") << b.title;
    if (b.type == MB_OKCANCEL) {
      EXPECT_EQ(answer, IDCANCEL) << b.title;
    }
  }
}

// Each way out of a box, through the program's own box and, where it answers as documented, the
// system's: the same answer, and the owner disabled while either is shown. (An OK box answers
// IDOK however it is left, as documented; Wine's answers IDCANCEL to Escape and the close box. The
// program never reads an OK box's answer.)
TEST_F(ReadableText, OwnMessageBoxAnswersEveryKeyAsTheSystemBoxDoes) {
  LOGFONTW font = {};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(panel, WM_GETFONT, 0, 0)), sizeof font, &font);
  const struct {
    UINT type;
    UINT message;  // a key pressed on the focused button, or WM_CLOSE (the close box)
    WPARAM key;
    int answer;
  } ways[] = {
      {MB_OKCANCEL, WM_KEYDOWN, VK_RETURN, IDOK},   {MB_OKCANCEL, WM_KEYDOWN, VK_ESCAPE, IDCANCEL},
      {MB_OKCANCEL, WM_CLOSE, 0, IDCANCEL},         {MB_OK, WM_KEYDOWN, VK_RETURN, IDOK},
      {MB_OK, WM_KEYDOWN, VK_ESCAPE, IDOK},         {MB_OK, WM_CLOSE, 0, IDOK},
  };
  const std::wstring title = L"失敗";
  for (const auto& way : ways) {
    for (bool own : {false, true}) {
      if (!own && way.type == MB_OK) continue;
      bool owner_disabled = false;
      const int answer = run_with_step(
          title,
          [&] {
            HWND box = FindWindowW(L"#32770", title.c_str());
            if (box == nullptr) return false;
            owner_disabled = !IsWindowEnabled(app.main_window);
            HWND target = way.message == WM_CLOSE ? box : GetFocus();
            PostMessageW(target, way.message, way.key, 0);
            return true;
          },
          [&] {
            return own ? show_own_message_box(app.main_window, L"失敗しました。", title,
                                              way.type == MB_OKCANCEL, font)
                       : MessageBoxW(app.main_window, L"失敗しました。", title.c_str(), way.type);
          });
      EXPECT_EQ(answer, way.answer) << (own ? "own" : "system") << " box, type " << way.type
                                    << ", message " << way.message << ", key " << way.key;
      EXPECT_TRUE(owner_disabled);
    }
  }
}

}  // namespace
}  // namespace vcv
