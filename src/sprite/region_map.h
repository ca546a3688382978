// The bank regions as they stand: which packed blocks each holds (by the graphics pointer table,
// all 256 entries, as repacking sees them), the bytes free behind the last block now, and the
// bytes that would be free after every block were encoded again and placed back to back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sprite/bank_regions.h"
#include "sprite/pack_method.h"

namespace vcv {

class RomImage;

struct RegionBlock {
  int offset = 0;             // in the region's bank
  int packed_size = -1;       // as loading measures it; -1 when the block does not decode
  int reencoded_size = -1;    // encoded again (only when asked for); -1 when it does not decode
  std::vector<int> graphics;  // the graphics numbers whose pointers name it, ascending
  // When re-encoding was asked for and repacking cannot decode the block: why
  // (repack_decode_problem: "does not decode", or too large for repacking's limit).
  std::string repack_problem;
};

struct RegionMap {
  BankRegion region{};
  std::vector<RegionBlock> blocks;  // ascending offsets
  // end minus the end of the last block (a block that does not decode counts as one byte);
  // the whole region when it holds no block.
  int free_now = 0;
  // end - first minus every block re-encoded; valid only when `repackable`, and then at least 1
  // (a repack leaves the region's last byte free).
  int free_after_repack = 0;
  // Every block decodes, none is plain graphics (numbers 0..6) and, when re-encoded, every block
  // still loads and all fit: repacking can run.
  bool repackable = true;
  // "graphics 27 does not decode", "graphics 25 decodes to 65312 bytes, more than repacking
  // takes (at most 65279)", "plain graphics 03 lies in it"
  std::string not_repackable_reason;
};

// Every region of the table, in table order. With `reencode`, each block is decoded as
// repacking reads it and encoded again with `method` to fill reencoded_size and
// free_after_repack; without, free_after_repack stays 0.
std::vector<RegionMap> map_bank_regions(const RomImage& image, bool reencode,
                                        PackMethod method = PackMethod::kGame);

// The map of one region (the region of `bank`), without re-encoding; false when the bank has
// no region.
bool map_bank_region(const RomImage& image, int bank, RegionMap* map);

// "D2:EE80-FFFF".
std::string region_text(const BankRegion& region);

}  // namespace vcv
