// The entries' header records as a table: the five fields of each entry in id order, where each
// record lies, and which entries name each graphics number, position type, palette type and
// animation type.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "sprite/sprite_data.h"

namespace vcv {

class RomImage;

enum HeaderField : int {
  kFieldAssembly = 0,
  kFieldPositionType = 1,
  kFieldPaletteType = 2,
  kFieldAnimationType = 3,
  kFieldSizeType = 4,
};
constexpr int kHeaderFieldCount = 5;
extern const char* const kHeaderFieldNames[kHeaderFieldCount];  // "assembly", "position_type"...

struct EntryHeader {
  uint8_t field[kHeaderFieldCount] = {};
  bool operator==(const EntryHeader& other) const;
  bool operator!=(const EntryHeader& other) const { return !(*this == other); }
};

// The offset in bank E4 of entry `entry`'s header record (0 <= entry < kEntryCount).
int entry_header_offset(int entry);

// The header records of entries 0x000..0x1FB; bytes past the end of the file read as 0xFF.
std::vector<EntryHeader> read_entry_headers(const RomImage& rom);

// For each number a field takes, the entries that name it, ascending.
using EntryUsers = std::map<int, std::vector<int>>;
EntryUsers entries_by_field(const std::vector<EntryHeader>& headers, HeaderField field);

// "entry 1F0", "entries 010, 012, 013 and 4 more": for messages.
std::string entries_text(const std::vector<int>& entries);

}  // namespace vcv
