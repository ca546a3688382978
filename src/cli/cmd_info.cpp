// vantorchar info: the Info and Tile Info texts of one entry, as the panel shows them for the
// view state the options give, and the ranges the panel's arrows step through.
#include <cstdio>

#include "cli/cli_support.h"
#include "sprite/directory.h"

namespace vcv::cli {

namespace {

constexpr const char* kInfoUsage =
    "info ROM --entry ID [--mode image|sequence] [--image N] [--anim-table 0|1] [--anim N] "
    "[--seq N] [--face 0-3] [--block N] [--weapon-palette N]";

int usage(Streams streams, const std::string& why) {
  std::fprintf(streams.err, "vantorchar info: %s; usage: %s\n", why.c_str(), kInfoUsage);
  return kExitUsage;
}

// The view state the panel would have, from the options (image mode and zeros by default).
bool read_view_options(ArgReader& reader, ViewState* view, int* entry, Streams streams) {
  view->sequence_mode = 0;
  std::string mode;
  if (reader.take_value("--mode", &mode)) {
    if (mode != "image" && mode != "sequence") {
      std::fprintf(streams.err, "vantorchar info: --mode is image or sequence, not '%s'\n",
                   mode.c_str());
      return false;
    }
    view->sequence_mode = mode == "sequence" ? 1 : 0;
  }
  const std::string c = "info";
  return take_number(reader, c, "--entry", 0, kLastEntry, entry, streams) &&
         take_number(reader, c, "--image", 0, 0xFFFF, &view->image_no, streams) &&
         take_number(reader, c, "--anim-table", 0, 1, &view->animation_table, streams) &&
         take_number(reader, c, "--anim", 0, 0xFFFF, &view->animation_no, streams) &&
         take_number(reader, c, "--seq", 0, 3, &view->sequence_no, streams) &&
         take_number(reader, c, "--face", 0, 3, &view->face_direction, streams) &&
         take_number(reader, c, "--block", 0, kMaxBlocksPerFrame - 1, &view->block_no, streams) &&
         take_number(reader, c, "--weapon-palette", 0, kWeaponPaletteCount - 1,
                     &view->weapon_palette, streams);
}

}  // namespace

int cmd_info(const std::vector<std::string>& args, Streams streams) {
  ArgReader reader(args);
  ViewState options;
  int entry = -1;
  if (!read_view_options(reader, &options, &entry, streams)) return kExitUsage;
  const std::vector<std::string> rest = reader.positionals();
  if (!reader.error().empty()) return usage(streams, reader.error());
  if (rest.size() != 1) return usage(streams, "one ROM file is needed");
  if (entry < 0) return usage(streams, "--entry is needed");
  Document document;
  if (!open_document("info", rest[0], &document, streams)) return kExitFailure;

  document.view() = options;
  document.reload_entry(entry);
  const PanelUpdate shown = document.take_panel_update();
  const ViewState& view = document.view();
  std::fputs(to_unix_lines(shown.texts->info_text).c_str(), streams.out);
  std::fputs(to_unix_lines(shown.texts->tile_info_text).c_str(), streams.out);
  std::fprintf(streams.out, "Images=%02X Animations=%02X Sequence steps=%d\n", view.image_count,
               view.animation_count, view.sequence_count);
  return kExitOk;
}

}  // namespace vcv::cli
