#include "sprite/bank_regions.h"

namespace vcv {

const BankRegion kBankRegions[kBankRegionCount + 1] = {
    {0xD2, 0xEE80, 0x10000}, {0xD3, 0xE280, 0x10000}, {0xD4, 0xFB00, 0x10000},
    {0xD5, 0x8C00, 0x10000}, {0xD6, 0x0000, 0x10000}, {0xD7, 0x0000, 0x10000},
    {0xD8, 0x0000, 0xE000},  {0xD9, 0x0000, 0x10000}, {0xDA, 0x0000, 0x10000},
    {0xDF, 0x0000, 0x10000}, {0xE0, 0x0000, 0x10000}, {0xE1, 0x0000, 0xE000},
    {kBankRegionEndMarker, 0, 0},
};

const BankRegion* find_bank_region(int bank) {
  for (const BankRegion& region : kBankRegions) {
    if (region.bank == kBankRegionEndMarker) return nullptr;
    if (region.bank == bank) return &region;
  }
  return nullptr;
}

bool region_contains(const BankRegion& region, int bank, int offset) {
  return bank == region.bank && offset >= region.first && offset < region.end;
}

}  // namespace vcv
