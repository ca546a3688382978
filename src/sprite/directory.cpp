#include "sprite/directory.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "rom/rom_image.h"
#include "sprite/codec.h"
#include "sprite/frames.h"
#include "sprite/tile_sheet.h"
#include "sprite/tiles.h"

namespace vcv {

namespace {

constexpr uint8_t kUnreadFill = 0xFF;  // what single-byte reads past the end of the file give

int bank_of(int32_t address) { return (address >> 16) & 0xFF; }

// A block read leaves the bytes past the end of the file as they were; these buffers never keep
// stale data: what the file does not hold reads as 0xFF, as single-byte reads past the end do.
void read_filled(const RomImage& rom, int bank, int offset, int count, uint8_t* destination) {
  std::memset(destination, kUnreadFill, static_cast<size_t>(count));
  rom.read_block(bank, offset, count, destination);
}

void read_header(const RomImage& rom, int entry, uint8_t* header) {
  std::memset(header, 0, 10);
  if (entry < kCharacterCount) {
    read_filled(rom, kTableBank, kCharacterTable + kCharacterRecordSize * entry,
                kCharacterRecordSize, header);
  } else {
    read_filled(rom, kTableBank, kEnemyTable + kEnemyRecordSize * (entry - kCharacterCount),
                kEnemyRecordSize, header);
  }
}

void read_animation_pointers(const RomImage& rom, SpriteWorkingSet& set) {
  for (int table = 0; table < 2; ++table) {
    const int at = kAnimationPointerTable[table] + 2 * set.animation_type();
    const int offset = rom.read_word(kTableBank, at);
    const int next = rom.read_word(kTableBank, at + 2);
    set.animation_offset[table] = offset;
    // A next pointer below this one would give a negative size: such a table is empty.
    set.animation_size[table] = std::max(0, next - offset);
  }
}

// Tile entries name tiles up to 2047 whatever the graphics hold: the bytes past what was read
// or decoded are cleared, so they never show the tiles of the entry loaded before.
void clear_tile_data_from(uint8_t* tile_data, int valid_bytes) {
  std::memset(tile_data + valid_bytes, 0, static_cast<size_t>(kTileDataSize - valid_bytes));
}

// Tile data of the entry; false when a packed block fails to decode.
bool read_graphics(const RomImage& rom, SpriteWorkingSet& set) {
  return read_tile_data_at(rom, set.assembly(), set.graphics_bank, set.graphics_offset,
                           set.tile_data, &set.decoded_size, &set.stored_size);
}

void read_palette(const RomImage& rom, SpriteWorkingSet& set, int weapon_palette) {
  read_palette_record(rom, set.palette_type, set.palette + 1);
  read_weapon_record(rom, weapon_palette, set.palette + kFirstWeaponColour);
}

// Each table is split into four quarters, one per facing; a quarter longer than its slot is
// cut to the slot, and the rest of a slot reads as sequence ends.
void read_animations(const RomImage& rom, SpriteWorkingSet& set) {
  for (int table = 0; table < 2; ++table) {
    const AnimationQuarters split = animation_quarters(set.animation_size[table]);
    for (int facing = 0; facing < kFacingCount; ++facing) {
      uint8_t* slot = set.animation[table][facing];
      std::memset(slot, 0xFF, kAnimationSlotSize);
      if (split.kept > 0) {
        rom.read_block(kTableBank, set.animation_offset[table] + facing * split.quarter,
                       split.kept, slot);
      }
    }
  }
}

void read_position_data(const RomImage& rom, const SpriteDirectory& directory, SpriteWorkingSet& set) {
  read_position_block(rom, directory, set.position_type, set.position_data);
}

// Leaves nothing of the previous entry that could pass for the failed one's data.
void clear_after_failed_decode(SpriteWorkingSet& set, int entry) {
  set.failed_entry = entry;
  set.loaded_entry = -1;
  set.decoded_size = 0;
  set.stored_size = 0;
  std::memset(set.tile_data, 0, sizeof set.tile_data);
  std::memset(set.sheet, 0, sizeof set.sheet);
  std::memset(set.position_data, 0, sizeof set.position_data);
  for (Frame& frame : set.frames) frame = Frame();
  set.frame_store_count = 0;
}

}  // namespace

int32_t position_block_end(const int32_t* pointers, int count, int index) {
  const int32_t start = pointers[index];
  int32_t end = kDirectoryEndDefault;
  bool found = false;
  for (int j = 0; j < count; ++j) {
    if (pointers[j] > start && (!found || pointers[j] < end)) {
      end = pointers[j];
      found = true;
    }
  }
  if (bank_of(end) != bank_of(start)) {
    for (const BankLimit& limit : kPositionBankLimits) {
      if (limit.bank == bank_of(start)) end = limit.limit;
    }
  }
  return end;
}

// Each table is read in one piece: one seek per table instead of one per record.
void build_sprite_directory(const RomImage& rom, SpriteDirectory& directory) {
  directory = SpriteDirectory();
  uint8_t characters[kCharacterCount * kCharacterRecordSize];
  read_filled(rom, kTableBank, kCharacterTable, sizeof characters, characters);
  for (int i = 0; i < kCharacterCount; ++i) {
    const uint8_t* record = characters + kCharacterRecordSize * i;
    directory.size_type_of[record[1]] = record[4];
  }
  uint8_t enemies[kEnemyCount * kEnemyRecordSize];
  read_filled(rom, kTableBank, kEnemyTable, sizeof enemies, enemies);
  for (int i = 0; i < kEnemyCount; ++i) {
    const uint8_t* record = enemies + kEnemyRecordSize * i;
    directory.size_type_of[record[1]] = record[4];
  }
  uint8_t table[kPositionTypeCount * kLongPointerSize];
  read_filled(rom, kTableBank, kPositionPointerTable, sizeof table, table);
  int32_t pointers[kPositionTypeCount];
  for (int i = 0; i < kPositionTypeCount; ++i) {
    const uint8_t* p = table + kLongPointerSize * i;
    pointers[i] = p[0] | (p[1] << 8) | (p[2] << 16);
  }
  for (int i = 0; i < kPositionTypeCount; ++i) {
    const int32_t size = position_block_end(pointers, kPositionTypeCount, i) - pointers[i];
    directory.position_data_size[i] = std::max<int32_t>(0, size);
    directory.frame_count[i] =
        directory.position_data_size[i] / kRecordSize[directory.size_type_of[i] & 3];
  }
}

int directory_position_size(const SpriteDirectory& directory, int position_type) {
  if (position_type < 0 || position_type >= kPositionTypeCount) return 0;
  return directory.position_data_size[position_type];
}

int directory_frame_count(const SpriteDirectory& directory, int position_type) {
  if (position_type < 0 || position_type >= kPositionTypeCount) return 0;
  return directory.frame_count[position_type];
}

int32_t read_table_pointer(const RomImage& rom, int table, int index) {
  const int at = table + kLongPointerSize * index;
  return (rom.read_byte(kTableBank, at + 2) << 16) | rom.read_word(kTableBank, at);
}

AnimationQuarters animation_quarters(int table_size) {
  const int quarter = std::max(table_size, 0) / kFacingCount;
  return {quarter, std::min(quarter, kAnimationSlotSize)};
}

bool read_tile_data_at(const RomImage& rom, int graphics_number, int bank, int offset,
                       uint8_t* tile_data, int* decoded_size, int* stored_size) {
  if (graphics_number < kFirstPackedGraphics) {
    read_filled(rom, bank, offset, kPlainGraphicsReadSize, tile_data);
    clear_tile_data_from(tile_data, kPlainGraphicsReadSize);
    *decoded_size = kPlainGraphicsSize[graphics_number];
    *stored_size = kPlainGraphicsSize[graphics_number];
    return true;
  }
  std::vector<uint8_t> packed(kPackedReadSize);
  read_filled(rom, bank, offset, kPackedReadSize, packed.data());
  int packed_size = 0;
  const int decoded =
      unpack_block(packed.data(), kPackedReadSize, 0, tile_data, kGraphicsDecodeLimit, &packed_size);
  if (decoded < 0) return false;
  clear_tile_data_from(tile_data, decoded);
  *decoded_size = decoded;
  *stored_size = packed_size;
  return true;
}

bool read_tile_data(const RomImage& rom, int graphics_number, uint8_t* tile_data,
                    int* decoded_size, int* stored_size) {
  if (graphics_number < 0 || graphics_number >= kGraphicsPointerCount) return false;
  const int32_t address = read_table_pointer(rom, kGraphicsPointerTable, graphics_number);
  return read_tile_data_at(rom, graphics_number, bank_of(address), address & 0xFFFF, tile_data,
                           decoded_size, stored_size);
}

void read_palette_record(const RomImage& rom, int palette_type, uint16_t* colours) {
  uint8_t bytes[kPaletteRecordSize];
  read_filled(rom, kTableBank, kPaletteTable + kPaletteRecordSize * palette_type,
              kPaletteRecordSize, bytes);
  for (int i = 0; i < kPaletteRecordSize / 2; ++i) {
    colours[i] = static_cast<uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  }
}

void read_weapon_record(const RomImage& rom, int weapon_palette, uint16_t* colours) {
  uint8_t bytes[kWeaponRecordSize];
  const int weapon = std::clamp(weapon_palette, 0, kWeaponPaletteCount - 1);
  read_filled(rom, kWeaponPaletteBank, kWeaponPaletteTable + kWeaponRecordSize * weapon,
              kWeaponRecordSize, bytes);
  for (int i = 0; i < kWeaponRecordSize / 2; ++i) {
    colours[i] = static_cast<uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  }
}

int read_position_block(const RomImage& rom, const SpriteDirectory& directory, int position_type,
                        uint8_t* data) {
  std::memset(data, 0, kPositionDataCapacity);
  const int size =
      std::min(directory_position_size(directory, position_type), kPositionDataCapacity);
  if (size <= 0) return 0;
  const int32_t address = read_table_pointer(rom, kPositionPointerTable, position_type);
  rom.read_block(bank_of(address), address & 0xFFFF, size, data);
  return size;
}

int load_entry(const RomImage& rom, const SpriteDirectory& directory, SpriteWorkingSet& set, int entry,
               int weapon_palette) {
  if (entry < 0 || entry > kLastEntry) return 0;
  if (entry == set.loaded_entry) return 1;
  set.sheet_valid = false;
  set.loaded_entry = entry;

  read_header(rom, entry, set.header);
  const int32_t graphics = read_table_pointer(rom, kGraphicsPointerTable, set.assembly());
  set.graphics_bank = bank_of(graphics);
  set.graphics_offset = graphics & 0xFFFF;
  set.position_type = set.header[1];
  set.palette_type = set.header[2];
  const int32_t position = read_table_pointer(rom, kPositionPointerTable, set.position_type);
  set.position_bank = bank_of(position);
  set.position_offset = position & 0xFFFF;
  read_animation_pointers(rom, set);
  set.size_type = set.header[4];

  const bool decoded = read_graphics(rom, set);
  // Palette and animations do not depend on the graphics: a failed entry still shows its own.
  read_palette(rom, set, weapon_palette);
  read_animations(rom, set);
  if (!decoded) {
    clear_after_failed_decode(set, entry);
    return 0;
  }
  set.failed_entry = -1;
  read_position_data(rom, directory, set);
  draw_tile_sheet(set);
  unpack_all_frames(set, directory_frame_count(directory, set.position_type));
  return 1;
}

}  // namespace vcv
