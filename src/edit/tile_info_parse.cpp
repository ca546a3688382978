#include "edit/tile_info_parse.h"

#include <cstdint>
#include <vector>

#include "edit/scan_number.h"
#include "sprite/frames.h"

namespace vcv {

namespace {

struct Line {
  const char* begin;
  const char* end;
};

// The end of the first `max_chars` characters of UTF-8 text (continuation bytes do not count).
size_t utf8_prefix_length(const std::string& text, size_t max_chars) {
  size_t chars = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char byte = static_cast<unsigned char>(text[i]);
    if ((byte & 0xC0) == 0x80) continue;
    if (chars == max_chars) return i;
    ++chars;
  }
  return text.size();
}

// Lines end at line feeds, which are removed; the text after the last one is the last line.
// Once the tenth line feed has ended the tenth line, the rest is not looked at.
std::vector<Line> split_lines(const char* begin, const char* end) {
  std::vector<Line> lines;
  const char* start = begin;
  for (const char* p = begin; p < end; ++p) {
    if (*p != '\n') continue;
    lines.push_back({start, p});
    start = p + 1;
    if (static_cast<int>(lines.size()) == kTileInfoMaxLines) return lines;
  }
  lines.push_back({start, end});
  return lines;
}

// Matches `line` against `pattern` as formatted input does: a blank matches any run of white
// space (also none), "%d" and "%X" convert a number, any other byte must match exactly. True
// when every conversion of the pattern succeeded; what follows the last one is ignored.
bool match_pattern(const Line& line, const char* pattern, int* values) {
  const char* p = line.begin;
  int converted = 0;
  for (const char* f = pattern; *f != '\0'; ++f) {
    if (*f == ' ') {
      while (p < line.end && is_scan_space(*p)) ++p;
    } else if (f[0] == '%' && f[1] == 'd') {
      if (!scan_decimal(&p, line.end, &values[converted])) return false;
      ++converted;
      ++f;
    } else if (f[0] == '%' && f[1] == 'X') {
      uint32_t hex = 0;
      if (!scan_hex(&p, line.end, &hex)) return false;
      values[converted] = static_cast<int>(hex & static_cast<uint32_t>(kTileNumberMask));
      ++converted;
      ++f;
    } else {
      if (p >= line.end || *p != *f) return false;
      ++p;
    }
  }
  return true;
}

struct TilePattern {
  const char* pattern;
  int quadrant;
};

// Label first, in the order the refresh writes them, then the labels of the Japanese panel.
const TilePattern kTilePatterns[] = {
    {"U Left TileNo=%X xflip=%d yflip=%d", 0},
    {"U Right TileNo=%X xflip=%d yflip=%d", 1},
    {"L Left TileNo=%X xflip=%d yflip=%d", 2},
    {"L Right TileNo=%X xflip=%d yflip=%d", 3},
    {"左上 TileNo=%X xflip=%d yflip=%d", 0},
    {"右上 TileNo=%X xflip=%d yflip=%d", 1},
    {"左下 TileNo=%X xflip=%d yflip=%d", 2},
    {"右下 TileNo=%X xflip=%d yflip=%d", 3},
};

bool apply_line(const Line& line, Frame& frame, int block) {
  int values[3] = {};
  if (match_pattern(line, "X=%d Y=%d", values)) {
    frame.x[block] = static_cast<uint8_t>(signed_to_byte(values[0]));
    frame.y[block] = static_cast<uint8_t>(signed_to_byte(values[1]));
    return true;
  }
  for (const TilePattern& tile : kTilePatterns) {
    if (!match_pattern(line, tile.pattern, values)) continue;
    // Bits 11 to 13 are not carried by the text: the entry keeps its own, so a text applied as
    // it was shown changes nothing.
    uint16_t entry = static_cast<uint16_t>((frame.tile[block][tile.quadrant] & kEntryKeptBits) |
                                           (values[0] & kTileNumberMask));
    if (values[1] == 1) entry |= kEntryFlipX;
    if (values[2] == 1) entry |= kEntryFlipY;
    frame.tile[block][tile.quadrant] = entry;
    return true;
  }
  return false;
}

}  // namespace

int apply_tile_info_text(const std::string& text, Frame& frame, int block) {
  if (block < 0 || block >= kMaxBlocksPerFrame) return 0;
  const size_t length = utf8_prefix_length(text, kTileInfoMaxChars);
  int applied = 0;
  for (const Line& line : split_lines(text.data(), text.data() + length)) {
    if (apply_line(line, frame, block)) ++applied;
  }
  return applied;
}

}  // namespace vcv
