#include "rom/rom_commit.h"

#include <algorithm>

namespace vcv {
namespace {

CommitResult failed(CommitCode code, const std::string& step, const FileError& error) {
  return {code, step + ": " + error.text, "", {}};
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
  if (!info->regular) return {CommitCode::kNotRegularFile, "not a regular file", "", {}};
  FileInfo named;
  error = fs.stat_path(rom, &named);
  if (error.kind == FileErrorKind::kNotFound) return failed(CommitCode::kMissing, "stat", error);
  if (error.failed()) return failed(CommitCode::kReadFailed, "stat", error);
  if (named.device != info->device || named.node != info->node) {
    return {CommitCode::kBusy, "the file was replaced while it was being opened", "", {}};
  }
  return {};
}

constexpr size_t kPieceSize = 64 * 1024;  // files are read a piece at a time, never held twice

// Hashes the ROM and checks it against what the caller loaded.
CommitResult check_contents(FileSystem& fs, FileHandle handle, const FileInfo& info,
                            const RomFingerprint& expected) {
  if (info.size != expected.size) {
    return {CommitCode::kChangedOnDisk,
            "size " + std::to_string(info.size) + ", expected " + std::to_string(expected.size),
            "", {}};
  }
  std::vector<uint8_t> piece(kPieceSize);
  Sha256 hash;  // over what is there, however long: the length is part of the digest
  for (;;) {
    size_t got = 0;
    const FileError error = fs.read(handle, piece.data(), piece.size(), &got);
    if (error.failed()) return failed(CommitCode::kReadFailed, "read", error);
    if (got == 0) break;
    hash.update(piece.data(), got);
  }
  if (hash.finish() != expected.sha256) {
    return {CommitCode::kChangedOnDisk, "its SHA-256 differs from that of the loaded bytes", "", {}};
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
  std::vector<uint8_t> piece(kPieceSize);
  size_t compared = 0;
  for (;;) {
    size_t got = 0;
    error = fs.read(file.handle, piece.data(), piece.size(), &got);
    if (error.failed()) return failed(CommitCode::kReadBackFailed, "read back", error);
    if (got == 0) break;
    if (got > bytes.size() - compared ||
        !std::equal(piece.begin(), piece.begin() + static_cast<long>(got),
                    bytes.begin() + static_cast<long>(compared))) {
      return {CommitCode::kReadBackFailed, "the file read back differs from the bytes written", "",
              {}};
    }
    compared += got;
  }
  if (compared != bytes.size()) {
    return {CommitCode::kReadBackFailed, "the file read back is shorter than the bytes written",
            "", {}};
  }
  return {};
}

// A copy of the ROM under a temporary name beside it, for file systems without hard links.
PlaceOutcome copy_to_temp(FileSystem& fs, const std::string& rom, const FileInfo& info,
                          std::string* temp) {
  PlaceOutcome out;
  ScopedHandle source(fs);
  ScopedHandle copy(fs);
  if ((out.error = fs.open_read(rom, &source.handle)).failed() ||
      (out.error = fs.create_temp(rom, &copy.handle, temp)).failed()) {
    out.failed_step = PlaceStep::kCreateTemp;
    return out;
  }
  std::vector<uint8_t> piece(kPieceSize);
  for (;;) {
    size_t got = 0;
    if ((out.error = fs.read(source.handle, piece.data(), piece.size(), &got)).failed() ||
        (out.error = write_all(fs, copy.handle, piece.data(), got)).failed()) {
      out.failed_step = PlaceStep::kWrite;
      break;
    }
    if (got == 0) break;
  }
  if (!out.failed() && (out.error = fs.copy_attributes(copy.handle, info)).failed()) {
    out.failed_step = PlaceStep::kCopyAttributes;
  }
  if (!out.failed() && (out.error = fs.sync(copy.handle)).failed()) {
    out.failed_step = PlaceStep::kSync;
  }
  if (out.failed()) {
    fs.close(&copy.handle);
    fs.remove(*temp);
  }
  return out;
}

// Gives the old ROM a second, temporary name, so that it outlives its replacement: the undo
// while the new file is checked, then the backup. A hard link costs nothing; where there are no
// links, a copy does the same job.
CommitResult keep_old_file(FileSystem& fs, const std::string& rom, const FileInfo& info,
                           bool keep_backup, std::string* undo) {
  if (!fs.link_temp(rom, undo).failed()) return {};
  const PlaceOutcome copied = copy_to_temp(fs, rom, info, undo);
  if (!copied.failed()) return {};
  if (!keep_backup) return result_of(copied);
  return {CommitCode::kBackupFailed, "backup " + result_of(copied).detail, "", {}};
}

bool same_file(const FileInfo& a, const FileInfo& b) {
  return a.device == b.device && a.node == b.node;
}

// Renames the kept old file to NAME.bak; on success *undo names the backup. What an older
// backup held moves into the history first, unless none is kept.
CommitResult keep_as_backup(FileSystem& fs, const std::string& rom, int keep_history,
                            std::string* undo, std::string* backup_path,
                            std::vector<std::string>* notes) {
  const std::string bak = rom + ".bak";
  FileInfo bak_info;
  FileError error = fs.stat_path(bak, &bak_info);
  if (error.failed() && error.kind != FileErrorKind::kNotFound) {
    return failed(CommitCode::kBackupFailed, "backup stat", error);
  }
  if (!error.failed()) {
    FileInfo undo_info;
    if (!fs.stat_path(*undo, &undo_info).failed() && same_file(bak_info, undo_info)) {
      // NAME.bak is a hard link to the old file: it holds the state before this write already,
      // and a rename onto it would do nothing at all.
      fs.remove(*undo);
      *undo = bak;
      *backup_path = bak;
      return {};
    }
    if (keep_history > 0) {
      const HistoryMove moved = move_into_history(rom, bak, keep_history, fs);
      if (moved.error.failed()) return failed(CommitCode::kBackupFailed, "history", moved.error);
      notes->push_back("the backup before is kept as " + moved.kept_as);
      for (const std::string& old : moved.removed) {
        notes->push_back("removed the oldest state " + old);
      }
    }
  }
  error = fs.replace(*undo, bak, nullptr);
  if (error.failed()) return failed(CommitCode::kBackupFailed, "backup rename", error);
  *undo = bak;
  error = fs.sync_folder(bak);
  if (error.failed()) return failed(CommitCode::kBackupFailed, "backup sync folder", error);
  *backup_path = bak;
  return {};
}

// After a failure past the rename: the kept old file takes the ROM's name again.
CommitResult put_back(FileSystem& fs, const std::string& rom, const std::string& undo,
                      FileHandle* new_file, CommitResult result) {
  result.backup_path.clear();
  FileError error = fs.replace(undo, rom, new_file);
  if (error.failed()) {
    result.code = CommitCode::kRestoreFailed;
    result.detail += "; putting the old ROM back failed (rename: " + error.text +
                     "); it is kept as " + undo;
    return result;
  }
  result.detail += "; the old ROM was put back";
  error = fs.sync_folder(rom);
  if (error.failed()) result.detail += " (sync folder: " + error.text + ")";
  return result;
}

std::string folder_of(const std::string& path, std::string* file) {
  const size_t slash = path.find_last_of("/\\");
  *file = slash == std::string::npos ? path : path.substr(slash + 1);
  return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

// The process id in a temporary name of the ROM ("NAME.PID-N.tmp"); 0 for any other name.
unsigned long writer_of(const std::string& rom_file, const std::string& name) {
  const std::string tail = ".tmp";
  if (name.size() <= rom_file.size() + 1 + tail.size() ||
      name.compare(0, rom_file.size() + 1, rom_file + ".") != 0 ||
      name.compare(name.size() - tail.size(), tail.size(), tail) != 0) {
    return 0;
  }
  const std::string middle =
      name.substr(rom_file.size() + 1, name.size() - rom_file.size() - 1 - tail.size());
  const size_t dash = middle.find('-');
  if (dash == 0 || dash == std::string::npos || dash > 10 || dash + 1 == middle.size() ||
      middle.find_first_not_of("0123456789-") != std::string::npos ||
      middle.find('-', dash + 1) != std::string::npos) {
    return 0;
  }
  return std::stoul(middle.substr(0, dash));
}

// Whether a leftover may go: no process holds it open for writing (its lock is free).
bool lock_is_free(FileSystem& fs, const std::string& path) {
  ScopedHandle file(fs);
  if (fs.open_update(path, &file.handle).failed()) return false;
  return !fs.try_lock(file.handle).failed();
}

// Removes the temporary files of this ROM whose writer is gone: a writer killed between its
// temporary file and the rename leaves one (the size of the ROM) every time. Called with the
// ROM's lock held, so that no live writer of this ROM is between those steps.
void remove_leftovers(FileSystem& fs, const std::string& rom, const FileInfo& rom_info,
                      std::vector<std::string>* notes) {
  std::string rom_file;
  const std::string folder = folder_of(rom, &rom_file);
  std::vector<std::string> names;
  if (fs.list_folder(folder, &names).failed()) return;
  for (const std::string& name : names) {
    const unsigned long writer = writer_of(rom_file, name);
    if (writer == 0 || writer == fs.process_id() || fs.process_exists(writer)) continue;
    const std::string path = (folder == "." ? "" : folder) + name;
    FileInfo info;
    if (fs.stat_path(path, &info).failed() || !info.regular) continue;
    // A second name of the ROM itself (a writer killed before it replaced the ROM) holds the
    // lock this commit holds: removing it removes only the name.
    if (!same_file(info, rom_info) && !lock_is_free(fs, path)) continue;
    if (fs.remove(path).failed()) continue;
    notes->push_back("removed " + path + ", left by a writer that did not finish (process " +
                     std::to_string(writer) + ")");
  }
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
      return "The old ROM could not be kept as its .bak backup; the ROM was left as it was.";
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
      return "The new ROM failed its check and the old one could not be put back; it is kept "
             "beside it under the name the detail gives.";
    case CommitCode::kNotOpen: return "No ROM is open.";
    case CommitCode::kReadOnly: return "The ROM was opened read-only.";
  }
  return "Unknown result.";
}

std::string CommitResult::describe() const {
  std::string text = describe_commit_code(code);
  if (!detail.empty()) text += " (" + detail + ")";
  return text;
}

CommitResult commit_rom_file(const std::string& path, const RomFingerprint& expected,
                             const std::vector<uint8_t>& new_bytes, const CommitOptions& options,
                             FileSystem& fs) {
  const std::string rom = fs.final_path(path);
  ScopedHandle old_file(fs);  // its lock guards the commit until the new file's takes over
  FileInfo info;
  CommitResult result = open_locked(fs, rom, &old_file.handle, &info);
  if (result.ok()) result = check_contents(fs, old_file.handle, info, expected);
  if (!result.ok()) return result;
  std::vector<std::string> notes;
  remove_leftovers(fs, rom, info, &notes);
  std::string undo;
  result = keep_old_file(fs, rom, info, options.keep_backup, &undo);
  result.notes = notes;
  if (!result.ok()) return result;

  ScopedHandle new_file(fs);
  const PlaceOutcome placed =
      put_file_in_place(fs, rom, new_bytes, &info, &old_file.handle, &new_file.handle);
  result = result_of(placed);
  result.notes = notes;
  if (!placed.placed) {
    fs.remove(undo);  // the ROM never changed: the second name goes, the file stays
    return result;
  }
  if (result.ok()) result = read_back(fs, rom, new_bytes);
  std::string backup_path;
  if (result.ok() && options.keep_backup) {
    result = keep_as_backup(fs, rom, options.keep_history, &undo, &backup_path, &notes);
  }
  result.backup_path = backup_path;
  result.notes = notes;
  if (!result.ok()) return put_back(fs, rom, undo, &new_file.handle, result);
  if (!options.keep_backup) fs.remove(undo);
  return result;
}

}  // namespace vcv
