// PNG pages through libpng (the library Cairo itself writes PNG with),
// called directly so the encoder can be tuned for pages: mostly white, with
// long horizontal lines. The "up" filter and a fast zlib level make a page
// in a few milliseconds where libpng's default adaptive filtering takes
// about twenty, and the file stays small.
#include <png.h>

#include <csetjmp>
#include <new>

#include "canvas/png_file.h"

namespace trevalda {
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

// libpng reports errors by longjmp; the rows are prepared before any libpng
// call so nothing with a destructor lives across the jump.
bool Encode(const Bitmap24& bitmap, std::vector<png_bytep>& rowPointers,
            std::vector<std::uint8_t>& out) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, &out, AppendToVector, NoFlush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(bitmap.width),
               static_cast<png_uint_32>(bitmap.height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
  png_set_compression_level(png, kZlibLevel);
  png_set_bgr(png);  // the bitmap rows are blue-green-red
  png_set_rows(png, info, rowPointers.data());
  png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

std::vector<std::uint8_t> EncodePngFile(const Bitmap24& bitmap) {
  if (bitmap.width < 1 || bitmap.height < 1 || bitmap.stride < bitmap.width * 3 ||
      bitmap.rows.size() <
          static_cast<std::size_t>(bitmap.stride) * static_cast<std::size_t>(bitmap.height)) {
    return {};
  }
  // PNG rows run top to bottom; the bitmap's bottom to top.
  std::vector<png_bytep> rowPointers(static_cast<std::size_t>(bitmap.height));
  auto* rows = const_cast<std::uint8_t*>(bitmap.rows.data());  // libpng only reads them
  for (std::int32_t y = 0; y < bitmap.height; ++y) {
    rowPointers[static_cast<std::size_t>(y)] =
        rows +
        static_cast<std::size_t>(bitmap.height - 1 - y) * static_cast<std::size_t>(bitmap.stride);
  }
  std::vector<std::uint8_t> png;
  png.reserve(64 * 1024);
  if (!Encode(bitmap, rowPointers, png)) return {};
  return png;
}

}  // namespace trevalda
