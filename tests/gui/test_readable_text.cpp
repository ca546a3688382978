// The Japanese texts of the panel and of the message boxes drawn in fonts that have their glyphs,
// whatever fonts the system has (the test command runs these tests, and the write-position
// dialog's, a second time in a Wine prefix without the Japanese font settings); and the program's
// own message box answering every way out as the system's box does.
#include <functional>
#include <string>

#include "app/message_box.h"
#include "app/readable_dialogs.h"
#include "edit/command_messages.h"
#include "gui_fixture.h"
#include "platform/text_encoding.h"
#include "res/resource.h"

namespace vcv {
namespace {

class ReadableText : public PanelWindow {};

// Runs `show` (a modal box) while a thread timer calls `step` until it returns true; the box
// titled `title` is closed when that never happens.
std::function<bool()>* g_step = nullptr;
int g_ticks = 0;
const wchar_t* g_title = nullptr;

void CALLBACK on_tick(HWND, UINT, UINT_PTR, DWORD) {
  if (g_step == nullptr || !*g_step) return;
  if (++g_ticks > 300) {
    PostMessageW(FindWindowW(L"#32770", g_title), WM_CLOSE, 0, 0);
  } else if (!(*g_step)()) {
    return;
  }
  *g_step = nullptr;
}

int run_with_step(const std::wstring& title, std::function<bool()> step,
                  const std::function<int()>& show) {
  g_step = &step;
  g_ticks = 0;
  g_title = title.c_str();
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, on_tick);
  const int answer = show();
  KillTimer(nullptr, timer);
  EXPECT_LE(g_ticks, 300) << "the box was never handled: " << wide_to_utf8(title);
  g_step = nullptr;
  return answer;
}

std::wstring text_of(HWND window) {
  wchar_t text[1024] = {};
  GetWindowTextW(window, text, 1024);
  return text;
}

// The text fits the window: drawn as a static control draws it, it needs no more room.
bool fits(HWND window) {
  HDC dc = GetDC(window);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
  RECT client, needed;
  GetClientRect(window, &client);
  needed = RECT{0, 0, client.right, 0};
  DrawTextW(dc, text_of(window).c_str(), -1, &needed,
            DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  return needed.right <= client.right && needed.bottom <= client.bottom;
}

TEST_F(ReadableText, PanelRangeLabelsHaveTheirGlyphsAndTheOwnFaceWhereInstalled) {
  open_demo_rom();
  for (int id : {IDC_ANIMATION_RANGE, IDC_SEQUENCE_RANGE, IDC_IMAGE_RANGE}) {
    HWND label = GetDlgItem(panel, id);
    EXPECT_NE(text_of(label).find(L'\uFF5E'), std::wstring::npos) << id;
    EXPECT_TRUE(has_its_glyphs(label) && fits(label)) << id;
  }
  // A font by that name is given that name back only where the face is installed.
  const wchar_t kOwnFace[] = L"ＭＳ ゴシック";
  HFONT probe = CreateFontW(-12, 0, 0, 0, 0, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0, kOwnFace);
  HDC dc = GetDC(panel);
  HGDIOBJ old = SelectObject(dc, probe);
  wchar_t installed[LF_FACESIZE] = {};
  GetTextFaceW(dc, LF_FACESIZE, installed);
  SelectObject(dc, old);
  ReleaseDC(panel, dc);
  DeleteObject(probe);
  LOGFONTW shown = {};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(panel, WM_GETFONT, 0, 0)), sizeof shown, &shown);
  EXPECT_EQ(std::wstring(shown.lfFaceName) == kOwnFace, std::wstring(installed) == kOwnFace)
      << wide_to_utf8(shown.lfFaceName);
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
          shown = text_of(GetDlgItem(box, 0xFFFF));
          readable = has_its_glyphs(GetDlgItem(box, 0xFFFF)) && fits(GetDlgItem(box, 0xFFFF));
          ok = text_of(GetDlgItem(box, IDOK));
          if (HWND button = GetDlgItem(box, IDCANCEL)) cancel = text_of(button);
          PostMessageW(box, WM_COMMAND, IDCANCEL, 0);  // Escape
          return true;
        },
        [&] { return show_readable_message_box(app.main_window, utf8_to_wide(b.text), title, b.type); });
    EXPECT_EQ(wide_to_utf8(shown), b.text) << b.title;
    EXPECT_TRUE(readable) << b.title;
    EXPECT_EQ(ok, L"OK") << b.title;
    EXPECT_EQ(cancel, b.type == MB_OKCANCEL ? L"Cancel" : L"") << b.title;
    EXPECT_TRUE(b.type == MB_OK || answer == IDCANCEL) << b.title;
  }
}

// Each way out of the program's own box and, where Wine's answers as documented, of the
// system's: the same answer, with the owner disabled meanwhile. (An OK box answers IDOK however
// it is left, as documented; Wine's answers IDCANCEL to Escape and the close box. The program
// never reads an OK box's answer.)
TEST_F(ReadableText, OwnMessageBoxAnswersEveryWayOutAsTheSystemBox) {
  LOGFONTW font = {};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(panel, WM_GETFONT, 0, 0)), sizeof font, &font);
  const struct {
    UINT type;
    UINT message;  // a key pressed on the focused button, or WM_CLOSE (the close box)
    WPARAM key;
    int answer;
  } ways[] = {
      {MB_OKCANCEL, WM_KEYDOWN, VK_RETURN, IDOK}, {MB_OKCANCEL, WM_KEYDOWN, VK_ESCAPE, IDCANCEL},
      {MB_OKCANCEL, WM_CLOSE, 0, IDCANCEL},       {MB_OK, WM_KEYDOWN, VK_RETURN, IDOK},
      {MB_OK, WM_KEYDOWN, VK_ESCAPE, IDOK},       {MB_OK, WM_CLOSE, 0, IDOK},
  };
  const std::wstring title = L"失敗";
  for (const auto& way : ways) {
    for (bool own : {true, false}) {
      if (!own && way.type == MB_OK) continue;
      bool owner_disabled = false;
      const int answer = run_with_step(
          title,
          [&] {
            HWND box = FindWindowW(L"#32770", title.c_str());
            if (box == nullptr) return false;
            owner_disabled = !IsWindowEnabled(app.main_window);
            PostMessageW(way.message == WM_CLOSE ? box : GetFocus(), way.message, way.key, 0);
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
