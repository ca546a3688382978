// vantorchar: the command-line companion of the viewer, for scripting and batch work.
#include <string>
#include <vector>

#include "cli/cli.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return vcv::cli::run_cli(args, {stdout, stderr});
}
