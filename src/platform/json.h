// A small JSON reader and writer for the files people keep under version control and edit by
// hand. The reader is strict (RFC 8259: no comments, no trailing commas, no duplicate keys, no
// leading zeros, valid UTF-8 only) and says where it stopped as a JSON pointer ("/a/0/b") and a
// line and column. The writer gives one fixed layout, so that the same value always gives the
// same bytes and a change of one value changes one line.
//
// Safety contract: parse_json reads exactly `size` bytes and never recurses deeper than
// kJsonMaxDepth containers; every input it cannot read gives false and an error, never a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vcv {

constexpr int kJsonMaxDepth = 64;

enum class JsonType { kNull, kBool, kNumber, kString, kArray, kObject };

// A value is 16 bytes: its type and a number, or a pointer to the text or container it owns, so
// that large documents (millions of numbers) take little memory.
class JsonValue {
 public:
  using Member = std::pair<std::string, JsonValue>;

  JsonValue() = default;
  JsonValue(const JsonValue& other);
  JsonValue(JsonValue&& other) noexcept;
  JsonValue& operator=(const JsonValue& other);
  JsonValue& operator=(JsonValue&& other) noexcept;
  ~JsonValue();

  static JsonValue null() { return JsonValue(); }
  static JsonValue boolean(bool value);
  static JsonValue integer(long long value);
  static JsonValue number(double value);
  static JsonValue string(std::string value);
  static JsonValue array();
  static JsonValue object();
  // A container of the given items or members (the caller keeps keys unique).
  static JsonValue array(std::vector<JsonValue> items);
  static JsonValue object(std::vector<Member> members);

  JsonType type() const { return type_; }
  bool is_null() const { return type_ == JsonType::kNull; }
  bool is_bool() const { return type_ == JsonType::kBool; }
  bool is_number() const { return type_ == JsonType::kNumber; }
  bool is_string() const { return type_ == JsonType::kString; }
  bool is_array() const { return type_ == JsonType::kArray; }
  bool is_object() const { return type_ == JsonType::kObject; }
  // A number without fraction or exponent that fits a long long.
  bool is_integer() const { return type_ == JsonType::kNumber && integral_; }

  // Each accessor gives false, 0 or an empty text or container for a value of another type.
  bool as_bool() const { return type_ == JsonType::kBool && bool_; }
  long long as_integer() const { return is_integer() ? integer_ : 0; }
  double as_number() const;
  const std::string& as_string() const;

  // Arrays.
  const std::vector<JsonValue>& items() const;
  // Appends to an array (a null value becomes an empty array first).
  JsonValue& push(JsonValue value);
  // Objects: members in the order they were added (or read).
  const std::vector<Member>& members() const;
  // Adds a member (a null value becomes an empty object first); the caller keeps keys unique.
  JsonValue& set(std::string key, JsonValue value);
  // The member's value, or null when there is none.
  const JsonValue* find(const std::string& key) const;

  size_t size() const;

  // Same type and content; members compare in order, numbers by value.
  bool operator==(const JsonValue& other) const;
  bool operator!=(const JsonValue& other) const { return !(*this == other); }

 private:
  void release();
  void copy_from(const JsonValue& other);

  JsonType type_ = JsonType::kNull;
  bool integral_ = false;
  union {
    bool bool_;
    long long integer_ = 0;
    double number_;
    std::string* string_;             // owned, for kString
    std::vector<JsonValue>* items_;   // owned, for kArray
    std::vector<Member>* members_;    // owned, for kObject
  };
};

struct JsonError {
  std::string pointer;  // where the reader was, as a JSON pointer ("" for the whole text)
  int line = 0;         // 1-based
  int column = 0;       // 1-based, in bytes
  std::string message;  // what was wrong there
};

// Reads one JSON text, with white space around it and nothing else (a byte order mark is refused
// like any other stray byte). False with *error set on failure.
bool parse_json(const char* text, size_t size, JsonValue* value, JsonError* error);
bool parse_json(const std::string& text, JsonValue* value, JsonError* error);

// "pointer (line L, column C): message", or "line L, column C: message" at the top level.
std::string describe_json_error(const JsonError& error);

// The fixed layout: two blanks of indent per level; an array or object inside another whose
// members are all numbers, strings, booleans or null (or that is empty) on one line ("[1, 2]",
// {"a": 1}); the outermost one, and any other, one line per member. Keys keep their order.
// Ends with a line feed.
std::string write_json(const JsonValue& value);

// Appends a reference token to a JSON pointer, escaping "~" and "/".
std::string json_pointer_append(const std::string& pointer, const std::string& token);
std::string json_pointer_append(const std::string& pointer, size_t index);

}  // namespace vcv
