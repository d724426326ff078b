// Rebuilds a face's TrueType tables into the small stand-alone font a
// document embeds: the outlines of the Windows-1252 glyphs only, a cmap for
// those characters, and no glyph names, layout or naming tables.
#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "canvas/document_font.h"
#include "text/cp1252.h"

namespace trevalda::canvas {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t Tag(std::string_view t) {
  std::uint32_t tag = 0;
  for (char c : t.substr(0, 4)) tag = (tag << 8) | static_cast<unsigned char>(c);
  return tag;
}

std::uint32_t U16(const Bytes& b, std::size_t at) {
  return at + 2 <= b.size() ? (static_cast<std::uint32_t>(b[at]) << 8) | b[at + 1] : 0;
}

std::uint32_t U32(const Bytes& b, std::size_t at) { return (U16(b, at) << 16) | U16(b, at + 2); }

void Put16(Bytes& b, std::uint32_t v) {
  b.push_back(static_cast<std::uint8_t>(v >> 8));
  b.push_back(static_cast<std::uint8_t>(v));
}

void Put32(Bytes& b, std::uint32_t v) {
  Put16(b, v >> 16);
  Put16(b, v & 0xFFFFu);
}

// The binary-search fields of a TrueType table of `count` entries, each
// `size` bytes: searchRange (the largest power of two not above `count`,
// times `size`), entrySelector (its log2) and rangeShift.
void PutSearchFields(Bytes& b, std::uint32_t count, std::uint32_t size) {
  std::uint32_t power = 1;
  std::uint32_t log = 0;
  while (power * 2 <= count) {
    power *= 2;
    ++log;
  }
  Put16(b, power * size);
  Put16(b, log);
  Put16(b, count * size - power * size);
}

void Set16(Bytes& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<std::uint8_t>(v >> 8);
  b[at + 1] = static_cast<std::uint8_t>(v);
}

void Set32(Bytes& b, std::size_t at, std::uint32_t v) {
  Set16(b, at, v >> 16);
  Set16(b, at + 2, v & 0xFFFFu);
}

std::uint32_t Checksum(const Bytes& b) {
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < b.size(); i += 4) {
    std::uint32_t word = 0;
    for (std::size_t k = 0; k < 4; ++k) {
      word = (word << 8) | (i + k < b.size() ? b[i + k] : 0);
    }
    sum += word;
  }
  return sum;
}

// Composite glyph flags.
constexpr std::uint32_t kArgsAreWords = 0x0001;
constexpr std::uint32_t kHaveScale = 0x0008;
constexpr std::uint32_t kMoreComponents = 0x0020;
constexpr std::uint32_t kXAndYScale = 0x0040;
constexpr std::uint32_t kTwoByTwo = 0x0080;

// The glyphs a composite glyph is made of.
void AddComponents(const Bytes& glyph, std::vector<std::uint16_t>& out) {
  if (glyph.size() < 10 || static_cast<std::int16_t>(U16(glyph, 0)) >= 0) return;
  std::size_t at = 10;
  std::uint32_t flags = kMoreComponents;
  while ((flags & kMoreComponents) != 0 && at + 4 <= glyph.size()) {
    flags = U16(glyph, at);
    out.push_back(static_cast<std::uint16_t>(U16(glyph, at + 2)));
    at += 4 + ((flags & kArgsAreWords) != 0 ? 4 : 2);
    if ((flags & kHaveScale) != 0) at += 2;
    if ((flags & kXAndYScale) != 0) at += 4;
    if ((flags & kTwoByTwo) != 0) at += 8;
  }
}

// A format 4 cmap (Windows, Unicode BMP) with one segment per character.
Bytes MakeCmap(const CodeGlyphs& codes) {
  std::map<std::uint16_t, std::uint16_t> map;  // character -> glyph, sorted
  for (int i = 0; i < kDocumentCodes; ++i) {
    if (codes[static_cast<std::size_t>(i)] == 0) continue;
    const std::string code(1, static_cast<char>(kFirstDocumentCode + i));
    const std::u16string unicode = Cp1252ToUtf16(code);
    if (unicode.size() == 1) map.emplace(unicode[0], codes[static_cast<std::size_t>(i)]);
  }
  const auto segments = static_cast<std::uint32_t>(map.size() + 1);  // and the 0xFFFF end
  Bytes sub;
  Put16(sub, 4);
  Put16(sub, 16 + segments * 8);
  Put16(sub, 0);  // language
  Put16(sub, segments * 2);
  PutSearchFields(sub, segments, 2);
  for (const auto& [c, g] : map) Put16(sub, c);
  Put16(sub, 0xFFFF);
  Put16(sub, 0);  // reserved pad
  for (const auto& [c, g] : map) Put16(sub, c);
  Put16(sub, 0xFFFF);
  for (const auto& [c, g] : map) Put16(sub, (g - c) & 0xFFFFu);
  Put16(sub, 1);
  for (std::uint32_t i = 0; i < segments; ++i) Put16(sub, 0);  // idRangeOffset
  Bytes cmap;
  Put16(cmap, 0);
  Put16(cmap, 1);
  Put16(cmap, 3);  // Windows
  Put16(cmap, 1);  // Unicode BMP
  Put32(cmap, 12);
  cmap.insert(cmap.end(), sub.begin(), sub.end());
  return cmap;
}

// The glyph outlines of a font: `glyf` cut at the offsets of `loca`.
class GlyphOutlines {
 public:
  GlyphOutlines(const Bytes& loca, const Bytes& glyf, bool longOffsets)
      : loca_(loca), glyf_(glyf), longOffsets_(longOffsets) {}

  // Glyph i's outline; empty for a glyph without one or out of bounds.
  Bytes Outline(std::uint32_t i) const {
    const std::size_t start = Offset(i);
    const std::size_t end = Offset(i + 1);
    if (start >= end || end > glyf_.size()) return {};
    return Bytes(glyf_.begin() + static_cast<std::ptrdiff_t>(start),
                 glyf_.begin() + static_cast<std::ptrdiff_t>(end));
  }

 private:
  std::size_t Offset(std::uint32_t i) const {
    return longOffsets_ ? U32(loca_, i * 4) : U16(loca_, i * 2) * 2u;
  }

  const Bytes& loca_;
  const Bytes& glyf_;
  bool longOffsets_;
};

// The subset's glyf and loca (long offsets): glyph 0, the codes' glyphs
// and, repeatedly, their components keep their outlines; every other glyph
// is empty, so the glyph numbers stay as they are.
void SubsetGlyphs(const GlyphOutlines& outlines, std::uint32_t glyphCount, const CodeGlyphs& codes,
                  Bytes& glyf, Bytes& loca) {
  std::set<std::uint16_t> kept;
  std::vector<std::uint16_t> pending(codes.begin(), codes.end());
  pending.push_back(0);
  while (!pending.empty()) {
    const std::uint16_t g = pending.back();
    pending.pop_back();
    if (g >= glyphCount || !kept.insert(g).second) continue;
    AddComponents(outlines.Outline(g), pending);
  }
  for (std::uint32_t i = 0; i < glyphCount; ++i) {
    Put32(loca, static_cast<std::uint32_t>(glyf.size()));
    if (kept.count(static_cast<std::uint16_t>(i)) == 0) continue;
    const Bytes g = outlines.Outline(i);
    glyf.insert(glyf.end(), g.begin(), g.end());
    while (glyf.size() % 4 != 0) glyf.push_back(0);
  }
  Put32(loca, static_cast<std::uint32_t>(glyf.size()));
}

// The font file: the table directory, then the tables in tag order, each
// padded to four bytes, and the head table's checksum adjustment.
Bytes AssembleFont(const std::map<std::uint32_t, Bytes>& tables) {
  const auto count = static_cast<std::uint32_t>(tables.size());
  Bytes font;
  Put32(font, 0x00010000);
  Put16(font, count);
  PutSearchFields(font, count, 16);
  std::size_t at = 12 + 16 * static_cast<std::size_t>(count);
  for (const auto& [tag, table] : tables) {
    Put32(font, tag);
    Put32(font, Checksum(table));
    Put32(font, static_cast<std::uint32_t>(at));
    Put32(font, static_cast<std::uint32_t>(table.size()));
    at += (table.size() + 3) / 4 * 4;
  }
  std::size_t headAt = 0;
  for (const auto& [tag, table] : tables) {
    if (tag == Tag("head")) headAt = font.size();
    font.insert(font.end(), table.begin(), table.end());
    while (font.size() % 4 != 0) font.push_back(0);
  }
  Set32(font, headAt + 8, 0xB1B0AFBAu - Checksum(font));
  return font;
}

}  // namespace

std::optional<Bytes> BuildEmbeddedTrueType(const FontTableReader& read, const CodeGlyphs& codes) {
  std::optional<Bytes> head = read(Tag("head"));
  std::optional<Bytes> maxp = read(Tag("maxp"));
  std::optional<Bytes> loca = read(Tag("loca"));
  std::optional<Bytes> glyf = read(Tag("glyf"));
  std::optional<Bytes> hhea = read(Tag("hhea"));
  std::optional<Bytes> hmtx = read(Tag("hmtx"));
  if (!head || !maxp || !loca || !glyf || !hhea || !hmtx || head->size() < 54 || maxp->size() < 6 ||
      hhea->size() < 36) {
    return std::nullopt;
  }
  const std::uint32_t glyphCount = U16(*maxp, 4);
  const bool longOffsets = U16(*head, 50) != 0;
  if (loca->size() < (glyphCount + 1) * (longOffsets ? 4u : 2u)) return std::nullopt;
  Bytes newGlyf;
  Bytes newLoca;
  SubsetGlyphs(GlyphOutlines(*loca, *glyf, longOffsets), glyphCount, codes, newGlyf, newLoca);
  Set16(*head, 50, 1);  // long loca offsets
  Set32(*head, 8, 0);   // checksum adjustment, set by AssembleFont

  std::map<std::uint32_t, Bytes> tables;
  tables[Tag("head")] = std::move(*head);
  tables[Tag("hhea")] = std::move(*hhea);
  tables[Tag("maxp")] = std::move(*maxp);
  tables[Tag("hmtx")] = std::move(*hmtx);
  tables[Tag("loca")] = std::move(newLoca);
  tables[Tag("glyf")] = std::move(newGlyf);
  tables[Tag("cmap")] = MakeCmap(codes);
  for (const std::string_view name : {"cvt ", "fpgm", "prep", "OS/2"}) {
    const std::uint32_t tag = Tag(name);
    if (std::optional<Bytes> table = read(tag)) tables[tag] = std::move(*table);
  }
  if (std::optional<Bytes> post = read(Tag("post")); post && post->size() >= 32) {
    post->resize(32);
    Set32(*post, 0, 0x00030000);  // version 3: no glyph names
    tables[Tag("post")] = std::move(*post);
  }
  return AssembleFont(tables);
}

}  // namespace trevalda::canvas
