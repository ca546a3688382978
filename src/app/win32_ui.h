// The Ui of the window program: message boxes, the Open dialog, the colour chooser, the
// clipboard and the panel's controls, through the Win32 API. Its prompts are virtual so that
// the window tests can answer them without a person.
#pragma once

#include <string>

#include "app/application.h"
#include "platform/ui.h"

namespace vcv {

class Win32Ui : public Ui {
 public:
  explicit Win32Ui(Application& app) : app_(app) {}

  bool confirm(Prompt prompt, const std::string& text) override;
  Answer ask(Prompt prompt, const std::string& text) override;
  void message(const std::string& title, const std::string& text) override;
  bool choose_colour(uint32_t initial, const uint32_t custom[16], uint32_t* chosen) override;
  bool ask_write_position(const std::string& address_text, const std::string& file_offset_text,
                          std::string* address_out, std::string* file_offset_out) override;

  bool put_clipboard(const std::vector<ClipboardBlock>& blocks) override;
  bool read_clipboard(ClipboardContents* contents) override;

  // The Open dialog; false when cancelled. The path is UTF-8; `read_only` tells whether the
  // dialog's "Open as read-only" box was ticked.
  virtual bool choose_rom_file(std::string* path, bool* read_only);
  // Export Patch: the clean original (an Open dialog starting at `initial`) and the patch's name
  // (a Save dialog, .bps by default, .ips allowed). False when cancelled.
  virtual bool choose_patch_original(const std::string& initial, std::string* path);
  virtual bool choose_patch_output(const std::string& initial, std::string* path);

 protected:
  Application& app_;
};

}  // namespace vcv
