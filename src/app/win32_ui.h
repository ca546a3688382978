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

  bool confirm(const std::string& title, const std::string& text) override;
  void message(const std::string& title, const std::string& text) override;
  bool choose_colour(uint32_t initial, const uint32_t custom[16], uint32_t* chosen) override;
  bool ask_write_position(const std::string& address_text, const std::string& file_offset_text,
                          std::string* address_out, std::string* file_offset_out) override;

  bool put_clipboard_dib(const std::vector<uint8_t>& block) override;
  bool get_clipboard_dib(std::vector<uint8_t>* block) override;

  void set_control_text(int control_id, const std::string& text) override;
  std::string control_text(int control_id) override;
  void select_entry_in_list(int index) override;
  bool is_box_checked(int control_id) override;
  void set_box_checked(int control_id, bool checked) override;
  void set_title(const std::string& text) override;
  void repaint_areas() override;

  // The Open dialog; false when cancelled. The path is UTF-8.
  virtual bool choose_rom_file(std::string* path);

 protected:
  Application& app_;
};

}  // namespace vcv
