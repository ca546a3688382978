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

std::string repack_success_text(int free_bytes) {
  return std::string("成功しました。") +
         format("\r\n バンク余り領域サイズ=%06X", static_cast<unsigned>(free_bytes));
}

std::string repack_stop_text(int code) {
  if (code == -kRepackVerifyFailed) {
    return std::string("A block of the bank region does not decode back to its pictures after "
                       "re-encoding.") +
           kNothingWritten;
  }
  return format("Repacking failed with code %d.", static_cast<unsigned>(code)) + kNothingWritten;
}

// The text of a result that is a failure, with what the user can do about it.
std::string failure_text(const CommandResult& result) {
  switch (result.status) {
    case CommandStatus::kReadOnly:
      return std::string("The ROM was opened read-only; open it again without \"Open as "
                         "read-only\" to write to it.") +
             kNothingWritten;
    case CommandStatus::kNotWritable:
      return "The ROM file cannot be written" +
             (result.detail.empty() ? std::string(" (it may be read-only, locked or gone).")
                                    : ": " + result.detail) +
             kNothingWritten;
    case CommandStatus::kWriteFailed:  // the detail says what became of the file
      return "The ROM file could not be written. " + result.detail;
    case CommandStatus::kBusy:
      return std::string("Another program is writing this ROM file right now; try again when it "
                         "has finished.") +
             kNothingWritten;
    case CommandStatus::kChangedOnDisk:
      return std::string("The ROM file was changed, replaced or removed by another program "
                         "since it was opened, so writing would undo that program's changes.") +
             kNothingWritten + " Open the ROM again to work on it as it is now.";
    case CommandStatus::kNotDecoded:
      return std::string("The graphics of this entry could not be decoded when it was loaded, "
                         "so there is nothing to write back.") +
             kNothingWritten;
    case CommandStatus::kNoPositionData:
      return std::string("The frame layouts of this entry were not read because its graphics "
                         "could not be decoded.") +
             kNothingWritten;
    case CommandStatus::kPackRefused:
      return std::string("The tile data cannot be compressed into one block.") + kNothingWritten;
    case CommandStatus::kPackTooLong:
      return format("The compressed data would be %06X bytes, but graphics blocks are read back "
                    "at most %06X bytes long.",
                    static_cast<unsigned>(result.value), static_cast<unsigned>(kPackedReadSize)) +
             kNothingWritten;
    case CommandStatus::kPackVerifyFailed:
      return std::string("The compressed data does not decode back to the tile data.") +
             kNothingWritten;
    case CommandStatus::kOutsideFile:
      return std::string("The data would not lie wholly inside the ROM file.") + kNothingWritten;
    case CommandStatus::kWouldOverwrite:
      return format("The block (%06X bytes) would overwrite ", static_cast<unsigned>(result.value)) +
             result.detail + "." + kNothingWritten;
    case CommandStatus::kRepackStopped:
      return repack_stop_text(result.value);
    case CommandStatus::kNoPicture:
      return "The clipboard holds no picture this program can read: " + result.detail + ".";
    case CommandStatus::kOutsidePalette:
      return result.detail + ". Nothing was pasted.";
    default:
      return std::string();
  }
}

}  // namespace

bool CommandResult::failed() const {
  switch (status) {
    case CommandStatus::kDone:
    case CommandStatus::kNoRom:
    case CommandStatus::kNothingLoaded:
    case CommandStatus::kCancelled:
    case CommandStatus::kWritten:
    case CommandStatus::kRepacked:
    case CommandStatus::kPastedByColour:
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

std::string write_confirm_text(uint32_t address, uint32_t file_position, int stored_size,
                               int new_size) {
  return std::string("Do you want to overwrite?       \n\n") +
         format("Writing Address %06X\r\nOverwriting at Address %06X\r\n", address,
                file_position) +
         format("Original Size %06X\r\nSize After Changes %06X",
                static_cast<unsigned>(stored_size), static_cast<unsigned>(new_size));
}

std::optional<UserMessage> message_for(const CommandResult& result) {
  if (result.status == CommandStatus::kRepacked) {
    return UserMessage{kRepackSuccessTitle, repack_success_text(result.value), false};
  }
  if (result.status == CommandStatus::kPastedByColour) {
    return UserMessage{kPasteTitle, kPastedByColourText, false};
  }
  // The dialog has shown its own error box for an unreadable field; a copy that could not reach
  // the clipboard has never said anything.
  if (!result.failed() || result.status == CommandStatus::kAddressRefused ||
      result.status == CommandStatus::kClipboardUnavailable) {
    return std::nullopt;
  }
  const bool paste = result.status == CommandStatus::kNoPicture ||
                     result.status == CommandStatus::kOutsidePalette;
  return UserMessage{paste ? kPasteTitle : kWriteErrorTitle, failure_text(result), true};
}

}  // namespace vcv
