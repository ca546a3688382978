// BPS and IPS over byte buffers: patches written by hand for each action and record kind, round
// trips through this tool's own encoders, and the refusals of damaged or foreign patches.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "patch/bps.h"
#include "patch/crc32.h"
#include "patch/ips.h"

namespace vcv {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes text_bytes(const char* text) { return Bytes(text, text + std::strlen(text)); }

Bytes sample(size_t size, unsigned seed) {
  Bytes bytes(size);
  uint32_t x = seed * 2654435761u + 1;
  for (uint8_t& b : bytes) {
    x = x * 1103515245u + 12345u;
    b = static_cast<uint8_t>(x >> 24);
  }
  return bytes;
}

void append_le32(uint32_t value, Bytes* out) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// A BPS patch by hand: header, the given action bytes, footer with correct CRC32s unless the
// target CRC is given.
Bytes bps(const Bytes& source, const Bytes& target, const Bytes& actions,
          uint64_t source_size_field, const uint32_t* target_crc = nullptr) {
  Bytes p = text_bytes("BPS1");
  append_bps_number(source_size_field, &p);
  append_bps_number(target.size(), &p);
  append_bps_number(0, &p);
  p.insert(p.end(), actions.begin(), actions.end());
  append_le32(crc32(source.data(), source.size()), &p);
  append_le32(target_crc ? *target_crc : crc32(target.data(), target.size()), &p);
  append_le32(crc32(p.data(), p.size()), &p);
  return p;
}

Bytes action(uint64_t length, int kind) {
  Bytes a;
  append_bps_number(((length - 1) << 2) | static_cast<uint64_t>(kind), &a);
  return a;
}

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

Bytes offset(int64_t value) {
  Bytes o;
  append_bps_offset(value, &o);
  return o;
}

TEST(Crc32, MatchesTheKnownCheckValueInAnySplit) {
  const Bytes digits = text_bytes("123456789abcdefgh");  // the eight-byte steps and the tail
  EXPECT_EQ(crc32(digits.data(), 9), 0xCBF43926u);
  EXPECT_EQ(crc32_update(crc32(digits.data(), 3), digits.data() + 3, 14),
            crc32(digits.data(), 17));
}

TEST(BpsNumbers, HaveOneSpellingEach) {
  const struct {
    uint64_t value;
    Bytes bytes;
  } cases[] = {{0, {0x80}},
               {0x7F, {0xFF}},
               {0x80, {0x00, 0x80}},
               {0x407F, {0x7F, 0xFF}},
               {0x4080, {0x00, 0x00, 0x80}}};
  for (const auto& c : cases) {
    Bytes out;
    append_bps_number(c.value, &out);
    EXPECT_EQ(out, c.bytes) << c.value;
  }
  EXPECT_EQ(offset(-3), Bytes{0x87});
  EXPECT_EQ(offset(3), Bytes{0x86});
}

TEST(BpsApply, EveryActionKindMadeByHand) {
  const Bytes source = text_bytes("ABCDEFGHIJ");
  struct Case {
    const char* name;
    Bytes actions;
    Bytes target;
  };
  const Case cases[] = {
      {"SourceRead", action(4, kSourceRead), text_bytes("ABCD")},
      {"TargetRead", action(3, kTargetRead) + text_bytes("xyz"), text_bytes("xyz")},
      {"SourceCopy forwards then backwards (the cursor moves on by the length)",
       action(2, kSourceCopy) + offset(5) + action(3, kSourceCopy) + offset(-6),
       text_bytes("FGBCD")},
      {"TargetCopy overlapping its own output (a run)",
       action(2, kTargetRead) + text_bytes("ab") + action(5, kTargetCopy) + offset(0),
       text_bytes("abababa")},
      {"all four, cursors relative",
       action(2, kSourceRead) + action(1, kTargetRead) + text_bytes("-") +
           action(2, kSourceCopy) + offset(8) + action(2, kTargetCopy) + offset(1),
       text_bytes("AB-IJB-")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes patch = bps(source, c.target, c.actions, source.size());
    Bytes out;
    BpsInfo info;
    ASSERT_EQ(apply_bps(patch.data(), patch.size(), source.data(), source.size(), &out, &info),
              PatchStatus::kOk);
    EXPECT_EQ(out, c.target);
    ASSERT_EQ(read_bps_info(patch.data(), patch.size(), &info), PatchStatus::kOk);
    EXPECT_EQ(info.target_size, c.target.size());
  }
}

TEST(BpsApply, RefusesDamagedAndForeignPatchesWithNoOutput) {
  const Bytes source = text_bytes("ABCDEFGHIJ");
  const Bytes target = text_bytes("ABxyz");
  const Bytes good = bps(source, target, action(2, kSourceRead) + action(3, kTargetRead) +
                                             text_bytes("xyz"),
                         source.size());
  Bytes flipped = good;
  flipped[9] ^= 0x20;  // inside the literal bytes
  Bytes other_source = source;
  other_source[4] = 'e';
  const uint32_t wrong_crc = 0x12345678;
  struct Case {
    const char* name;
    Bytes patch;
    Bytes source;
    PatchStatus status;
  };
  std::vector<Case> cases = {
      {"a byte of the patch changed", flipped, source, PatchStatus::kPatchCrcMismatch},
      {"another source of the same size", good, other_source, PatchStatus::kWrongSource},
      {"the result differs from the target CRC32",
       bps(source, target, action(5, kSourceRead), source.size(), &wrong_crc), source,
       PatchStatus::kTargetCrcMismatch},
      {"SourceRead past the source's end", bps(source, Bytes(11, 'A'), action(11, kSourceRead),
                                                source.size()),
       source, PatchStatus::kOutOfBounds},
      {"SourceCopy before the source's start",
       bps(source, target, action(5, kSourceCopy) + offset(-1), source.size()), source,
       PatchStatus::kOutOfBounds},
      {"SourceCopy past the source's end",
       bps(source, target, action(5, kSourceCopy) + offset(6), source.size()), source,
       PatchStatus::kOutOfBounds},
      {"TargetCopy of bytes not yet written",
       bps(source, target, action(1, kSourceRead) + action(4, kTargetCopy) + offset(1),
           source.size()),
       source, PatchStatus::kOutOfBounds},
      {"an action past the target's size",
       bps(source, target, action(6, kSourceRead), source.size()), source,
       PatchStatus::kOutOfBounds},
      {"TargetRead past the actions' end",
       bps(source, target, action(2, kSourceRead) + action(3, kTargetRead) + text_bytes("xy"),
           source.size()),
       source, PatchStatus::kTruncated},
      {"actions ending before the target is full",
       bps(source, target, action(2, kSourceRead), source.size()), source,
       PatchStatus::kTruncated},
      {"a number that overflows 64 bits",
       bps(source, target, Bytes(10, 0x7F) + Bytes{0xFF}, source.size()), source,
       PatchStatus::kMalformed},
      {"a target size past the limit", bps(source, Bytes(), Bytes(), source.size()), source,
       PatchStatus::kTooLarge},
  };
  // The last case: the same patch with a huge target size in its header.
  Bytes& huge = cases.back().patch;
  huge = text_bytes("BPS1");
  append_bps_number(source.size(), &huge);
  append_bps_number(kMaxPatchImageSize + 1, &huge);
  append_bps_number(0, &huge);
  append_le32(crc32(source.data(), source.size()), &huge);
  append_le32(0, &huge);
  append_le32(crc32(huge.data(), huge.size()), &huge);
  // Cut anywhere, the patch is refused: too short for its fields, or its footer is then other
  // bytes, whose CRC32 does not match.
  for (size_t cut : {size_t{0}, size_t{3}, size_t{6}, size_t{12}, size_t{20}, good.size() - 1}) {
    const PatchStatus status = cut < 4 ? PatchStatus::kNotAPatch
                               : cut < 19 ? PatchStatus::kTruncated
                                          : PatchStatus::kPatchCrcMismatch;
    cases.push_back(
        {"cut short", Bytes(good.begin(), good.begin() + static_cast<long>(cut)), source, status});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes out(3, 0xEE);
    EXPECT_EQ(apply_bps(c.patch.data(), c.patch.size(), c.source.data(), c.source.size(), &out),
              c.status);
    EXPECT_TRUE(out.empty());
  }
}

// A bank of blocks, and the same bank after one block grew: the blocks behind it moved.
struct RepackPair {
  Bytes source;
  Bytes target;
  size_t new_block_size;
};

RepackPair repack_pair() {
  RepackPair pair;
  Bytes rom = sample(256 * 1024, 1);
  pair.target = rom;
  constexpr size_t kRegion = 0x20000;
  constexpr size_t kBlock = 3000;
  const Bytes grown = sample(kBlock + 700, 9);
  pair.new_block_size = grown.size();
  // Block 2 of the region grows; blocks 3.. move up by 700 bytes; the region's tail is 0xFF.
  Bytes region(rom.begin() + kRegion, rom.begin() + kRegion + 10 * kBlock);
  Bytes moved(region.begin(), region.begin() + 2 * kBlock);
  moved.insert(moved.end(), grown.begin(), grown.end());
  moved.insert(moved.end(), region.begin() + 3 * kBlock, region.end());
  std::fill(rom.begin() + kRegion + 10 * kBlock, rom.begin() + kRegion + 12 * kBlock, 0xFF);
  pair.source = rom;
  std::copy(moved.begin(), moved.end(), pair.target.begin() + kRegion);
  std::fill(pair.target.begin() + kRegion + static_cast<long>(moved.size()),
            pair.target.begin() + kRegion + 12 * kBlock, 0xFF);
  // Three pointers in a table change.
  for (size_t i = 0; i < 3; ++i) pair.target[0x100 + 3 * i] ^= 0x5A;
  return pair;
}

TEST(BpsCreate, RoundTripsAndCostsLittleMoreThanWhatIsNew) {
  const RepackPair repack = repack_pair();
  const Bytes base = sample(5000, 4);
  Bytes repeated = base;  // a stretch of the target repeated later in it, not in the source
  const Bytes fresh = sample(400, 5);
  repeated.insert(repeated.begin() + 1000, fresh.begin(), fresh.end());
  repeated.insert(repeated.begin() + 4000, fresh.begin(), fresh.end());
  struct Case {
    const char* name;
    Bytes source;
    Bytes target;
    size_t most;  // largest acceptable patch
  };
  const Case cases[] = {
      {"identical", base, base, 30},
      {"a repack: one block grew, the blocks after it moved", repack.source, repack.target,
       repack.new_block_size + 100},
      {"new bytes that repeat within the target", base, repeated, 400 + 60},
      {"the target cut short", base, Bytes(base.begin(), base.begin() + 3000), 30},
      {"the target grown by zeros", base, base + Bytes(9000, 0), 40},
      {"empty source", Bytes(), base, base.size() + 40},
      {"empty target", base, Bytes(), 30},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes patch;
    ASSERT_EQ(create_bps(c.source.data(), c.source.size(), c.target.data(), c.target.size(),
                         "meta", &patch),
              PatchStatus::kOk);
    EXPECT_LE(patch.size(), c.most);
    Bytes out;
    ASSERT_EQ(apply_bps(patch.data(), patch.size(), c.source.data(), c.source.size(), &out),
              PatchStatus::kOk);
    EXPECT_EQ(out, c.target);
    BpsInfo info;
    ASSERT_EQ(read_bps_info(patch.data(), patch.size(), &info), PatchStatus::kOk);
    EXPECT_EQ(info.metadata, "meta");
  }
}

// ---- IPS ----

Bytes be(uint32_t value, int bytes) {
  Bytes out;
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
  return out;
}

Bytes record(uint32_t at, const Bytes& bytes) { return be(at, 3) + be(static_cast<uint32_t>(bytes.size()), 2) + bytes; }
Bytes run_record(uint32_t at, uint16_t count, uint8_t value) {
  return be(at, 3) + be(0, 2) + be(count, 2) + Bytes{value};
}
Bytes ips(const Bytes& records, const Bytes& tail = {}) {
  return text_bytes("PATCH") + records + text_bytes("EOF") + tail;
}

TEST(IpsApply, EveryRecordKindMadeByHand) {
  const Bytes source = text_bytes("ABCDEFGH");
  struct Case {
    const char* name;
    Bytes patch;
    Bytes target;
  };
  const Case cases[] = {
      {"bytes", ips(record(2, text_bytes("xy"))), text_bytes("ABxyEFGH")},
      {"a run", ips(run_record(1, 3, '*')), text_bytes("A***EFGH")},
      {"past the end: the gap is zero", ips(record(10, text_bytes("z"))),
       text_bytes("ABCDEFGH") + Bytes{0, 0} + text_bytes("z")},
      {"truncated", ips(record(0, text_bytes("a")), be(5, 3)), text_bytes("aBCDE")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes out;
    ASSERT_EQ(apply_ips(c.patch.data(), c.patch.size(), source.data(), source.size(), &out),
              PatchStatus::kOk);
    EXPECT_EQ(out, c.target);
  }
}

TEST(IpsApply, RefusesMalformedPatchesWithNoOutput) {
  const Bytes source = text_bytes("ABCDEFGH");
  const Bytes good = ips(record(2, text_bytes("xy")));
  const struct {
    const char* name;
    Bytes patch;
    PatchStatus status;
  } cases[] = {
      {"no header", text_bytes("PATCX") + record(0, text_bytes("a")) + text_bytes("EOF"),
       PatchStatus::kNotAPatch},
      {"no end marker", Bytes(good.begin(), good.end() - 3), PatchStatus::kTruncated},
      {"a record cut short", text_bytes("PATCH") + be(2, 3) + be(4, 2) + text_bytes("xy"),
       PatchStatus::kTruncated},
      {"a run of nothing", ips(run_record(1, 0, '*')), PatchStatus::kMalformed},
      {"bytes after the end marker", ips({}, text_bytes("xy")), PatchStatus::kMalformed},
      {"truncation past the end", ips({}, be(9, 3)), PatchStatus::kOutOfBounds},
      {"a record past 16 MiB", ips(run_record(0xFFFFFF, 2, 0)), PatchStatus::kTooLarge},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes out(3, 0xEE);
    EXPECT_EQ(apply_ips(c.patch.data(), c.patch.size(), source.data(), source.size(), &out),
              c.status);
    EXPECT_TRUE(out.empty());
  }
}

// The records of an IPS patch: offset, size (0 for a run) and length written.
struct Record {
  uint32_t offset;
  bool run;
  size_t length;
};
std::vector<Record> records_of(const Bytes& patch) {
  std::vector<Record> out;
  size_t p = 5;
  while (p + 3 <= patch.size() && std::memcmp(&patch[p], "EOF", 3) != 0) {
    const uint32_t at = (patch[p] << 16) | (patch[p + 1] << 8) | patch[p + 2];
    const size_t size = (patch[p + 3] << 8) | patch[p + 4];
    if (size == 0) {
      out.push_back({at, true, static_cast<size_t>((patch[p + 5] << 8) | patch[p + 6])});
      p += 8;
    } else {
      out.push_back({at, false, size});
      p += 5 + size;
    }
  }
  return out;
}

TEST(IpsCreate, RoundTripsWithinTheFormatsLimits) {
  const Bytes base = sample(kIpsEofOffset + 0x2000, 2);  // past the offset that reads as "EOF"
  struct Case {
    const char* name;
    std::function<void(Bytes&)> change;
    size_t most_records;
    bool expect_run;
  };
  const Case cases[] = {
      {"a change at 0x454F46 alone", [](Bytes& t) { t[kIpsEofOffset] ^= 1; }, 1, false},
      {"a run starting at 0x454F46",
       [](Bytes& t) { std::fill(t.begin() + kIpsEofOffset, t.begin() + kIpsEofOffset + 40, 7); },
       2, true},
      {"70000 changed bytes, split where a piece would start at 0x454F46",
       [](Bytes& t) {
         for (size_t i = kIpsEofOffset - kMaxIpsRecord; i < kIpsEofOffset + 4465; ++i) t[i] ^= 0x33;
       },
       2, false},
      {"a long run inside changed bytes",
       [](Bytes& t) {
         for (size_t i = 100; i < 400; ++i) t[i] = i < 150 || i >= 350 ? t[i] ^ 1 : 0;
       },
       3, true},
      {"grown by a zero tail", [](Bytes& t) { t.resize(t.size() + 5000, 0); }, 1, true},
      {"cut short", [](Bytes& t) { t.resize(1000); }, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes target = base;
    c.change(target);
    Bytes patch;
    ASSERT_EQ(create_ips(base.data(), base.size(), target.data(), target.size(), &patch),
              PatchStatus::kOk);
    const std::vector<Record> records = records_of(patch);
    EXPECT_LE(records.size(), c.most_records);
    bool any_run = false;
    for (const Record& r : records) {
      EXPECT_NE(r.offset, kIpsEofOffset) << "a record would read as the end marker";
      EXPECT_LE(r.length, kMaxIpsRecord);
      any_run |= r.run;
    }
    EXPECT_EQ(any_run, c.expect_run);
    Bytes out;
    ASSERT_EQ(apply_ips(patch.data(), patch.size(), base.data(), base.size(), &out),
              PatchStatus::kOk);
    EXPECT_TRUE(out == target);
  }
  Bytes patch;
  const Bytes too_large(kMaxIpsImageSize + 1, 0);
  EXPECT_EQ(create_ips(base.data(), base.size(), too_large.data(), too_large.size(), &patch),
            PatchStatus::kTooLarge);
}

}  // namespace
}  // namespace vcv
