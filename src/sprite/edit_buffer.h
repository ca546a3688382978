// The buffers of sprite data an edit changes, named by what the ROM's tables call them rather
// than by the entry that shows them: entries that share a palette type, graphics number or
// position type share the edit, as they share the data in the ROM. Each buffer holds the bytes
// loading puts into the working set; the working set of the loaded entry shows four of them (its
// palette, the weapon palette the view names, its tile data and its position data) and the
// backdrop colour, which no ROM holds.
#pragma once

#include <cstdint>
#include <vector>

#include "sprite/sprite_data.h"

namespace vcv {

class RomImage;

enum class BufferKind : uint8_t {
  kPalette,        // colours 1..12 of a palette type: 24 bytes as stored
  kWeaponPalette,  // colours 13..15 of a weapon palette: 6 bytes as stored
  kTileData,       // the decoded tile data of a graphics number: kTileDataSize bytes
  kPositionData,   // the Sprite Info records of a position type, as far as the buffer holds them
  kBackdrop,       // colour 0: 2 bytes, shown but never read from or written to the ROM
};

struct BufferId {
  BufferKind kind = BufferKind::kBackdrop;
  int number = 0;  // palette type, weapon palette, graphics number or position type; 0 otherwise

  bool operator==(const BufferId& other) const {
    return kind == other.kind && number == other.number;
  }
  bool operator!=(const BufferId& other) const { return !(*this == other); }
  bool operator<(const BufferId& other) const {
    return kind != other.kind ? kind < other.kind : number < other.number;
  }
};

// New bytes for part of a buffer: what an editing command produces. The document turns it into
// an undoable edit by comparing it with what the buffer holds.
struct BufferChange {
  BufferId buffer;
  int offset = 0;
  std::vector<uint8_t> bytes;
};

// One buffer's bytes as loading gives them from a ROM image.
struct BufferBytes {
  std::vector<uint8_t> bytes;
  // The leading bytes a write puts into the ROM: the decoded size of tile data, the whole of
  // the others, none of the backdrop. Only these decide whether the buffer holds unwritten edits.
  int written_size = 0;
};

// Reads buffer `id` from `rom` as loading fills the working set. False when it cannot be read:
// graphics that do not decode, or a number outside its table.
bool read_buffer(const RomImage& rom, const SpriteDirectory& directory, BufferId id,
                 BufferBytes* out);

// The buffers the loaded entry of `set` shows with weapon palette `weapon_palette`. The tile and
// position data are left out when the entry's graphics failed to decode (nothing of them is
// loaded then).
std::vector<BufferId> shown_buffers(const SpriteWorkingSet& set, int weapon_palette);

// The buffer and byte offset that palette colour `index` (0..15) is stored in.
BufferId colour_buffer(const SpriteWorkingSet& set, int weapon_palette, int index, int* offset);

// Copies `count` bytes at `offset` of buffer `id` into the working set when the set shows that
// buffer; bytes outside the buffer are ignored. True when the set shows it. What is derived from
// the buffer is brought up to date by rebuild_derived, once for many copies.
bool put_buffer_bytes(SpriteWorkingSet& set, const SpriteDirectory& directory,
                      int weapon_palette, BufferId id, int offset, const uint8_t* bytes,
                      int count);

// Brings up to date what the working set derives from buffers of `kind`: the tile sheet pixels
// from tile data, the frame store from position data, and the cached sheet picture from either
// and from the colours.
void rebuild_derived(SpriteWorkingSet& set, const SpriteDirectory& directory, BufferKind kind);

// The working set's bytes of a buffer it shows, into *out (resized to the buffer's size); false
// when it does not show it.
bool get_buffer_bytes(const SpriteWorkingSet& set, const SpriteDirectory& directory,
                      int weapon_palette, BufferId id, std::vector<uint8_t>* out);

// "entry 00C", "palette type 05", "weapon palette 03", "graphics 13", "position type 21".
const char* buffer_kind_label(BufferKind kind);

}  // namespace vcv
