// Writing a one-palette change (24 bytes) to the 4 MiB demo ROM: the whole crash-safe commit
// (copy of the image, check of the file on disk, backup, temporary file, flush, rename, read
// back), with the real flushes and with a seam whose flushes do nothing, beside the in-place
// write it replaces (fopen "rb+", seek, 24 bytes, close). Times are wall-clock: flushing waits
// for the disk, not the processor.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "demo/demo_rom.h"
#include "platform/file_system.h"
#include "platform/sha256.h"
#include "rom/rom_commit.h"

namespace {

constexpr size_t kPaletteAt = 0x240018;  // E4:0018, the colours of palette type 1
constexpr size_t kPaletteBytes = 24;

// The demo ROM and the same image with the palette changed; each commit turns one into the other.
struct Images {
  std::vector<uint8_t> image[2];
  vcv::RomFingerprint fingerprint[2];
  std::filesystem::path folder;
  std::string path;
  bool ready = false;

  ~Images() {
    std::error_code ignored;
    if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
  }
};

Images& images() {
  static Images s;
  if (s.ready) return s;
  vcv::demo::DemoRomLayout layout;
  if (!vcv::demo::build_demo_rom(&s.image[0], &layout)) return s;
  s.image[1] = s.image[0];
  for (size_t i = kPaletteAt; i < kPaletteAt + kPaletteBytes; ++i) s.image[1][i] ^= 0x1F;
  for (int k = 0; k < 2; ++k) s.fingerprint[k] = vcv::fingerprint_of(s.image[k]);
  s.folder = std::filesystem::temp_directory_path() / "vcv-bench-commit";
  std::filesystem::create_directories(s.folder);
  s.path = (s.folder / "demo.sfc").string();
  s.ready = true;
  return s;
}

// Puts image 0 on disk; false (and the benchmark skipped) when that fails.
bool start_from_image_0(benchmark::State& state, Images& s) {
  std::FILE* f = s.ready ? std::fopen(s.path.c_str(), "wb") : nullptr;
  const bool ok = f != nullptr && std::fwrite(s.image[0].data(), 1, s.image[0].size(), f) ==
                                      s.image[0].size();
  if (f != nullptr) std::fclose(f);
  if (!ok) state.SkipWithError("cannot write the demo ROM");
  return ok;
}

void commit_palette_change(benchmark::State& state, vcv::FileSystem& fs) {
  Images& s = images();
  if (!start_from_image_0(state, s)) return;
  int on_disk = 0;
  for (auto _ : state) {
    const int next = 1 - on_disk;
    // What an edit does: a copy of the loaded image with the palette's bytes changed.
    std::vector<uint8_t> edited = s.image[on_disk];
    std::copy(s.image[next].begin() + kPaletteAt,
              s.image[next].begin() + kPaletteAt + kPaletteBytes, edited.begin() + kPaletteAt);
    const vcv::CommitResult result =
        vcv::commit_rom_file(s.path, s.fingerprint[on_disk], edited, {}, fs);
    if (!result.ok()) {
      state.SkipWithError(result.detail.c_str());
      break;
    }
    on_disk = next;
  }
}

void BM_CommitPaletteChange(benchmark::State& state) {
  commit_palette_change(state, vcv::native_file_system());
}

void BM_CommitPaletteChangeNoFlush(benchmark::State& state) {
  vcv::FaultyFileSystem no_flush(vcv::native_file_system());
  no_flush.skip_syncs(true);
  commit_palette_change(state, no_flush);
}

void BM_InPlacePaletteWrite(benchmark::State& state) {
  Images& s = images();
  if (!start_from_image_0(state, s)) return;
  int on_disk = 0;
  for (auto _ : state) {
    const int next = 1 - on_disk;
    std::FILE* f = std::fopen(s.path.c_str(), "rb+");
    if (f == nullptr || std::fseek(f, static_cast<long>(kPaletteAt), SEEK_SET) != 0) {
      if (f != nullptr) std::fclose(f);
      state.SkipWithError("cannot open the demo ROM for update");
      break;
    }
    std::fwrite(s.image[next].data() + kPaletteAt, 1, kPaletteBytes, f);
    std::fclose(f);
    on_disk = next;
  }
}

// What a caller pays to know what it loaded (or just committed): one hash of the image.
void BM_Sha256OfDemoRom(benchmark::State& state) {
  Images& s = images();
  for (auto _ : state) {
    benchmark::DoNotOptimize(vcv::sha256(s.image[0].data(), s.image[0].size()));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(s.image[0].size()));
}

}  // namespace

BENCHMARK(BM_CommitPaletteChange)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CommitPaletteChangeNoFlush)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_InPlacePaletteWrite)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_Sha256OfDemoRom)->Unit(benchmark::kMillisecond);
