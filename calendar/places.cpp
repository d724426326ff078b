// The capitals of Spain's provinces, Ceuta and Melilla, and how a typed name
// finds them.
#include <array>
#include <cstddef>
#include <vector>

#include "calendar/almanac.h"

namespace trevalda {
namespace {

struct CapitalEntry {
  std::string_view name;
  double latitude;
  double longitude;
  SpanishTime zone;
  std::string_view alternatives;  // other names, separated by '|'
};

constexpr SpanishTime kPeninsula = SpanishTime::kPeninsula;
constexpr SpanishTime kCanary = SpanishTime::kCanary;

// City centres (the town hall or the main square), to about 0.01°.
constexpr std::array<CapitalEntry, 52> kCapitals = {{
    {"A Coruña", 43.3713, -8.3960, kPeninsula, "La Coruña|Coruña"},
    {"Albacete", 38.9943, -1.8585, kPeninsula, ""},
    {"Alicante", 38.3452, -0.4810, kPeninsula, "Alacant|Alicante/Alacant"},
    {"Almería", 36.8381, -2.4597, kPeninsula, ""},
    {"Ávila", 40.6564, -4.6814, kPeninsula, ""},
    {"Badajoz", 38.8794, -6.9707, kPeninsula, ""},
    {"Barcelona", 41.3825, 2.1769, kPeninsula, ""},
    {"Bilbao", 43.2630, -2.9350, kPeninsula, "Bilbo"},
    {"Burgos", 42.3408, -3.6997, kPeninsula, ""},
    {"Cáceres", 39.4753, -6.3724, kPeninsula, ""},
    {"Cádiz", 36.5298, -6.2923, kPeninsula, ""},
    {"Castellón de la Plana", 39.9860, -0.0377, kPeninsula,
     "Castellón|Castelló|Castelló de la Plana|Castellón de la Plana/Castelló de la Plana"},
    {"Ceuta", 35.8894, -5.3213, kPeninsula, ""},
    {"Ciudad Real", 38.9863, -3.9272, kPeninsula, ""},
    {"Córdoba", 37.8845, -4.7796, kPeninsula, ""},
    {"Cuenca", 40.0718, -2.1340, kPeninsula, ""},
    {"Girona", 41.9842, 2.8239, kPeninsula, "Gerona"},
    {"Granada", 37.1765, -3.5979, kPeninsula, ""},
    {"Guadalajara", 40.6337, -3.1667, kPeninsula, ""},
    {"Huelva", 37.2614, -6.9447, kPeninsula, ""},
    {"Huesca", 42.1362, -0.4087, kPeninsula, ""},
    {"Jaén", 37.7692, -3.7903, kPeninsula, ""},
    {"Las Palmas de Gran Canaria", 28.1000, -15.4139, kCanary, "Las Palmas"},
    {"León", 42.5987, -5.5671, kPeninsula, ""},
    {"Lleida", 41.6148, 0.6268, kPeninsula, "Lérida"},
    {"Logroño", 42.4650, -2.4456, kPeninsula, ""},
    {"Lugo", 43.0121, -7.5558, kPeninsula, ""},
    {"Madrid", 40.4167, -3.7033, kPeninsula, ""},
    {"Málaga", 36.7202, -4.4203, kPeninsula, ""},
    {"Melilla", 35.2923, -2.9381, kPeninsula, ""},
    {"Murcia", 37.9834, -1.1299, kPeninsula, ""},
    {"Ourense", 42.3364, -7.8633, kPeninsula, "Orense"},
    {"Oviedo", 43.3619, -5.8494, kPeninsula, "Uviéu"},
    {"Palencia", 42.0095, -4.5241, kPeninsula, ""},
    {"Palma", 39.5696, 2.6502, kPeninsula, "Palma de Mallorca"},
    {"Pamplona", 42.8169, -1.6432, kPeninsula, "Iruña|Iruñea|Pamplona/Iruña"},
    {"Pontevedra", 42.4310, -8.6444, kPeninsula, ""},
    {"Salamanca", 40.9650, -5.6640, kPeninsula, ""},
    {"San Sebastián", 43.3213, -1.9857, kPeninsula,
     "Donostia|Donostia-San Sebastián|Donostia/San Sebastián|San Sebastián-Donostia"},
    {"Santa Cruz de Tenerife", 28.4682, -16.2546, kCanary, "Santa Cruz"},
    {"Santander", 43.4623, -3.8099, kPeninsula, ""},
    {"Segovia", 40.9481, -4.1184, kPeninsula, ""},
    {"Sevilla", 37.3891, -5.9845, kPeninsula, ""},
    {"Soria", 41.7636, -2.4649, kPeninsula, ""},
    {"Tarragona", 41.1189, 1.2445, kPeninsula, ""},
    {"Teruel", 40.3441, -1.1069, kPeninsula, ""},
    {"Toledo", 39.8568, -4.0245, kPeninsula, ""},
    {"Valencia", 39.4697, -0.3774, kPeninsula, "València"},
    {"Valladolid", 41.6523, -4.7245, kPeninsula, ""},
    {"Vitoria-Gasteiz", 42.8467, -2.6716, kPeninsula, "Vitoria|Gasteiz"},
    {"Zamora", 41.5034, -5.7467, kPeninsula, ""},
    {"Zaragoza", 41.6563, -0.8765, kPeninsula, ""},
}};

constexpr std::size_t kMaxTypedBytes = 80;

// The base letter of U+00C0..U+00FF; '?' for a character that has none.
constexpr std::string_view kLatin1Base =
    "aaaaaa?ceeeeiiii?nooooo??uuuuy??"
    "aaaaaa?ceeeeiiii?nooooo??uuuuy?y";

// The name as compared: lower-case ASCII letters without accents, words
// separated by one space. Empty when the text cannot name a capital (not
// valid UTF-8, a letter outside Latin-1, too long).
std::string FoldName(std::string_view text) {
  if (text.size() > kMaxTypedBytes) return {};
  std::string folded;
  bool pendingSpace = false;
  const auto append = [&](char letter) {
    if (pendingSpace && !folded.empty()) folded += ' ';
    pendingSpace = false;
    folded += letter;
  };
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      ++i;
      if (byte == ' ' || byte == '-' || byte == '/' || byte == '\t') {
        pendingSpace = true;
      } else if (byte >= 'A' && byte <= 'Z') {
        append(static_cast<char>(byte - 'A' + 'a'));
      } else if (byte >= 0x20 && byte != 0x7F) {
        append(static_cast<char>(byte));
      } else {
        return {};
      }
      continue;
    }
    // Two-byte sequences only: Latin-1 letters and combining accents.
    if (i + 1 >= text.size() || (byte & 0xE0) != 0xC0) return {};
    const auto next = static_cast<unsigned char>(text[i + 1]);
    if ((next & 0xC0) != 0x80) return {};
    const unsigned codePoint = ((byte & 0x1Fu) << 6) | (next & 0x3Fu);
    i += 2;
    if (codePoint >= 0x300 && codePoint <= 0x36F) continue;  // combining accent
    if (codePoint < 0xC0 || codePoint > 0xFF) return {};
    const char base = kLatin1Base[codePoint - 0xC0];
    if (base == '?') return {};
    append(base);
  }
  return folded;
}

}  // namespace

std::span<const Place> SpanishCapitals() {
  static const std::array<Place, kCapitals.size()> places = [] {
    std::array<Place, kCapitals.size()> result;
    for (std::size_t i = 0; i < kCapitals.size(); ++i) {
      const CapitalEntry& entry = kCapitals[i];
      result[i] = Place{std::string(entry.name), {entry.latitude, entry.longitude}, entry.zone};
    }
    return result;
  }();
  return places;
}

std::optional<Place> FindPlace(std::string_view typed) {
  // Every name and alternative of every capital, folded once.
  struct Key {
    std::string folded;
    std::size_t capital;
  };
  static const std::vector<Key> keys = [] {
    std::vector<Key> result;
    for (std::size_t i = 0; i < kCapitals.size(); ++i) {
      result.push_back({FoldName(kCapitals[i].name), i});
      std::string_view rest = kCapitals[i].alternatives;
      while (!rest.empty()) {
        const std::size_t bar = rest.find('|');
        result.push_back({FoldName(rest.substr(0, bar)), i});
        rest = bar == std::string_view::npos ? std::string_view() : rest.substr(bar + 1);
      }
    }
    return result;
  }();
  const std::string folded = FoldName(typed);
  if (folded.empty()) return std::nullopt;
  for (const Key& key : keys) {
    if (key.folded == folded) return SpanishCapitals()[key.capital];
  }
  return std::nullopt;
}

}  // namespace trevalda
