// A ROM's sprite data as files (see assets/asset_json.h for the JSON forms):
//
//   manifest.json         the ROM's file size, copier header, SHA-256, the tool's version, and
//                         the names of the other files (so that a later dump over this one can
//                         remove those it no longer writes)
//   entries.json          every entry's five header fields and its label
//   palettes.json         the palette types the entries use, and all weapon palettes
//   graphics/NNN.png      the tile data of each graphics number the entries use, 16 tiles to a
//                         row, an indexed PNG with the palette of the first entry that uses it
//   positions/NNN.json    the frame records of each position type the entries use
//   animations.json       both animation tables of each animation type the entries use
//   problems.txt          what could not be dumped (graphics that do not decode), one a line
//
// NNN is three hexadecimal digits. Everything is made in memory; the caller writes the files.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/json.h"
#include "sprite/sprite_data.h"

namespace vcv {

class RomImage;

struct AssetFile {
  std::string name;  // relative to the dump's folder, '/' between folders
  std::vector<uint8_t> bytes;
};

constexpr const char* kManifestFile = "manifest.json";
constexpr const char* kEntriesFile = "entries.json";
constexpr const char* kPalettesFile = "palettes.json";
constexpr const char* kAnimationsFile = "animations.json";
constexpr const char* kProblemsFile = "problems.txt";
constexpr int kAssetFormatVersion = 1;

std::string graphics_file_name(int number);      // "graphics/01A.png"
std::string position_file_name(int type);        // "positions/0E6.json"

// Called as the files are made: how many are done of how many.
using AssetProgress = std::function<void(int done, int total)>;

// Every file of the dump, manifest first. `rom` is the whole file as opened (its base is the
// copier header).
std::vector<AssetFile> dump_rom_assets(const RomImage& rom, const SpriteDirectory& directory,
                                       const AssetProgress& progress = {});

JsonValue manifest_json(const RomImage& rom);

// Whether `name` is one a dump writes (a fixed name, graphics/NNN.png or positions/NNN.json).
bool is_dump_file_name(const std::string& name);
// Whether `manifest` is a dump's manifest (an object with a format and a SHA-256), and the
// files it lists, those that are names a dump writes (an earlier version listed none).
bool read_manifest_file_list(const JsonValue& manifest, std::vector<std::string>* names);

}  // namespace vcv
