// UTF-8 to UTF-16 and back: well-formed text comes back byte for byte, and every malformed UTF-8
// sequence becomes U+FFFD, so that a damaged file name can never turn into another name (an
// overlong "/" or "." would otherwise reach the file system as a path separator or a dot).
#include <gtest/gtest.h>

#include <string>

#include "platform/text_encoding.h"

namespace vcv {
namespace {

TEST(TextEncoding, WellFormedTextRoundTrips) {
  const std::string texts[] = {
      "", "plain.sfc", "caf\xC3\xA9", "\xE3\x81\x82\xE3\x82\x93", "clef \xF0\x9D\x84\x9E",
      "\xEF\xBF\xBF\xF4\x8F\xBF\xBF",  // U+FFFF and U+10FFFF, the largest of their lengths
  };
  for (const std::string& text : texts) {
    EXPECT_EQ(utf16_to_utf8(utf8_to_utf16(text)), text) << text;
    EXPECT_EQ(wide_to_utf8(utf8_to_wide(text)), text) << text;
  }
  EXPECT_EQ(utf8_to_utf16("\xF0\x9D\x84\x9E"), u"\xD834\xDD1E");
}

TEST(TextEncoding, MalformedSequencesBecomeReplacementCharacters) {
  const struct {
    const char* utf8;
    std::u16string utf16;
  } cases[] = {
      {"a\xC0\xAF" "b", u"a\xFFFD\xFFFD" u"b"},        // overlong "/"
      {"\xE0\x80\xAE", u"\xFFFD\xFFFD\xFFFD"},         // overlong "."
      {"\xF0\x80\x80\xAF", u"\xFFFD\xFFFD\xFFFD\xFFFD"},
      {"\xED\xA0\x80", u"\xFFFD\xFFFD\xFFFD"},         // a surrogate
      {"\xF4\x90\x80\x80", u"\xFFFD\xFFFD\xFFFD\xFFFD"},  // above U+10FFFF
      {"\xE3\x81", u"\xFFFD\xFFFD"},                   // cut short
      {"\xE3\x81" "a", u"\xFFFD\xFFFD" u"a"},          // cut by another character
      {"\x80z", u"\xFFFD" u"z"},                       // a stray continuation byte
  };
  for (const auto& c : cases) {
    EXPECT_EQ(utf8_to_utf16(c.utf8), c.utf16) << c.utf8;
  }
  // A lone surrogate in UTF-16 (a Windows name can hold one) becomes U+FFFD in UTF-8.
  EXPECT_EQ(utf16_to_utf8(u"x\xD800y"), "x\xEF\xBF\xBDy");
  EXPECT_EQ(utf16_to_utf8(u"\xDC00"), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace vcv
