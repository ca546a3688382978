#include "assets/asset_json.h"

#include <algorithm>
#include <cstdio>

#include "sprite/frames.h"
#include "view/character_list.h"

namespace vcv {

namespace {

constexpr const char* kFacingNames[kFacingCount] = {"up", "down", "left", "right"};
constexpr const char* kTableNames[2] = {"animation_1", "animation_2"};
constexpr int kSequenceSteps = 4;
constexpr uint8_t kSequenceEnd = 0xFF;
constexpr int kEntryBitsShift = 11;  // bits 11..13 of a tile entry: kept, not drawn
constexpr int kEntryBitsMask = 7;

bool fail(AssetError* error, const std::string& pointer, const std::string& message) {
  error->pointer = pointer;
  error->message = message;
  return false;
}

// Hexadecimal digits only (either case), 1 to max_digits of them, value up to `max_value`.
bool parse_hex(const JsonValue& value, int max_digits, int max_value, int* out) {
  if (!value.is_string()) return false;
  const std::string& text = value.as_string();
  if (text.empty() || static_cast<int>(text.size()) > max_digits) return false;
  int result = 0;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else return false;
    result = result * 16 + digit;
  }
  if (result > max_value) return false;
  *out = result;
  return true;
}

std::string hex_expectation(int digits, int max_value) {
  return "expected a string of 1 to " + std::to_string(digits) +
         " hexadecimal digits, at most " + hex_digits(max_value, digits);
}

bool read_hex(const JsonValue& value, const std::string& pointer, int digits, int max_value,
              int* out, AssetError* error) {
  if (parse_hex(value, digits, max_value, out)) return true;
  return fail(error, pointer, hex_expectation(digits, max_value));
}

bool read_int(const JsonValue& value, const std::string& pointer, int low, int high, int* out,
              AssetError* error) {
  if (!value.is_integer() || value.as_integer() < low || value.as_integer() > high) {
    return fail(error, pointer, "expected a whole number from " + std::to_string(low) + " to " +
                                    std::to_string(high));
  }
  *out = static_cast<int>(value.as_integer());
  return true;
}

// An object whose keys are exactly `keys` (in any order).
bool check_keys(const JsonValue& value, const std::string& pointer,
                const std::vector<std::string>& keys, AssetError* error) {
  if (!value.is_object()) return fail(error, pointer, "expected an object");
  for (const std::string& key : keys) {
    if (value.find(key) == nullptr) return fail(error, pointer, "the key \"" + key + "\" is missing");
  }
  for (const auto& member : value.members()) {
    bool known = false;
    for (const std::string& key : keys) known = known || key == member.first;
    if (!known) {
      return fail(error, json_pointer_append(pointer, member.first), "this key is not one of the format's");
    }
  }
  return true;
}

bool check_array(const JsonValue& value, const std::string& pointer, size_t count,
                 AssetError* error) {
  if (!value.is_array()) return fail(error, pointer, "expected an array");
  if (value.size() != count) {
    return fail(error, pointer, "expected " + std::to_string(count) + " items, not " +
                                    std::to_string(value.size()));
  }
  return true;
}

JsonValue word_array(const uint16_t* words, int count) {
  JsonValue array = JsonValue::array();
  for (int i = 0; i < count; ++i) array.push(JsonValue::string(hex_digits(words[i], 4)));
  return array;
}

bool read_words(const JsonValue& value, const std::string& pointer, int count, uint16_t* words,
                AssetError* error) {
  if (!check_array(value, pointer, static_cast<size_t>(count), error)) return false;
  for (int i = 0; i < count; ++i) {
    const JsonValue& item = value.items()[static_cast<size_t>(i)];
    int word = 0;
    if (!item.is_string() || item.as_string().size() != 4 || !parse_hex(item, 4, 0xFFFF, &word)) {
      return fail(error, json_pointer_append(pointer, static_cast<size_t>(i)),
                  "expected a colour word of exactly four hexadecimal digits");
    }
    words[i] = static_cast<uint16_t>(word);
  }
  return true;
}

JsonValue block_json(const uint8_t* record, int size_index, int block) {
  const int blocks = kBlocksPerFrame[size_index];
  JsonValue object = JsonValue::object();
  object.set("x", JsonValue::integer(byte_to_signed(record[8 * blocks + 2 * block])));
  object.set("y", JsonValue::integer(byte_to_signed(record[8 * blocks + 2 * block + 1])));
  JsonValue tiles = JsonValue::array();
  for (int k = 0; k < 4; ++k) {
    const int at = 2 * tile_entry_word_index(size_index, block, k);
    const int entry = record[at] | (record[at + 1] << 8);
    JsonValue tile = JsonValue::object();
    tile.set("tile", JsonValue::string(hex_digits(entry & kTileNumberMask, 3)));
    tile.set("xflip", JsonValue::integer((entry & kEntryFlipX) ? 1 : 0));
    tile.set("yflip", JsonValue::integer((entry & kEntryFlipY) ? 1 : 0));
    tile.set("bits", JsonValue::integer((entry >> kEntryBitsShift) & kEntryBitsMask));
    tiles.push(std::move(tile));
  }
  object.set("tiles", std::move(tiles));
  return object;
}

bool read_tile(const JsonValue& value, const std::string& pointer, int* entry, AssetError* error) {
  if (!check_keys(value, pointer, {"tile", "xflip", "yflip", "bits"}, error)) return false;
  int tile = 0, xflip = 0, yflip = 0, bits = 0;
  if (!read_hex(*value.find("tile"), json_pointer_append(pointer, "tile"), 3, kTileNumberMask,
                &tile, error) ||
      !read_int(*value.find("xflip"), json_pointer_append(pointer, "xflip"), 0, 1, &xflip, error) ||
      !read_int(*value.find("yflip"), json_pointer_append(pointer, "yflip"), 0, 1, &yflip, error) ||
      !read_int(*value.find("bits"), json_pointer_append(pointer, "bits"), 0, kEntryBitsMask,
                &bits, error)) {
    return false;
  }
  *entry = tile | (bits << kEntryBitsShift) | (xflip ? kEntryFlipX : 0) | (yflip ? kEntryFlipY : 0);
  return true;
}

bool read_block(const JsonValue& value, const std::string& pointer, int size_index, int block,
                uint8_t* record, AssetError* error) {
  if (!check_keys(value, pointer, {"x", "y", "tiles"}, error)) return false;
  int x = 0, y = 0;
  if (!read_int(*value.find("x"), json_pointer_append(pointer, "x"), -128, 127, &x, error) ||
      !read_int(*value.find("y"), json_pointer_append(pointer, "y"), -128, 127, &y, error)) {
    return false;
  }
  const int blocks = kBlocksPerFrame[size_index];
  record[8 * blocks + 2 * block] = static_cast<uint8_t>(signed_to_byte(x));
  record[8 * blocks + 2 * block + 1] = static_cast<uint8_t>(signed_to_byte(y));
  const std::string tiles_pointer = json_pointer_append(pointer, "tiles");
  const JsonValue& tiles = *value.find("tiles");
  if (!check_array(tiles, tiles_pointer, 4, error)) return false;
  for (int k = 0; k < 4; ++k) {
    int entry = 0;
    if (!read_tile(tiles.items()[static_cast<size_t>(k)],
                   json_pointer_append(tiles_pointer, static_cast<size_t>(k)), &entry, error)) {
      return false;
    }
    const int at = 2 * tile_entry_word_index(size_index, block, k);
    record[at] = static_cast<uint8_t>(entry);
    record[at + 1] = static_cast<uint8_t>(entry >> 8);
  }
  return true;
}

JsonValue facing_json(const uint8_t* quarter, int quarter_size) {
  JsonValue sequences = JsonValue::array();
  for (int s = 0; s + kSequenceSteps <= quarter_size; s += kSequenceSteps) {
    JsonValue steps = JsonValue::array();
    for (int i = 0; i < kSequenceSteps && quarter[s + i] != kSequenceEnd; ++i) {
      steps.push(JsonValue::string(hex_digits(quarter[s + i], 2)));
    }
    sequences.push(std::move(steps));
  }
  return sequences;
}

JsonValue table_json(const std::vector<uint8_t> (&facings)[kFacingCount]) {
  JsonValue object = JsonValue::object();
  for (int f = 0; f < kFacingCount; ++f) {
    object.set(kFacingNames[f],
               facing_json(facings[f].data(), static_cast<int>(facings[f].size())));
  }
  return object;
}

}  // namespace

std::string hex_digits(int value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*X", digits, static_cast<unsigned>(value));
  return text;
}

JsonValue entries_json(const RomAssets& assets) {
  static const int kDigits[kHeaderFieldCount] = {3, 3, 2, 2, 2};
  JsonValue entries = JsonValue::object();
  for (size_t e = 0; e < assets.headers.size(); ++e) {
    JsonValue entry = JsonValue::object();
    for (int f = 0; f < kHeaderFieldCount; ++f) {
      entry.set(kHeaderFieldNames[f],
                JsonValue::string(hex_digits(assets.headers[e].field[f], kDigits[f])));
    }
    entry.set("label", JsonValue::string(character_list_label(static_cast<int>(e))));
    entries.set(hex_digits(static_cast<int>(e), 3), std::move(entry));
  }
  return entries;
}

JsonValue palettes_json(const RomAssets& assets) {
  JsonValue types = JsonValue::object();
  for (const auto& [type, colours] : assets.palettes) {
    types.set(hex_digits(type, 2), word_array(colours.data(), kPaletteTypeColours));
  }
  JsonValue weapons = JsonValue::object();
  for (int w = 0; w < kWeaponPaletteCount; ++w) {
    weapons.set(hex_digits(w, 2), word_array(assets.weapons[w].data(), kWeaponColours));
  }
  JsonValue palettes = JsonValue::object();
  palettes.set("palette_types", std::move(types));
  palettes.set("weapon_palettes", std::move(weapons));
  return palettes;
}

JsonValue position_json(const PositionAsset& position) {
  const int record = kRecordSize[position.size_index];
  JsonValue frames = JsonValue::array();
  for (int f = 0; f < position.frame_count; ++f) {
    JsonValue blocks = JsonValue::array();
    const uint8_t* bytes = position.records.data() + static_cast<size_t>(f) * record;
    for (int d = 0; d < kBlocksPerFrame[position.size_index]; ++d) {
      blocks.push(block_json(bytes, position.size_index, d));
    }
    frames.push(std::move(blocks));
  }
  JsonValue object = JsonValue::object();
  object.set("size_type", JsonValue::integer(position.size_index));
  object.set("frames", std::move(frames));
  return object;
}

JsonValue animations_json(const RomAssets& assets) {
  JsonValue types = JsonValue::object();
  for (const AnimationAsset& a : assets.animations) {
    JsonValue tables = JsonValue::object();
    for (int t = 0; t < 2; ++t) tables.set(kTableNames[t], table_json(a.facings[t]));
    types.set(hex_digits(a.type, 2), std::move(tables));
  }
  return types;
}

bool read_entries_json(const JsonValue& value, std::vector<EntryHeader>* headers,
                       AssetError* error) {
  std::vector<std::string> ids;
  for (int e = 0; e < kEntryCount; ++e) ids.push_back(hex_digits(e, 3));
  if (!check_keys(value, "", ids, error)) return false;
  std::vector<std::string> keys(kHeaderFieldNames, kHeaderFieldNames + kHeaderFieldCount);
  keys.push_back("label");
  headers->assign(kEntryCount, EntryHeader());
  for (int e = 0; e < kEntryCount; ++e) {
    const std::string pointer = json_pointer_append("", ids[static_cast<size_t>(e)]);
    const JsonValue& entry = *value.find(ids[static_cast<size_t>(e)]);
    if (!check_keys(entry, pointer, keys, error)) return false;
    for (int f = 0; f < kHeaderFieldCount; ++f) {
      int field = 0;
      if (!read_hex(*entry.find(kHeaderFieldNames[f]),
                    json_pointer_append(pointer, kHeaderFieldNames[f]), 3, 0xFF, &field, error)) {
        return false;
      }
      (*headers)[static_cast<size_t>(e)].field[f] = static_cast<uint8_t>(field);
    }
    if (!entry.find("label")->is_string()) {
      return fail(error, json_pointer_append(pointer, "label"), "expected a string");
    }
  }
  return true;
}

bool read_palettes_json(const JsonValue& value, const RomAssets& shape, RomAssets* out,
                        AssetError* error) {
  if (!check_keys(value, "", {"palette_types", "weapon_palettes"}, error)) return false;
  std::vector<std::string> type_keys;
  for (const auto& entry : shape.palettes) type_keys.push_back(hex_digits(entry.first, 2));
  const JsonValue& types = *value.find("palette_types");
  if (!check_keys(types, "/palette_types", type_keys, error)) return false;
  out->palettes.clear();
  for (const auto& entry : shape.palettes) {
    const std::string key = hex_digits(entry.first, 2);
    if (!read_words(*types.find(key), json_pointer_append("/palette_types", key),
                    kPaletteTypeColours, out->palettes[entry.first].data(), error)) {
      return false;
    }
  }
  std::vector<std::string> weapon_keys;
  for (int w = 0; w < kWeaponPaletteCount; ++w) weapon_keys.push_back(hex_digits(w, 2));
  const JsonValue& weapons = *value.find("weapon_palettes");
  if (!check_keys(weapons, "/weapon_palettes", weapon_keys, error)) return false;
  for (int w = 0; w < kWeaponPaletteCount; ++w) {
    const std::string key = weapon_keys[static_cast<size_t>(w)];
    if (!read_words(*weapons.find(key), json_pointer_append("/weapon_palettes", key),
                    kWeaponColours, out->weapons[w].data(), error)) {
      return false;
    }
  }
  return true;
}

bool read_position_json(const JsonValue& value, const PositionAsset& shape,
                        std::vector<uint8_t>* records, AssetError* error) {
  if (!check_keys(value, "", {"size_type", "frames"}, error)) return false;
  const JsonValue& size_type = *value.find("size_type");
  if (!size_type.is_integer() || size_type.as_integer() != shape.size_index) {
    return fail(error, "/size_type",
                "the size type must stay " + std::to_string(shape.size_index) +
                    " (the frame layout of the ROM); change it in entries.json instead");
  }
  const JsonValue& frames = *value.find("frames");
  if (!check_array(frames, "/frames", static_cast<size_t>(shape.frame_count), error)) return false;
  const int record = kRecordSize[shape.size_index];
  const int blocks = kBlocksPerFrame[shape.size_index];
  records->assign(static_cast<size_t>(record) * shape.frame_count, 0);
  for (int f = 0; f < shape.frame_count; ++f) {
    const std::string frame_pointer = json_pointer_append("/frames", static_cast<size_t>(f));
    const JsonValue& frame = frames.items()[static_cast<size_t>(f)];
    if (!check_array(frame, frame_pointer, static_cast<size_t>(blocks), error)) return false;
    for (int d = 0; d < blocks; ++d) {
      if (!read_block(frame.items()[static_cast<size_t>(d)],
                      json_pointer_append(frame_pointer, static_cast<size_t>(d)), shape.size_index,
                      d, records->data() + static_cast<size_t>(f) * record, error)) {
        return false;
      }
    }
  }
  return true;
}

bool first_difference(const JsonValue& a, const JsonValue& b, const std::string& pointer,
                      std::string* where) {
  if (a.type() != b.type() || (!a.is_array() && !a.is_object() && a != b)) {
    *where = pointer;
    return true;
  }
  if (a.is_array()) {
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
      if (first_difference(a.items()[i], b.items()[i], json_pointer_append(pointer, i), where)) {
        return true;
      }
    }
    if (a.size() != b.size()) {
      *where = json_pointer_append(pointer, common);
      return true;
    }
    return false;
  }
  if (a.is_object()) {
    for (const auto& member : a.members()) {
      const JsonValue* other = b.find(member.first);
      const std::string at = json_pointer_append(pointer, member.first);
      if (other == nullptr) {
        *where = at;
        return true;
      }
      if (first_difference(member.second, *other, at, where)) return true;
    }
    for (const auto& member : b.members()) {
      if (a.find(member.first) == nullptr) {
        *where = json_pointer_append(pointer, member.first);
        return true;
      }
    }
  }
  return false;
}

}  // namespace vcv
