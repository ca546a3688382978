#include "rom/header_checksum.h"

#include "rom/rom_image.h"

namespace vcv {

namespace {

uint64_t plain_sum(const uint8_t* data, size_t size) {
  uint64_t sum = 0;
  for (size_t i = 0; i < size; ++i) sum += data[i];
  return sum;
}

size_t largest_power_of_two_at_most(size_t size) {
  size_t power = 1;
  while (power <= size / 2) power *= 2;
  return power;
}

// The sum of `size` bytes counted as if repeated up to `target` (a power of two, not below
// `size`): a power-of-two size repeats whole; any other size is its largest power of two
// followed by its rest repeated up to that power of two, and that double repeats.
uint64_t mirrored_sum(const uint8_t* data, size_t size, size_t target) {
  if (size == 0) return 0;
  const size_t low = largest_power_of_two_at_most(size);
  if (low == size) return plain_sum(data, size) * (target / size);
  const uint64_t doubled = plain_sum(data, low) + mirrored_sum(data + low, size - low, low);
  return doubled * (target / (2 * low));
}

void put_word(RomImage* image, long long position, uint16_t value) {
  const uint8_t bytes[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
  image->write_at(position, 2, bytes);
}

}  // namespace

uint16_t image_checksum(const uint8_t* image, size_t size) {
  if (size == 0) return 0;
  size_t target = largest_power_of_two_at_most(size);
  if (target < size) target *= 2;
  return static_cast<uint16_t>(mirrored_sum(image, size, target) & 0xFFFF);
}

HeaderChecksum read_header_checksum(const RomImage& image) {
  HeaderChecksum out;
  const long long base = image.base();
  if (base < 0 || !image.contains(base + kHeaderChecksumOffset, 2)) return out;
  const std::vector<uint8_t>& bytes = image.bytes();
  const auto word = [&](long long at) {
    return static_cast<uint16_t>(bytes[static_cast<size_t>(base + at)] |
                                 (bytes[static_cast<size_t>(base + at + 1)] << 8));
  };
  out.present = true;
  out.stored = word(kHeaderChecksumOffset);
  out.complement = word(kHeaderComplementOffset);
  out.computed = image_checksum(bytes.data() + base, bytes.size() - static_cast<size_t>(base));
  return out;
}

ChecksumCarry carry_header_checksum(const RomImage& before, RomImage* changed) {
  const HeaderChecksum was = read_header_checksum(before);
  if (!was.present || !read_header_checksum(*changed).present) return ChecksumCarry::kNoHeader;
  if (!was.consistent()) return ChecksumCarry::kWasInconsistent;
  store_header_checksum(changed);
  return ChecksumCarry::kUpdated;
}

bool store_header_checksum(RomImage* image) {
  if (!read_header_checksum(*image).present) return false;
  // Any complementary pair adds the same to the sum: put one in, sum, then store the real one.
  const long long base = image->base();
  put_word(image, base + kHeaderChecksumOffset, 0x0000);
  put_word(image, base + kHeaderComplementOffset, 0xFFFF);
  const uint16_t sum = read_header_checksum(*image).computed;
  put_word(image, base + kHeaderChecksumOffset, sum);
  put_word(image, base + kHeaderComplementOffset, static_cast<uint16_t>(sum ^ 0xFFFF));
  return true;
}

}  // namespace vcv
