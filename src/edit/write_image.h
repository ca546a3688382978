// Writing the loaded entry's tile data back into the ROM: in place when it fits, by repacking
// every packed block of its bank region, or at a typed address. The command itself is
// write_image_changes (edit/edit_commands.h); this header holds the repacking it offers.
#pragma once

#include <cstdint>

#include "sprite/codec.h"

namespace vcv {

class RomFile;

// Repacking results: 0 or more is the number of bytes left free at the end of the region; a
// negative value is an error, shown to the user as its absolute value.
enum RepackError : int {
  kRepackNoRegion = -1,         // the image's bank has no row in the bank region table
  kRepackDoesNotFit = -2,       // the blocks, back to back, reach or pass the region's end
  kRepackUndecodable = -3,      // a block of the region cannot be decoded, or re-encoded
                                //   into a block that loading can read back
  kRepackImageOutsideRegion = -4,  // the image's own block lies in its bank but outside the region
  kRepackNotWritable = -5,      // the ROM file cannot be opened for update; nothing written
  kRepackVerifyFailed = -6,     // a re-encoded block does not decode back; nothing written
  kRepackReadBackFailed = -7,   // the bytes read back after writing differ from those written
  kRepackPlainInRegion = -8,    // a plain graphics block (numbers 0..6) lies inside the region
};

// Codes 1 to 4 and 8 leave the ROM untouched and let the user go on to a typed address; the
// others stop the command.
inline bool repack_error_allows_typed_address(int result) {
  return result == kRepackNoRegion || result == kRepackDoesNotFit ||
         result == kRepackUndecodable || result == kRepackImageOutsideRegion ||
         result == kRepackPlainInRegion;
}

// Re-encodes every packed block of the region that holds graphics number `graphics_number`,
// puts `new_data` (`new_size` bytes, already verified by the caller) in place of that image's
// block, places all blocks back to back from the region's start and rewrites the pointer-table
// entries that point at them. Everything is computed and verified before the first write; the
// ROM is left open read-only. The ROM must be open.
int repack_bank_images(RomFile& rom, int graphics_number, int new_size, const uint8_t* new_data,
                       MatchSearch search = MatchSearch::kFast);

}  // namespace vcv
