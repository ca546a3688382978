// The JSON reader and writer: what strict reading accepts (and how it writes back in the fixed
// layout), what it refuses and where it says the fault is.
#include <gtest/gtest.h>

#include <string>

#include "platform/json.h"

namespace vcv {
namespace {

struct Accepted {
  const char* text;
  const char* written;  // write_json of what was read
};

TEST(JsonReader, AcceptsJsonAndWritesItInTheFixedLayout) {
  const Accepted cases[] = {
      {"0", "0\n"},
      {" -12 ", "-12\n"},
      {"9223372036854775807", "9223372036854775807\n"},
      {"1.5e2", "150\n"},
      {"-0.0", "0\n"},
      {"-1e-400", "0\n"},
      {"true", "true\n"},
      {"null", "null\n"},
      {R"("a\"b\\c\/d\n\t\u0041\u00e9\ud83d\ude00")", "\"a\\\"b\\\\c/d\\n\\tA\xC3\xA9\xF0\x9F\x98\x80\"\n"},
      {"\"\xE3\x81\x82\"", "\"\xE3\x81\x82\"\n"},
      {"\"\\u0001\"", "\"\\u0001\"\n"},
      {"[]", "[]\n"},
      {"{}", "{}\n"},
      {"[1,2]", "[\n  1,\n  2\n]\n"},
      {"{\"b\":1,\"a\":[1,\"x\"],\"c\":{\"d\":[]}}",
       "{\n  \"b\": 1,\n  \"a\": [1, \"x\"],\n  \"c\": {\"d\": []}\n}\n"},
      {"[[1,[2]],{\"k\":[3]}]",
       "[\n  [\n    1,\n    [2]\n  ],\n  {\n    \"k\": [3]\n  }\n]\n"},
  };
  for (const Accepted& c : cases) {
    JsonValue value;
    JsonError error;
    ASSERT_TRUE(parse_json(c.text, &value, &error)) << c.text << ": " << describe_json_error(error);
    EXPECT_EQ(write_json(value), c.written) << c.text;
    // What is written reads back as the same value.
    JsonValue again;
    ASSERT_TRUE(parse_json(write_json(value), &again, &error)) << c.text;
    EXPECT_EQ(again, value) << c.text;
  }
}

struct Refused {
  const char* text;
  const char* pointer;
  int line;
  int column;
  const char* message;
};

TEST(JsonReader, RefusesWhatIsNotStrictJsonAndSaysWhere) {
  const Refused cases[] = {
      {"", "", 1, 1, "the text ends where a value should be"},
      {"[1,]", "/1", 1, 4, "expected a value"},
      {"{\"a\":1,}", "", 1, 8, "expected a key in double quotes"},
      {"{\"a\":1 \"b\":2}", "/a", 1, 8, "expected ',' or '}' after the value"},
      {"{\"a\":1,\"a\":2}", "/a", 1, 8, "the key appears twice"},
      {"{\"p\": {\"03\": [\"1\",\n 01]}}", "/p/03/1", 2, 3, "a number with a leading zero"},
      {"[1.]", "/0", 1, 4, "expected digits after the decimal point"},
      {"[-]", "/0", 1, 3, "expected digits"},
      {"[1e]", "/0", 1, 4, "expected digits in the exponent"},
      {"1e999", "", 1, 1, "a number too large to hold"},
      {"[tru]", "/0", 1, 2, "expected a value"},
      {"// c\n1", "", 1, 1, "expected a value"},
      {"\xEF\xBB\xBF{}", "", 1, 1, "expected a value"},
      {"{} {}", "", 1, 4, "unexpected text after the value"},
      {"{\"a/b~c\": [\"x\\q\"]}", "/a~1b~0c/0", 1, 15, "unknown escape in a string"},
      {"[\"\\u12\"]", "/0", 1, 5, "\\u needs four hexadecimal digits"},
      {"[\"\\udc00\"]", "/0", 1, 9, "a lone low surrogate"},
      {"[\"\\ud800x\"]", "/0", 1, 9, "a high surrogate without its low surrogate"},
      {"[\"a\tb\"]", "/0", 1, 4, "a control character inside a string"},
      {"[\"\xC0\xAF\"]", "/0", 1, 3, "bytes that are not UTF-8 inside a string"},
      {"[\"\xED\xA0\x80\"]", "/0", 1, 3, "bytes that are not UTF-8 inside a string"},
      {"[\"\xE3\x81\"]", "/0", 1, 3, "bytes that are not UTF-8 inside a string"},
      {"{\"a\" 1}", "/a", 1, 6, "expected ':' after the key"},
      {"[\"abc", "/0", 1, 6, "the text ends inside a string"},
  };
  for (const Refused& c : cases) {
    JsonValue value = JsonValue::integer(7);
    JsonError error;
    EXPECT_FALSE(parse_json(c.text, &value, &error)) << c.text;
    EXPECT_EQ(error.pointer, c.pointer) << c.text;
    EXPECT_EQ(error.line, c.line) << c.text;
    EXPECT_EQ(error.column, c.column) << c.text;
    EXPECT_EQ(error.message, c.message) << c.text;
    EXPECT_EQ(value, JsonValue::integer(7)) << c.text << ": a refused text changes nothing";
  }
}

TEST(JsonReader, NestingStopsAtTheDepthLimit) {
  const std::string deep_ok(kJsonMaxDepth, '[');
  JsonValue value;
  JsonError error;
  EXPECT_TRUE(parse_json(deep_ok + std::string(kJsonMaxDepth, ']'), &value, &error));
  const std::string too_deep(kJsonMaxDepth + 1, '[');
  EXPECT_FALSE(parse_json(too_deep + std::string(kJsonMaxDepth + 1, ']'), &value, &error));
  EXPECT_EQ(error.message, "nested too deeply");
  EXPECT_EQ(error.pointer.size(), 2u * kJsonMaxDepth);  // "/0" per level
}

TEST(JsonValue, EqualityComparesContentAndMemberOrder) {
  JsonValue a = JsonValue::object();
  a.set("x", JsonValue::integer(1));
  a.set("y", JsonValue::string("s"));
  JsonValue b = JsonValue::object();
  b.set("y", JsonValue::string("s"));
  b.set("x", JsonValue::integer(1));
  EXPECT_NE(a, b);
  EXPECT_EQ(JsonValue::integer(2), JsonValue::number(2.0));
  EXPECT_NE(JsonValue::integer(2), JsonValue::string("2"));
  EXPECT_EQ(describe_json_error({"/a/0", 3, 7, "oops"}), "/a/0 (line 3, column 7): oops");
  EXPECT_EQ(describe_json_error({"", 1, 2, "oops"}), "line 1, column 2: oops");
}

}  // namespace
}  // namespace vcv
