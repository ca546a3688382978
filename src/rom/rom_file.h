// The ROM image file: where the image came from, the image itself held in memory for every
// read, whether the user opened it read-only, and the one way a changed image goes back to disk.
#pragma once

#include <cstdint>
#include <string>

#include "rom/rom_image.h"

namespace vcv {

// Largest file taken as a ROM image: the HiROM mapping reaches 12 MiB, plus a copier header.
constexpr long long kMaxRomFileSize = 16LL * 1024 * 1024;

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

enum class RomWriteStatus {
  kWritten,
  kNotOpen,      // no ROM is open
  kReadOnly,     // the user opened the ROM read-only
  kNotWritable,  // the file cannot be written (read-only file, locked, gone); `detail` says why
  kWriteFailed,  // the file could not be replaced; `detail` says why
};

struct RomWriteResult {
  RomWriteStatus status = RomWriteStatus::kWritten;
  std::string detail;       // the reason of a failure
  std::string backup_path;  // where the image as it was before lies, when one was kept
  bool ok() const { return status == RomWriteStatus::kWritten; }
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

  // Puts `changed` (a changed copy of image()) in place of the file; on success image() is the
  // new image. On failure the file and image() stay as they were.
  RomWriteResult replace_image(const RomImage& changed, bool keep_backup);

 private:
  std::string path_;
  RomImage image_;
  bool open_ = false;
  bool read_only_ = false;
};

}  // namespace vcv
