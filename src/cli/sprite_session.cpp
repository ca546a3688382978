#include "cli/sprite_session.h"

#include "sprite/directory.h"

namespace vcv::cli {

bool open_sprite_rom(const std::string& command, const std::string& path, SpriteSession* session,
                     Streams streams) {
  if (session->rom.open(path.c_str(), kMappingHiRom, 0) != 1) {
    std::fprintf(streams.err, "vantorchar %s: cannot open %s\n", command.c_str(), path.c_str());
    return false;
  }
  build_sprite_directory(session->rom, session->directory);
  return true;
}

bool take_number(ArgReader& reader, const std::string& command, const std::string& name,
                 long long low, long long high, int* value, Streams streams) {
  std::string text;
  if (!reader.take_value(name, &text)) return reader.error().empty();
  long long parsed = 0;
  if (!parse_number(text, &parsed) || parsed < low || parsed > high) {
    std::fprintf(streams.err,
                 "vantorchar %s: %s takes a number from %lld to %lld (0x%llX), not '%s'\n",
                 command.c_str(), name.c_str(), low, high, high, text.c_str());
    return false;
  }
  *value = static_cast<int>(parsed);
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

}  // namespace vcv::cli
