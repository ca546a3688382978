// Repacking one bank region: every packed block is decoded and encoded again with the tool's
// encoder, the edited image takes its new block, and all blocks are placed back to back in their
// old order. The new region and every pointer change are made in a copy of the ROM image and
// checked there by decoding every block again from its new place; the caller puts the copy on
// disk only when all of it holds.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "edit/write_image.h"
#include "rom/rom_image.h"
#include "sprite/bank_regions.h"
#include "sprite/match_finder.h"
#include "sprite/sprite_data.h"
#include "sprite/stored_block.h"

namespace vcv {

namespace {

struct PointerTable {
  int bank[kGraphicsPointerCount];
  int offset[kGraphicsPointerCount];
};

void read_pointer_table(const RomImage& image, PointerTable* table) {
  for (int n = 0; n < kGraphicsPointerCount; ++n) {
    table->offset[n] = image.read_word(kTableBank, kGraphicsPointerTable + kLongPointerSize * n);
    table->bank[n] = image.read_byte(kTableBank, kGraphicsPointerTable + kLongPointerSize * n + 2);
  }
}

// The distinct block offsets of the region, ascending.
std::vector<int> region_block_offsets(const PointerTable& table, const BankRegion& region) {
  std::vector<int> offsets;
  for (int n = 0; n < kGraphicsPointerCount; ++n) {
    if (region_contains(region, table.bank[n], table.offset[n])) offsets.push_back(table.offset[n]);
  }
  std::sort(offsets.begin(), offsets.end());
  offsets.erase(std::unique(offsets.begin(), offsets.end()), offsets.end());
  return offsets;
}

struct Placement {
  std::vector<int> old_offset;
  std::vector<int> new_offset;
  std::vector<std::vector<uint8_t>> expected;  // what each block must decode to
  std::vector<uint8_t> region_bytes;           // the new region from `first` on
  int next = 0;                                // first free offset after the packed blocks
};

// Re-encodes and places every block; returns 0 or a RepackError. Blocks that no longer fit are
// still encoded, so that `needed` says what the whole region would take.
int place_blocks(const RomImage& image, const BankRegion& region, int own_offset, int new_size,
                 const uint8_t* new_data, const std::vector<uint8_t>& own_decoded,
                 MatchSearch search, PackMethod method, Placement* placement, int* needed,
                 RepackSizes* stopped) {
  auto stop = [&](int offset, std::string why) {
    stopped->stopping_offset = offset;
    stopped->stopping_reason = std::move(why);
    return kRepackUndecodable;
  };
  std::vector<uint8_t> block(kPackedBufferSize);
  MatchWorkspace workspace;  // one index memory for every block of the region
  placement->next = region.first;
  bool fits = true;
  *needed = 0;
  for (int offset : placement->old_offset) {
    const uint8_t* data = new_data;
    int size = new_size;
    std::vector<uint8_t> original;
    if (offset == own_offset) {
      original = own_decoded;
    } else {
      const int decoded = decode_stored_block(image, region.bank, offset,
                                              BlockReading::kAsRepacking, &original);
      if (decoded < 0) return stop(offset, repack_decode_problem(image, region.bank, offset));
      size = pack_block_with(method, original.data(), decoded, block.data(), kPackedBufferSize,
                             search, &workspace);
      if (size < 0) return stop(offset, "cannot be re-encoded into one block");
      // Loading reads a block through kPackedReadSize bytes. A block that another encoder stored
      // more densely than ours can come out longer than that, and would never load again.
      if (size > kPackedReadSize) {
        return stop(offset, "re-encoded takes " + std::to_string(size) +
                                " bytes, more than loading reads (" +
                                std::to_string(kPackedReadSize) + ")");
      }
      data = block.data();
    }
    *needed += size;
    const int start = placement->next;
    if (!fits || start - region.first + size > repack_capacity(region)) {
      fits = false;
      continue;
    }
    placement->region_bytes.insert(placement->region_bytes.end(), data, data + size);
    placement->new_offset.push_back(start);
    placement->expected.push_back(std::move(original));
    placement->next = start + size;
  }
  return fits ? 0 : kRepackDoesNotFit;
}

// Puts the placed region and the moved pointers into `image`; false when a write falls outside
// the image (a region or table past the end of a short file).
bool apply_placement(RomImage& image, const BankRegion& region, const PointerTable& table,
                     const Placement& placement) {
  if (!image.write_block(region.bank, region.first,
                         static_cast<int>(placement.region_bytes.size()),
                         placement.region_bytes.data())) {
    return false;
  }
  for (size_t k = 0; k < placement.old_offset.size(); ++k) {
    for (int n = 0; n < kGraphicsPointerCount; ++n) {
      if (table.bank[n] != region.bank || table.offset[n] != placement.old_offset[k]) continue;
      if (!image.write_word(kTableBank, kGraphicsPointerTable + kLongPointerSize * n,
                            placement.new_offset[k])) {
        return false;
      }
    }
  }
  return true;
}

// Every block decodes from its new place, through its pointer and as loading reads it, to what
// it held before.
bool placement_reads_back(const RomImage& image, const BankRegion& region,
                          const PointerTable& before, const Placement& placement) {
  PointerTable after;
  read_pointer_table(image, &after);
  std::vector<uint8_t> decoded;
  for (size_t k = 0; k < placement.old_offset.size(); ++k) {
    for (int n = 0; n < kGraphicsPointerCount; ++n) {
      if (before.bank[n] != region.bank || before.offset[n] != placement.old_offset[k]) continue;
      if (after.offset[n] != placement.new_offset[k] ||
          decode_stored_block(image, region.bank, after.offset[n], BlockReading::kAsLoading,
                              &decoded) < 0 ||
          decoded != placement.expected[k]) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace

int repack_stored_block(const RomImage& image, int bank, int offset, uint8_t* block,
                        uint8_t* scratch, MatchSearch search, MatchWorkspace* workspace,
                        PackMethod method) {
  if (block == nullptr) return -1;
  std::vector<uint8_t> decoded;
  const int size =
      decode_stored_block(image, bank, offset, BlockReading::kAsRepacking, &decoded);
  if (size < 0) return -1;
  if (scratch != nullptr) std::memcpy(scratch, decoded.data(), decoded.size());
  const int packed =
      pack_block_with(method, decoded.data(), size, block, kPackedBufferSize, search, workspace);
  return packed == kPackRefused ? -1 : packed;
}

int repack_bank_images(RomImage& image, int graphics_number, int new_size,
                       const uint8_t* new_data, MatchSearch search, PackMethod method,
                       RepackSizes* sizes) {
  if (graphics_number < 0 || graphics_number >= kGraphicsPointerCount || new_data == nullptr ||
      new_size <= 0 || new_size > kPackedBufferSize) {
    return kRepackVerifyFailed;
  }
  PointerTable table;
  read_pointer_table(image, &table);

  const BankRegion* region = find_bank_region(table.bank[graphics_number]);
  if (region == nullptr) return kRepackNoRegion;
  const int own_offset = table.offset[graphics_number];
  if (!region_contains(*region, region->bank, own_offset)) return kRepackImageOutsideRegion;
  // A plain block read as a packed one would be destroyed by its "re-encoding".
  for (int n = 0; n < kFirstPackedGraphics; ++n) {
    if (region_contains(*region, table.bank[n], table.offset[n])) return kRepackPlainInRegion;
  }
  // What the edited image's own block must decode to from its new place.
  std::vector<uint8_t> own_decoded(kPackedBufferSize);
  const int own_size = unpack_block(new_data, static_cast<size_t>(new_size), 0,
                                    own_decoded.data(), kGraphicsDecodeLimit, nullptr);
  if (own_size < 0) return kRepackVerifyFailed;
  own_decoded.resize(static_cast<size_t>(own_size));

  Placement placement;
  placement.old_offset = region_block_offsets(table, *region);
  int needed = 0;
  RepackSizes stopped;
  const int placed = place_blocks(image, *region, own_offset, new_size, new_data, own_decoded,
                                  search, method, &placement, &needed, &stopped);
  if (sizes != nullptr) {
    *sizes = stopped;
    if (placed == 0 || placed == kRepackDoesNotFit) {
      sizes->region_bytes = region->end - region->first;
      sizes->needed_bytes = needed;
    }
  }
  if (placed < 0) return placed;

  RomImage repacked = image;
  if (!apply_placement(repacked, *region, table, placement) ||
      !placement_reads_back(repacked, *region, table, placement)) {
    return kRepackVerifyFailed;
  }
  image = std::move(repacked);
  return region->end - placement.next;
}

}  // namespace vcv
