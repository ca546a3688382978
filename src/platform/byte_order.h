// Little-endian loads from byte buffers: the ROM's words and the bitmap headers both use them.
// The caller guarantees that the bytes read lie inside its buffer.
#pragma once

#include <cstdint>
#include <cstring>

namespace vcv {

inline uint16_t load_le16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline uint32_t load_le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Two's complement, without relying on an implementation-defined conversion.
inline int32_t load_le32_signed(const uint8_t* p) {
  const uint32_t value = load_le32(p);
  int32_t result;
  std::memcpy(&result, &value, sizeof result);
  return result;
}

}  // namespace vcv
