// The stretches of each ROM bank that hold packed graphics and that repacking may fill. A
// constant of the tool, not read from the ROM.
#pragma once

namespace vcv {

struct BankRegion {
  int bank;
  int first;
  int end;  // exclusive
};

constexpr int kBankRegionEndMarker = 0x100;  // a value no bank byte can have
constexpr int kBankRegionCount = 12;

// The regions in bank order, followed by the end row (bank kBankRegionEndMarker).
extern const BankRegion kBankRegions[kBankRegionCount + 1];

// The region of `bank` (a bank byte, 0..255), or null when the bank has none.
const BankRegion* find_bank_region(int bank);

// True when bank:offset lies inside `region`.
bool region_contains(const BankRegion& region, int bank, int offset);

// The most bytes of blocks a repack may place back to back from `first`: the region less the
// one byte it always leaves free at its end.
inline int repack_capacity(const BankRegion& region) { return region.end - region.first - 1; }

}  // namespace vcv
