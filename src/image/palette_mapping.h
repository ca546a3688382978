// Matching a picture's colours to the sprite's 16-colour palette, so that a picture edited in a
// program that keeps colours rather than indices (or re-sorts the palette when it saves) comes
// back with the indices it was drawn with.
//
// The palette is 16 palette colours: 15-bit words, red in bits 0-4, green 5-9, blue 10-14, bit 15
// ignored. A pixel matches an entry when each 8-bit channel shifted right by 3 equals the
// entry's 5-bit value, so any expansion of 5 to 8 bits that keeps the top five bits comes back.
//
// Rules for one pixel:
// - alpha below 128: index 0;
// - one matching entry: that index;
// - several: the pixel's current index if it is one of them and not 0, else the lowest matching
//   index other than 0 (0 is taken only when it is the sole match: an opaque pixel that shares
//   the transparent entry's colour gets the opaque index);
// - none: the pixel is outside the palette, and the whole mapping is refused.
//
// Safety contract: pure functions over caller-owned memory; `rgba` holds width x height x 4
// bytes and `current`, when not null, width x height indices.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image/picture.h"

namespace vcv {

constexpr int kMappingPaletteSize = 16;
constexpr int kOpaqueAlpha = 128;  // alpha below this is transparent: index 0
constexpr uint16_t kPaletteColourBits = 0x7FFF;

enum class MappingResult {
  kIndicesAsStored,        // indexed picture without a colour table, or whose used colours
                           // agree with the palette at their own indices
  kMappedByColour,         // true-colour picture: every pixel matched
  kRemappedByColour,       // indexed picture whose colour table disagreed with the palette (a
                           // program re-sorted it): mapped by colour; worth telling the user
  kColoursOutsidePalette,  // refused; outside_pixels counts them, the first is described
};

struct PaletteMapping {
  MappingResult result = MappingResult::kColoursOutsidePalette;
  std::vector<uint8_t> indices;  // width x height, top row first; empty when refused
  long long outside_pixels = 0;
  int first_outside_x = 0;  // the first outside pixel in row order
  int first_outside_y = 0;
  uint32_t first_outside_rgb = 0;  // its colour as read, 0xRRGGBB
};

inline bool mapping_accepted(const PaletteMapping& mapping) {
  return mapping.result != MappingResult::kColoursOutsidePalette;
}

// The index for one pixel (red, green, blue, alpha) by the rules above, or -1 when no entry
// matches. `current` is the pixel's index now, or -1 when unknown.
int match_palette_colour(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha,
                         const uint16_t palette[kMappingPaletteSize], int current);

// Every pixel of an RGBA picture.
PaletteMapping map_rgba_to_palette(const uint8_t* rgba, int width, int height,
                                   const uint16_t palette[kMappingPaletteSize],
                                   const uint8_t* current);

// A picture as read from a PNG or BMP file or a "PNG" clipboard block. True colour: by colour.
// Indexed without a colour table: the indices as stored. Indexed with a table: when the table
// colours of the indices actually used agree with the palette entries at those indices (reduced
// to 5 bits; a transparent table entry agrees only at index 0), the indices as stored;
// otherwise each pixel is mapped by its table colour and alpha, or the mapping is refused.
PaletteMapping map_picture_to_palette(const Picture& picture,
                                      const uint16_t palette[kMappingPaletteSize],
                                      const uint8_t* current);

// The user's message for a refused mapping, e.g.
// "12 pixels have colours outside the palette; the first is at (3, 7): #FF00FF".
std::string outside_palette_message(const PaletteMapping& mapping);

}  // namespace vcv
