#include "text/cp1252.h"

#include <gtest/gtest.h>

namespace trevalda {
namespace {

TEST(Cp1252Test, SpanishLettersRoundTripThroughUtf8AndUtf16) {
  const std::string cp1252 = "A\xF1o \xE1\xE9\xED\xF3\xFA\xFC\xC1\xD1 \x80\x99";
  const std::string utf8 = "Año áéíóúüÁÑ €™";
  EXPECT_EQ(Cp1252ToUtf8(cp1252), utf8);
  EXPECT_EQ(Utf8ToCp1252(utf8), cp1252);
  EXPECT_EQ(Cp1252ToUtf16(cp1252), u"Año áéíóúüÁÑ €™");
  EXPECT_EQ(Utf16ToCp1252(Cp1252ToUtf16(cp1252)), cp1252);
}

TEST(Cp1252Test, EveryByteRoundTrips) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
  EXPECT_EQ(Utf16ToCp1252(Cp1252ToUtf16(all)), all);
}

TEST(Cp1252Test, UnrepresentableOrMalformedInputBecomesQuestionMarks) {
  constexpr auto kValid = std::string_view::npos;
  struct Case {
    std::string utf8;
    std::string expected;
    std::size_t invalidAt;  // FindInvalidUtf8
    std::size_t outside;    // CountOutsideCp1252
  };
  const Case cases[] = {
      {"\xE2\x82", "??", 0, 0},       // truncated sequence
      {"\xC0\xAF", "??", 0, 0},       // overlong slash
      {"\xED\xA0\x80", "???", 0, 0},  // encoded surrogate
      {"\xFF"
       "a",
       "?a", 0, 0},                          // never a lead byte
      {"\xE4\xB8\xAD", "?", kValid, 1},      // a CJK character
      {"\xF0\x9F\x98\x80", "?", kValid, 1},  // beyond the BMP
      {"a\x80"
       "b",
       "a?b", 1, 0},                                      // stray continuation byte
      {"\xC3\xB1?\xE2\x82\xAC", "\xF1?\x80", kValid, 0},  // n tilde, a real '?', the euro
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8ToCp1252(c.utf8), c.expected);
    EXPECT_EQ(FindInvalidUtf8(c.utf8), c.invalidAt) << c.expected;
    EXPECT_EQ(CountOutsideCp1252(c.utf8), c.outside) << c.expected;
  }
  EXPECT_EQ(Utf16ToCp1252(u"\U0001F600x"), "?x");
  EXPECT_EQ(Utf16ToCp1252(std::u16string(1, char16_t{0xD800})), "?");
}

}  // namespace
}  // namespace trevalda
