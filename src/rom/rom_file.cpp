#include "rom/rom_file.h"

#include <cstdio>
#include <vector>

#include "platform/file_io.h"
#include "platform/portability.h"

namespace vcv {

RomOpenResult RomFile::open(const std::string& path, int mapping, int base) {
  close();
  RomOpenResult result;
  std::vector<uint8_t> bytes;
  if (!read_whole_file(path, &bytes)) {
    result.status = RomOpenStatus::kCannotOpen;
    result.reason = "cannot open " + path;
    return result;
  }
  if (static_cast<long long>(bytes.size()) > kMaxRomFileSize) {
    result.status = RomOpenStatus::kTooLarge;
    result.reason = path + " is too large to be a ROM image";
    return result;
  }
  path_ = path;
  image_ = RomImage(std::move(bytes), mapping, base);
  open_ = true;
  return result;
}

void RomFile::close() {
  open_ = false;
  read_only_ = false;
  image_ = RomImage();
}

RomWriteResult RomFile::replace_image(const RomImage& changed, bool keep_backup) {
  (void)keep_backup;
  RomWriteResult result;
  if (!open_) {
    result.status = RomWriteStatus::kNotOpen;
    return result;
  }
  if (read_only_) {
    result.status = RomWriteStatus::kReadOnly;
    return result;
  }
  std::FILE* probe = fopen_utf8(path_.c_str(), "rb+");
  if (probe == nullptr) {
    result.status = RomWriteStatus::kNotWritable;
    return result;
  }
  std::fclose(probe);
  if (!write_whole_file(path_, changed.bytes())) {
    result.status = RomWriteStatus::kWriteFailed;
    result.detail = "cannot write " + path_;
    return result;
  }
  image_ = changed;
  return result;
}

}  // namespace vcv
