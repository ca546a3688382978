// vantorchar info: the Info and Tile Info texts of one entry, as the panel shows them for the
// view state the options give, and the ranges the panel's arrows step through.
#include <cstdio>
#include <string>

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
  return take_id(reader, c, "--entry", kLastEntry, entry, streams) &&
         take_id(reader, c, "--image", 0xFFFF, &view->image_no, streams) &&
         take_number(reader, c, "--anim-table", 0, 1, &view->animation_table, streams) &&
         take_id(reader, c, "--anim", 0xFFFF, &view->animation_no, streams) &&
         take_id(reader, c, "--seq", 3, &view->sequence_no, streams) &&
         take_number(reader, c, "--face", 0, 3, &view->face_direction, streams) &&
         take_id(reader, c, "--block", kMaxBlocksPerFrame - 1, &view->block_no, streams) &&
         take_id(reader, c, "--weapon-palette", kWeaponPaletteCount - 1, &view->weapon_palette,
                 streams);
}

std::string hex2(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%02X", value);
  return text;
}

// "00 to 05", or "none" for an empty range.
std::string range_text(int count) {
  return count <= 0 ? std::string("none") : "00 to " + hex2(count - 1);
}

void note(Streams streams, const std::string& text) {
  std::fprintf(streams.err, "vantorchar info: note: %s\n", text.c_str());
}

// The panel clamps numbers past the entry's ranges and shows what it clamped them to; the tool
// shows the same, and says on the error stream which number was past its range and what is
// shown instead.
void report_substitutions(const ViewState& asked, const ViewState& shown, int entry,
                          Streams streams) {
  char id[8];
  std::snprintf(id, sizeof id, "%03X", entry);
  if (shown.sequence_mode == 0) {
    if (asked.image_no != shown.image_no) {
      note(streams, "image " + hex2(asked.image_no) + " is past the images of entry " + id +
                        " (" + range_text(shown.image_count) + "); image " +
                        hex2(shown.image_no) + " is shown");
    }
    return;
  }
  if (asked.animation_no != shown.animation_no) {
    note(streams, "animation " + hex2(asked.animation_no) + " is past the animations of entry " +
                      id + " (" + range_text(shown.animation_count) + "); animation " +
                      hex2(shown.animation_no) + " is shown");
  }
  if (asked.sequence_no != shown.sequence_no) {
    const std::string steps = shown.sequence_count <= 0
                                  ? std::string("none")
                                  : "0 to " + std::to_string(shown.sequence_count - 1);
    note(streams, "step " + std::to_string(asked.sequence_no) +
                      " is past the steps of animation " + hex2(shown.animation_no) + " (" +
                      steps + "); step " + std::to_string(shown.sequence_no) + " is shown");
  }
  if (shown.sequence_count > 0 && shown.image_no >= shown.image_count) {
    note(streams, "step " + std::to_string(shown.sequence_no) + " of animation " +
                      hex2(shown.animation_no) + " names image " + hex2(shown.image_no) +
                      ", past the images of entry " + id + " (" +
                      range_text(shown.image_count) + "); it is shown as the panel shows it");
  }
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
  report_substitutions(options, view, entry, streams);
  std::fputs(to_unix_lines(shown.texts->info_text).c_str(), streams.out);
  std::fputs(to_unix_lines(shown.texts->tile_info_text).c_str(), streams.out);
  std::fprintf(streams.out, "Images=%02X Animations=%02X Sequence steps=%d\n", view.image_count,
               view.animation_count, view.sequence_count);
  return kExitOk;
}

}  // namespace vcv::cli
