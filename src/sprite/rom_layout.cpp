#include "sprite/rom_layout.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <vector>

#include "rom/rom_image.h"
#include "sprite/codec.h"
#include "sprite/directory.h"
#include "sprite/stored_block.h"

namespace vcv {

namespace {

constexpr int kPaletteTypeCount = 256;
constexpr int kAnimationTypeCount = 256;

std::string address_text(int32_t address) {
  char text[16];
  std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(address & 0xFFFFFF));
  return text;
}

std::string numbered(const char* what, int number, int32_t address) {
  char text[64];
  std::snprintf(text, sizeof text, "%s %02X at %s", what, number, address_text(address).c_str());
  return text;
}

// The header records of every entry, character table first.
std::vector<std::vector<uint8_t>> header_records(const RomImage& rom) {
  std::vector<std::vector<uint8_t>> records;
  for (int e = 0; e < kEntryCount; ++e) {
    const bool enemy = e >= kCharacterCount;
    const int size = enemy ? kEnemyRecordSize : kCharacterRecordSize;
    const int offset = enemy ? kEnemyTable + kEnemyRecordSize * (e - kCharacterCount)
                             : kCharacterTable + kCharacterRecordSize * e;
    std::vector<uint8_t> record(static_cast<size_t>(size), 0xFF);
    rom.read_block(kTableBank, offset, size, record.data());
    records.push_back(record);
  }
  return records;
}

// The packed size of the block at `address`; 1 when it does not decode (its extent is unknown,
// its first byte is certain).
int measured_packed_size(const RomImage& rom, int32_t address) {
  const int size = loaded_packed_size(rom, address >> 16, address & 0xFFFF);
  return size < 0 ? 1 : size;
}

void add(std::vector<KnownBlock>& blocks, BlockKind kind, int number, long long start,
         long long size, std::string name) {
  if (size > 0) blocks.push_back({kind, number, start, start + size, std::move(name)});
}

void add_table(std::vector<KnownBlock>& blocks, const RomImage& rom, int bank, int offset,
               int size, const char* name) {
  add(blocks, BlockKind::kTable, -1, rom.file_offset(bank, offset), size, name);
}

void add_tables(std::vector<KnownBlock>& blocks, const RomImage& rom) {
  add_table(blocks, rom, kTableBank, kPaletteTable, kPaletteRecordSize * kPaletteTypeCount,
            "the palette table");
  add_table(blocks, rom, kTableBank, kGraphicsPointerTable,
            kLongPointerSize * kGraphicsPointerCount, "the graphics pointer table");
  add_table(blocks, rom, kTableBank, kPositionPointerTable,
            kLongPointerSize * kPositionTypeCount, "the position pointer table");
  add_table(blocks, rom, kTableBank, kAnimationPointerTable[0], 2 * kAnimationTypeCount,
            "the Animation 1 pointer table");
  add_table(blocks, rom, kTableBank, kAnimationPointerTable[1], 2 * kAnimationTypeCount,
            "the Animation 2 pointer table");
  add_table(blocks, rom, kTableBank, kCharacterTable, kCharacterRecordSize * kCharacterCount,
            "the character table");
  add_table(blocks, rom, kTableBank, kEnemyTable, kEnemyRecordSize * kEnemyCount,
            "the enemy table");
  add_table(blocks, rom, kWeaponPaletteBank, kWeaponPaletteTable,
            kWeaponRecordSize * kWeaponPaletteCount, "the weapon palette table");
}

constexpr int kCartridgeHeaderBank = 0xC0;
constexpr int kCartridgeHeaderOffset = 0xFFB0;
constexpr int kCartridgeHeaderSize = 0x50;  // to the end of the bank

}  // namespace

KnownBlock cartridge_header_block(const RomImage& rom) {
  const long long start = rom.file_offset(kCartridgeHeaderBank, kCartridgeHeaderOffset);
  return {BlockKind::kTable, -1, start, start + kCartridgeHeaderSize,
          "the cartridge header at C0FFB0"};
}

int loaded_packed_size(const RomImage& rom, int bank, int offset) {
  std::vector<uint8_t> decoded;
  int packed_size = 0;
  const int size =
      decode_stored_block(rom, bank, offset, BlockReading::kAsLoading, &decoded, &packed_size);
  return size < 0 ? -1 : packed_size;
}

std::vector<int> used_graphics_numbers(const RomImage& rom) {
  std::set<int> used;
  for (const auto& record : header_records(rom)) used.insert(record[0]);
  return std::vector<int>(used.begin(), used.end());
}

std::vector<KnownBlock> known_blocks(const RomImage& rom, const SpriteDirectory& directory) {
  std::vector<KnownBlock> blocks;
  add_tables(blocks, rom);
  const auto records = header_records(rom);
  std::set<int> graphics, animations;
  for (const auto& record : records) {
    graphics.insert(record[0]);
    animations.insert(record[3]);
  }
  for (int g : graphics) {
    const int32_t address = read_table_pointer(rom, kGraphicsPointerTable, g);
    const long long size = g < kFirstPackedGraphics ? kPlainGraphicsSize[g]
                                                    : measured_packed_size(rom, address);
    add(blocks, BlockKind::kGraphics, g, rom.file_offset(address >> 16, address & 0xFFFF), size,
        numbered("graphics", g, address));
  }
  for (int t = 0; t < kPositionTypeCount; ++t) {
    const int32_t address = read_table_pointer(rom, kPositionPointerTable, t);
    add(blocks, BlockKind::kPositionData, t, rom.file_offset(address >> 16, address & 0xFFFF),
        directory.position_data_size[t], numbered("position data", t, address));
  }
  for (int a : animations) {
    for (int table = 0; table < 2; ++table) {
      const int at = kAnimationPointerTable[table] + 2 * a;
      const int offset = rom.read_word(kTableBank, at);
      const int size = rom.read_word(kTableBank, at + 2) - offset;
      char name[64];
      std::snprintf(name, sizeof name, "Animation %d data of type %02X at %02X%04X", table + 1, a,
                    kTableBank, offset);
      add(blocks, BlockKind::kAnimationData, a, rom.file_offset(kTableBank, offset), size, name);
    }
  }
  return blocks;
}

}  // namespace vcv
