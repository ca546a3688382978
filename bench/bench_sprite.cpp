// Cost of the sprite data work a ROM open and an entry selection do: building the directory,
// loading an entry (packed graphics decoded, sheet drawn, frames unpacked), and generating the
// demo ROM the tests use.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "demo/demo_rom.h"
#include "rom/rom_image.h"
#include "sprite/directory.h"

namespace {

using vcv::demo::DemoRomFacts;

// The demo ROM, built once per process, as an opened ROM holds it.
const vcv::RomImage& demo_rom() {
  static const vcv::RomImage image = [] {
    std::vector<uint8_t> bytes;
    if (!vcv::demo::build_demo_rom(&bytes, nullptr)) std::fprintf(stderr, "no demo ROM\n");
    return vcv::RomImage(bytes, vcv::kMappingHiRom, 0);
  }();
  return image;
}

void BM_BuildSpriteDirectory(benchmark::State& state) {
  const vcv::RomImage& rom = demo_rom();
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
  const vcv::RomImage& rom = demo_rom();
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
