// The Windows file system: CreateFileW/WriteFile/FlushFileBuffers/MoveFileExW. The writer lock
// is the share mode: files opened for writing deny writing to every other handle.
//
// The portable core never includes windows.h; the few kernel32 functions needed are declared
// here with their exact Win32 types (on i686 the linker checks their argument sizes through the
// decorated names).
#ifdef _WIN32

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/portability.h"
#include "platform/text_encoding.h"

namespace vcv {
namespace win32 {

using Bool = int;
using Dword = unsigned long;  // 32 bits on Windows
using Handle = void*;

struct FileTime {
  Dword low;
  Dword high;
};

struct ByHandleFileInformation {
  Dword attributes;
  FileTime creation_time;
  FileTime last_access_time;
  FileTime last_write_time;
  Dword volume_serial;
  Dword size_high;
  Dword size_low;
  Dword link_count;
  Dword index_high;
  Dword index_low;
};
static_assert(sizeof(ByHandleFileInformation) == 52, "BY_HANDLE_FILE_INFORMATION layout");

struct FileBasicInfo {
  int64_t creation_time;  // 0: leave unchanged
  int64_t last_access_time;
  int64_t last_write_time;
  int64_t change_time;
  Dword attributes;
};
static_assert(sizeof(FileBasicInfo) == 40, "FILE_BASIC_INFO layout");

struct FindData {  // WIN32_FIND_DATAW
  Dword attributes;
  FileTime creation_time;
  FileTime last_access_time;
  FileTime last_write_time;
  Dword size_high;
  Dword size_low;
  Dword reserved0;
  Dword reserved1;
  wchar_t name[260];
  wchar_t short_name[14];
};
static_assert(sizeof(FindData) == 592, "WIN32_FIND_DATAW layout");

extern "C" {
__declspec(dllimport) Handle __stdcall CreateFileW(const wchar_t* name, Dword access, Dword share,
                                                   void* security, Dword disposition,
                                                   Dword flags, Handle template_file);
__declspec(dllimport) Bool __stdcall ReadFile(Handle file, void* buffer, Dword size, Dword* got,
                                              void* overlapped);
__declspec(dllimport) Bool __stdcall WriteFile(Handle file, const void* buffer, Dword size,
                                               Dword* written, void* overlapped);
__declspec(dllimport) Bool __stdcall FlushFileBuffers(Handle file);
__declspec(dllimport) Bool __stdcall CloseHandle(Handle object);
__declspec(dllimport) Bool __stdcall MoveFileExW(const wchar_t* from, const wchar_t* to,
                                                 Dword flags);
__declspec(dllimport) Bool __stdcall DeleteFileW(const wchar_t* name);
__declspec(dllimport) Bool __stdcall CreateHardLinkW(const wchar_t* name, const wchar_t* existing,
                                                     void* security);
__declspec(dllimport) Bool __stdcall GetFileInformationByHandle(Handle file,
                                                                ByHandleFileInformation* info);
__declspec(dllimport) Dword __stdcall GetFileType(Handle file);
__declspec(dllimport) Bool __stdcall SetFileInformationByHandle(Handle file, int info_class,
                                                                void* info, Dword size);
__declspec(dllimport) Dword __stdcall GetFileAttributesW(const wchar_t* name);
__declspec(dllimport) Dword __stdcall GetLastError();
__declspec(dllimport) Dword __stdcall GetCurrentProcessId();
__declspec(dllimport) Handle __stdcall OpenProcess(Dword access, Bool inherit, Dword id);
__declspec(dllimport) Bool __stdcall GetExitCodeProcess(Handle process, Dword* code);
__declspec(dllimport) Bool __stdcall CreateDirectoryW(const wchar_t* name, void* security);
__declspec(dllimport) Handle __stdcall FindFirstFileW(const wchar_t* pattern, void* data);
__declspec(dllimport) Bool __stdcall FindNextFileW(Handle find, void* data);
__declspec(dllimport) Bool __stdcall FindClose(Handle find);
__declspec(dllimport) Dword __stdcall FormatMessageW(Dword flags, const void* source,
                                                     Dword message_id, Dword language_id,
                                                     wchar_t* buffer, Dword size, void* arguments);
}

constexpr Dword kGenericRead = 0x80000000;
constexpr Dword kGenericWrite = 0x40000000;
constexpr Dword kReadAttributes = 0x80;
constexpr Dword kShareRead = 1;
constexpr Dword kShareWrite = 2;
constexpr Dword kShareDelete = 4;
constexpr Dword kCreateNew = 1;
constexpr Dword kOpenExisting = 3;
constexpr Dword kAttributeReadOnly = 0x1;
constexpr Dword kAttributeHidden = 0x2;
constexpr Dword kAttributeSystem = 0x4;
constexpr Dword kAttributeDirectory = 0x10;
constexpr Dword kAttributeArchive = 0x20;
constexpr Dword kAttributeNormal = 0x80;
constexpr Dword kAttributeReparsePoint = 0x400;
constexpr Dword kInvalidAttributes = 0xFFFFFFFF;
constexpr Dword kReparseTagNameSurrogate = 0x20000000;  // the point stands for another name
constexpr Dword kAttributeNotContentIndexed = 0x2000;
constexpr Dword kFlagBackupSemantics = 0x02000000;  // lets CreateFileW open a folder
constexpr Dword kMoveReplaceExisting = 0x1;
constexpr Dword kMoveWriteThrough = 0x8;
constexpr Dword kFileTypeDisk = 1;
constexpr int kFileBasicInfoClass = 0;
constexpr Dword kFormatFromSystem = 0x1000;
constexpr Dword kFormatIgnoreInserts = 0x200;

constexpr Dword kProcessQueryLimited = 0x1000;
constexpr Dword kStillActive = 259;
constexpr Dword kErrorAccessDenied = 5;

const Handle kInvalidHandle = reinterpret_cast<Handle>(static_cast<intptr_t>(-1));

}  // namespace win32

namespace {

using namespace win32;

FileError error_from_code(Dword code) {
  FileErrorKind kind = FileErrorKind::kOther;
  if (code == 2 || code == 3) kind = FileErrorKind::kNotFound;         // file, path not found
  if (code == 80 || code == 183) kind = FileErrorKind::kExists;        // file, already exists
  if (code == 5 || code == 19) kind = FileErrorKind::kAccessDenied;    // access, write-protect
  if (code == 32 || code == 33) kind = FileErrorKind::kBusy;           // sharing, lock violation
  if (code == 39 || code == 112) kind = FileErrorKind::kNoSpace;       // handle, disk full
  wchar_t buffer[512] = {};
  std::string text;
  if (FormatMessageW(kFormatFromSystem | kFormatIgnoreInserts, nullptr, code, 0, buffer, 512,
                     nullptr) > 0) {
    text = wide_to_utf8(buffer);
  }
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
    text.pop_back();
  }
  if (text.empty()) text = "Windows error " + std::to_string(code);
  return {kind, text};
}

FileError last_error() { return error_from_code(GetLastError()); }

Handle handle_of(FileHandle handle) { return reinterpret_cast<Handle>(handle.os); }

std::wstring wide(const std::string& path) { return utf8_to_wide(path); }

FileError open_handle(const std::string& path, Dword access, Dword share, Dword disposition,
                      Dword flags, FileHandle* handle) {
  const Handle h = CreateFileW(wide(path).c_str(), access, share, nullptr, disposition, flags,
                               nullptr);
  if (h == kInvalidHandle) return last_error();
  handle->os = reinterpret_cast<intptr_t>(h);
  return {};
}

// Writers open with this share mode: others may read and rename, but not write.
constexpr Dword kWriterShare = kShareRead | kShareDelete;
constexpr Dword kReaderShare = kShareRead | kShareWrite | kShareDelete;

class Win32FileSystem : public FileSystem {
 public:
  std::string final_path(const std::string& path) override { return path; }

  FileError open_read(const std::string& path, FileHandle* handle) override {
    return open_handle(path, kGenericRead, kReaderShare, kOpenExisting, 0, handle);
  }

  FileError open_update(const std::string& path, FileHandle* handle) override {
    return open_handle(path, kGenericRead | kGenericWrite, kWriterShare, kOpenExisting, 0, handle);
  }

  FileError create_temp(const std::string& beside, FileHandle* handle,
                        std::string* temp_path) override {
    const auto create = [&](const std::string& name) {
      return open_handle(name, kGenericRead | kGenericWrite, kWriterShare, kCreateNew,
                         kAttributeNormal, handle);
    };
    return with_temp_name(beside, process_id(), temp_path, create);
  }

  FileError link_temp(const std::string& existing, std::string* temp_path) override {
    const auto link = [&](const std::string& name) {
      return CreateHardLinkW(wide(name).c_str(), wide(existing).c_str(), nullptr) ? FileError{}
                                                                                 : last_error();
    };
    return with_temp_name(existing, process_id(), temp_path, link);
  }

  FileError write(FileHandle handle, const uint8_t* data, size_t size, size_t* written) override {
    *written = 0;
    const Dword chunk = size > (1u << 30) ? (1u << 30) : static_cast<Dword>(size);
    Dword done = 0;
    if (!WriteFile(handle_of(handle), data, chunk, &done, nullptr)) return last_error();
    *written = done;
    return {};
  }

  FileError read(FileHandle handle, uint8_t* data, size_t size, size_t* got) override {
    *got = 0;
    const Dword chunk = size > (1u << 30) ? (1u << 30) : static_cast<Dword>(size);
    Dword done = 0;
    if (!ReadFile(handle_of(handle), data, chunk, &done, nullptr)) return last_error();
    *got = done;
    return {};
  }

  FileError sync(FileHandle handle) override {
    return FlushFileBuffers(handle_of(handle)) ? FileError{} : last_error();
  }

  void close(FileHandle* handle) override {
    if (!handle->is_open()) return;
    CloseHandle(handle_of(*handle));
    handle->os = -1;
  }

  FileError try_lock(FileHandle) override { return {}; }

  FileError stat(FileHandle handle, FileInfo* info) override {
    *info = FileInfo{};
    // Devices and pipes have no file information to give; they are simply not regular files.
    if (GetFileType(handle_of(handle)) != kFileTypeDisk) return {};
    ByHandleFileInformation data{};
    if (!GetFileInformationByHandle(handle_of(handle), &data)) return last_error();
    info->regular = (data.attributes & kAttributeDirectory) == 0;
    info->size = (static_cast<uint64_t>(data.size_high) << 32) | data.size_low;
    info->device = data.volume_serial;
    info->node = (static_cast<uint64_t>(data.index_high) << 32) | data.index_low;
    info->mode = static_cast<uint32_t>(data.attributes);
    // 100-nanosecond ticks since 1601 to seconds since 1970.
    const uint64_t ticks = (static_cast<uint64_t>(data.last_write_time.high) << 32) |
                           data.last_write_time.low;
    info->modified = static_cast<int64_t>(ticks / 10000000) - 11644473600LL;
    return {};
  }

  FileError stat_path(const std::string& path, FileInfo* info) override {
    // Asking only for attributes passes any share mode, so this works on a locked file too.
    FileHandle handle;
    FileError error = open_handle(path, kReadAttributes, kReaderShare, kOpenExisting,
                                  kFlagBackupSemantics, &handle);
    if (error.failed()) return error;
    error = stat(handle, info);
    close(&handle);
    return error;
  }

  FileError is_link(const std::string& path, bool* link) override {
    *link = false;
    // GetFileAttributesW reports the name's own attributes: it does not follow a reparse point.
    const Dword attributes = GetFileAttributesW(wide(path).c_str());
    if (attributes == kInvalidAttributes) return last_error();
    if ((attributes & kAttributeReparsePoint) == 0) return {};
    // Only the tag tells a link from a placeholder of a cloud folder; a tag that cannot be read
    // counts as a link, so that nothing is ever followed on a guess.
    FindData data{};
    const Handle find = FindFirstFileW(wide(path).c_str(), &data);
    if (find == kInvalidHandle) {
      *link = true;
      return {};
    }
    FindClose(find);
    *link = (data.reserved0 & kReparseTagNameSurrogate) != 0;  // the reparse tag
    return {};
  }

  FileError copy_attributes(FileHandle handle, const FileInfo& like) override {
    FileBasicInfo basic{};
    basic.attributes = static_cast<Dword>(like.mode) &
                       (kAttributeHidden | kAttributeSystem | kAttributeArchive |
                        kAttributeNotContentIndexed | kAttributeReadOnly);
    if (basic.attributes == 0) basic.attributes = kAttributeNormal;
    if (!SetFileInformationByHandle(handle_of(handle), kFileBasicInfoClass, &basic,
                                    sizeof basic)) {
      return last_error();
    }
    return {};
  }

  FileError replace(const std::string& from, const std::string& to,
                    FileHandle* open_target) override {
    // Windows refuses to replace a file that any handle holds open, ours included.
    if (open_target != nullptr) close(open_target);
    if (!MoveFileExW(wide(from).c_str(), wide(to).c_str(),
                     kMoveReplaceExisting | kMoveWriteThrough)) {
      return last_error();
    }
    return {};
  }

  FileError sync_folder(const std::string&) override { return {}; }

  FileError remove(const std::string& path) override {
    return DeleteFileW(wide(path).c_str()) ? FileError{} : last_error();
  }

  FileError make_folder(const std::string& path) override {
    return CreateDirectoryW(wide(path).c_str(), nullptr) ? FileError{} : last_error();
  }

  FileError list_folder(const std::string& path, std::vector<std::string>* names) override {
    names->clear();
    FindData data{};
    const Handle find = FindFirstFileW(wide(path + "\\*").c_str(), &data);
    if (find == kInvalidHandle) return last_error();
    do {
      const std::string name = wide_to_utf8(data.name);
      if (name != "." && name != "..") names->push_back(name);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return {};
  }

  FileError rename_new(const std::string& from, const std::string& to) override {
    // Without MOVEFILE_REPLACE_EXISTING the move fails when `to` exists.
    return MoveFileExW(wide(from).c_str(), wide(to).c_str(), kMoveWriteThrough) ? FileError{}
                                                                                : last_error();
  }

  // Not kept here: what NTFS holds beside a file's data (alternate streams) stays with the old
  // file, which becomes the backup.
  FileError copy_extended_attributes(FileHandle, FileHandle) override { return {}; }

  unsigned long process_id() override { return GetCurrentProcessId(); }

  bool process_exists(unsigned long id) override {
    const Handle process = OpenProcess(kProcessQueryLimited, 0, static_cast<Dword>(id));
    if (process == nullptr) return GetLastError() == kErrorAccessDenied;
    Dword code = 0;
    const bool running = GetExitCodeProcess(process, &code) && code == kStillActive;
    CloseHandle(process);
    return running;
  }
};

}  // namespace

FileSystem& native_file_system() {
  static Win32FileSystem instance;
  return instance;
}

}  // namespace vcv

#endif  // _WIN32
