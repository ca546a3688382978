#include "edit/command_messages.h"

#include <cstdio>

#include "edit/write_image.h"
#include "sprite/sprite_data.h"

namespace vcv {

const char kWriteConfirmTitle[] = "Write Confirm";
const char kOverwriteQuestion[] = "Do you want to overwrite?";
const char kOverwriteQuestionLine[] = "Do you want to overwrite?       \r\n";

const char kSizeOverTitle[] = "サイズオーバー";
const char kRepackSuccessTitle[] = "同バンク内イメージ再格納に成功";
const char kRepackFailureTitle[] = "失敗";
const char kAddressErrorTitle[] = "エラー";
const char kAddressErrorText[] = "アドレスが間違ってます";
const char kWriteErrorTitle[] = "Write Error";
const char kPasteTitle[] = "Paste";
const char kUnwrittenTitle[] = "Unwritten Changes";
const char kFreeSpaceTitle[] = "Placed in Free Space";
const char kWrittenTitle[] = "Written";

namespace {

const char kNothingWritten[] = " Nothing was written.";
const char kPastedByColourText[] =
    "The picture's colours were matched to the palette by colour, because its palette order "
    "differed from the sprite's.";

std::string format(const char* pattern, unsigned a, unsigned b = 0) {
  char text[512];
  std::snprintf(text, sizeof text, pattern, a, b);
  return text;
}

std::string hex3(int value) { return format("%03X", static_cast<unsigned>(value)); }

// "1 entry", "3 entries".
std::string counted(size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string repack_success_text(int free_bytes) {
  return std::string("成功しました。") +
         format("\r\n バンク余り領域サイズ=%06X", static_cast<unsigned>(free_bytes));
}

std::string free_space_text(const CommandResult& result) {
  return "The bank region could not be repacked: " + result.detail + "." +
         format("\r\nThe block was written into free space of the region at %02X:%04X "
                "instead; no other block moved.",
                static_cast<unsigned>((result.value >> 16) & 0xFF),
                static_cast<unsigned>(result.value & 0xFFFF));
}

std::string repack_stop_text(int code) {
  if (code == -kRepackVerifyFailed) {
    return std::string("A block of the bank region does not decode back to its pictures after "
                       "re-encoding.") +
           kNothingWritten;
  }
  return format("Repacking failed with code %d.", static_cast<unsigned>(code)) + kNothingWritten;
}

std::string not_writable_text(const CommandResult& result) {
  return "The ROM file cannot be written" +
         (result.detail.empty() ? std::string(" (it may be read-only, locked or gone).")
                                : ": " + result.detail) +
         kNothingWritten;
}

std::string pack_too_long_text(const CommandResult& result) {
  return format("The compressed data would be %06X bytes, but graphics blocks are read back at "
                "most %06X bytes long.",
                static_cast<unsigned>(result.value), static_cast<unsigned>(kPackedReadSize)) +
         kNothingWritten;
}

std::string would_overwrite_text(const CommandResult& result) {
  return format("The block (%06X bytes) would overwrite ", static_cast<unsigned>(result.value)) +
         result.detail + "." + kNothingWritten;
}

std::string needs_write_position_text(const CommandResult& result) {
  std::string text = "Its graphics no longer fit in place";
  text += result.value == 0
              ? std::string(" and their bank region was not repacked")
              : format(" and repacking their bank region failed (code %d)",
                       static_cast<unsigned>(result.value));
  return text + "; write this entry with Write Image Changes, which can place them at an "
                "address you type." + kNothingWritten;
}

// A fixed text, or one made from the result.
struct StatusMessage {
  CommandStatus status;
  MessageLevel level;
  const char* title;
  const char* text;                                // used when `make` is null
  std::string (*make)(const CommandResult& result);
};

// Every result the user is told about: its level, title and text. Results not listed are not
// reported (done, cancelled, no ROM, written in place, a field the dialog has already refused, a
// copy that could not reach the clipboard).
const StatusMessage kStatusMessages[] = {
    {CommandStatus::kRepacked, MessageLevel::kInfo, kRepackSuccessTitle, nullptr,
     [](const CommandResult& r) { return repack_success_text(r.value); }},
    {CommandStatus::kPlacedInFreeSpace, MessageLevel::kInfo, kFreeSpaceTitle, nullptr,
     free_space_text},
    {CommandStatus::kPastedByColour, MessageLevel::kInfo, kPasteTitle, kPastedByColourText,
     nullptr},
    {CommandStatus::kPastedOwnTable, MessageLevel::kInfo, kPasteTitle, nullptr,
     [](const CommandResult& r) { return r.detail + "."; }},
    {CommandStatus::kPastedNearest, MessageLevel::kInfo, kPasteTitle, nullptr,
     [](const CommandResult& r) { return r.detail + "."; }},
    {CommandStatus::kReadOnly, MessageLevel::kError, kWriteErrorTitle,
     "The ROM was opened read-only; open it again without \"Open as read-only\" to write to "
     "it. Nothing was written.",
     nullptr},
    {CommandStatus::kNotWritable, MessageLevel::kError, kWriteErrorTitle, nullptr,
     not_writable_text},
    // The detail says what became of the file.
    {CommandStatus::kWriteFailed, MessageLevel::kError, kWriteErrorTitle, nullptr,
     [](const CommandResult& r) { return "The ROM file could not be written. " + r.detail; }},
    {CommandStatus::kBusy, MessageLevel::kError, kWriteErrorTitle,
     "Another program is writing this ROM file right now; try again when it has finished. "
     "Nothing was written.",
     nullptr},
    {CommandStatus::kChangedOnDisk, MessageLevel::kError, kWriteErrorTitle,
     "The ROM file was changed, replaced or removed by another program since it was opened, so "
     "writing would undo that program's changes. Nothing was written. Open the ROM again to "
     "work on it as it is now.",
     nullptr},
    {CommandStatus::kNotDecoded, MessageLevel::kError, kWriteErrorTitle,
     "The graphics of this entry could not be decoded when it was loaded, so there is nothing "
     "to write back. Nothing was written.",
     nullptr},
    {CommandStatus::kNoPositionData, MessageLevel::kError, kWriteErrorTitle,
     "The frame layouts of this entry were not read because its graphics could not be decoded. "
     "Nothing was written.",
     nullptr},
    {CommandStatus::kPackRefused, MessageLevel::kError, kWriteErrorTitle,
     "The tile data cannot be compressed into one block. Nothing was written.", nullptr},
    {CommandStatus::kPackTooLong, MessageLevel::kError, kWriteErrorTitle, nullptr,
     pack_too_long_text},
    {CommandStatus::kPackVerifyFailed, MessageLevel::kError, kWriteErrorTitle,
     "The compressed data does not decode back to the tile data. Nothing was written.",
     nullptr},
    {CommandStatus::kOutsideFile, MessageLevel::kError, kWriteErrorTitle,
     "The data would not lie wholly inside the ROM file. Nothing was written.", nullptr},
    {CommandStatus::kWouldOverwrite, MessageLevel::kError, kWriteErrorTitle, nullptr,
     would_overwrite_text},
    {CommandStatus::kRepackStopped, MessageLevel::kError, kWriteErrorTitle, nullptr,
     [](const CommandResult& r) { return repack_stop_text(r.value); }},
    {CommandStatus::kNoPicture, MessageLevel::kError, kPasteTitle, nullptr,
     [](const CommandResult& r) {
       return "The clipboard holds no picture this program can read: " + r.detail + ".";
     }},
    {CommandStatus::kOutsidePalette, MessageLevel::kError, kPasteTitle, nullptr,
     [](const CommandResult& r) { return r.detail + ". Nothing was pasted."; }},
    {CommandStatus::kNeedsWritePosition, MessageLevel::kError, kWriteErrorTitle, nullptr,
     needs_write_position_text},
};

}  // namespace

bool CommandResult::failed() const {
  switch (status) {
    case CommandStatus::kDone:
    case CommandStatus::kNoRom:
    case CommandStatus::kNothingLoaded:
    case CommandStatus::kCancelled:
    case CommandStatus::kWritten:
    case CommandStatus::kRepacked:
    case CommandStatus::kPlacedInFreeSpace:
    case CommandStatus::kPastedByColour:
    case CommandStatus::kPastedOwnTable:
    case CommandStatus::kPastedNearest:
    case CommandStatus::kNothingToWrite:
      return false;
    default:
      return true;
  }
}

std::string size_over_text(int stored_size, int new_size) {
  return std::string("圧縮サイズが元のサイズをオーバーしているので書き込めません。\r\n"
                     "同BANK内のイメージデータの再格納を試みますか？") +
         format("\r\n 元のサイズ %06X\r\n 変更後の圧縮サイズ %06X",
                static_cast<unsigned>(stored_size), static_cast<unsigned>(new_size));
}

std::string repack_failure_text(int code) {
  return std::string("失敗しました。さらに続ける場合は次のダイアログで格納するアドレスを"
                     "指定してください。") +
         format("\r\n エラーコード=%0d", static_cast<unsigned>(code));
}

std::string nearest_colours_question(const OutsideColours& outside) {
  return describe_outside_colours(
      outside,
      "1 pixel has a colour outside the palette (at (%d, %d): #%06X). Use the nearest palette "
      "colour?",
      "%lld pixels have colours outside the palette (the first at (%d, %d): #%06X). Use the "
      "nearest palette colours?");
}

std::string write_confirm_text(uint32_t address, uint32_t file_position, int stored_size,
                               int new_size) {
  return std::string("Do you want to overwrite?       \n\n") +
         format("Writing Address %06X\r\nOverwriting at Address %06X\r\n", address,
                file_position) +
         format("Original Size %06X\r\nSize After Changes %06X",
                static_cast<unsigned>(stored_size), static_cast<unsigned>(new_size));
}

std::optional<UserMessage> message_for(const CommandResult& result) {
  for (const StatusMessage& entry : kStatusMessages) {
    if (entry.status != result.status) continue;
    std::string text = entry.make != nullptr ? entry.make(result) : std::string(entry.text);
    // Write All Changes names the entry a failure concerns.
    if (result.entry >= 0) text = "Entry " + hex3(result.entry) + ": " + text;
    if (!result.note.empty()) text += "\r\n\r\n" + result.note;
    return UserMessage{entry.title, std::move(text), entry.level};
  }
  // A write in place says nothing but its note (a header checksum left as it was).
  if (result.wrote() && !result.note.empty()) {
    return UserMessage{kWrittenTitle, result.note, MessageLevel::kInfo};
  }
  return std::nullopt;
}

const char* prompt_title(Prompt prompt) {
  switch (prompt) {
    case Prompt::kWriteConfirm: return kWriteConfirmTitle;
    case Prompt::kRepack: return kSizeOverTitle;
    case Prompt::kReloadChangedRom: return kWriteErrorTitle;
    case Prompt::kUnwrittenEdits: return kUnwrittenTitle;
    case Prompt::kNearestColours: return kPasteTitle;
  }
  return "";
}

std::string unwritten_edits_text(const std::vector<int>& entries,
                                 const std::vector<int>& weapon_palettes) {
  constexpr size_t kNamed = 8;  // the list names this many, then "..."
  std::vector<std::string> names;
  for (int entry : entries) names.push_back(hex3(entry));
  for (int weapon : weapon_palettes) {
    names.push_back(format("weapon palette %02X", static_cast<unsigned>(weapon)));
  }
  std::string list;
  for (size_t i = 0; i < names.size() && i < kNamed; ++i) list += (i ? ", " : "") + names[i];
  if (names.size() > kNamed) list += ", ...";
  std::string subject = counted(entries.size(), "entry", "entries");
  if (!weapon_palettes.empty()) {
    const std::string weapons =
        counted(weapon_palettes.size(), "weapon palette", "weapon palettes");
    subject = entries.empty() ? weapons : subject + " and " + weapons;
  }
  const bool one = entries.size() + weapon_palettes.size() == 1;
  return subject + (one ? " has" : " have") + " changes that are not written to the ROM (" +
         list + "). Write them now?";
}

std::string reload_changed_rom_text(const CommandResult& result, const std::vector<int>& entries,
                                    const std::vector<int>& weapon_palettes) {
  const auto shown = message_for(result);
  std::string text = (shown ? shown->text : std::string()) + "\r\n\r\nOpen it again now? ";
  if (entries.empty() && weapon_palettes.empty()) return text + "Changes not yet written are dropped.";
  std::string list = unwritten_edits_text(entries, weapon_palettes);
  // "N entries have changes that are not written to the ROM (...)" without the question.
  list = list.substr(0, list.rfind(". Write them now?"));
  return text + list + "; they are dropped.";
}

}  // namespace vcv
