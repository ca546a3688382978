#include "cli/map_picture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "image/png_build.h"

namespace vcv::cli {

namespace {

using L = MapPictureLayout;

enum MapColour : uint8_t {
  kOutside = 0,
  kFree = 1,
  kEdge = 2,
  kBroken = 3,
  kText = 4,
  kFirstBlockColour = 5,
};
constexpr int kBlockColours = 32;

// A 3 x 5 pixel font for what the labels say: each glyph is five rows of three bits, the top row
// first and the left pixel the highest bit.
struct Glyph {
  char c;
  uint8_t rows[5];
};
constexpr Glyph kGlyphs[] = {
    {'0', {7, 5, 5, 5, 7}}, {'1', {2, 6, 2, 2, 7}}, {'2', {7, 1, 7, 4, 7}},
    {'3', {7, 1, 7, 1, 7}}, {'4', {5, 5, 7, 1, 1}}, {'5', {7, 4, 7, 1, 7}},
    {'6', {7, 4, 7, 5, 7}}, {'7', {7, 1, 1, 2, 2}}, {'8', {7, 5, 7, 5, 7}},
    {'9', {7, 5, 7, 1, 7}}, {'A', {2, 5, 7, 5, 5}}, {'B', {6, 5, 6, 5, 6}},
    {'C', {3, 4, 4, 4, 3}}, {'D', {6, 5, 5, 5, 6}}, {'E', {7, 4, 6, 4, 7}},
    {'F', {7, 4, 6, 4, 4}}, {'N', {6, 5, 5, 5, 5}}, {'O', {2, 5, 5, 5, 2}},
    {'R', {6, 5, 6, 5, 5}}, {'S', {3, 4, 2, 1, 6}}, {'T', {7, 2, 2, 2, 2}},
    {':', {0, 2, 0, 2, 0}}, {'-', {0, 0, 7, 0, 0}}, {' ', {0, 0, 0, 0, 0}},
};
constexpr int kGlyphWidth = 3;
constexpr int kGlyphHeight = 5;

const Glyph* glyph_of(char c) {
  for (const Glyph& g : kGlyphs) {
    if (g.c == c) return &g;
  }
  return nullptr;
}

// Pixels of the picture, palette indices, and drawing on them.
class Canvas {
 public:
  Canvas(int width, int height)
      : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height, kOutside) {}

  void fill(int left, int top, int right, int bottom, uint8_t colour) {
    for (int y = std::max(top, 0); y < std::min(bottom, height_); ++y) {
      for (int x = std::max(left, 0); x < std::min(right, width_); ++x) {
        pixels_[static_cast<size_t>(y) * width_ + x] = colour;
      }
    }
  }

  // Diagonal stripes of `colour` on white.
  void hatch(int left, int top, int right, int bottom, uint8_t colour) {
    for (int y = std::max(top, 0); y < std::min(bottom, height_); ++y) {
      for (int x = std::max(left, 0); x < std::min(right, width_); ++x) {
        pixels_[static_cast<size_t>(y) * width_ + x] = (x + y) % 4 < 2 ? colour : static_cast<uint8_t>(kOutside);
      }
    }
  }

  // Text from (left, top), each font pixel `scale` pixels square; returns its width.
  int text(int left, int top, const std::string& text, int scale, uint8_t colour) {
    int x = left;
    for (char c : text) {
      const Glyph* g = glyph_of(c);
      for (int row = 0; g != nullptr && row < kGlyphHeight; ++row) {
        for (int column = 0; column < kGlyphWidth; ++column) {
          if ((g->rows[row] >> (kGlyphWidth - 1 - column) & 1) == 0) continue;
          fill(x + column * scale, top + row * scale, x + (column + 1) * scale,
               top + (row + 1) * scale, colour);
        }
      }
      x += (kGlyphWidth + 1) * scale;
    }
    return x - left;
  }

  const uint8_t* pixels() const { return pixels_.data(); }

 private:
  int width_;
  int height_;
  std::vector<uint8_t> pixels_;
};

int text_width(const std::string& text, int scale) {
  return static_cast<int>(text.size()) * (kGlyphWidth + 1) * scale;
}

// Evenly spread hues, so that neighbouring graphics numbers differ.
void block_colours(uint32_t* colours) {
  colours[kOutside] = 0xFFFFFF;
  colours[kFree] = L::kFreeColour;
  colours[kEdge] = 0x202020;
  colours[kBroken] = L::kBrokenColour;
  colours[kText] = L::kTextColour;
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

std::string hex2(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X", value);
  return text;
}

void draw_region(Canvas& canvas, const RegionMap& map, int top) {
  constexpr int kLabelScale = 2;
  canvas.text(L::kMargin, top + (L::kBarHeight - kGlyphHeight * kLabelScale) / 2,
              region_text(map.region), kLabelScale, kText);
  const int bottom = top + L::kBarHeight;
  canvas.fill(L::kBarLeft + map.region.first / L::kBytesPerPixel, top,
              L::kBarLeft + (map.region.end + L::kBytesPerPixel - 1) / L::kBytesPerPixel, bottom,
              kFree);
  for (const RegionBlock& block : map.blocks) {
    const int from = block.offset / L::kBytesPerPixel;
    if (block.packed_size < 0) {
      canvas.hatch(L::kBarLeft + from, top, L::kBarLeft + from + L::kBrokenWidth, bottom,
                   kBroken);
      continue;
    }
    const int end = std::min(block.offset + block.packed_size, map.region.end);
    const int to = std::max(from + 1, (end + L::kBytesPerPixel - 1) / L::kBytesPerPixel);
    const uint8_t colour =
        static_cast<uint8_t>(kFirstBlockColour + block.graphics.front() % kBlockColours);
    canvas.fill(L::kBarLeft + from, top, L::kBarLeft + to, bottom, colour);
    canvas.fill(L::kBarLeft + from, top, L::kBarLeft + from + 1, bottom, kEdge);
    // The first graphics number, where the block is wide enough to hold it.
    const std::string label = hex2(block.graphics.front());
    if (to - from >= text_width(label, 1) + 2) {
      canvas.text(L::kBarLeft + from + 2, top + (L::kBarHeight - kGlyphHeight) / 2, label, 1,
                  kText);
    }
  }
}

void draw_legend(Canvas& canvas, int top) {
  constexpr int kScale = 2;
  constexpr int kSwatch = 12;
  int x = L::kBarLeft;
  const int text_top = top + (L::kLegendHeight - kGlyphHeight * kScale) / 2;
  canvas.fill(x, top + 2, x + kSwatch, top + L::kLegendHeight - 2, kFree);
  x += kSwatch + 4;
  x += canvas.text(x, text_top, "FREE", kScale, kText) + 16;
  canvas.hatch(x, top + 2, x + kSwatch, top + L::kLegendHeight - 2, kBroken);
  x += kSwatch + 4;
  canvas.text(x, text_top, "DOES NOT DECODE", kScale, kText);
}

}  // namespace

std::vector<uint8_t> map_picture(const std::vector<RegionMap>& maps) {
  const int width = L::kBarLeft + L::kBarWidth + L::kMargin;
  const int legend_top = L::bar_top(static_cast<int>(maps.size()));
  const int height = legend_top + L::kLegendHeight + L::kMargin;
  Canvas canvas(width, height);
  for (size_t i = 0; i < maps.size(); ++i) {
    draw_region(canvas, maps[i], L::bar_top(static_cast<int>(i)));
  }
  draw_legend(canvas, legend_top);
  uint32_t colours[kFirstBlockColour + kBlockColours];
  block_colours(colours);
  return build_png(canvas.pixels(), width, height, kFirstBlockColour + kBlockColours, colours);
}

}  // namespace vcv::cli
