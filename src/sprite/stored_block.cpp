#include "sprite/stored_block.h"

#include <string>

#include "rom/rom_image.h"
#include "sprite/codec.h"
#include "sprite/sprite_data.h"

namespace vcv {

int decode_stored_block(const RomImage& image, int bank, int offset, BlockReading reading,
                        std::vector<uint8_t>* decoded, int* packed_size) {
  return decode_stored_block_at(image, image.file_offset(bank, offset), reading, decoded,
                                packed_size);
}

int decode_stored_block_at(const RomImage& image, long long position, BlockReading reading,
                           std::vector<uint8_t>* decoded, int* packed_size) {
  const bool loading = reading == BlockReading::kAsLoading;
  const int read_size = loading ? kPackedReadSize : kStoredBlockReadSize;
  const int limit = loading ? kGraphicsDecodeLimit : kRepackDecodeLimit;
  std::vector<uint8_t> bytes(static_cast<size_t>(read_size), 0xFF);
  image.read_at(position, read_size, bytes.data());
  decoded->assign(kPackedBufferSize, 0);
  const int size = unpack_block(bytes.data(), bytes.size(), 0, decoded->data(), limit, packed_size);
  decoded->resize(size < 0 ? 0 : static_cast<size_t>(size));
  return size;
}

std::string repack_decode_problem(const RomImage& image, int bank, int offset) {
  std::vector<uint8_t> decoded;
  if (decode_stored_block(image, bank, offset, BlockReading::kAsRepacking, &decoded) >= 0) {
    return std::string();
  }
  const int loaded = decode_stored_block(image, bank, offset, BlockReading::kAsLoading, &decoded);
  if (loaded >= kRepackDecodeLimit) {
    return "decodes to " + std::to_string(loaded) + " bytes, more than repacking takes (at most " +
           std::to_string(kRepackDecodeLimit - 1) + ")";
  }
  return "does not decode";
}

}  // namespace vcv
