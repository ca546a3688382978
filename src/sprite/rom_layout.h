// Where the things the ROM's tables name lie in the file: the graphics blocks and position data
// blocks the entries use, the animation data, and the tables themselves. Used to keep a typed
// write position off everything else, and to check and map a ROM.
#pragma once

#include <string>
#include <vector>

#include "sprite/sprite_data.h"

namespace vcv {

class RomImage;

enum class BlockKind { kGraphics, kPositionData, kAnimationData, kTable };

struct KnownBlock {
  BlockKind kind;
  int number;         // graphics number, position type or animation type; -1 for a table
  long long start;    // file offsets, end exclusive
  long long end;
  std::string name;   // for messages: "graphics 08 at D2EE80", "the character table"
};

// Every block the tables name, in table order. A packed graphics block counts with its packed
// size as loading measures it; one that does not decode counts with its first byte only, since
// its extent is unknown. Blocks of size 0 are left out.
std::vector<KnownBlock> known_blocks(const RomImage& rom, const SpriteDirectory& directory);

// The cartridge's internal header and vectors, C0:FFB0 to C0:FFFF (file offsets FFB0 to FFFF
// of a headerless image): not a table the sprites use, but nothing may be written over it.
KnownBlock cartridge_header_block(const RomImage& rom);

// The packed size of the block at bank:offset, measured as loading measures it (reading
// kPackedReadSize bytes, decoding with its limit); -1 when no block that loads stands there.
int loaded_packed_size(const RomImage& rom, int bank, int offset);

// The graphics numbers the entries' header records name, ascending.
std::vector<int> used_graphics_numbers(const RomImage& rom);

}  // namespace vcv
