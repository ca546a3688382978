// Runs one command line of the command-line tool with its output and error streams captured.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace vcv::cli_test {

// Whether an image program the tests compare with (ImageMagick's convert, identify) is installed;
// the project's set-up installs it, so a test skips only on a machine set up otherwise.
inline bool have_program(const std::string& name) {
  return std::system((name + " -version > /dev/null 2>&1").c_str()) == 0;
}

struct CliRun {
  int code = -1;
  std::string out;
  std::string err;
};

inline std::string read_and_close(std::FILE* file) {
  std::string text;
  std::rewind(file);
  char buffer[4096];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
  std::fclose(file);
  return text;
}

inline CliRun run_captured(const std::vector<std::string>& args) {
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  CliRun result;
  result.code = cli::run_cli(args, {out, err});
  result.out = read_and_close(out);
  result.err = read_and_close(err);
  return result;
}

}  // namespace vcv::cli_test
