// Cost of the sprite data work a ROM open and an entry selection do: building the directory,
// loading an entry (packed graphics decoded, sheet drawn, frames unpacked), and generating the
// demo ROM the tests use.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "demo/demo_rom.h"
#include "rom/rom_file.h"
#include "sprite/directory.h"

namespace {

using vcv::demo::DemoRomFacts;

// The demo ROM, written once per process to a temporary file.
const std::string& demo_rom_path() {
  static const std::string path = [] {
    const std::string p =
        (std::filesystem::temp_directory_path() / "vcv_bench_sprite.sfc").string();
    std::string error;
    if (!vcv::demo::write_demo_rom(p, &error)) std::fprintf(stderr, "%s\n", error.c_str());
    return p;
  }();
  return path;
}

void BM_BuildSpriteDirectory(benchmark::State& state) {
  vcv::RomFile rom;
  if (rom.open(demo_rom_path().c_str(), vcv::kMappingHiRom, 0) != 1) {
    state.SkipWithError("cannot open the demo ROM");
    return;
  }
  vcv::SpriteDirectory directory;
  for (auto _ : state) {
    vcv::build_sprite_directory(rom, directory);
    benchmark::DoNotOptimize(directory.frame_count[0]);
  }
}
BENCHMARK(BM_BuildSpriteDirectory)->Unit(benchmark::kMicrosecond);

// Loads one entry again and again, as a weapon palette change forces it to.
void BM_LoadEntry(benchmark::State& state) {
  const int entry = static_cast<int>(state.range(0));
  vcv::RomFile rom;
  if (rom.open(demo_rom_path().c_str(), vcv::kMappingHiRom, 0) != 1) {
    state.SkipWithError("cannot open the demo ROM");
    return;
  }
  vcv::SpriteDirectory directory;
  vcv::build_sprite_directory(rom, directory);
  auto set = std::make_unique<vcv::SpriteWorkingSet>();
  for (auto _ : state) {
    set->loaded_entry = -1;
    if (vcv::load_entry(rom, directory, *set, entry, 0) != 1) {
      state.SkipWithError("the entry did not load");
      return;
    }
    benchmark::DoNotOptimize(set->sheet[0]);
  }
  state.counters["decoded_bytes"] = set->decoded_size;
  state.SetBytesProcessed(state.iterations() * set->decoded_size);
}
BENCHMARK(BM_LoadEntry)
    ->Arg(DemoRomFacts::kEntrySize1Plain)  // plain graphics
    ->Arg(DemoRomFacts::kEntrySize1)       // packed humanoid, 12 KiB decoded
    ->Arg(DemoRomFacts::kEntryLongGiant)   // packed, 42 KiB decoded
    ->Unit(benchmark::kMicrosecond);

void BM_BuildDemoRom(benchmark::State& state) {
  std::vector<uint8_t> rom;
  for (auto _ : state) {
    if (!vcv::demo::build_demo_rom(&rom, nullptr)) {
      state.SkipWithError("the demo ROM does not fit");
      return;
    }
    benchmark::DoNotOptimize(rom.data());
  }
}
BENCHMARK(BM_BuildDemoRom)->Unit(benchmark::kMillisecond);

}  // namespace
