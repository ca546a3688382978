// The picture map --png writes: one labelled bar per bank region, 64 bytes of the bank to a
// pixel (a whole bank is 1024 pixels wide), blocks coloured by graphics number and labelled with
// it where there is room, free space grey, a block that does not decode hatched red (its extent
// is unknown, so it is drawn over a fixed width from its first byte), and a legend below.
#pragma once

#include <cstdint>
#include <vector>

#include "sprite/region_map.h"

namespace vcv::cli {

// Geometry, for tests.
struct MapPictureLayout {
  static constexpr int kBytesPerPixel = 64;
  static constexpr int kBarWidth = 0x10000 / kBytesPerPixel;
  static constexpr int kMargin = 4;
  static constexpr int kLabelWidth = 100;  // the region's name left of its bar
  static constexpr int kBarLeft = kMargin + kLabelWidth;
  static constexpr int kBarHeight = 16;
  static constexpr int kBarGap = 6;
  static constexpr int kLegendHeight = 16;
  static constexpr int kBrokenWidth = 8;  // pixels drawn for a block that does not decode
  static constexpr uint32_t kFreeColour = 0xC0C0C0;    // 0x00BBGGRR
  static constexpr uint32_t kBrokenColour = 0x0000E0;  // red
  static constexpr uint32_t kTextColour = 0x000000;
  static int bar_top(int region_index) { return kMargin + region_index * (kBarHeight + kBarGap); }
};

// The PNG file's bytes.
std::vector<uint8_t> map_picture(const std::vector<RegionMap>& maps);

}  // namespace vcv::cli
