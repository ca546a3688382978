#include "app/menu_commands.h"

#include <vector>

#include "app/main_window.h"
#include "app/panel_dialog.h"
#include "app/pixel_editor_window.h"
#include "app/panel_zoom.h"
#include "app/playback_timer.h"
#include "app/win32_ui.h"
#include "patch/patch_file.h"
#include "platform/text_encoding.h"
#include "rom/rom_outputs.h"
#include "res/resource.h"

namespace vcv {

namespace {

// ---- when a command can run ----

bool always(const Application&) { return true; }
bool rom_open(const Application& app) { return app.document.is_open(); }
bool writable(const Application& app) {
  return app.document.is_open() && !app.document.rom().read_only();
}
bool has_unwritten(const Application& app) {
  return writable(app) && app.document.has_unwritten_edits();
}
bool can_undo(const Application& app) { return app.document.can_undo(); }
bool can_redo(const Application& app) { return app.document.can_redo(); }

// ---- what a command runs ----

// A document command whose result is shown, followed by what it changed on the panel.
template <CommandResult (Document::*Command)(Ui&)>
void run_document_command(Application& app) {
  const CommandResult result = (app.document.*Command)(*app.ui);
  show_result(app, result);
  show_panel_update(app);
}

void write_image_changes(Application& app) {
  show_result(app, app.document.write_image_changes(*app.ui));
  show_panel_update(app);
}

void write_all_changes(Application& app) {
  show_result(app, app.document.write_all_changes(*app.ui));
  show_panel_update(app);
}

void undo(Application& app) {
  app.document.undo();
  show_panel_update(app);
}

void redo(Application& app) {
  app.document.redo();
  show_panel_update(app);
}

const char kExportPatchTitle[] = "Export Patch";

// A patch from the clean original the user chooses to the ROM as written on disk.
void export_patch(Application& app) {
  Document& document = app.document;
  if (!document.is_open()) return;
  std::string original, output;
  if (!app.ui->choose_patch_original(app.patch_original, &original)) return;
  app.patch_original = original;
  const std::string rom = document.rom_path();
  const std::string stem = rom.substr(0, rom.find_last_of('.'));
  if (!app.ui->choose_patch_output(stem + ".bps", &output)) return;
  OutputGuard guard;
  protect_rom(guard, rom);
  protect_rom(guard, original);
  if (const std::string refused = guard.refusal(output); !refused.empty()) {
    app.ui->message(kExportPatchTitle, refused + "; nothing was written.");
    return;
  }
  const PatchFileResult made = make_patch_file(original, rom, output);
  std::string text = made.message;
  if (made.ok && document.has_unwritten_edits()) {
    text += "\r\n\r\nThe patch holds the ROM as written on disk: the changes not yet written "
            "are not in it (Write All Changes writes them).";
  }
  app.ui->message(kExportPatchTitle, text);
}

void exit_program(Application& app) { SendMessageW(app.main_window, WM_CLOSE, 0, 0); }

template <int Zoom>
void zoom_to(Application& app) {
  set_panel_zoom(app, Zoom);
}
template <int Zoom>
bool zoomed_to(const Application& app) {
  return app.zoom == Zoom;
}

template <int Milliseconds>
void play_at(Application& app) {
  set_playback_interval(app, Milliseconds);
}
template <int Milliseconds>
bool playing_at(const Application& app) {
  return app.playback.interval_ms == Milliseconds;
}

void open_block_editor(Application& app) { open_pixel_editor(app); }

std::string undo_caption(const Application& app) { return app.document.undo_caption(); }
std::string redo_caption(const Application& app) { return app.document.redo_caption(); }

struct MenuKey {
  BYTE modifiers;  // FCONTROL, FSHIFT, FALT (FVIRTKEY is added)
  WORD key;        // a virtual-key code
};

struct MenuRow {
  int id;                    // 0: a separator
  const wchar_t* popup;
  const char* caption;       // with its mnemonic; without the key text
  const char* key_text;      // shown after a tab; null for none
  std::vector<MenuKey> keys;
  bool (*enabled)(const Application&);
  void (*run)(Application&);
  std::string (*caption_now)(const Application&);  // a caption that names the action, or null
  const wchar_t* submenu = nullptr;  // the pop-up inside `popup` that holds the row, or null
  bool (*checked)(const Application&) = nullptr;  // shows a check mark while true
  bool radio = false;  // the check mark is a dot: one of a group of choices
};

const wchar_t kFile[] = L"&File";
const wchar_t kEdit[] = L"&Edit";
const wchar_t kView[] = L"&View";
const wchar_t kZoom[] = L"&Zoom";
const wchar_t kSpeed[] = L"&Speed";

// In menu order. The captions of the first menu's commands are kept exactly as they have always
// read, blanks included.
const std::vector<MenuRow>& menu_rows() {
  static const std::vector<MenuRow> rows = {
      {IDM_OPEN, kFile, "&Open", nullptr, {}, always, open_rom_from_dialog, nullptr},
      {IDM_WRITE_ALL, kFile, "Write &All Changes", "Ctrl+S", {{FCONTROL, 'S'}}, has_unwritten,
       write_all_changes, nullptr},
      {IDM_EXPORT_PATCH, kFile, "Export &Patch...", nullptr, {}, rom_open, export_patch, nullptr},
      {0, kFile, nullptr, nullptr, {}, nullptr, nullptr, nullptr},
      {IDM_EXIT, kFile, "E&xit", nullptr, {}, always, exit_program, nullptr},
      {IDM_UNDO, kEdit, "&Undo", "Ctrl+Z", {{FCONTROL, 'Z'}}, can_undo, undo, undo_caption},
      {IDM_REDO, kEdit, "&Redo", "Ctrl+Y", {{FCONTROL, 'Y'}, {FCONTROL | FSHIFT, 'Z'}}, can_redo,
       redo, redo_caption},
      {0, kEdit, nullptr, nullptr, {}, nullptr, nullptr, nullptr},
      {IDM_COPY_IMG, kEdit, "Copy Img", nullptr, {}, rom_open,
       run_document_command<&Document::copy_img>, nullptr},
      {IDM_COPY_SPRITE, kEdit, "Copy Sprite", nullptr, {}, rom_open,
       run_document_command<&Document::copy_sprite>, nullptr},
      {IDM_PASTE_SPRITE, kEdit, "Paste Sprite", nullptr, {}, rom_open,
       run_document_command<&Document::paste_sprite>, nullptr},
      {IDM_COPY_ALL_IMG, kEdit, "Copy All Img", nullptr, {}, rom_open,
       run_document_command<&Document::copy_all_img>, nullptr},
      {IDM_PASTE_ALL_IMG, kEdit, "Paste All Img ", nullptr, {}, rom_open,
       run_document_command<&Document::paste_all_img>, nullptr},
      {0, kEdit, nullptr, nullptr, {}, nullptr, nullptr, nullptr},
      {IDM_WRITE_PALETTE, kEdit, "Write Palette  ", nullptr, {}, writable,
       run_document_command<&Document::write_palette>, nullptr},
      {IDM_WRITE_TILE_INFO, kEdit, "Write Tile Info   ", nullptr, {}, writable,
       run_document_command<&Document::write_tile_info>, nullptr},
      {IDM_WRITE_IMAGE, kEdit, "Write Image Changes", nullptr, {}, writable, write_image_changes,
       nullptr},
      {IDM_PIXEL_EDITOR, kView, "&Pixel Editor", "Ctrl+E", {{FCONTROL, 'E'}}, rom_open,
       open_block_editor, nullptr},
      {0, kView, nullptr, nullptr, {}, nullptr, nullptr, nullptr},
      {IDM_ZOOM_1, kView, "&1x", "Ctrl+1", {{FCONTROL, '1'}}, always, zoom_to<1>, nullptr, kZoom,
       zoomed_to<1>, true},
      {IDM_ZOOM_2, kView, "&2x", "Ctrl+2", {{FCONTROL, '2'}}, always, zoom_to<2>, nullptr, kZoom,
       zoomed_to<2>, true},
      {IDM_ZOOM_3, kView, "&3x", "Ctrl+3", {{FCONTROL, '3'}}, always, zoom_to<3>, nullptr, kZoom,
       zoomed_to<3>, true},
      {IDM_ZOOM_4, kView, "&4x", "Ctrl+4", {{FCONTROL, '4'}}, always, zoom_to<4>, nullptr, kZoom,
       zoomed_to<4>, true},
      {0, kView, nullptr, nullptr, {}, nullptr, nullptr, nullptr},
      {IDM_PLAY_ANIMATION, kView, "&Play Animation", "F5", {{0, VK_F5}}, rom_open,
       toggle_playback, nullptr, nullptr, is_playing},
      {IDM_SPEED_100, kView, "&100 ms", nullptr, {}, always, play_at<100>, nullptr, kSpeed,
       playing_at<100>, true},
      {IDM_SPEED_150, kView, "1&50 ms", nullptr, {}, always, play_at<150>, nullptr, kSpeed,
       playing_at<150>, true},
      {IDM_SPEED_250, kView, "&250 ms", nullptr, {}, always, play_at<250>, nullptr, kSpeed,
       playing_at<250>, true},
      {IDM_SPEED_500, kView, "&500 ms", nullptr, {}, always, play_at<500>, nullptr, kSpeed,
       playing_at<500>, true},
  };
  return rows;
}

const MenuRow* row_of(int command_id) {
  if (command_id == 0) return nullptr;
  for (const MenuRow& row : menu_rows()) {
    if (row.id == command_id) return &row;
  }
  return nullptr;
}

std::wstring caption_of(const Application* app, const MenuRow& row) {
  std::string caption = row.caption;
  if (app != nullptr && row.caption_now != nullptr) {
    // "Undo Place Tile" keeps the mnemonic of "&Undo".
    caption = "&" + row.caption_now(*app);
  }
  if (row.key_text != nullptr) caption += std::string("\t") + row.key_text;
  return utf8_to_wide(caption);
}

// A pop-up named `name` appended to `parent`.
HMENU append_popup(HMENU parent, const wchar_t* name) {
  HMENU popup = CreatePopupMenu();
  AppendMenuW(parent, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), name);
  return popup;
}

}  // namespace

HMENU build_main_menu() {
  HMENU bar = CreateMenu();
  HMENU popup = nullptr, submenu = nullptr;
  const wchar_t* popup_name = nullptr;
  const wchar_t* submenu_name = nullptr;
  for (const MenuRow& row : menu_rows()) {
    if (popup_name != row.popup) {
      popup = append_popup(bar, row.popup);
      popup_name = row.popup;
      submenu_name = nullptr;
    }
    if (row.submenu != nullptr && submenu_name != row.submenu) {
      submenu = append_popup(popup, row.submenu);
    }
    submenu_name = row.submenu;
    HMENU target = row.submenu != nullptr ? submenu : popup;
    if (row.id == 0) {
      AppendMenuW(target, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    AppendMenuW(target, MF_STRING, static_cast<UINT_PTR>(row.id), caption_of(nullptr, row).c_str());
    if (row.radio) {
      MENUITEMINFOW item = {};
      item.cbSize = sizeof item;
      item.fMask = MIIM_FTYPE;
      item.fType = MFT_STRING | MFT_RADIOCHECK;
      SetMenuItemInfoW(target, static_cast<UINT>(row.id), FALSE, &item);
    }
  }
  return bar;
}

HACCEL build_accelerators() {
  std::vector<ACCEL> keys;
  for (const MenuRow& row : menu_rows()) {
    for (const MenuKey& key : row.keys) {
      keys.push_back({static_cast<BYTE>(FVIRTKEY | key.modifiers), key.key,
                      static_cast<WORD>(row.id)});
    }
  }
  return CreateAcceleratorTableW(keys.data(), static_cast<int>(keys.size()));
}

void update_menu_popup(const Application& app, HMENU popup) {
  const int count = GetMenuItemCount(popup);
  for (int i = 0; i < count; ++i) {
    const MenuRow* row = row_of(static_cast<int>(GetMenuItemID(popup, i)));
    if (row == nullptr) continue;
    if (row->caption_now != nullptr) {
      ModifyMenuW(popup, static_cast<UINT>(row->id), MF_BYCOMMAND | MF_STRING,
                  static_cast<UINT_PTR>(row->id), caption_of(&app, *row).c_str());
    }
    EnableMenuItem(popup, static_cast<UINT>(row->id),
                   MF_BYCOMMAND | (row->enabled(app) ? MF_ENABLED : MF_GRAYED));
    if (row->checked != nullptr) {
      CheckMenuItem(popup, static_cast<UINT>(row->id),
                    MF_BYCOMMAND | (row->checked(app) ? MF_CHECKED : MF_UNCHECKED));
    }
  }
}

bool run_menu_command(Application& app, int command_id) {
  const MenuRow* row = row_of(command_id);
  if (row == nullptr) return false;
  row->run(app);
  return true;
}

std::wstring menu_caption(const Application& app, int command_id) {
  const MenuRow* row = row_of(command_id);
  return row == nullptr ? std::wstring() : caption_of(&app, *row);
}

}  // namespace vcv
