// CRC-32 as zlib and PNG compute it (reflected polynomial 0xEDB88320, initial and final value
// 0xFFFFFFFF): the checksum BPS patches carry for their source, target and themselves.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vcv {

// Continues a CRC over more bytes: crc32_update(crc32_update(0, a), b) is the CRC of a then b.
uint32_t crc32_update(uint32_t crc, const uint8_t* data, size_t size);

inline uint32_t crc32(const uint8_t* data, size_t size) { return crc32_update(0, data, size); }

}  // namespace vcv
