#include "cli/progress.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace vcv::cli {

namespace {
constexpr auto kQuietTime = std::chrono::milliseconds(300);  // quicker work shows no progress
}

bool is_terminal(std::FILE* stream) {
#ifdef _WIN32
  return _isatty(_fileno(stream)) != 0;
#else
  return isatty(fileno(stream)) != 0;
#endif
}

Progress::Progress(std::FILE* stream, std::string what)
    : stream_(stream), what_(std::move(what)), terminal_(is_terminal(stream)),
      start_(std::chrono::steady_clock::now()) {}

Progress::~Progress() {
  if (shown_) std::fputs("\r\033[K", stream_);  // clear the progress line
}

void Progress::update(int done, int total) {
  if (!terminal_ || total <= 0) return;
  if (!shown_ && std::chrono::steady_clock::now() - start_ < kQuietTime) return;
  shown_ = true;
  std::fprintf(stream_, "\r%s: %d of %d", what_.c_str(), done, total);
  std::fflush(stream_);
}

}  // namespace vcv::cli
