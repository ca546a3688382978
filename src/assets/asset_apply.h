// Applying a dump's files (assets/asset_dump.h) back to the ROM: each file is read strictly and
// compared with what the ROM holds, and every difference becomes a change in one copy of the ROM
// image. Graphics are encoded again and written in place when they fit, else their bank region
// is repacked; palettes, weapon palettes, frame records and header fields are written in place.
// Numbers that name one block (graphics numbers, position types) read back the same bytes, so an
// edit made through one of them is written once and becomes the content of all of them.
// The copy is then read back as a whole and compared with what the files say, and only a copy
// that holds exactly that is handed out: the caller puts it on disk in one replacement.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "image/palette_mapping.h"
#include "rom/rom_image.h"
#include "sprite/pack_method.h"
#include "sprite/sprite_data.h"

namespace vcv {

// Reads one file of the dump by its name relative to the dump's folder ("graphics/01A.png");
// false with *error (one line) when it is missing or cannot be read.
using AssetReader =
    std::function<bool(const std::string& name, std::vector<uint8_t>* bytes, std::string* error)>;

struct ApplyOptions {
  PackMethod method = PackMethod::kGame;  // the encoder of edited and repacked blocks
  bool force = false;                     // apply files dumped from another ROM
  MappingOptions mapping;                 // how graphics pictures become indices
};

struct ApplyPlan {
  std::vector<std::string> changes;  // one line per change: what, where, sizes, how written
  std::vector<std::string> regions;  // the free bytes each region written to will keep
  std::vector<std::string> notes;    // what the user should know (a forced manifest, pictures
                                     // taken by index or with nearest colours)
  RomImage changed;                  // the ROM with every change, checked
  bool has_changes() const { return !changes.empty(); }
};

// Builds the plan and the changed copy. False with *error when a file is missing or malformed
// (the file, and the JSON pointer or the pixel at fault), when the manifest names another ROM
// without `force`, when animations changed (not supported), or when graphics cannot be stored
// (a region that cannot hold them: the region, the bytes needed and the bytes free; a pixel a
// partial last tile cannot hold), when two numbers of one block are edited differently, when a
// changed header field names a number past the table it indexes, or when the changed ROM would
// have a problem that the check of verify (sprite/rom_check.h) does not find in the ROM now.
// A graphics picture with colours outside the palette is refused unless `options.mapping` asks
// for the nearest colours; an indexed one whose own colour table holds such colours gives its
// indices as stored (a note says so) unless `options.mapping` says otherwise.
bool plan_asset_apply(const RomImage& rom, const SpriteDirectory& directory,
                      const AssetReader& read, const ApplyOptions& options, ApplyPlan* plan,
                      std::string* error);

}  // namespace vcv
