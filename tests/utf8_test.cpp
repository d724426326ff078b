#include "text/utf8.h"

#include <gtest/gtest.h>

namespace trevalda {
namespace {

// The Windows edges: UTF-8 to UTF-16 and back, with the replacement
// character where the input is not well formed, as Windows converts.
TEST(Utf8Test, ConvertsToAndFromUtf16) {
  const struct {
    std::string utf8;
    std::u16string utf16;
  } cases[] = {
      {"", u""},
      {"Año €", u"A\u00F1o \u20AC"},
      {"\xF0\x9F\x8E\x89!", u"\U0001F389!"},  // beyond the BMP: a surrogate pair
      {"\xEF\xBF\xBD", u"\uFFFD"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16) << c.utf8;
    EXPECT_EQ(Utf16ToUtf8(c.utf16), c.utf8) << c.utf8;
  }
  // Malformed UTF-8: one U+FFFD a byte (a stray continuation, an overlong
  // form, a surrogate, a truncated sequence).
  EXPECT_EQ(Utf8ToUtf16("a\x80"
                        "b"),
            u"a\uFFFDb");
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(Utf8ToUtf16("\xE2\x82"), u"\uFFFD\uFFFD");
  // Unpaired surrogates in UTF-16.
  EXPECT_EQ(Utf16ToUtf8(std::u16string{u'a', char16_t{0xD800}, u'b'}),
            "a\xEF\xBF\xBD"
            "b");
  EXPECT_EQ(Utf16ToUtf8(std::u16string{char16_t{0xDC00}}), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace trevalda
