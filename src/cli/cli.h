// The companion command-line tool. Exit codes: 0 success, 1 failure, 2 usage error; every
// failure writes one line to the error stream.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace vcv::cli {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

struct Streams {
  std::FILE* out;
  std::FILE* err;
};

// Runs one command line (arguments without the program name). UTF-8 text throughout.
int run_cli(const std::vector<std::string>& args, Streams streams);

// ---- shared helpers for the commands ----

// Parses decimal, or hexadecimal with a 0x prefix; the whole text must be a number. For counts,
// sizes, offsets and delays.
bool parse_number(const std::string& text, long long* value);
// Parses hexadecimal with or without a 0x prefix, as the program shows ids ("1F0", "0x1F0");
// the whole text must be a number. For entry, frame, image, animation, sequence, block and
// weapon-palette numbers.
bool parse_id(const std::string& text, long long* value);

// Walks the arguments of one command: flags with or without a value, and positionals.
class ArgReader {
 public:
  explicit ArgReader(std::vector<std::string> args) : args_(std::move(args)) {}
  // Takes "--name VALUE" (or "--name=VALUE"); false when absent. Sets error, and gives false,
  // when the value is missing (nothing follows, or another option does) or the option is given
  // twice.
  bool take_value(const std::string& name, std::string* value);
  // Takes "--name"; sets error when it is given twice.
  bool take_flag(const std::string& name);
  // What is left after the flags have been taken; unknown "--" options count as an error.
  std::vector<std::string> positionals();
  const std::string& error() const { return error_; }

 private:
  void fail(const std::string& text);  // keeps the first error

  std::vector<std::string> args_;
  std::string error_;
};


// What --help says of the numbers every command takes.
extern const char kNumbersHelp[];
// What demo-rom and verify say of the demo ROM's planted faults ("; it carries ...").
extern const char kPlantedFaults[];

// One command: its name, its synopsis for --help, and its handler.
struct Command {
  const char* name;
  const char* synopsis;
  int (*run)(const std::vector<std::string>& args, Streams streams);
};

// The commands, each defined in its own cmd_*.cpp file.
int cmd_pack(const std::vector<std::string>& args, Streams streams);
int cmd_unpack(const std::vector<std::string>& args, Streams streams);
int cmd_demo_rom(const std::vector<std::string>& args, Streams streams);
int cmd_info(const std::vector<std::string>& args, Streams streams);
int cmd_export(const std::vector<std::string>& args, Streams streams);
int cmd_import(const std::vector<std::string>& args, Streams streams);
int cmd_dump(const std::vector<std::string>& args, Streams streams);
int cmd_apply(const std::vector<std::string>& args, Streams streams);
int cmd_verify(const std::vector<std::string>& args, Streams streams);
int cmd_map(const std::vector<std::string>& args, Streams streams);
int cmd_patch(const std::vector<std::string>& args, Streams streams);
int cmd_history(const std::vector<std::string>& args, Streams streams);
int cmd_restore(const std::vector<std::string>& args, Streams streams);

}  // namespace vcv::cli
