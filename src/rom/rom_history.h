// The history of a ROM: the states its writes replaced, kept beside it. Each write keeps the
// state before it as NAME.EXT.bak (rom_commit.h); the state that backup held before moves, by a
// rename, into the folder NAME.history beside the ROM as NAME.YYYYMMDD-HHMMSS.EXT, named after
// the time that state was written (its file's modification time, local time). A name taken
// already gets a suffix (-2, -3...); nothing is ever replaced, and files in the folder that do
// not have the form of this ROM's states are never touched. The oldest states beyond the number
// to keep are removed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace vcv {

// A file time (seconds since 1970) as local time in strftime's `format`.
std::string local_time_text(int64_t seconds, const char* format);

// States kept unless told otherwise (the window program always keeps this many).
constexpr int kDefaultHistoryKeep = 20;

// The folder of the ROM at `rom`: NAME.history beside it.
std::string history_folder(const std::string& rom);

struct HistoryState {
  std::string path;
  std::string time;  // "2024-05-01 12:00:03", from the name
  uint64_t size = 0;
};

// The states of the ROM in its history folder, oldest first; empty when there is no folder.
std::vector<HistoryState> list_history(const std::string& rom,
                                       FileSystem& fs = native_file_system());

struct HistoryMove {
  FileError error;            // why the state could not be kept; nothing moved then
  std::string kept_as;        // where the state went
  std::vector<std::string> removed;  // the oldest states removed to keep `keep`
};

// Moves the file `state` (the ROM's backup) into the history, then removes the oldest states
// beyond `keep` (at least 1).
HistoryMove move_into_history(const std::string& rom, const std::string& state, int keep,
                              FileSystem& fs = native_file_system());

}  // namespace vcv
