// The real window and panel under the messages of a user's actions, grouped by what the user
// is doing: starting the program, opening a ROM, browsing an entry's animations, stepping
// through images, recolouring, placing a flipped tile, and what the panel paints.
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/text_encoding.h"
#include "demo/demo_rom.h"
#include "gui_fixture.h"
#include "screenshot.h"
#include "sprite/frames.h"
#include "res/resource.h"
#include "sprite/tiles.h"
#include "view/panel_paint.h"

namespace vcv {
namespace {

using demo::DemoRomFacts;

constexpr uint32_t kRed = 0xFF0000, kBlue = 0x0000FF, kWhite = 0xFFFFFF;

std::wstring range_label(int last) {
  wchar_t text[32];
  std::swprintf(text, 32, L"00\uFF5E%02X", last);
  return text;
}

std::string hex2(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%02X", value);
  return text;
}

std::wstring menu_text(HMENU menu, int command_id) {
  wchar_t text[128] = {};
  GetMenuStringW(menu, static_cast<UINT>(command_id), text, 128, MF_BYCOMMAND);
  return text;
}

TEST_F(PanelWindow, StartUpShowsTheEmptyPanel) {
  EXPECT_EQ(title(), "VantorCharViewer");
  wchar_t class_name[64] = {};
  GetClassNameW(app.main_window, class_name, 64);
  EXPECT_STREQ(class_name, L"VantorCharView");
  RECT main_rect, panel_rect;
  GetWindowRect(app.main_window, &main_rect);
  GetWindowRect(panel, &panel_rect);
  EXPECT_EQ(main_rect.left, 60);
  EXPECT_EQ(main_rect.top, 60);
  POINT client_origin = {0, 0};
  ClientToScreen(app.main_window, &client_origin);
  EXPECT_EQ(panel_rect.left, client_origin.x);
  EXPECT_EQ(panel_rect.top, client_origin.y);
  EXPECT_EQ(main_rect.right - main_rect.left, panel_rect.right + panel_rect.left - 120);
  EXPECT_EQ(main_rect.bottom - main_rect.top, panel_rect.bottom - 56);
  EXPECT_TRUE(IsWindowVisible(app.main_window));
  EXPECT_TRUE(IsWindowVisible(panel));
  EXPECT_TRUE(GetWindowLongW(panel, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);

  HMENU menu = GetMenu(app.main_window);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(GetMenuItemCount(menu), 3);
  EXPECT_EQ(menu_text(menu, IDM_OPEN), L"&Open");
  EXPECT_EQ(menu_text(menu, IDM_PASTE_ALL_IMG), L"Paste All Img ");
  EXPECT_EQ(menu_text(menu, IDM_WRITE_PALETTE), L"Write Palette  ");
  EXPECT_EQ(menu_text(menu, IDM_WRITE_TILE_INFO), L"Write Tile Info   ");
  EXPECT_EQ(menu_text(menu, IDM_WRITE_IMAGE), L"Write Image Changes");
  // Undo, Redo and a separator above the first menu's nine.
  EXPECT_EQ(GetMenuItemCount(GetSubMenu(menu, 1)), 12);

  HWND list = GetDlgItem(panel, IDC_ENTRY_LIST);
  EXPECT_EQ(SendMessageW(list, CB_GETCOUNT, 0, 0), 508);
  EXPECT_EQ(SendMessageW(list, CB_GETCURSEL, 0, 0), CB_ERR);
  wchar_t item[64] = {};
  SendMessageW(list, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(item));
  EXPECT_STREQ(item, L"Player 1");
  SendMessageW(list, CB_GETLBTEXT, 0x114, reinterpret_cast<LPARAM>(item));
  EXPECT_STREQ(item, L"114:");
  SendMessageW(list, CB_GETLBTEXT, 0x1FA, reinterpret_cast<LPARAM>(item));
  EXPECT_STREQ(item, L"1FA:Enemy");

  EXPECT_EQ(text(IDC_FACE_BUTTON), "Face");
  EXPECT_EQ(text(IDC_BLOCK_BUTTON), "00");
  EXPECT_EQ(text(IDC_PAGE_BUTTON), "+0000");
  EXPECT_EQ(text(IDC_TABLE_BUTTON), "0");
  EXPECT_EQ(text(IDC_ENTRY_LABEL), "No.");
  EXPECT_EQ(text(IDC_IMAGE_RANGE), "Max=");
  EXPECT_TRUE(checked(IDC_SEQUENCE_RADIO));
  EXPECT_FALSE(checked(IDC_IMAGE_RADIO));
  EXPECT_TRUE(checked(IDC_BOUNDARIES));
  EXPECT_EQ(app.document.view().sequence_mode, 1);

  // Without a ROM the controls still step and caption, but nothing is shown.
  click_button(IDC_FACE_BUTTON);
  EXPECT_EQ(text(IDC_FACE_BUTTON), " Down ");
  select_entry(0x120);
  EXPECT_EQ(app.document.view().current_entry, 0x120);
  scroll(IDC_IMAGE_ARROWS, SB_LINERIGHT);
  EXPECT_EQ(app.document.view().image_no, 0);
  EXPECT_EQ(text(IDC_IMAGE_FIELD), "");
  EXPECT_EQ(text(IDC_INFO_TEXT), "");
  // A command id the menu does not have changes nothing.
  choose_menu(40000);
  EXPECT_EQ(title(), "VantorCharViewer");
}

TEST_F(PanelWindow, OpeningARomShowsItsFirstEntry) {
  ui.rom_answers.push_back("");  // the Open dialog cancelled
  choose_menu(IDM_OPEN);
  EXPECT_EQ(ui.open_prompts, 1);
  EXPECT_FALSE(app.document.is_open());
  select_entry(0x120);
  open_demo_rom();
  EXPECT_EQ(title(), "VantorCharViewer - vantor_gui_demo.sfc ");
  EXPECT_EQ(text(IDC_ENTRY_LABEL), "No.000");
  EXPECT_EQ(SendDlgItemMessageW(panel, IDC_ENTRY_LIST, CB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(text(IDC_ANIMATION_FIELD), "00");
  EXPECT_EQ(text(IDC_SEQUENCE_FIELD), "00");
  EXPECT_EQ(text(IDC_WEAPON_FIELD), "00");
  const ViewState& view = app.document.view();
  EXPECT_EQ(wide_text(IDC_IMAGE_RANGE), range_label(view.image_count - 1));
  EXPECT_EQ(wide_text(IDC_ANIMATION_RANGE), range_label(view.animation_count - 1));
  EXPECT_GT(view.image_count, 1);
  const std::string info = text(IDC_INFO_TEXT);
  EXPECT_EQ(info.rfind("Assembly=00(", 0), 0u) << info;
  EXPECT_NE(info.find("\r\nPosition Type="), std::string::npos);
  EXPECT_EQ(text(IDC_TILE_INFO_TEXT).rfind("X=", 0), 0u);
}

// Drops the NUL-separated names of `list` (ending with an empty name) on the panel.
void drop_files(HWND panel, const std::wstring& list) {
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + (list.size() + 1) * sizeof(wchar_t));
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.c_str(),
              (list.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(memory);
  SendMessageW(panel, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

TEST_F(PanelWindow, DroppingFilesOpensTheFirst) {
  const std::wstring first = utf8_to_wide(demo_rom_path());
  drop_files(panel, first + L'\0' + L"C:\\missing\\b.sfc" + L'\0' + L"C:\\c.sfc" + L'\0');
  EXPECT_TRUE(app.document.is_open());
  EXPECT_EQ(app.document.rom_path(), demo_rom_path());
  EXPECT_EQ(text(IDC_ENTRY_LABEL), "No.000");
  // A long name reaches the open whole: the refusal names all of it.
  const std::string long_name = "C:\\" + std::string(600, 'b') + ".sfc";
  drop_files(panel, utf8_to_wide(long_name) + L'\0');
  ASSERT_FALSE(ui.messages.empty());
  EXPECT_NE(ui.messages.back().find(long_name), std::string::npos) << ui.messages.back();
}

TEST_F(PanelWindow, BrowsingAnEntrysAnimations) {
  open_demo_rom();
  const int entry = DemoRomFacts::kEntrySize1;
  select_entry(entry);
  char label[16];
  std::snprintf(label, sizeof label, "No.%03X", entry);
  EXPECT_EQ(text(IDC_ENTRY_LABEL), label);
  const ViewState& view = app.document.view();
  const SpriteWorkingSet& set = app.document.working_set();
  ASSERT_GT(view.animation_count, 1);
  auto expected_image = [&]() -> int {
    if (view.sequence_count == 0) return 0;  // an empty sequence shows image 0
    return set.animation[view.animation_table][view.face_direction]
                        [view.animation_no * 4 + view.sequence_no];
  };
  // Step through every animation of the first facing and every frame of each sequence.
  for (int a = 0; a < view.animation_count; ++a) {
    EXPECT_EQ(text(IDC_ANIMATION_FIELD), hex2(a));
    for (int s = 0; s < view.sequence_count; ++s) {
      EXPECT_EQ(text(IDC_SEQUENCE_FIELD), hex2(s));
      EXPECT_EQ(view.image_no, expected_image());
      EXPECT_EQ(text(IDC_IMAGE_FIELD), hex2(view.image_no));
      EXPECT_NE(text(IDC_INFO_TEXT).find("(ImageNo=" + hex2(view.image_no) + ")"),
                std::string::npos);
      scroll(IDC_SEQUENCE_ARROWS, SB_LINERIGHT);
    }
    EXPECT_EQ(view.sequence_no, 0);  // wrapped
    scroll(IDC_ANIMATION_ARROWS, SB_LINERIGHT);
  }
  EXPECT_EQ(view.animation_no, 0);
  scroll(IDC_ANIMATION_ARROWS, SB_LINELEFT);
  EXPECT_EQ(view.animation_no, view.animation_count - 1);
  EXPECT_EQ(wide_text(IDC_SEQUENCE_RANGE), range_label(view.sequence_count - 1));

  click_button(IDC_FACE_BUTTON);
  EXPECT_EQ(text(IDC_FACE_BUTTON), " Down ");
  EXPECT_EQ(view.face_direction, 1);
  EXPECT_EQ(view.image_no, expected_image());

  click_button(IDC_TABLE_BUTTON);
  EXPECT_EQ(text(IDC_TABLE_BUTTON), "1");
  EXPECT_EQ(view.animation_count, set.animation_size[1] / 16);
  EXPECT_EQ(wide_text(IDC_ANIMATION_RANGE), range_label(view.animation_count - 1));
  click_button(IDC_TABLE_BUTTON);
  EXPECT_EQ(text(IDC_TABLE_BUTTON), "0");

  const int sheet_rebuilds = app.painter.sheet_rebuilds;
  scroll(IDC_WEAPON_ARROWS, SB_LINELEFT);
  EXPECT_EQ(text(IDC_WEAPON_FIELD), "1F");
  // The entry was read again with the new weapon colours, so its tile sheet was drawn anew.
  EXPECT_EQ(set.loaded_entry, entry);
  EXPECT_EQ(app.painter.sheet_rebuilds, sheet_rebuilds + 1);
}

TEST_F(PanelWindow, SteppingThroughImages) {
  open_demo_rom();
  select_entry(DemoRomFacts::kEntrySize2);
  toggle_box(IDC_IMAGE_RADIO);
  const ViewState& view = app.document.view();
  EXPECT_EQ(view.sequence_mode, 0);
  EXPECT_TRUE(checked(IDC_IMAGE_RADIO));
  EXPECT_FALSE(checked(IDC_SEQUENCE_RADIO));
  EXPECT_EQ(wide_text(IDC_SEQUENCE_RANGE), range_label(3));
  ASSERT_GT(view.image_count, 2);
  scroll(IDC_IMAGE_ARROWS, SB_LINELEFT);
  EXPECT_EQ(text(IDC_IMAGE_FIELD), hex2(view.image_count - 1));
  scroll(IDC_IMAGE_ARROWS, SB_LINERIGHT);
  EXPECT_EQ(text(IDC_IMAGE_FIELD), "00");
  const std::vector<uint32_t> first = app.surface.pixels;
  scroll(IDC_IMAGE_ARROWS, SB_LINERIGHT);
  EXPECT_EQ(text(IDC_IMAGE_FIELD), "01");
  EXPECT_NE(app.surface.pixels, first) << "the next image paints something else";
  // The arrows of Animation put the panel back into Sequence mode.
  scroll(IDC_ANIMATION_ARROWS, SB_THUMBPOSITION);
  EXPECT_EQ(view.sequence_mode, 1);
  EXPECT_TRUE(checked(IDC_SEQUENCE_RADIO));
  EXPECT_FALSE(checked(IDC_IMAGE_RADIO));
  toggle_box(IDC_SEQUENCE_RADIO);
  EXPECT_EQ(view.sequence_mode, 1);
}

TEST_F(PanelWindow, RecolouringAPaletteEntry) {
  open_demo_rom();
  select_entry(DemoRomFacts::kEntrySize3);
  const ViewAreas a = areas();
  uint16_t before[16];
  std::memcpy(before, app.document.working_set().palette, sizeof before);
  ui.colour_answers.push_back(-1);
  left_click(a.palette.left + 5 * 12 + 6, a.palette.top + 6);
  ASSERT_EQ(ui.colour_prompts.size(), 1u);
  EXPECT_EQ(ui.colour_prompts[0], palette_colour_to_display(before[5] & 0x7FFF));
  EXPECT_EQ(std::memcmp(before, app.document.working_set().palette, sizeof before), 0);

  const uint32_t chosen = 0x00FF8040;  // blue FF, green 80, red 40
  ui.colour_answers.push_back(chosen);
  left_click(a.palette.left + 5 * 12 + 6, a.palette.top + 6);
  const uint16_t stored = display_colour_to_palette(chosen);
  EXPECT_EQ(app.document.working_set().palette[5], stored);
  for (int i = 0; i < 16; ++i) {
    if (i != 5) {
      EXPECT_EQ(app.document.working_set().palette[i], before[i]) << i;
    }
  }
  const uint32_t shown = display_to_pixel(palette_colour_to_display(stored));
  EXPECT_EQ(screen_pixel(a.palette.left + 5 * 12 + 6, a.palette.top + 6), shown);
  EXPECT_EQ(screen_pixel(a.palette.left + 4 * 12 + 6, a.palette.top + 6),
            display_to_pixel(palette_colour_to_display(before[4] & 0x7FFF)));
  // The right button changes nothing.
  SendMessageW(panel, WM_RBUTTONDOWN, MK_RBUTTON,
               MAKELPARAM(a.palette.left + 5 * 12 + 6, a.palette.top + 6));
  EXPECT_EQ(ui.colour_prompts.size(), 2u);
  EXPECT_EQ(app.document.working_set().palette[5], stored);
  // Stepping the weapon palette there and back reads only colours 13 to 15: the unwritten edit
  // stays.
  scroll(IDC_WEAPON_ARROWS, SB_LINERIGHT);
  scroll(IDC_WEAPON_ARROWS, SB_LINELEFT);
  EXPECT_EQ(app.document.working_set().palette[5], stored);
  EXPECT_EQ(screen_pixel(a.palette.left + 5 * 12 + 6, a.palette.top + 6), shown);
}

TEST_F(PanelWindow, PlacingAFlippedTile) {
  open_demo_rom();
  select_entry(DemoRomFacts::kEntrySize1);
  toggle_box(IDC_IMAGE_RADIO);
  const ViewAreas a = areas();
  left_click(a.sheet.left + 3 * 16 + 8, a.sheet.top + 1 * 16 + 8);  // tile 0x13
  EXPECT_EQ(app.document.display().selected_tile, 0x13);
  EXPECT_EQ(screen_pixel(a.sheet.left + 3 * 16, a.sheet.top + 16), kWhite);
  toggle_box(IDC_FLIPX);
  EXPECT_EQ(app.document.view().flip_bits, 0x40);
  const Frame& frame = app.document.working_set().frames[app.document.view().image_no];
  const int bx = (frame.x[0] >= 0x80 ? frame.x[0] - 256 : frame.x[0]) * 3 / 2 + 144;
  const int by = (frame.y[0] >= 0x80 ? frame.y[0] - 256 : frame.y[0]) * 3 / 2 + 144;
  const int kept = frame.tile[0][1] & 0x3800;  // bits 11-13 stay
  left_click(a.frame.left + bx + 18, a.frame.top + by + 2);  // upper right of block 0
  EXPECT_EQ(frame.tile[0][1], 0x4013 | kept);
  EXPECT_NE(text(IDC_TILE_INFO_TEXT).find("U Right TileNo=013 xflip=1 yflip=0\r\n"),
            std::string::npos)
      << text(IDC_TILE_INFO_TEXT);
  // The stored record shows the new entry (little-endian) in the Info dump.
  char stored[8];
  std::snprintf(stored, sizeof stored, "13 %02X ", (0x4000 | kept) >> 8);
  EXPECT_NE(text(IDC_INFO_TEXT).find(stored), std::string::npos);
  // The tile is now used by the frame; the selected tile's white outline covers the red one.
  EXPECT_EQ(screen_pixel(a.sheet.left + 3 * 16, a.sheet.top + 16), kWhite);
}

TEST_F(PanelWindow, PaintedAreasMatchTheFrameAndOutlines) {
  open_demo_rom();
  select_entry(DemoRomFacts::kEntrySize3);
  toggle_box(IDC_IMAGE_RADIO);
  const ViewAreas a = areas();
  // The screen shows exactly what the painter drew, across all three areas (but for the first
  // row and column, where the framed anchor boxes draw their frame over the picture).
  for (const Rect& r : {a.frame, a.sheet, a.palette}) {
    for (int y = r.top + 1; y < r.bottom; y += 7) {
      for (int x = r.left + 1; x < r.right; x += 5) {
        ASSERT_EQ(screen_pixel(x, y), app.surface.at(x, y)) << x << "," << y;
      }
    }
  }
  const Frame& frame = app.document.working_set().frames[app.document.view().image_no];
  auto outline_corner = [&](int b) {
    const int x = (frame.x[b] >= 0x80 ? frame.x[b] - 256 : frame.x[b]) + 96;
    const int y = (frame.y[b] >= 0x80 ? frame.y[b] - 256 : frame.y[b]) + 96;
    return POINT{a.frame.left + x * 3 / 2, a.frame.top + y * 3 / 2};
  };
  const POINT last = outline_corner(23);
  EXPECT_EQ(screen_pixel(last.x, last.y), kRed);
  // The selected block's outline is blue; the block button moves it.
  click_button(IDC_BLOCK_BUTTON);
  EXPECT_EQ(text(IDC_BLOCK_BUTTON), "01");
  const POINT second = outline_corner(1);
  EXPECT_EQ(screen_pixel(second.x + 22, second.y + 22), kBlue);
  toggle_box(IDC_BOUNDARIES);
  EXPECT_FALSE(checked(IDC_BOUNDARIES));
  EXPECT_NE(screen_pixel(second.x + 22, second.y + 22), kBlue);
  toggle_box(IDC_BOUNDARIES);
  click_button(IDC_PAGE_BUTTON);
  EXPECT_EQ(text(IDC_PAGE_BUTTON), "+4000");
  EXPECT_EQ(app.document.view().tile_page, 1);
  click_button(IDC_PAGE_BUTTON);
  EXPECT_EQ(text(IDC_PAGE_BUTTON), "+0000");
}

TEST_F(PanelWindow, EdButtonAndEditMenuReachTheirCommands) {
  open_demo_rom();
  select_entry(DemoRomFacts::kEntrySize1);
  toggle_box(IDC_IMAGE_RADIO);
  std::string tile_info = text(IDC_TILE_INFO_TEXT);
  const size_t line_end = tile_info.find("\r\n");
  ASSERT_NE(line_end, std::string::npos);
  tile_info = "X=5 Y=-3" + tile_info.substr(line_end);
  SetDlgItemTextW(panel, IDC_TILE_INFO_TEXT, utf8_to_wide(tile_info).c_str());
  click_button(IDC_ED_BUTTON);
  const Frame& frame = app.document.working_set().frames[app.document.view().image_no];
  EXPECT_EQ(frame.x[0], 5);
  EXPECT_EQ(frame.y[0], 0xFD);
  EXPECT_EQ(text(IDC_TILE_INFO_TEXT).rfind("X=5 Y=-3\r\n", 0), 0u);

  if (OpenClipboard(app.main_window)) {
    EmptyClipboard();
    CloseClipboard();
  }
  choose_menu(IDM_COPY_IMG);
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_DIB));
}

// The pictures of the user guide, taken from the real window on the demo ROM: the window with
// a 24-block frame, the same with the controls the guide explains numbered, and a tile placed
// with a flip. They go to the folder VANTOR_SCREENSHOT_DIR names (the test command gives
// docs/images); without it the pictures are still taken and checked, only not saved.
TEST_F(PanelWindow, PicturesForTheGuide) {
  open_demo_rom();
  select_entry(DemoRomFacts::kEntrySize3);
  EXPECT_EQ(app.document.working_set().blocks_per_image(), 24);
  const char* folder = std::getenv("VANTOR_SCREENSHOT_DIR");
  auto save = [&](const ScreenPicture& picture, const char* name) {
    ASSERT_GT(picture.width, 0);
    ASSERT_EQ(picture.pixels.size(), static_cast<size_t>(picture.width) * picture.height);
    if (folder == nullptr || *folder == '\0') return;
    const std::string path = std::string(folder) + "/" + name;
    EXPECT_TRUE(save_picture(picture, path)) << path;
  };
  ScreenPicture window = capture_window(app.main_window);
  save(window, "window.png");

  // The numbers the guide's table of controls uses, each beside its control, covering no control,
  // no drawing area and no menu title (the controls of the top row have room only in the menu
  // bar above them).
  const int numbered[] = {IDC_ENTRY_LIST,     IDC_TABLE_BUTTON,  IDC_ANIMATION_ARROWS,
                          IDC_SEQUENCE_RADIO, IDC_IMAGE_RADIO,   IDC_WEAPON_ARROWS,
                          IDC_FACE_BUTTON,    IDC_PALETTE_ANCHOR, IDC_ED_BUTTON,
                          IDC_INFO_TEXT,      IDC_BOUNDARIES,    IDC_FRAME_ANCHOR,
                          IDC_BLOCK_BUTTON,   IDC_SHEET_ANCHOR,  IDC_PAGE_BUTTON,
                          IDC_FLIPX};
  RECT origin;
  GetWindowRect(app.main_window, &origin);
  auto in_picture = [&](RECT r) {
    OffsetRect(&r, -origin.left, -origin.top);
    return r;
  };
  auto window_rect = [&](HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    return in_picture(r);
  };
  std::vector<RECT> taken;
  for (HWND child = GetWindow(panel, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    taken.push_back(window_rect(child));
  }
  HMENU menu = GetMenu(app.main_window);
  for (int item = 0; item < GetMenuItemCount(menu); ++item) {
    RECT r;
    GetMenuItemRect(app.main_window, menu, static_cast<UINT>(item), &r);
    taken.push_back(in_picture(r));
  }
  MENUBARINFO bar = {};
  bar.cbSize = sizeof bar;
  GetMenuBarInfo(app.main_window, static_cast<LONG>(OBJID_MENU), 0, &bar);
  RECT bounds = window_rect(panel);
  bounds.top = in_picture(bar.rcBar).top;
  const ViewAreas drawn = areas();
  for (const Rect& area : {drawn.frame, drawn.sheet, drawn.palette}) {
    RECT r = {area.left, area.top, area.right, area.bottom};
    MapWindowPoints(panel, HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
    taken.push_back(in_picture(r));
  }
  for (int i = 0; i < static_cast<int>(sizeof numbered / sizeof numbered[0]); ++i) {
    draw_badge_beside(window, window_rect(GetDlgItem(panel, numbered[i])), bounds, taken, i + 1);
  }
  save(window, "panel-labelled.png");

  // A tile of the head picked on the sheet (tile 11 hexadecimal) and placed, mirrored, into the
  // upper-left quadrant of block 0.
  select_entry(DemoRomFacts::kEntrySize1);
  const ViewAreas a = areas();
  left_click(a.sheet.left + 16 * 1 + 4, a.sheet.top + 16 * 1 + 4);
  toggle_box(IDC_FLIPX);
  const Frame& frame = app.document.working_set().frames[app.document.view().image_no];
  const int bx = byte_to_signed(frame.x[0]) * 3 / 2 + 144 + a.frame.left;
  const int by = byte_to_signed(frame.y[0]) * 3 / 2 + 144 + a.frame.top;
  const int kept = frame.tile[0][0] & 0x3800;
  left_click(bx + 2, by + 2);
  EXPECT_EQ(frame.tile[0][0], 0x4011 | kept);
  // The Tile Info box is narrower than its lines: it is shown scrolled to the end of the
  // upper-left quadrant's line, so that the flips the tile was placed with can be read.
  HWND tile_info = GetDlgItem(panel, IDC_TILE_INFO_TEXT);
  const LRESULT line_start = SendMessageW(tile_info, EM_LINEINDEX, 1, 0);
  const LRESULT line_end = line_start + SendMessageW(tile_info, EM_LINELENGTH, line_start, 0);
  SendMessageW(tile_info, EM_SETSEL, line_end, line_end);
  SendMessageW(tile_info, EM_SCROLLCARET, 0, 0);
  save(capture_window(app.main_window), "tile-placed.png");
}

}  // namespace
}  // namespace vcv
