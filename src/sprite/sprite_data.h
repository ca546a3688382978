// The sprite directory (computed once per opened ROM) and the sprite working set (the loaded
// entry's data, the in-memory copy every viewer and editor works on), with the ROM table
// locations they are read from.
#pragma once

#include <cstdint>

namespace vcv {

// ---- ROM tables (all in bank E4 unless stated) ----
constexpr int kTableBank = 0xE4;
constexpr int kCharacterTable = 0xF000;   // 256 header records of 5 bytes
constexpr int kEnemyTable = 0xF600;       // 252 header records of 10 bytes
constexpr int kCharacterCount = 256;
constexpr int kEnemyCount = 252;
constexpr int kCharacterRecordSize = 5;
constexpr int kEnemyRecordSize = 10;      // bytes 5..9 are not used
constexpr int kEntryCount = kCharacterCount + kEnemyCount;  // entry ids 0x000..0x1FB
constexpr int kLongPointerSize = 3;       // offset word, then bank byte
constexpr int kPaletteTable = 0x0000;     // 24 bytes (colours 1..12) per palette type
constexpr int kPaletteRecordSize = 24;
constexpr int kFirstWeaponColour = 13;    // colours 13..15 come from the weapon palette
constexpr int kGraphicsPointerTable = 0x2000;   // long pointers by graphics number
constexpr int kGraphicsPointerCount = 256;
constexpr int kPositionPointerTable = 0x2300;   // long pointers by position type
constexpr int kPositionTypeCount = 231;
constexpr int kAnimationPointerTable[2] = {0x2600, 0x2800};  // 16-bit offsets into bank E4
constexpr int kWeaponPaletteBank = 0xD1;
constexpr int kWeaponPaletteTable = 0x4B00;     // 6 bytes (colours 13..15) per weapon palette
constexpr int kWeaponRecordSize = 6;
constexpr int kWeaponPaletteCount = 32;
constexpr int kFacingCount = 4;                 // animation tables hold one quarter per facing
constexpr int kFirstPackedGraphics = 7;         // graphics numbers 0..6 are stored plain
constexpr int kPlainGraphicsSize[7] = {0x7BC0, 0x7C40, 0x7740, 0x7EC0, 0x6B40, 0x8C00, 0x72C0};
constexpr int kPlainGraphicsReadSize = 0xA000;
constexpr int kPackedReadSize = 0x8000;
constexpr int kGraphicsDecodeLimit = 0x10000;
constexpr int kDirectoryEndDefault = 0xE3F8C0;  // end of the highest position data block

// ---- sizes of the working set's buffers ----
constexpr int kTileDataSize = 65536;
constexpr int kPositionDataCapacity = 32768;
constexpr int kAnimationSlotSize = 3072;
constexpr int kSheetWidth = 128;
constexpr int kSheetHeight = 640;   // room for 1280 tiles
constexpr int kSheetColumns = kSheetWidth / 8;                 // 16 tiles per sheet row
constexpr int kSheetTileCapacity = kSheetColumns * (kSheetHeight / 8);  // 1280
constexpr int kFrameStoreSize = 256;
constexpr int kMaxBlocksPerFrame = 64;

// Size types (low two bits of the header's size_type byte).
constexpr int kBlocksPerFrame[4] = {4, 8, 12, 24};
constexpr int kRecordSize[4] = {40, 80, 120, 240};  // Sprite Info record bytes: 10 per block
constexpr int kGridWidth[4] = {8, 16, 8, 16};       // tile entries per grid row

struct SpriteDirectory {
  uint8_t size_type_of[256] = {};
  int position_data_size[kPositionTypeCount] = {};
  int frame_count[kPositionTypeCount] = {};
};

// One unpacked Sprite Info record.
struct Frame {
  int block_count = 0;
  uint8_t x[kMaxBlocksPerFrame] = {};  // as stored; byte_to_signed gives the pixel offset
  uint8_t y[kMaxBlocksPerFrame] = {};
  uint16_t tile[kMaxBlocksPerFrame][4] = {};         // quadrants UL, UR, LL, LR
  uint16_t tile_offset[kMaxBlocksPerFrame][4] = {};  // byte offset of each entry in the record
};

struct SpriteWorkingSet {
  int loaded_entry = -1;        // -1: nothing loaded (forces the next load to read everything)
  int failed_entry = -1;        // entry whose graphics last failed to decode, else -1
  uint8_t header[10] = {};      // assembly, position_type, palette_type, animation_type, size_type
  int graphics_bank = 0, graphics_offset = 0;
  int position_bank = 0, position_offset = 0;
  int position_type = 0, palette_type = 0, size_type = 0;
  int animation_offset[2] = {};  // offsets in bank E4
  int animation_size[2] = {};    // bytes, as the pointer difference gives them (may be < 0)
  uint8_t tile_data[kTileDataSize] = {};
  int decoded_size = 0;          // valid bytes of tile_data
  int stored_size = 0;           // bytes the graphics take in the ROM
  uint8_t packed[kPackedReadSize] = {};
  uint16_t palette[16] = {};
  uint8_t animation[2][4][kAnimationSlotSize] = {};
  uint8_t position_data[kPositionDataCapacity] = {};
  uint8_t sheet[kSheetWidth * kSheetHeight] = {};
  bool sheet_valid = false;      // the cached sheet picture matches sheet + palette
  Frame frames[kFrameStoreSize];
  int frame_store_count = 0;     // frames filled from the position data; later ones are empty

  int assembly() const { return header[0]; }
  int animation_type() const { return header[3]; }
  int size_index() const { return size_type & 3; }
  int blocks_per_image() const { return kBlocksPerFrame[size_type & 3]; }
  int record_size() const { return kRecordSize[size_type & 3]; }
};

}  // namespace vcv
