// The sprite data of a ROM as its tables organise it, for keeping as files: the entries' header
// fields, the palettes and weapon palettes, the tile data of every graphics number, the frame
// records of every position type and the animation tables of every animation type the entries
// name. Several entries share graphics, palettes and position data, so each is held once, by
// the number the tables give it.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "sprite/entry_headers.h"
#include "sprite/sprite_data.h"

namespace vcv {

class RomImage;

constexpr int kPaletteTypeColours = 12;  // colours 1..12
constexpr int kWeaponColours = 3;        // colours 13..15

struct GraphicsAsset {
  int number = 0;
  int32_t address = 0;          // 24-bit SNES address from the graphics pointer table
  bool plain = false;           // numbers 0..6: fixed size, not packed
  bool decoded = false;         // false: the packed block does not decode (no tile data)
  int stored_size = 0;          // packed size as loading measures it, or the plain size
  std::vector<uint8_t> tiles;   // the tile data (decoded size bytes)
  int first_entry = 0;          // the lowest entry that names it
  uint16_t palette[16] = {};    // that entry's colours, with weapon palette 0 (colour 0 is 0)
};

struct PositionAsset {
  int type = 0;
  int32_t address = 0;
  int size_index = 0;            // size type of the directory (0..3): the record layout
  int frame_count = 0;           // whole records, as far as loading reads them
  std::vector<uint8_t> records;  // frame_count records of kRecordSize[size_index] bytes
};

struct AnimationAsset {
  int type = 0;
  int offset[2] = {};  // in bank E4
  // Animation 1 and 2, each facing's part as loading reads it (animation_quarters).
  std::vector<uint8_t> facings[2][kFacingCount];
};

struct RomAssets {
  std::vector<EntryHeader> headers;                                      // kEntryCount
  std::map<int, std::array<uint16_t, kPaletteTypeColours>> palettes;     // the types used
  std::array<std::array<uint16_t, kWeaponColours>, kWeaponPaletteCount> weapons{};
  std::vector<GraphicsAsset> graphics;     // the numbers used, ascending
  std::vector<PositionAsset> positions;    // the types used that the pointer table holds
  std::vector<AnimationAsset> animations;  // the types used
  std::vector<std::string> problems;       // what could not be read, one line each

  const GraphicsAsset* find_graphics(int number) const;
  const PositionAsset* find_position(int type) const;
};

// Reads everything the entries name. Position records follow `directory` (its size types and
// block sizes), at most kPositionDataCapacity bytes and kFrameStoreSize frames, as loading
// takes them; animation tables split into facings as loading splits them. `naming`, when
// given, decides which numbers are read in place of the ROM's own header records (to read back
// a changed ROM in the shape of the one it came from).
RomAssets read_rom_assets(const RomImage& rom, const SpriteDirectory& directory,
                          const std::vector<EntryHeader>* naming = nullptr);

// Where in bank E4 (or D1) the palette of a type and a weapon palette lie.
int palette_offset(int palette_type);
int weapon_palette_offset(int weapon);

// The sheet of a graphics number (sheet_height_for its size): tiles 16 to a row, every tile of
// the tile data (a partial last tile drawn from its bytes, the rest as 0).
std::vector<uint8_t> draw_graphics_sheet(const std::vector<uint8_t>& tiles);
// The tile data back from a sheet of that height (width kSheetWidth), `size` bytes. A partial
// last tile keeps only its first bytes (16 of them hold the two low bit planes), so the sheet
// may hold indices the tile data cannot: false, with *error naming the first such pixel.
bool encode_graphics_sheet(const std::vector<uint8_t>& sheet, int size,
                           std::vector<uint8_t>* tiles, std::string* error);

// "D2:EE80".
std::string address_text(int32_t address);

}  // namespace vcv
