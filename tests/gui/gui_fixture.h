// The window tests' frame: the real main window and panel, created from the real resources by
// the program's own code, with the prompts answered by script; and the messages a user's
// actions produce.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/win32_ui.h"
#include "edit/command_messages.h"

namespace vcv {

// The demo ROM, written once per run to a temporary folder.
const std::string& demo_rom_path();

// True when the font `window` draws with has a glyph for every character of its text (control
// characters aside): Japanese texts in a font without them show as boxes.
bool has_its_glyphs(HWND window);

class ScriptedWin32Ui : public Win32Ui {
 public:
  using Win32Ui::Win32Ui;
  bool choose_rom_file(std::string* path, bool* read_only) override {
    *read_only = open_read_only;
    ++open_prompts;
    if (rom_answers.empty()) return false;
    *path = rom_answers.front();
    rom_answers.pop_front();
    return !path->empty();
  }
  bool choose_colour(uint32_t initial, const uint32_t custom[16], uint32_t* chosen) override {
    colour_prompts.push_back(initial);
    (void)custom;
    if (colour_answers.empty()) return false;
    const long long answer = colour_answers.front();
    colour_answers.pop_front();
    if (answer < 0) return false;
    *chosen = static_cast<uint32_t>(answer);
    return true;
  }
  // Answers from confirm_answers (false when none is left); records the titles asked.
  bool confirm(Prompt prompt, const std::string&) override {
    confirm_titles.push_back(prompt_title(prompt));
    if (confirm_answers.empty()) return false;
    const bool answer = confirm_answers.front();
    confirm_answers.pop_front();
    return answer;
  }
  // Answers from ask_answers (Cancel when none is left); records the questions asked.
  Answer ask(Prompt prompt, const std::string& text) override {
    asked.push_back(std::string(prompt_title(prompt)) + ": " + text);
    if (ask_answers.empty()) return Answer::kCancel;
    const Answer answer = ask_answers.front();
    ask_answers.pop_front();
    return answer;
  }
  void message(const std::string& title, const std::string& text) override {
    messages.push_back(title + ": " + text);
  }

  std::deque<std::string> rom_answers;   // an empty answer cancels
  bool open_read_only = false;           // the Open dialog's "Open as read-only" box
  std::deque<long long> colour_answers;  // a negative answer cancels
  std::vector<uint32_t> colour_prompts;
  std::vector<std::string> messages;
  std::deque<bool> confirm_answers;
  std::vector<std::string> confirm_titles;
  std::deque<Answer> ask_answers;
  std::vector<std::string> asked;
  int open_prompts = 0;
};

class PanelWindow : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // User actions, as the messages they produce.
  void choose_menu(int command_id);
  void open_demo_rom();
  void select_entry(int index);
  void click_button(int control_id);
  void toggle_box(int control_id);
  void scroll(int bar_id, int request);
  void left_click(int x, int y);

  std::string text(int control_id);
  std::wstring wide_text(int control_id);
  std::string title();
  bool checked(int control_id);
  // A pixel of the panel as shown on the screen, as 0x00RRGGBB.
  uint32_t screen_pixel(int x, int y);
  ViewAreas areas();

  Application app;
  ScriptedWin32Ui ui{app};
  HWND panel = nullptr;
};

}  // namespace vcv
