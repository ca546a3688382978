// Repacking one bank region: every packed block is decoded and encoded again with the tool's
// encoder, the edited image takes its new block, and all blocks are placed back to back in their
// old order. The whole new region and every pointer change are computed and checked before the
// ROM is opened for update, so a failure leaves the file as it was.
#include <algorithm>
#include <cstring>
#include <vector>

#include "edit/bank_regions.h"
#include "edit/write_image.h"
#include "rom/rom_file.h"
#include "sprite/match_finder.h"
#include "sprite/sprite_data.h"

namespace vcv {

namespace {

constexpr int kBankSize = 0x10000;

struct PointerTable {
  int bank[kGraphicsPointerCount];
  int offset[kGraphicsPointerCount];
};

void read_pointer_table(RomFile& rom, PointerTable* table) {
  for (int n = 0; n < kGraphicsPointerCount; ++n) {
    table->offset[n] = rom.read_word(kTableBank, kGraphicsPointerTable + 3 * n);
    table->bank[n] = rom.read_byte(kTableBank, kGraphicsPointerTable + 3 * n + 2);
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

// What one stored block decodes to now, for the check of its re-encoded form.
int decode_stored_block(RomFile& rom, int bank, int offset, std::vector<uint8_t>* read_buffer,
                        std::vector<uint8_t>* decoded) {
  std::fill(read_buffer->begin(), read_buffer->end(), 0xFF);
  rom.read_block(bank, offset, kStoredBlockReadSize, read_buffer->data());
  return unpack_block(read_buffer->data(), kStoredBlockReadSize, 0, decoded->data(),
                      kRepackDecodeLimit, nullptr);
}

bool decodes_to(const uint8_t* block, int size, const uint8_t* expected, int expected_size,
                int limit, std::vector<uint8_t>* scratch) {
  int packed_size = 0;
  const int decoded = unpack_block(block, static_cast<size_t>(size), 0, scratch->data(), limit,
                                   &packed_size);
  return decoded == expected_size && packed_size == size &&
         std::memcmp(scratch->data(), expected, static_cast<size_t>(expected_size)) == 0;
}

struct Placement {
  std::vector<int> old_offset;
  std::vector<int> new_offset;
  std::vector<uint8_t> bank_image = std::vector<uint8_t>(kBankSize, 0);
  int next = 0;  // first free offset after the packed blocks
};

// Re-encodes and places every block; returns 0 or a RepackError.
int place_blocks(RomFile& rom, const BankRegion& region, int own_offset, int new_size,
                 const uint8_t* new_data, MatchSearch search, Placement* placement) {
  std::vector<uint8_t> block(kPackedBufferSize), scratch(kPackedBufferSize);
  std::vector<uint8_t> original(kPackedBufferSize), read_buffer(kStoredBlockReadSize);
  MatchWorkspace workspace;  // one index memory for every block of the region
  placement->next = region.first;
  for (int offset : placement->old_offset) {
    const uint8_t* data = new_data;
    int size = new_size;
    if (offset != own_offset) {
      const int original_size = decode_stored_block(rom, region.bank, offset, &read_buffer,
                                                    &original);
      if (original_size < 0) return kRepackUndecodable;
      size = repack_stored_block(rom, region.bank, offset, block.data(), scratch.data(), search,
                                 &workspace);
      if (size < 0) return kRepackUndecodable;
      // Loading reads a block through kPackedReadSize bytes. A block that another encoder stored
      // more densely than ours can come out longer than that, and would never load again.
      if (size > kPackedReadSize) return kRepackUndecodable;
      if (!decodes_to(block.data(), size, original.data(), original_size, kRepackDecodeLimit,
                      &scratch)) {
        return kRepackVerifyFailed;
      }
      data = block.data();
    }
    const int start = placement->next;
    if (start + size >= region.end) return kRepackDoesNotFit;
    std::memcpy(placement->bank_image.data() + start, data, static_cast<size_t>(size));
    placement->new_offset.push_back(start);
    placement->next = start + size;
  }
  return 0;
}

// Writes the placed region and the moved pointers, checking each by reading it back.
int write_placement(RomFile& rom, const BankRegion& region, const PointerTable& table,
                    const Placement& placement) {
  const int length = placement.next - region.first;
  const uint8_t* image = placement.bank_image.data() + region.first;
  if (rom.write_block(region.bank, region.first, length, image) != length) {
    return kRepackReadBackFailed;
  }
  std::vector<uint8_t> read_back(static_cast<size_t>(length) + 1);
  rom.read_block(region.bank, region.first, length, read_back.data());
  if (std::memcmp(read_back.data(), image, static_cast<size_t>(length)) != 0) {
    return kRepackReadBackFailed;
  }
  for (size_t k = 0; k < placement.old_offset.size(); ++k) {
    for (int n = 0; n < kGraphicsPointerCount; ++n) {
      if (table.bank[n] != region.bank || table.offset[n] != placement.old_offset[k]) continue;
      const int at = kGraphicsPointerTable + 3 * n;
      rom.write_word(kTableBank, at, placement.new_offset[k]);
      if (rom.read_word(kTableBank, at) != placement.new_offset[k]) return kRepackReadBackFailed;
    }
  }
  return 0;
}

}  // namespace

int repack_bank_images(RomFile& rom, int graphics_number, int new_size, const uint8_t* new_data,
                       MatchSearch search) {
  if (graphics_number < 0 || graphics_number >= kGraphicsPointerCount || new_data == nullptr ||
      new_size <= 0 || new_size > kPackedBufferSize) {
    return kRepackVerifyFailed;
  }
  if (!rom.is_open()) return kRepackNotWritable;
  PointerTable table;
  read_pointer_table(rom, &table);

  const BankRegion* region = find_bank_region(table.bank[graphics_number]);
  if (region == nullptr) return kRepackNoRegion;
  const int own_offset = table.offset[graphics_number];
  if (!region_contains(*region, region->bank, own_offset)) return kRepackImageOutsideRegion;
  // A plain block read as a packed one would be destroyed by its "re-encoding".
  for (int n = 0; n < kFirstPackedGraphics; ++n) {
    if (region_contains(*region, table.bank[n], table.offset[n])) return kRepackPlainInRegion;
  }

  Placement placement;
  placement.old_offset = region_block_offsets(table, *region);
  const int placed = place_blocks(rom, *region, own_offset, new_size, new_data, search, &placement);
  if (placed < 0) return placed;

  rom.close();
  rom.open_update();
  if (!rom.is_open_for_update()) {
    rom.open_read();
    return kRepackNotWritable;
  }
  const int written = write_placement(rom, *region, table, placement);
  rom.close();
  rom.open_read();
  if (written < 0) return written;
  return region->end - placement.next;
}

}  // namespace vcv
