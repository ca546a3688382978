// Writing the loaded entry's tile data back into the ROM: in place when it fits, by repacking
// every packed block of its bank region, or at a typed address. All of it is done on a copy of
// the ROM image, checked there, and only then put on disk in one replacement of the file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "edit/command_result.h"
#include "sprite/codec.h"
#include "sprite/pack_method.h"

namespace vcv {

class RomFile;
class RomImage;
class Ui;
struct PanelContext;
struct SpriteDirectory;

// "Write Image Changes": the prompts go through `ui`; the result says what happened. `method`
// encodes the edited block and, when the region is repacked, every other block of it.
CommandResult write_image_changes(PanelContext& panel, RomFile& rom, Ui& ui,
                                  PackMethod method = PackMethod::kGame);

// Repacking results: 0 or more is the number of bytes left free at the end of the region; a
// negative value is an error, shown to the user as its absolute value.
enum RepackError : int {
  kRepackNoRegion = -1,            // the image's bank has no row in the bank region table
  kRepackDoesNotFit = -2,          // the blocks, back to back, reach or pass the region's end
  kRepackUndecodable = -3,         // a block of the region cannot be decoded, or re-encoded
                                   //   into a block that loading can read back
  kRepackImageOutsideRegion = -4,  // the image's own block lies in its bank but outside the region
  kRepackVerifyFailed = -6,        // a block does not decode back from the repacked region
  kRepackPlainInRegion = -8,       // a plain graphics block (numbers 0..6) lies inside the region
};

// Codes 1 to 4 and 8 let the user go on to a typed address; code 6 ends the command.
inline bool repack_error_allows_typed_address(int result) {
  return result == kRepackNoRegion || result == kRepackDoesNotFit ||
         result == kRepackUndecodable || result == kRepackImageOutsideRegion ||
         result == kRepackPlainInRegion;
}

// What the region's blocks take after re-encoding, filled once every block has been encoded
// (on success, and when they do not fit).
// Packs `size` bytes of tile data with `method` into *packed, cut to the block's size, and checks
// that the block is no longer than loading reads (kPackTooLong, value: its size) and decodes back
// to exactly the tile data (kPackVerifyFailed). kPackRefused when the encoder refuses the data.
CommandResult pack_tile_data(PackMethod method, const uint8_t* tiles, int size,
                             std::vector<uint8_t>* packed);

struct RepackSizes {
  int region_bytes = 0;  // end - first of the region
  int needed_bytes = 0;  // all its blocks back to back (one byte more must stay free)
  // With kRepackUndecodable: the block that stopped the repack (its offset in the bank) and why
  // ("does not decode", "decodes to 65312 bytes, more than repacking takes (at most 65279)").
  int stopping_offset = -1;
  std::string stopping_reason;
};

// Re-encodes every packed block of the region that holds graphics number `graphics_number`
// (with `method`; `search` for the game's encoder), puts `new_data` (`new_size` bytes, already
// verified by the caller) in place of that image's block, places all blocks back to back from
// the region's start and rewrites the pointer-table entries that point at them, all in `image`.
// Every block is then decoded again from `image` at its new place and compared with what it held
// before. On any failure `image` is unchanged.
int repack_bank_images(RomImage& image, int graphics_number, int new_size,
                       const uint8_t* new_data, MatchSearch search = MatchSearch::kFast,
                       PackMethod method = PackMethod::kGame, RepackSizes* sizes = nullptr);

// When the region cannot be repacked (kRepackUndecodable: a block of it cannot be decoded within
// repacking's limit, or re-encoded), the grown block can still go into free space of the region
// without moving any other block: the lowest stretch of the region, between the blocks the
// pointer table names and clear of everything else the tables name, that holds `new_size`
// bytes. The image's old block counts as free, and every pointer-table entry that named it is
// pointed at the new place; the block is decoded again from there. Needs every other block of
// the region to load (its extent known). Returns the new offset in the bank, or a RepackError
// (kRepackDoesNotFit when no stretch is large enough, kRepackUndecodable when a block's extent
// is unknown); on failure `image` is unchanged.
int place_in_free_space(RomImage& image, const SpriteDirectory& directory, int graphics_number,
                        int new_size, const uint8_t* new_data);

// Decodes the block at bank:offset of `image` as repacking reads it (0xA000 bytes, a limit of
// 0xFF00; see decode_stored_block), copies the result into `scratch` (65536 bytes) when it is
// not null, and encodes it into `block` (65536 bytes) with pack_block_best, or the encoder
// `method` names (with `workspace`, when given, for the match search). Returns the new packed
// size, or -1 when decoding (or re-encoding) failed.
int repack_stored_block(const RomImage& image, int bank, int offset, uint8_t* block,
                        uint8_t* scratch, MatchSearch search = MatchSearch::kFast,
                        MatchWorkspace* workspace = nullptr,
                        PackMethod method = PackMethod::kGame);

}  // namespace vcv
