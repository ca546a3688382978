// Which encoder makes a packed block: the game's own (pack_block_best, whose blocks come back
// byte for byte as the game stored them) or the smallest block the format allows
// (pack_block_optimal, for when room matters more than matching the game's bytes).
#pragma once

#include <cstdint>

#include "sprite/codec.h"

namespace vcv {

enum class PackMethod { kGame, kOptimal };

// Encodes `count` bytes with `method`; the result and contract are those of the encoder chosen
// (sprite/codec.h, sprite/codec_optimal.h). `search` applies to the game's encoder only.
int pack_block_with(PackMethod method, const uint8_t* input, int count, uint8_t* output,
                    int output_capacity, MatchSearch search = MatchSearch::kFast,
                    MatchWorkspace* workspace = nullptr);

// "game" or "optimal".
const char* pack_method_name(PackMethod method);
bool parse_pack_method(const char* text, PackMethod* method);

}  // namespace vcv
