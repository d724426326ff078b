// Linux: the zones are the system's zoneinfo files, read when asked for.
#include <fstream>

#include "agenda/zone_data.h"

namespace trevalda::zone_data {

std::optional<std::string> ReadZoneFile(std::string_view name) {
  std::string path = "/usr/share/zoneinfo/";
  path.append(name);
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::string bytes(kMaxZoneFileBytes + 1, '\0');
  file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  const auto count = static_cast<std::size_t>(file.gcount());
  if (count == 0 || count > kMaxZoneFileBytes || file.bad()) return std::nullopt;
  bytes.resize(count);
  return bytes;
}

}  // namespace trevalda::zone_data
