// Checking a ROM's sprite tables: everything the entries' header records name must lie inside
// the file and read back as loading reads it, packed blocks must stay inside their bank region,
// and no two things the tables name may overlap. Optionally every packed block is encoded again
// with the game's encoder and compared with the stored bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sprite/sprite_data.h"

namespace vcv {

class RomImage;

struct ReencodedBlock {
  std::vector<int> graphics;  // the graphics numbers that name the block
  int32_t address = 0;        // 24-bit SNES address
  int stored_size = 0;        // packed size as stored
  int reencoded_size = 0;     // packed size from the game's encoder
  bool identical = false;     // the same bytes as stored
};

// One problem as its parts: what it is about ("graphics 27 at D3:E898"), the entries it
// concerns (none for an overlap, whose `what` is its whole line) and why.
struct RomProblem {
  std::string what;
  std::vector<int> entries;
  std::string why;
};

struct RomCheckReport {
  std::vector<std::string> problems;  // one line each, in table order, overlaps last
  std::vector<RomProblem> parts;      // the same problems, in the same order, as their parts
  bool reencoded = false;
  std::vector<ReencodedBlock> blocks;  // every decodable packed block, once per address
  int identical_count() const;
};

// Checks the tables the entries use. With `reencode`, also fills `blocks`.
RomCheckReport check_rom(const RomImage& image, const SpriteDirectory& directory, bool reencode);

}  // namespace vcv
