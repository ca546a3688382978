#include "platform/file_system.h"

#include <atomic>
#include <utility>

namespace vcv {

FileError with_temp_name(const std::string& beside, unsigned long process_id,
                         std::string* temp_path,
                         const std::function<FileError(const std::string&)>& make) {
  static std::atomic<unsigned> counter{0};
  FileError error;
  for (int attempt = 0; attempt < 100; ++attempt) {
    *temp_path = beside + "." + std::to_string(process_id) + "-" +
                 std::to_string(counter.fetch_add(1)) + ".tmp";
    error = make(*temp_path);
    if (error.kind != FileErrorKind::kExists) break;
  }
  if (error.failed()) temp_path->clear();
  return error;
}

FileError write_all(FileSystem& fs, FileHandle handle, const uint8_t* data, size_t size) {
  while (size > 0) {
    size_t written = 0;
    FileError error = fs.write(handle, data, size, &written);
    if (error.failed()) return error;
    // A write that takes nothing and reports nothing would loop for ever.
    if (written == 0 || written > size) {
      return {FileErrorKind::kOther, "the write made no progress"};
    }
    data += written;
    size -= written;
  }
  return {};
}

FileError read_all(FileSystem& fs, FileHandle handle, size_t limit, std::vector<uint8_t>* bytes) {
  bytes->resize(limit);
  size_t filled = 0;
  while (filled < limit) {
    size_t got = 0;
    FileError error = fs.read(handle, bytes->data() + filled, limit - filled, &got);
    if (error.failed()) {
      bytes->clear();
      return error;
    }
    if (got == 0) break;
    filled += got;
  }
  bytes->resize(filled);
  return {};
}

const char* place_step_name(PlaceStep step) {
  switch (step) {
    case PlaceStep::kNone: return "";
    case PlaceStep::kCreateTemp: return "create temporary file";
    case PlaceStep::kWrite: return "write";
    case PlaceStep::kCopyAttributes: return "set permissions";
    case PlaceStep::kSync: return "flush";
    case PlaceStep::kLock: return "lock";
    case PlaceStep::kRename: return "rename";
    case PlaceStep::kSyncFolder: return "sync folder";
  }
  return "?";
}

PlaceOutcome put_file_in_place(FileSystem& fs, const std::string& target,
                               const std::vector<uint8_t>& bytes, const FileInfo* like,
                               FileHandle* open_target, FileHandle* keep_open) {
  PlaceOutcome out;
  std::string temp;
  FileHandle handle;
  out.error = fs.create_temp(target, &handle, &temp);
  if (out.error.failed()) {
    out.failed_step = PlaceStep::kCreateTemp;
    return out;
  }
  auto abandon = [&](PlaceStep step) {
    fs.close(&handle);
    fs.remove(temp);
    out.failed_step = step;
    return out;
  };
  if ((out.error = write_all(fs, handle, bytes.data(), bytes.size())).failed()) {
    return abandon(PlaceStep::kWrite);
  }
  if (like != nullptr && (out.error = fs.copy_attributes(handle, *like)).failed()) {
    return abandon(PlaceStep::kCopyAttributes);
  }
  if (open_target != nullptr && open_target->is_open() &&
      (out.error = fs.copy_extended_attributes(*open_target, handle)).failed()) {
    return abandon(PlaceStep::kCopyAttributes);
  }
  if ((out.error = fs.sync(handle)).failed()) return abandon(PlaceStep::kSync);
  if ((out.error = fs.try_lock(handle)).failed()) return abandon(PlaceStep::kLock);
  if ((out.error = fs.replace(temp, target, open_target)).failed()) {
    return abandon(PlaceStep::kRename);
  }
  out.placed = true;
  if (keep_open != nullptr) {
    *keep_open = handle;
  } else {
    fs.close(&handle);
  }
  if ((out.error = fs.sync_folder(target)).failed()) out.failed_step = PlaceStep::kSyncFolder;
  return out;
}

const char* file_op_name(FileOp op) {
  switch (op) {
    case FileOp::kOpenRead: return "open_read";
    case FileOp::kOpenUpdate: return "open_update";
    case FileOp::kCreateTemp: return "create_temp";
    case FileOp::kLinkTemp: return "link_temp";
    case FileOp::kWrite: return "write";
    case FileOp::kRead: return "read";
    case FileOp::kSync: return "sync";
    case FileOp::kTryLock: return "try_lock";
    case FileOp::kStat: return "stat";
    case FileOp::kStatPath: return "stat_path";
    case FileOp::kIsLink: return "is_link";
    case FileOp::kCopyAttributes: return "copy_attributes";
    case FileOp::kReplace: return "replace";
    case FileOp::kSyncFolder: return "sync_folder";
    case FileOp::kRenameNew: return "rename_new";
    case FileOp::kRemove: return "remove";
  }
  return "?";
}

// ---- FaultyFileSystem ----

void FaultyFileSystem::fail(FileOp op, int nth, FileErrorKind kind, const std::string& text) {
  planned_.push_back({op, nth, kind, text, nullptr});
}

void FaultyFileSystem::before(FileOp op, int nth, std::function<void()> action) {
  planned_.push_back({op, nth, FileErrorKind::kNone, "", std::move(action)});
}

int FaultyFileSystem::count(FileOp op) const { return counts_[static_cast<int>(op)]; }

FileError FaultyFileSystem::enter(FileOp op) {
  calls_.push_back(op);
  const int nth = ++counts_[static_cast<int>(op)];
  FileError result;
  for (const Planned& plan : planned_) {
    if (plan.op != op || (plan.nth != nth && plan.nth != 0)) continue;
    if (plan.action) plan.action();
    if (plan.kind != FileErrorKind::kNone) result = {plan.kind, plan.text};
  }
  return result;
}

std::string FaultyFileSystem::final_path(const std::string& path) { return real_.final_path(path); }

FileError FaultyFileSystem::open_read(const std::string& path, FileHandle* handle) {
  FileError fault = enter(FileOp::kOpenRead);
  return fault.failed() ? fault : real_.open_read(path, handle);
}

FileError FaultyFileSystem::open_update(const std::string& path, FileHandle* handle) {
  FileError fault = enter(FileOp::kOpenUpdate);
  return fault.failed() ? fault : real_.open_update(path, handle);
}

FileError FaultyFileSystem::create_temp(const std::string& beside, FileHandle* handle,
                                        std::string* temp_path) {
  FileError fault = enter(FileOp::kCreateTemp);
  return fault.failed() ? fault : real_.create_temp(beside, handle, temp_path);
}

FileError FaultyFileSystem::link_temp(const std::string& existing, std::string* temp_path) {
  FileError fault = enter(FileOp::kLinkTemp);
  return fault.failed() ? fault : real_.link_temp(existing, temp_path);
}

FileError FaultyFileSystem::write(FileHandle handle, const uint8_t* data, size_t size,
                                  size_t* written) {
  *written = 0;
  FileError fault = enter(FileOp::kWrite);
  if (fault.failed()) return fault;
  if (write_call_limit_ > 0 && size > write_call_limit_) size = write_call_limit_;
  if (limited_space_) {
    if (free_space_ == 0) return {FileErrorKind::kNoSpace, "No space left on device"};
    if (size > free_space_) size = static_cast<size_t>(free_space_);
  }
  FileError error = real_.write(handle, data, size, written);
  if (limited_space_) free_space_ -= *written;
  return error;
}

FileError FaultyFileSystem::read(FileHandle handle, uint8_t* data, size_t size, size_t* got) {
  *got = 0;
  FileError fault = enter(FileOp::kRead);
  if (fault.failed()) return fault;
  FileError error = real_.read(handle, data, size, got);
  if (!error.failed() && *got > 0 && count(FileOp::kRead) == corrupt_read_) data[0] ^= 0xFF;
  return error;
}

FileError FaultyFileSystem::sync(FileHandle handle) {
  FileError fault = enter(FileOp::kSync);
  if (fault.failed() || skip_syncs_) return fault;
  return real_.sync(handle);
}

void FaultyFileSystem::close(FileHandle* handle) { real_.close(handle); }

FileError FaultyFileSystem::try_lock(FileHandle handle) {
  FileError fault = enter(FileOp::kTryLock);
  return fault.failed() ? fault : real_.try_lock(handle);
}

FileError FaultyFileSystem::stat(FileHandle handle, FileInfo* info) {
  FileError fault = enter(FileOp::kStat);
  return fault.failed() ? fault : real_.stat(handle, info);
}

FileError FaultyFileSystem::stat_path(const std::string& path, FileInfo* info) {
  FileError fault = enter(FileOp::kStatPath);
  return fault.failed() ? fault : real_.stat_path(path, info);
}

FileError FaultyFileSystem::is_link(const std::string& path, bool* link) {
  *link = false;
  FileError fault = enter(FileOp::kIsLink);
  return fault.failed() ? fault : real_.is_link(path, link);
}

FileError FaultyFileSystem::copy_attributes(FileHandle handle, const FileInfo& like) {
  FileError fault = enter(FileOp::kCopyAttributes);
  return fault.failed() ? fault : real_.copy_attributes(handle, like);
}

FileError FaultyFileSystem::replace(const std::string& from, const std::string& to,
                                    FileHandle* open_target) {
  FileError fault = enter(FileOp::kReplace);
  return fault.failed() ? fault : real_.replace(from, to, open_target);
}

FileError FaultyFileSystem::sync_folder(const std::string& path) {
  FileError fault = enter(FileOp::kSyncFolder);
  if (fault.failed() || skip_syncs_) return fault;
  return real_.sync_folder(path);
}

FileError FaultyFileSystem::rename_new(const std::string& from, const std::string& to) {
  FileError fault = enter(FileOp::kRenameNew);
  return fault.failed() ? fault : real_.rename_new(from, to);
}

FileError FaultyFileSystem::remove(const std::string& path) {
  FileError fault = enter(FileOp::kRemove);
  return fault.failed() ? fault : real_.remove(path);
}

}  // namespace vcv
