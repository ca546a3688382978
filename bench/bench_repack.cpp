// Repacking the demo ROM's fullest bank region (every block decoded, re-encoded and placed back
// to back), with the indexed match search and with the plain window scan. The region is
// repacked with its own image unchanged, so every run leaves the file as it found it.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "demo/demo_rom.h"
#include "edit/write_image.h"
#include "rom/rom_file.h"
#include "sprite/codec.h"
#include "sprite/sprite_data.h"

namespace {

struct RepackSetup {
  std::string path;
  int graphics = -1;
  std::vector<uint8_t> block;  // the image's stored block, handed back as its "new" data
};

const RepackSetup& setup() {
  static RepackSetup s;
  if (!s.path.empty()) return s;
  std::vector<uint8_t> rom;
  vcv::demo::DemoRomLayout layout;
  if (!vcv::demo::build_demo_rom(&rom, &layout)) return s;
  const auto folder = std::filesystem::temp_directory_path() / "vcv-bench-repack";
  std::filesystem::create_directories(folder);
  s.path = (folder / "demo.sfc").string();
  std::FILE* f = std::fopen(s.path.c_str(), "wb");
  if (f == nullptr) return s;
  std::fwrite(rom.data(), 1, rom.size(), f);
  std::fclose(f);
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
  vcv::RomFile rom;
  if (rom.open(s.path.c_str(), vcv::kMappingHiRom, 0) != 1) {
    state.SkipWithError("cannot open the demo ROM copy");
    return;
  }
  int free_bytes = 0;
  for (auto _ : state) {
    free_bytes = vcv::repack_bank_images(rom, s.graphics, static_cast<int>(s.block.size()),
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
