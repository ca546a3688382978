// Making BPS patches (bps.h): one greedy pass over the target. At each position the encoder
// weighs the source at the same place (SourceRead), the places where the last copies left off,
// and the candidates of two hash chains, one over the whole source and one over the target
// written so far; it takes the one that saves the most bytes, else a literal byte.
#include <algorithm>
#include <cstring>
#include <memory>

#include "patch/bps.h"
#include "patch/crc32.h"

namespace vcv {
namespace {

constexpr size_t kHashBytes = 4;      // a candidate must share this many bytes
// The source is indexed at every kSourceStep-th position only: a match that starts elsewhere
// is found a few positions later and extended backwards to its start. This keeps indexing a
// 4 MiB ROM to a million insertions.
constexpr size_t kSourceStep = 4;
// Target bytes copied by a match this long are not indexed for later repeats: whatever repeats
// them later is found where they came from.
constexpr size_t kIndexedCopy = 64;
constexpr int kMaxHashBits = 20;
// The target's chains hold only the bytes not copied in long matches: a smaller table.
constexpr int kMaxTargetHashBits = 18;
constexpr int kChainDepth = 24;       // candidates tried per chain and position
constexpr size_t kLongEnough = 256;   // a match this long is taken without looking further
constexpr long kMinSaving = 2;        // bytes a match must save over literals
constexpr uint32_t kNone = 0xFFFFFFFFu;
// Where nothing has matched for a while (new or unrelated data), positions are searched ever
// more sparsely: one step more per 2^kSkipShift positions without a match, at most kMaxSkip. A
// match found late is extended backwards to its start; unrelated 4 MiB images cost a fraction of
// a second instead of a search at every byte.
constexpr int kSkipShift = 7;
constexpr size_t kMaxSkip = 64;

size_t number_size(uint64_t n) {
  size_t size = 1;
  while (n >= 0x80) {
    n = (n >> 7) - 1;
    ++size;
  }
  return size;
}

uint64_t offset_code(int64_t offset) {
  return offset < 0 ? ((0 - static_cast<uint64_t>(offset)) << 1) | 1
                    : static_cast<uint64_t>(offset) << 1;
}

// How many bytes from a and b agree, at most `limit`.
size_t common_length(const uint8_t* a, const uint8_t* b, size_t limit) {
  size_t n = 0;
#if defined(__GNUC__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  while (n + 8 <= limit) {
    uint64_t x;
    uint64_t y;
    std::memcpy(&x, a + n, 8);
    std::memcpy(&y, b + n, 8);
    if (x != y) return n + static_cast<size_t>(__builtin_ctzll(x ^ y)) / 8;
    n += 8;
  }
#endif
  while (n < limit && a[n] == b[n]) ++n;
  return n;
}

struct Choice {
  int kind = -1;
  size_t length = 0;
  size_t from = 0;  // source or target position copied from
  long saving = 0;
};

// A chain per hash value: head[h] the latest position, next[p] the one before p.
class HashChains {
 public:
  // Positions are multiples of `step` below `size`.
  // The links are not cleared: a link is read only after its position was inserted, so the
  // pages of positions never inserted (most of the target) are never touched.
  HashChains(size_t size, size_t step, int bits)
      : bits_(bits), step_(step), head_(size_t{1} << bits, kNone),
        next_(new uint32_t[size / step + 1]) {}

  uint32_t hash(const uint8_t* p) const {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return (v * 2654435761u) >> (32 - bits_);
  }
  void insert(const uint8_t* data, uint32_t position) {
    const uint32_t h = hash(data + position);
    next_[position / step_] = head_[h];
    head_[h] = position;
  }
  uint32_t first(const uint8_t* p) const { return head_[hash(p)]; }
  uint32_t next(uint32_t position) const { return next_[position / step_]; }

 private:
  int bits_;
  size_t step_;
  std::vector<uint32_t> head_;
  std::unique_ptr<uint32_t[]> next_;
};

int hash_bits_for(size_t size, int most) {
  int bits = 10;
  while (bits < most && (size_t{1} << bits) < size) ++bits;
  return bits;
}

class Encoder {
 public:
  Encoder(const uint8_t* source, size_t source_size, const uint8_t* target, size_t target_size,
          std::vector<uint8_t>* out)
      : src_(source), src_size_(source_size), tgt_(target), tgt_size_(target_size), out_(out),
        src_chains_(source_size, kSourceStep, hash_bits_for(source_size / kSourceStep, kMaxHashBits)),
        tgt_chains_(target_size, 1, hash_bits_for(target_size, kMaxTargetHashBits)) {
    for (size_t p = 0; p + kHashBytes <= src_size_; p += kSourceStep) {
      src_chains_.insert(src_, static_cast<uint32_t>(p));
    }
  }

  void run() {
    size_t t = 0;
    size_t literal_start = 0;
    size_t misses = 0;
    while (t < tgt_size_) {
      Choice best = choose(t);
      if (best.kind < 0) {
        index_target(t, t + 1);
        t += std::min(tgt_size_ - t, std::min(kMaxSkip, 1 + (misses++ >> kSkipShift)));
        continue;
      }
      misses = 0;
      extend_backwards(&best, &t, literal_start);
      emit_literals(literal_start, t);
      emit(best);
      if (best.length < kIndexedCopy) index_target(t, t + best.length);
      t += best.length;
      literal_start = t;
    }
    emit_literals(literal_start, tgt_size_);
  }

 private:
  // The saving of a copy of `length` bytes whose action costs `cost` bytes.
  static long saving_of(size_t length, size_t cost) {
    return static_cast<long>(length) - static_cast<long>(cost);
  }

  void consider(Choice* best, int kind, size_t from, size_t length, uint64_t offset) const {
    if (length == 0) return;
    size_t cost = number_size(((length - 1) << 2) | static_cast<uint64_t>(kind));
    if (kind == kSourceCopy || kind == kTargetCopy) cost += number_size(offset);
    const long saving = saving_of(length, cost);
    if (saving > best->saving) *best = {kind, length, from, saving};
  }

  Choice choose(size_t t) const {
    Choice best;
    best.saving = kMinSaving - 1;
    const size_t left = tgt_size_ - t;
    if (t < src_size_) {
      consider(&best, kSourceRead, t, common_length(src_ + t, tgt_ + t, std::min(left, src_size_ - t)), 0);
      if (best.length >= kLongEnough) return best;
    }
    if (src_cursor_ < src_size_) {
      const size_t n = common_length(src_ + src_cursor_, tgt_ + t, std::min(left, src_size_ - src_cursor_));
      consider(&best, kSourceCopy, src_cursor_, n, 0);
    }
    if (tgt_cursor_ < t) {
      consider(&best, kTargetCopy, tgt_cursor_, common_length(tgt_ + tgt_cursor_, tgt_ + t, left), 0);
    }
    if (best.length >= kLongEnough || left < kHashBytes) return best;
    int depth = 0;
    for (uint32_t p = src_chains_.first(tgt_ + t); p != kNone && depth < kChainDepth;
         p = src_chains_.next(p), ++depth) {
      const size_t limit = std::min(left, src_size_ - p);
      if (best.length < limit && src_[p + best.length] != tgt_[t + best.length]) continue;
      consider(&best, kSourceCopy, p, common_length(src_ + p, tgt_ + t, limit),
               offset_code(static_cast<int64_t>(p) - static_cast<int64_t>(src_cursor_)));
      if (best.length >= kLongEnough) return best;
    }
    depth = 0;
    for (uint32_t c = tgt_chains_.first(tgt_ + t); c != kNone && depth < kChainDepth;
         c = tgt_chains_.next(c), ++depth) {
      if (best.length < left && tgt_[c + best.length] != tgt_[t + best.length]) continue;
      consider(&best, kTargetCopy, c, common_length(tgt_ + c, tgt_ + t, left),
               offset_code(static_cast<int64_t>(c) - static_cast<int64_t>(tgt_cursor_)));
      if (best.length >= kLongEnough) return best;
    }
    return best.kind < 0 ? Choice{} : best;
  }

  // Takes in pending literal bytes that the chosen copy also matches, before it.
  void extend_backwards(Choice* best, size_t* t, size_t literal_start) const {
    if (best->kind == kSourceRead) {
      while (*t > literal_start && src_[*t - 1] == tgt_[*t - 1]) {
        --*t;
        ++best->length;
      }
      best->from = *t;
      return;
    }
    const uint8_t* base = best->kind == kSourceCopy ? src_ : tgt_;
    while (*t > literal_start && best->from > 0 && base[best->from - 1] == tgt_[*t - 1]) {
      --*t;
      --best->from;
      ++best->length;
    }
  }

  void emit(const Choice& c) {
    append_bps_number(((c.length - 1) << 2) | static_cast<uint64_t>(c.kind), out_);
    if (c.kind == kSourceCopy) {
      append_bps_offset(static_cast<int64_t>(c.from) - static_cast<int64_t>(src_cursor_), out_);
      src_cursor_ = c.from + c.length;
    } else if (c.kind == kTargetCopy) {
      append_bps_offset(static_cast<int64_t>(c.from) - static_cast<int64_t>(tgt_cursor_), out_);
      tgt_cursor_ = c.from + c.length;
    }
  }

  void emit_literals(size_t from, size_t to) {
    if (from >= to) return;
    append_bps_number(((to - from - 1) << 2) | kTargetRead, out_);
    out_->insert(out_->end(), tgt_ + from, tgt_ + to);
  }

  void index_target(size_t from, size_t to) {
    const size_t end = tgt_size_ >= kHashBytes ? std::min(to, tgt_size_ - kHashBytes + 1) : 0;
    for (size_t p = from; p < end; ++p) tgt_chains_.insert(tgt_, static_cast<uint32_t>(p));
  }

  const uint8_t* src_;
  size_t src_size_;
  const uint8_t* tgt_;
  size_t tgt_size_;
  std::vector<uint8_t>* out_;
  HashChains src_chains_;
  HashChains tgt_chains_;
  size_t src_cursor_ = 0;
  size_t tgt_cursor_ = 0;
};

void append_le32(uint32_t value, std::vector<uint8_t>* out) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

PatchStatus create_bps(const uint8_t* source, size_t source_size, const uint8_t* target,
                       size_t target_size, const std::string& metadata,
                       std::vector<uint8_t>* patch) {
  patch->clear();
  if (source_size > kMaxPatchImageSize || target_size > kMaxPatchImageSize) {
    return PatchStatus::kTooLarge;
  }
  patch->insert(patch->end(), {'B', 'P', 'S', '1'});
  append_bps_number(source_size, patch);
  append_bps_number(target_size, patch);
  append_bps_number(metadata.size(), patch);
  patch->insert(patch->end(), metadata.begin(), metadata.end());
  Encoder(source, source_size, target, target_size, patch).run();
  append_le32(crc32(source, source_size), patch);
  append_le32(crc32(target, target_size), patch);
  append_le32(crc32(patch->data(), patch->size()), patch);
  return PatchStatus::kOk;
}

}  // namespace vcv
