#include "x_clipboard.h"

#include <fstream>
#include <iterator>
#include <string>

#include "platform/file_io.h"

namespace vcv {
namespace {

// Starts `command` with the Unix shell: Wine starts a Unix program as it is, and xclip then
// reaches the X display Wine's clipboard is tied to. A Unix program gives Wine no exit code to
// wait for, so callers wait for what the command leaves behind. Files go through /tmp, which
// this program sees as Z:\tmp (Wine's drive for the root of the Unix file system).
bool start_unix_shell(const std::string& command) {
  std::wstring line = L"/bin/sh -c \"" + std::wstring(command.begin(), command.end()) + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(L"/bin/sh", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

std::string unix_temp_name(const char* suffix) {
  return "/tmp/vantor-gui-xclip-" + std::to_string(GetCurrentProcessId()) + suffix;
}

}  // namespace

UINT png_format() { return RegisterClipboardFormatW(L"PNG"); }

bool read_png_from_x(std::vector<uint8_t>* png) {
  const std::string out = unix_temp_name(".png");
  const std::string windows_name = "Z:" + out;
  if (!start_unix_shell("xclip -selection clipboard -t image/png -o > " + out +
                        ".part 2> /dev/null && mv " + out + ".part " + out)) {
    return false;
  }
  if (!wait_until([&] {
        return GetFileAttributesA(windows_name.c_str()) != INVALID_FILE_ATTRIBUTES;
      })) {
    return false;
  }
  std::ifstream file(windows_name, std::ios::binary);
  png->assign(std::istreambuf_iterator<char>(file), {});
  file.close();
  DeleteFileA(windows_name.c_str());
  return !png->empty();
}

bool offer_png_from_x(HWND owner, const std::vector<uint8_t>& png) {
  const std::string in = unix_temp_name("-offered.png");
  std::string error;
  if (!write_file_atomically("Z:" + in, png, &error)) return false;
  if (!OpenClipboard(owner)) return false;
  EmptyClipboard();  // so that a "PNG" can only come from X
  CloseClipboard();
  // xclip stays behind to serve the selection: it must not hold this program's output open.
  // Once the format shows, xclip has read the whole file.
  const bool offered = start_unix_shell("xclip -selection clipboard -t image/png -i " + in +
                                        " < /dev/null > /dev/null 2>&1") &&
                       wait_until([] { return IsClipboardFormatAvailable(png_format()) != 0; });
  DeleteFileA(("Z:" + in).c_str());
  return offered;
}

}  // namespace vcv
