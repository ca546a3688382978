#include "assets/asset_model.h"

#include <algorithm>
#include <cstdio>

#include "rom/rom_image.h"
#include "sprite/codec.h"
#include "sprite/directory.h"
#include "sprite/stored_block.h"
#include "sprite/tile_sheet.h"
#include "sprite/tiles.h"

namespace vcv {

namespace {

std::vector<uint8_t> read_filled(const RomImage& rom, int32_t address, int count) {
  std::vector<uint8_t> bytes(static_cast<size_t>(count), 0xFF);
  rom.read_block((address >> 16) & 0xFF, address & 0xFFFF, count, bytes.data());
  return bytes;
}

uint16_t word_at(const std::vector<uint8_t>& bytes, size_t at) {
  return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

void read_palettes(const RomImage& rom, const EntryUsers& palette_users, RomAssets* assets) {
  for (const auto& entry : palette_users) {
    const std::vector<uint8_t> bytes = read_filled(
        rom, (kTableBank << 16) | palette_offset(entry.first), kPaletteRecordSize);
    auto& colours = assets->palettes[entry.first];
    for (int i = 0; i < kPaletteTypeColours; ++i) colours[i] = word_at(bytes, 2 * i);
  }
  for (int w = 0; w < kWeaponPaletteCount; ++w) {
    const std::vector<uint8_t> bytes = read_filled(
        rom, (kWeaponPaletteBank << 16) | weapon_palette_offset(w), kWeaponRecordSize);
    for (int i = 0; i < kWeaponColours; ++i) assets->weapons[w][i] = word_at(bytes, 2 * i);
  }
}

void read_graphics(const RomImage& rom, const std::vector<EntryHeader>& headers,
                   const EntryUsers& users, RomAssets* assets) {
  for (const auto& [number, entries] : users) {
    GraphicsAsset g;
    g.number = number;
    g.address = read_table_pointer(rom, kGraphicsPointerTable, number);
    g.plain = number < kFirstPackedGraphics;
    g.first_entry = entries.front();
    if (g.plain) {
      g.stored_size = kPlainGraphicsSize[number];
      g.tiles = read_filled(rom, g.address, g.stored_size);
      g.decoded = true;
    } else {
      int packed_size = 0;
      if (decode_stored_block(rom, (g.address >> 16) & 0xFF, g.address & 0xFFFF,
                              BlockReading::kAsLoading, &g.tiles, &packed_size) >= 0) {
        g.decoded = true;
        g.stored_size = packed_size;
      } else {
        char text[128];
        std::snprintf(text, sizeof text,
                      "graphics %03X at %s (first named by entry %03X): the packed block does "
                      "not decode; no picture was written",
                      number, address_text(g.address).c_str(), g.first_entry);
        assets->problems.push_back(text);
      }
    }
    const EntryHeader& header = headers[static_cast<size_t>(g.first_entry)];
    const auto& colours = assets->palettes[header.field[kFieldPaletteType]];
    for (int i = 0; i < kPaletteTypeColours; ++i) g.palette[1 + i] = colours[i];
    for (int i = 0; i < kWeaponColours; ++i) g.palette[kFirstWeaponColour + i] = assets->weapons[0][i];
    assets->graphics.push_back(std::move(g));
  }
}

void read_positions(const RomImage& rom, const SpriteDirectory& directory,
                    const EntryUsers& users, RomAssets* assets) {
  for (const auto& entry : users) {
    const int type = entry.first;
    if (type >= kPositionTypeCount) {
      char text[128];
      std::snprintf(text, sizeof text, "position type %03X (named by entry %03X) lies past the "
                    "position pointer table; it was not written", type, entry.second.front());
      assets->problems.push_back(text);
      continue;
    }
    PositionAsset p;
    p.type = type;
    p.address = read_table_pointer(rom, kPositionPointerTable, type);
    p.size_index = directory.size_type_of[type] & 3;
    const int record = kRecordSize[p.size_index];
    const int bytes = std::min(directory.position_data_size[type], kPositionDataCapacity);
    p.frame_count = std::min(bytes / record, kFrameStoreSize);
    p.records = read_filled(rom, p.address, p.frame_count * record);
    assets->positions.push_back(std::move(p));
  }
}

void read_animations(const RomImage& rom, const EntryUsers& users, RomAssets* assets) {
  for (const auto& entry : users) {
    AnimationAsset a;
    a.type = entry.first;
    for (int table = 0; table < 2; ++table) {
      const int at = kAnimationPointerTable[table] + 2 * a.type;
      a.offset[table] = rom.read_word(kTableBank, at);
      const AnimationQuarters split =
          animation_quarters(rom.read_word(kTableBank, at + 2) - a.offset[table]);
      for (int f = 0; f < kFacingCount; ++f) {
        const int start = (a.offset[table] + f * split.quarter) & 0xFFFF;  // as loading wraps
        a.facings[table][f] = read_filled(rom, (kTableBank << 16) | start, split.kept);
      }
    }
    assets->animations.push_back(std::move(a));
  }
}

}  // namespace

const GraphicsAsset* RomAssets::find_graphics(int number) const {
  for (const GraphicsAsset& g : graphics) {
    if (g.number == number) return &g;
  }
  return nullptr;
}

const PositionAsset* RomAssets::find_position(int type) const {
  for (const PositionAsset& p : positions) {
    if (p.type == type) return &p;
  }
  return nullptr;
}

int palette_offset(int palette_type) { return kPaletteTable + kPaletteRecordSize * palette_type; }

int weapon_palette_offset(int weapon) { return kWeaponPaletteTable + kWeaponRecordSize * weapon; }

std::string address_text(int32_t address) {
  char text[16];
  std::snprintf(text, sizeof text, "%02X:%04X", (address >> 16) & 0xFF, address & 0xFFFF);
  return text;
}

RomAssets read_rom_assets(const RomImage& rom, const SpriteDirectory& directory,
                          const std::vector<EntryHeader>* naming) {
  RomAssets assets;
  assets.headers = read_entry_headers(rom);
  const std::vector<EntryHeader>& users = naming != nullptr ? *naming : assets.headers;
  read_palettes(rom, entries_by_field(users, kFieldPaletteType), &assets);
  read_graphics(rom, users, entries_by_field(users, kFieldAssembly), &assets);
  read_positions(rom, directory, entries_by_field(users, kFieldPositionType), &assets);
  read_animations(rom, entries_by_field(users, kFieldAnimationType), &assets);
  return assets;
}

std::vector<uint8_t> draw_graphics_sheet(const std::vector<uint8_t>& tiles) {
  const int size = static_cast<int>(tiles.size());
  const int height = sheet_height_for(size);
  std::vector<uint8_t> padded(tiles);  // whole rows of tiles, the last filled with 0
  padded.resize(static_cast<size_t>(height / 8) * kSheetRowBytes, 0);
  std::vector<uint8_t> sheet(static_cast<size_t>(kSheetWidth) * height, 0);
  const int tile_count = (size + kTileBytes - 1) / kTileBytes;
  for (int t = 0; t < tile_count; ++t) {
    draw_tile(padded.data(), t, sheet.data(), kSheetWidth, height, 8 * (t % kSheetColumns),
              8 * (t / kSheetColumns), 0);
  }
  return sheet;
}

bool encode_graphics_sheet(const std::vector<uint8_t>& sheet, int size,
                           std::vector<uint8_t>* tiles, std::string* error) {
  if (size < 0 || sheet.size() != static_cast<size_t>(kSheetWidth) * sheet_height_for(size)) {
    *error = "the sheet is not " + std::to_string(kSheetWidth) + " pixels wide and " +
             std::to_string(sheet_height_for(size)) + " high";
    return false;
  }
  const int tile_count = (size + kTileBytes - 1) / kTileBytes;
  tiles->assign(static_cast<size_t>(tile_count) * kTileBytes, 0);
  for (int t = 0; t < tile_count; ++t) {
    encode_tile(&(*tiles)[static_cast<size_t>(t) * kTileBytes], sheet.data(), kSheetWidth,
                8 * (t % kSheetColumns), 8 * (t / kSheetColumns), 0);
  }
  tiles->resize(static_cast<size_t>(size));
  // Cutting a partial last tile drops the bit planes past its bytes: what is left must draw the
  // sheet as it was, or pixels would change silently.
  const std::vector<uint8_t> drawn = draw_graphics_sheet(*tiles);
  const auto differ = std::mismatch(sheet.begin(), sheet.end(), drawn.begin(), drawn.end());
  if (differ.first == sheet.end()) return true;
  const int at = static_cast<int>(differ.first - sheet.begin());
  const int x = at % kSheetWidth, y = at / kSheetWidth;
  const int tile = (y / 8) * kSheetColumns + x / 8;
  char text[200];
  if (tile == tile_count - 1 && size % kTileBytes != 0) {
    std::snprintf(text, sizeof text,
                  "pixel (%d, %d) holds index %d, which tile place %03X cannot store: it is the "
                  "last tile and the tile data keeps only %d of its %d bytes (index %d there)",
                  x, y, *differ.first, tile, size % kTileBytes, kTileBytes, *differ.second);
  } else {
    std::snprintf(text, sizeof text, "pixel (%d, %d) holds index %d; the tile data gives %d",
                  x, y, *differ.first, *differ.second);
  }
  *error = text;
  return false;
}

}  // namespace vcv
