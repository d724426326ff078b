// PNG pages through libpng (the library Cairo itself writes PNG with),
// called directly so the encoder can be tuned for pages: mostly white, with
// long horizontal lines. The "up" filter and a fast zlib level make a page
// in a few milliseconds where libpng's default adaptive filtering takes
// about twenty, and the file stays small.
#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <new>
#include <vector>

#include "canvas/png_encoder.h"

namespace trevalda::canvas {
namespace {

constexpr int kZlibLevel = 3;

void AppendToVector(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
  try {
    out->insert(out->end(), data, data + length);
  } catch (const std::bad_alloc&) {
    png_error(png, "out of memory");
  }
}

void NoFlush(png_structp) {}

}  // namespace

// libpng reports errors by longjmp; the row buffer is made before any
// libpng call so nothing with a destructor is created across the jump.
bool EncodePngWithPlatform(std::int32_t width, std::int32_t height, const PngRowSource& rows,
                           std::vector<std::uint8_t>& row, std::vector<std::uint8_t>& out) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, &out, AppendToVector, NoFlush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_set_pHYs(png, info, kPngPixelsPerMetre, kPngPixelsPerMetre, PNG_RESOLUTION_METER);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
  png_set_compression_level(png, kZlibLevel);
  png_write_info(png, info);
  // The rows come in the file's own red-green-blue order: libpng need not
  // reorder them.
  for (std::int32_t y = 0; y < height; ++y) {
    if (!rows(y, PixelOrder::kRgb, row.data())) {
      png_destroy_write_struct(&png, &info);
      return false;
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace trevalda::canvas
