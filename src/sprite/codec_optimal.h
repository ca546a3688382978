// The smallest packed block for a picture, for when size matters more than encoding time.
//
// Safety contract: as the other encoders (sprite/codec.h): never writes outside
// [output, output + output_capacity), and refuses (kPackRefused) input whose block would not fit
// the 16-bit header and control words or the output buffer, or that is not a picture
// (count < 0 or above kMaxDecodedInput, no input, no output). A refused call writes nothing.
#pragma once

#include <cstdint>

#include "sprite/codec.h"

namespace vcv {

// Encodes `count` input bytes into the smallest block of the encoders' two shapes (full groups
// with the mode byte as end marker, or a last group of 1..7 items behind a control record), in
// whichever window mode gives the smaller block (ties: short window). The block decodes with
// unpack_block like any other, and is never larger than pack_block_best's. Returns the packed
// size, or kPackRefused. `workspace` as for the other encoders (null: one of the call's own).
int pack_block_optimal(const uint8_t* input, int count, uint8_t* output, int output_capacity,
                       MatchWorkspace* workspace = nullptr);

}  // namespace vcv
