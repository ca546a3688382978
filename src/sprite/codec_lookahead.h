// The encoder's choice between a short copy and a literal.
#pragma once

namespace vcv {

constexpr int kCertainCopyLength = 5;  // copies this long are always taken

// For a copy of `length` (3 or 4) at p: true when a literal does better, judged by the bytes
// covered per output byte of copying now and then `after_copy`, against a literal and then
// `next_one` (the match at p + 1), or two literals and then `next_two` (at p + 2). Look-ahead
// lengths below 3 are passed as 1. Ties keep the copy.
bool prefer_literal(int length, int next_one, int next_two, int after_copy);

}  // namespace vcv
