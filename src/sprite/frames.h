// Frame assembly: Sprite Info records (tile entries in a grid, then one X and Y byte per block)
// unpacked into the frame store and packed back, and frames and single blocks drawn from them.
#pragma once

#include <cstdint>

#include "sprite/sprite_data.h"

namespace vcv {

constexpr int kTileNumberMask = 0x7FF;  // bits 0-10 of a tile entry
constexpr int kEntryKeptBits = 0x3800;  // bits 11-13: not drawn, kept as they are by every edit
constexpr int kEntryFlipX = 0x4000;
constexpr int kEntryFlipY = 0x8000;
constexpr int kBlockSize = 16;               // a block is 2 x 2 tiles
constexpr int kQuadrantX[4] = {0, 8, 0, 8};  // upper left, upper right, lower left, lower right
constexpr int kQuadrantY[4] = {0, 0, 8, 8};

// A stored position byte as a signed offset (-128..127), and back with clamping.
int byte_to_signed(int stored);
int signed_to_byte(int value);

// Word index of the tile entry of `block`, quadrant `quadrant`, in a record of size type
// `size_index` (0..3).
int tile_entry_word_index(int size_index, int block, int quadrant);

// The flip value the tile drawing takes for a tile entry (0x40 horizontal, 0x80 vertical).
inline int tile_entry_flip(uint16_t entry) { return (entry >> 8) & 0xC0; }

// Fills frame `frame` of the store from record `frame` of the position data, with the loaded
// size type. A record that does not lie wholly inside the position data buffer, or a frame
// index outside the store, leaves an empty frame (or nothing).
void unpack_frame(SpriteWorkingSet& set, int frame);

// Clears the frame store, then unpacks frames 0 .. frame_count - 1 as far as the store and the
// position data buffer hold them. Returns the number unpacked (frame_store_count).
int unpack_all_frames(SpriteWorkingSet& set, int frame_count);

// Writes frame `frame` back into its record: X, Y and the four tile entries of each block of the
// loaded size type, at their recorded offsets. Returns the block count, or 0 when the frame was
// not unpacked from a record (outside the filled part of the store).
int pack_frame(SpriteWorkingSet& set, int frame);

// The byte offset in the position data of the record frame `frame` was unpacked from; -1 when
// it was not unpacked from one.
int frame_record_offset(const SpriteWorkingSet& set, int frame);

// Packs `frame` (unpacked with the loaded size type) into `record` (set.record_size() bytes, the
// record as it is now) as pack_frame writes it. Returns the block count.
int pack_frame_record(const SpriteWorkingSet& set, const Frame& frame, uint8_t* record);

// Converts the 16 palette colours into `display_palette` and draws frame `image_no` into the
// canvas (cleared by the caller), blocks centred on (width / 2, height / 2) and kept inside it,
// block 0 on top. Frames outside the filled part of the store draw nothing.
void render_frame(const SpriteWorkingSet& set, int image_no, int width, int height, uint8_t* canvas,
                  uint32_t* display_palette);

// Clears the 256-byte picture and draws one block of frame `image_no` into it at 16 x 16; a
// block index outside the frame's blocks draws block 0.
void render_block(const SpriteWorkingSet& set, int image_no, int block, uint8_t* picture);

}  // namespace vcv
