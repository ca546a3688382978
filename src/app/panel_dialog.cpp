#include "app/panel_dialog.h"

#include <shellapi.h>

#include <map>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/pixel_editor_window.h"
#include "app/playback_timer.h"
#include "app/readable_dialogs.h"
#include "app/surface_blit.h"
#include "app/win32_ui.h"
#include "platform/text_encoding.h"
#include "res/resource.h"
#include "view/character_list.h"
#include "view/panel_actions.h"
#include "view/panel_paint.h"

namespace vcv {
namespace {

Application* application_of(HWND panel) {
  return reinterpret_cast<Application*>(GetWindowLongPtrW(panel, GWLP_USERDATA));
}

Rect client_rect_of_control(HWND panel, int control_id) {
  RECT r = {};
  HWND control = GetDlgItem(panel, control_id);
  if (control != nullptr) {
    GetWindowRect(control, &r);
    MapWindowPoints(HWND_DESKTOP, panel, reinterpret_cast<POINT*>(&r), 2);
  }
  return Rect{r.left, r.top, r.right, r.bottom};
}

void fill_entry_list(HWND panel) {
  HWND list = GetDlgItem(panel, IDC_ENTRY_LIST);
  while (SendMessageW(list, CB_GETCOUNT, 0, 0) > 0) SendMessageW(list, CB_DELETESTRING, 0, 0);
  for (int id = 0; id < kEntryCount; ++id) {
    const std::wstring label = utf8_to_wide(character_list_label(id));
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(label.c_str()));
  }
}

// Entries that gained or lost unwritten edits get their marked labels; the selection stays.
void relabel_entries(HWND panel, const std::map<int, std::string>& labels) {
  HWND list = GetDlgItem(panel, IDC_ENTRY_LIST);
  const LRESULT selection = SendMessageW(list, CB_GETCURSEL, 0, 0);
  for (const auto& [entry, label] : labels) {
    if (entry < 0 || entry >= SendMessageW(list, CB_GETCOUNT, 0, 0)) continue;
    const std::wstring text = utf8_to_wide(label);
    SendMessageW(list, CB_DELETESTRING, static_cast<WPARAM>(entry), 0);
    SendMessageW(list, CB_INSERTSTRING, static_cast<WPARAM>(entry),
                 reinterpret_cast<LPARAM>(text.c_str()));
  }
  SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(selection), 0);
}

void on_paint(Application& app, HWND panel) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(panel, &ps);
  RECT client;
  GetClientRect(panel, &client);
  if (app.surface.width != client.right || app.surface.height != client.bottom) {
    app.surface.resize(client.right, client.bottom, display_to_pixel(GetSysColor(COLOR_BTNFACE)));
  }
  // Only the parts the invalid rectangle touches: a playback step repaints the frame alone.
  const ViewAreas areas = panel_view_areas(panel);
  const Rect dirty{ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right, ps.rcPaint.bottom};
  unsigned parts = 0;
  if (intersects(dirty, unite(areas.frame, app.painter.last_outlines))) parts |= kPaintFrame;
  if (intersects(dirty, areas.sheet)) parts |= kPaintSheet;
  if (intersects(dirty, areas.palette)) parts |= kPaintPalette;
  const std::vector<Rect> drawn =
      app.document.paint(app.painter, areas,
                         IsDlgButtonChecked(panel, IDC_BOUNDARIES) == BST_CHECKED, app.surface,
                         parts);
  for (const Rect& r : drawn) blit_rect(dc, app.surface, r);
  EndPaint(panel, &ps);
}

void on_dropped_files(Application& app, HDROP drop) {
  // Only the first file is opened, with its whole name however long.
  const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
  std::wstring name(length + 1, L'\0');
  if (length > 0 && DragQueryFileW(drop, 0, name.data(), length + 1) == length) {
    name.resize(length);
    open_rom(app, wide_to_utf8(name));
  }
  DragFinish(drop);
}

// The panel's buttons and check boxes by control id.
bool panel_command_of(int control_id, PanelCommand* command) {
  switch (control_id) {
    case IDC_SEQUENCE_RADIO: *command = PanelCommand::kSequenceRadio; return true;
    case IDC_IMAGE_RADIO: *command = PanelCommand::kImageRadio; return true;
    case IDC_FACE_BUTTON: *command = PanelCommand::kFace; return true;
    case IDC_BOUNDARIES: *command = PanelCommand::kBoundaries; return true;
    case IDC_BLOCK_BUTTON: *command = PanelCommand::kBlock; return true;
    case IDC_PAGE_BUTTON: *command = PanelCommand::kPage; return true;
    case IDC_TABLE_BUTTON: *command = PanelCommand::kAnimationTable; return true;
    case IDC_FLIPX: *command = PanelCommand::kFlipX; return true;
    case IDC_FLIPY: *command = PanelCommand::kFlipY; return true;
    default: return false;
  }
}

bool arrows_of(int bar_id, PanelArrows* bar) {
  switch (bar_id) {
    case IDC_ANIMATION_ARROWS: *bar = PanelArrows::kAnimation; return true;
    case IDC_SEQUENCE_ARROWS: *bar = PanelArrows::kSequence; return true;
    case IDC_IMAGE_ARROWS: *bar = PanelArrows::kImage; return true;
    case IDC_WEAPON_ARROWS: *bar = PanelArrows::kWeaponPalette; return true;
    default: return false;
  }
}

int button_id(PanelButton button) {
  switch (button) {
    case PanelButton::kFace: return IDC_FACE_BUTTON;
    case PanelButton::kBlock: return IDC_BLOCK_BUTTON;
    case PanelButton::kPage: return IDC_PAGE_BUTTON;
    case PanelButton::kAnimationTable: return IDC_TABLE_BUTTON;
  }
  return 0;
}

void set_text(HWND panel, int control_id, const std::string& text) {
  SetDlgItemTextW(panel, control_id, utf8_to_wide(text).c_str());
}

std::string control_text(HWND panel, int control_id) {
  HWND control = GetDlgItem(panel, control_id);
  if (control == nullptr) return std::string();
  const int length = GetWindowTextLengthW(control);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(control, &text[0], length + 1);
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return wide_to_utf8(text);
}

// The texts of a refresh, in the order the refresh has always written them.
void show_texts(HWND panel, const PanelTexts& texts) {
  SendDlgItemMessageW(panel, IDC_ENTRY_LIST, CB_SETCURSEL,
                      static_cast<WPARAM>(texts.list_selection), 0);
  set_text(panel, IDC_ENTRY_LABEL, texts.entry_label);
  set_text(panel, IDC_IMAGE_FIELD, texts.image_field);
  set_text(panel, IDC_ANIMATION_FIELD, texts.animation_field);
  set_text(panel, IDC_SEQUENCE_FIELD, texts.sequence_field);
  set_text(panel, IDC_WEAPON_FIELD, texts.weapon_field);
  set_text(panel, IDC_ANIMATION_RANGE, texts.animation_range);
  set_text(panel, IDC_SEQUENCE_RANGE, texts.sequence_range);
  set_text(panel, IDC_IMAGE_RANGE, texts.image_range);
  set_text(panel, IDC_INFO_TEXT, texts.info_text);
  set_text(panel, IDC_TILE_INFO_TEXT, texts.tile_info_text);
}

// Marks the three areas (or the frame alone) for repainting, without erasing, and repaints them
// at once.
void repaint_areas(HWND panel, bool frame_only) {
  const ViewAreas areas = panel_view_areas(panel);
  const int count = frame_only ? 1 : 3;
  const Rect order[] = {areas.frame, areas.sheet, areas.palette};
  for (int i = 0; i < count; ++i) {
    const Rect& area = order[i];
    RECT r = {area.left, area.top, area.right, area.bottom};
    InvalidateRect(panel, &r, FALSE);
  }
  UpdateWindow(panel);
}

void on_command(Application& app, HWND panel, int id, int notification) {
  if (id == IDC_ENTRY_LIST) {
    if (notification == CBN_SELCHANGE) {
      const int selection =
          static_cast<int>(SendDlgItemMessageW(panel, IDC_ENTRY_LIST, CB_GETCURSEL, 0, 0));
      if (selection >= 0) app.document.select_entry(selection);
    }
    return;
  }
  if (id == IDC_TILE_INFO_TEXT && notification == EN_SETFOCUS && is_playing(app)) {
    // Each step rewrites the Tile Info text: what the user is about to type there would be lost.
    toggle_playback(app);
    return;
  }
  if (notification != BN_CLICKED) return;
  PanelCommand command;
  if (id == IDC_ED_BUTTON) {
    app.document.apply_tile_info(control_text(panel, IDC_TILE_INFO_TEXT));
  } else if (panel_command_of(id, &command)) {
    app.document.panel_command(command);
  }
}

INT_PTR CALLBACK panel_procedure(HWND panel, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    Application* app = reinterpret_cast<Application*>(lparam);
    SetWindowLongPtrW(panel, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(app));
    app->panel = panel;
    fill_entry_list(panel);
    app->document.panel_created();
    show_panel_update(*app);
    return TRUE;
  }
  Application* app = application_of(panel);
  if (app == nullptr) return FALSE;
  switch (message) {
    case WM_COMMAND:
      on_command(*app, panel, LOWORD(wparam), HIWORD(wparam));
      show_panel_update(*app);
      return FALSE;
    case WM_HSCROLL: {
      PanelArrows bar;
      if (arrows_of(GetDlgCtrlID(reinterpret_cast<HWND>(lparam)), &bar)) {
        app->document.arrows(bar, LOWORD(wparam));
        show_panel_update(*app);
      }
      return FALSE;
    }
    case WM_PAINT:
      on_paint(*app, panel);
      return FALSE;
    case WM_LBUTTONDOWN:
      app->document.left_click(*app->ui, panel_view_areas(panel), LOWORD(lparam),
                               HIWORD(lparam));
      show_panel_update(*app);
      return FALSE;
    case WM_LBUTTONDBLCLK: {
      const Document::DoubleClick target =
          app->document.double_click(panel_view_areas(panel), LOWORD(lparam), HIWORD(lparam));
      show_panel_update(*app);
      if (target.kind == Document::DoubleClick::kTile) open_pixel_editor(*app, target.number);
      if (target.kind == Document::DoubleClick::kBlock) open_pixel_editor(*app);
      return FALSE;
    }
    case WM_DROPFILES:
      on_dropped_files(*app, reinterpret_cast<HDROP>(wparam));
      return FALSE;
    case WM_SYSCOMMAND:
      // Closing from the panel closes the main window, which asks about unwritten edits.
      if ((wparam & 0xFFF0) == SC_CLOSE) PostMessageW(app->main_window, WM_CLOSE, 0, 0);
      return FALSE;
    case WM_DESTROY:
      PostQuitMessage(0);
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

HWND create_panel(Application& app) {
  HWND panel = create_readable_dialog(app.instance, IDD_PANEL, app.main_window, panel_procedure,
                                      reinterpret_cast<LPARAM>(&app));
  if (panel != nullptr) SetWindowPos(panel, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  return panel;
}

ViewAreas panel_view_areas(HWND panel) {
  const Application* app = application_of(panel);
  return compute_view_areas(client_rect_of_control(panel, IDC_FRAME_ANCHOR),
                            client_rect_of_control(panel, IDC_SHEET_ANCHOR),
                            client_rect_of_control(panel, IDC_PALETTE_ANCHOR),
                            app != nullptr ? app->zoom : 1);
}

void show_panel_update(Application& app, bool frame_only) {
  if (app.panel == nullptr) return;
  const PanelUpdate update = app.document.take_panel_update();
  HWND panel = app.panel;
  if (update.sequence_mode) {
    CheckDlgButton(panel, IDC_SEQUENCE_RADIO, *update.sequence_mode ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(panel, IDC_IMAGE_RADIO, *update.sequence_mode ? BST_UNCHECKED : BST_CHECKED);
  }
  if (update.boundaries) {
    CheckDlgButton(panel, IDC_BOUNDARIES, *update.boundaries ? BST_CHECKED : BST_UNCHECKED);
  }
  for (const auto& [button, caption] : update.captions) set_text(panel, button_id(button), caption);
  if (!update.list_labels.empty()) relabel_entries(panel, update.list_labels);
  if (update.texts) show_texts(panel, *update.texts);
  if (update.title && app.main_window != nullptr) {
    SetWindowTextW(app.main_window, utf8_to_wide(*update.title).c_str());
  }
  if (update.repaint) repaint_areas(panel, frame_only);
  if (!update.empty()) pixel_editor_follow_panel(app);
}

}  // namespace vcv
