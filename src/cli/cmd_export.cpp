#include <algorithm>
#include <cstring>

#include "cli/cli.h"
#include "cli/sprite_session.h"
#include "image/indexed_image.h"
#include "sprite/directory.h"
#include "sprite/frames.h"
#include "sprite/tiles.h"

namespace vcv::cli {

namespace {

constexpr const char* kExportUsage = "export ROM --entry ID (--frame N | --sheet) -o OUT";
constexpr int kSheetRowBytes = 16 * kTileBytes;  // one row of 16 tiles in the tile data

int usage(Streams streams, const std::string& why) {
  std::fprintf(streams.err, "vantorchar export: %s; usage: %s\n", why.c_str(), kExportUsage);
  return kExitUsage;
}

IndexedImage frame_picture(const SpriteWorkingSet& set, int image_no) {
  IndexedImage image;
  image.width = kCanvasSize;
  image.height = kCanvasSize;
  image.pixels.assign(static_cast<size_t>(kCanvasSize) * kCanvasSize, 0);
  render_frame(set, image_no, kCanvasSize, kCanvasSize, image.pixels.data(), image.palette);
  return image;
}

// The sheet rows that hold tiles: 8 pixel rows per 16 tiles of tile data, at most the sheet.
IndexedImage sheet_picture(const SpriteWorkingSet& set) {
  IndexedImage image;
  const int tile_rows = (set.decoded_size + kSheetRowBytes - 1) / kSheetRowBytes;
  image.width = kSheetWidth;
  image.height = std::min(8 * tile_rows, kSheetHeight);
  image.pixels.assign(set.sheet, set.sheet + static_cast<size_t>(image.width) * image.height);
  palette_to_display(set.palette, image.palette, 0, 16);
  return image;
}

}  // namespace

int cmd_export(const std::vector<std::string>& args, Streams streams) {
  ArgReader reader(args);
  int entry = -1;
  int frame = -1;
  std::string out;
  if (!take_number(reader, "export", "--entry", 0, kLastEntry, &entry, streams) ||
      !take_number(reader, "export", "--frame", 0, 0xFF, &frame, streams)) {
    return kExitUsage;
  }
  const bool sheet = reader.take_flag("--sheet");
  const bool has_out = reader.take_value("-o", &out) || reader.take_value("--output", &out);
  const std::vector<std::string> rest = reader.positionals();
  if (!reader.error().empty()) return usage(streams, reader.error());
  if (rest.size() != 1) return usage(streams, "one ROM file is needed");
  if (entry < 0) return usage(streams, "--entry is needed");
  if (sheet == (frame >= 0)) return usage(streams, "give either --frame N or --sheet");
  if (!has_out || out.empty()) return usage(streams, "-o OUT is needed");

  SpriteSession session;
  if (!open_sprite_rom("export", rest[0], &session, streams)) return kExitFailure;
  if (load_entry(session.rom, session.directory, *session.set, entry, 0) != 1) {
    std::fprintf(streams.err,
                 "vantorchar export: the graphics of entry %03X could not be decoded (packed block "
                 "at %02X%04X)\n",
                 entry, session.set->graphics_bank, session.set->graphics_offset);
    return kExitFailure;
  }
  const IndexedImage image =
      sheet ? sheet_picture(*session.set) : frame_picture(*session.set, frame);
  if (image.height == 0) {
    std::fprintf(streams.err, "vantorchar export: entry %03X has no tile data\n", entry);
    return kExitFailure;
  }
  std::string error;
  if (!write_indexed_image(image, out, &error)) {
    std::fprintf(streams.err, "vantorchar export: %s\n", error.c_str());
    return kExitFailure;
  }
  std::fprintf(streams.out, "wrote %s (%dx%d)\n", out.c_str(), image.width, image.height);
  return kExitOk;
}

}  // namespace vcv::cli
