// What every picture a reader accepts must satisfy, and the palette mapping run on it: shared by
// the picture-reader fuzz targets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_target.h"
#include "image/palette_mapping.h"
#include "image/picture.h"

namespace vcv::fuzz {

// The input in a heap block of exactly its size, so that any read past it is caught.
struct ExactCopy {
  std::unique_ptr<uint8_t[]> bytes;
  ExactCopy(const uint8_t* data, size_t size) : bytes(new uint8_t[size == 0 ? 1 : size]) {
    if (size > 0) std::memcpy(bytes.get(), data, size);
  }
};

// Mapping every pixel of a huge picture would only slow the search down.
constexpr long long kMappedPixelLimit = 1 << 16;

inline void check_mapping(const Picture& picture) {
  static const uint16_t kPalette[kMappingPaletteSize] = {
      0x0000, 0x7FFF, 0x001F, 0x03E0, 0x7C00, 0x001F, 0x0421, 0x4210,
      0x7FE0, 0x03FF, 0x7C1F, 0x0000, 0x2108, 0x6318, 0x1084, 0x5294};
  const size_t pixels = static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height);
  const PaletteMapping mapping = map_picture_to_palette(picture, kPalette, nullptr);
  if (!mapping_accepted(mapping)) {
    VCV_FUZZ_CHECK(mapping.indices.empty());
    VCV_FUZZ_CHECK(mapping.outside.pixels > 0);
    VCV_FUZZ_CHECK(static_cast<size_t>(mapping.outside.pixels) <= pixels);
    VCV_FUZZ_CHECK(mapping.outside.first_x >= 0 && mapping.outside.first_x < picture.width);
    VCV_FUZZ_CHECK(mapping.outside.first_y >= 0 && mapping.outside.first_y < picture.height);
    // The nearest colours take every picture, and never give an opaque outside pixel index 0.
    MappingOptions nearest;
    nearest.indexed = IndexedMapping::kColours;
    nearest.nearest = true;
    const PaletteMapping near = map_picture_to_palette(picture, kPalette, nullptr, nearest);
    VCV_FUZZ_CHECK(mapping_accepted(near) && near.indices.size() == pixels);
    VCV_FUZZ_CHECK(near.outside.pixels == mapping.outside.pixels);
    VCV_FUZZ_CHECK(near.indices[static_cast<size_t>(mapping.outside.first_y) * picture.width +
                                mapping.outside.first_x] != 0);
    return;
  }
  VCV_FUZZ_CHECK(mapping.indices.size() == pixels);
  if (mapping.result == MappingResult::kIndicesAsStored ||
      mapping.result == MappingResult::kIndicesOwnTable) {
    VCV_FUZZ_CHECK(mapping.indices == picture.indices);
    return;
  }
  for (uint8_t index : mapping.indices) VCV_FUZZ_CHECK(index < kMappingPaletteSize);
}

inline void check_picture(const Picture& picture) {
  VCV_FUZZ_CHECK(picture.width > 0 && picture.height > 0);
  const long long pixels = static_cast<long long>(picture.width) * picture.height;
  VCV_FUZZ_CHECK(pixels <= kMaxPicturePixels);
  const size_t count = static_cast<size_t>(pixels);
  if (picture.kind == PictureKind::kIndexed) {
    VCV_FUZZ_CHECK(picture.indices.size() == count);
    VCV_FUZZ_CHECK(picture.rgba.empty());
    VCV_FUZZ_CHECK(picture.colour_count >= 0 && picture.colour_count <= kMaxPictureColours);
    if (picture.colour_count > 0) {
      for (uint8_t index : picture.indices) VCV_FUZZ_CHECK(index < picture.colour_count);
    }
  } else {
    VCV_FUZZ_CHECK(picture.rgba.size() == 4 * count);
    VCV_FUZZ_CHECK(picture.indices.empty());
    if (!picture.has_alpha) {
      for (size_t i = 3; i < picture.rgba.size(); i += 4) VCV_FUZZ_CHECK(picture.rgba[i] == 255);
    }
  }
  if (pixels <= kMappedPixelLimit) check_mapping(picture);
}

// A reader's outcome: an accepted picture is sound; a refusal gives a one-line reason and leaves
// the picture empty.
inline void check_read(bool read, const Picture& picture, const std::string& error) {
  if (read) {
    check_picture(picture);
    return;
  }
  VCV_FUZZ_CHECK(!error.empty() && error.find('\n') == std::string::npos);
  VCV_FUZZ_CHECK(picture.width == 0 && picture.indices.empty() && picture.rgba.empty());
}

}  // namespace vcv::fuzz
