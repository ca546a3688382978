// What the portable core asks of the user in the middle of a command: modal prompts and the
// clipboard. The window program implements it with Win32; tests and the command-line tool
// implement it with scripted answers. All text is UTF-8. What a command did is its result, not
// something it shows.
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
  // A message box with OK only, shown while a command goes on.
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

  // The clipboard, as the bytes of one CF_DIB block. False when the clipboard cannot be used or
  // (get) holds no bitmap.
  virtual bool put_clipboard_dib(const std::vector<uint8_t>& block) = 0;
  virtual bool get_clipboard_dib(std::vector<uint8_t>* block) = 0;
};

}  // namespace vcv
