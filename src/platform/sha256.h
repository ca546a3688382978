// SHA-256 (FIPS 180-4) of byte buffers, for telling whether a file still holds the bytes a
// program loaded from it. Plain portable code, no dependencies.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace vcv {

using Sha256Digest = std::array<uint8_t, 32>;

// Incremental hashing: update() any number of times, then finish() once. Feeding the same bytes
// in any split gives the same digest.
class Sha256 {
 public:
  Sha256();
  void update(const uint8_t* data, size_t size);
  Sha256Digest finish();

 private:
  void compress(const uint8_t* block);

  uint32_t state_[8];
  uint8_t pending_[64];
  size_t pending_size_ = 0;
  uint64_t total_bytes_ = 0;
};

Sha256Digest sha256(const uint8_t* data, size_t size);

// Lower-case hexadecimal text of a digest (64 characters).
std::string sha256_hex(const Sha256Digest& digest);

}  // namespace vcv
