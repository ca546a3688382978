#include "cli/cli.h"

#include "vantor_version.h"

#include <cerrno>
#include <cstdlib>
#include <new>

namespace vcv::cli {

namespace {

const Command kCommands[] = {
    {"pack", "pack [--mode short|long|best|optimal] [--search fast|scan] IN OUT", cmd_pack},
    {"unpack", "unpack IN OUT [--offset N | --address BANK:OFFSET] [--limit N]", cmd_unpack},
    {"demo-rom", "demo-rom OUT.sfc", cmd_demo_rom},
    {"info",
     "info ROM --entry ID [--mode image|sequence] [--image N] [--anim-table 0|1] [--anim N] "
     "[--seq N] [--face 0-3] [--block N] [--weapon-palette N]",
     cmd_info},
    {"export",
     "export ROM --entry ID (--frame N | --sheet) -o OUT (.png, or .bmp)\n"
     "  export ROM --entry ID --anim N [--anim-table 0|1] [--face 0-3] [--delay MS] -o OUT.gif\n"
     "      (one animation sequence as the panel plays it; --delay defaults to 150 ms)",
     cmd_export},
    {"import",
     "import ROM --entry ID IN [--weapon-palette N] [--map index|colour] [--nearest]\n"
     "      [--repack] [--pack game|optimal] [--at ADDRESS --file-offset OFFSET] [--no-backup]\n"
     "      [--keep-history N] [--yes]\n"
     "      (writes nothing without --yes; the picture must be as large as export --sheet's;\n"
     "      an indexed PNG or BMP gives its indices, a true-colour one (PNG, 24- or 32-bit BMP)\n"
     "      is matched onto the entry's palette with weapon palette N, 0 if not given;\n"
     "      --map index|colour takes an indexed picture by its indices or by its colours\n"
     "      whatever its colour table holds; --nearest maps colours outside the palette to\n"
     "      the nearest palette colours (CIEDE2000) instead of refusing the picture;\n"
     "      --pack optimal stores the block (and a repacked region) with the smallest encoding\n"
     "      instead of the game's; the ROM as it was is kept as ROM.bak unless --no-backup)",
     cmd_import},
    {"dump", "dump ROM DIR\n"
             "      (the sprite data as files: manifest, entries, palettes, graphics PNGs,\n"
             "       positions, animations)",
     cmd_dump},
    {"apply",
     "apply ROM DIR [--dry-run] [--pack game|optimal] [--map index|colour] [--nearest]\n"
     "      [--no-backup] [--keep-history N] [--yes] [--force]\n"
     "      (writes what differs from DIR in one replacement; prints the plan only without\n"
     "       --yes; --force applies a dump of another ROM; --map and --nearest read the\n"
     "       graphics pictures as import does)",
     cmd_apply},
    {"verify", "verify ROM [--reencode]\n"
               "      (one line per problem of the sprite tables; exit 1 when there is any)",
     cmd_verify},
    {"map", "map ROM [--png OUT]\n"
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
                    "usage: vantorchar COMMAND [ARGS]\n       vantorchar --version\n\ncommands:\n",
               VCV_VERSION_STRING);
  for (const Command& command : kCommands) std::fprintf(out, "  %s\n", command.synopsis);
  std::fprintf(out, "\nNumbers are decimal, or hexadecimal with 0x. Exit codes: 0 success, "
                    "1 failure, 2 usage error.\n"
                    "Every write keeps the ROM as it was as ROM.bak; the state the .bak held "
                    "moves into the\nfolder NAME.history beside the ROM, which keeps the last "
                    "20 (--keep-history N, 0 for\nnone, on import, apply and restore).\n");
}

}  // namespace

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

bool ArgReader::take_value(const std::string& name, std::string* value) {
  for (size_t i = 0; i < args_.size(); ++i) {
    if (args_[i] == name) {
      if (i + 1 >= args_.size()) {
        error_ = name + " needs a value";
        args_.erase(args_.begin() + static_cast<long>(i));
        return false;
      }
      *value = args_[i + 1];
      args_.erase(args_.begin() + static_cast<long>(i), args_.begin() + static_cast<long>(i) + 2);
      return true;
    }
    if (args_[i].rfind(name + "=", 0) == 0) {
      *value = args_[i].substr(name.size() + 1);
      args_.erase(args_.begin() + static_cast<long>(i));
      return true;
    }
  }
  return false;
}

bool ArgReader::take_flag(const std::string& name) {
  for (size_t i = 0; i < args_.size(); ++i) {
    if (args_[i] == name) {
      args_.erase(args_.begin() + static_cast<long>(i));
      return true;
    }
  }
  return false;
}

std::vector<std::string> ArgReader::positionals() {
  for (const std::string& arg : args_) {
    if (arg.size() > 1 && arg[0] == '-' && error_.empty()) error_ = "unknown option " + arg;
  }
  return args_;
}

}  // namespace vcv::cli
