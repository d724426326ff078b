#include "text/shown_text.h"

#include <gtest/gtest.h>

#include <string>

namespace trevalda {
namespace {

TEST(ShownTextTest, EscapesWhatCouldDriveATerminalAndKeepsTheRest) {
  struct Case {
    std::string typed;
    std::string shown;
  };
  const Case cases[] = {
      {"07/12/2026", "07/12/2026"},
      {"Año ñandú 日本 😀", "Año ñandú 日本 😀"},
      {"\x1B]0;HACKED\a\x1B[2J", "\\e]0;HACKED\\x07\\e[2J"},
      {"b\nGrabado 01-01-1999", "b\\nGrabado 01-01-1999"},
      {"\t\r\x7F", "\\t\\r\\x7F"},
      {std::string("a\0b", 3), "a\\x00b"},
      {"\xC2\x9B"
       "2J",
       "\\xC2\\x9B2J"},                                   // C1 CSI
      {"abc\xE2\x80\xAEgpj.exe", "abc\\u{202E}gpj.exe"},  // right-to-left override
      {"\xC3", "\\xC3"},                                  // truncated sequence
      {"\xFF\xC0\x80", "\\xFF\\xC0\\x80"},                // never UTF-8; overlong NUL
      {"\xED\xA0\x80", "\\xED\\xA0\\x80"},                // an encoded surrogate
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ShownText(c.typed), c.shown) << c.shown;
  }
}

TEST(ShownTextTest, CutsWholeCharactersAfterTheLimit) {
  std::string ene;
  for (int i = 0; i < 41; ++i) ene += "ñ";
  const std::string forty = ene.substr(0, 80);
  EXPECT_EQ(ShownText(forty), forty);
  EXPECT_EQ(ShownText(ene), forty + "...");
  const std::string a = "a";
  EXPECT_EQ(ShownText(a + ene), a + ene.substr(0, 78) + "...");
  EXPECT_EQ(ShownText("ab😀😀", 3), "ab😀...");
  EXPECT_EQ(ShownText(std::string(50, '\n'), 2), "\\n\\n...");
  EXPECT_EQ(ShownText(std::string(100000, '7')).size(), kShownTextLimit + 3);
}

TEST(ShownTextTest, PathsShowAsTyped) {
  EXPECT_EQ(ShownPath(std::filesystem::path(u8"日本/missing")), "日本/missing");
  EXPECT_EQ(ShownPath(std::filesystem::path(u8"b\nGrabado")), "b\\nGrabado");
  const std::string longName(1000, 'x');
  EXPECT_EQ(ShownPath(std::filesystem::path(longName)),
            longName.substr(0, kShownPathLimit) + "...");
  if constexpr (sizeof(std::filesystem::path::value_type) == 2) {
    // Windows: a file name may hold a surrogate without its pair.
    const std::wstring unpaired = {L'a', static_cast<wchar_t>(0xD800), L'b'};
    EXPECT_EQ(ShownPath(std::filesystem::path(unpaired)), "a\\u{D800}b");
  }
}

}  // namespace
}  // namespace trevalda
