// The titles and texts the editing commands show, in one place: the prompts they ask in the
// middle of a command, and the one table that turns a command's result into its message. UTF-8;
// the window program turns them into UTF-16 at the boundary.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "edit/command_result.h"

namespace vcv {

// ---- prompts and notices shown in the middle of a command ----

// The confirmation every write asks first.
extern const char kWriteConfirmTitle[];
extern const char kOverwriteQuestion[];      // Write Palette
extern const char kOverwriteQuestionLine[];  // Write Tile Info
std::string write_confirm_text(uint32_t address, uint32_t file_position, int stored_size,
                               int new_size);  // Write Image Changes

// The packed data no longer fits: repack the bank region?
extern const char kSizeOverTitle[];
std::string size_over_text(int stored_size, int new_size);

// Repacking failed with a code that lets the user go on to a typed address.
extern const char kRepackFailureTitle[];
std::string repack_failure_text(int code);

// The write-position dialog's error box.
extern const char kAddressErrorTitle[];
extern const char kAddressErrorText[];

// ---- results ----

extern const char kRepackSuccessTitle[];
extern const char kWriteErrorTitle[];
extern const char kPasteTitle[];  // what a paste reports

struct UserMessage {
  std::string title;
  std::string text;
  bool error = false;
};

// The message a result is shown with; none for results the user needs no word about (done,
// cancelled, no ROM, written in place, a refused field the dialog already reported).
std::optional<UserMessage> message_for(const CommandResult& result);

}  // namespace vcv
