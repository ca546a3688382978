// vantorchar map: the bank regions that repacking may fill, the packed blocks in each, and the
// bytes free now and after a repack; with --png, a picture of the regions as bars.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "image/png_build.h"
#include "platform/file_io.h"
#include "sprite/region_map.h"

namespace vcv::cli {

namespace {

constexpr const char* kMapUsage = "map ROM [--png OUT]";

// The picture: one bar per region, 64 bytes of the bank to a pixel, so a whole bank is 1024
// pixels wide; blocks coloured by graphics number, free space grey.
constexpr int kBytesPerPixel = 64;
constexpr int kBarWidth = 0x10000 / kBytesPerPixel;
constexpr int kMargin = 4;
constexpr int kBarHeight = 16;
constexpr int kBarGap = 6;
enum MapColour : uint8_t { kOutside = 0, kFree = 1, kEdge = 2, kBroken = 3, kFirstBlockColour = 4 };
constexpr int kBlockColours = 32;

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
      std::fprintf(streams.out, "  %02X:%04X  %5d bytes  graphics %s\n", r.bank, block.offset,
                   block.packed_size, hex_list(block.graphics).c_str());
    }
  }
}

// Evenly spread hues, so that neighbouring graphics numbers differ.
void block_colours(uint32_t* colours) {
  colours[kOutside] = 0xFFFFFF;
  colours[kFree] = 0xC0C0C0;
  colours[kEdge] = 0x202020;
  colours[kBroken] = 0x0000E0;  // red (0x00BBGGRR)
  for (int i = 0; i < kBlockColours; ++i) {
    const double hue = std::fmod(i * 137.508, 360.0) / 60.0;
    const double x = 1 - std::fabs(std::fmod(hue, 2.0) - 1);
    double r = 0, g = 0, b = 0;
    if (hue < 1) { r = 1; g = x; } else if (hue < 2) { r = x; g = 1; }
    else if (hue < 3) { g = 1; b = x; } else if (hue < 4) { g = x; b = 1; }
    else if (hue < 5) { r = x; b = 1; } else { r = 1; b = x; }
    auto level = [](double v) { return static_cast<uint32_t>(64 + v * 160); };
    colours[kFirstBlockColour + i] = level(r) | (level(g) << 8) | (level(b) << 16);
  }
}

std::vector<uint8_t> map_picture(const std::vector<RegionMap>& maps) {
  const int width = kBarWidth + 2 * kMargin;
  const int height = kMargin + static_cast<int>(maps.size()) * (kBarHeight + kBarGap);
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * height, kOutside);
  auto fill = [&](int top, int from, int to, uint8_t colour) {
    for (int y = top; y < top + kBarHeight; ++y) {
      for (int x = from; x < to; ++x) pixels[static_cast<size_t>(y) * width + kMargin + x] = colour;
    }
  };
  for (size_t i = 0; i < maps.size(); ++i) {
    const RegionMap& map = maps[i];
    const int top = kMargin + static_cast<int>(i) * (kBarHeight + kBarGap);
    fill(top, map.region.first / kBytesPerPixel,
         (map.region.end + kBytesPerPixel - 1) / kBytesPerPixel, kFree);
    for (const RegionBlock& block : map.blocks) {
      const int from = block.offset / kBytesPerPixel;
      const int end = std::min(block.offset + std::max(block.packed_size, 1), map.region.end);
      const int to = std::max(from + 1, (end + kBytesPerPixel - 1) / kBytesPerPixel);
      const uint8_t colour = block.packed_size < 0
                                 ? static_cast<uint8_t>(kBroken)
                                 : static_cast<uint8_t>(kFirstBlockColour +
                                                        block.graphics.front() % kBlockColours);
      fill(top, from, to, colour);
      fill(top, from, from + 1, kEdge);
    }
  }
  uint32_t colours[kFirstBlockColour + kBlockColours];
  block_colours(colours);
  return build_png(pixels.data(), width, height, kFirstBlockColour + kBlockColours, colours);
}

}  // namespace

int cmd_map(const std::vector<std::string>& args, Streams streams) {
  ArgReader reader(args);
  std::string png;
  const bool want_png = reader.take_value("--png", &png);
  const std::vector<std::string> rest = reader.positionals();
  if (!reader.error().empty()) return usage(streams, reader.error());
  if (rest.size() != 1) return usage(streams, "one ROM file is needed");
  if (want_png && png.empty()) return usage(streams, "--png needs a file name");
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
