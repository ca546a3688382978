// The one way a changed ROM image reaches the disk: the whole new image replaces the ROM file in
// one atomic step, so a crash, a full disk or a killed process leaves either the old file or the
// new one, never a mixture.
//
// commit_rom_file, in order:
//   1. opens the ROM for writing without truncating it (refused exactly when fopen "rb+" would
//      be: a read-only file) and takes an exclusive writer lock, never waited for, held to the end;
//   2. checks that the file still holds what the caller loaded (size and SHA-256);
//   3. gives the old file a second, temporary name (a hard link; a flushed copy where the file
//      system has no links), so that it outlives its replacement;
//   4. writes the new bytes to a temporary file beside the ROM, gives it the ROM's permission
//      bits, flushes it to the disk and renames it over the ROM (then syncs the folder);
//   5. reads the ROM back and compares it with the new bytes;
//   6. renames the old file to NAME.bak (or, without a backup, removes its temporary name). The
//      state an older NAME.bak held moves into the ROM's history first (rom_history.h); a NAME.bak
//      that is another name of the old file (a hard link) already is the backup, and stays.
// Before step 3 it removes the temporary files of this ROM that a writer left when it died
// (its process is gone and nothing holds their lock), and says so in the result's notes.
// On any failure the ROM holds the bytes it held before (a failure after step 4 renames the old
// file back) and no temporary file is left; only kRestoreFailed breaks that promise, and says
// where the old file is. At no moment is the ROM's name missing or naming a partial file.
//
// The caller must not hold the ROM open itself: Windows cannot replace an open file, and an open
// stream would keep reading the old file anyway.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/sha256.h"
#include "rom/rom_history.h"

namespace vcv {

// What the caller loaded from the ROM file.
struct RomFingerprint {
  uint64_t size = 0;
  Sha256Digest sha256{};
};
RomFingerprint fingerprint_of(const std::vector<uint8_t>& bytes);

struct CommitOptions {
  bool keep_backup = true;  // keep the replaced bytes as NAME.bak beside the ROM
  // States of earlier backups kept in the ROM's history; 0: none (an older NAME.bak is replaced).
  int keep_history = kDefaultHistoryKeep;
};

enum class CommitCode {
  kOk,              // the new bytes are in place and read back correctly
  kBusy,            // another writer holds the ROM's lock (or replaced the file meanwhile)
  kMissing,         // no file at the path
  kNotRegularFile,  // the path names a folder, device or pipe
  kNotWritable,     // the ROM cannot be opened for writing (read-only file, folder or medium)
  kChangedOnDisk,   // the file's size or SHA-256 differs from what the caller loaded
  kReadFailed,      // the current ROM could not be read (or examined)
  kBackupFailed,    // the old file could not be kept as NAME.bak; the ROM holds its old bytes
  kTempFileFailed,  // the temporary file could not be created or given the ROM's permissions
  kWriteFailed,     // writing the temporary file failed (full disk, I/O error)
  kSyncFailed,      // flushing the new file or the folder to the disk failed
  kReplaceFailed,   // renaming the temporary file over the ROM failed
  kReadBackFailed,  // the ROM read back differs from the new bytes, or could not be read
  kRestoreFailed,   // a failure after the rename, and the old file could not be put back (its
                    // temporary name is in the detail)
  // Refused by RomFile before any commit starts (the file is not touched):
  kNotOpen,         // no ROM is open
  kReadOnly,        // the user opened the ROM read-only
};

struct CommitResult {
  CommitCode code = CommitCode::kOk;
  // What failed, in the system's own words where it has some ("write: No space left on device").
  std::string detail;
  // NAME.bak when the commit succeeded and kept a backup; empty otherwise.
  std::string backup_path;
  // What else the commit did, one line each: leftovers removed, a backup moved into the history.
  std::vector<std::string> notes;

  bool ok() const { return code == CommitCode::kOk; }
  // The code's line of English, with the detail after it in parentheses when there is one.
  std::string describe() const;
};

// One line of English for each code.
const char* describe_commit_code(CommitCode code);

// Replaces the ROM file at `path` (UTF-8) with `new_bytes`, as described at the top.
CommitResult commit_rom_file(const std::string& path, const RomFingerprint& expected,
                             const std::vector<uint8_t>& new_bytes, const CommitOptions& options,
                             FileSystem& fs = native_file_system());

}  // namespace vcv
