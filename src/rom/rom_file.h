// The ROM image file: where the image came from, the image itself held in memory for every
// read (the file is not kept open), whether the user opened it read-only, and the one way a
// changed image goes back to disk: a crash-safe replacement of the whole file (rom_commit.h) that
// first checks the file still holds what was read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "rom/rom_commit.h"
#include "rom/rom_image.h"

namespace vcv {

// Largest file taken as a ROM image: the HiROM mapping reaches 12 MiB, plus a copier header.
constexpr long long kMaxRomFileSize = 16LL * 1024 * 1024;

// A file whose size leaves 512 bytes over a whole number of KiB carries a copier header in
// front of the image; the image is read past that header.
constexpr int kCopierHeaderSize = 512;
// The length of the copier header a file of `size` bytes carries: kCopierHeaderSize or 0.
int copier_header_for_size(long long size);

enum class RomOpenStatus {
  kOpened,
  kCannotOpen,      // missing, no access, or a read error; `reason` says which
  kNotRegularFile,  // a folder, a device, a pipe
  kTooLarge,        // larger than kMaxRomFileSize
  kTooSmall,        // too small to hold the tables the program reads
};

struct RomOpenResult {
  RomOpenStatus status = RomOpenStatus::kOpened;
  std::string reason;  // one line for the user when the file was not opened
  bool ok() const { return status == RomOpenStatus::kOpened; }
};

class RomFile {
 public:
  // Reads the whole file into memory as an image with the given mapping and base. Replaces what
  // was open; on failure nothing is open.
  RomOpenResult open(const std::string& path, int mapping, int base);
  void close();

  bool is_open() const { return open_; }
  const std::string& path() const { return path_; }
  const RomImage& image() const { return image_; }
  void set_base(int base) { image_.set_base(base); }

  // A ROM the user chose to open read-only is never written.
  bool read_only() const { return read_only_; }
  void set_read_only(bool read_only) { read_only_ = read_only; }

  // Whether a write keeps the file as it was before as NAME.bak (it does unless told not to).
  bool keeps_backup() const { return keep_backup_; }
  void set_keep_backup(bool keep) { keep_backup_ = keep; }
  // How many earlier backups the ROM's history keeps (rom_history.h); 0 for none.
  int keeps_history() const { return keep_history_; }
  void set_keep_history(int states) { keep_history_ = states; }
  // The notes of the last write, successful or not (leftovers removed, the history moved on).
  const std::vector<std::string>& last_write_notes() const { return last_notes_; }

  // Whether the write commands give the internal header's checksum the value of the image they
  // write (edit/rom_write.h; on unless told otherwise). replace_image itself writes the bytes
  // as given.
  bool updates_checksum() const { return update_checksum_; }
  void set_update_checksum(bool update) { update_checksum_ = update; }

  // Puts `changed` (a changed copy of image()) in place of the file; on success image() is the
  // new image. On failure the file and image() stay as they were. `fs` is the file seam (a
  // fault-injecting one in tests).
  // The result is the commit's (rom_commit.h), or kNotOpen / kReadOnly when no commit started.
  CommitResult replace_image(const RomImage& changed, FileSystem& fs = native_file_system());

 private:
  std::string path_;
  RomImage image_;
  RomFingerprint fingerprint_;  // of the bytes the image was read from or last written as
  bool open_ = false;
  bool read_only_ = false;
  bool keep_backup_ = true;
  int keep_history_ = kDefaultHistoryKeep;
  std::vector<std::string> last_notes_;
  bool update_checksum_ = true;
};

}  // namespace vcv
