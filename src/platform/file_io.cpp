#include "platform/file_io.h"

#include <algorithm>
#include <limits>


namespace vcv {

namespace {

// The refusals read_regular_file makes from a stat; empty when the file may be read.
std::string refusal(const FileInfo& info, uint64_t max_bytes) {
  if (!info.regular) return "not a regular file (a folder or a device)";
  if (info.size > max_bytes) return "larger than " + std::to_string(max_bytes) + " bytes";
  return "";
}

}  // namespace

bool read_regular_file(const std::string& path, uint64_t max_bytes, std::vector<uint8_t>* bytes,
                       std::string* error, FileSystem& fs) {
  bytes->clear();
  max_bytes = std::min<uint64_t>(max_bytes, std::numeric_limits<size_t>::max());
  // Stat the name before opening it: opening a pipe or some devices for reading can wait.
  FileInfo info;
  FileError failure = fs.stat_path(path, &info);
  ScopedHandle file(fs);
  if (!failure.failed() && (*error = refusal(info, max_bytes)).empty()) {
    failure = fs.open_read(path, &file.handle);
    // The name may have been given to something else since; what counts is what was opened.
    if (!failure.failed()) failure = fs.stat(file.handle, &info);
    if (!failure.failed()) *error = refusal(info, max_bytes);
  }
  if (failure.failed()) {
    *error = failure.kind == FileErrorKind::kNotFound ? "no such file" : failure.text;
    return false;
  }
  if (!error->empty()) return false;
  failure = read_all(fs, file.handle, static_cast<size_t>(info.size), bytes);
  if (failure.failed()) *error = failure.text;
  return !failure.failed();
}

bool replace_regular_file(const std::string& target, const std::vector<uint8_t>& bytes,
                          std::string* error, FileSystem& fs) {
  FileInfo info;
  const FileError missing = fs.stat_path(target, &info);
  const bool exists = !missing.failed();
  if (missing.failed() && missing.kind != FileErrorKind::kNotFound) {
    *error = missing.text;
    return false;
  }
  if (exists && !info.regular) {
    *error = "not a regular file (a folder or a device); left as it is";
    return false;
  }
  const PlaceOutcome outcome =
      put_file_in_place(fs, target, bytes, exists ? &info : nullptr, nullptr, nullptr);
  if (outcome.failed()) {
    *error = std::string(place_step_name(outcome.failed_step)) + ": " + outcome.error.text;
  }
  return !outcome.failed();
}

bool write_file_atomically(const std::string& path, const std::vector<uint8_t>& bytes,
                           std::string* error, FileSystem& fs) {
  return replace_regular_file(fs.final_path(path), bytes, error, fs);
}

}  // namespace vcv
