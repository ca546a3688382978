// What a paste writes, from what the clipboard or a file holds: the picture, chosen among the
// formats on offer, as palette indices. Pictures that carry indices the program wrote itself, or
// indices over a colour table of their own, come back as stored; pictures that carry colours (or
// a palette some program re-sorted) are matched onto the sprite's palette
// (image/palette_mapping.h), and refused as a whole when a pixel has no colour there unless the
// caller asks for the nearest colours. Pure bytes in, indices out: the front ends only fetch the
// clipboard's blocks and ask the user.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "edit/command_result.h"
#include "image/palette_mapping.h"
#include "image/picture.h"
#include "platform/ui.h"

namespace vcv {

constexpr int kPastePaletteSize = 16;

// What the paste writes into, as it is now: width x height palette indices, top row first. A
// paste reads at most the picture's top-left part of this size; a pixel matched by colour keeps
// its current index when several palette entries have its colour and the current one is among
// them. `dib_capacity` bounds an 8-bit bitmap's stored pixels, as the paste's scratch buffer does.
struct PasteTarget {
  const uint8_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  size_t dib_capacity = 0;
};

// The indices to write: the picture's top-left part that the target covers.
struct PasteIndices {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> indices;  // width x height, top row first
  OutsideColours outside;        // after kOutsidePalette: the pixels that were not matched
};

// A picture read from "PNG" or a file, onto the palette (the 16 palette words the panel shows),
// an indexed one as `options.indexed` says; with `options.nearest` a colour outside the palette
// takes its nearest entry. Results:
// - kDone: true colour matched, or indices as stored;
// - kPastedByColour: an indexed picture whose colour table disagreed with the palette, matched
//   by colour;
// - kPastedOwnTable: an indexed picture whose table holds colours outside the palette, its
//   indices as stored; `detail` says so;
// - kPastedNearest: pixels outside the palette took their nearest entries; `detail` says how
//   many and the largest colour difference;
// - kOutsidePalette: refused, with the count and the first such pixel in `detail` and
//   `out->outside`; the rest of `out` is left as it was.
CommandResult map_pasted_picture(const Picture& picture,
                                 const uint16_t palette[kPastePaletteSize],
                                 const PasteTarget& target, const MappingOptions& options,
                                 PasteIndices* out);

// The picture a paste takes, the first of these the clipboard holds:
// 1. an 8-bit CF_DIB, indices as stored (image/dib_parse.h, its colour table ignored);
// 2. "PNG" (indexed: as `options.indexed` says, by default indices as stored unless its colour
//    table is the palette re-sorted; true colour: matched);
// 3. CF_DIBV5, then CF_DIB, of 24 or 32 bits (BI_RGB or BI_BITFIELDS), matched by colour.
// A block that cannot be read is passed over. Nothing to take gives kNoPicture with the formats
// found in `detail`; otherwise as map_pasted_picture.
CommandResult take_clipboard_picture(const ClipboardContents& contents,
                                     const uint16_t palette[kPastePaletteSize],
                                     const PasteTarget& target, const MappingOptions& options,
                                     PasteIndices* out);

// The clipboard's formats for the user: "CF_UNICODETEXT, CF_LOCALE", or "it is empty".
std::string clipboard_format_list(const std::vector<std::string>& names);

}  // namespace vcv
