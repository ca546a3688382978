// A Ui for the panel's tests: records what the core shows and answers prompts as scripted.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace vcv {

class PanelTestUi : public Ui {
 public:
  bool confirm(const std::string&, const std::string&) override { return true; }
  void message(const std::string& title, const std::string& text) override {
    messages.push_back(title + ": " + text);
  }
  bool choose_colour(uint32_t initial, const uint32_t custom[16], uint32_t* chosen) override {
    colour_prompts.push_back(initial);
    for (int i = 0; i < 16; ++i) last_custom[i] = custom[i];
    if (colour_answers.empty()) return false;
    const long long answer = colour_answers.front();
    colour_answers.pop_front();
    if (answer < 0) return false;
    *chosen = static_cast<uint32_t>(answer);
    return true;
  }
  bool ask_write_position(const std::string&, const std::string&, std::string*,
                          std::string*) override {
    return false;
  }
  bool put_clipboard_dib(const std::vector<uint8_t>&) override { return false; }
  bool get_clipboard_dib(std::vector<uint8_t>*) override { return false; }
  void set_control_text(int id, const std::string& text) override { texts[id] = text; }
  std::string control_text(int id) override { return texts[id]; }
  void select_entry_in_list(int index) override { list_selection = index; }
  bool is_box_checked(int id) override { return checked[id]; }
  void set_box_checked(int id, bool on) override { checked[id] = on; }
  void set_title(const std::string& text) override { title = text; }
  void repaint_areas() override { ++repaints; }

  std::map<int, std::string> texts;
  std::map<int, bool> checked;
  std::vector<std::string> messages;
  std::deque<long long> colour_answers;  // a negative answer cancels
  std::vector<uint32_t> colour_prompts;
  uint32_t last_custom[16] = {};
  std::string title;
  int list_selection = -1;
  int repaints = 0;
};

}  // namespace vcv
