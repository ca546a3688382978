#include "sprite/edit_buffer.h"

#include <algorithm>
#include <cstring>

#include "sprite/directory.h"
#include "sprite/frames.h"
#include "sprite/tile_sheet.h"

namespace vcv {

namespace {

constexpr int kPaletteColours = kPaletteRecordSize / 2;  // colours 1..12
constexpr int kWeaponColours = kWeaponRecordSize / 2;    // colours 13..15
constexpr int kBackdropBytes = 2;

void words_to_bytes(const uint16_t* words, int count, std::vector<uint8_t>* bytes) {
  bytes->resize(static_cast<size_t>(count) * 2);
  for (int i = 0; i < count; ++i) {
    (*bytes)[2 * i] = static_cast<uint8_t>(words[i]);
    (*bytes)[2 * i + 1] = static_cast<uint8_t>(words[i] >> 8);
  }
}

// Copies bytes into the words they are part of: `offset` counts bytes from the first word.
void bytes_into_words(uint16_t* words, int word_count, int offset, const uint8_t* bytes,
                      int count) {
  for (int i = 0; i < count; ++i) {
    const int at = offset + i;
    if (at < 0 || at >= word_count * 2) continue;
    uint16_t& word = words[at / 2];
    word = (at & 1) ? static_cast<uint16_t>((word & 0x00FF) | (bytes[i] << 8))
                    : static_cast<uint16_t>((word & 0xFF00) | bytes[i]);
  }
}

// The part of [offset, offset + count) inside a buffer of `size` bytes; false when none is.
bool clip(int size, int* offset, const uint8_t** bytes, int* count) {
  const int start = std::max(*offset, 0);
  const int end = std::min(*offset + *count, size);
  if (start >= end) return false;
  *bytes += start - *offset;
  *offset = start;
  *count = end - start;
  return true;
}

bool shows_graphics(const SpriteWorkingSet& set) { return set.loaded_entry >= 0; }

int position_size(const SpriteWorkingSet& set, const SpriteDirectory& directory) {
  return std::min(directory_position_size(directory, set.position_type), kPositionDataCapacity);
}

bool shows(const SpriteWorkingSet& set, int weapon_palette, BufferId id) {
  for (const BufferId& shown : shown_buffers(set, weapon_palette)) {
    if (shown == id) return true;
  }
  return false;
}

}  // namespace

bool read_buffer(const RomImage& rom, const SpriteDirectory& directory, BufferId id,
                 BufferBytes* out) {
  switch (id.kind) {
    case BufferKind::kPalette: {
      if (id.number < 0 || id.number > 0xFF) return false;
      uint16_t colours[kPaletteColours];
      read_palette_record(rom, id.number, colours);
      words_to_bytes(colours, kPaletteColours, &out->bytes);
      break;
    }
    case BufferKind::kWeaponPalette: {
      if (id.number < 0 || id.number >= kWeaponPaletteCount) return false;
      uint16_t colours[kWeaponColours];
      read_weapon_record(rom, id.number, colours);
      words_to_bytes(colours, kWeaponColours, &out->bytes);
      break;
    }
    case BufferKind::kTileData: {
      out->bytes.assign(kTileDataSize, 0);
      int decoded = 0, stored = 0;
      if (!read_tile_data(rom, id.number, out->bytes.data(), &decoded, &stored)) return false;
      out->written_size = decoded;
      return true;
    }
    case BufferKind::kPositionData: {
      if (id.number < 0 || id.number >= kPositionTypeCount) return false;
      std::vector<uint8_t> data(kPositionDataCapacity);
      const int size = read_position_block(rom, directory, id.number, data.data());
      out->bytes.assign(data.begin(), data.begin() + size);
      break;
    }
    case BufferKind::kBackdrop:
      out->bytes.assign(kBackdropBytes, 0);  // colour 0 starts black and is never loaded
      out->written_size = 0;
      return true;
  }
  out->written_size = static_cast<int>(out->bytes.size());
  return true;
}

std::vector<BufferId> shown_buffers(const SpriteWorkingSet& set, int weapon_palette) {
  std::vector<BufferId> buffers;
  if (set.loaded_entry < 0 && set.failed_entry < 0) return buffers;
  buffers.push_back({BufferKind::kBackdrop, 0});
  buffers.push_back({BufferKind::kPalette, set.palette_type});
  buffers.push_back(
      {BufferKind::kWeaponPalette, std::clamp(weapon_palette, 0, kWeaponPaletteCount - 1)});
  if (shows_graphics(set)) {
    buffers.push_back({BufferKind::kTileData, set.assembly()});
    buffers.push_back({BufferKind::kPositionData, set.position_type});
  }
  return buffers;
}

BufferId colour_buffer(const SpriteWorkingSet& set, int weapon_palette, int index, int* offset) {
  if (index <= 0) {
    *offset = 0;
    return {BufferKind::kBackdrop, 0};
  }
  if (index < kFirstWeaponColour) {
    *offset = 2 * (index - 1);
    return {BufferKind::kPalette, set.palette_type};
  }
  *offset = 2 * (index - kFirstWeaponColour);
  return {BufferKind::kWeaponPalette, std::clamp(weapon_palette, 0, kWeaponPaletteCount - 1)};
}

bool put_buffer_bytes(SpriteWorkingSet& set, const SpriteDirectory& directory,
                      int weapon_palette, BufferId id, int offset, const uint8_t* bytes,
                      int count) {
  if (!shows(set, weapon_palette, id)) return false;
  switch (id.kind) {
    case BufferKind::kBackdrop:
      bytes_into_words(set.palette, 1, offset, bytes, count);
      break;
    case BufferKind::kPalette:
      bytes_into_words(set.palette + 1, kPaletteColours, offset, bytes, count);
      break;
    case BufferKind::kWeaponPalette:
      bytes_into_words(set.palette + kFirstWeaponColour, kWeaponColours, offset, bytes, count);
      break;
    case BufferKind::kTileData:
      if (!clip(kTileDataSize, &offset, &bytes, &count)) return true;
      std::memcpy(set.tile_data + offset, bytes, static_cast<size_t>(count));
      break;
    case BufferKind::kPositionData:
      if (!clip(position_size(set, directory), &offset, &bytes, &count)) return true;
      std::memcpy(set.position_data + offset, bytes, static_cast<size_t>(count));
      break;
  }
  return true;
}

void rebuild_derived(SpriteWorkingSet& set, const SpriteDirectory& directory, BufferKind kind) {
  if (kind == BufferKind::kTileData) draw_tile_sheet(set);
  if (kind == BufferKind::kPositionData) {
    unpack_all_frames(set, directory_frame_count(directory, set.position_type));
  }
  set.sheet_valid = false;  // colours or tiles of the cached sheet picture changed
}

bool get_buffer_bytes(const SpriteWorkingSet& set, const SpriteDirectory& directory,
                      int weapon_palette, BufferId id, std::vector<uint8_t>* out) {
  if (!shows(set, weapon_palette, id)) return false;
  switch (id.kind) {
    case BufferKind::kBackdrop:
      words_to_bytes(set.palette, 1, out);
      break;
    case BufferKind::kPalette:
      words_to_bytes(set.palette + 1, kPaletteColours, out);
      break;
    case BufferKind::kWeaponPalette:
      words_to_bytes(set.palette + kFirstWeaponColour, kWeaponColours, out);
      break;
    case BufferKind::kTileData:
      out->assign(set.tile_data, set.tile_data + kTileDataSize);
      break;
    case BufferKind::kPositionData:
      out->assign(set.position_data, set.position_data + position_size(set, directory));
      break;
  }
  return true;
}

const char* buffer_kind_label(BufferKind kind) {
  switch (kind) {
    case BufferKind::kPalette: return "palette type";
    case BufferKind::kWeaponPalette: return "weapon palette";
    case BufferKind::kTileData: return "graphics";
    case BufferKind::kPositionData: return "position type";
    case BufferKind::kBackdrop: return "colour 0";
  }
  return "";
}

}  // namespace vcv
