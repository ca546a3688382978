// What every command of vantorchar shares: ids read in hexadecimal as the program shows them,
// one line for an option without its value or given twice, COMMAND --help, one exit rule for the
// commands that write, and numbers past a range said aloud instead of silently replaced.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_test_support.h"
#include "temp_folder.h"
#include "vantor_version.h"
#include "write_test_support.h"

namespace vcv {
namespace {

using cli_test::CliRun;
using testing_support::TempFolder;

CliRun run(const std::vector<std::string>& args) { return cli_test::run_captured(args); }

class CliOptionsTest : public ::testing::Test {
 protected:
  void SetUp() override { folder.write("demo.sfc", testing_support::demo_rom_bytes()); }
  std::vector<std::string> with_rom(std::vector<std::string> args) const {
    for (std::string& arg : args) {
      if (arg == "ROM") arg = rom;
      else if (arg.rfind("OUT", 0) == 0) arg = folder.path(arg.substr(3));
    }
    return args;
  }

  TempFolder folder{"options"};
  std::string rom = folder.path("demo.sfc");
};

TEST_F(CliOptionsTest, IdsAreHexadecimalAsTheProgramShowsThem) {
  // Each pair names the same thing; a count or delay stays decimal.
  const struct {
    std::vector<std::string> args, same_as;
  } cases[] = {
      {{"info", "ROM", "--entry", "1F0"}, {"info", "ROM", "--entry", "0x1F0"}},
      {{"info", "ROM", "--entry", "100"}, {"info", "ROM", "--entry", "0x100"}},
      {{"info", "ROM", "--entry", "C", "--image", "5", "--block", "a"},
       {"info", "ROM", "--entry", "0xC", "--image", "0x5", "--block", "0xA"}},
      {{"info", "ROM", "--entry", "7", "--mode", "sequence", "--anim", "1", "--seq", "2",
        "--weapon-palette", "1f"},
       {"info", "ROM", "--entry", "0x7", "--mode", "sequence", "--anim", "0x1", "--seq", "0x2",
        "--weapon-palette", "0x1F"}},
  };
  for (const auto& c : cases) {
    const CliRun a = run(with_rom(c.args)), b = run(with_rom(c.same_as));
    ASSERT_EQ(a.code, 0) << c.args[3] << ": " << a.err;
    EXPECT_EQ(a.out, b.out) << c.args[3];
  }
  // Entry 100 is not entry 64: the enemy table's first record, not a character's.
  EXPECT_NE(run(with_rom({"info", "ROM", "--entry", "100"})).out,
            run(with_rom({"info", "ROM", "--entry", "0x40"})).out);
  // A frame id: export --frame 10 is frame 0x10, past the six frames of entry 00C.
  const CliRun frame = run(with_rom({"export", "ROM", "--entry", "C", "--frame", "10", "-o",
                                     "OUTf.png"}));
  EXPECT_EQ(frame.code, 1);
  EXPECT_NE(frame.err.find("frames 00 to 05; 10 is not one of them"), std::string::npos)
      << frame.err;
  // Out of range or not hexadecimal: the range in hexadecimal.
  const CliRun wrong = run(with_rom({"info", "ROM", "--entry", "1FC"}));
  EXPECT_EQ(wrong.code, cli::kExitUsage);
  EXPECT_EQ(wrong.err, "vantorchar info: --entry takes a hexadecimal number from 000 to 1FB, "
                       "not '1FC'\n");
  // A delay stays decimal: 150 ms is 15 hundredths.
  const CliRun gif = run(with_rom({"export", "ROM", "--entry", "7", "--anim", "0", "--delay",
                                   "150", "-o", "OUTa.gif"}));
  ASSERT_EQ(gif.code, 0) << gif.err;
  EXPECT_NE(gif.out.find(", 150 ms each)"), std::string::npos) << gif.out;
  // The help says so, and the version is the one that changed the rule.
  const CliRun help = run({"--help"});
  EXPECT_NE(help.out.find("Ids are hexadecimal"), std::string::npos);
  EXPECT_EQ(run({"--version"}).out, std::string("vantorchar ") + VCV_VERSION_STRING + "\n");
  EXPECT_EQ(std::string(VCV_VERSION_STRING).rfind("2.", 0), 0u);
}

TEST_F(CliOptionsTest, AnOptionWithoutItsValueOrGivenTwiceIsOneLineNamingIt) {
  const struct {
    std::vector<std::string> args;
    const char* line;
  } cases[] = {
      {{"info", "ROM", "--entry"}, "vantorchar info: --entry needs a value"},
      {{"info", "ROM", "--entry", "--image", "3"}, "vantorchar info: --entry needs a value"},
      {{"info", "ROM", "--mode", "--entry", "1"}, "vantorchar info: --mode needs a value"},
      {{"export", "ROM", "--entry", "1", "-o", "OUTx.png", "--frame"},
       "vantorchar export: --frame needs a value"},
      {{"import", "ROM", "--entry", "7", "OUTp.png", "--weapon-palette"},
       "vantorchar import: --weapon-palette needs a value"},
      {{"unpack", "ROM", "OUTu.bin", "--offset"}, "vantorchar unpack: --offset needs a value"},
      {{"map", "ROM", "--png"}, "vantorchar map: --png needs a value"},
      {{"info", "ROM", "--entry", "1", "--entry", "2"}, "vantorchar info: --entry was given twice"},
      {{"info", "ROM", "--entry=1", "--entry", "2"}, "vantorchar info: --entry was given twice"},
      {{"import", "ROM", "--entry", "7", "OUTp.png", "--yes", "--yes"},
       "vantorchar import: --yes was given twice"},
      {{"export", "ROM", "--entry", "1", "--sheet", "-o", "OUTa.png", "--output", "OUTb.png"},
       "vantorchar export: -o and --output name one output"},
  };
  for (const auto& c : cases) {
    const CliRun r = run(with_rom(c.args));
    EXPECT_EQ(r.code, cli::kExitUsage) << c.line;
    EXPECT_EQ(r.err.rfind(std::string(c.line) + ";", 0), 0u) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
    EXPECT_TRUE(r.out.empty()) << r.out;
  }
}

TEST_F(CliOptionsTest, CommandHelpPrintsThatCommandsUsage) {
  for (const char* command : {"pack", "unpack", "demo-rom", "info", "export", "import", "dump",
                              "apply", "verify", "map"}) {
    for (const char* flag : {"--help", "-h"}) {
      const CliRun r = run({command, flag});
      EXPECT_EQ(r.code, cli::kExitOk) << command << " " << flag;
      EXPECT_EQ(r.out.rfind(std::string("usage: vantorchar ") + command + " ", 0), 0u) << r.out;
      EXPECT_NE(r.out.find("Ids are hexadecimal"), std::string::npos) << command;
      EXPECT_TRUE(r.err.empty()) << r.err;
    }
  }
  // Also after other arguments, and nothing is done.
  const CliRun late = run(with_rom({"apply", "ROM", "OUTdir", "--yes", "--help"}));
  EXPECT_EQ(late.code, cli::kExitOk);
  EXPECT_FALSE(std::filesystem::exists(folder.path("dir")));
}

// Without --yes a command that writes prints its plan, writes nothing and fails; --dry-run
// prints the plan and succeeds. The same rule for import and apply.
TEST_F(CliOptionsTest, ImportAndApplyHaveOneExitRule) {
  // A dump with one palette colour changed, and the sheet of entry 007 (written back in place,
  // so the write confirmation is asked).
  ASSERT_EQ(run(with_rom({"dump", "ROM", "OUTdump"})).code, 0);
  const std::string palettes_path = folder.path("dump/palettes.json");
  std::vector<uint8_t> palettes = testing_support::read_all(palettes_path);
  std::string text(palettes.begin(), palettes.end());
  const size_t word = text.find("[\"", text.find("\"00\": ")) + 2;  // palette type 00, colour 1
  text.replace(word, 4, text.compare(word, 4, "1234") == 0 ? "4321" : "1234");
  testing_support::write_all(palettes_path, std::vector<uint8_t>(text.begin(), text.end()));
  ASSERT_EQ(run(with_rom({"export", "ROM", "--entry", "7", "--sheet", "-o", "OUTsheet.bmp"})).code,
            0);

  const struct {
    std::vector<std::string> args;
    const char* plan;  // printed in every case
  } commands[] = {
      {{"import", "ROM", "--entry", "7", "OUTsheet.bmp"}, "[Write Confirm]"},
      {{"apply", "ROM", "OUTdump"}, "1 change planned"},
  };
  for (const auto& c : commands) {
    const CliRun plain = run(with_rom(c.args));
    EXPECT_EQ(plain.code, cli::kExitFailure) << c.args[0];
    EXPECT_NE(plain.out.find(c.plan), std::string::npos) << plain.out;
    EXPECT_EQ(plain.err, "vantorchar " + c.args[0] + ": nothing written: add --yes\n");
    std::vector<std::string> dry = c.args;
    dry.push_back("--dry-run");
    const CliRun dry_run = run(with_rom(dry));
    EXPECT_EQ(dry_run.code, cli::kExitOk) << c.args[0] << ": " << dry_run.err;
    EXPECT_NE(dry_run.out.find(c.plan), std::string::npos);
    EXPECT_NE(dry_run.out.find("nothing written (--dry-run)\n"), std::string::npos);
    EXPECT_TRUE(testing_support::read_all(rom) == testing_support::demo_rom_bytes()) << c.args[0];
  }
}

// A number past the entry's range shows what the panel shows, and says so on the error stream.
TEST_F(CliOptionsTest, NumbersPastTheRangeAreSaidNotSilentlyReplaced) {
  const CliRun image = run(with_rom({"info", "ROM", "--entry", "C", "--image", "99"}));
  EXPECT_EQ(image.code, 0);
  EXPECT_NE(image.out.find("(ImageNo=05)"), std::string::npos);
  EXPECT_EQ(image.err, "vantorchar info: note: image 99 is past the images of entry 00C "
                       "(00 to 05); image 05 is shown\n");
  EXPECT_EQ(run(with_rom({"info", "ROM", "--entry", "C", "--image", "5"})).err, "");
  // The demo's critters: animation 03 steps to image 30, past their nine frames.
  const CliRun past = run(with_rom({"info", "ROM", "--entry", "8", "--mode", "sequence",
                                    "--anim", "3", "--seq", "1"}));
  EXPECT_NE(past.err.find("note: step 1 of animation 03 names image 30, past the images of "
                          "entry 008 (00 to 08)"),
            std::string::npos)
      << past.err;
  const CliRun gif = run(with_rom({"export", "ROM", "--entry", "8", "--anim", "3", "-o",
                                   "OUTc.gif"}));
  EXPECT_EQ(gif.code, 0) << gif.err;
  EXPECT_NE(gif.err.find("note: step 1 of animation 03 names image 30, past the images of entry "
                         "008"),
            std::string::npos)
      << gif.err;
}

}  // namespace
}  // namespace vcv
