// vantorchar: the command-line companion of the viewer, for scripting and batch work.
#include <string>
#include <vector>

#include "cli/cli.h"

#ifdef _WIN32

#include "platform/text_encoding.h"

// Windows hands the arguments over as UTF-16; the commands take UTF-8.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(vcv::wide_to_utf8(argv[i]));
  return vcv::cli::run_cli(args, {stdout, stderr});
}

#else

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return vcv::cli::run_cli(args, {stdout, stderr});
}

#endif
