// The JSON forms of the asset files, and reading them back strictly. Numbers the tool shows in
// hexadecimal elsewhere (graphics, position, palette and animation numbers, tile numbers, image
// numbers, colour words) are strings of hexadecimal digits, so they read as the panel and the
// file names show them; offsets and flags are JSON numbers.
//
//   entries.json    {"000": {"assembly": "000", "position_type": "000", "palette_type": "00",
//                            "animation_type": "00", "size_type": "01", "label": "Player 1"}, ...}
//   palettes.json   {"palette_types": {"00": ["7FFF", ... 12 words]}, "weapon_palettes":
//                    {"00": [3 words], ... "1F"}}
//   positions/NNN.json  {"size_type": 1, "frames": [[{"x": -8, "y": 4, "tiles": [{"tile": "01A",
//                    "xflip": 0, "yflip": 0, "bits": 0}, ... 4 quadrants]}, ... blocks], ...]}
//   animations.json {"00": {"animation_1": {"up": [["03", "04"], ...], "down": ..., "left": ...,
//                    "right": ...}, "animation_2": {...}}, ...}
#pragma once

#include <string>
#include <vector>

#include "assets/asset_model.h"
#include "platform/json.h"

namespace vcv {

// Where a file's content is wrong: a JSON pointer into it and what is wrong there.
struct AssetError {
  std::string pointer;
  std::string message;
};

// "03A" for (0x3A, 3).
std::string hex_digits(int value, int digits);

JsonValue entries_json(const RomAssets& assets);
JsonValue palettes_json(const RomAssets& assets);
JsonValue position_json(const PositionAsset& position);
JsonValue animations_json(const RomAssets& assets);

// Each reader takes the value as parsed and the ROM's assets for the shape it must have (the
// same entries, palette types, frame count and size type); false with *error on the first fault.
bool read_entries_json(const JsonValue& value, std::vector<EntryHeader>* headers,
                       AssetError* error);
bool read_palettes_json(const JsonValue& value, const RomAssets& shape, RomAssets* out,
                        AssetError* error);
bool read_position_json(const JsonValue& value, const PositionAsset& shape,
                        std::vector<uint8_t>* records, AssetError* error);

// The pointer of the first place where two values differ, or false when they are equal.
bool first_difference(const JsonValue& a, const JsonValue& b, const std::string& pointer,
                      std::string* where);

}  // namespace vcv
