#include "gui_fixture.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "app/main_window.h"
#include "app/panel_dialog.h"
#include "platform/text_encoding.h"
#include "demo/demo_rom.h"
#include "res/resource.h"

namespace vcv {

const std::string& demo_rom_path() {
  static const std::string path = [] {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::string file = wide_to_utf8(folder) + "vantor_gui_demo.sfc";
    std::string error;
    if (!demo::write_demo_rom(file, &error)) {
      ADD_FAILURE() << "demo ROM not written: " << error;
    }
    return file;
  }();
  return path;
}

bool has_its_glyphs(HWND window) {
  wchar_t text[1024] = {};
  GetWindowTextW(window, text, 1024);
  std::wstring sample;
  for (const wchar_t* c = text; *c != L'\0'; ++c) {
    if (*c >= 0x20) sample.push_back(*c);
  }
  std::vector<WORD> glyphs(sample.size() + 1);
  HDC dc = GetDC(window);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
  const DWORD result = GetGlyphIndicesW(dc, sample.c_str(), static_cast<int>(sample.size()),
                                        glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  return result != GDI_ERROR &&
         std::find(glyphs.begin(), glyphs.begin() + sample.size(), 0xFFFF) ==
             glyphs.begin() + sample.size();
}

void PanelWindow::SetUp() {
  app.ui = &ui;
  ASSERT_TRUE(create_main_window(app, GetModuleHandleW(nullptr)));
  panel = app.panel;
  ASSERT_NE(panel, nullptr);
}

void PanelWindow::TearDown() {
  if (app.main_window != nullptr) DestroyWindow(app.main_window);
  // Both windows post the quit message when destroyed; drain it so the next test starts clean.
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
  app.document.rom().close();
}

void PanelWindow::choose_menu(int command_id) {
  SendMessageW(app.main_window, WM_COMMAND, MAKEWPARAM(command_id, 0), 0);
}

void PanelWindow::open_demo_rom() {
  ui.rom_answers.push_back(demo_rom_path());
  choose_menu(IDM_OPEN);
  ASSERT_TRUE(app.document.is_open());
}

void PanelWindow::select_entry(int index) {
  HWND list = GetDlgItem(panel, IDC_ENTRY_LIST);
  SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageW(panel, WM_COMMAND, MAKEWPARAM(IDC_ENTRY_LIST, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(list));
}

void PanelWindow::click_button(int control_id) {
  SendMessageW(panel, WM_COMMAND, MAKEWPARAM(control_id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(panel, control_id)));
}

// An automatic check box or radio button changes its own state before it tells the panel.
void PanelWindow::toggle_box(int control_id) {
  const bool radio = control_id == IDC_SEQUENCE_RADIO || control_id == IDC_IMAGE_RADIO;
  if (radio) {
    CheckRadioButton(panel, IDC_SEQUENCE_RADIO, IDC_IMAGE_RADIO, control_id);
  } else {
    CheckDlgButton(panel, control_id, checked(control_id) ? BST_UNCHECKED : BST_CHECKED);
  }
  click_button(control_id);
}

void PanelWindow::scroll(int bar_id, int request) {
  SendMessageW(panel, WM_HSCROLL, MAKEWPARAM(request, 0),
               reinterpret_cast<LPARAM>(GetDlgItem(panel, bar_id)));
}

void PanelWindow::left_click(int x, int y) {
  SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  SendMessageW(panel, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

std::wstring PanelWindow::wide_text(int control_id) {
  wchar_t buffer[4096] = {};
  GetDlgItemTextW(panel, control_id, buffer, 4096);
  return buffer;
}

std::string PanelWindow::text(int control_id) { return wide_to_utf8(wide_text(control_id)); }

std::string PanelWindow::title() {
  wchar_t buffer[512] = {};
  GetWindowTextW(app.main_window, buffer, 512);
  return wide_to_utf8(buffer);
}

bool PanelWindow::checked(int control_id) {
  return IsDlgButtonChecked(panel, control_id) == BST_CHECKED;
}

uint32_t PanelWindow::screen_pixel(int x, int y) {
  UpdateWindow(panel);
  HDC dc = GetDC(panel);
  const COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(panel, dc);
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

ViewAreas PanelWindow::areas() { return panel_view_areas(panel); }

}  // namespace vcv
