// What the portable core asks of the user interface: modal prompts, the clipboard, the panel's
// texts and repainting. The window program implements it with Win32; tests and the command-line
// tool implement it with scripted answers. All text is UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vcv {

class Ui {
 public:
  virtual ~Ui() = default;

  // A message box with OK and Cancel; true for OK.
  virtual bool confirm(const std::string& title, const std::string& text) = 0;
  // A message box with OK only.
  virtual void message(const std::string& title, const std::string& text) = 0;

  // The colour chooser, opened with `initial` and the 16 custom colours (0x00BBGGRR).
  // False when cancelled.
  virtual bool choose_colour(uint32_t initial, const uint32_t custom[16], uint32_t* chosen) = 0;

  // The write-position dialog: shows the two texts, and on OK returns the two texts typed.
  // False when cancelled.
  virtual bool ask_write_position(const std::string& address_text,
                                  const std::string& file_offset_text, std::string* address_out,
                                  std::string* file_offset_out) = 0;
  // The error box the write-position dialog shows for an unreadable field.
  virtual void write_position_error(const std::string& title, const std::string& text) {
    message(title, text);
  }

  // The clipboard, as the bytes of one CF_DIB block.
  virtual bool put_clipboard_dib(const std::vector<uint8_t>& block) = 0;
  virtual bool get_clipboard_dib(std::vector<uint8_t>* block) = 0;

  // The panel.
  virtual void set_control_text(int control_id, const std::string& text) = 0;
  virtual std::string control_text(int control_id) = 0;
  virtual void select_entry_in_list(int index) = 0;
  virtual bool is_box_checked(int control_id) = 0;
  // Checks or unchecks a check box or radio button of the panel.
  virtual void set_box_checked(int control_id, bool checked) {
    (void)control_id;
    (void)checked;
  }
  virtual void set_title(const std::string& text) = 0;
  // Redraws the frame, sheet and palette areas before returning.
  virtual void repaint_areas() = 0;
};

}  // namespace vcv
