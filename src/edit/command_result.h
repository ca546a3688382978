// What an editing or writing command did, as a value: the front ends turn it into a message
// (edit/command_messages.h), the command-line tool into its exit code, tests assert on it.
// Prompts the user answers in the middle of a command stay with the Ui.
#pragma once

#include <string>
#include <utility>

namespace vcv {

enum class CommandStatus {
  // Nothing to report.
  kDone,           // the command did what it does (a copy placed, a paste applied)
  kNoRom,          // no ROM is open: nothing happened
  kNothingLoaded,  // no entry is loaded: nothing happened
  kCancelled,      // the user cancelled a prompt: nothing was written
  kWritten,        // the data is in the ROM file
  // Reported with a message.
  kRepacked,          // the bank region was repacked with the new data; `value`: bytes left free
  kPlacedInFreeSpace,  // the region could not be repacked (`detail` says which block stopped
                       // it); the new data went into its free space at `value` (bank << 16 |
                       // offset), no other block moved
  kPastedByColour,    // pasted, but the picture's palette order differed: matched by colour
  kPastedOwnTable,    // pasted the indices as stored, although the picture's colour table is
                      // not the palette; `detail` says so
  kPastedNearest,     // pasted, with colours outside the palette mapped to the nearest entries;
                      // `detail`: how many pixels, the largest colour difference
  kReadOnly,          // the ROM was opened read-only: nothing was written
  kNotWritable,       // the ROM file cannot be written (read-only file or folder, locked, gone)
  kWriteFailed,       // replacing the ROM file failed; `detail` says why; the file is as it was
  kBusy,              // another program is writing the ROM: nothing was written
  kChangedOnDisk,     // the ROM file changed since it was opened: nothing was written
  kNotDecoded,        // the entry's graphics did not decode when loaded: nothing to write
  kNoPositionData,    // the same, for the frame layouts
  kPackRefused,       // the tile data cannot be compressed into one block
  kPackTooLong,       // the packed block (`value` bytes) is longer than loading reads back
  kPackVerifyFailed,  // the packed block does not decode back to the tile data
  kOutsideFile,       // the data would not lie wholly inside the ROM file
  kWouldOverwrite,    // a typed position would overwrite what `detail` names
  kRepackStopped,     // repacking failed in a way that ends the command; `value`: the code
  kAddressRefused,    // a typed field was unreadable (the dialog has already said so)
  kNoPicture,         // the clipboard holds no picture the paste can read; `detail`: the
                      // formats it holds
  kOutsidePalette,    // the picture has colours the palette lacks; `detail`: how many, the first
  kClipboardUnavailable,  // the clipboard could not be opened or emptied for a copy
  kNothingToWrite,        // Write All Changes: no buffer holds unwritten edits
  kNeedsWritePosition,    // Write All Changes: graphics that no longer fit in place and were not
                          // repacked can only go to a typed address; `value`: the repacking code
                          // (0 when repacking was declined)
};

struct CommandResult {
  CommandStatus status = CommandStatus::kDone;
  int value = 0;            // the number the status names
  std::string detail;       // the text the status names
  std::string backup_path;  // after a write: where the ROM as it was before was kept
  int entry = -1;           // the entry a failure of Write All Changes concerns, else -1
  std::string note;         // after a write: what the user should know besides (a header
                            // checksum left as it was)

  CommandResult() = default;
  explicit CommandResult(CommandStatus s, int v = 0, std::string d = {})
      : status(s), value(v), detail(std::move(d)) {}

  // The ROM file now holds the command's data.
  bool wrote() const {
    return status == CommandStatus::kWritten || status == CommandStatus::kRepacked ||
           status == CommandStatus::kPlacedInFreeSpace;
  }
  // The command could not do what was asked (a cancel or a missing ROM is not a failure).
  bool failed() const;
};

}  // namespace vcv
