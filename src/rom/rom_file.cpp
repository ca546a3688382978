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

CommitResult RomFile::replace_image(const RomImage& changed, FileSystem& fs) {
  last_notes_.clear();
  CommitResult refused;
  if (!open_ || read_only_) {
    refused.code = open_ ? CommitCode::kReadOnly : CommitCode::kNotOpen;
    return refused;
  }
  CommitOptions options;
  options.keep_backup = keep_backup_;
  options.keep_history = keep_history_;
  CommitResult committed = commit_rom_file(path_, fingerprint_, changed.bytes(), options, fs);
  last_notes_ = committed.notes;
  if (!committed.ok()) return committed;
  image_ = changed;
  fingerprint_ = fingerprint_of(image_.bytes());
  return committed;
}

}  // namespace vcv
