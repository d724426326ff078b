// Saving the attached canvas as PNG: the raster copied out, encoded by the
// platform's PNG encoder (png_file_libpng.cpp, png_file_wic.cpp) and saved
// the safe way.
#include "canvas/png_file.h"

#include <system_error>

namespace trevalda {

SaveResult SaveCanvasPng(const std::filesystem::path& fileName) {
  SaveResult result;
  result.status = SaveStatus::kNothingToSave;
  if (fileName.empty()) {
    return result;
  }
  Bitmap24 bitmap;
  if (!CopyCanvasBitmap(bitmap)) {
    return result;
  }
  result.status = SaveStatus::kFailed;
  const std::vector<std::uint8_t> png = EncodePngFile(bitmap);
  if (png.empty()) {
    result.error = std::make_error_code(std::errc::not_enough_memory);
    result.step = "codificar";
    return result;
  }
  return SaveFileBytes(fileName, png);
}

}  // namespace trevalda
