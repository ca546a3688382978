// Matching a picture's colours to the sprite's 16-colour palette, so that a picture edited in a
// program that keeps colours rather than indices (or re-sorts the palette when it saves) comes
// back with the indices it was drawn with.
//
// The palette is 16 palette colours: 15-bit words, red in bits 0-4, green 5-9, blue 10-14, bit 15
// ignored. A pixel matches an entry when each 8-bit channel shifted right by 3 equals the
// entry's 5-bit value, so any expansion of 5 to 8 bits that keeps the top five bits comes back.
// The entries a pixel's colour matches are its candidates.
//
// Rules for one pixel:
// - alpha below 128: index 0;
// - no candidate: the pixel is outside the palette; the whole mapping is refused, or with
//   `nearest` the pixel takes the entry nearest to its colour (below);
// - a picture that carries alpha (an alpha channel, a tRNS chunk, alpha bytes in a bitmap), where
//   transparency says what is index 0: the pixel's current index if it is a candidate other than
//   0, else the lowest candidate other than 0 (an opaque pixel that shares the transparent
//   entry's colour gets an opaque index); 0 only when it is the sole candidate;
// - a picture without alpha, where the untouched background comes back in colour 0's colour: the
//   current index if it is a candidate, 0 included, else the lowest candidate other than 0, else
//   0.
// Nearest colours: the entry among 1 to 15 (never 0: the pixel is opaque) with the smallest
// CIEDE2000 difference from the pixel on CIELAB (image/colour_difference.h), each entry taken as
// the display shows it (5 bits expanded by v x 255 / 31); between entries of one colour the
// current index if it is one of them, else the lowest.
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

// How an indexed picture with a colour table of its own is taken.
enum class IndexedMapping {
  kAuto,     // as stored when the table's used colours agree with the palette at those indices,
             // or when some used colour is not in the palette at all (a program's own table,
             // such as a grey ramp, edited by index); by colour when every used colour is in the
             // palette but at other indices (a program re-sorted the table)
  kIndices,  // as stored, whatever the table holds
  kColours,  // by colour, whatever the table holds
};

struct MappingOptions {
  IndexedMapping indexed = IndexedMapping::kAuto;
  bool nearest = false;  // a colour outside the palette takes the nearest entry instead of
                         // refusing the picture (pictures mapped by colour only)
};

enum class MappingResult {
  kIndicesAsStored,        // indexed picture without a colour table, whose used colours agree
                           // with the palette at their own indices, or taken by index on request
  kIndicesOwnTable,        // indexed picture whose table holds colours outside the palette: its
                           // indices as stored; `outside` describes those colours; worth telling
                           // the user
  kMappedByColour,         // true-colour picture: every pixel matched (or took its nearest entry)
  kRemappedByColour,       // indexed picture whose colour table disagreed with the palette (a
                           // program re-sorted it): mapped by colour; worth telling the user
  kColoursOutsidePalette,  // refused; `outside` counts them, the first is described
};

// The pixels whose colour no palette entry has.
struct OutsideColours {
  long long pixels = 0;
  int first_x = 0;  // the first such pixel in row order
  int first_y = 0;
  uint32_t first_rgb = 0;  // its colour as read, 0xRRGGBB
};

struct PaletteMapping {
  MappingResult result = MappingResult::kColoursOutsidePalette;
  std::vector<uint8_t> indices;  // width x height, top row first; empty when refused
  OutsideColours outside;        // with `nearest`: the pixels that took their nearest entry
  double largest_difference = 0;  // with `nearest`: the largest CIEDE2000 difference among them
};

inline bool mapping_accepted(const PaletteMapping& mapping) {
  return mapping.result != MappingResult::kColoursOutsidePalette;
}

// Pixels outside the palette that took their nearest entries.
inline bool mapped_to_nearest(const PaletteMapping& mapping) {
  return mapping_accepted(mapping) && mapping.result != MappingResult::kIndicesOwnTable &&
         mapping.outside.pixels > 0;
}

// The index for one pixel (red, green, blue, alpha) by the rules above, or -1 when no entry
// matches. `current` is the pixel's index now, or -1 when unknown; `has_alpha` says whether the
// picture carries alpha.
int match_palette_colour(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha,
                         const uint16_t palette[kMappingPaletteSize], int current,
                         bool has_alpha);

// The entry 1 to 15 nearest to an opaque colour (CIEDE2000), and that difference.
int nearest_palette_colour(uint8_t red, uint8_t green, uint8_t blue,
                           const uint16_t palette[kMappingPaletteSize], int current,
                           double* difference);

// Every pixel of an RGBA picture.
PaletteMapping map_rgba_to_palette(const uint8_t* rgba, int width, int height, bool has_alpha,
                                   const uint16_t palette[kMappingPaletteSize],
                                   const uint8_t* current, bool nearest = false);

// A picture as read from a PNG or BMP file or a "PNG" clipboard block. True colour: by colour.
// Indexed without a colour table: the indices as stored. Indexed with a table: as
// `options.indexed` says (a table's transparent entry agrees only at index 0).
PaletteMapping map_picture_to_palette(const Picture& picture,
                                      const uint16_t palette[kMappingPaletteSize],
                                      const uint8_t* current, const MappingOptions& options = {});

// The outside colours in a sentence: `one_pixel` formats the first pixel's x, y and 0xRRGGBB,
// `many_pixels` the count (long long) before them.
std::string describe_outside_colours(const OutsideColours& outside, const char* one_pixel,
                                    const char* many_pixels);

// The user's message for a refused mapping, e.g.
// "12 pixels have colours outside the palette; the first is at (3, 7): #FF00FF".
std::string outside_palette_message(const PaletteMapping& mapping);

// What a mapping with nearest colours did, e.g. "12 pixels were mapped to the nearest palette
// colours; the largest colour difference (CIEDE2000) is 4.2".
std::string nearest_colours_message(const PaletteMapping& mapping);

// Why an indexed picture's indices were taken as stored although its table is not the palette.
std::string own_table_message(const PaletteMapping& mapping);

}  // namespace vcv
