// vantorchar map: the bank regions that repacking may fill, the packed blocks in each, and the
// bytes free now and after a repack; with --png, a picture of the regions as bars
// (cli/map_picture.h).
#include <cctype>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "cli/map_picture.h"
#include "platform/file_io.h"
#include "sprite/region_map.h"

namespace vcv::cli {

namespace {

constexpr const char* kMapUsage = "map ROM [--png OUT.png]";

int usage(Streams streams, const std::string& why) {
  std::fprintf(streams.err, "vantorchar map: %s; usage: %s\n", why.c_str(), kMapUsage);
  return kExitUsage;
}

void print_region(const RegionMap& map, Streams streams) {
  const BankRegion& r = map.region;
  std::fprintf(streams.out, "region %s (%d bytes): %zu block%s, %d bytes free now, ",
               region_text(r).c_str(), r.end - r.first, map.blocks.size(),
               map.blocks.size() == 1 ? "" : "s", map.free_now);
  if (map.repackable) {
    std::fprintf(streams.out, "%d after a repack\n", map.free_after_repack);
  } else {
    std::fprintf(streams.out, "no repack possible (%s)\n", map.not_repackable_reason.c_str());
  }
  for (const RegionBlock& block : map.blocks) {
    if (block.packed_size < 0) {
      std::fprintf(streams.out, "  %02X:%04X  does not decode  graphics %s\n", r.bank,
                   block.offset, hex_list(block.graphics).c_str());
    } else {
      const std::string problem =
          block.repack_problem.empty() ? std::string() : "  (" + block.repack_problem + ")";
      std::fprintf(streams.out, "  %02X:%04X  %5d bytes  graphics %s%s\n", r.bank, block.offset,
                   block.packed_size, hex_list(block.graphics).c_str(), problem.c_str());
    }
  }
}

bool ends_in_png(const std::string& path) {
  if (path.size() < 4) return false;
  std::string tail = path.substr(path.size() - 4);
  for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return tail == ".png";
}

}  // namespace

int cmd_map(const std::vector<std::string>& args, Streams streams) {
  ArgReader reader(args);
  std::string png;
  const bool want_png = reader.take_value("--png", &png);
  const std::vector<std::string> rest = reader.positionals();
  if (!reader.error().empty()) return usage(streams, reader.error());
  if (rest.size() != 1) return usage(streams, "one ROM file is needed");
  if (want_png && !ends_in_png(png)) {
    return usage(streams, "--png writes a PNG picture: OUT must end in .png, not '" + png + "'");
  }
  OutputGuard guard;
  protect_rom(guard, rest[0]);
  if (want_png && !output_allowed(guard, "map", png, streams)) return kExitFailure;
  Document document;
  if (!open_document("map", rest[0], &document, streams)) return kExitFailure;
  const std::vector<RegionMap> maps = map_bank_regions(document.image(), true);
  for (const RegionMap& map : maps) print_region(map, streams);
  if (!want_png) return kExitOk;
  std::string error;
  if (!write_file_atomically(png, map_picture(maps), &error)) return fail(streams, "map", error);
  std::fprintf(streams.out, "wrote %s\n", png.c_str());
  return kExitOk;
}

}  // namespace vcv::cli
