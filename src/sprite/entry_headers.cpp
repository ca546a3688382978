#include "sprite/entry_headers.h"

#include <cstdio>

#include "rom/rom_image.h"

namespace vcv {

namespace {
constexpr size_t kEntriesNamed = 3;  // entries a message names before "and N more"
}

const char* const kHeaderFieldNames[kHeaderFieldCount] = {
    "assembly", "position_type", "palette_type", "animation_type", "size_type"};

bool EntryHeader::operator==(const EntryHeader& other) const {
  for (int i = 0; i < kHeaderFieldCount; ++i) {
    if (field[i] != other.field[i]) return false;
  }
  return true;
}

int entry_header_offset(int entry) {
  return entry < kCharacterCount ? kCharacterTable + kCharacterRecordSize * entry
                                 : kEnemyTable + kEnemyRecordSize * (entry - kCharacterCount);
}

std::vector<EntryHeader> read_entry_headers(const RomImage& rom) {
  std::vector<EntryHeader> headers(kEntryCount);
  for (int e = 0; e < kEntryCount; ++e) {
    uint8_t bytes[kHeaderFieldCount] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    rom.read_block(kTableBank, entry_header_offset(e), kHeaderFieldCount, bytes);
    for (int i = 0; i < kHeaderFieldCount; ++i) headers[static_cast<size_t>(e)].field[i] = bytes[i];
  }
  return headers;
}

EntryUsers entries_by_field(const std::vector<EntryHeader>& headers, HeaderField field) {
  EntryUsers users;
  for (size_t e = 0; e < headers.size(); ++e) {
    users[headers[e].field[field]].push_back(static_cast<int>(e));
  }
  return users;
}

std::string entries_text(const std::vector<int>& entries) {
  std::string text = entries.size() == 1 ? "entry " : "entries ";
  for (size_t i = 0; i < entries.size() && i < kEntriesNamed; ++i) {
    char id[8];
    std::snprintf(id, sizeof id, "%03X", entries[i]);
    if (i > 0) text += ", ";
    text += id;
  }
  if (entries.size() > kEntriesNamed) {
    text += " and " + std::to_string(entries.size() - kEntriesNamed) + " more";
  }
  return text;
}

}  // namespace vcv
