// The sprite directory (sizes and frame counts of every position data block, computed once per
// opened ROM) and the loading of one entry into the sprite working set.
#pragma once

#include <cstdint>

#include "sprite/sprite_data.h"

namespace vcv {

class RomImage;

// Bank limits that replace a block's end when the next block lies in another bank.
struct BankLimit {
  int bank;
  int32_t limit;  // 24-bit address
};
constexpr BankLimit kPositionBankLimits[] = {
    {0xDC, 0xDCDF98}, {0xDD, 0xDDFD48}, {0xDE, 0xDEBF90}, {0xE1, 0xE1F518}};

// End address of position data block `index` among `count` 24-bit pointers: the smallest pointer
// above it (or the default end), replaced by its bank's limit when that end lies in another
// bank. Equal pointers get the same end.
int32_t position_block_end(const int32_t* pointers, int count, int index);

// Fills the directory from the tables of the open ROM. A block whose end lies below its start
// (possible only with damaged tables) gets size 0 and no frames.
void build_sprite_directory(const RomImage& rom, SpriteDirectory& directory);

// Directory values of a position type; position types the table does not hold give 0.
int directory_position_size(const SpriteDirectory& directory, int position_type);
int directory_frame_count(const SpriteDirectory& directory, int position_type);

constexpr int kLastEntry = kEntryCount - 1;  // 0x1FB

// The long pointer (bank << 16 | offset) of entry `index` of a pointer table of bank E4, such as
// kGraphicsPointerTable or kPositionPointerTable.
int32_t read_table_pointer(const RomImage& rom, int table, int index);

// How loading splits an animation table of `table_size` bytes: the part of facing f starts
// f * quarter bytes in, and `kept` bytes of it (at most one slot) are read.
struct AnimationQuarters {
  int quarter;
  int kept;
};
AnimationQuarters animation_quarters(int table_size);

// The pieces of loading, each reading one buffer of the working set as loading fills it, so
// that a buffer can be read again on its own (what an edited buffer is compared with).
// Tile data of graphics number `graphics_number` stored at bank:offset, into `tile_data`
// (kTileDataSize bytes; what was not read or decoded is cleared); false when a packed block
// does not decode.
bool read_tile_data_at(const RomImage& rom, int graphics_number, int bank, int offset,
                       uint8_t* tile_data, int* decoded_size, int* stored_size);
// The same, at the address the graphics pointer table gives.
bool read_tile_data(const RomImage& rom, int graphics_number, uint8_t* tile_data,
                    int* decoded_size, int* stored_size);
// Colours 1..12 of a palette type, and colours 13..15 of a weapon palette (clamped to 0..31).
void read_palette_record(const RomImage& rom, int palette_type, uint16_t* colours);
void read_weapon_record(const RomImage& rom, int weapon_palette, uint16_t* colours);
// The position data of a position type into `data` (kPositionDataCapacity bytes, the rest
// cleared); returns the bytes read.
int read_position_block(const RomImage& rom, const SpriteDirectory& directory, int position_type,
                        uint8_t* data);

// Makes `entry` the loaded entry of `set`, with the weapon colours of `weapon_palette` (0..31).
// Returns 1 when the entry is loaded (at once when it already was), 0 when the entry id is out of
// range (nothing changes) or its graphics fail to decode. After a failed decode the working set
// holds the new header, addresses, palette and animations, no tile data (decoded size 0), an
// empty sheet, frame store and position data; `failed_entry` names the entry and `loaded_entry`
// stays -1 so that the next load tries again. Every buffer is filled only up to its capacity.
int load_entry(const RomImage& rom, const SpriteDirectory& directory, SpriteWorkingSet& set,
               int entry, int weapon_palette);

}  // namespace vcv
