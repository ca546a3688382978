#include "sprite/region_map.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>

#include "rom/rom_image.h"
#include "sprite/codec.h"
#include "sprite/match_finder.h"
#include "sprite/sprite_data.h"
#include "sprite/stored_block.h"

namespace vcv {

namespace {

RegionMap map_region(const RomImage& image, const BankRegion& region, bool reencode,
                     PackMethod method, MatchWorkspace* workspace) {
  RegionMap map;
  map.region = region;
  std::map<int, std::vector<int>> by_offset;
  for (int n = 0; n < kGraphicsPointerCount; ++n) {
    const int at = kGraphicsPointerTable + kLongPointerSize * n;
    const int offset = image.read_word(kTableBank, at);
    const int bank = image.read_byte(kTableBank, at + 2);
    if (region_contains(region, bank, offset)) by_offset[offset].push_back(n);
  }
  int last_end = region.first;
  int reencoded_total = 0;
  std::vector<uint8_t> decoded, block(kPackedBufferSize);
  for (const auto& [offset, numbers] : by_offset) {
    RegionBlock entry;
    entry.offset = offset;
    entry.graphics = numbers;
    int packed = 0;
    if (decode_stored_block(image, region.bank, offset, BlockReading::kAsLoading, &decoded,
                            &packed) >= 0) {
      entry.packed_size = packed;
    }
    if (numbers.front() < kFirstPackedGraphics && map.repackable) {
      map.repackable = false;
      char text[48];
      std::snprintf(text, sizeof text, "plain graphics %02X lies in it", numbers.front());
      map.not_repackable_reason = text;
    }
    if (reencode) {
      const int size = decode_stored_block(image, region.bank, offset,
                                           BlockReading::kAsRepacking, &decoded);
      if (size >= 0) {
        entry.reencoded_size = pack_block_with(method, decoded.data(), size, block.data(),
                                               kPackedBufferSize, MatchSearch::kFast, workspace);
      } else {
        entry.repack_problem = repack_decode_problem(image, region.bank, offset);
      }
      if (entry.reencoded_size < 0 && map.repackable) {
        map.repackable = false;
        char text[48];
        std::snprintf(text, sizeof text, "graphics %02X ", numbers.front());
        map.not_repackable_reason =
            text + (size < 0 ? entry.repack_problem : std::string("cannot be re-encoded"));
      }
      // Loading reads kPackedReadSize bytes of a block: a longer one would not load again.
      if (entry.reencoded_size > kPackedReadSize && map.repackable) {
        map.repackable = false;
        char text[80];
        std::snprintf(text, sizeof text, "graphics %02X re-encoded is longer than loading reads",
                      numbers.front());
        map.not_repackable_reason = text;
      }
      reencoded_total += std::max(entry.reencoded_size, 0);
    } else if (entry.packed_size < 0 && map.repackable) {
      map.repackable = false;
      char text[48];
      std::snprintf(text, sizeof text, "graphics %02X does not decode", numbers.front());
      map.not_repackable_reason = text;
    }
    last_end = std::max(last_end, offset + std::max(entry.packed_size, 1));
    map.blocks.push_back(std::move(entry));
  }
  map.free_now = region.end - std::min(last_end, region.end);
  if (reencode) {
    map.free_after_repack = region.end - region.first - reencoded_total;
    if (reencoded_total > repack_capacity(region) && map.repackable) {
      map.repackable = false;
      char text[96];
      std::snprintf(text, sizeof text,
                    "its blocks re-encoded take %d bytes, and at most %d fit", reencoded_total,
                    repack_capacity(region));
      map.not_repackable_reason = text;
    }
  }
  return map;
}

}  // namespace

std::string region_text(const BankRegion& region) {
  char text[32];
  std::snprintf(text, sizeof text, "%02X:%04X-%04X", region.bank, region.first, region.end - 1);
  return text;
}

std::vector<RegionMap> map_bank_regions(const RomImage& image, bool reencode, PackMethod method) {
  std::vector<RegionMap> maps;
  MatchWorkspace workspace;
  for (int i = 0; i < kBankRegionCount; ++i) {
    maps.push_back(map_region(image, kBankRegions[i], reencode, method, &workspace));
  }
  return maps;
}

bool map_bank_region(const RomImage& image, int bank, RegionMap* map) {
  const BankRegion* region = find_bank_region(bank);
  if (region == nullptr) return false;
  *map = map_region(image, *region, false, PackMethod::kGame, nullptr);
  return true;
}

}  // namespace vcv
