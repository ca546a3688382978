#include "patch/crc32.h"

#include <array>

namespace vcv {
namespace {

// Eight tables: table[k][b] is the CRC of byte b followed by k zero bytes, so that eight bytes
// are folded in per step (ROM-sized inputs are checksummed several times per patch).
using Tables = std::array<std::array<uint32_t, 256>, 8>;

Tables make_tables() {
  Tables t{};
  for (uint32_t b = 0; b < 256; ++b) {
    uint32_t c = b;
    for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[0][b] = c;
  }
  for (uint32_t b = 0; b < 256; ++b) {
    for (int k = 1; k < 8; ++k) t[k][b] = (t[k - 1][b] >> 8) ^ t[0][t[k - 1][b] & 0xFF];
  }
  return t;
}

const Tables& tables() {
  static const Tables t = make_tables();
  return t;
}

}  // namespace

uint32_t crc32_update(uint32_t crc, const uint8_t* data, size_t size) {
  const Tables& t = tables();
  uint32_t c = ~crc;
  while (size >= 8) {
    const uint32_t low = c ^ (static_cast<uint32_t>(data[0]) | (static_cast<uint32_t>(data[1]) << 8) |
                              (static_cast<uint32_t>(data[2]) << 16) |
                              (static_cast<uint32_t>(data[3]) << 24));
    c = t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^ t[4][low >> 24] ^
        t[3][data[4]] ^ t[2][data[5]] ^ t[1][data[6]] ^ t[0][data[7]];
    data += 8;
    size -= 8;
  }
  while (size-- > 0) c = t[0][(c ^ *data++) & 0xFF] ^ (c >> 8);
  return ~c;
}

}  // namespace vcv
