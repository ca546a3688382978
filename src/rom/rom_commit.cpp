#include "rom/rom_commit.h"

namespace vcv {
namespace {

CommitResult failed(CommitCode code, const std::string& step, const FileError& error) {
  return {code, step + ": " + error.text, ""};
}

// Why the ROM could not be opened for writing.
CommitResult open_refusal(FileSystem& fs, const std::string& rom, const FileError& error) {
  if (error.kind == FileErrorKind::kNotFound) return failed(CommitCode::kMissing, "open", error);
  if (error.kind == FileErrorKind::kBusy) return failed(CommitCode::kBusy, "open", error);
  FileInfo info;
  if (!fs.stat_path(rom, &info).failed() && !info.regular) {
    return failed(CommitCode::kNotRegularFile, "open", error);
  }
  return failed(CommitCode::kNotWritable, "open", error);
}

// Opens the ROM for update, locks it and makes sure the path still names the locked file: a
// writer that replaced it between our open and our lock has left us holding the old one.
CommitResult open_locked(FileSystem& fs, const std::string& rom, FileHandle* handle,
                         FileInfo* info) {
  FileError error = fs.open_update(rom, handle);
  if (error.failed()) return open_refusal(fs, rom, error);
  error = fs.try_lock(*handle);
  if (error.kind == FileErrorKind::kBusy) return failed(CommitCode::kBusy, "lock", error);
  if (error.failed()) return failed(CommitCode::kNotWritable, "lock", error);
  error = fs.stat(*handle, info);
  if (error.failed()) return failed(CommitCode::kReadFailed, "stat", error);
  if (!info->regular) return {CommitCode::kNotRegularFile, "not a regular file", ""};
  FileInfo named;
  error = fs.stat_path(rom, &named);
  if (error.kind == FileErrorKind::kNotFound) return failed(CommitCode::kMissing, "stat", error);
  if (error.failed()) return failed(CommitCode::kReadFailed, "stat", error);
  if (named.device != info->device || named.node != info->node) {
    return {CommitCode::kBusy, "the file was replaced while it was being opened", ""};
  }
  return {};
}

// Reads the whole ROM and checks it against what the caller loaded.
CommitResult read_expected(FileSystem& fs, FileHandle handle, const FileInfo& info,
                           const RomFingerprint& expected, std::vector<uint8_t>* bytes) {
  if (info.size != expected.size) {
    return {CommitCode::kChangedOnDisk,
            "size " + std::to_string(info.size) + ", expected " + std::to_string(expected.size),
            ""};
  }
  FileError error = read_all(fs, handle, static_cast<size_t>(info.size), bytes);
  if (error.failed()) return failed(CommitCode::kReadFailed, "read", error);
  if (bytes->size() != expected.size) {
    return {CommitCode::kChangedOnDisk, "the file became shorter while it was read", ""};
  }
  if (sha256(bytes->data(), bytes->size()) != expected.sha256) {
    return {CommitCode::kChangedOnDisk, "its SHA-256 differs from the loaded bytes", ""};
  }
  return {};
}

// The code a failed step of put_file_in_place is reported with.
CommitCode code_for_step(PlaceStep step) {
  switch (step) {
    case PlaceStep::kNone: return CommitCode::kOk;
    case PlaceStep::kCreateTemp:
    case PlaceStep::kCopyAttributes:
    case PlaceStep::kLock: return CommitCode::kTempFileFailed;
    case PlaceStep::kWrite: return CommitCode::kWriteFailed;
    case PlaceStep::kSync:
    case PlaceStep::kSyncFolder: return CommitCode::kSyncFailed;
    case PlaceStep::kRename: return CommitCode::kReplaceFailed;
  }
  return CommitCode::kWriteFailed;
}

CommitResult result_of(const PlaceOutcome& outcome) {
  if (!outcome.failed()) return {};
  return failed(code_for_step(outcome.failed_step), place_step_name(outcome.failed_step),
                outcome.error);
}

// Reads the file at `path` and compares it with `bytes`.
CommitResult read_back(FileSystem& fs, const std::string& path, const std::vector<uint8_t>& bytes) {
  ScopedHandle file(fs);
  FileError error = fs.open_read(path, &file.handle);
  if (error.failed()) return failed(CommitCode::kReadBackFailed, "open for reading back", error);
  std::vector<uint8_t> found;
  error = read_all(fs, file.handle, bytes.size() + 1, &found);
  if (error.failed()) return failed(CommitCode::kReadBackFailed, "read back", error);
  if (found != bytes) {
    return {CommitCode::kReadBackFailed, "the file read back differs from the bytes written", ""};
  }
  return {};
}

}  // namespace

RomFingerprint fingerprint_of(const std::vector<uint8_t>& bytes) {
  return {bytes.size(), sha256(bytes.data(), bytes.size())};
}

const char* describe_commit_code(CommitCode code) {
  switch (code) {
    case CommitCode::kOk: return "The ROM was written.";
    case CommitCode::kBusy: return "Another program is writing this ROM.";
    case CommitCode::kMissing: return "The ROM file no longer exists.";
    case CommitCode::kNotRegularFile: return "The ROM path does not name an ordinary file.";
    case CommitCode::kNotWritable:
      return "The ROM file cannot be opened for writing (it may be read-only).";
    case CommitCode::kChangedOnDisk:
      return "The ROM file was changed by another program since it was opened.";
    case CommitCode::kReadFailed: return "The ROM file could not be read.";
    case CommitCode::kBackupFailed:
      return "The backup copy could not be written; the ROM was not changed.";
    case CommitCode::kTempFileFailed:
      return "No temporary file could be made beside the ROM; the ROM was not changed.";
    case CommitCode::kWriteFailed:
      return "Writing the new ROM failed (is the disk full?); the ROM was not changed.";
    case CommitCode::kSyncFailed:
      return "Flushing the new ROM to the disk failed; the ROM was left as it was.";
    case CommitCode::kReplaceFailed:
      return "The new ROM could not take the old one's place; the ROM was not changed.";
    case CommitCode::kReadBackFailed:
      return "The ROM read back differs from what was written; the old ROM was put back.";
    case CommitCode::kRestoreFailed:
      return "The new ROM failed its check and the old one could not be put back; the backup "
             "file holds it.";
  }
  return "Unknown result.";
}

CommitResult commit_rom_file(const std::string& path, const RomFingerprint& expected,
                             const std::vector<uint8_t>& new_bytes, const CommitOptions& options,
                             FileSystem& fs) {
  const std::string rom = fs.final_path(path);
  ScopedHandle old_file(fs);  // its lock guards the whole commit
  FileInfo info;
  CommitResult result = open_locked(fs, rom, &old_file.handle, &info);
  if (!result.ok()) return result;
  std::vector<uint8_t> old_bytes;
  result = read_expected(fs, old_file.handle, info, expected, &old_bytes);
  if (!result.ok()) return result;

  std::string backup_path;
  if (options.keep_backup) {
    const std::string bak = rom + ".bak";
    const PlaceOutcome backup = put_file_in_place(fs, bak, old_bytes, &info, nullptr, nullptr);
    if (backup.failed()) {
      return {CommitCode::kBackupFailed, "backup " + result_of(backup).detail,
              backup.placed ? bak : ""};
    }
    backup_path = bak;
  }

  // From the rename on, the new file's handle carries the lock.
  ScopedHandle new_file(fs);
  const PlaceOutcome placed =
      put_file_in_place(fs, rom, new_bytes, &info, &old_file.handle, &new_file.handle);
  result = result_of(placed);
  if (result.ok()) result = read_back(fs, rom, new_bytes);
  result.backup_path = backup_path;
  if (result.ok() || !placed.placed) return result;

  // The new file is in place but not sound: put the old bytes back the same way.
  ScopedHandle restored(fs);
  const PlaceOutcome undo =
      put_file_in_place(fs, rom, old_bytes, &info, &new_file.handle, &restored.handle);
  if (!undo.placed) {
    result.code = CommitCode::kRestoreFailed;
    result.detail += "; putting the old ROM back failed: " + result_of(undo).detail;
    return result;
  }
  result.detail += "; the old ROM was put back";
  return result;
}

}  // namespace vcv
