#include "sprite/tile_sheet.h"

#include <algorithm>
#include <cstring>

#include "sprite/tiles.h"

namespace vcv {

int sheet_height_for(int tile_data_size) {
  return 8 * ((std::max(tile_data_size, 0) + kSheetRowBytes - 1) / kSheetRowBytes);
}

void draw_tile_sheet(SpriteWorkingSet& set) {
  std::memset(set.sheet, 0, sizeof set.sheet);
  const int tiles = std::min(std::max(set.decoded_size, 0) / kTileBytes, kSheetTileCapacity);
  for (int n = 0; n < tiles; ++n) {
    draw_tile(set.tile_data, n, set.sheet, kSheetWidth, kSheetHeight, (n % kSheetColumns) * 8,
              (n / kSheetColumns) * 8, 0);
  }
}

}  // namespace vcv
