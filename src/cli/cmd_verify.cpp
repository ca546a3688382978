// vantorchar verify: checks what the entries' tables name (sprite/rom_check.h), one line per
// problem; with --reencode also encodes every packed block again with the game's encoder and
// tells which come back byte for byte.
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "rom/rom_image.h"
#include "rom/header_checksum.h"
#include "sprite/rom_check.h"

namespace vcv::cli {

namespace {

constexpr const char* kVerifyUsage = "verify ROM [--reencode]";

int usage(Streams streams, const std::string& why) {
  std::fprintf(streams.err, "vantorchar verify: %s; usage: %s\n", why.c_str(), kVerifyUsage);
  return kExitUsage;
}

// The demo ROM names itself in the cartridge header.
bool is_demo_rom(const RomImage& image) {
  static const char kTitle[] = "VANTOR DEMO SPRITES";
  char title[sizeof kTitle] = {};
  image.read_block(0xC0, 0xFFC0, static_cast<int>(sizeof kTitle - 1),
                   reinterpret_cast<uint8_t*>(title));
  return std::string(title) == kTitle;
}

// The internal header's checksum, when it does not match the bytes; empty when it does (or the
// image is too small to have one).
std::string checksum_problem(const RomImage& image) {
  const HeaderChecksum checksum = read_header_checksum(image);
  if (!checksum.present || checksum.consistent()) return "";
  char text[160];
  std::snprintf(text, sizeof text,
                "the header checksum does not match: stored %04X (complement %04X), the image "
                "sums to %04X",
                checksum.stored, checksum.complement, checksum.computed);
  return text;
}

void print_reencoding(const RomCheckReport& report, Streams streams) {
  std::fprintf(streams.out, "re-encoded %zu packed blocks with the game's encoder: %d identical\n",
               report.blocks.size(), report.identical_count());
  for (const ReencodedBlock& block : report.blocks) {
    if (block.identical) continue;
    std::fprintf(streams.out,
                 "  graphics %s at %02X:%04X: stored %d bytes, re-encoded %d bytes%s\n",
                 hex_list(block.graphics).c_str(), (block.address >> 16) & 0xFF,
                 block.address & 0xFFFF, block.stored_size, block.reencoded_size,
                 block.stored_size == block.reencoded_size ? " (other bytes)" : "");
  }
}

}  // namespace

int cmd_verify(const std::vector<std::string>& args, Streams streams) {
  ArgReader reader(args);
  const bool reencode = reader.take_flag("--reencode");
  const std::vector<std::string> rest = reader.positionals();
  if (!reader.error().empty()) return usage(streams, reader.error());
  if (rest.size() != 1) return usage(streams, "one ROM file is needed");
  Document document;
  if (!open_document("verify", rest[0], &document, streams)) return kExitFailure;
  RomCheckReport report = check_rom(document.image(), document.directory(), reencode);
  const std::string checksum = checksum_problem(document.image());
  if (!checksum.empty()) report.problems.push_back(checksum);
  for (const std::string& line : report.problems) std::fprintf(streams.out, "%s\n", line.c_str());
  if (reencode) print_reencoding(report, streams);
  if (report.problems.empty()) {
    std::fprintf(streams.out, "no problems found\n");
    return kExitOk;
  }
  std::fprintf(streams.out, "%zu problem%s found\n", report.problems.size(),
               report.problems.size() == 1 ? "" : "s");
  if (is_demo_rom(document.image())) {
    std::fprintf(streams.out, "note: this is the demo ROM%s\n", kPlantedFaults);
  }
  return kExitFailure;
}

}  // namespace vcv::cli
