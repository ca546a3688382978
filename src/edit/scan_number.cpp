#include "edit/scan_number.h"

#include <cctype>

#include <climits>

namespace vcv {

namespace {

int hex_digit_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Skips white space and an optional sign; returns true for a minus sign.
bool skip_space_and_sign(const char** cursor, const char* end) {
  const char* p = *cursor;
  while (p < end && is_scan_space(*p)) ++p;
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) {
    negative = *p == '-';
    ++p;
  }
  *cursor = p;
  return negative;
}

}  // namespace

bool is_scan_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool scan_hex(const char** cursor, const char* end, uint32_t* value) {
  const char* p = *cursor;
  const bool negative = skip_space_and_sign(&p, end);
  // "0x" counts as a prefix only when a digit follows; otherwise the "0" is the number.
  if (end - p >= 3 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && hex_digit_value(p[2]) >= 0) {
    p += 2;
  }
  if (p >= end || hex_digit_value(*p) < 0) return false;
  uint32_t result = 0;
  while (p < end && hex_digit_value(*p) >= 0) {
    result = (result << 4) | static_cast<uint32_t>(hex_digit_value(*p));
    ++p;
  }
  *value = negative ? 0u - result : result;
  *cursor = p;
  return true;
}

bool scan_decimal(const char** cursor, const char* end, int* value) {
  const char* p = *cursor;
  const bool negative = skip_space_and_sign(&p, end);
  if (p >= end || *p < '0' || *p > '9') return false;
  long long magnitude = 0;
  while (p < end && *p >= '0' && *p <= '9') {
    if (magnitude <= static_cast<long long>(INT_MAX) + 1) magnitude = magnitude * 10 + (*p - '0');
    ++p;
  }
  long long signed_value = negative ? -magnitude : magnitude;
  if (signed_value > INT_MAX) signed_value = INT_MAX;
  if (signed_value < INT_MIN) signed_value = INT_MIN;
  *value = static_cast<int>(signed_value);
  *cursor = p;
  return true;
}

bool parse_hex_field(const std::string& text, uint32_t* value) {
  const char* cursor = text.data();
  return scan_hex(&cursor, text.data() + text.size(), value);
}

bool parse_address_field(const std::string& text, uint32_t* value) {
  const char* p = text.data();
  const char* end = p + text.size();
  while (p < end && is_scan_space(*p)) ++p;
  auto hex_run = [&](const char* from, int most, uint32_t* run, const char** after) {
    uint32_t v = 0;
    int digits = 0;
    for (; from < end && digits < most && std::isxdigit(static_cast<unsigned char>(*from));
         ++from, ++digits) {
      v = v * 16 + static_cast<uint32_t>(*from <= '9' ? *from - '0' : (*from | 0x20) - 'a' + 10);
    }
    *run = v;
    *after = from;
    return digits > 0;
  };
  uint32_t bank = 0, offset = 0;
  const char* colon = nullptr;
  const char* after = nullptr;
  if (hex_run(p, 2, &bank, &colon) && colon < end && *colon == ':' &&
      hex_run(colon + 1, 4, &offset, &after) &&
      (after == end || !std::isxdigit(static_cast<unsigned char>(*after)))) {
    *value = (bank << 16) | offset;
    return true;
  }
  return parse_hex_field(text, value);
}

}  // namespace vcv
