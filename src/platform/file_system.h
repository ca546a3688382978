// The file operations a crash-safe write is made of, behind one small interface: the real file
// system of the platform (POSIX or Windows), and a fault-injecting one for tests that makes any
// chosen operation fail, writes come up short or the disk run full.
//
// Contract: paths are UTF-8. No operation throws; each reports failure as a FileError whose text
// is the system's own words ("No space left on device"). Handles are plain values: close() must
// be called on every handle an open or create gave out (closing an invalid handle does nothing).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vcv {

enum class FileErrorKind {
  kNone,
  kNotFound,      // no file (or folder) by that name
  kExists,        // a file to be created new is already there
  kAccessDenied,  // no permission, or a read-only file, folder or medium
  kBusy,          // another handle holds the writer lock, or a share mode denies writing
  kNoSpace,       // the disk or the user's quota is full
  kOther,         // any other failure (I/O error, bad name...)
};

struct FileError {
  FileErrorKind kind = FileErrorKind::kNone;
  std::string text;

  bool failed() const { return kind != FileErrorKind::kNone; }
};

// A file descriptor on POSIX, a HANDLE on Windows; -1 when none is open.
struct FileHandle {
  intptr_t os = -1;

  bool is_open() const { return os != -1; }
};

struct FileInfo {
  bool regular = false;  // an ordinary file: not a folder, device, pipe or socket
  uint64_t size = 0;
  // Identity: two names or handles with equal device and node are one file.
  uint64_t device = 0;
  uint64_t node = 0;
  uint32_t mode = 0;  // POSIX permission bits; Windows file attributes
  uint32_t owner = 0;  // POSIX user and group ids (0 on Windows)
  uint32_t group = 0;
  int64_t modified = 0;  // last modification, seconds since 1970-01-01 UTC
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // The file a path names in the end: a symbolic link is followed, so that replacing the file
  // keeps the link. The path itself when nothing is to follow or it cannot be resolved.
  virtual std::string final_path(const std::string& path) = 0;

  // Opens an existing file for reading.
  virtual FileError open_read(const std::string& path, FileHandle* handle) = 0;
  // Opens an existing file for reading and writing, like fopen's "rb+": no creation, no
  // truncation; refused for a read-only file. On Windows the file's share mode then denies
  // writing to every other handle, which is the writer lock there.
  virtual FileError open_update(const std::string& path, FileHandle* handle) = 0;
  // Creates a new empty file with a unique name in the folder of `beside` (the name starts with
  // the file name of `beside`), open for reading and writing. Its name goes to *temp_path.
  virtual FileError create_temp(const std::string& beside, FileHandle* handle,
                                std::string* temp_path) = 0;
  // Gives the file `existing` a second name (a hard link) with a unique temporary name in its
  // folder, into *temp_path. Fails where the file system has no hard links (FAT, exFAT).
  virtual FileError link_temp(const std::string& existing, std::string* temp_path) = 0;

  // One write or read call: may transfer fewer bytes than asked (reads give 0 at the end).
  virtual FileError write(FileHandle handle, const uint8_t* data, size_t size,
                          size_t* written) = 0;
  virtual FileError read(FileHandle handle, uint8_t* data, size_t size, size_t* got) = 0;
  // Flushes the file's data and size to the disk (fsync, FlushFileBuffers).
  virtual FileError sync(FileHandle handle) = 0;
  virtual void close(FileHandle* handle) = 0;

  // The exclusive writer lock, never waited for: kBusy at once when another handle holds it.
  // Held until the handle is closed. (Windows: the share mode of open_update and create_temp
  // already is the lock, so this only succeeds.)
  virtual FileError try_lock(FileHandle handle) = 0;

  virtual FileError stat(FileHandle handle, FileInfo* info) = 0;
  virtual FileError stat_path(const std::string& path, FileInfo* info) = 0;
  // Whether the name `path` itself is a link to another place, never following it: a symbolic
  // link (POSIX), or a reparse point that stands for another name (Windows: symbolic links,
  // junctions, mount points; not the reparse points of cloud placeholders or deduplication).
  // kNotFound when nothing has that name.
  virtual FileError is_link(const std::string& path, bool* link) = 0;
  // Gives the file the permission bits (POSIX; also its owner when that differs and may be set)
  // or the attributes (Windows) that `like` describes.
  virtual FileError copy_attributes(FileHandle handle, const FileInfo& like) = 0;

  // Renames `from` to `to` in one atomic step, replacing a file at `to`. `open_target` is the
  // caller's handle on `to`, or null: a platform that cannot replace an open file (Windows)
  // closes it first, so the caller's lock on the old file ends there; elsewhere it stays open.
  virtual FileError replace(const std::string& from, const std::string& to,
                            FileHandle* open_target) = 0;
  // Makes the renames in the folder of `path` durable (fsync of the folder; nothing to do on
  // Windows, where the rename itself is written through).
  virtual FileError sync_folder(const std::string& path) = 0;
  virtual FileError remove(const std::string& path) = 0;

  // ---- for the history of a ROM and the leftovers of writers that died ----
  // Creates a folder; kExists when something is there already.
  virtual FileError make_folder(const std::string& path) = 0;
  // The names in a folder (not "." and ".."), in no particular order.
  virtual FileError list_folder(const std::string& path, std::vector<std::string>* names) = 0;
  // Renames `from` to `to` only if nothing is at `to` (kExists otherwise): never replaces.
  virtual FileError rename_new(const std::string& from, const std::string& to) = 0;
  // Copies the extended attributes of the file open as `from` to the file open as `to`, where
  // the platform has them (Linux); an attribute the system refuses to set is skipped.
  virtual FileError copy_extended_attributes(FileHandle from, FileHandle to) = 0;
  // This process's id, as temporary names carry it; whether a process with that id runs.
  virtual unsigned long process_id() = 0;
  virtual bool process_exists(unsigned long id) = 0;
};

// The platform's real file system.
FileSystem& native_file_system();

// For the native file systems: tries `make` with fresh names beside `beside` (its name, the
// process id, a counter shared by the whole process and safe across threads) until one is not
// taken yet. `temp_path` holds the name made, or is empty on failure.
FileError with_temp_name(const std::string& beside, unsigned long process_id,
                         std::string* temp_path,
                         const std::function<FileError(const std::string&)>& make);

// Whole transfers over the single calls: write_all goes on after short writes; read_all reads
// up to `limit` bytes or the end of the file.
FileError write_all(FileSystem& fs, FileHandle handle, const uint8_t* data, size_t size);
FileError read_all(FileSystem& fs, FileHandle handle, size_t limit, std::vector<uint8_t>* bytes);

// The steps of put_file_in_place, named so that a caller can say which one failed.
enum class PlaceStep {
  kNone,
  kCreateTemp,
  kWrite,
  kCopyAttributes,
  kSync,
  kLock,
  kRename,
  kSyncFolder,
};
const char* place_step_name(PlaceStep step);  // "write", "flush", "rename"...

struct PlaceOutcome {
  PlaceStep failed_step = PlaceStep::kNone;
  FileError error;
  bool placed = false;  // the rename happened: the target names the new file

  bool failed() const { return failed_step != PlaceStep::kNone; }
};

// Replaces the file `target` crash-safely: writes `bytes` to a new temporary file beside it,
// gives it the attributes `like` describes (unless null), flushes it, takes its writer lock,
// renames it over `target` and syncs the folder. A failure before the rename removes the
// temporary file and leaves `target` untouched; only a failed folder sync comes after it.
// `open_target` is as for FileSystem::replace; when it is open, the new file also gets its
// extended attributes. `keep_open`, unless null, receives the new file's handle, still open so
// that its lock lasts.
PlaceOutcome put_file_in_place(FileSystem& fs, const std::string& target,
                               const std::vector<uint8_t>& bytes, const FileInfo* like,
                               FileHandle* open_target, FileHandle* keep_open);

// Closes a handle when it goes out of scope.
class ScopedHandle {
 public:
  explicit ScopedHandle(FileSystem& fs) : fs_(fs) {}
  ~ScopedHandle() { fs_.close(&handle); }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;

  FileHandle handle;

 private:
  FileSystem& fs_;
};

// ---- fault injection, for tests ----

enum class FileOp {
  kOpenRead,
  kOpenUpdate,
  kCreateTemp,
  kLinkTemp,
  kWrite,
  kRead,
  kSync,
  kTryLock,
  kStat,
  kStatPath,
  kIsLink,
  kCopyAttributes,
  kReplace,
  kSyncFolder,
  kRenameNew,
  kRemove,  // the last: counts are kept per operation up to it
};
const char* file_op_name(FileOp op);

// Passes every call to another file system, logging it, and makes chosen calls misbehave.
class FaultyFileSystem : public FileSystem {
 public:
  explicit FaultyFileSystem(FileSystem& real) : real_(real) {}

  // The `nth` call (from 1; 0: every call) of `op` fails with `kind` and `text`, without
  // reaching the file system. A failing read or write transfers nothing.
  void fail(FileOp op, int nth, FileErrorKind kind = FileErrorKind::kOther,
            const std::string& text = "Input/output error");
  // The `nth` read call returns its bytes with the first one changed.
  void corrupt_read(int nth) { corrupt_read_ = nth; }
  // Every write call transfers at most this many bytes.
  void limit_write_calls(size_t bytes) { write_call_limit_ = bytes; }
  // The disk takes this many more bytes in all; then a write comes up short and the next fails
  // with kNoSpace.
  void set_free_space(uint64_t bytes) { free_space_ = bytes; limited_space_ = true; }
  // sync() returns at once without flushing (a benchmark's comparison).
  void skip_syncs(bool skip) { skip_syncs_ = skip; }
  // Runs `action` just before the `nth` call of `op` reaches the file system.
  void before(FileOp op, int nth, std::function<void()> action);

  // Every call made, in order.
  const std::vector<FileOp>& calls() const { return calls_; }

  std::string final_path(const std::string& path) override;
  FileError open_read(const std::string& path, FileHandle* handle) override;
  FileError open_update(const std::string& path, FileHandle* handle) override;
  FileError create_temp(const std::string& beside, FileHandle* handle,
                        std::string* temp_path) override;
  FileError link_temp(const std::string& existing, std::string* temp_path) override;
  FileError write(FileHandle handle, const uint8_t* data, size_t size, size_t* written) override;
  FileError read(FileHandle handle, uint8_t* data, size_t size, size_t* got) override;
  FileError sync(FileHandle handle) override;
  void close(FileHandle* handle) override;
  FileError try_lock(FileHandle handle) override;
  FileError stat(FileHandle handle, FileInfo* info) override;
  FileError stat_path(const std::string& path, FileInfo* info) override;
  FileError is_link(const std::string& path, bool* link) override;
  FileError copy_attributes(FileHandle handle, const FileInfo& like) override;
  FileError replace(const std::string& from, const std::string& to,
                    FileHandle* open_target) override;
  FileError sync_folder(const std::string& path) override;
  FileError remove(const std::string& path) override;
  FileError make_folder(const std::string& path) override { return real_.make_folder(path); }
  FileError list_folder(const std::string& path, std::vector<std::string>* names) override {
    return real_.list_folder(path, names);
  }
  FileError rename_new(const std::string& from, const std::string& to) override;
  FileError copy_extended_attributes(FileHandle from, FileHandle to) override {
    return real_.copy_extended_attributes(from, to);
  }
  unsigned long process_id() override { return real_.process_id(); }
  bool process_exists(unsigned long id) override { return real_.process_exists(id); }

 private:
  struct Planned {
    FileOp op;
    int nth;
    FileErrorKind kind;
    std::string text;
    std::function<void()> action;
  };
  // Logs the call; returns the planned failure, if any, after running any planned action.
  FileError enter(FileOp op);
  int count(FileOp op) const;

  FileSystem& real_;
  std::vector<FileOp> calls_;
  int counts_[static_cast<int>(FileOp::kRemove) + 1] = {};
  std::vector<Planned> planned_;
  int corrupt_read_ = 0;
  size_t write_call_limit_ = 0;
  bool limited_space_ = false;
  uint64_t free_space_ = 0;
  bool skip_syncs_ = false;
};

}  // namespace vcv
