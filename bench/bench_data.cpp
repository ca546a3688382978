#include "bench_data.h"

#include <array>

#include "sprite/tiles.h"

namespace vcv::testdata {

namespace {

constexpr int kFigureSide = 32;  // one figure is 4 x 4 tiles
constexpr int kTileSide = 8;
constexpr int kTilesPerFigure = (kFigureSide / kTileSide) * (kFigureSide / kTileSide);
constexpr int kRepeatPercent = 30;  // tiles copied from earlier ones, as frames share parts
constexpr int kRecentTiles = 48;

using Figure = std::array<uint8_t, kFigureSide * kFigureSide>;
using Tile = std::array<uint8_t, 32>;

// A figure: an ellipse shaded in bands of a few colours from a 4-colour ramp, a dark outline,
// and diagonal stripes of a second colour.
Figure draw_figure(Random& random) {
  Figure pixels{};
  const int cx = 13 + random.below(6);
  const int cy = 13 + random.below(6);
  const int rx = 11 + random.below(6);
  const int ry = 11 + random.below(6);
  const int ramp = 6 + random.below(3) * 3;  // colours ramp .. ramp + 3
  const int stripe_colour = 1 + random.below(15);
  const int stripe_period = 3 + random.below(5);
  for (int y = 0; y < kFigureSide; ++y) {
    for (int x = 0; x < kFigureSide; ++x) {
      const int dx = (x - cx) * ry;
      const int dy = (y - cy) * rx;
      const long long inside = 1LL * rx * rx * ry * ry;
      const long long d = 1LL * dx * dx + 1LL * dy * dy;
      if (d > inside) continue;
      uint8_t colour = static_cast<uint8_t>(ramp + static_cast<int>(4 * d / (inside + 1)));
      if (d * 10 > inside * 8) colour = 1;  // outline
      else if ((x + y) % stripe_period == 0) colour = static_cast<uint8_t>(stripe_colour);
      pixels[static_cast<size_t>(y * kFigureSide + x)] = colour;
    }
  }
  return pixels;
}

}  // namespace

uint32_t Random::next() {
  state_ ^= state_ << 13;
  state_ ^= state_ >> 17;
  state_ ^= state_ << 5;
  return state_;
}

int Random::below(int bound) { return bound <= 1 ? 0 : static_cast<int>(next() % bound); }

std::vector<uint8_t> sprite_tiles(size_t size, uint32_t seed) {
  Random random(seed);
  std::vector<uint8_t> data;
  data.reserve(size + kTilesPerFigure * 32);
  std::vector<Tile> recent;
  while (data.size() < size) {
    const Figure figure = draw_figure(random);
    for (int t = 0; t < kTilesPerFigure; ++t) {
      Tile tile{};
      if (!recent.empty() && random.below(100) < kRepeatPercent) {
        tile = recent[static_cast<size_t>(random.below(static_cast<int>(recent.size())))];
      } else {
        const int x = (t % 4) * kTileSide;
        const int y = (t / 4) * kTileSide;
        encode_tile(tile.data(), figure.data(), kFigureSide, x, y, 0);
      }
      data.insert(data.end(), tile.begin(), tile.end());
      if (recent.size() < kRecentTiles) {
        recent.push_back(tile);
      } else {
        recent[static_cast<size_t>(random.below(kRecentTiles))] = tile;
      }
    }
  }
  data.resize(size);
  return data;
}

std::vector<uint8_t> random_bytes(size_t size, uint32_t seed) {
  Random random(seed);
  std::vector<uint8_t> data(size);
  for (uint8_t& byte : data) byte = static_cast<uint8_t>(random.next() >> 24);
  return data;
}

std::vector<uint8_t> byte_runs(size_t size, uint32_t seed, int longest_run) {
  Random random(seed);
  std::vector<uint8_t> data;
  data.reserve(size);
  while (data.size() < size) {
    const uint8_t value = static_cast<uint8_t>(random.next() >> 24);
    const int run = 1 + random.below(longest_run);
    for (int i = 0; i < run && data.size() < size; ++i) data.push_back(value);
  }
  return data;
}

}  // namespace vcv::testdata
