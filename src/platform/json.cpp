#include "platform/json.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>

#include "platform/text_encoding.h"

namespace vcv {

// ---- values ----

JsonValue JsonValue::boolean(bool value) {
  JsonValue v;
  v.type_ = JsonType::kBool;
  v.bool_ = value;
  return v;
}

JsonValue JsonValue::integer(long long value) {
  JsonValue v;
  v.type_ = JsonType::kNumber;
  v.integral_ = true;
  v.integer_ = value;
  v.number_ = static_cast<double>(value);
  return v;
}

JsonValue JsonValue::number(double value) {
  JsonValue v;
  v.type_ = JsonType::kNumber;
  v.number_ = value;
  return v;
}

JsonValue JsonValue::string(std::string value) {
  JsonValue v;
  v.type_ = JsonType::kString;
  v.string_ = std::move(value);
  return v;
}

JsonValue JsonValue::array() {
  JsonValue v;
  v.type_ = JsonType::kArray;
  return v;
}

JsonValue JsonValue::object() {
  JsonValue v;
  v.type_ = JsonType::kObject;
  return v;
}

JsonValue& JsonValue::push(JsonValue value) {
  items_.push_back(std::move(value));
  return items_.back();
}

JsonValue& JsonValue::set(std::string key, JsonValue value) {
  members_.emplace_back(std::move(key), std::move(value));
  return members_.back().second;
}

const JsonValue* JsonValue::find(const std::string& key) const {
  for (const Member& member : members_) {
    if (member.first == key) return &member.second;
  }
  return nullptr;
}

bool JsonValue::operator==(const JsonValue& other) const {
  if (type_ != other.type_) return false;
  switch (type_) {
    case JsonType::kNull: return true;
    case JsonType::kBool: return bool_ == other.bool_;
    case JsonType::kNumber:
      if (integral_ && other.integral_) return integer_ == other.integer_;
      return number_ == other.number_;
    case JsonType::kString: return string_ == other.string_;
    case JsonType::kArray: return items_ == other.items_;
    case JsonType::kObject: return members_ == other.members_;
  }
  return false;
}

std::string json_pointer_append(const std::string& pointer, const std::string& token) {
  std::string out = pointer + "/";
  for (char c : token) {
    if (c == '~') out += "~0";
    else if (c == '/') out += "~1";
    else out += c;
  }
  return out;
}

std::string json_pointer_append(const std::string& pointer, size_t index) {
  return pointer + "/" + std::to_string(index);
}

std::string describe_json_error(const JsonError& error) {
  char where[64];
  std::snprintf(where, sizeof where, "line %d, column %d", error.line, error.column);
  if (error.pointer.empty()) return std::string(where) + ": " + error.message;
  return error.pointer + " (" + where + "): " + error.message;
}

// ---- reading ----

namespace {

class Reader {
 public:
  Reader(const char* text, size_t size) : text_(text), size_(size) {}

  bool read_document(JsonValue* value, JsonError* error) {
    skip_space();
    if (!read_value(value, "", 0)) {
      fill(error);
      return false;
    }
    skip_space();
    if (at_ < size_) {
      fail("", "unexpected text after the value");
      fill(error);
      return false;
    }
    return true;
  }

 private:
  bool fail(const std::string& pointer, const std::string& message) {
    if (message_.empty()) {
      pointer_ = pointer;
      message_ = message;
      fail_at_ = at_;
    }
    return false;
  }

  void fill(JsonError* error) const {
    int line = 1, column = 1;
    for (size_t i = 0; i < fail_at_ && i < size_; ++i) {
      if (text_[i] == '\n') {
        ++line;
        column = 1;
      } else {
        ++column;
      }
    }
    error->pointer = pointer_;
    error->line = line;
    error->column = column;
    error->message = message_;
  }

  int peek() const { return at_ < size_ ? static_cast<unsigned char>(text_[at_]) : -1; }

  void skip_space() {
    while (at_ < size_) {
      const char c = text_[at_];
      if (c != ' ' && c != '\t' && c != '\n' && c != '\r') break;
      ++at_;
    }
  }

  bool literal(const char* word) {
    size_t i = 0;
    for (; word[i] != '\0'; ++i) {
      if (at_ + i >= size_ || text_[at_ + i] != word[i]) return false;
    }
    at_ += i;
    return true;
  }

  bool read_value(JsonValue* value, const std::string& pointer, int depth) {
    const int c = peek();
    if (c == -1) return fail(pointer, "the text ends where a value should be");
    if (c == '{' || c == '[') {
      if (depth >= kJsonMaxDepth) return fail(pointer, "nested too deeply");
      return c == '{' ? read_object(value, pointer, depth + 1)
                      : read_array(value, pointer, depth + 1);
    }
    if (c == '"') {
      std::string text;
      if (!read_string(&text, pointer)) return false;
      *value = JsonValue::string(std::move(text));
      return true;
    }
    if (c == '-' || (c >= '0' && c <= '9')) return read_number(value, pointer);
    if (literal("true")) {
      *value = JsonValue::boolean(true);
      return true;
    }
    if (literal("false")) {
      *value = JsonValue::boolean(false);
      return true;
    }
    if (literal("null")) {
      *value = JsonValue::null();
      return true;
    }
    return fail(pointer, "expected a value");
  }

  bool read_object(JsonValue* value, const std::string& pointer, int depth) {
    ++at_;  // '{'
    JsonValue object = JsonValue::object();
    std::set<std::string> keys;
    skip_space();
    if (peek() == '}') {
      ++at_;
      *value = std::move(object);
      return true;
    }
    for (;;) {
      skip_space();
      if (peek() != '"') return fail(pointer, "expected a key in double quotes");
      const size_t key_at = at_;
      std::string key;
      if (!read_string(&key, pointer)) return false;
      const std::string member_pointer = json_pointer_append(pointer, key);
      if (!keys.insert(key).second) {
        at_ = key_at;
        return fail(member_pointer, "the key appears twice");
      }
      skip_space();
      if (peek() != ':') return fail(member_pointer, "expected ':' after the key");
      ++at_;
      skip_space();
      JsonValue member;
      if (!read_value(&member, member_pointer, depth)) return false;
      object.set(key, std::move(member));
      skip_space();
      const int c = peek();
      if (c == ',') {
        ++at_;
        continue;
      }
      if (c == '}') {
        ++at_;
        *value = std::move(object);
        return true;
      }
      return fail(member_pointer, "expected ',' or '}' after the value");
    }
  }

  bool read_array(JsonValue* value, const std::string& pointer, int depth) {
    ++at_;  // '['
    JsonValue array = JsonValue::array();
    skip_space();
    if (peek() == ']') {
      ++at_;
      *value = std::move(array);
      return true;
    }
    for (;;) {
      skip_space();
      const std::string item_pointer = json_pointer_append(pointer, array.size());
      JsonValue item;
      if (!read_value(&item, item_pointer, depth)) return false;
      array.push(std::move(item));
      skip_space();
      const int c = peek();
      if (c == ',') {
        ++at_;
        continue;
      }
      if (c == ']') {
        ++at_;
        *value = std::move(array);
        return true;
      }
      return fail(item_pointer, "expected ',' or ']' after the value");
    }
  }

  bool read_hex4(uint32_t* code) {
    if (size_ - at_ < 4) return false;
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = text_[at_ + i];
      int digit;
      if (c >= '0' && c <= '9') digit = c - '0';
      else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
      else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
      else return false;
      v = v * 16 + static_cast<uint32_t>(digit);
    }
    at_ += 4;
    *code = v;
    return true;
  }

  bool read_escape(std::string* out, const std::string& pointer) {
    ++at_;  // '\\'
    const int c = peek();
    ++at_;
    switch (c) {
      case '"': *out += '"'; return true;
      case '\\': *out += '\\'; return true;
      case '/': *out += '/'; return true;
      case 'b': *out += '\b'; return true;
      case 'f': *out += '\f'; return true;
      case 'n': *out += '\n'; return true;
      case 'r': *out += '\r'; return true;
      case 't': *out += '\t'; return true;
      case 'u': break;
      default:
        --at_;
        return fail(pointer, "unknown escape in a string");
    }
    uint32_t code = 0;
    if (!read_hex4(&code)) return fail(pointer, "\\u needs four hexadecimal digits");
    if (code >= 0xDC00 && code <= 0xDFFF) return fail(pointer, "a lone low surrogate");
    if (code >= 0xD800 && code <= 0xDBFF) {
      uint32_t low = 0;
      if (!literal("\\u") || !read_hex4(&low) || low < 0xDC00 || low > 0xDFFF) {
        return fail(pointer, "a high surrogate without its low surrogate");
      }
      code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
    }
    append_utf8(code, out);
    return true;
  }

  // Length of the well-formed UTF-8 sequence at at_ (1 to 4), or 0.
  size_t utf8_sequence() const {
    char32_t code = 0;
    return utf8_sequence_length(text_ + at_, size_ - at_, &code);
  }

  bool read_string(std::string* out, const std::string& pointer) {
    ++at_;  // '"'
    for (;;) {
      const int c = peek();
      if (c == -1) return fail(pointer, "the text ends inside a string");
      if (c == '"') {
        ++at_;
        return true;
      }
      if (c == '\\') {
        if (!read_escape(out, pointer)) return false;
        continue;
      }
      if (c < 0x20) return fail(pointer, "a control character inside a string");
      if (c < 0x80) {
        *out += static_cast<char>(c);
        ++at_;
        continue;
      }
      const size_t length = utf8_sequence();
      if (length == 0) return fail(pointer, "bytes that are not UTF-8 inside a string");
      out->append(text_ + at_, length);
      at_ += length;
    }
  }

  bool digits() {
    const size_t start = at_;
    while (at_ < size_ && text_[at_] >= '0' && text_[at_] <= '9') ++at_;
    return at_ > start;
  }

  bool read_number(JsonValue* value, const std::string& pointer) {
    const size_t start = at_;
    if (peek() == '-') ++at_;
    if (peek() == '0') {
      ++at_;
      if (peek() >= '0' && peek() <= '9') return fail(pointer, "a number with a leading zero");
    } else if (!digits()) {
      return fail(pointer, "expected digits");
    }
    bool integral = true;
    if (peek() == '.') {
      ++at_;
      integral = false;
      if (!digits()) return fail(pointer, "expected digits after the decimal point");
    }
    if (peek() == 'e' || peek() == 'E') {
      ++at_;
      integral = false;
      if (peek() == '+' || peek() == '-') ++at_;
      if (!digits()) return fail(pointer, "expected digits in the exponent");
    }
    const std::string text(text_ + start, at_ - start);
    if (integral) {
      errno = 0;
      char* end = nullptr;
      const long long parsed = std::strtoll(text.c_str(), &end, 10);
      if (errno == 0 && end != nullptr && *end == '\0') {
        *value = JsonValue::integer(parsed);
        return true;
      }
    }
    const double parsed = std::strtod(text.c_str(), nullptr);
    if (!std::isfinite(parsed)) {
      at_ = start;
      return fail(pointer, "a number too large to hold");
    }
    *value = JsonValue::number(parsed);
    return true;
  }

  const char* text_;
  size_t size_;
  size_t at_ = 0;
  std::string pointer_;
  std::string message_;
  size_t fail_at_ = 0;
};

// ---- writing ----

void write_string(std::string* out, const std::string& text) {
  *out += '"';
  for (char ch : text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"': *out += "\\\""; break;
      case '\\': *out += "\\\\"; break;
      case '\n': *out += "\\n"; break;
      case '\r': *out += "\\r"; break;
      case '\t': *out += "\\t"; break;
      default:
        if (c < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04X", c);
          *out += escaped;
        } else {
          *out += ch;
        }
    }
  }
  *out += '"';
}

// Empty containers print as "[]" or "{}" and count as scalars for the layout.
bool is_scalar(const JsonValue& value) {
  return (!value.is_array() && !value.is_object()) || value.size() == 0;
}

bool all_scalars(const JsonValue& value) {
  if (value.is_array()) {
    for (const JsonValue& item : value.items()) {
      if (!is_scalar(item)) return false;
    }
  } else {
    for (const auto& member : value.members()) {
      if (!is_scalar(member.second)) return false;
    }
  }
  return true;
}

void write_value(std::string* out, const JsonValue& value, int indent);

void write_number(std::string* out, const JsonValue& value) {
  char text[40];
  if (value.is_integer()) {
    std::snprintf(text, sizeof text, "%lld", value.as_integer());
  } else if (!std::isfinite(value.as_number())) {
    std::snprintf(text, sizeof text, "null");  // JSON has no infinities
  } else if (value.as_number() == 0) {
    std::snprintf(text, sizeof text, "0");  // -0 would read back as the integer 0 and write so
  } else {
    std::snprintf(text, sizeof text, "%.17g", value.as_number());
  }
  *out += text;
}

void write_container(std::string* out, const JsonValue& value, int indent) {
  const bool object = value.is_object();
  const char open = object ? '{' : '[';
  const char close = object ? '}' : ']';
  const size_t count = value.size();
  // The outermost container always takes one line per member, so a file reads as a list.
  const bool one_line = indent > 0 && all_scalars(value);
  *out += open;
  for (size_t i = 0; i < count; ++i) {
    if (i > 0) *out += one_line ? ", " : ",";
    if (!one_line) {
      *out += '\n';
      out->append(static_cast<size_t>(indent + 2), ' ');
    }
    if (object) {
      write_string(out, value.members()[i].first);
      *out += ": ";
      write_value(out, value.members()[i].second, indent + 2);
    } else {
      write_value(out, value.items()[i], indent + 2);
    }
  }
  if (!one_line && count > 0) {
    *out += '\n';
    out->append(static_cast<size_t>(indent), ' ');
  }
  *out += close;
}

void write_value(std::string* out, const JsonValue& value, int indent) {
  switch (value.type()) {
    case JsonType::kNull: *out += "null"; break;
    case JsonType::kBool: *out += value.as_bool() ? "true" : "false"; break;
    case JsonType::kNumber: write_number(out, value); break;
    case JsonType::kString: write_string(out, value.as_string()); break;
    case JsonType::kArray:
    case JsonType::kObject: write_container(out, value, indent); break;
  }
}

}  // namespace

bool parse_json(const char* text, size_t size, JsonValue* value, JsonError* error) {
  Reader reader(text, size);
  JsonValue result;
  if (!reader.read_document(&result, error)) return false;
  *value = std::move(result);
  return true;
}

bool parse_json(const std::string& text, JsonValue* value, JsonError* error) {
  return parse_json(text.data(), text.size(), value, error);
}

std::string write_json(const JsonValue& value) {
  std::string out;
  write_value(&out, value, 0);
  out += '\n';
  return out;
}

}  // namespace vcv
