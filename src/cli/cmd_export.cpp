// vantorchar export: one frame of an entry as the panel draws it (192 x 192), or its tile sheet,
// as an indexed PNG or BMP picture.
#include <algorithm>
#include <cctype>
#include <cstring>

#include "cli/cli_support.h"
#include "image/indexed_image.h"
#include "sprite/directory.h"
#include "sprite/frames.h"
#include "sprite/tiles.h"

namespace vcv::cli {

namespace {

constexpr const char* kExportUsage = "export ROM --entry ID (--frame N | --sheet) -o OUT";
constexpr int kSheetRowBytes = kSheetColumns * kTileBytes;  // one row of 16 tiles of tile data

int usage(Streams streams, const std::string& why) {
  std::fprintf(streams.err, "vantorchar export: %s; usage: %s\n", why.c_str(), kExportUsage);
  return kExitUsage;
}

bool has_extension(const std::string& path, const char* extension) {
  const size_t length = std::strlen(extension);
  if (path.size() < length) return false;
  std::string tail = path.substr(path.size() - length);
  for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return tail == extension;
}

IndexedImage frame_picture(const SpriteWorkingSet& set, int image_no) {
  IndexedImage image;
  image.width = kCanvasSize;
  image.height = kCanvasSize;
  image.pixels.assign(static_cast<size_t>(kCanvasSize) * kCanvasSize, 0);
  render_frame(set, image_no, kCanvasSize, kCanvasSize, image.pixels.data(), image.palette);
  return image;
}

}  // namespace

// The sheet rows that hold tiles: 8 pixel rows per 16 tiles of tile data, at most the sheet.
IndexedImage sheet_picture(const SpriteWorkingSet& set) {
  IndexedImage image;
  const int tile_rows = (std::max(set.decoded_size, 0) + kSheetRowBytes - 1) / kSheetRowBytes;
  image.width = kSheetWidth;
  image.height = std::min(8 * tile_rows, kSheetHeight);
  image.pixels.assign(set.sheet, set.sheet + static_cast<size_t>(image.width) * image.height);
  palette_to_display(set.palette, image.palette, 0, 16);
  return image;
}

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
  if (!has_extension(out, ".png") && !has_extension(out, ".bmp")) {
    return usage(streams, "OUT must end in .png or .bmp, not '" + out + "'");
  }

  Document document;
  if (!open_document("export", rest[0], &document, streams)) return kExitFailure;
  if (!load_document_entry("export", entry, &document, streams)) return kExitFailure;
  const SpriteWorkingSet& set = document.working_set();
  if (!sheet) {
    const int frames = directory_frame_count(document.directory(), set.position_type);
    if (frame >= frames) {
      char text[96];
      if (frames == 0) {
        std::snprintf(text, sizeof text, "entry %03X has no frames", entry);
      } else {
        std::snprintf(text, sizeof text, "entry %03X has frames 00 to %02X; %02X is not one of them",
                      entry, frames - 1, frame);
      }
      return fail(streams, "export", text);
    }
  }
  const IndexedImage image = sheet ? sheet_picture(set) : frame_picture(set, frame);
  if (image.height == 0) {
    char text[64];
    std::snprintf(text, sizeof text, "entry %03X has no tile data", entry);
    return fail(streams, "export", text);
  }
  std::string error;
  if (!write_indexed_image(image, out, &error)) return fail(streams, "export", error);
  std::fprintf(streams.out, "wrote %s (%dx%d)\n", out.c_str(), image.width, image.height);
  return kExitOk;
}

}  // namespace vcv::cli
