// The Write commands from the window's menu on a copy of the demo ROM: the file is replaced as a
// whole and the ROM as it was is kept beside it; a ROM another program (the command-line tool)
// changed meanwhile is not overwritten, and the window offers to open it again; a ROM opened
// read-only is never written; a block edited in true colour by an X program is written with
// exactly the indices drawn.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/menu_commands.h"
#include "app/pixel_editor_window.h"
#include "demo/demo_rom.h"
#include "gui_fixture.h"
#include "image/picture_read.h"
#include "image/png_build.h"
#include "platform/text_encoding.h"
#include "res/resource.h"
#include "screenshot.h"
#include "sprite/frames.h"
#include "sprite/tiles.h"
#include "x_clipboard.h"

namespace vcv {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> file_bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Runs vantorchar.exe (beside this test program) with `arguments`; its exit code.
int run_tool(const std::wstring& arguments) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const fs::path tool = fs::path(self).parent_path() / L"vantorchar.exe";
  std::wstring command = L"\"" + tool.wstring() + L"\" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                      nullptr, &startup, &process)) {
    return -1;
  }
  WaitForSingleObject(process.hProcess, 60000);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return static_cast<int>(code);
}

class WriteWindow : public PanelWindow {
 protected:
  void SetUp() override {
    PanelWindow::SetUp();
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    folder_ = fs::path(temp) / L"vcv_write_window";
    fs::create_directories(folder_);
    rom_ = folder_ / L"game.sfc";
    std::error_code ignored;
    fs::remove(folder_ / L"game.sfc.bak", ignored);
    fs::copy_file(fs::u8path(demo_rom_path()), rom_, fs::copy_options::overwrite_existing);
    original_ = file_bytes(rom_);
  }
  void TearDown() override {
    PanelWindow::TearDown();
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  void open_copy(bool read_only = false) {
    ui.open_read_only = read_only;
    ui.rom_answers.push_back(rom_.u8string());
    choose_menu(IDM_OPEN);
    ASSERT_TRUE(app.document.is_open());
  }

  fs::path folder_, rom_;
  std::vector<uint8_t> original_;
};

TEST_F(WriteWindow, WritesReplaceTheFileAndKeepTheOldOneAsItsBackup) {
  open_copy();
  select_entry(demo::DemoRomFacts::kEntrySize3);
  // Write Palette of a changed colour.
  app.document.working_set().palette[4] ^= 0x001F;
  ui.confirm_answers = {true};
  choose_menu(IDM_WRITE_PALETTE);
  EXPECT_TRUE(ui.messages.empty());
  const std::vector<uint8_t> after_palette = file_bytes(rom_);
  EXPECT_NE(after_palette, original_);
  EXPECT_EQ(file_bytes(folder_ / L"game.sfc.bak"), original_);
  EXPECT_NE(title().find("[written; the ROM before is kept as game.sfc.bak]"), std::string::npos)
      << title();
  // Write Image Changes of a changed tile of plain graphics, in place: the backup now holds the
  // palette's write.
  select_entry(demo::DemoRomFacts::kEntrySize1Plain);
  app.document.working_set().tile_data[40] ^= 0x0F;
  ui.confirm_answers = {true};
  choose_menu(IDM_WRITE_IMAGE);
  ASSERT_EQ(ui.confirm_titles.back(), "Write Confirm");
  EXPECT_NE(file_bytes(rom_), after_palette);
  EXPECT_EQ(file_bytes(folder_ / L"game.sfc.bak"), after_palette);
}

TEST_F(WriteWindow, ARomTheCommandLineToolChangedIsNotOverwrittenAndCanBeReopened) {
  open_copy();
  select_entry(demo::DemoRomFacts::kEntrySize3);
  // The tool writes a changed sheet of another entry while the window holds the ROM.
  const fs::path sheet = folder_ / L"sheet.bmp";
  ASSERT_EQ(run_tool(L"export \"" + rom_.wstring() + L"\" --entry 0x00A --sheet -o \"" +
                     sheet.wstring() + L"\""),
            0);
  std::vector<uint8_t> picture = file_bytes(sheet);
  for (size_t i = picture.size() - 256; i < picture.size(); ++i) picture[i] ^= 0x03;
  std::ofstream(sheet, std::ios::binary)
      .write(reinterpret_cast<const char*>(picture.data()), static_cast<long>(picture.size()));
  ASSERT_EQ(run_tool(L"import \"" + rom_.wstring() + L"\" --entry 0x00A \"" + sheet.wstring() +
                     L"\" --repack --yes"),
            0);
  const std::vector<uint8_t> by_tool = file_bytes(rom_);
  ASSERT_NE(by_tool, original_);
  // The window's write is refused; answering the offer opens the ROM again as it is now.
  app.document.working_set().palette[4] ^= 0x001F;
  ui.confirm_answers = {true, true};
  choose_menu(IDM_WRITE_PALETTE);
  ASSERT_EQ(ui.confirm_titles.size(), 2u);
  EXPECT_EQ(ui.confirm_titles[1], "Write Error");
  EXPECT_EQ(file_bytes(rom_), by_tool) << "the tool's change is kept";
  EXPECT_EQ(app.document.image().bytes(), by_tool) << "the window reads the ROM as it is now";
  EXPECT_EQ(app.document.view().current_entry, 0);
}

TEST_F(WriteWindow, ARomOpenedReadOnlyIsNeverWritten) {
  open_copy(true);
  app.document.working_set().palette[4] ^= 0x001F;
  ui.confirm_answers = {true};
  choose_menu(IDM_WRITE_PALETTE);
  EXPECT_TRUE(ui.confirm_titles.empty()) << "refused before the question";
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].rfind("Write Error: The ROM was opened read-only", 0), 0u)
      << ui.messages[0];
  EXPECT_EQ(file_bytes(rom_), original_);
  EXPECT_FALSE(fs::exists(folder_ / L"game.sfc.bak"));
}

// The round trip with a Linux paint program: Copy Sprite, the block read by an X program,
// changed there and offered back in true colour, Paste Sprite, Write Image Changes. The ROM,
// opened again, holds exactly the indices drawn in its recompressed graphics.
TEST_F(WriteWindow, ABlockChangedInTrueColourByAnXProgramIsWrittenWithItsIndices) {
  open_copy();
  select_entry(demo::DemoRomFacts::kEntrySize1);
  // A block whose quadrants name four different tiles, so that every pixel has one place.
  const auto four_tiles = [&] {
    const ViewState& view = app.document.view();
    const uint16_t* quadrant = app.document.working_set().frames[view.image_no].tile[view.block_no];
    std::set<int> tiles;
    for (int q = 0; q < 4; ++q) tiles.insert(quadrant[q] & kTileNumberMask);
    return tiles.size() == 4 && tiles.count(0) == 0;
  };
  for (int tries = 0; tries < 4 && !four_tiles(); ++tries) click_button(IDC_BLOCK_BUTTON);
  ASSERT_TRUE(four_tiles());
  const int image = app.document.view().image_no, block = app.document.view().block_no;

  choose_menu(IDM_COPY_SPRITE);
  std::vector<uint8_t> copied_png;
  ASSERT_TRUE(read_png_from_x(&copied_png)) << "xclip read no image/png";
  Picture copied;
  std::string error;
  ASSERT_TRUE(read_png_picture(copied_png.data(), copied_png.size(), &copied, &error)) << error;
  const std::vector<uint8_t> before(copied.indices.begin(), copied.indices.end());
  ASSERT_EQ(before.size(), 256u);

  // The X program's edit: a diagonal band in colours that only one palette entry has, saved as
  // RGBA with index 0 transparent.
  const uint16_t* palette = app.document.working_set().palette;
  std::vector<int> unique;
  for (int i = 1; i < 16; ++i) {
    if (std::count(palette, palette + 16, palette[i]) == 1) unique.push_back(i);
  }
  ASSERT_GE(unique.size(), 2u);
  std::vector<uint8_t> drawn = before;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      if ((x + y) % 5 != 0) continue;
      drawn[y * 16 + x] = static_cast<uint8_t>(unique[(x + y) / 5 % unique.size()]);
    }
  }
  ASSERT_NE(drawn, before);
  std::vector<uint32_t> rgba(256);
  for (int i = 0; i < 256; ++i) {
    const uint32_t c = palette_colour_to_display(palette[drawn[i]]);  // 0x00BBGGRR
    rgba[i] = drawn[i] == 0 ? 0 : 0xFF000000u | (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16);
  }
  ASSERT_TRUE(offer_png_from_x(app.main_window, build_rgb_png(rgba.data(), 16, 16, true)));

  choose_menu(IDM_PASTE_SPRITE);
  ASSERT_TRUE(ui.messages.empty()) << ui.messages.front();
  ui.confirm_answers = {true};  // "Write Confirm", or the repack when the block grew
  choose_menu(IDM_WRITE_IMAGE);
  ASSERT_EQ(ui.confirm_titles.size(), 1u);
  EXPECT_NE(file_bytes(rom_), original_);
  EXPECT_EQ(file_bytes(folder_ / L"game.sfc.bak"), original_);

  ui.rom_answers.push_back(rom_.u8string());
  choose_menu(IDM_OPEN);
  select_entry(demo::DemoRomFacts::kEntrySize1);
  ASSERT_EQ(app.document.view().image_no, image);
  ASSERT_EQ(app.document.view().block_no, block);
  std::vector<uint8_t> in_rom(256);
  render_block(app.document.working_set(), image, block, in_rom.data());
  EXPECT_EQ(in_rom, drawn);
}

}  // namespace
}  // namespace vcv

// ---- the edit history in the window ----

namespace vcv {
namespace {

// The frame area's pixels as shown on the screen.
std::vector<uint32_t> frame_pixels(HWND panel, const ViewAreas& a) {
  UpdateWindow(panel);
  HDC dc = GetDC(panel);
  std::vector<uint32_t> pixels;
  for (int y = a.frame.top; y < a.frame.bottom; y += 3) {
    for (int x = a.frame.left; x < a.frame.right; x += 3) pixels.push_back(GetPixel(dc, x, y));
  }
  ReleaseDC(panel, dc);
  return pixels;
}

std::wstring list_label(HWND panel, int entry) {
  wchar_t item[64] = {};
  SendDlgItemMessageW(panel, IDC_ENTRY_LIST, CB_GETLBTEXT, static_cast<WPARAM>(entry),
                      reinterpret_cast<LPARAM>(item));
  return item;
}

class HistoryWindow : public WriteWindow {
 protected:
  const Frame& shown_frame() {
    return app.document.working_set().frames[app.document.view().image_no];
  }
  // Places a tile that looks different from the one there into the upper-left quadrant of
  // block 0 of the shown image.
  void place_tile() {
    const ViewAreas a = areas();
    const Frame& frame = shown_frame();
    const uint8_t* tiles = app.document.working_set().tile_data;
    const uint8_t* now = tiles + (frame.tile[0][0] & 0x7FF) * kTileBytes;
    int tile = 1;
    while (tile < 511 && std::equal(now, now + kTileBytes, tiles + tile * kTileBytes)) ++tile;
    left_click(a.sheet.left + (tile % 16) * 16 + 8, a.sheet.top + (tile / 16) * 16 + 8);
    left_click(a.frame.left + byte_to_signed(frame.x[0]) * 3 / 2 + 144 + 2,
               a.frame.top + byte_to_signed(frame.y[0]) * 3 / 2 + 144 + 2);
  }
  // Real mouse events: the pointer moved to client point `at` of `window`, with `flags` (a
  // button going down or up) there.
  void mouse(HWND window, POINT at, DWORD flags) {
    ClientToScreen(window, &at);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = static_cast<LONG>(at.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1));
    input.mi.dy = static_cast<LONG>(at.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1));
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags;
    SendInput(1, &input, sizeof input);
    pump(300);
  }
  void pump(DWORD milliseconds) {
    const DWORD until = GetTickCount() + milliseconds;
    MSG message;
    while (GetTickCount() < until) {
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) dispatch_message(app, message);
      Sleep(10);
    }
  }
  // Real key presses, through the program's own message loop step.
  void press_keys(std::initializer_list<WORD> keys) {
    std::vector<INPUT> inputs;
    for (WORD key : keys) {
      INPUT input = {};
      input.type = INPUT_KEYBOARD;
      input.ki.wVk = key;
      inputs.push_back(input);
    }
    for (auto key = keys.end(); key != keys.begin();) {
      INPUT input = {};
      input.type = INPUT_KEYBOARD;
      input.ki.wVk = *--key;
      input.ki.dwFlags = KEYEVENTF_KEYUP;
      inputs.push_back(input);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    const DWORD until = GetTickCount() + 2000;
    MSG message;
    while (GetTickCount() < until) {
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) dispatch_message(app, message);
      Sleep(10);
    }
  }
};

TEST_F(HistoryWindow, CtrlZWithTheEntryListFocusedTakesThePlacementBack) {
  open_copy();
  select_entry(demo::DemoRomFacts::kEntrySize1);
  toggle_box(IDC_IMAGE_RADIO);
  const ViewAreas a = areas();
  const std::vector<uint32_t> before = frame_pixels(panel, a);
  const uint16_t entry_before = shown_frame().tile[0][0];
  place_tile();
  ASSERT_NE(shown_frame().tile[0][0], entry_before);
  ASSERT_NE(frame_pixels(panel, a), before);
  EXPECT_EQ(menu_caption(app, IDM_UNDO), L"&Undo Place Tile\tCtrl+Z");
  EXPECT_EQ(list_label(panel, demo::DemoRomFacts::kEntrySize1), L"007 *");
  EXPECT_NE(title().find("game.sfc* "), std::string::npos) << title();

  SetForegroundWindow(app.main_window);
  SetFocus(GetDlgItem(panel, IDC_ENTRY_LIST));
  press_keys({VK_CONTROL, 'Z'});
  EXPECT_EQ(shown_frame().tile[0][0], entry_before);
  EXPECT_EQ(frame_pixels(panel, a), before);
  EXPECT_EQ(list_label(panel, demo::DemoRomFacts::kEntrySize1), L"007");
  EXPECT_EQ(title().find('*'), std::string::npos) << title();
  press_keys({VK_CONTROL, 'Y'});
  EXPECT_NE(frame_pixels(panel, a), before);
}

TEST_F(HistoryWindow, ThePixelEditorDrawsALineFromRealMouseEventsThatWriteImageChangesWrites) {
  open_copy();
  select_entry(demo::DemoRomFacts::kEntrySize1);
  toggle_box(IDC_IMAGE_RADIO);
  const ViewAreas a = areas();
  const std::vector<uint32_t> frame_before = frame_pixels(panel, a);
  open_pixel_editor(app);
  HWND editor = app.pixel_editor.window;
  ASSERT_NE(editor, nullptr);
  PixelEditor& model = *app.pixel_editor.editor;
  const std::vector<uint8_t> shown_before = model.pixels();
  model.choose_colour(shown_before[2 * 16 + 2] == 5 ? 6 : 5);
  RECT client = {};
  GetClientRect(editor, &client);
  const PixelEditorLayout layout = pixel_editor_layout(client.right, client.bottom, 16,
                                                       app.pixel_editor.wanted_zoom);
  auto centre = [&](int px, int py) {
    return POINT{layout.canvas.left + px * layout.zoom + layout.zoom / 2,
                 layout.canvas.top + py * layout.zoom + layout.zoom / 2};
  };
  SetForegroundWindow(editor);
  mouse(editor, centre(2, 2), 0);
  mouse(editor, centre(2, 2), MOUSEEVENTF_LEFTDOWN);
  mouse(editor, centre(13, 2), 0);  // one fast move across the block
  mouse(editor, centre(13, 2), MOUSEEVENTF_LEFTUP);
  const std::vector<uint8_t> drawn = model.pixels();
  for (int x = 2; x <= 13; ++x) EXPECT_EQ(drawn[static_cast<size_t>(2 * 16 + x)], model.colour()) << x;
  EXPECT_EQ(menu_caption(app, IDM_UNDO), L"&Undo Draw\tCtrl+Z");
  EXPECT_NE(frame_pixels(panel, a), frame_before) << "the panel's frame shows the stroke";
  // The guide's picture of the editor (saved where VANTOR_SCREENSHOT_DIR says).
  const ScreenPicture picture = capture_window(editor);
  ASSERT_GT(picture.width, 0);
  if (const char* folder = std::getenv("VANTOR_SCREENSHOT_DIR"); folder != nullptr && *folder) {
    EXPECT_TRUE(save_picture(picture, std::string(folder) + "/pixel-editor.png"));
  }

  press_keys({VK_CONTROL, 'Z'});
  EXPECT_EQ(model.pixels(), shown_before);
  EXPECT_EQ(frame_pixels(panel, a), frame_before);
  press_keys({VK_CONTROL, 'Y'});
  ASSERT_EQ(model.pixels(), drawn);

  ui.confirm_answers = {true, true};  // the repack question, if the block grew; Write Confirm
  choose_menu(IDM_WRITE_IMAGE);
  EXPECT_FALSE(app.document.has_unwritten_edits()) << (ui.messages.empty() ? "" : ui.messages[0]);
  Document reread;
  ASSERT_TRUE(reread.open(rom_.u8string()).ok());
  reread.panel_command(PanelCommand::kImageRadio);
  reread.select_entry(demo::DemoRomFacts::kEntrySize1);
  reread.view().image_no = app.document.view().image_no;
  reread.refresh();
  PixelEditor written(reread);
  EXPECT_EQ(written.pixels(), drawn);
}

TEST_F(HistoryWindow, EditsStayAcrossEntriesAndWriteAllReplacesTheFileOnce) {
  open_copy();
  select_entry(demo::DemoRomFacts::kEntrySize1);
  toggle_box(IDC_IMAGE_RADIO);
  const ViewAreas a = areas();
  place_tile();
  const std::vector<uint32_t> edited = frame_pixels(panel, a);
  select_entry(demo::DemoRomFacts::kEntrySize3);
  place_tile();
  select_entry(demo::DemoRomFacts::kEntrySize1);
  EXPECT_EQ(frame_pixels(panel, a), edited);

  ui.confirm_answers = {true};
  choose_menu(IDM_WRITE_ALL);
  ASSERT_EQ(ui.confirm_titles, std::vector<std::string>{"Write Confirm"});
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(file_bytes(folder_ / L"game.sfc.bak"), original_) << "one replacement";
  EXPECT_NE(file_bytes(rom_), original_);
  EXPECT_FALSE(app.document.has_unwritten_edits());
  EXPECT_EQ(list_label(panel, demo::DemoRomFacts::kEntrySize3).back(), L'C');
}

TEST_F(HistoryWindow, ClosingWithUnwrittenEditsAsksAndCancelKeepsTheWindow) {
  open_copy();
  select_entry(demo::DemoRomFacts::kEntrySize1);
  place_tile();
  ui.ask_answers = {Answer::kCancel};
  SendMessageW(app.main_window, WM_CLOSE, 0, 0);
  ASSERT_EQ(ui.asked.size(), 1u);
  EXPECT_NE(ui.asked[0].find("changes that are not written to the ROM (007"),
            std::string::npos)
      << ui.asked[0];
  EXPECT_TRUE(IsWindow(app.main_window));
  // A failed opening keeps the ROM and its edits.
  ui.ask_answers = {Answer::kNo};
  ui.rom_answers.push_back((folder_ / L"missing.sfc").u8string());
  choose_menu(IDM_OPEN);
  EXPECT_TRUE(app.document.has_unwritten_edits());
  EXPECT_EQ(app.document.rom_path(), rom_.u8string());
  // No drops the edits and closes.
  ui.ask_answers = {Answer::kNo};
  SendMessageW(app.main_window, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(app.main_window));
  app.main_window = nullptr;
  EXPECT_EQ(file_bytes(rom_), original_);
}

}  // namespace
}  // namespace vcv
