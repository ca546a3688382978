// Decoding a packed graphics block where it is stored in the ROM image. Loading reads
// kPackedReadSize bytes of it and decodes up to kGraphicsDecodeLimit; repacking reads more bytes
// and decodes with a lower limit. Bytes past the end of the image read as 0xFF either way.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vcv {

class RomImage;

enum class BlockReading { kAsLoading, kAsRepacking };

// Decodes the block at bank:offset into *decoded, resized to what it decodes to, and returns that
// size; -1, with *decoded emptied, when it does not decode. *packed_size, when given, receives
// the packed bytes the block took.
int decode_stored_block(const RomImage& image, int bank, int offset, BlockReading reading,
                        std::vector<uint8_t>* decoded, int* packed_size = nullptr);
// The same for the block at a file position of the image.
int decode_stored_block_at(const RomImage& image, long long position, BlockReading reading,
                           std::vector<uint8_t>* decoded, int* packed_size = nullptr);

// Why repacking cannot decode the block at bank:offset, or empty when it can: "does not decode",
// or, for a block that loads but decodes to more than repacking's limit, "decodes to 65312
// bytes, more than repacking takes (at most 65279)".
std::string repack_decode_problem(const RomImage& image, int bank, int offset);

}  // namespace vcv
