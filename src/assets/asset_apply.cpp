#include "assets/asset_apply.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <utility>

#include "assets/asset_dump.h"
#include "assets/asset_json.h"
#include "assets/asset_model.h"
#include "edit/write_image.h"
#include "image/palette_mapping.h"
#include "image/picture_read.h"
#include "platform/json.h"
#include "platform/sha256.h"
#include "sprite/codec.h"
#include "sprite/directory.h"
#include "sprite/region_map.h"
#include "sprite/rom_check.h"
#include "sprite/rom_layout.h"
#include "sprite/tile_sheet.h"
#include "sprite/tiles.h"

namespace vcv {

namespace {

constexpr int kTileIndexLimit = 16;  // a tile pixel holds indices 0..15

std::string hex(int value, int digits) { return hex_digits(value, digits); }

// ---- reading the files ----

class DumpFiles {
 public:
  explicit DumpFiles(const AssetReader& read) : read_(read) {}

  bool bytes(const std::string& name, std::vector<uint8_t>* out, std::string* error) const {
    std::string why;
    if (!read_(name, out, &why)) {
      *error = name + ": " + (why.empty() ? "cannot be read" : why);
      return false;
    }
    return true;
  }

  bool json(const std::string& name, JsonValue* value, std::string* error) const {
    std::vector<uint8_t> text;
    if (!bytes(name, &text, error)) return false;
    JsonError parse_error;
    if (!parse_json(reinterpret_cast<const char*>(text.data()), text.size(), value,
                    &parse_error)) {
      *error = name + ": " + describe_json_error(parse_error);
      return false;
    }
    return true;
  }

 private:
  const AssetReader& read_;
};

bool content_error(const std::string& name, const AssetError& fault, std::string* error) {
  *error = name + ": " + (fault.pointer.empty() ? std::string() : fault.pointer + ": ") +
           fault.message;
  return false;
}

bool check_manifest(const DumpFiles& files, const RomImage& rom, const ApplyOptions& options,
                    ApplyPlan* plan, std::string* error) {
  JsonValue manifest;
  if (!files.json(kManifestFile, &manifest, error)) return false;
  const JsonValue* sha = manifest.is_object() ? manifest.find("sha256") : nullptr;
  const JsonValue* format = manifest.is_object() ? manifest.find("format") : nullptr;
  if (!manifest.is_object()) return content_error(kManifestFile, {"", "expected an object"}, error);
  if (format == nullptr || !format->is_integer() || format->as_integer() != kAssetFormatVersion) {
    return content_error(kManifestFile,
                         {"/format", "expected format " + std::to_string(kAssetFormatVersion) +
                                         " (files of another version of this tool)"},
                         error);
  }
  if (sha == nullptr || !sha->is_string() || sha->as_string().size() != 64) {
    return content_error(kManifestFile, {"/sha256", "expected the ROM's SHA-256 as 64 "
                                                    "hexadecimal digits"}, error);
  }
  const std::string ours = manifest_json(rom).find("sha256")->as_string();
  std::string theirs = sha->as_string();
  for (char& c : theirs) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (theirs == ours) return true;
  const std::string text = "the files were dumped from another ROM (SHA-256 " +
                           sha->as_string().substr(0, 16) + "..., this ROM " +
                           ours.substr(0, 16) + "...)";
  if (!options.force) {
    return content_error(kManifestFile, {"/sha256", text + "; give --force to apply them anyway"},
                         error);
  }
  plan->notes.push_back(std::string(kManifestFile) + ": " + text + "; applied anyway (--force)");
  return true;
}

// The picture of a graphics number as palette indices of its sheet, checked against the dump's
// size and the tile data's extent.
bool read_graphics_picture(const DumpFiles& files, const GraphicsAsset& g,
                           const MappingOptions& options, std::vector<uint8_t>* tiles,
                           std::vector<std::string>* notes, std::string* error) {
  const std::string name = graphics_file_name(g.number);
  std::vector<uint8_t> bytes;
  if (!files.bytes(name, &bytes, error)) return false;
  Picture picture;
  std::string why;
  if (!read_picture_bytes(bytes.data(), bytes.size(), &picture, &why)) {
    *error = name + ": " + why;
    return false;
  }
  const int size = static_cast<int>(g.tiles.size());
  const int height = sheet_height_for(size);
  if (picture.width != kSheetWidth || picture.height != height) {
    *error = name + ": the picture is " + std::to_string(picture.width) + "x" +
             std::to_string(picture.height) + "; it must stay " + std::to_string(kSheetWidth) +
             "x" + std::to_string(height) + " as dumped";
    return false;
  }
  if (options.indexed == IndexedMapping::kIndices && picture.kind == PictureKind::kTrueColour) {
    *error = name + ": the picture holds colours, not palette indices, so --map index cannot "
                    "take it";
    return false;
  }
  const std::vector<uint8_t> current = draw_graphics_sheet(g.tiles);
  const PaletteMapping mapping =
      map_picture_to_palette(picture, g.palette, current.data(), options);
  if (!mapping_accepted(mapping)) {
    *error = name + ": " + outside_palette_message(mapping) +
             " (--nearest maps them to the nearest palette colours)";
    return false;
  }
  if (mapped_to_nearest(mapping)) notes->push_back(name + ": " + nearest_colours_message(mapping));
  if (mapping.result == MappingResult::kIndicesOwnTable) {
    notes->push_back(name + ": " + own_table_message(mapping));
  }
  const int tile_count = (size + kTileBytes - 1) / kTileBytes;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < kSheetWidth; ++x) {
      const uint8_t index = mapping.indices[static_cast<size_t>(y) * kSheetWidth + x];
      if (index >= kTileIndexLimit) {
        *error = name + ": pixel (" + std::to_string(x) + ", " + std::to_string(y) +
                 ") holds index " + std::to_string(index) + "; tiles hold indices 0 to 15";
        return false;
      }
      const int tile = (y / 8) * kSheetColumns + x / 8;
      if (index != 0 && tile >= tile_count) {
        *error = name + ": pixel (" + std::to_string(x) + ", " + std::to_string(y) +
                 ") lies in tile place " + hex(tile, 3) + ", past the last tile (" +
                 hex(tile_count - 1, 3) + "); it must stay transparent";
        return false;
      }
    }
  }
  if (!encode_graphics_sheet(mapping.indices, size, tiles, &why)) {
    *error = name + ": " + why;
    return false;
  }
  return true;
}

// A header field names an entry of the table it indexes; a changed field must name one the table
// holds. (Graphics numbers and palette types reach no further than their tables; the size type
// uses its low two bits.)
bool check_changed_fields(const std::vector<EntryHeader>& before,
                          const std::vector<EntryHeader>& after, std::string* error) {
  struct Limit {
    HeaderField field;
    int last;    // the highest number the table holds
    int digits;  // as entries.json writes the field
    const char* table;
  };
  // Each animation type's size is the next type's pointer minus its own, so the last word of
  // each animation pointer table serves only as the end of the type before it.
  static const Limit kLimits[] = {
      {kFieldPositionType, kPositionTypeCount - 1, 3, "the position pointer table, which holds"},
      {kFieldAnimationType, 0xFE, 2, "the animation pointer tables, which hold"},
  };
  for (size_t e = 0; e < after.size(); ++e) {
    for (const Limit& limit : kLimits) {
      const int value = after[e].field[limit.field];
      if (value == before[e].field[limit.field] || value <= limit.last) continue;
      return content_error(kEntriesFile,
                           {"/" + hex(static_cast<int>(e), 3) + "/" +
                                kHeaderFieldNames[limit.field],
                            hex(value, limit.digits) + " lies past " + limit.table + " " +
                                hex(0, limit.digits) + " to " + hex(limit.last, limit.digits)},
                           error);
    }
  }
  return true;
}

// Everything the files say, in the shape of the ROM's assets.
bool read_target(const DumpFiles& files, const RomAssets& original,
                 const MappingOptions& mapping, RomAssets* target,
                 std::vector<std::string>* notes, std::string* error) {
  *target = original;
  JsonValue value;
  AssetError fault;
  if (!files.json(kEntriesFile, &value, error)) return false;
  if (!read_entries_json(value, &target->headers, &fault)) {
    return content_error(kEntriesFile, fault, error);
  }
  if (!check_changed_fields(original.headers, target->headers, error)) return false;
  if (!files.json(kPalettesFile, &value, error)) return false;
  if (!read_palettes_json(value, original, target, &fault)) {
    return content_error(kPalettesFile, fault, error);
  }
  for (PositionAsset& p : target->positions) {
    const std::string name = position_file_name(p.type);
    if (!files.json(name, &value, error)) return false;
    if (!read_position_json(value, p, &p.records, &fault)) return content_error(name, fault, error);
  }
  if (!files.json(kAnimationsFile, &value, error)) return false;
  std::string where;
  if (first_difference(animations_json(original), value, "", &where)) {
    return content_error(kAnimationsFile,
                         {where, "animations differ from the ROM's; writing animations is not "
                                 "supported, so this file must stay as dumped"},
                         error);
  }
  for (GraphicsAsset& g : target->graphics) {
    if (g.decoded && !read_graphics_picture(files, g, mapping, &g.tiles, notes, error)) {
      return false;
    }
  }
  return true;
}

// ---- numbers that name one block ----

// What one number gives a block that several name: the block's first bytes, as the ROM holds
// them and as the files say.
struct Sharer {
  int number;
  std::string file;
  const std::vector<uint8_t>* before;
  std::vector<uint8_t>* after;
};

// Which number's bytes are written for a shared block, and which numbers change with it.
struct SharedBlocks {
  std::map<int, std::string> notes;  // by the number written: the numbers that change with it
  std::set<int> followers;           // numbers whose block another number writes
};

// The numbers of one block read back the same bytes, so an edit made through one of them is an
// edit of all: the edits the files make become the block's new content and every sharer's
// target, and the sharer that covers them is the one written. Two edits that disagree are
// refused, as neither can be what the block holds.
bool settle_block(const std::vector<Sharer>& sharers, const std::string& kind, int32_t address,
                  SharedBlocks* shared, std::string* error) {
  std::vector<uint8_t> block;
  for (const Sharer& s : sharers) {
    if (s.before->size() > block.size()) block = *s.before;
  }
  const Sharer* writer = nullptr;
  for (const Sharer& s : sharers) {
    if (*s.after == *s.before) continue;
    const size_t common = std::min(writer == nullptr ? 0 : writer->after->size(), s.after->size());
    if (!std::equal(s.after->begin(), s.after->begin() + static_cast<std::ptrdiff_t>(common),
                    block.begin())) {
      *error = writer->file + " and " + s.file + " name one block (at " + address_text(address) +
               ") but were edited differently; edit them alike, or only one of them";
      return false;
    }
    std::copy(s.after->begin(), s.after->end(), block.begin());
    if (writer == nullptr || s.after->size() > writer->after->size()) writer = &s;
  }
  if (writer == nullptr) return true;
  std::vector<int> others;
  for (const Sharer& s : sharers) {
    std::copy(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(s.after->size()),
              s.after->begin());
    if (&s == writer) continue;
    others.push_back(s.number);
    shared->followers.insert(s.number);
  }
  std::string note;
  for (int n : others) note += (note.empty() ? " (" + kind + " " : ", ") + hex(n, 3);
  note += others.size() == 1 ? " shares the block and changes with it)"
                             : " share the block and change with it)";
  shared->notes[writer->number] = note;
  return true;
}

// Settles every block that several graphics numbers, or several position types, name.
bool settle_shared_blocks(const RomAssets& original, RomAssets* target, SharedBlocks* graphics,
                          SharedBlocks* positions, std::string* error) {
  std::map<std::pair<int32_t, bool>, std::vector<Sharer>> pictures;
  for (GraphicsAsset& g : target->graphics) {
    if (!g.decoded) continue;
    pictures[{g.address, g.plain}].push_back(Sharer{
        g.number, graphics_file_name(g.number), &original.find_graphics(g.number)->tiles,
        &g.tiles});
  }
  for (const auto& [block, sharers] : pictures) {
    if (sharers.size() > 1 &&
        !settle_block(sharers, "graphics", block.first, graphics, error)) {
      return false;
    }
  }
  std::map<int32_t, std::vector<Sharer>> records;
  for (PositionAsset& p : target->positions) {
    records[p.address].push_back(Sharer{p.type, position_file_name(p.type),
                                        &original.find_position(p.type)->records, &p.records});
  }
  for (const auto& [address, sharers] : records) {
    if (sharers.size() > 1 &&
        !settle_block(sharers, "position type", address, positions, error)) {
      return false;
    }
  }
  return true;
}

// ---- writing the copy ----

class CopyWriter {
 public:
  CopyWriter(const RomImage& rom, const SpriteDirectory& directory, const ApplyOptions& options,
             ApplyPlan* plan)
      : directory_(directory), options_(options), plan_(plan) {
    plan_->changed = rom;
  }

  bool headers(const RomAssets& original, const RomAssets& target, std::string* error) {
    for (int e = 0; e < kEntryCount; ++e) {
      const EntryHeader& before = original.headers[static_cast<size_t>(e)];
      const EntryHeader& after = target.headers[static_cast<size_t>(e)];
      if (before == after) continue;
      std::string fields;
      for (int f = 0; f < kHeaderFieldCount; ++f) {
        if (before.field[f] == after.field[f]) continue;
        if (!fields.empty()) fields += ", ";
        fields += std::string(kHeaderFieldNames[f]) + " " + hex(before.field[f], 2) + " -> " +
                  hex(after.field[f], 2);
      }
      const int offset = entry_header_offset(e);
      if (!plan_->changed.write_block(kTableBank, offset, kHeaderFieldCount, after.field)) {
        return outside(error, "the header record of entry " + hex(e, 3));
      }
      change("entry " + hex(e, 3) + " at " + address_text((kTableBank << 16) | offset) + ": " +
             fields + " (5 bytes, in place)");
    }
    return true;
  }

  bool palettes(const RomAssets& original, const RomAssets& target, std::string* error) {
    for (const auto& [type, colours] : target.palettes) {
      const auto& before = original.palettes.at(type);
      if (!colour_words((kTableBank << 16) | palette_offset(type), "palette type " + hex(type, 2),
                        before.data(), colours.data(), kPaletteTypeColours, 1, error)) {
        return false;
      }
    }
    for (int w = 0; w < kWeaponPaletteCount; ++w) {
      if (!colour_words((kWeaponPaletteBank << 16) | weapon_palette_offset(w),
                        "weapon palette " + hex(w, 2), original.weapons[w].data(),
                        target.weapons[w].data(), kWeaponColours, kFirstWeaponColour, error)) {
        return false;
      }
    }
    return true;
  }

  bool positions(const RomAssets& original, const RomAssets& target,
                 const SharedBlocks& shared, std::string* error) {
    for (const PositionAsset& after : target.positions) {
      if (shared.followers.count(after.type) != 0) continue;
      const PositionAsset& before = *original.find_position(after.type);
      const auto note = shared.notes.find(after.type);
      const int record = kRecordSize[after.size_index];
      const long long start =
          plan_->changed.file_offset((after.address >> 16) & 0xFF, after.address & 0xFFFF);
      for (int f = 0; f < after.frame_count; ++f) {
        const size_t at = static_cast<size_t>(f) * record;
        if (std::memcmp(before.records.data() + at, after.records.data() + at,
                        static_cast<size_t>(record)) == 0) {
          continue;
        }
        if (!plan_->changed.write_at(start + static_cast<long long>(at), record,
                                     after.records.data() + at)) {
          return outside(error, "frame " + hex(f, 2) + " of position type " + hex(after.type, 3));
        }
        change("position type " + hex(after.type, 3) + " frame " + hex(f, 2) + " at " +
               address_text(after.address) + "+" + hex(static_cast<int>(at), 4) + ": " +
               std::to_string(record) + " bytes, in place" +
               (note == shared.notes.end() ? std::string() : note->second));
      }
    }
    return true;
  }

  bool graphics(const RomAssets& original, const RomAssets& target,
                const SharedBlocks& shared, std::string* error) {
    for (const GraphicsAsset& g : target.graphics) {
      const GraphicsAsset& before = *original.find_graphics(g.number);
      if (!g.decoded || shared.followers.count(g.number) != 0 || g.tiles == before.tiles) {
        continue;
      }
      const auto note = shared.notes.find(g.number);
      if (!write_graphics(g, before, note == shared.notes.end() ? std::string() : note->second,
                          error)) {
        return false;
      }
    }
    return true;
  }

  const std::set<int>& banks_written() const { return banks_; }

 private:
  void change(const std::string& line) { plan_->changes.push_back(line); }

  bool outside(std::string* error, const std::string& what) {
    *error = what + " would not lie inside the ROM file";
    return false;
  }

  bool colour_words(int32_t address, const std::string& what, const uint16_t* before,
                    const uint16_t* after, int count, int first_colour, std::string* error) {
    std::string colours;
    for (int i = 0; i < count; ++i) {
      if (before[i] == after[i]) continue;
      if (!colours.empty()) colours += ", ";
      colours += "colour " + std::to_string(first_colour + i) + " " + hex(before[i], 4) + " -> " +
                 hex(after[i], 4);
    }
    if (colours.empty()) return true;
    std::vector<uint8_t> bytes;
    for (int i = 0; i < count; ++i) {
      bytes.push_back(static_cast<uint8_t>(after[i]));
      bytes.push_back(static_cast<uint8_t>(after[i] >> 8));
    }
    if (!plan_->changed.write_block((address >> 16) & 0xFF, address & 0xFFFF,
                                    static_cast<int>(bytes.size()), bytes.data())) {
      return outside(error, what);
    }
    change(what + " at " + address_text(address) + ": " + colours + " (" +
           std::to_string(bytes.size()) + " bytes, in place)");
    return true;
  }

  // The packed size of the block a graphics number's pointer names in the copy now.
  int stored_size_now(int number, int32_t* address) const {
    const int at = kGraphicsPointerTable + kLongPointerSize * number;
    *address = (plan_->changed.read_byte(kTableBank, at + 2) << 16) |
               plan_->changed.read_word(kTableBank, at);
    return loaded_packed_size(plan_->changed, (*address >> 16) & 0xFF, *address & 0xFFFF);
  }

  bool pack(const GraphicsAsset& g, std::vector<uint8_t>* block, std::string* error) {
    const CommandResult packed = pack_tile_data(options_.method, g.tiles.data(),
                                                static_cast<int>(g.tiles.size()), block);
    const std::string name = graphics_file_name(g.number);
    switch (packed.status) {
      case CommandStatus::kDone: return true;
      case CommandStatus::kPackRefused:
        *error = name + ": the tile data cannot be packed into one block";
        return false;
      case CommandStatus::kPackTooLong:
        *error = name + ": the packed block would take " + std::to_string(packed.value) +
                 " bytes; loading reads at most " + std::to_string(kPackedReadSize);
        return false;
      default:
        *error = name + ": the packed block does not decode back to the picture";
        return false;
    }
  }

  bool write_graphics(const GraphicsAsset& g, const GraphicsAsset& before,
                      const std::string& shared, std::string* error) {
    const std::string what = "graphics " + hex(g.number, 3);
    if (g.plain) {
      const long long start =
          plan_->changed.file_offset((g.address >> 16) & 0xFF, g.address & 0xFFFF);
      if (!plan_->changed.write_at(start, static_cast<int>(g.tiles.size()), g.tiles.data())) {
        return outside(error, what);
      }
      change(what + " at " + address_text(g.address) + ": plain, " +
             std::to_string(g.tiles.size()) + " bytes, in place" + shared);
      return true;
    }
    std::vector<uint8_t> block;
    if (!pack(g, &block, error)) return false;
    const int size = static_cast<int>(block.size());
    int32_t address = 0;
    const int stored = stored_size_now(g.number, &address);
    const int bank = (address >> 16) & 0xFF;
    if (stored >= size) {
      const long long start = plan_->changed.file_offset(bank, address & 0xFFFF);
      if (!plan_->changed.write_at(start, size, block.data())) return outside(error, what);
      banks_.insert(bank);
      change(what + " at " + address_text(address) + ": packed " + std::to_string(stored) +
             " -> " + std::to_string(size) + " bytes, in place" + shared);
      return true;
    }
    RepackSizes sizes;
    const int free_bytes = repack_bank_images(plan_->changed, g.number, size, block.data(),
                                              MatchSearch::kFast, options_.method, &sizes);
    const BankRegion* region = find_bank_region(bank);
    if (free_bytes == kRepackUndecodable) {
      // The region cannot be repacked, but the block may still fit in its free space.
      const int at =
          place_in_free_space(plan_->changed, directory_, g.number, size, block.data());
      if (at >= 0) {
        banks_.insert(bank);
        change(what + " at " + address_text(address) + ": packed " + std::to_string(stored) +
               " -> " + std::to_string(size) + " bytes, placed in free space at " +
               address_text((bank << 16) | at) + " (region " + region_text(*region) +
               " cannot be repacked: " + stopping_block(bank, sizes) + "; no other block moved)" +
               shared);
        return true;
      }
    }
    if (free_bytes < 0) return repack_failed(g, before, free_bytes, sizes, stored, size, error);
    banks_.insert(bank);
    change(what + " at " + address_text(address) + ": packed " + std::to_string(stored) + " -> " +
           std::to_string(size) + " bytes, repacked region " + region_text(*region) + shared);
    return true;
  }

  bool repack_failed(const GraphicsAsset& g, const GraphicsAsset& before, int code,
                     const RepackSizes& sizes, int stored, int size, std::string* error) {
    const int bank = (before.address >> 16) & 0xFF;
    const BankRegion* region = find_bank_region(bank);
    const std::string lead = graphics_file_name(g.number) + ": the packed block grows from " +
                             std::to_string(stored) + " to " + std::to_string(size) +
                             " bytes and does not fit in place; ";
    switch (code) {
      case kRepackNoRegion:
        *error = lead + "bank " + hex(bank, 2) + " has no region to repack";
        break;
      case kRepackDoesNotFit:
        *error = lead + "region " + region_text(*region) + " cannot hold its blocks: they need " +
                 std::to_string(sizes.needed_bytes) + " bytes, " +
                 std::to_string(sizes.region_bytes - 1) +
                 " are free (one byte of the region must stay free)";
        break;
      case kRepackUndecodable:
        *error = lead + "region " + region_text(*region) + " cannot be repacked (" +
                 stopping_block(bank, sizes) + ") and its free space cannot hold the block";
        break;
      case kRepackImageOutsideRegion:
        *error = lead + "its block lies outside region " + region_text(*region);
        break;
      case kRepackPlainInRegion:
        *error = lead + "region " + region_text(*region) + " holds plain graphics";
        break;
      default:
        *error = lead + "repacking region " + region_text(*region) + " failed its check";
        break;
    }
    return false;
  }

  // "the block at D6:0000 decodes to 65312 bytes, more than repacking takes (at most 65279)".
  static std::string stopping_block(int bank, const RepackSizes& sizes) {
    if (sizes.stopping_offset < 0) return "a block of it cannot be decoded";
    return "the block at " + address_text((bank << 16) | sizes.stopping_offset) + " " +
           sizes.stopping_reason;
  }

  const SpriteDirectory& directory_;
  const ApplyOptions& options_;
  ApplyPlan* plan_;
  std::set<int> banks_;
};

// The copy read back holds exactly what the files say.
bool copy_holds_target(const RomImage& changed, const SpriteDirectory& directory,
                       const std::vector<EntryHeader>& naming, const RomAssets& target,
                       std::string* error) {
  const RomAssets back = read_rom_assets(changed, directory, &naming);
  std::string wrong;
  if (back.headers != target.headers) wrong = "header records";
  else if (back.palettes != target.palettes || back.weapons != target.weapons) wrong = "palettes";
  for (size_t i = 0; wrong.empty() && i < target.positions.size(); ++i) {
    const PositionAsset* p = back.find_position(target.positions[i].type);
    if (p == nullptr || p->records != target.positions[i].records) {
      wrong = "position type " + hex(target.positions[i].type, 3);
    }
  }
  for (size_t i = 0; wrong.empty() && i < target.graphics.size(); ++i) {
    const GraphicsAsset& g = target.graphics[i];
    const GraphicsAsset* b = back.find_graphics(g.number);
    if (b == nullptr || b->decoded != g.decoded || (g.decoded && b->tiles != g.tiles)) {
      wrong = "graphics " + hex(g.number, 3);
    }
  }
  if (wrong.empty()) return true;
  *error = "the changed ROM does not read back as the files say (" + wrong + ")";
  return false;
}

// The changed ROM holds no problem the check (verify) does not find in the ROM now. A problem
// is known when one about the same thing concerned at least the same entries before: an edit
// that takes an entry away from a fault (its numbers, its frame counts, its line) makes no new
// one, one that gives an entry a fault it did not have does.
bool no_new_problems(const RomImage& rom, const SpriteDirectory& directory,
                     const RomImage& changed, std::string* error) {
  const RomCheckReport now = check_rom(rom, directory, false);
  SpriteDirectory changed_directory;
  build_sprite_directory(changed, changed_directory);
  const RomCheckReport after = check_rom(changed, changed_directory, false);
  const auto known = [&](const RomProblem& problem) {
    for (const RomProblem& before : now.parts) {
      if (before.what == problem.what &&
          std::includes(before.entries.begin(), before.entries.end(), problem.entries.begin(),
                        problem.entries.end())) {
        return true;
      }
    }
    return false;
  };
  std::vector<std::string> added;
  for (size_t i = 0; i < after.parts.size(); ++i) {
    if (!known(after.parts[i])) added.push_back(after.problems[i]);
  }
  if (added.empty()) return true;
  const std::string count =
      added.size() == 1 ? std::string("a problem") : std::to_string(added.size()) + " problems";
  *error = "the changed ROM would have " + count + " that verify does not report now: " +
           added.front() +
           (added.size() > 1 ? " (and " + std::to_string(added.size() - 1) + " more)" : "");
  return false;
}

void describe_regions(const RomImage& rom, const std::set<int>& banks, ApplyPlan* plan) {
  for (int bank : banks) {
    RegionMap before, after;
    if (!map_bank_region(rom, bank, &before) || !map_bank_region(plan->changed, bank, &after)) {
      continue;
    }
    plan->regions.push_back("region " + region_text(after.region) + " keeps " +
                            std::to_string(after.free_now) + " bytes free (now " +
                            std::to_string(before.free_now) + ")");
  }
}

}  // namespace

bool plan_asset_apply(const RomImage& rom, const SpriteDirectory& directory,
                      const AssetReader& read, const ApplyOptions& options, ApplyPlan* plan,
                      std::string* error) {
  *plan = ApplyPlan();
  const DumpFiles files(read);
  if (!check_manifest(files, rom, options, plan, error)) return false;
  const RomAssets original = read_rom_assets(rom, directory);
  RomAssets target;
  if (!read_target(files, original, options.mapping, &target, &plan->notes, error)) return false;
  SharedBlocks shared_graphics, shared_positions;
  if (!settle_shared_blocks(original, &target, &shared_graphics, &shared_positions, error)) {
    return false;
  }
  CopyWriter writer(rom, directory, options, plan);
  if (!writer.headers(original, target, error) || !writer.palettes(original, target, error) ||
      !writer.positions(original, target, shared_positions, error) ||
      !writer.graphics(original, target, shared_graphics, error)) {
    return false;
  }
  if (!copy_holds_target(plan->changed, directory, original.headers, target, error) ||
      !no_new_problems(rom, directory, plan->changed, error)) {
    return false;
  }
  describe_regions(rom, writer.banks_written(), plan);
  return true;
}

}  // namespace vcv
