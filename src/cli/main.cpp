// vantorchar: the command-line companion of the viewer, for scripting and batch work.
#include <string>
#include <vector>

#include "cli/cli.h"

#ifdef _WIN32

namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;

void append_utf8(char32_t code, std::string* out) {
  if (code < 0x80) {
    out->push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (code >> 6)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (code >> 12)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (code >> 18)));
    out->push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

// Windows hands the arguments over as UTF-16; the commands take UTF-8. A lone surrogate
// (possible in file names) becomes U+FFFD.
std::string utf16_to_utf8(const wchar_t* text) {
  std::string out;
  for (size_t i = 0; text[i] != 0; ++i) {
    const char32_t unit = static_cast<char16_t>(text[i]);
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      const char32_t low = static_cast<char16_t>(text[i + 1]);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        append_utf8(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00), &out);
        ++i;
        continue;
      }
      append_utf8(kReplacementCharacter, &out);
    } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
      append_utf8(kReplacementCharacter, &out);
    } else {
      append_utf8(unit, &out);
    }
  }
  return out;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(utf16_to_utf8(argv[i]));
  return vcv::cli::run_cli(args, {stdout, stderr});
}

#else

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return vcv::cli::run_cli(args, {stdout, stderr});
}

#endif
