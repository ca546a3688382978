// vantorchar export: one frame of an entry as the panel draws it (192 x 192), or its tile sheet,
// as an indexed PNG or BMP picture; or one animation sequence as an animated GIF.
#include <algorithm>
#include <cctype>
#include <cstring>

#include "cli/cli_support.h"
#include "image/gif_build.h"
#include "image/indexed_image.h"
#include "platform/file_io.h"
#include "sprite/directory.h"
#include "sprite/frames.h"
#include "sprite/tiles.h"

namespace vcv::cli {

namespace {

constexpr const char* kExportUsage =
    "export ROM --entry ID (--frame N | --sheet) -o OUT, or export ROM --entry ID --anim N "
    "[--anim-table 0|1] [--face 0-3] [--delay MS] -o OUT.gif";
constexpr int kDefaultDelayMs = 150;
constexpr int kMsPerGifTick = 10;  // GIF delays count hundredths of a second
constexpr int kCropMargin = 4;     // transparent pixels kept around the drawn ones

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

struct AnimationRequest {
  int animation = -1;
  int table = 0;
  int face = 0;
  int delay_ms = kDefaultDelayMs;
};

struct Crop {
  int left = kCanvasSize, top = kCanvasSize, right = -1, bottom = -1;  // inclusive bounds
  bool empty() const { return right < left; }
};

void grow_crop(const uint8_t* canvas, Crop* crop) {
  for (int y = 0; y < kCanvasSize; ++y) {
    for (int x = 0; x < kCanvasSize; ++x) {
      if (canvas[y * kCanvasSize + x] == 0) continue;
      crop->left = std::min(crop->left, x);
      crop->right = std::max(crop->right, x);
      crop->top = std::min(crop->top, y);
      crop->bottom = std::max(crop->bottom, y);
    }
  }
}

// Sequence mode of the panel: each step of the sequence, rendered by the refresh.
int export_animation(Document& document, int entry, const AnimationRequest& request,
                     const std::string& out, Streams streams) {
  ViewState& view = document.view();
  view.current_entry = entry;
  view.sequence_mode = 1;
  view.animation_table = request.table;
  view.face_direction = request.face;
  view.animation_no = request.animation;
  view.sequence_no = 0;
  document.refresh();
  char text[160];
  if (view.animation_no != request.animation || view.animation_count == 0) {
    if (view.animation_count == 0) {
      std::snprintf(text, sizeof text, "entry %03X has no animations in Animation %d", entry,
                    request.table + 1);
    } else {
      std::snprintf(text, sizeof text, "entry %03X has animations 00 to %02X in Animation %d; "
                    "%02X is not one of them", entry, view.animation_count - 1, request.table + 1,
                    request.animation);
    }
    return fail(streams, "export", text);
  }
  const int steps = view.sequence_count;
  if (steps == 0) {
    std::snprintf(text, sizeof text, "animation %02X of entry %03X has no frames for facing %d",
                  request.animation, entry, request.face);
    return fail(streams, "export", text);
  }
  std::vector<std::vector<uint8_t>> canvases;
  Crop crop;
  uint32_t palette[16] = {};
  for (int step = 0; step < steps; ++step) {
    view.sequence_no = step;
    document.refresh();
    if (view.image_no >= view.image_count) {
      // Drawn as the panel draws it, but not silently.
      std::fprintf(streams.err,
                   "vantorchar export: note: step %X of animation %02X names image %02X, past the "
                   "images of entry %03X (%d of them); it is drawn as the panel draws it\n",
                   step, request.animation, view.image_no, entry, view.image_count);
    }
    const DisplayState& display = document.display();
    canvases.emplace_back(display.canvas, display.canvas + kCanvasSize * kCanvasSize);
    grow_crop(display.canvas, &crop);
    std::copy(display.display_palette, display.display_palette + 16, palette);
  }
  if (crop.empty()) {
    std::snprintf(text, sizeof text, "animation %02X of entry %03X draws nothing", request.animation,
                  entry);
    return fail(streams, "export", text);
  }
  const int left = std::max(crop.left - kCropMargin, 0);
  const int top = std::max(crop.top - kCropMargin, 0);
  const int width = std::min(crop.right + kCropMargin, kCanvasSize - 1) - left + 1;
  const int height = std::min(crop.bottom + kCropMargin, kCanvasSize - 1) - top + 1;
  std::vector<std::vector<uint8_t>> frames;
  for (const std::vector<uint8_t>& canvas : canvases) {
    std::vector<uint8_t> frame;
    for (int y = top; y < top + height; ++y) {
      frame.insert(frame.end(), canvas.begin() + y * kCanvasSize + left,
                   canvas.begin() + y * kCanvasSize + left + width);
    }
    frames.push_back(std::move(frame));
  }
  const int delay = (request.delay_ms + kMsPerGifTick / 2) / kMsPerGifTick;
  const std::vector<uint8_t> gif = build_animated_gif(frames, width, height, palette, 16, delay);
  std::string error;
  if (gif.empty()) return fail(streams, "export", "the animation could not be encoded");
  if (!write_file_atomically(out, gif, &error)) return fail(streams, "export", error);
  std::fprintf(streams.out, "wrote %s (%dx%d, %d frames, %d ms each)\n", out.c_str(), width,
               height, steps, delay * kMsPerGifTick);
  return kExitOk;
}

}  // namespace

int cmd_export(const std::vector<std::string>& args, Streams streams) {
  ArgReader reader(args);
  int entry = -1;
  int frame = -1;
  std::string out;
  AnimationRequest animation;
  if (!take_id(reader, "export", "--entry", kLastEntry, &entry, streams) ||
      !take_id(reader, "export", "--frame", 0xFF, &frame, streams) ||
      !take_id(reader, "export", "--anim", 0xFFFF, &animation.animation, streams) ||
      !take_number(reader, "export", "--anim-table", 0, 1, &animation.table, streams) ||
      !take_number(reader, "export", "--face", 0, 3, &animation.face, streams) ||
      !take_number(reader, "export", "--delay", kMsPerGifTick, kGifMaxDelay * kMsPerGifTick,
                   &animation.delay_ms, streams)) {
    return kExitUsage;
  }
  const bool sheet = reader.take_flag("--sheet");
  std::string long_out;
  const bool short_named = reader.take_value("-o", &out);
  const bool long_named = reader.take_value("--output", &long_out);
  const bool has_out = short_named || long_named;
  if (long_named) out = long_out;
  const std::vector<std::string> rest = reader.positionals();
  if (!reader.error().empty()) return usage(streams, reader.error());
  if (short_named && long_named) return usage(streams, "-o and --output name one output");
  if (rest.size() != 1) return usage(streams, "one ROM file is needed");
  if (entry < 0) return usage(streams, "--entry is needed");
  if (!has_out || out.empty()) return usage(streams, "-o OUT is needed");
  const bool animated = animation.animation >= 0;
  if (animated) {
    if (sheet || frame >= 0) return usage(streams, "--anim goes without --frame and --sheet");
    if (!has_extension(out, ".gif")) {
      return usage(streams, "--anim writes an animated GIF: OUT must end in .gif, not '" + out + "'");
    }
  } else {
    if (sheet == (frame >= 0)) return usage(streams, "give either --frame N or --sheet");
    if (has_extension(out, ".gif")) return usage(streams, "a .gif is written only with --anim N");
    if (!has_extension(out, ".png") && !has_extension(out, ".bmp")) {
      return usage(streams, "OUT must end in .png or .bmp, not '" + out + "'");
    }
  }

  OutputGuard guard;
  protect_rom(guard, rest[0]);
  if (!output_allowed(guard, "export", out, streams)) return kExitFailure;
  Document document;
  if (!open_document("export", rest[0], &document, streams)) return kExitFailure;
  if (!load_document_entry("export", entry, &document, streams)) return kExitFailure;
  if (animated) return export_animation(document, entry, animation, out, streams);
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
