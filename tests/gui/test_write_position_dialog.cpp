// The write-position dialog from the real resources, driven from a thread timer while it runs
// its own modal loop: the fields it shows (its Japanese labels with their glyphs), the keys that
// must not end it, OK, CANCEL, and the error box for an unreadable field.
#include <functional>
#include <string>
#include <vector>

#include "platform/text_encoding.h"
#include "app/write_position_dialog.h"
#include "gui_fixture.h"
#include "res/resource.h"

namespace vcv {
namespace {

constexpr int kGiveUpTicks = 300;  // a script that never finishes ends the dialog itself

// Steps run one per timer tick; a step returns false to be tried again on the next tick. The
// index moves on before a step runs, because a step may block in a nested modal loop while the
// following steps run.
struct DialogScript {
  std::vector<std::function<bool()>> steps;
  size_t next = 0;
  int ticks = 0;
};
DialogScript* g_script = nullptr;

HWND find_box(const wchar_t* title) { return FindWindowW(L"#32770", title); }
HWND write_position_box() { return find_box(L"チップイメージの書き込み位置"); }

std::string field(HWND dialog, int id) {
  wchar_t text[300] = {};
  GetDlgItemTextW(dialog, id, text, 300);
  return wide_to_utf8(text);
}

void press(HWND dialog, int id) {
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void CALLBACK on_tick(HWND, UINT, UINT_PTR, DWORD) {
  if (g_script == nullptr) return;
  if (++g_script->ticks > kGiveUpTicks) {
    if (HWND box = write_position_box()) EndDialog(box, 0);
    return;
  }
  if (g_script->next >= g_script->steps.size()) return;
  const size_t step = g_script->next++;
  if (!g_script->steps[step]()) g_script->next = step;
}

bool run_scripted(DialogScript& script, HWND owner, std::string* address, std::string* offset) {
  g_script = &script;
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, on_tick);
  const bool result = run_write_position_dialog(owner, "D61000", "161000", address, offset);
  KillTimer(nullptr, timer);
  g_script = nullptr;
  return result;
}

TEST_F(PanelWindow, WritePositionDialogShowsBothFieldsAndOnlyOkOrCancelEndIt) {
  std::string shown_address, shown_offset;
  bool survived_keys = false;
  int texts_with_glyphs = 0;
  DialogScript script;
  script.steps = {
      [&] {
        HWND box = write_position_box();
        if (box == nullptr) return false;
        shown_address = field(box, IDC_WRITE_ADDRESS);
        shown_offset = field(box, IDC_WRITE_FILE_OFFSET);
        for (HWND c = GetWindow(box, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
          texts_with_glyphs += has_its_glyphs(c) ? 1 : 0;
        }
        return true;
      },
      [&] {
        HWND box = write_position_box();
        SendMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);      // Enter
        SendMessageW(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);  // Escape
        SendMessageW(box, WM_CLOSE, 0, 0);                          // the close box
        return true;
      },
      [&] {
        HWND box = write_position_box();
        survived_keys = box != nullptr && IsWindowVisible(box);
        SetDlgItemTextW(box, IDC_WRITE_ADDRESS, L"  c01100");
        SetDlgItemTextW(box, IDC_WRITE_FILE_OFFSET, L"0x1100zz");
        press(box, IDC_WRITE_OK);
        return true;
      },
  };
  std::string address, offset;
  EXPECT_TRUE(run_scripted(script, app.main_window, &address, &offset));
  EXPECT_EQ(shown_address, "D61000");
  EXPECT_EQ(shown_offset, "161000");
  EXPECT_TRUE(survived_keys);
  EXPECT_EQ(texts_with_glyphs, 6);  // the Japanese labels too, whatever fonts are installed
  EXPECT_EQ(address, "  c01100");  // handed over as typed; the command converts it
  EXPECT_EQ(offset, "0x1100zz");
}

TEST_F(PanelWindow, WritePositionDialogCancelEndsWithoutFields) {
  DialogScript script;
  script.steps = {[&] {
    HWND box = write_position_box();
    if (box == nullptr) return false;
    SetDlgItemTextW(box, IDC_WRITE_ADDRESS, L"C01100");
    press(box, IDC_WRITE_CANCEL);
    return true;
  }};
  std::string address = "unchanged", offset = "unchanged";
  EXPECT_FALSE(run_scripted(script, app.main_window, &address, &offset));
  EXPECT_EQ(address, "unchanged");
}

TEST_F(PanelWindow, WritePositionDialogRefusesAFieldWithoutAHexNumber) {
  std::string error_text;
  HWND error_owner = nullptr;
  DialogScript script;
  script.steps = {
      [&] {
        HWND box = write_position_box();
        if (box == nullptr) return false;
        SetDlgItemTextW(box, IDC_WRITE_FILE_OFFSET, L"G01100");
        press(box, IDC_WRITE_OK);  // returns only after the error box below is closed
        return true;
      },
      [&] {
        HWND error = find_box(L"エラー");
        if (error == nullptr) return false;
        wchar_t text[128] = {};
        GetDlgItemTextW(error, 0xFFFF, text, 128);
        error_text = has_its_glyphs(GetDlgItem(error, 0xFFFF)) ? wide_to_utf8(text) : "(boxes)";
        error_owner = GetWindow(error, GW_OWNER);
        EXPECT_EQ(error_owner, write_position_box());
        SendMessageW(error, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
        return true;
      },
  };
  std::string address, offset;
  EXPECT_FALSE(run_scripted(script, app.main_window, &address, &offset));
  EXPECT_EQ(error_text, "アドレスが間違ってます");
  EXPECT_NE(error_owner, nullptr);
  EXPECT_EQ(write_position_box(), nullptr);
}

}  // namespace
}  // namespace vcv
