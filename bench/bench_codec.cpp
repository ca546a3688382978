// Packed-block codec speed on 40 KiB of sprite-like tile data, beside zlib and memcpy for scale;
// the optimal encoder against the greedy one, in time and in the total size of every packed
// block of the demo ROM.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "bench_data.h"
#include "demo/demo_rom.h"
#include "sprite/codec.h"
#include "sprite/codec_optimal.h"
#include "sprite/match_finder.h"

namespace {

constexpr size_t kSampleSize = 40960;
constexpr uint32_t kSampleSeed = 1;

const std::vector<uint8_t>& sample() {
  static const std::vector<uint8_t> data = vcv::testdata::sprite_tiles(kSampleSize, kSampleSeed);
  return data;
}

void count_bytes(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(kSampleSize));
}

void pack_best(benchmark::State& state, vcv::MatchSearch search) {
  const std::vector<uint8_t>& input = sample();
  std::vector<uint8_t> out(vcv::kPackedBufferSize);
  int size = 0;
  for (auto _ : state) {
    size = vcv::pack_block_best(input.data(), static_cast<int>(input.size()), out.data(),
                                vcv::kPackedBufferSize, search);
    benchmark::DoNotOptimize(size);
    benchmark::ClobberMemory();
  }
  state.counters["packed"] = size;
  count_bytes(state);
}

void BM_PackBestFast(benchmark::State& state) { pack_best(state, vcv::MatchSearch::kFast); }
void BM_PackBestScan(benchmark::State& state) { pack_best(state, vcv::MatchSearch::kScan); }

void pack_optimal(benchmark::State& state, vcv::MatchWorkspace* workspace) {
  const std::vector<uint8_t>& input = sample();
  std::vector<uint8_t> out(vcv::kPackedBufferSize);
  int size = 0;
  for (auto _ : state) {
    size = vcv::pack_block_optimal(input.data(), static_cast<int>(input.size()), out.data(),
                                   vcv::kPackedBufferSize, workspace);
    benchmark::DoNotOptimize(size);
    benchmark::ClobberMemory();
  }
  state.counters["packed"] = size;
  count_bytes(state);
}

void BM_PackOptimal(benchmark::State& state) { pack_optimal(state, nullptr); }
void BM_PackOptimalReusedWorkspace(benchmark::State& state) {
  vcv::MatchWorkspace workspace;
  pack_optimal(state, &workspace);
}

// The decoded pictures of every packed graphics block of the demo ROM (each block once).
const std::vector<std::vector<uint8_t>>& demo_pictures() {
  static const std::vector<std::vector<uint8_t>> pictures = [] {
    std::vector<std::vector<uint8_t>> decoded;
    std::vector<uint8_t> rom;
    vcv::demo::DemoRomLayout layout;
    if (!vcv::demo::build_demo_rom(&rom, &layout)) return decoded;
    std::vector<int32_t> seen;
    std::vector<uint8_t> out(vcv::kPackedBufferSize);
    for (int g = 0; g < 40; ++g) {
      const int32_t address = layout.graphics_address[g];
      if (layout.graphics_packed_size[g] <= 0) continue;  // plain, or the undecodable block
      if (std::find(seen.begin(), seen.end(), address) != seen.end()) continue;
      seen.push_back(address);
      const size_t at = static_cast<size_t>(address & 0x3FFFFF);
      const int size = vcv::unpack_block(rom.data(), rom.size(), at, out.data(),
                                         vcv::kPackedBufferSize, nullptr);
      if (size >= 0) decoded.emplace_back(out.begin(), out.begin() + size);
    }
    return decoded;
  }();
  return pictures;
}

// Re-encodes every packed block of the demo ROM; reports the total packed size.
template <typename Encode>
void repack_demo_pictures(benchmark::State& state, Encode encode) {
  const auto& pictures = demo_pictures();
  if (pictures.empty()) {
    state.SkipWithError("demo ROM not built");
    return;
  }
  std::vector<uint8_t> out(vcv::kPackedBufferSize);
  long total = 0;
  int64_t bytes = 0;
  for (auto _ : state) {
    total = 0;
    for (const auto& picture : pictures) {
      const int size = encode(picture.data(), static_cast<int>(picture.size()), out.data());
      if (size < 0) state.SkipWithError("a picture was refused");
      total += size;
      bytes += static_cast<int64_t>(picture.size());
    }
  }
  state.counters["blocks"] = static_cast<double>(pictures.size());
  state.counters["packed_total"] = static_cast<double>(total);
  state.SetBytesProcessed(bytes);
}

void BM_DemoRomRepackBest(benchmark::State& state) {
  repack_demo_pictures(state, [](const uint8_t* input, int count, uint8_t* out) {
    return vcv::pack_block_best(input, count, out, vcv::kPackedBufferSize);
  });
}
void BM_DemoRomRepackOptimal(benchmark::State& state) {
  repack_demo_pictures(state, [](const uint8_t* input, int count, uint8_t* out) {
    return vcv::pack_block_optimal(input, count, out, vcv::kPackedBufferSize);
  });
}

void BM_Unpack(benchmark::State& state) {
  const std::vector<uint8_t>& input = sample();
  std::vector<uint8_t> block(vcv::kPackedBufferSize);
  const int packed = vcv::pack_block_best(input.data(), static_cast<int>(input.size()),
                                          block.data(), vcv::kPackedBufferSize);
  block.resize(static_cast<size_t>(packed > 0 ? packed : 0));
  std::vector<uint8_t> out(vcv::kPackedBufferSize);
  for (auto _ : state) {
    int packed_size = 0;
    const int size = vcv::unpack_block(block.data(), block.size(), 0, out.data(),
                                       vcv::kPackedBufferSize, &packed_size);
    if (size != static_cast<int>(kSampleSize)) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  count_bytes(state);
}

void BM_ZlibCompressLevel9(benchmark::State& state) {
  const std::vector<uint8_t>& input = sample();
  std::vector<Bytef> out(compressBound(kSampleSize));
  uLongf size = 0;
  for (auto _ : state) {
    size = static_cast<uLongf>(out.size());
    if (compress2(out.data(), &size, input.data(), kSampleSize, 9) != Z_OK) {
      state.SkipWithError("compress2 failed");
    }
    benchmark::ClobberMemory();
  }
  state.counters["packed"] = static_cast<double>(size);
  count_bytes(state);
}

void BM_ZlibInflate(benchmark::State& state) {
  const std::vector<uint8_t>& input = sample();
  std::vector<Bytef> packed(compressBound(kSampleSize));
  uLongf packed_size = static_cast<uLongf>(packed.size());
  compress2(packed.data(), &packed_size, input.data(), kSampleSize, 9);
  std::vector<Bytef> out(kSampleSize);
  for (auto _ : state) {
    uLongf size = kSampleSize;
    if (uncompress(out.data(), &size, packed.data(), packed_size) != Z_OK) {
      state.SkipWithError("uncompress failed");
    }
    benchmark::ClobberMemory();
  }
  count_bytes(state);
}

void BM_Memcpy(benchmark::State& state) {
  const std::vector<uint8_t>& input = sample();
  std::vector<uint8_t> out(kSampleSize);
  for (auto _ : state) {
    std::memcpy(out.data(), input.data(), kSampleSize);
    benchmark::ClobberMemory();
  }
  count_bytes(state);
}

BENCHMARK(BM_PackBestFast)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PackBestScan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PackOptimal)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PackOptimalReusedWorkspace)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DemoRomRepackBest)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DemoRomRepackOptimal)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Unpack)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ZlibCompressLevel9)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibInflate)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMicrosecond);

}  // namespace
