// What the portable core asks of the user in the middle of a command: modal prompts and the
// clipboard. The window program implements it with Win32; tests and the command-line tool
// implement it with scripted answers. All text is UTF-8. What a command did is its result, not
// something it shows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vcv {

// The clipboard formats pictures travel in: the device-independent bitmap block (CF_DIB), its
// version 5 (CF_DIBV5), and the registered format "PNG" holding the bytes of a PNG file.
enum class ClipboardFormat { kDib, kDibV5, kPng };

struct ClipboardBlock {
  ClipboardFormat format = ClipboardFormat::kDib;
  std::vector<uint8_t> bytes;
};

struct ClipboardContents {
  // The blocks of the formats above that the clipboard holds, at most one per format.
  std::vector<ClipboardBlock> pictures;
  // The names of every format present, in the clipboard's order ("CF_DIB", "PNG",
  // "CF_UNICODETEXT", ...): what a paste that found nothing to read tells the user.
  std::vector<std::string> format_names;
};

// The questions a command asks in the middle of its work, by meaning. Front ends and tests answer
// them by this value, never by the title shown; the titles and texts are in
// edit/command_messages.h, with every other text the user sees.
enum class Prompt {
  kWriteConfirm,      // OK / Cancel before anything is written to the ROM
  kRepack,            // the packed graphics no longer fit: repack their bank region?
  kReloadChangedRom,  // another program changed the ROM: open it again (drops unwritten edits)?
  kUnwrittenEdits,    // Yes / No / Cancel: write the unwritten edits before they are dropped?
  kNearestColours,    // a picture has colours outside the palette: use the nearest ones?
};

enum class Answer { kYes, kNo, kCancel };

class Ui {
 public:
  virtual ~Ui() = default;

  // A message box with OK and Cancel, titled as `prompt` is; true for OK.
  virtual bool confirm(Prompt prompt, const std::string& text) = 0;
  // A message box with Yes, No and Cancel, titled as `prompt` is.
  virtual Answer ask(Prompt prompt, const std::string& text) = 0;
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

  // The clipboard. `put_clipboard` empties it and places every block in one opening; false when
  // the clipboard cannot be opened or emptied or some block was not taken. `read_clipboard`
  // copies out the picture blocks it holds and names every format present; false when it
  // cannot be opened.
  virtual bool put_clipboard(const std::vector<ClipboardBlock>& blocks) = 0;
  virtual bool read_clipboard(ClipboardContents* contents) = 0;
};

}  // namespace vcv
