// Deterministic test data for the codec: sprite-like 4bpp tile data drawn procedurally, and the
// plainer shapes (noise, runs) that stress other paths. Same seed, same bytes, on every platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vcv::testdata {

// A small deterministic generator (xorshift32); seed 0 is replaced by a fixed non-zero seed.
class Random {
 public:
  explicit Random(uint32_t seed) : state_(seed != 0 ? seed : 0x9E3779B9u) {}
  uint32_t next();
  int below(int bound);  // 0 .. bound - 1
 private:
  uint32_t state_;
};

// `size` bytes of SNES 4bpp tiles: figures drawn as shaded, outlined ellipses with stripes on a
// transparent background, cut into tiles, with many tiles repeated (roughly 40% zero bytes).
std::vector<uint8_t> sprite_tiles(size_t size, uint32_t seed);

// Uniform random bytes.
std::vector<uint8_t> random_bytes(size_t size, uint32_t seed);

// Runs of one byte value, of random lengths up to `longest_run`.
std::vector<uint8_t> byte_runs(size_t size, uint32_t seed, int longest_run);

}  // namespace vcv::testdata
