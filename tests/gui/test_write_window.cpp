// The Write commands from the window's menu on a copy of the demo ROM: the file is replaced as a
// whole and the ROM as it was is kept beside it; a ROM another program (the command-line tool)
// changed meanwhile is not overwritten, and the window offers to open it again; a ROM opened
// read-only is never written.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "demo/demo_rom.h"
#include "gui_fixture.h"
#include "platform/text_encoding.h"
#include "res/resource.h"

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

}  // namespace
}  // namespace vcv
