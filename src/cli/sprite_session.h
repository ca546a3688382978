// What the sprite commands share: the ROM opened as the viewer opens it, its directory, and one
// entry loaded with the panel's view state.
#pragma once

#include <memory>
#include <string>

#include "cli/cli.h"
#include "rom/rom_file.h"
#include "sprite/sprite_data.h"
#include "view/view_state.h"

namespace vcv::cli {

struct SpriteSession {
  RomFile rom;
  SpriteDirectory directory;
  std::unique_ptr<SpriteWorkingSet> set = std::make_unique<SpriteWorkingSet>();
  ViewState view;
  int load_result = 0;  // what load_entry returned
};

// Opens `path` as a headerless HiROM image and builds the directory. False with a message on
// the error stream when the file cannot be opened.
bool open_sprite_rom(const std::string& command, const std::string& path, SpriteSession* session,
                     Streams streams);

// Takes "--NAME VALUE" as a number within low..high. Absent: keeps *value, true. Present but not
// a number in range: message on the error stream, false.
bool take_number(ArgReader& reader, const std::string& command, const std::string& name,
                 long long low, long long high, int* value, Streams streams);

// Texts of the panel use "\r\n"; the terminal gets "\n".
std::string to_unix_lines(const std::string& text);

}  // namespace vcv::cli
