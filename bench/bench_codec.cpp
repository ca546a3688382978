// Packed-block codec speed on 40 KiB of sprite-like tile data, beside zlib and memcpy for scale.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstring>
#include <vector>

#include "bench_data.h"
#include "sprite/codec.h"

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
BENCHMARK(BM_Unpack)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ZlibCompressLevel9)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibInflate)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMicrosecond);

}  // namespace
