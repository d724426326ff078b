// Platforms without Cairo have no PNG encoder here: the BMP file is their
// page format.
#include "canvas/png_file.h"

namespace trevalda {

std::vector<std::uint8_t> EncodePngFile(const Bitmap24&) { return {}; }

SaveResult SaveCanvasPng(const std::filesystem::path& fileName) {
  SaveResult result;
  result.status = fileName.empty() ? SaveStatus::kNothingToSave : SaveStatus::kFailed;
  result.error = std::make_error_code(std::errc::not_supported);
  result.step = "codificar";
  return result;
}

}  // namespace trevalda
