// A document's font on Windows is the raster's own: the face and weight
// GDI selects for the HFONT the raster draws with, its tables, and the
// advances GDI sets its characters at.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "canvas/document_font.h"
#include "canvas/gdi_font.h"
#include "canvas/surface.h"
#include "text/windows_api.h"

namespace trevalda {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t Read32(const Bytes& b, std::size_t at) {
  return (std::uint32_t{b.at(at)} << 24) | (std::uint32_t{b.at(at + 1)} << 16) |
         (std::uint32_t{b.at(at + 2)} << 8) | b.at(at + 3);
}

// One table of a TrueType font file by its tag ('OS/2' as 0x4F532F32).
std::optional<Bytes> SfntTable(const Bytes& font, std::uint32_t tag) {
  const std::size_t count = (std::size_t{font.at(4)} << 8) | font.at(5);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t entry = 12 + 16 * i;
    if (Read32(font, entry) != tag) continue;
    const std::size_t offset = Read32(font, entry + 8);
    const std::size_t length = Read32(font, entry + 12);
    if (offset + length > font.size()) return std::nullopt;
    return Bytes(font.begin() + static_cast<std::ptrdiff_t>(offset),
                 font.begin() + static_cast<std::ptrdiff_t>(offset + length));
  }
  return std::nullopt;
}

// The same table of the face selected into `dc`.
std::optional<Bytes> GdiTable(HDC dc, std::uint32_t tag) {
  const DWORD gdiTag =
      ((tag & 0xFFu) << 24) | ((tag & 0xFF00u) << 8) | ((tag >> 8) & 0xFF00u) | (tag >> 24);
  const DWORD size = GetFontData(dc, gdiTag, 0, nullptr, 0);
  if (size == GDI_ERROR || size == 0) return std::nullopt;
  Bytes table(size);
  if (GetFontData(dc, gdiTag, 0, table.data(), size) != size) return std::nullopt;
  return table;
}

// The page's sizes (8, 10 and 38 points) in both weights: the document
// names the face and weight the raster's HFONT selects, embeds that face's
// own metrics tables and sets its characters at the raster's advances.
TEST(DocumentFontWindowsTest, IsTheFaceAndWeightTheRasterDrawsWith) {
  constexpr std::uint32_t kOs2 = 0x4F532F32;
  constexpr std::uint32_t kHmtx = 0x686D7478;
  for (const std::int32_t height : {-11, -13, -51}) {
    for (const std::int32_t weight : {400, 700}) {
      canvas::FontDescription description;
      description.height = height;
      description.weight = weight;
      description.face = "New Times";
      const std::shared_ptr<canvas::PlatformFont> font = canvas::MakePlatformFont(description);
      ASSERT_NE(font, nullptr);
      const std::shared_ptr<const canvas::DocumentFont> document = canvas::MakeDocumentFont(*font);
      ASSERT_NE(document, nullptr) << height << " " << weight;

      HDC dc = CreateCompatibleDC(nullptr);
      ASSERT_NE(dc, nullptr);
      const HGDIOBJ previous =
          SelectObject(dc, dynamic_cast<const canvas::GdiFont&>(*font).Handle());
      wchar_t face[LF_FACESIZE] = {};
      TEXTMETRICW text{};
      ASSERT_GT(GetTextFaceW(dc, LF_FACESIZE, face), 0);
      ASSERT_TRUE(GetTextMetricsW(dc, &text));
      std::string name;
      for (const wchar_t* c = face; *c != L'\0'; ++c) {
        if (iswalnum(*c) && *c < 0x80) name.push_back(static_cast<char>(*c));
      }
      if (text.tmWeight >= 600) name.append(",Bold");
      EXPECT_EQ(document->postScriptName, name) << height << " " << weight;
      for (const std::uint32_t tag : {kOs2, kHmtx}) {
        const std::optional<Bytes> raster = GdiTable(dc, tag);
        ASSERT_TRUE(raster.has_value()) << name;
        EXPECT_EQ(SfntTable(document->program, tag), raster) << name << " table " << tag;
      }
      for (const char code : {'a', 'W', '%', '.'}) {
        INT advance = 0;
        ASSERT_TRUE(
            GetCharWidth32W(dc, static_cast<UINT>(code), static_cast<UINT>(code), &advance));
        EXPECT_EQ(
            document->pixelAdvances[static_cast<std::size_t>(code - canvas::kFirstDocumentCode)],
            advance)
            << name << " '" << code << "'";
      }
      SelectObject(dc, previous);
      DeleteDC(dc);
    }
  }
}

}  // namespace
}  // namespace trevalda
