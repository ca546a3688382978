// The checksum of the cartridge's internal header. The image (headerless, HiROM) keeps at file
// offset 0xFFDE a 16-bit checksum of all its bytes and at 0xFFDC its complement (checksum ^
// 0xFFFF). A complementary pair always adds 0xFF + 0xFF to the sum, whatever its value, so a
// checksum stored together with its complement does not change the sum it is checked against.
//
// Pure functions on byte buffers; RomImage's base (a copier header) is skipped.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vcv {

class RomImage;

constexpr long long kHeaderComplementOffset = 0xFFDC;  // of the headerless image
constexpr long long kHeaderChecksumOffset = 0xFFDE;

// The 16-bit sum of the bytes of a headerless image. An image whose size is no power of two
// counts as the largest power of two below its size, followed by the part above it repeated up
// to that size again (the rest counted the same way when it is itself no power of two).
uint16_t image_checksum(const uint8_t* image, size_t size);

struct HeaderChecksum {
  bool present = false;     // the image reaches past the checksum word
  uint16_t stored = 0;      // the checksum word
  uint16_t complement = 0;  // the complement word
  uint16_t computed = 0;    // image_checksum of the image

  // Both words agree with the image.
  bool consistent() const {
    return present && stored == computed && complement == (computed ^ 0xFFFF);
  }
};

HeaderChecksum read_header_checksum(const RomImage& image);

// Gives the image a checksum and complement that match it; false (nothing changed) when it is
// too small to hold them.
bool store_header_checksum(RomImage* image);

// What carry_header_checksum did to a changed image.
enum class ChecksumCarry {
  kNoHeader,         // the image is too small to hold the checksum: nothing to do
  kUpdated,          // it matched before the change, and it matches the changed image now
  kWasInconsistent,  // it did not match before, so it was left as it was
};

// After a change of `before` into `changed`: gives `changed` a checksum and complement that
// match it when `before`'s matched `before`; a checksum that was already wrong is left alone (the
// user may keep it wrong on purpose). Changes nothing but those four bytes.
ChecksumCarry carry_header_checksum(const RomImage& before, RomImage* changed);

}  // namespace vcv
