#include "cli/cli.h"

#include "vantor_version.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <new>

namespace vcv::cli {

namespace {

const Command kCommands[] = {
    {"pack", "pack [--mode short|long|best|optimal] [--search fast|scan] IN OUT", cmd_pack},
    {"unpack", "unpack IN OUT [--offset N | --address BANK:OFFSET] [--limit N]", cmd_unpack},
    {"demo-rom", "demo-rom [--clean] OUT.sfc\n"
                 "      (the demo ROM carries two faults on purpose: graphics 27 does not decode,\n"
                 "      and an animation step names an image past the last frame; --clean leaves\n"
                 "      both out)",
     cmd_demo_rom},
    {"info",
     "info ROM --entry ID [--mode image|sequence] [--image ID] [--anim-table 0|1] [--anim ID] "
     "[--seq ID] [--face 0-3] [--block ID] [--weapon-palette ID]\n"
     "      (a number past the entry's range is shown as the panel shows it, with a note on\n"
     "      stderr)",
     cmd_info},
    {"export",
     "export ROM --entry ID (--frame ID | --sheet) -o OUT (.png, or .bmp)\n"
     "  export ROM --entry ID --anim ID [--anim-table 0|1] [--face 0-3] [--delay MS] -o OUT.gif\n"
     "      (one animation sequence as the panel plays it; --delay defaults to 150 ms)",
     cmd_export},
    {"import",
     "import ROM --entry ID IN [--weapon-palette ID] [--map index|colour] [--nearest]\n"
     "      [--repack] [--pack game|optimal] [--at BANK:OFFSET [--file-offset OFFSET]]\n"
     "      [--no-backup] [--keep-history N] [--keep-checksum] [--dry-run] [--yes]\n"
     "      (prints the plan; writes only with --yes, and without it writes nothing and fails;\n"
     "      --dry-run prints the plan and succeeds. The picture is as large as export --sheet's,\n"
     "      or 128x640 as Copy All Img copies it with index 0 below the entry's tiles; an indexed\n"
     "      PNG or BMP gives its indices, a true-colour one (PNG, 24- or 32-bit BMP) is matched\n"
     "      onto the entry's palette with weapon palette ID, 0 if not given; --map index|colour\n"
     "      takes an indexed picture by its indices or by its colours whatever its colour table\n"
     "      holds; --nearest maps colours outside the palette to the nearest palette colours\n"
     "      (CIEDE2000) instead of refusing the picture. --repack repacks\n"
     "      the bank region when the block grows, or places it in the region's free space when a\n"
     "      block there cannot be repacked; --at places it where the tool prints addresses\n"
     "      (D6:8000), --file-offset following from the address unless given alike;\n"
     "      --pack optimal stores the block (and a repacked region) with the smallest encoding\n"
     "      instead of the game's; the ROM as it was is kept as ROM.bak unless --no-backup;\n"
     "      the header checksum is updated when it matched before, unless --keep-checksum)",
     cmd_import},
    {"dump", "dump ROM DIR [--force]\n"
             "      (the sprite data as files: manifest, entries, palettes, graphics PNGs,\n"
             "       positions, animations; into an empty folder or over an earlier dump,\n"
             "       whose files this dump no longer writes are removed; --force dumps into\n"
             "       a folder that holds other files)",
     cmd_dump},
    {"apply",
     "apply ROM DIR [--dry-run] [--pack game|optimal] [--map index|colour] [--nearest]\n"
     "      [--no-backup] [--keep-history N] [--keep-checksum] [--yes] [--force]\n"
     "      (writes what differs from DIR in one replacement; prints the plan, and without\n"
     "       --yes writes nothing and fails; --dry-run prints the plan and succeeds; --force\n"
     "       applies a dump of another ROM; --map and --nearest read the graphics pictures as\n"
     "       import does; the header checksum is updated when it matched before, unless\n"
     "       --keep-checksum)",
     cmd_apply},
    {"verify", "verify ROM [--reencode]\n"
               "      (one line per problem of the sprite tables and of the header checksum;\n"
               "       exit 1 when there is any)",
     cmd_verify},
    {"map", "map ROM [--png OUT.png]\n"
            "      (the packed blocks of each bank region, free bytes now and after a repack)",
     cmd_map},
    {"patch",
     "patch create ORIGINAL MODIFIED -o OUT.bps|OUT.ips\n"
     "  patch apply ROM PATCH -o OUT\n"
     "  patch info PATCH\n"
     "      (BPS, or IPS by the name's extension; patches describe headerless images: a\n"
     "       512-byte copier header on either side is skipped, and apply gives OUT the header\n"
     "       ROM had; apply refuses a BPS patch made for another ROM and checks the result\n"
     "       against the patch's CRC32 before writing)",
     cmd_patch},
    {"history", "history ROM\n"
                "      (the states earlier writes replaced, oldest first: ROM's history folder,\n"
                "       then ROM.bak; each with its time, size, SHA-256 and how many entries\n"
                "       differ from the ROM)",
     cmd_history},
    {"restore", "restore ROM N [--yes] [--keep-history N]\n"
                "      (makes state N of history the ROM through the normal write; the ROM\n"
                "       becomes ROM.bak; prints what it would do without --yes)",
     cmd_restore},
};

void print_help(std::FILE* out) {
  std::fprintf(out, "vantorchar %s: the command-line tool of VantorCharViewer\n\n"
                    "usage: vantorchar COMMAND [ARGS]\n       vantorchar COMMAND --help\n"
                    "       vantorchar --version\n\ncommands:\n",
               VCV_VERSION_STRING);
  for (const Command& command : kCommands) std::fprintf(out, "  %s\n", command.synopsis);
  std::fprintf(out, "\n%s\nExit codes: 0 success, 1 failure, 2 usage error.\n"
                    "Every write keeps the ROM as it was as ROM.bak; the state the .bak held "
                    "moves into the\nfolder NAME.history beside the ROM, which keeps the last "
                    "20 (--keep-history N, 0 for\nnone, on import, apply and restore).\n",
               kNumbersHelp);
}

void print_command_help(const Command& command, std::FILE* out) {
  std::fprintf(out, "usage: vantorchar %s\n\n%s\n", command.synopsis, kNumbersHelp);
}

bool asks_for_help(const std::vector<std::string>& args) {
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--help" || args[i] == "-h") return true;
  }
  return false;
}

bool is_option(const std::string& arg) { return arg.size() > 2 && arg.compare(0, 2, "--") == 0; }

}  // namespace

const char kNumbersHelp[] =
    "Ids are hexadecimal, as the program shows them, with or without 0x: entry, frame, image,\n"
    "animation, sequence, block and weapon-palette numbers (--entry 1F0 and --entry 0x1F0 are\n"
    "entry 1F0; --entry 100 is entry 100 hexadecimal). Addresses are BANK:OFFSET (D6:8000) or six\n"
    "hexadecimal digits; --file-offset is hexadecimal. Counts, sizes, offsets and delays (--limit,\n"
    "--offset, --delay) are decimal unless written with 0x.";

int run_cli(const std::vector<std::string>& args, Streams streams) {
  if (args.empty()) {
    std::fprintf(streams.err, "vantorchar: no command given; try --help\n");
    return kExitUsage;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    print_help(streams.out);
    return kExitOk;
  }
  if (args[0] == "--version") {
    std::fprintf(streams.out, "vantorchar %s\n", VCV_VERSION_STRING);
    return kExitOk;
  }
  for (const Command& command : kCommands) {
    if (args[0] != command.name) continue;
    if (asks_for_help(args)) {
      print_command_help(command, streams.out);
      return kExitOk;
    }
    // Every command allocates by what its input asks; running out of memory is one more failure
    // with its one line, never an abort.
    try {
      return command.run(std::vector<std::string>(args.begin() + 1, args.end()), streams);
    } catch (const std::bad_alloc&) {
      std::fprintf(streams.err, "vantorchar %s: out of memory\n", command.name);
      return kExitFailure;
    }
  }
  std::fprintf(streams.err, "vantorchar: unknown command '%s'; try --help\n", args[0].c_str());
  return kExitUsage;
}

bool parse_number(const std::string& text, long long* value) {
  if (text.empty()) return false;
  const char* begin = text.c_str();
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    begin += 2;
  }
  if (*begin == '\0' || *begin == '-' || *begin == '+' || *begin == ' ') return false;
  errno = 0;
  char* end = nullptr;
  const long long parsed = std::strtoll(begin, &end, base);
  if (errno != 0 || end == nullptr || *end != '\0') return false;
  *value = parsed;
  return true;
}

bool parse_id(const std::string& text, long long* value) {
  const bool prefixed = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const std::string digits = prefixed ? text.substr(2) : text;
  if (digits.empty() || digits.size() > 8) return false;
  long long parsed = 0;
  for (char c : digits) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    parsed = parsed * 16 + (c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
  }
  *value = parsed;
  return true;
}

bool ArgReader::take_value(const std::string& name, std::string* value) {
  const std::string joined = name + "=";
  bool found = false;
  for (size_t i = 0; i < args_.size();) {
    const bool separate = args_[i] == name;
    if (!separate && args_[i].rfind(joined, 0) != 0) {
      ++i;
      continue;
    }
    if (found) {
      fail(name + " was given twice");
      return false;
    }
    found = true;
    if (!separate) {
      *value = args_[i].substr(joined.size());
      args_.erase(args_.begin() + static_cast<long>(i));
    } else if (i + 1 >= args_.size() || is_option(args_[i + 1])) {
      fail(name + " needs a value");
      args_.erase(args_.begin() + static_cast<long>(i));
      return false;
    } else {
      *value = args_[i + 1];
      args_.erase(args_.begin() + static_cast<long>(i), args_.begin() + static_cast<long>(i) + 2);
    }
  }
  return found;
}

bool ArgReader::take_flag(const std::string& name) {
  const auto count = std::count(args_.begin(), args_.end(), name);
  if (count > 1) fail(name + " was given twice");
  args_.erase(std::remove(args_.begin(), args_.end(), name), args_.end());
  return count > 0;
}

void ArgReader::fail(const std::string& text) {
  if (error_.empty()) error_ = text;
}

std::vector<std::string> ArgReader::positionals() {
  for (const std::string& arg : args_) {
    if (arg.size() > 1 && arg[0] == '-') fail("unknown option " + arg);
  }
  return args_;
}

}  // namespace vcv::cli
