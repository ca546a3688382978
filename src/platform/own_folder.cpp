#include "platform/own_folder.h"

#include <filesystem>
#include <system_error>

#include "platform/file_io.h"

namespace vcv {

namespace {

std::vector<std::string> parts_of(const std::string& relative) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (true) {
    const size_t slash = relative.find('/', start);
    parts.push_back(relative.substr(start, slash - start));
    if (slash == std::string::npos) return parts;
    start = slash + 1;
  }
}

// Creates the folder (with the folders above it) and the folders on the way to `relative` that
// are missing (their absence was seen by own_name_refusal; one made meanwhile is as good).
bool make_folders_on_the_way(const std::string& folder, const std::string& relative,
                             std::string* error, FileSystem& fs) {
  std::error_code code;
  std::filesystem::create_directories(std::filesystem::u8path(folder), code);
  if (code) {
    *error = "cannot create " + folder + ": " + code.message();
    return false;
  }
  std::string path = folder;
  const std::vector<std::string> parts = parts_of(relative);
  for (size_t i = 0; i + 1 < parts.size(); ++i) {
    path = path_below(path, parts[i]);
    const FileError made = fs.make_folder(path);
    if (made.failed() && made.kind != FileErrorKind::kExists) {
      *error = "cannot create " + path + ": " + made.text;
      return false;
    }
  }
  return true;
}

}  // namespace

std::string path_below(const std::string& folder, const std::string& relative) {
  if (!folder.empty() && (folder.back() == '/' || folder.back() == '\\')) return folder + relative;
  return folder + "/" + relative;
}

bool is_plain_relative_name(const std::string& relative) {
  if (relative.find_first_of("\\:") != std::string::npos) return false;
  for (const std::string& part : parts_of(relative)) {
    if (part.empty() || part == "." || part == "..") return false;
  }
  return true;
}

std::string own_name_refusal(const std::string& folder, const std::string& relative,
                             FileSystem& fs) {
  if (!is_plain_relative_name(relative)) {
    return "'" + relative + "' is no name of a file inside " + folder;
  }
  std::string path = folder;
  for (const std::string& part : parts_of(relative)) {
    path = path_below(path, part);
    bool link = false;
    const FileError error = fs.is_link(path, &link);
    if (error.kind == FileErrorKind::kNotFound) return "";
    if (error.failed()) return path + ": " + error.text;
    if (link) {
      return path + " is a link; the files in " + folder +
             " are this program's own and are never read or written through a link (remove it)";
    }
  }
  return "";
}

bool read_own_file(const std::string& folder, const std::string& relative, uint64_t max_bytes,
                   std::vector<uint8_t>* bytes, std::string* error, FileSystem& fs) {
  bytes->clear();
  *error = own_name_refusal(folder, relative, fs);
  if (!error->empty()) return false;
  return read_regular_file(path_below(folder, relative), max_bytes, bytes, error, fs);
}

bool write_own_file(const std::string& folder, const std::string& relative,
                    const std::vector<uint8_t>& bytes, std::string* error, FileSystem& fs) {
  *error = own_name_refusal(folder, relative, fs);
  if (!error->empty() || !make_folders_on_the_way(folder, relative, error, fs)) return false;
  const std::string path = path_below(folder, relative);
  // The rename replaces whatever has the name, a link included, and never writes through it.
  if (replace_regular_file(path, bytes, error, fs)) return true;
  *error = path + ": " + *error;
  return false;
}

bool remove_own_file(const std::string& folder, const std::string& relative, bool* removed,
                     std::string* error, FileSystem& fs) {
  *removed = false;
  *error = own_name_refusal(folder, relative, fs);
  if (!error->empty()) return false;
  const std::string path = path_below(folder, relative);
  FileInfo info;
  FileError failure = fs.stat_path(path, &info);
  if (failure.kind == FileErrorKind::kNotFound) return true;
  if (!failure.failed() && !info.regular) {
    *error = path + ": not a regular file; left as it is";
    return false;
  }
  if (!failure.failed()) failure = fs.remove(path);
  if (failure.failed()) *error = path + ": " + failure.text;
  *removed = !failure.failed();
  return !failure.failed();
}

}  // namespace vcv
