#include "patch/ips.h"

#include <algorithm>
#include <cstring>

namespace vcv {
namespace {

constexpr char kHeader[] = "PATCH";
constexpr size_t kHeaderSize = 5;
constexpr char kEnd[] = "EOF";
constexpr size_t kRecordHead = 5;  // offset and size
constexpr size_t kRunRecord = 8;   // offset, zero size, count, value
// Equal bytes between two changes cost nothing to rewrite when shorter than a record's head.
constexpr size_t kMergeGap = kRecordHead;
// A run inside changed bytes is worth its own record when it is longer than what splitting
// costs: the run record and the head of the record that takes over after it.
constexpr size_t kRunWorthIt = kRunRecord + kRecordHead;

uint32_t load_be(const uint8_t* p, int bytes) {
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v = (v << 8) | p[i];
  return v;
}

void append_be(uint32_t value, int bytes, std::vector<uint8_t>* out) {
  for (int i = bytes - 1; i >= 0; --i) out->push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// Walks the records; with `target` null only checks them and fills `info`.
PatchStatus walk(const uint8_t* patch, size_t size, std::vector<uint8_t>* target, IpsInfo* info) {
  if (size < kHeaderSize || std::memcmp(patch, kHeader, kHeaderSize) != 0) {
    return PatchStatus::kNotAPatch;
  }
  size_t pos = kHeaderSize;
  for (;;) {
    if (size - pos < 3) return PatchStatus::kTruncated;
    if (std::memcmp(patch + pos, kEnd, 3) == 0) {
      pos += 3;
      break;
    }
    if (size - pos < kRecordHead) return PatchStatus::kTruncated;
    const uint32_t offset = load_be(patch + pos, 3);
    size_t length = load_be(patch + pos + 3, 2);
    pos += kRecordHead;
    const uint8_t* bytes = patch + pos;
    bool run = false;
    if (length == 0) {
      if (size - pos < 3) return PatchStatus::kTruncated;
      length = load_be(patch + pos, 2);
      if (length == 0) return PatchStatus::kMalformed;
      run = true;
      pos += 3;
    } else {
      if (size - pos < length) return PatchStatus::kTruncated;
      pos += length;
    }
    const uint64_t end = static_cast<uint64_t>(offset) + length;
    if (end > kMaxIpsImageSize) return PatchStatus::kTooLarge;
    ++(run ? info->runs : info->records);
    info->end_written = std::max(info->end_written, end);
    if (target == nullptr) continue;
    if (target->size() < end) target->resize(static_cast<size_t>(end), 0);
    if (run) {
      std::fill_n(target->begin() + offset, length, bytes[2]);
    } else {
      std::memcpy(target->data() + offset, bytes, length);
    }
  }
  if (pos == size) return PatchStatus::kOk;
  if (size - pos != 3) return PatchStatus::kMalformed;
  info->truncates = true;
  info->truncated_size = load_be(patch + pos, 3);
  if (target != nullptr) {
    // Only shortening: a length past the end would have to invent bytes.
    if (info->truncated_size > target->size()) return PatchStatus::kOutOfBounds;
    target->resize(static_cast<size_t>(info->truncated_size));
  }
  return PatchStatus::kOk;
}

// Writes the records for target[from, to): runs of equal bytes as run records where that is
// shorter, the rest as byte records of at most kMaxIpsRecord bytes. No record starts at
// kIpsEofOffset: one that would is started a byte earlier, rewriting that byte as the target
// has it (it exists: the record's own bytes lie after it).
class RecordWriter {
 public:
  RecordWriter(const uint8_t* target, std::vector<uint8_t>* out) : target_(target), out_(out) {}

  void write_span(size_t from, size_t to) {
    size_t literal = from;
    size_t p = from;
    while (p < to) {
      size_t run = 1;
      while (p + run < to && target_[p + run] == target_[p]) ++run;
      if (run >= worth_a_run(p == from, p + run == to)) {
        bytes(literal, p);
        runs(p, p + run);
        literal = p + run;
      }
      p += run;
    }
    bytes(literal, to);
  }

 private:
  // How long a run must be to cost less as a run record than as bytes of a byte record: a run
  // that is the whole span replaces that record's head; one at an end of the span adds a record;
  // one in the middle adds a record and the head of the byte record that takes over after it.
  static size_t worth_a_run(bool at_start, bool at_end) {
    if (at_start && at_end) return kRunRecord - kRecordHead + 1;
    if (at_start || at_end) return kRunRecord + 1;
    return kRunWorthIt + 1;
  }

  static size_t safe_start(size_t from) { return from == kIpsEofOffset ? from - 1 : from; }

  void bytes(size_t from, size_t to) {
    while (from < to) {
      const size_t start = safe_start(from);
      const size_t end = std::min(to, start + kMaxIpsRecord);
      append_be(static_cast<uint32_t>(start), 3, out_);
      append_be(static_cast<uint32_t>(end - start), 2, out_);
      out_->insert(out_->end(), target_ + start, target_ + end);
      from = end;
    }
  }

  void runs(size_t from, size_t to) {
    while (from < to) {
      if (from == kIpsEofOffset) {
        // The byte before may differ from the run's: it goes in a byte record of its own.
        bytes(from - 1, from + 1);
        ++from;
        continue;
      }
      const size_t end = std::min(to, from + kMaxIpsRecord);
      append_be(static_cast<uint32_t>(from), 3, out_);
      append_be(0, 2, out_);
      append_be(static_cast<uint32_t>(end - from), 2, out_);
      out_->push_back(target_[from]);
      from = end;
    }
  }

  const uint8_t* target_;
  std::vector<uint8_t>* out_;
};

}  // namespace

PatchStatus read_ips_info(const uint8_t* patch, size_t patch_size, IpsInfo* info) {
  *info = IpsInfo();
  return walk(patch, patch_size, nullptr, info);
}

PatchStatus apply_ips(const uint8_t* patch, size_t patch_size, const uint8_t* source,
                      size_t source_size, std::vector<uint8_t>* target, IpsInfo* info) {
  IpsInfo local;
  target->assign(source, source + source_size);
  const PatchStatus status = walk(patch, patch_size, target, &local);
  if (status != PatchStatus::kOk) target->clear();
  if (info != nullptr) *info = local;
  return status;
}

PatchStatus create_ips(const uint8_t* source, size_t source_size, const uint8_t* target,
                       size_t target_size, std::vector<uint8_t>* patch) {
  patch->clear();
  if (source_size > kMaxIpsImageSize || target_size > kMaxIpsImageSize) {
    return PatchStatus::kTooLarge;
  }
  patch->assign(kHeader, kHeader + kHeaderSize);
  RecordWriter writer(target, patch);
  const size_t common = std::min(source_size, target_size);
  size_t p = 0;
  while (p < common) {
    if (source[p] == target[p]) {
      ++p;
      continue;
    }
    // A span of changes, closing over gaps of equal bytes shorter than a record's head.
    size_t end = p + 1;
    for (size_t q = end; q < common; ++q) {
      if (source[q] != target[q]) {
        end = q + 1;
      } else if (q - end >= kMergeGap) {
        break;
      }
    }
    // A span reaching the source's end runs on into the bytes the target adds.
    if (end == common && target_size > common) end = target_size;
    writer.write_span(p, end);
    p = end;
  }
  // Every byte past the source's end is written, equal to zero or not: nothing fills it.
  if (p < target_size) writer.write_span(std::max(p, common), target_size);
  patch->insert(patch->end(), kEnd, kEnd + 3);
  if (target_size < source_size) append_be(static_cast<uint32_t>(target_size), 3, patch);
  return PatchStatus::kOk;
}

}  // namespace vcv
