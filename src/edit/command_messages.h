// The titles and texts the editing commands show, in one place: the prompts they ask in the
// middle of a command, and the one table that turns a command's result into its message. UTF-8;
// the window program turns them into UTF-16 at the boundary.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "edit/command_result.h"
#include "image/palette_mapping.h"
#include "platform/ui.h"

namespace vcv {

// ---- prompts and notices shown in the middle of a command ----

// The title each prompt is shown with.
const char* prompt_title(Prompt prompt);

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

// Prompt::kNearestColours: a picture has colours outside the palette; use the nearest palette
// colours? `outside` names how many and the first.
std::string nearest_colours_question(const OutsideColours& outside);

// ---- results ----

extern const char kRepackSuccessTitle[];
extern const char kWriteErrorTitle[];
extern const char kPasteTitle[];  // what a paste reports
extern const char kFreeSpaceTitle[];  // a grown block placed into free space of its region
extern const char kWrittenTitle[];  // a write that has a note for the user

// The question before unwritten edits would be dropped: "N entries have changes that are not
// written to the ROM (00C, 0F3, ...). Write them now?" `weapon_palettes` are edited weapon
// palettes, which belong to no entry.
std::string unwritten_edits_text(const std::vector<int>& entries,
                                 const std::vector<int>& weapon_palettes);

// What another program changing the ROM leads to: the failure's text and the offer to reload,
// naming the unwritten edits reloading drops.
std::string reload_changed_rom_text(const CommandResult& result, const std::vector<int>& entries,
                                    const std::vector<int>& weapon_palettes);

enum class MessageLevel { kInfo, kError };

struct UserMessage {
  std::string title;
  std::string text;
  MessageLevel level = MessageLevel::kInfo;
  bool error() const { return level == MessageLevel::kError; }
};

// The message a result is shown with; none for results the user needs no word about (done,
// cancelled, no ROM, written in place without a note, a refused field the dialog already
// reported).
std::optional<UserMessage> message_for(const CommandResult& result);

}  // namespace vcv
