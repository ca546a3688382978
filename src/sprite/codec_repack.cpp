// Re-encoding of a block that is already stored in the ROM.
#include <cstring>
#include <vector>

#include "rom/rom_file.h"
#include "sprite/codec.h"

namespace vcv {

int repack_stored_block(RomFile& rom, int bank, int offset, uint8_t* block, uint8_t* scratch,
                        MatchSearch search, MatchWorkspace* workspace) {
  if (block == nullptr) return -1;
  std::vector<uint8_t> own_scratch;
  if (scratch == nullptr) {
    own_scratch.resize(kPackedBufferSize);
    scratch = own_scratch.data();
  }
  // Bytes past the end of the file read as 0xFF, whatever the buffer held before.
  std::memset(block, 0xFF, kStoredBlockReadSize);
  rom.read_block(bank, offset, kStoredBlockReadSize, block);
  const int decoded =
      unpack_block(block, kStoredBlockReadSize, 0, scratch, kRepackDecodeLimit, nullptr);
  if (decoded < 0) return -1;
  const int packed = pack_block_best(scratch, decoded, block, kPackedBufferSize, search, workspace);
  return packed == kPackRefused ? -1 : packed;
}

}  // namespace vcv
