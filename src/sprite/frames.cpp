#include "sprite/frames.h"

#include <cstring>

#include "sprite/tiles.h"

namespace vcv {

namespace {

constexpr int kSignBit = 0x80;
constexpr int kByteRange = 256;

uint16_t read_word_at(const uint8_t* bytes, int at) {
  return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

void write_word_at(uint8_t* bytes, int at, uint16_t value) {
  bytes[at] = static_cast<uint8_t>(value);
  bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}

// Byte offset of record `frame` in the position data, or -1 when the record does not lie wholly
// inside the buffer (the frame store only follows the records the buffer holds).
int record_start(const SpriteWorkingSet& set, int frame) {
  if (frame < 0 || frame >= kFrameStoreSize) return -1;
  const int size = set.record_size();
  if (frame > (kPositionDataCapacity - size) / size) return -1;
  return frame * size;
}

bool frame_is_filled(const SpriteWorkingSet& set, int image_no) {
  return image_no >= 0 && image_no < set.frame_store_count && image_no < kFrameStoreSize;
}

int clamp_into(int value, int low, int high) {
  if (value < low) value = low;
  if (value > high) value = high;
  return value;
}

void draw_block(const SpriteWorkingSet& set, const Frame& frame, int block, uint8_t* canvas,
                int width, int height, int x, int y) {
  for (int k = 0; k < 4; ++k) {
    const uint16_t entry = frame.tile[block][k];
    draw_tile(set.tile_data, entry & kTileNumberMask, canvas, width, height, x + kQuadrantX[k],
              y + kQuadrantY[k], tile_entry_flip(entry));
  }
}

}  // namespace

int byte_to_signed(int stored) {
  stored &= 0xFF;
  return (stored & kSignBit) ? stored - kByteRange : stored;
}

int signed_to_byte(int value) {
  value = clamp_into(value, -128, 127);
  return value < 0 ? value + kByteRange : value;
}

int tile_entry_word_index(int size_index, int block, int quadrant) {
  const int grid = kGridWidth[size_index & 3];
  const int blocks_per_row = grid / 2;
  const int corner = (block / blocks_per_row) * 2 * grid + (block % blocks_per_row) * 2;
  return corner + (quadrant & 1) + (quadrant >= 2 ? grid : 0);
}

void unpack_frame(SpriteWorkingSet& set, int frame) {
  if (frame < 0 || frame >= kFrameStoreSize) return;
  Frame& out = set.frames[frame];
  out = Frame();
  const int start = record_start(set, frame);
  if (start < 0) return;
  const int blocks = set.blocks_per_image();
  const uint8_t* record = set.position_data + start;
  out.block_count = blocks;
  for (int d = 0; d < blocks; ++d) {
    out.x[d] = record[8 * blocks + 2 * d];
    out.y[d] = record[8 * blocks + 2 * d + 1];
    for (int k = 0; k < 4; ++k) {
      const int offset = 2 * tile_entry_word_index(set.size_index(), d, k);
      out.tile[d][k] = read_word_at(record, offset);
      out.tile_offset[d][k] = static_cast<uint16_t>(offset);
    }
  }
}

int unpack_all_frames(SpriteWorkingSet& set, int frame_count) {
  for (Frame& frame : set.frames) frame = Frame();
  set.frame_store_count = 0;
  for (int i = 0; i < frame_count && i < kFrameStoreSize; ++i) {
    if (record_start(set, i) < 0) break;  // the buffer holds no more whole records
    unpack_frame(set, i);
    set.frame_store_count = i + 1;
  }
  return set.frame_store_count;
}

int frame_record_offset(const SpriteWorkingSet& set, int frame) {
  // Only frames unpacked from a record have recorded offsets to write back to.
  const int start = record_start(set, frame);
  return start >= 0 && frame_is_filled(set, frame) ? start : -1;
}

int pack_frame_record(const SpriteWorkingSet& set, const Frame& frame, uint8_t* record) {
  const int blocks = set.blocks_per_image();
  const int size = set.record_size();
  for (int d = 0; d < blocks; ++d) {
    record[8 * blocks + 2 * d] = frame.x[d];
    record[8 * blocks + 2 * d + 1] = frame.y[d];
    for (int k = 0; k < 4; ++k) {
      const int offset = frame.tile_offset[d][k];
      if (offset + 1 < size) write_word_at(record, offset, frame.tile[d][k]);
    }
  }
  return blocks;
}

int pack_frame(SpriteWorkingSet& set, int frame) {
  const int start = frame_record_offset(set, frame);
  if (start < 0) return 0;
  return pack_frame_record(set, set.frames[frame], set.position_data + start);
}

void render_frame(const SpriteWorkingSet& set, int image_no, int width, int height, uint8_t* canvas,
                  uint32_t* display_palette) {
  palette_to_display(set.palette, display_palette, 0, 16);
  if (canvas == nullptr || !frame_is_filled(set, image_no)) return;
  const Frame& frame = set.frames[image_no];
  const int blocks = clamp_into(frame.block_count, 0, kMaxBlocksPerFrame);
  for (int d = blocks - 1; d >= 0; --d) {
    int x = byte_to_signed(frame.x[d]) + width / 2;
    int y = byte_to_signed(frame.y[d]) + height / 2;
    if (x < 0) x = 0;
    if (x > width - kBlockSize) x = width - kBlockSize;
    if (y < 0) y = 0;
    if (y > height - kBlockSize) y = height - kBlockSize;
    draw_block(set, frame, d, canvas, width, height, x, y);
  }
}

void render_block(const SpriteWorkingSet& set, int image_no, int block, uint8_t* picture) {
  if (picture == nullptr) return;
  std::memset(picture, 0, kBlockSize * kBlockSize);
  if (!frame_is_filled(set, image_no)) return;
  const Frame& frame = set.frames[image_no];
  if (block < 0 || block >= frame.block_count || block >= kMaxBlocksPerFrame) block = 0;
  draw_block(set, frame, block, picture, kBlockSize, kBlockSize, 0, 0);
}

}  // namespace vcv
