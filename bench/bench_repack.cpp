// Repacking the demo ROM's fullest bank region (every block decoded, re-encoded, placed back to
// back and decoded again from its new place), with the indexed match search and with the plain
// window scan. Each run repacks a fresh copy of the image.
#include <benchmark/benchmark.h>

#include <vector>

#include "demo/demo_rom.h"
#include "edit/write_image.h"
#include "rom/rom_image.h"
#include "sprite/codec.h"
#include "sprite/sprite_data.h"

namespace {

struct RepackSetup {
  vcv::RomImage image;
  int graphics = -1;
  std::vector<uint8_t> block;  // the image's stored block, handed back as its "new" data
};

const RepackSetup& setup() {
  static RepackSetup s;
  if (s.image.size() > 0) return s;
  std::vector<uint8_t> rom;
  vcv::demo::DemoRomLayout layout;
  if (!vcv::demo::build_demo_rom(&rom, &layout)) return s;
  s.image = vcv::RomImage(rom, vcv::kMappingHiRom, 0);
  for (int g = vcv::kFirstPackedGraphics; g < 40 && s.graphics < 0; ++g) {
    if ((layout.graphics_address[g] >> 16) == vcv::demo::DemoRomFacts::kNearlyFullBank &&
        layout.graphics_packed_size[g] > 0) {
      s.graphics = g;
      const size_t at = static_cast<size_t>((layout.graphics_address[g] & 0x3FFFFF));
      s.block.assign(rom.begin() + static_cast<long>(at),
                     rom.begin() + static_cast<long>(at) + layout.graphics_packed_size[g]);
    }
  }
  return s;
}

void repack_fullest_region(benchmark::State& state, vcv::MatchSearch search) {
  const RepackSetup& s = setup();
  if (s.graphics < 0) {
    state.SkipWithError("demo ROM not built");
    return;
  }
  int free_bytes = 0;
  for (auto _ : state) {
    vcv::RomImage image = s.image;
    free_bytes = vcv::repack_bank_images(image, s.graphics, static_cast<int>(s.block.size()),
                                         s.block.data(), search);
    if (free_bytes < 0) {
      state.SkipWithError("repacking failed");
      break;
    }
  }
  state.counters["free_bytes"] = free_bytes;
}

void BM_RepackFullestRegionFast(benchmark::State& state) {
  repack_fullest_region(state, vcv::MatchSearch::kFast);
}
void BM_RepackFullestRegionScan(benchmark::State& state) {
  repack_fullest_region(state, vcv::MatchSearch::kScan);
}

}  // namespace

BENCHMARK(BM_RepackFullestRegionFast)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepackFullestRegionScan)->Unit(benchmark::kMillisecond);
