#include "platform/json.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <iterator>
#include <unordered_set>
#include <vector>

#include "platform/text_encoding.h"

namespace vcv {

// ---- values ----

namespace {

const std::string kNoText;
const std::vector<JsonValue> kNoItems;
const std::vector<JsonValue::Member> kNoMembers;

}  // namespace

JsonValue::JsonValue(const JsonValue& other) { copy_from(other); }

JsonValue::JsonValue(JsonValue&& other) noexcept
    : type_(other.type_), integral_(other.integral_), integer_(other.integer_) {
  other.type_ = JsonType::kNull;  // the owned pointer, if any, moved with the bits
}

JsonValue& JsonValue::operator=(const JsonValue& other) {
  if (this != &other) {
    JsonValue copy(other);
    *this = std::move(copy);
  }
  return *this;
}

JsonValue& JsonValue::operator=(JsonValue&& other) noexcept {
  if (this != &other) {
    release();
    type_ = other.type_;
    integral_ = other.integral_;
    integer_ = other.integer_;
    other.type_ = JsonType::kNull;
  }
  return *this;
}

JsonValue::~JsonValue() { release(); }

void JsonValue::release() {
  switch (type_) {
    case JsonType::kString: delete string_; break;
    case JsonType::kArray: delete items_; break;
    case JsonType::kObject: delete members_; break;
    default: break;
  }
  type_ = JsonType::kNull;
}

void JsonValue::copy_from(const JsonValue& other) {
  type_ = other.type_;
  integral_ = other.integral_;
  integer_ = other.integer_;
  switch (type_) {
    case JsonType::kString: string_ = new std::string(*other.string_); break;
    case JsonType::kArray: items_ = new std::vector<JsonValue>(*other.items_); break;
    case JsonType::kObject: members_ = new std::vector<Member>(*other.members_); break;
    default: break;
  }
}

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
  v.string_ = new std::string(std::move(value));
  v.type_ = JsonType::kString;
  return v;
}

JsonValue JsonValue::array() { return array(std::vector<JsonValue>()); }

JsonValue JsonValue::object() { return object(std::vector<Member>()); }

JsonValue JsonValue::array(std::vector<JsonValue> items) {
  JsonValue v;
  v.items_ = new std::vector<JsonValue>(std::move(items));
  v.type_ = JsonType::kArray;
  return v;
}

JsonValue JsonValue::object(std::vector<Member> members) {
  JsonValue v;
  v.members_ = new std::vector<Member>(std::move(members));
  v.type_ = JsonType::kObject;
  return v;
}

double JsonValue::as_number() const {
  if (type_ != JsonType::kNumber) return 0;
  return integral_ ? static_cast<double>(integer_) : number_;
}

const std::string& JsonValue::as_string() const {
  return type_ == JsonType::kString ? *string_ : kNoText;
}

const std::vector<JsonValue>& JsonValue::items() const {
  return type_ == JsonType::kArray ? *items_ : kNoItems;
}

const std::vector<JsonValue::Member>& JsonValue::members() const {
  return type_ == JsonType::kObject ? *members_ : kNoMembers;
}

size_t JsonValue::size() const {
  if (type_ == JsonType::kArray) return items_->size();
  if (type_ == JsonType::kObject) return members_->size();
  return 0;
}

JsonValue& JsonValue::push(JsonValue value) {
  if (type_ != JsonType::kArray) *this = array();
  items_->push_back(std::move(value));
  return items_->back();
}

JsonValue& JsonValue::set(std::string key, JsonValue value) {
  if (type_ != JsonType::kObject) *this = object();
  members_->emplace_back(std::move(key), std::move(value));
  return members_->back().second;
}

const JsonValue* JsonValue::find(const std::string& key) const {
  for (const Member& member : members()) {
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
      return as_number() == other.as_number();
    case JsonType::kString: return *string_ == *other.string_;
    case JsonType::kArray: return *items_ == *other.items_;
    case JsonType::kObject: return *members_ == *other.members_;
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

// Reads in one pass. The place of a fault is kept as a stack of path steps (a member's key or an
// item's index) and turned into a JSON pointer only when reading fails, so a value costs the
// same however deep or long its pointer is.
class Reader {
 public:
  Reader(const char* text, size_t size) : text_(text), size_(size) {}

  bool read_document(JsonValue* value, JsonError* error) {
    skip_space();
    if (!read_value(value, 0)) {
      fill(error);
      return false;
    }
    skip_space();
    if (at_ < size_) {
      fail("unexpected text after the value");
      fill(error);
      return false;
    }
    return true;
  }

 private:
  // One step of the path to the value being read: a member's key, or an item's index.
  struct PathStep {
    const std::string* key;  // null for an array item
    size_t index;
  };

  // Holds a step on the path for as long as the value it names is being read.
  class StepScope {
   public:
    StepScope(std::vector<PathStep>& path, PathStep step) : path_(path) { path_.push_back(step); }
    ~StepScope() { path_.pop_back(); }
    StepScope(const StepScope&) = delete;
    StepScope& operator=(const StepScope&) = delete;

   private:
    std::vector<PathStep>& path_;
  };

  std::string current_pointer() const {
    std::string pointer;
    for (const PathStep& step : path_) {
      pointer = step.key != nullptr ? json_pointer_append(pointer, *step.key)
                                    : json_pointer_append(pointer, step.index);
    }
    return pointer;
  }

  // Records the first fault, at the current path and position.
  bool fail(const std::string& message) {
    if (message_.empty()) {
      pointer_ = current_pointer();
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

  bool read_value(JsonValue* value, int depth) {
    const int c = peek();
    if (c == -1) return fail("the text ends where a value should be");
    if (c == '{' || c == '[') {
      if (depth >= kJsonMaxDepth) return fail("nested too deeply");
      return c == '{' ? read_object(value, depth + 1) : read_array(value, depth + 1);
    }
    if (c == '"') {
      std::string text;
      if (!read_string(&text)) return false;
      *value = JsonValue::string(std::move(text));
      return true;
    }
    if (c == '-' || (c >= '0' && c <= '9')) return read_number(value);
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
    return fail("expected a value");
  }

  // Objects of a few members are searched for a repeated key as they are; larger ones through a
  // set of their keys, so that a huge object is read in linear time too.
  static constexpr size_t kKeysSearchedInPlace = 16;

  bool read_object(JsonValue* value, int depth) {
    ++at_;  // '{'
    skip_space();
    if (peek() == '}') {
      ++at_;
      *value = JsonValue::object();
      return true;
    }
    // The members are gathered on a stack shared by all open objects and moved into a vector of
    // their exact count when the object closes.
    const size_t first = member_stack_.size();
    std::unordered_set<std::string> keys;
    for (;;) {
      skip_space();
      if (peek() != '"') return fail("expected a key in double quotes");
      const size_t key_at = at_;
      std::string key;
      if (!read_string(&key)) return false;
      const StepScope step(path_, PathStep{&key, 0});
      if (repeated_key(first, key, &keys)) {
        at_ = key_at;
        return fail("the key appears twice");
      }
      skip_space();
      if (peek() != ':') return fail("expected ':' after the key");
      ++at_;
      skip_space();
      JsonValue member;
      if (!read_value(&member, depth)) return false;
      skip_space();
      const int c = peek();
      if (c != ',' && c != '}') return fail("expected ',' or '}' after the value");
      ++at_;
      member_stack_.emplace_back(std::move(key), std::move(member));
      if (c == '}') {
        *value = JsonValue::object(take_from(member_stack_, first));
        return true;
      }
    }
  }

  // The stack's entries from `first` on, moved out into a vector of their count.
  template <typename T>
  static std::vector<T> take_from(std::deque<T>& stack, size_t first) {
    std::vector<T> taken(std::make_move_iterator(stack.begin() + static_cast<std::ptrdiff_t>(first)),
                         std::make_move_iterator(stack.end()));
    stack.resize(first);
    return taken;
  }

  // True when `key` is already a member of the object whose members start at `first` on the
  // member stack; otherwise notes it.
  bool repeated_key(size_t first, const std::string& key,
                    std::unordered_set<std::string>* keys) const {
    if (member_stack_.size() - first < kKeysSearchedInPlace) {
      for (size_t i = first; i < member_stack_.size(); ++i) {
        if (member_stack_[i].first == key) return true;
      }
      return false;
    }
    if (keys->empty()) {
      for (size_t i = first; i < member_stack_.size(); ++i) keys->insert(member_stack_[i].first);
    }
    return !keys->insert(key).second;
  }

  bool read_array(JsonValue* value, int depth) {
    ++at_;  // '['
    skip_space();
    if (peek() == ']') {
      ++at_;
      *value = JsonValue::array();
      return true;
    }
    const size_t first = item_stack_.size();  // as for objects' members
    for (;;) {
      skip_space();
      const StepScope step(path_, PathStep{nullptr, item_stack_.size() - first});
      JsonValue item;
      if (!read_value(&item, depth)) return false;
      skip_space();
      const int c = peek();
      if (c != ',' && c != ']') return fail("expected ',' or ']' after the value");
      ++at_;
      item_stack_.push_back(std::move(item));
      if (c == ']') {
        *value = JsonValue::array(take_from(item_stack_, first));
        return true;
      }
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

  bool read_escape(std::string* out) {
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
        return fail("unknown escape in a string");
    }
    uint32_t code = 0;
    if (!read_hex4(&code)) return fail("\\u needs four hexadecimal digits");
    if (code >= 0xDC00 && code <= 0xDFFF) return fail("a lone low surrogate");
    if (code >= 0xD800 && code <= 0xDBFF) {
      uint32_t low = 0;
      if (!literal("\\u") || !read_hex4(&low) || low < 0xDC00 || low > 0xDFFF) {
        return fail("a high surrogate without its low surrogate");
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

  bool read_string(std::string* out) {
    ++at_;  // '"'
    for (;;) {
      const int c = peek();
      if (c == -1) return fail("the text ends inside a string");
      if (c == '"') {
        ++at_;
        return true;
      }
      if (c == '\\') {
        if (!read_escape(out)) return false;
        continue;
      }
      if (c < 0x20) return fail("a control character inside a string");
      if (c < 0x80) {
        *out += static_cast<char>(c);
        ++at_;
        continue;
      }
      const size_t length = utf8_sequence();
      if (length == 0) return fail("bytes that are not UTF-8 inside a string");
      out->append(text_ + at_, length);
      at_ += length;
    }
  }

  bool digits() {
    const size_t start = at_;
    while (at_ < size_ && text_[at_] >= '0' && text_[at_] <= '9') ++at_;
    return at_ > start;
  }

  bool read_number(JsonValue* value) {
    const size_t start = at_;
    if (peek() == '-') ++at_;
    if (peek() == '0') {
      ++at_;
      if (peek() >= '0' && peek() <= '9') return fail("a number with a leading zero");
    } else if (!digits()) {
      return fail("expected digits");
    }
    bool integral = true;
    if (peek() == '.') {
      ++at_;
      integral = false;
      if (!digits()) return fail("expected digits after the decimal point");
    }
    if (peek() == 'e' || peek() == 'E') {
      ++at_;
      integral = false;
      if (peek() == '+' || peek() == '-') ++at_;
      if (!digits()) return fail("expected digits in the exponent");
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
      return fail("a number too large to hold");
    }
    *value = JsonValue::number(parsed);
    return true;
  }

  const char* text_;
  size_t size_;
  size_t at_ = 0;
  std::vector<PathStep> path_;
  std::deque<JsonValue> item_stack_;
  std::deque<JsonValue::Member> member_stack_;
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
