#include "cli/cli_support.h"

#include <algorithm>
#include <cstdio>

#include "sprite/tile_sheet.h"
#include "sprite/tiles.h"

namespace vcv::cli {

namespace {

bool parse_in_range(const std::string& text, long long low, long long high, long long* value) {
  long long parsed = 0;
  if (!parse_number(text, &parsed) || parsed < low || parsed > high) return false;
  *value = parsed;
  return true;
}

}  // namespace

bool take_number(ArgReader& reader, const std::string& command, const std::string& name,
                 long long low, long long high, long long* value, Streams streams) {
  std::string text;
  if (!reader.take_value(name, &text)) return reader.error().empty();
  if (!parse_in_range(text, low, high, value)) {
    std::fprintf(streams.err,
                 "vantorchar %s: %s takes a number from %lld to %lld (0x%llX), not '%s'\n",
                 command.c_str(), name.c_str(), low, high, high, text.c_str());
    return false;
  }
  return true;
}

bool take_number(ArgReader& reader, const std::string& command, const std::string& name,
                 long long low, long long high, int* value, Streams streams) {
  long long wide = *value;
  if (!take_number(reader, command, name, low, high, &wide, streams)) return false;
  *value = static_cast<int>(wide);
  return true;
}

bool open_document(const std::string& command, const std::string& path, Document* document,
                   Streams streams, bool read_only) {
  const RomOpenResult opened = document->open(path, read_only);
  if (!opened.ok()) {
    fail(streams, command, opened.reason);
    return false;
  }
  return true;
}

bool load_document_entry(const std::string& command, int entry, Document* document,
                         Streams streams) {
  document->reload_entry(entry);
  const SpriteWorkingSet& set = document->working_set();
  if (set.loaded_entry == entry) return true;
  char text[160];
  std::snprintf(text, sizeof text,
                "the graphics of entry %03X could not be decoded (packed block at %02X%04X)",
                entry, set.graphics_bank, set.graphics_offset);
  fail(streams, command, text);
  return false;
}

std::string to_unix_lines(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  return out;
}

std::string one_line(const std::string& text) {
  std::string out;
  for (char c : to_unix_lines(text)) {
    if (c == '\n' || c == '\r') {
      if (!out.empty() && out.back() != ' ') out += ' ';
    } else {
      out += c;
    }
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

std::string hex_list(const std::vector<int>& numbers) {
  std::string text;
  for (int n : numbers) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%02X", n);
    text += (text.empty() ? "" : ", ") + std::string(hex);
  }
  return text;
}

int fail(Streams streams, const std::string& command, const std::string& text) {
  std::fprintf(streams.err, "vantorchar %s: %s\n", command.c_str(), one_line(text).c_str());
  return kExitFailure;
}

// The sheet rows that hold tiles: 8 pixel rows per 16 tiles of tile data, at most the sheet.
IndexedImage sheet_picture(const SpriteWorkingSet& set) {
  IndexedImage image;
  image.width = kSheetWidth;
  image.height = std::min(sheet_height_for(set.decoded_size), kSheetHeight);
  image.pixels.assign(set.sheet, set.sheet + static_cast<size_t>(image.width) * image.height);
  palette_to_display(set.palette, image.palette, 0, 16);
  return image;
}

}  // namespace vcv::cli
