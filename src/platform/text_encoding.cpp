#include "platform/text_encoding.h"

#include <vector>

namespace vcv {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

std::vector<char32_t> decode_utf8(const std::string& text) {
  std::vector<char32_t> codes;
  for (size_t at = 0; at < text.size();) {
    char32_t code = kReplacement;
    const size_t length = utf8_sequence_length(text.data() + at, text.size() - at, &code);
    codes.push_back(length == 0 ? kReplacement : code);
    at += length == 0 ? 1 : length;
  }
  return codes;
}

}  // namespace

size_t utf8_sequence_length(const char* text, size_t size, char32_t* code) {
  if (size == 0) return 0;
  const auto* s = reinterpret_cast<const unsigned char*>(text);
  const unsigned lead = s[0];
  size_t length = 1;
  char32_t value = lead;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    value = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    value = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    value = lead & 0x07;
  } else if (lead >= 0x80) {
    return 0;  // a continuation byte, or a lead byte only overlong or too large codes have
  }
  if (size < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((s[i] & 0xC0) != 0x80) return 0;
    value = (value << 6) | (s[i] & 0x3F);
  }
  constexpr char32_t kSmallest[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (value < kSmallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    return 0;
  }
  *code = value;
  return length;
}

void append_utf8(char32_t code, std::string* out) {
  if (code < 0x80) {
    out->push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (code >> 6)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (code >> 12)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (code >> 18)));
    out->push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

namespace {

template <typename Unit>
std::basic_string<Unit> encode_utf16(const std::vector<char32_t>& codes) {
  std::basic_string<Unit> out;
  for (char32_t code : codes) {
    if (code >= 0x10000) {
      code -= 0x10000;
      out.push_back(static_cast<Unit>(0xD800 + (code >> 10)));
      out.push_back(static_cast<Unit>(0xDC00 + (code & 0x3FF)));
    } else {
      out.push_back(static_cast<Unit>(code));
    }
  }
  return out;
}

template <typename Unit>
std::string decode_utf16(const std::basic_string<Unit>& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const char32_t unit = static_cast<char16_t>(text[i]);
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size()) {
      const char32_t low = static_cast<char16_t>(text[i + 1]);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        append_utf8(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00), &out);
        ++i;
        continue;
      }
    }
    append_utf8(unit >= 0xD800 && unit <= 0xDFFF ? kReplacement : unit, &out);
  }
  return out;
}

}  // namespace

std::u16string utf8_to_utf16(const std::string& text) {
  return encode_utf16<char16_t>(decode_utf8(text));
}

std::string utf16_to_utf8(const std::u16string& text) { return decode_utf16(text); }

std::wstring utf8_to_wide(const std::string& text) {
  if constexpr (sizeof(wchar_t) == 2) {
    return encode_utf16<wchar_t>(decode_utf8(text));
  } else {
    const std::vector<char32_t> codes = decode_utf8(text);
    return std::wstring(codes.begin(), codes.end());
  }
}

std::string wide_to_utf8(const std::wstring& text) {
  if constexpr (sizeof(wchar_t) == 2) {
    return decode_utf16(text);
  } else {
    std::string out;
    for (wchar_t c : text) {
      const auto code = static_cast<char32_t>(c);
      append_utf8(code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF) ? kReplacement : code,
                  &out);
    }
    return out;
  }
}

}  // namespace vcv
