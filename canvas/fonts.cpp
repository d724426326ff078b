// The font table, font selection and text output on the attached canvas.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "canvas/canvas.h"
#include "canvas/engine_internal.h"
#include "canvas/surface.h"
#include "canvas/text.h"
#include "text/utf8.h"

namespace trevalda {
namespace canvas {
namespace {

constexpr std::size_t kMaxFaceLength = 31;
constexpr std::int32_t kRegularWeight = 400;
constexpr std::int32_t kBoldWeight = 700;
constexpr std::uint8_t kFixedPitch = 1;
constexpr double kPointsPerInch = 72.0;

struct FontEntry {
  std::int32_t useCount = 0;                   // canvases that have the font selected
  std::shared_ptr<PlatformFont> platformFont;  // made on the first selection
  float size = 0;                              // points; negative when the size is a cell height
  FontDescription description;                 // height filled in with the platform font
  std::string face1252;                        // the face as registered, Windows-1252
};

struct FontTable {
  std::mutex lock;
  std::deque<FontEntry> entries;  // number n is entries[n - 1]; only appended
};

FontEntry MakeEntry(std::string_view face1252, float size, std::int32_t style, std::uint8_t charSet,
                    std::uint8_t pitchAndFamily, std::int32_t escapement) {
  FontEntry entry;
  entry.face1252 = std::string(face1252.substr(0, kMaxFaceLength));
  if (size == 0.0f) {
    size = 8.0f;
  }
  if ((style & kFontCellHeight) != 0) {
    size = -size;
  }
  entry.size = size;
  FontDescription& d = entry.description;
  d.escapement = escapement;
  d.orientation = escapement;
  d.weight = (style & kFontBold) != 0 ? kBoldWeight : kRegularWeight;
  d.italic = (style & kFontItalic) != 0;
  d.underline = (style & kFontUnderline) != 0;
  d.strikeOut = (style & kFontStrikeOut) != 0;
  d.charSet = charSet;
  d.pitchAndFamily = pitchAndFamily;
  d.face = entry.face1252;
  return entry;
}

// Built-in fonts 1 to 3, in use from the start. They are registered as they
// stand (font 2 keeps its size 0).
FontEntry BuiltIn(std::string_view face, float size, std::uint8_t pitchAndFamily) {
  FontEntry entry = MakeEntry(face, 1.0f, 0, 0, pitchAndFamily, 0);
  entry.size = size;
  entry.useCount = 1;
  return entry;
}

FontTable& Table() {
  static FontTable& table = []() -> FontTable& {
    auto* made = new FontTable;
    made->entries.push_back(BuiltIn("MS Sans Serif", 8.0f, 0));
    made->entries.push_back(BuiltIn("Lucida Console", 0.0f, kFixedPitch));
    made->entries.push_back(BuiltIn("Lucida Console", 11.0f, kFixedPitch));
    return *made;
  }();
  return table;
}

// Two registrations are the same font when the size and every field from
// the escapement to the face name match; height and width are not compared
// (the height is filled in later).
bool SameFont(const FontEntry& a, const FontEntry& b) {
  const FontDescription& x = a.description;
  const FontDescription& y = b.description;
  return std::bit_cast<std::uint32_t>(a.size) == std::bit_cast<std::uint32_t>(b.size) &&
         x.escapement == y.escapement && x.orientation == y.orientation && x.weight == y.weight &&
         x.italic == y.italic && x.underline == y.underline && x.strikeOut == y.strikeOut &&
         x.charSet == y.charSet && x.outPrecision == y.outPrecision &&
         x.clipPrecision == y.clipPrecision && x.quality == y.quality &&
         x.pitchAndFamily == y.pitchAndFamily && a.face1252 == b.face1252;
}

FontEntry* EntryLocked(FontTable& table, std::int32_t number) {
  if (number < 1 || static_cast<std::size_t>(number) > table.entries.size()) {
    return nullptr;
  }
  return &table.entries[static_cast<std::size_t>(number) - 1];
}

// Pixel height for a size in points at the canvas resolution: rounded halves
// to even. Font 1 on a new canvas takes the truncated quotient instead.
std::int32_t PixelHeight(float size, bool truncate) {
  const double exact = -(kCanvasDotsPerInch * static_cast<double>(size) / kPointsPerInch);
  if (truncate) {
    return RoundHalfEven(std::trunc(exact));
  }
  return RoundHalfEven(exact);
}

struct TextProblems {
  std::mutex lock;
  std::string first;
};

TextProblems& Problems() {
  static TextProblems& problems = *new TextProblems;
  return problems;
}

// Records a character of `text` that the canvas's font cannot draw.
void CheckGlyphs(const CanvasRecord& record, std::string_view text) {
  if (record.font == nullptr) return;  // DrawTextRun fails and says so
  const std::optional<char16_t> missing = record.font->MissingCharacter(text);
  if (!missing) return;
  char code[8];
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(*missing));
  const std::string family = record.font->FamilyName();
  RecordTextProblem("la fuente «" + (family.empty() ? std::string("?") : family) +
                    "» no tiene el carácter «" + Utf16ToUtf8(std::u16string(1, *missing)) + "» (" +
                    code +
                    "); hace falta una fuente con las letras del español, como "
                    "DejaVu Sans o Liberation Sans");
}

}  // namespace

void SelectCanvasFont(CanvasRecord& record, std::int32_t number, bool newCanvas) {
  if (number == 0) {
    number = 1;
  }
  FontTable& table = Table();
  std::shared_ptr<const PlatformFont> font;
  bool rotated = false;
  {
    std::lock_guard<std::mutex> lock(table.lock);
    FontEntry* entry = EntryLocked(table, number);
    if (entry == nullptr) {
      return;
    }
    if (entry->platformFont == nullptr) {
      FontDescription description = entry->description;
      description.height = PixelHeight(entry->size, newCanvas && number == 1);
      entry->platformFont = MakePlatformFont(description);
      if (entry->platformFont == nullptr) {
        RecordCanvasError(kErrorInvalidHandle);
        RecordTextProblem(
            "no hay ninguna fuente con la que escribir la página (hace falta una con las letras "
            "del español, como DejaVu Sans o Liberation Sans)");
        return;
      }
      entry->description.height = description.height;
    }
    font = entry->platformFont;
    rotated = entry->description.escapement != 0 || entry->description.orientation != 0;
  }

  const std::optional<FontMetrics> metrics = record.surface->SelectFont(font);
  if (!metrics) {
    RecordCanvasError(kErrorInvalidHandle);
    return;
  }
  {
    std::lock_guard<std::mutex> lock(table.lock);
    EntryLocked(table, number)->useCount += 1;
    if (FontEntry* previous = EntryLocked(table, record.fontNumber)) {
      previous->useCount -= 1;
    }
  }
  record.fontNumber = number;
  record.font = std::move(font);
  record.fontRotated = rotated;
  record.metrics = *metrics;
}

void RecordTextProblem(const std::string& reason) {
  TextProblems& problems = Problems();
  std::lock_guard<std::mutex> lock(problems.lock);
  if (problems.first.empty()) problems.first = reason;
}

}  // namespace canvas

std::string TakeTextProblem() {
  canvas::TextProblems& problems = canvas::Problems();
  std::lock_guard<std::mutex> lock(problems.lock);
  return std::exchange(problems.first, std::string());
}

std::int32_t NewFont(std::string_view face, float size, std::int32_t style, std::uint8_t charSet,
                     std::uint8_t pitchAndFamily, std::int32_t escapement) {
  canvas::FontTable& table = canvas::Table();
  try {
    canvas::FontEntry entry =
        canvas::MakeEntry(face, size, style, charSet, pitchAndFamily, escapement);
    std::lock_guard<std::mutex> lock(table.lock);
    for (std::size_t i = 0; i < table.entries.size(); ++i) {
      if (canvas::SameFont(table.entries[i], entry)) {
        return static_cast<std::int32_t>(i + 1);
      }
    }
    table.entries.push_back(std::move(entry));
    return static_cast<std::int32_t>(table.entries.size());
  } catch (const std::bad_alloc&) {
    canvas::RecordCanvasError(kErrorInvalidHandle);
    return 0;
  }
}

void SetFont(std::int32_t number) {
  canvas::WithAttachedCanvas(
      [&](canvas::CanvasRecord& c) { canvas::SelectCanvasFont(c, number, /*newCanvas=*/false); });
}

void PrintText(std::string_view text) {
  canvas::WithAttachedCanvas([&](canvas::CanvasRecord& c) {
    const std::int64_t lineStep =
        static_cast<std::int64_t>(c.metrics.lineHeight) + c.metrics.externalLeading;
    if (!text.empty()) {
      canvas::TextRun run;
      run.text = text;
      run.x = c.x;
      run.y = c.y;
      run.foreColor = static_cast<canvas::Rgb>(c.foreColor);
      if (c.backColor != kTransparent) {
        run.backColor = static_cast<canvas::Rgb>(c.backColor);
      }
      if (!c.fontRotated) {
        run.clip = canvas::PixelRect{c.x, c.y, c.width, canvas::SaturatingAdd(c.y, lineStep)};
      }
      canvas::CheckGlyphs(c, text);
      if (const std::optional<std::int32_t> advance = c.surface->DrawTextRun(run)) {
        c.x = canvas::SaturatingAdd(c.x, *advance);
      } else {
        canvas::RecordTextProblem("no se pudo escribir un texto de la página");
      }
    }
    // The line break: back to the left edge, one line further down.
    c.x = 0;
    c.y = canvas::SaturatingAdd(c.y, lineStep);
  });
}

std::int32_t TextWidth(std::string_view text) {
  std::int32_t width = 0;
  canvas::WithAttachedCanvas([&](canvas::CanvasRecord& c) {
    if (text.empty()) return;
    width = c.surface->MeasureText(text).value_or(0);
  });
  return width;
}

std::int32_t FontPixelHeight(std::int32_t number) {
  canvas::FontTable& table = canvas::Table();
  std::lock_guard<std::mutex> lock(table.lock);
  const canvas::FontEntry* entry = canvas::EntryLocked(table, number);
  return entry != nullptr && entry->platformFont != nullptr ? entry->description.height : 0;
}

std::string_view FontFace(std::int32_t number) {
  canvas::FontTable& table = canvas::Table();
  std::lock_guard<std::mutex> lock(table.lock);
  const canvas::FontEntry* entry = canvas::EntryLocked(table, number);
  // Entries are never removed or changed after registration, so the view
  // stays valid after the lock is released.
  return entry != nullptr ? std::string_view(entry->face1252) : std::string_view();
}

}  // namespace trevalda
