#include "image/palette_mapping.h"

#include <cstdio>
#include <utility>

namespace vcv {

namespace {

constexpr int kChannelShift = 3;  // 8-bit channel to 5-bit palette value

uint16_t reduced_colour(uint8_t red, uint8_t green, uint8_t blue) {
  return static_cast<uint16_t>((red >> kChannelShift) | ((green >> kChannelShift) << 5) |
                               ((blue >> kChannelShift) << 10));
}

// Counts and remembers the pixels that match no entry.
struct OutsideTally {
  PaletteMapping* mapping;
  void add(size_t pixel, int width, uint8_t red, uint8_t green, uint8_t blue) {
    if (mapping->outside_pixels++ > 0) return;
    mapping->first_outside_x = static_cast<int>(pixel % static_cast<size_t>(width));
    mapping->first_outside_y = static_cast<int>(pixel / static_cast<size_t>(width));
    mapping->first_outside_rgb = (static_cast<uint32_t>(red) << 16) |
                                 (static_cast<uint32_t>(green) << 8) | blue;
  }
};

PaletteMapping finish(PaletteMapping mapping, MappingResult accepted) {
  if (mapping.outside_pixels > 0) {
    mapping.result = MappingResult::kColoursOutsidePalette;
    mapping.indices.clear();
  } else {
    mapping.result = accepted;
  }
  return mapping;
}

int current_index(const uint8_t* current, size_t pixel) {
  return current != nullptr ? current[pixel] : -1;
}

// Whether the used table entry `index` says the same colour as the palette entry there.
bool table_entry_agrees(const Picture& picture, int index,
                        const uint16_t palette[kMappingPaletteSize]) {
  if (index >= kMappingPaletteSize || index >= picture.colour_count) return false;
  if (picture.colour_alpha[index] < kOpaqueAlpha) return index == 0;
  const uint32_t c = picture.colours[index];
  return reduced_colour(static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8),
                        static_cast<uint8_t>(c >> 16)) == (palette[index] & kPaletteColourBits);
}

PaletteMapping map_indexed(const Picture& picture, const uint16_t palette[kMappingPaletteSize],
                           const uint8_t* current) {
  PaletteMapping mapping;
  bool used[kMaxPictureColours] = {};
  for (uint8_t index : picture.indices) used[index] = true;
  bool agrees = true;
  for (int i = 0; i < kMaxPictureColours && agrees; ++i) {
    agrees = !used[i] || table_entry_agrees(picture, i, palette);
  }
  if (picture.colour_count == 0 || agrees) {
    mapping.indices = picture.indices;
    return finish(std::move(mapping), MappingResult::kIndicesAsStored);
  }
  mapping.indices.resize(picture.indices.size());
  OutsideTally outside{&mapping};
  for (size_t i = 0; i < picture.indices.size(); ++i) {
    const uint8_t index = picture.indices[i];
    const uint32_t c = picture.colours[index];
    const uint8_t red = static_cast<uint8_t>(c), green = static_cast<uint8_t>(c >> 8),
                  blue = static_cast<uint8_t>(c >> 16);
    // An index without a table entry has no colour to match.
    const int match = index >= picture.colour_count
                          ? -1
                          : match_palette_colour(red, green, blue, picture.colour_alpha[index],
                                                 palette, current_index(current, i));
    if (match < 0) {
      outside.add(i, picture.width, red, green, blue);
    } else {
      mapping.indices[i] = static_cast<uint8_t>(match);
    }
  }
  return finish(std::move(mapping), MappingResult::kRemappedByColour);
}

}  // namespace

int match_palette_colour(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha,
                         const uint16_t palette[kMappingPaletteSize], int current) {
  if (alpha < kOpaqueAlpha) return 0;
  const uint16_t colour = reduced_colour(red, green, blue);
  bool zero_matches = false, current_matches = false;
  int lowest_opaque = -1;
  for (int i = 0; i < kMappingPaletteSize; ++i) {
    if ((palette[i] & kPaletteColourBits) != colour) continue;
    if (i == 0) zero_matches = true;
    if (i != 0 && lowest_opaque < 0) lowest_opaque = i;
    if (i != 0 && i == current) current_matches = true;
  }
  if (current_matches) return current;
  if (lowest_opaque >= 0) return lowest_opaque;
  return zero_matches ? 0 : -1;
}

PaletteMapping map_rgba_to_palette(const uint8_t* rgba, int width, int height,
                                   const uint16_t palette[kMappingPaletteSize],
                                   const uint8_t* current) {
  PaletteMapping mapping;
  const size_t count =
      width > 0 && height > 0 ? static_cast<size_t>(width) * static_cast<size_t>(height) : 0;
  mapping.indices.resize(count);
  OutsideTally outside{&mapping};
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* p = rgba + 4 * i;
    const int match =
        match_palette_colour(p[0], p[1], p[2], p[3], palette, current_index(current, i));
    if (match < 0) {
      outside.add(i, width, p[0], p[1], p[2]);
    } else {
      mapping.indices[i] = static_cast<uint8_t>(match);
    }
  }
  return finish(std::move(mapping), MappingResult::kMappedByColour);
}

PaletteMapping map_picture_to_palette(const Picture& picture,
                                      const uint16_t palette[kMappingPaletteSize],
                                      const uint8_t* current) {
  if (picture.kind == PictureKind::kTrueColour) {
    return map_rgba_to_palette(picture.rgba.data(), picture.width, picture.height, palette,
                               current);
  }
  return map_indexed(picture, palette, current);
}

std::string outside_palette_message(const PaletteMapping& mapping) {
  char text[160];
  const unsigned rgb = mapping.first_outside_rgb & 0xFFFFFF;
  if (mapping.outside_pixels == 1) {
    std::snprintf(text, sizeof text,
                  "1 pixel has a colour outside the palette; it is at (%d, %d): #%06X",
                  mapping.first_outside_x, mapping.first_outside_y, rgb);
  } else {
    std::snprintf(text, sizeof text,
                  "%lld pixels have colours outside the palette; the first is at (%d, %d): #%06X",
                  mapping.outside_pixels, mapping.first_outside_x, mapping.first_outside_y, rgb);
  }
  return text;
}

}  // namespace vcv
