// The POSIX file system: open/write/fsync/rename, flock for the writer lock, fsync of the folder
// after a rename.
#ifndef _WIN32

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <dirent.h>
#include <signal.h>
#ifdef __linux__
#include <sys/xattr.h>
#endif

#include <cstring>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace vcv {
namespace {

FileError error_from_errno(int code) {
  FileErrorKind kind = FileErrorKind::kOther;
  if (code == ENOENT || code == ENOTDIR) kind = FileErrorKind::kNotFound;
  if (code == EEXIST) kind = FileErrorKind::kExists;
  if (code == EACCES || code == EPERM || code == EROFS) kind = FileErrorKind::kAccessDenied;
  if (code == EWOULDBLOCK || code == EAGAIN) kind = FileErrorKind::kBusy;
  if (code == ENOSPC || code == EDQUOT) kind = FileErrorKind::kNoSpace;
  return {kind, std::strerror(code)};
}

FileError last_error() { return error_from_errno(errno); }

int fd_of(FileHandle handle) { return static_cast<int>(handle.os); }

std::string folder_of(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

void fill_info(const struct stat& st, FileInfo* info) {
  info->regular = S_ISREG(st.st_mode);
  info->size = static_cast<uint64_t>(st.st_size);
  info->device = static_cast<uint64_t>(st.st_dev);
  info->node = static_cast<uint64_t>(st.st_ino);
  info->mode = static_cast<uint32_t>(st.st_mode & 07777);
  info->owner = static_cast<uint32_t>(st.st_uid);
  info->group = static_cast<uint32_t>(st.st_gid);
  info->modified = static_cast<int64_t>(st.st_mtime);
}

// Opens with retries on interruption. O_NONBLOCK keeps an open of a pipe or device from
// waiting; it changes nothing for regular files.
FileError open_fd(const std::string& path, int flags, FileHandle* handle) {
  int fd;
  do {
    fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return last_error();
  handle->os = fd;
  return {};
}

class PosixFileSystem : public FileSystem {
 public:
  std::string final_path(const std::string& path) override {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) return path;
    std::string out = resolved;
    ::free(resolved);
    return out;
  }

  FileError open_read(const std::string& path, FileHandle* handle) override {
    return open_fd(path, O_RDONLY, handle);
  }

  FileError open_update(const std::string& path, FileHandle* handle) override {
    return open_fd(path, O_RDWR, handle);
  }

  FileError create_temp(const std::string& beside, FileHandle* handle,
                        std::string* temp_path) override {
    return with_temp_name(beside, process_id(), temp_path, [&](const std::string& name) {
      return open_fd(name, O_RDWR | O_CREAT | O_EXCL, handle);
    });
  }

  FileError link_temp(const std::string& existing, std::string* temp_path) override {
    return with_temp_name(existing, process_id(), temp_path, [&](const std::string& name) {
      return ::link(existing.c_str(), name.c_str()) == 0 ? FileError{} : last_error();
    });
  }

  FileError write(FileHandle handle, const uint8_t* data, size_t size, size_t* written) override {
    *written = 0;
    ssize_t n;
    do {
      n = ::write(fd_of(handle), data, size);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return last_error();
    *written = static_cast<size_t>(n);
    return {};
  }

  FileError read(FileHandle handle, uint8_t* data, size_t size, size_t* got) override {
    *got = 0;
    ssize_t n;
    do {
      n = ::read(fd_of(handle), data, size);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return last_error();
    *got = static_cast<size_t>(n);
    return {};
  }

  FileError sync(FileHandle handle) override {
    int rc;
    do {
      rc = ::fsync(fd_of(handle));
    } while (rc != 0 && errno == EINTR);
    return rc == 0 ? FileError{} : last_error();
  }

  void close(FileHandle* handle) override {
    if (!handle->is_open()) return;
    ::close(fd_of(*handle));  // errors already surfaced at fsync, the only point that counts
    handle->os = -1;
  }

  FileError try_lock(FileHandle handle) override {
    int rc;
    do {
      rc = ::flock(fd_of(handle), LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0) return {};
    // A file system without locks (some network mounts) must not make every write impossible:
    // the commit then goes on unguarded, as a plain write would.
    if (errno == ENOLCK || errno == EOPNOTSUPP) return {};
    return last_error();
  }

  FileError stat(FileHandle handle, FileInfo* info) override {
    struct stat st;
    if (::fstat(fd_of(handle), &st) != 0) return last_error();
    fill_info(st, info);
    return {};
  }

  FileError stat_path(const std::string& path, FileInfo* info) override {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return last_error();
    fill_info(st, info);
    return {};
  }

  FileError is_link(const std::string& path, bool* link) override {
    *link = false;
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) return last_error();
    *link = S_ISLNK(st.st_mode);
    return {};
  }

  FileError copy_attributes(FileHandle handle, const FileInfo& like) override {
    struct stat st;
    if (::fstat(fd_of(handle), &st) != 0) return last_error();
    // Ownership first (a change of owner clears set-id bits). Only root may give a file away;
    // anyone else keeps the new file as their own, like any editor that saves by renaming.
    if ((st.st_uid != like.owner || st.st_gid != like.group) &&
        ::fchown(fd_of(handle), like.owner, like.group) != 0 && errno != EPERM) {
      return last_error();
    }
    if (::fchmod(fd_of(handle), static_cast<mode_t>(like.mode & 07777)) != 0) return last_error();
    return {};
  }

  FileError replace(const std::string& from, const std::string& to, FileHandle*) override {
    // rename() replaces an open file as readily as a closed one: the caller's lock stays.
    if (::rename(from.c_str(), to.c_str()) != 0) return last_error();
    return {};
  }

  FileError sync_folder(const std::string& path) override {
    FileHandle folder;
    FileError error = open_fd(folder_of(path), O_RDONLY | O_DIRECTORY, &folder);
    if (error.failed()) return error;
    const int rc = ::fsync(fd_of(folder));
    const int code = errno;
    close(&folder);
    // Some file systems cannot sync a folder at all (EINVAL); there is nothing more to do.
    if (rc != 0 && code != EINVAL) return error_from_errno(code);
    return {};
  }

  FileError remove(const std::string& path) override {
    if (::unlink(path.c_str()) != 0) return last_error();
    return {};
  }

  FileError make_folder(const std::string& path) override {
    if (::mkdir(path.c_str(), 0777) != 0) return last_error();
    return {};
  }

  FileError list_folder(const std::string& path, std::vector<std::string>* names) override {
    names->clear();
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr) return last_error();
    while (const struct dirent* item = ::readdir(dir)) {
      const std::string name = item->d_name;
      if (name != "." && name != "..") names->push_back(name);
    }
    ::closedir(dir);
    return {};
  }

  FileError rename_new(const std::string& from, const std::string& to) override {
    // A second name, then the first one goes: link() never replaces what is there.
    if (::link(from.c_str(), to.c_str()) == 0) {
      ::unlink(from.c_str());
      return {};
    }
    if (errno != EPERM && errno != EOPNOTSUPP && errno != EXDEV) return last_error();
    // A file system without hard links: look, then rename (the gap between is the caller's
    // own folder, which nothing else writes).
    struct stat st;
    if (::lstat(to.c_str(), &st) == 0) return error_from_errno(EEXIST);
    return replace(from, to, nullptr);
  }

  FileError copy_extended_attributes(FileHandle from, FileHandle to) override {
#ifdef __linux__
    std::vector<char> names(4096);
    ssize_t size = ::flistxattr(fd_of(from), names.data(), names.size());
    if (size < 0 && errno == ERANGE) {
      size = ::flistxattr(fd_of(from), nullptr, 0);
      if (size > 0) {
        names.resize(static_cast<size_t>(size));
        size = ::flistxattr(fd_of(from), names.data(), names.size());
      }
    }
    // No attributes, or a file system without them: nothing to keep.
    if (size <= 0) return {};
    std::vector<char> value;
    for (ssize_t at = 0; at < size; at += static_cast<ssize_t>(std::strlen(&names[at])) + 1) {
      const char* name = &names[at];
      const ssize_t length = ::fgetxattr(fd_of(from), name, nullptr, 0);
      if (length < 0) continue;
      value.resize(static_cast<size_t>(length) + 1);
      const ssize_t got = ::fgetxattr(fd_of(from), name, value.data(), value.size());
      // Attributes only the system or an administrator may set (security.*, trusted.*) are
      // left to them.
      if (got >= 0) ::fsetxattr(fd_of(to), name, value.data(), static_cast<size_t>(got), 0);
    }
#else
    (void)from;
    (void)to;
#endif
    return {};
  }

  unsigned long process_id() override { return static_cast<unsigned long>(::getpid()); }

  bool process_exists(unsigned long id) override {
    // 0 and what pid_t cannot hold would name process groups, not a process.
    if (id == 0 || id > static_cast<unsigned long>(INT_MAX)) return false;
    // Signal 0 only asks: EPERM means it runs under another user.
    return ::kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM;
  }
};

}  // namespace

FileSystem& native_file_system() {
  static PosixFileSystem instance;
  return instance;
}

}  // namespace vcv

#endif  // !_WIN32
