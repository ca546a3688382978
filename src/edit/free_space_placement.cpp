// A grown block placed into free space of its bank region when the region cannot be repacked:
// the other blocks stay where they are, so a block that repacking cannot decode (one that loads
// but decodes past repacking's limit) is never touched. Free space is what lies between the
// blocks the graphics pointer table names, clear of everything else the tables name and of the
// cartridge header.
#include <algorithm>
#include <utility>
#include <vector>

#include "edit/write_image.h"
#include "rom/rom_image.h"
#include "sprite/bank_regions.h"
#include "sprite/codec.h"
#include "sprite/directory.h"
#include "sprite/rom_layout.h"
#include "sprite/sprite_data.h"
#include "sprite/stored_block.h"

namespace vcv {

namespace {

using Stretch = std::pair<long long, long long>;  // bank offsets, end exclusive

struct GraphicsPointer {
  int bank;
  int offset;
};

std::vector<GraphicsPointer> read_graphics_pointers(const RomImage& image) {
  std::vector<GraphicsPointer> pointers;
  for (int n = 0; n < kGraphicsPointerCount; ++n) {
    const int at = kGraphicsPointerTable + kLongPointerSize * n;
    pointers.push_back({image.read_byte(kTableBank, at + 2), image.read_word(kTableBank, at)});
  }
  return pointers;
}

// What the region holds besides the image's own block, as stretches of bank offsets. False when
// a block of the region does not load, so that its extent is unknown.
bool occupied_stretches(const RomImage& image, const SpriteDirectory& directory,
                        const BankRegion& region, int own_offset,
                        const std::vector<GraphicsPointer>& pointers,
                        std::vector<Stretch>* occupied) {
  for (const GraphicsPointer& p : pointers) {
    if (!region_contains(region, p.bank, p.offset) || p.offset == own_offset) continue;
    const int size = loaded_packed_size(image, p.bank, p.offset);
    if (size < 0) return false;
    occupied->emplace_back(p.offset, p.offset + size);
  }
  // Everything else the tables name, and the cartridge header, where it falls into the region's
  // stretch of the file. The image's own block (under any number) moves and frees its place.
  const long long region_start = image.file_offset(region.bank, region.first);
  const long long own_start = image.file_offset(region.bank, own_offset);
  std::vector<KnownBlock> blocks = known_blocks(image, directory);
  blocks.push_back(cartridge_header_block(image));
  for (const KnownBlock& block : blocks) {
    if (block.kind == BlockKind::kGraphics && block.start == own_start) continue;
    const long long from = block.start - region_start + region.first;
    const long long to = block.end - region_start + region.first;
    if (to > region.first && from < region.end) occupied->emplace_back(from, to);
  }
  return true;
}

// The lowest offset of the region where `size` bytes meet none of the stretches; -1 when none.
long long lowest_free_offset(const BankRegion& region, std::vector<Stretch> occupied, int size) {
  std::sort(occupied.begin(), occupied.end());
  long long candidate = region.first;
  for (const Stretch& s : occupied) {
    if (s.first >= candidate + size) break;
    candidate = std::max(candidate, s.second);
  }
  return candidate + size <= region.end ? candidate : -1;
}

}  // namespace

int place_in_free_space(RomImage& image, const SpriteDirectory& directory, int graphics_number,
                        int new_size, const uint8_t* new_data) {
  if (graphics_number < 0 || graphics_number >= kGraphicsPointerCount || new_data == nullptr ||
      new_size <= 0) {
    return kRepackVerifyFailed;
  }
  const std::vector<GraphicsPointer> pointers = read_graphics_pointers(image);
  const GraphicsPointer own = pointers[static_cast<size_t>(graphics_number)];
  const BankRegion* region = find_bank_region(own.bank);
  if (region == nullptr) return kRepackNoRegion;
  if (!region_contains(*region, own.bank, own.offset)) return kRepackImageOutsideRegion;
  std::vector<Stretch> occupied;
  if (!occupied_stretches(image, directory, *region, own.offset, pointers, &occupied)) {
    return kRepackUndecodable;
  }
  const long long at = lowest_free_offset(*region, std::move(occupied), new_size);
  if (at < 0) return kRepackDoesNotFit;

  RomImage placed = image;
  if (!placed.write_block(region->bank, static_cast<int>(at), new_size, new_data)) {
    return kRepackVerifyFailed;
  }
  // Every number that named the old block follows it, as after a repack.
  for (int n = 0; n < kGraphicsPointerCount; ++n) {
    const GraphicsPointer& p = pointers[static_cast<size_t>(n)];
    if (p.bank != own.bank || p.offset != own.offset) continue;
    if (!placed.write_word(kTableBank, kGraphicsPointerTable + kLongPointerSize * n,
                           static_cast<int>(at))) {
      return kRepackVerifyFailed;
    }
  }
  // The block loads from its new place as the data it was given.
  std::vector<uint8_t> expected(kPackedBufferSize), decoded;
  const int expected_size = unpack_block(new_data, static_cast<size_t>(new_size), 0,
                                         expected.data(), kGraphicsDecodeLimit, nullptr);
  int packed = 0;
  if (expected_size < 0 ||
      decode_stored_block(placed, region->bank, static_cast<int>(at), BlockReading::kAsLoading,
                          &decoded, &packed) != expected_size ||
      packed != new_size ||
      !std::equal(decoded.begin(), decoded.end(), expected.begin())) {
    return kRepackVerifyFailed;
  }
  image = std::move(placed);
  return static_cast<int>(at);
}

}  // namespace vcv
