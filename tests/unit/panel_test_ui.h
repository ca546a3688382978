// A Ui for the panel's tests: answers the colour chooser as scripted and records what is shown;
// and the panel as a test sees it, every update the document gives merged in order.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "document/document.h"
#include "platform/ui.h"

namespace vcv {

class PanelTestUi : public Ui {
 public:
  bool confirm(Prompt, const std::string&) override { return true; }
  Answer ask(Prompt, const std::string&) override { return Answer::kYes; }
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
  bool put_clipboard(const std::vector<ClipboardBlock>&) override { return false; }
  bool read_clipboard(ClipboardContents*) override { return false; }

  std::vector<std::string> messages;
  std::deque<long long> colour_answers;  // a negative answer cancels
  std::vector<uint32_t> colour_prompts;
  uint32_t last_custom[16] = {};
};

// The panel's state as the updates of a document leave it.
struct PanelMirror {
  // Takes the document's pending update; returns it as well.
  PanelUpdate take(Document& document) {
    PanelUpdate update = document.take_panel_update();
    if (update.texts) ++refreshes;
    shown.merge(update);
    return update;
  }
  const PanelTexts& texts() const {
    static const PanelTexts kNone;
    return shown.texts ? *shown.texts : kNone;
  }
  std::string caption(PanelButton button) const {
    const auto found = shown.captions.find(button);
    return found == shown.captions.end() ? std::string() : found->second;
  }

  PanelUpdate shown;
  int refreshes = 0;
};

}  // namespace vcv
