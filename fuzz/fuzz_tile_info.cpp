// Arbitrary bytes as the Tile Info text typed into the panel: the parser must stay inside the
// text and the frame, and change nothing but the block it is given.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_target.h"

#include "edit/tile_info_parse.h"
#include "sprite/sprite_data.h"

VCV_FUZZ_TARGET(fuzz_tile_info) {
  if (size == 0) return 0;
  // The first byte chooses the block, also one outside the frame store.
  const int block = static_cast<int>(data[0] % 70) - 3;
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  vcv::Frame frame;
  for (int b = 0; b < vcv::kMaxBlocksPerFrame; ++b) {
    frame.x[b] = static_cast<uint8_t>(b);
    frame.y[b] = static_cast<uint8_t>(b + 1);
    for (int q = 0; q < 4; ++q) frame.tile[b][q] = static_cast<uint16_t>(0x3800 + 4 * b + q);
  }
  const vcv::Frame before = frame;
  const int applied = vcv::apply_tile_info_text(text, frame, block);
  VCV_FUZZ_CHECK(applied >= 0 && applied <= vcv::kTileInfoMaxLines);
  for (int b = 0; b < vcv::kMaxBlocksPerFrame; ++b) {
    if (b == block) continue;
    VCV_FUZZ_CHECK(frame.x[b] == before.x[b] && frame.y[b] == before.y[b]);
    VCV_FUZZ_CHECK(std::memcmp(frame.tile[b], before.tile[b], sizeof frame.tile[b]) == 0);
  }
  // Typed tile entries keep bits 11 to 13 of the entries they replace.
  if (block >= 0 && block < vcv::kMaxBlocksPerFrame) {
    for (int q = 0; q < 4; ++q) {
      VCV_FUZZ_CHECK((frame.tile[block][q] & 0x3800) == (before.tile[block][q] & 0x3800));
    }
  }
  return 0;
}
