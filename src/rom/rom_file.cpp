#include "rom/rom_file.h"

#include <vector>

#include "platform/file_io.h"

namespace vcv {

namespace {

RomOpenResult refused(RomOpenStatus status, std::string reason) {
  RomOpenResult result;
  result.status = status;
  result.reason = std::move(reason);
  return result;
}

RomWriteStatus write_status_of(CommitCode code) {
  switch (code) {
    case CommitCode::kOk:
      return RomWriteStatus::kWritten;
    case CommitCode::kBusy:
      return RomWriteStatus::kBusy;
    case CommitCode::kMissing:
    case CommitCode::kChangedOnDisk:
      return RomWriteStatus::kChangedOnDisk;
    case CommitCode::kNotRegularFile:
    case CommitCode::kNotWritable:
      return RomWriteStatus::kNotWritable;
    default:
      return RomWriteStatus::kWriteFailed;
  }
}

}  // namespace

int copier_header_for_size(long long size) {
  constexpr long long kKibibyte = 1024;
  return size >= kCopierHeaderSize && size % kKibibyte == kCopierHeaderSize ? kCopierHeaderSize
                                                                             : 0;
}

RomOpenResult RomFile::open(const std::string& path, int mapping, int base) {
  close();
  // The stat first, so that each refusal gets its own status; the read checks again.
  FileInfo info;
  const FileError missing = native_file_system().stat_path(path, &info);
  if (missing.failed()) {
    return refused(RomOpenStatus::kCannotOpen,
                   "cannot open " + path + ": " +
                       (missing.kind == FileErrorKind::kNotFound ? "no such file" : missing.text));
  }
  if (!info.regular) {
    return refused(RomOpenStatus::kNotRegularFile,
                   path + " is not a ROM file (a folder or a device)");
  }
  if (info.size > static_cast<uint64_t>(kMaxRomFileSize)) {
    return refused(RomOpenStatus::kTooLarge, path + " is too large to be a ROM image (" +
                                                 std::to_string(info.size) + " bytes)");
  }
  std::vector<uint8_t> bytes;
  std::string error;
  if (!read_regular_file(path, kMaxRomFileSize, &bytes, &error)) {
    return refused(RomOpenStatus::kCannotOpen, "cannot open " + path + ": " + error);
  }
  path_ = path;
  fingerprint_ = fingerprint_of(bytes);
  image_ = RomImage(std::move(bytes), mapping, base);
  open_ = true;
  return RomOpenResult();
}

void RomFile::close() {
  open_ = false;
  read_only_ = false;
  image_ = RomImage();
  fingerprint_ = RomFingerprint();
}

RomWriteResult RomFile::replace_image(const RomImage& changed, FileSystem& fs) {
  RomWriteResult result;
  last_notes_.clear();
  if (!open_) {
    result.status = RomWriteStatus::kNotOpen;
    return result;
  }
  if (read_only_) {
    result.status = RomWriteStatus::kReadOnly;
    return result;
  }
  CommitOptions options;
  options.keep_backup = keep_backup_;
  options.keep_history = keep_history_;
  const CommitResult committed =
      commit_rom_file(path_, fingerprint_, changed.bytes(), options, fs);
  result.status = write_status_of(committed.code);
  result.notes = committed.notes;
  last_notes_ = committed.notes;
  if (!committed.ok()) {
    result.detail = describe_commit_code(committed.code);
    if (!committed.detail.empty()) result.detail += " (" + committed.detail + ")";
    return result;
  }
  result.backup_path = committed.backup_path;
  image_ = changed;
  fingerprint_ = fingerprint_of(image_.bytes());
  return result;
}

}  // namespace vcv
