#include "cli/cli_support.h"

#include <algorithm>
#include <cctype>
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

// Hexadecimal digits enough for `high`, at least two: the width the program shows such ids in.
int id_digits(long long high) {
  int digits = 2;
  while (digits < 8 && (high >> (4 * digits)) != 0) ++digits;
  return digits;
}

// The value of up to `max_digits` hexadecimal digits; -1 for anything else.
long long hex_digits_value(const std::string& digits, size_t max_digits) {
  if (digits.empty() || digits.size() > max_digits) return -1;
  long long value = 0;
  for (char c : digits) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return -1;
    value = value * 16 + (c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
  }
  return value;
}

}  // namespace

long long parse_snes_address(const std::string& text) {
  const size_t colon = text.find(':');
  if (colon != std::string::npos) {
    const long long bank = hex_digits_value(text.substr(0, colon), 2);
    const long long offset = hex_digits_value(text.substr(colon + 1), 4);
    return bank < 0 || offset < 0 ? -1 : (bank << 16) | offset;
  }
  const bool prefixed = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  return hex_digits_value(prefixed ? text.substr(2) : text, 6);
}

bool take_number(ArgReader& reader, const std::string& command, const std::string& name,
                 long long low, long long high, long long* value, Streams streams) {
  std::string text;
  if (!reader.take_value(name, &text)) return true;  // absent, or the reader's error says why
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

bool take_id(ArgReader& reader, const std::string& command, const std::string& name,
             long long high, int* value, Streams streams) {
  std::string text;
  if (!reader.take_value(name, &text)) return true;  // as take_number
  long long parsed = 0;
  if (!parse_id(text, &parsed) || parsed > high) {
    const int digits = id_digits(high);
    std::fprintf(streams.err,
                 "vantorchar %s: %s takes a hexadecimal number from %0*X to %0*llX, not '%s'\n",
                 command.c_str(), name.c_str(), digits, 0, digits, high, text.c_str());
    return false;
  }
  *value = static_cast<int>(parsed);
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

bool output_allowed(const OutputGuard& guard, const std::string& command,
                    const std::string& output, Streams streams) {
  const std::string why = guard.refusal(output);
  if (why.empty()) return true;
  fail(streams, command, why + "; nothing was written");
  return false;
}

bool take_mapping_options(ArgReader& reader, MappingOptions* options, std::string* why) {
  options->nearest = reader.take_flag("--nearest");
  std::string map;
  if (!reader.take_value("--map", &map)) return true;
  if (map == "index") {
    options->indexed = IndexedMapping::kIndices;
  } else if (map == "colour" || map == "color") {
    options->indexed = IndexedMapping::kColours;
  } else {
    *why = "--map is index or colour, not '" + map + "'";
    return false;
  }
  return true;
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

bool take_keep_history(ArgReader& reader, const std::string& command, int* keep,
                       Streams streams) {
  *keep = kDefaultHistoryKeep;
  return take_number(reader, command, "--keep-history", 0, 1000, keep, streams);
}

void print_write_notes(const std::vector<std::string>& notes, Streams streams) {
  for (const std::string& note : notes) std::fprintf(streams.out, "note: %s\n", note.c_str());
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
