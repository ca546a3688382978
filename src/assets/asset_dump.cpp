#include "assets/asset_dump.h"

#include "assets/asset_json.h"
#include "assets/asset_model.h"
#include "image/png_build.h"
#include "platform/sha256.h"
#include "rom/rom_image.h"
#include "sprite/tile_sheet.h"
#include "sprite/tiles.h"
#include "vantor_version.h"

namespace vcv {

namespace {

constexpr int kPngColours = 16;

std::vector<uint8_t> text_bytes(const std::string& text) {
  return std::vector<uint8_t>(text.begin(), text.end());
}

AssetFile json_file(const std::string& name, const JsonValue& value) {
  return AssetFile{name, text_bytes(write_json(value))};
}

std::vector<uint8_t> graphics_png(const GraphicsAsset& g) {
  const std::vector<uint8_t> sheet = draw_graphics_sheet(g.tiles);
  uint32_t colours[kPngColours];
  palette_to_display(g.palette, colours, 0, kPngColours);
  return build_png(sheet.data(), kSheetWidth, sheet_height_for(static_cast<int>(g.tiles.size())),
                   kPngColours, colours);
}

}  // namespace

std::string graphics_file_name(int number) { return "graphics/" + hex_digits(number, 3) + ".png"; }

std::string position_file_name(int type) { return "positions/" + hex_digits(type, 3) + ".json"; }

JsonValue manifest_json(const RomImage& rom) {
  const std::vector<uint8_t>& bytes = rom.bytes();
  JsonValue manifest = JsonValue::object();
  manifest.set("format", JsonValue::integer(kAssetFormatVersion));
  manifest.set("rom_size", JsonValue::integer(static_cast<long long>(bytes.size())));
  manifest.set("copier_header", JsonValue::integer(rom.base()));
  manifest.set("sha256", JsonValue::string(sha256_hex(sha256(bytes.data(), bytes.size()))));
  manifest.set("tool_version", JsonValue::string(VCV_VERSION_STRING));
  return manifest;
}

std::vector<AssetFile> dump_rom_assets(const RomImage& rom, const SpriteDirectory& directory,
                                       const AssetProgress& progress) {
  const RomAssets assets = read_rom_assets(rom, directory);
  int total = 5 + static_cast<int>(assets.positions.size());
  for (const GraphicsAsset& g : assets.graphics) total += g.decoded ? 1 : 0;
  std::vector<AssetFile> files;
  auto made = [&](AssetFile file) {
    files.push_back(std::move(file));
    if (progress) progress(static_cast<int>(files.size()), total);
  };
  made(AssetFile{kManifestFile, {}});  // first, made last: it lists the others
  made(json_file(kEntriesFile, entries_json(assets)));
  made(json_file(kPalettesFile, palettes_json(assets)));
  made(json_file(kAnimationsFile, animations_json(assets)));
  std::vector<std::string> problems = assets.problems;
  for (const GraphicsAsset& g : assets.graphics) {
    if (!g.decoded) continue;
    std::vector<uint8_t> png = graphics_png(g);
    if (png.empty()) {
      problems.push_back("graphics " + hex_digits(g.number, 3) + ": the picture could not be made");
      continue;
    }
    made(AssetFile{graphics_file_name(g.number), std::move(png)});
  }
  for (const PositionAsset& p : assets.positions) {
    made(json_file(position_file_name(p.type), position_json(p)));
  }
  std::string problem_text;
  for (const std::string& line : problems) problem_text += line + "\n";
  files.push_back(AssetFile{kProblemsFile, text_bytes(problem_text)});
  JsonValue manifest = manifest_json(rom);
  JsonValue names = JsonValue::array();
  for (size_t i = 1; i < files.size(); ++i) names.push(JsonValue::string(files[i].name));
  manifest.set("files", std::move(names));
  files.front() = json_file(kManifestFile, manifest);
  if (progress) progress(total, total);
  return files;
}

bool is_dump_file_name(const std::string& name) {
  for (const char* fixed :
       {kManifestFile, kEntriesFile, kPalettesFile, kAnimationsFile, kProblemsFile}) {
    if (name == fixed) return true;
  }
  const auto numbered = [&](const std::string& folder, const std::string& extension) {
    const size_t digits = folder.size();
    if (name.size() != digits + 3 + extension.size() || name.compare(0, digits, folder) != 0 ||
        name.compare(digits + 3, std::string::npos, extension) != 0) {
      return false;
    }
    for (size_t i = digits; i < digits + 3; ++i) {
      const char c = name[i];
      // Upper case, as hex_digits writes them.
      if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
    }
    return true;
  };
  return numbered("graphics/", ".png") || numbered("positions/", ".json");
}

bool read_manifest_file_list(const JsonValue& manifest, std::vector<std::string>* names) {
  names->clear();
  if (!manifest.is_object()) return false;
  const JsonValue* format = manifest.find("format");
  const JsonValue* sha = manifest.find("sha256");
  if (format == nullptr || !format->is_integer() || sha == nullptr || !sha->is_string()) {
    return false;
  }
  const JsonValue* files = manifest.find("files");
  if (files == nullptr || !files->is_array()) return true;
  for (const JsonValue& name : files->items()) {
    if (name.is_string() && is_dump_file_name(name.as_string())) names->push_back(name.as_string());
  }
  return true;
}

}  // namespace vcv
