#include "image/palette_mapping.h"

#include <cstdio>
#include <memory>
#include <unordered_map>
#include <utility>

#include "image/colour_difference.h"

namespace vcv {

namespace {

constexpr int kChannelShift = 3;  // 8-bit channel to 5-bit palette value

uint16_t reduced_colour(uint8_t red, uint8_t green, uint8_t blue) {
  return static_cast<uint16_t>((red >> kChannelShift) | ((green >> kChannelShift) << 5) |
                               ((blue >> kChannelShift) << 10));
}

uint8_t red_of(uint32_t bgr) { return static_cast<uint8_t>(bgr); }
uint8_t green_of(uint32_t bgr) { return static_cast<uint8_t>(bgr >> 8); }
uint8_t blue_of(uint32_t bgr) { return static_cast<uint8_t>(bgr >> 16); }

// A 5-bit palette value as the display shows it.
uint8_t shown_level(int value) { return static_cast<uint8_t>((value & 31) * 255 / 31); }

// The palette's entries as the display shows them, in CIELAB.
struct PaletteLab {
  LabColour entry[kMappingPaletteSize];
  explicit PaletteLab(const uint16_t palette[kMappingPaletteSize]) {
    for (int i = 0; i < kMappingPaletteSize; ++i) {
      entry[i] = srgb_to_lab(shown_level(palette[i]), shown_level(palette[i] >> 5),
                             shown_level(palette[i] >> 10));
    }
  }
};

// The entries 1 to 15 nearest to `colour`, as a mask of indices (several when entries share a
// colour), with their difference.
uint32_t nearest_entries(const LabColour& colour, const PaletteLab& palette, double* difference) {
  uint32_t tied = 0;
  double best = 0;
  for (int i = 1; i < kMappingPaletteSize; ++i) {
    const double d = ciede2000(colour, palette.entry[i]);
    if (tied == 0 || d < best) {
      best = d;
      tied = 1u << i;
    } else if (d == best) {
      tied |= 1u << i;
    }
  }
  *difference = best;
  return tied;
}

// Among the nearest entries: the current index if it is one of them, else the lowest.
int choose_among(uint32_t tied, int current) {
  if (current > 0 && current < kMappingPaletteSize && (tied >> current & 1) != 0) return current;
  for (int i = 1; i < kMappingPaletteSize; ++i) {
    if ((tied >> i & 1) != 0) return i;
  }
  return 1;  // not reached: some entry is always nearest
}

// Nearest entries by colour, each colour worked out once: a picture holds few colours and the
// difference costs tens of operations per entry.
class NearestColours {
 public:
  explicit NearestColours(const uint16_t palette[kMappingPaletteSize]) : palette_(palette) {}

  int find(uint8_t red, uint8_t green, uint8_t blue, int current, double* difference) {
    const uint32_t key = (static_cast<uint32_t>(red) << 16) | (green << 8) | blue;
    auto found = known_.find(key);
    if (found == known_.end()) {
      Nearest n;
      n.tied = nearest_entries(srgb_to_lab(red, green, blue), palette_, &n.difference);
      found = known_.emplace(key, n).first;
    }
    *difference = found->second.difference;
    return choose_among(found->second.tied, current);
  }

 private:
  struct Nearest {
    uint32_t tied = 0;
    double difference = 0;
  };
  PaletteLab palette_;
  std::unordered_map<uint32_t, Nearest> known_;
};

// Maps pixel after pixel, counting (and, with nearest colours, mapping) those outside the
// palette.
class PixelMapper {
 public:
  PixelMapper(const uint16_t palette[kMappingPaletteSize], bool has_alpha, bool nearest,
              int width, PaletteMapping* mapping)
      : palette_(palette), has_alpha_(has_alpha), width_(width), mapping_(mapping) {
    if (nearest) nearest_.reset(new NearestColours(palette));
  }

  void map(size_t pixel, uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha, int current) {
    int index = match_palette_colour(red, green, blue, alpha, palette_, current, has_alpha_);
    if (index < 0) {
      note_outside(pixel, red, green, blue);
      if (nearest_) {
        double difference = 0;
        index = nearest_->find(red, green, blue, current, &difference);
        if (difference > mapping_->largest_difference) mapping_->largest_difference = difference;
      }
    }
    if (index >= 0) mapping_->indices[pixel] = static_cast<uint8_t>(index);
  }

 private:
  void note_outside(size_t pixel, uint8_t red, uint8_t green, uint8_t blue) {
    OutsideColours& outside = mapping_->outside;
    if (outside.pixels++ > 0) return;
    outside.first_x = static_cast<int>(pixel % static_cast<size_t>(width_));
    outside.first_y = static_cast<int>(pixel / static_cast<size_t>(width_));
    outside.first_rgb = (static_cast<uint32_t>(red) << 16) | (static_cast<uint32_t>(green) << 8) |
                        blue;
  }

  const uint16_t* palette_;
  bool has_alpha_;
  int width_;
  PaletteMapping* mapping_;
  std::unique_ptr<NearestColours> nearest_;
};

PaletteMapping finish(PaletteMapping mapping, MappingResult accepted, bool nearest) {
  if (mapping.outside.pixels > 0 && !nearest) {
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
  return reduced_colour(red_of(c), green_of(c), blue_of(c)) ==
         (palette[index] & kPaletteColourBits);
}

bool table_agrees(const Picture& picture, const uint16_t palette[kMappingPaletteSize]) {
  bool used[kMaxPictureColours] = {};
  for (uint8_t index : picture.indices) used[index] = true;
  for (int i = 0; i < kMaxPictureColours; ++i) {
    if (used[i] && !table_entry_agrees(picture, i, palette)) return false;
  }
  return true;
}

PaletteMapping as_stored(const Picture& picture, MappingResult result) {
  PaletteMapping mapping;
  mapping.indices = picture.indices;
  mapping.result = result;
  return mapping;
}

// Each pixel by its table colour and alpha.
PaletteMapping indexed_by_colour(const Picture& picture,
                                 const uint16_t palette[kMappingPaletteSize],
                                 const uint8_t* current, bool nearest) {
  PaletteMapping mapping;
  mapping.indices.resize(picture.indices.size());
  PixelMapper mapper(palette, picture.has_alpha, nearest, picture.width, &mapping);
  for (size_t i = 0; i < picture.indices.size(); ++i) {
    const uint8_t index = picture.indices[i];  // below colour_count: the picture's promise
    const uint32_t c = picture.colours[index];
    mapper.map(i, red_of(c), green_of(c), blue_of(c), picture.colour_alpha[index],
               current_index(current, i));
  }
  return finish(std::move(mapping), MappingResult::kRemappedByColour, nearest);
}

PaletteMapping map_indexed(const Picture& picture, const uint16_t palette[kMappingPaletteSize],
                           const uint8_t* current, const MappingOptions& options) {
  if (picture.colour_count == 0 || options.indexed == IndexedMapping::kIndices) {
    return as_stored(picture, MappingResult::kIndicesAsStored);
  }
  if (options.indexed == IndexedMapping::kColours) {
    return indexed_by_colour(picture, palette, current, options.nearest);
  }
  if (table_agrees(picture, palette)) return as_stored(picture, MappingResult::kIndicesAsStored);
  PaletteMapping mapping = indexed_by_colour(picture, palette, current, false);
  if (mapping_accepted(mapping)) return mapping;
  // Colours the palette lacks: a table of the program's own, whose indices are what was drawn.
  PaletteMapping own = as_stored(picture, MappingResult::kIndicesOwnTable);
  own.outside = mapping.outside;
  return own;
}

}  // namespace

int match_palette_colour(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha,
                         const uint16_t palette[kMappingPaletteSize], int current,
                         bool has_alpha) {
  if (alpha < kOpaqueAlpha) return 0;
  const uint16_t colour = reduced_colour(red, green, blue);
  uint32_t candidates = 0;
  for (int i = 0; i < kMappingPaletteSize; ++i) {
    if ((palette[i] & kPaletteColourBits) == colour) candidates |= 1u << i;
  }
  if (candidates == 0) return -1;
  const bool current_counts = current > 0 || (current == 0 && !has_alpha);
  if (current_counts && current < kMappingPaletteSize && (candidates >> current & 1) != 0) {
    return current;
  }
  for (int i = 1; i < kMappingPaletteSize; ++i) {
    if ((candidates >> i & 1) != 0) return i;
  }
  return 0;  // index 0 is the sole candidate
}

int nearest_palette_colour(uint8_t red, uint8_t green, uint8_t blue,
                           const uint16_t palette[kMappingPaletteSize], int current,
                           double* difference) {
  return choose_among(nearest_entries(srgb_to_lab(red, green, blue), PaletteLab(palette),
                                      difference),
                      current);
}

PaletteMapping map_rgba_to_palette(const uint8_t* rgba, int width, int height, bool has_alpha,
                                   const uint16_t palette[kMappingPaletteSize],
                                   const uint8_t* current, bool nearest) {
  PaletteMapping mapping;
  const size_t count =
      width > 0 && height > 0 ? static_cast<size_t>(width) * static_cast<size_t>(height) : 0;
  mapping.indices.resize(count);
  PixelMapper mapper(palette, has_alpha, nearest, width, &mapping);
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* p = rgba + 4 * i;
    mapper.map(i, p[0], p[1], p[2], p[3], current_index(current, i));
  }
  return finish(std::move(mapping), MappingResult::kMappedByColour, nearest);
}

PaletteMapping map_picture_to_palette(const Picture& picture,
                                      const uint16_t palette[kMappingPaletteSize],
                                      const uint8_t* current, const MappingOptions& options) {
  if (picture.kind == PictureKind::kTrueColour) {
    return map_rgba_to_palette(picture.rgba.data(), picture.width, picture.height,
                               picture.has_alpha, palette, current, options.nearest);
  }
  return map_indexed(picture, palette, current, options);
}

std::string describe_outside_colours(const OutsideColours& outside, const char* one_pixel,
                                    const char* many_pixels) {
  char text[240];
  const unsigned rgb = outside.first_rgb & 0xFFFFFF;
  if (outside.pixels == 1) {
    std::snprintf(text, sizeof text, one_pixel, outside.first_x, outside.first_y, rgb);
  } else {
    std::snprintf(text, sizeof text, many_pixels, outside.pixels, outside.first_x,
                  outside.first_y, rgb);
  }
  return text;
}

std::string outside_palette_message(const PaletteMapping& mapping) {
  return describe_outside_colours(
      mapping.outside, "1 pixel has a colour outside the palette; it is at (%d, %d): #%06X",
      "%lld pixels have colours outside the palette; the first is at (%d, %d): #%06X");
}

std::string nearest_colours_message(const PaletteMapping& mapping) {
  char text[200];
  if (mapping.outside.pixels == 1) {
    std::snprintf(text, sizeof text,
                  "1 pixel was mapped to the nearest palette colour; its colour difference "
                  "(CIEDE2000) is %.1f",
                  mapping.largest_difference);
  } else {
    std::snprintf(text, sizeof text,
                  "%lld pixels were mapped to the nearest palette colours; the largest colour "
                  "difference (CIEDE2000) is %.1f",
                  mapping.outside.pixels, mapping.largest_difference);
  }
  return text;
}

std::string own_table_message(const PaletteMapping& mapping) {
  return describe_outside_colours(
      mapping.outside,
      "The picture's colour table is not the palette (1 pixel has a colour outside it, at (%d, "
      "%d): #%06X), so its indices were taken as stored",
      "The picture's colour table is not the palette (%lld pixels have colours outside it, the "
      "first at (%d, %d): #%06X), so its indices were taken as stored");
}

}  // namespace vcv
