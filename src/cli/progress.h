// Progress for commands that can take a while: shown on the error stream only when it is a
// terminal, and only once the work has taken longer than a moment, so scripts and quick runs
// see nothing of it.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

namespace vcv::cli {

bool is_terminal(std::FILE* stream);

class Progress {
 public:
  Progress(std::FILE* stream, std::string what);
  ~Progress();
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  // `done` of `total` steps are finished.
  void update(int done, int total);

 private:
  std::FILE* stream_;
  std::string what_;
  bool terminal_;
  bool shown_ = false;
  std::chrono::steady_clock::time_point start_;
};

}  // namespace vcv::cli
