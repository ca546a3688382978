#include "view/character_list.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "sprite/sprite_data.h"

namespace vcv {
namespace {

constexpr int kPlayerCount = 7;

// Enemy records that hold no enemy: their label is the id prefix alone.
constexpr int kUnusedEnemyIds[] = {0x114, 0x118, 0x11F, 0x121, 0x13C, 0x144, 0x15A,
                                   0x160, 0x164, 0x177, 0x178, 0x182, 0x1B4, 0x1CB,
                                   0x1CC, 0x1D2, 0x1D3, 0x1DA, 0x1DB, 0x1DC, 0x1DD,
                                   0x1DE, 0x1ED, 0x1EF, 0x1F1, 0x1FB};

bool is_unused_enemy(int id) {
  return std::find(std::begin(kUnusedEnemyIds), std::end(kUnusedEnemyIds), id) !=
         std::end(kUnusedEnemyIds);
}

}  // namespace

std::string character_list_label(int id) {
  char text[32];
  if (id < 0 || id >= kEntryCount) return std::string();
  if (id < kPlayerCount) {
    std::snprintf(text, sizeof text, "Player %d", id + 1);
  } else if (id < kCharacterCount) {
    std::snprintf(text, sizeof text, "%03X", id);
  } else {
    std::snprintf(text, sizeof text, "%03X:%s", id, is_unused_enemy(id) ? "" : "Enemy");
  }
  return text;
}

}  // namespace vcv
