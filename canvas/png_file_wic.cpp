// PNG pages through the Windows Imaging Component, the PNG encoder built
// into Windows (and implemented by Wine). The rows go to the encoder as
// 24-bit blue-green-red, the layout of the bitmap, and come out as 8-bit
// RGB PNG: the same pixels as the BMP file.
#include "canvas/png_encoder.h"

#include "text/windows_api.h"

#include <objbase.h>
#include <wincodec.h>

#include <cstdint>
#include <new>
#include <vector>

namespace trevalda::canvas {
namespace {

// Releases a COM interface when it goes out of scope.
template <typename T>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() {
    if (p_ != nullptr) p_->Release();
  }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  T** put() { return &p_; }

 private:
  T* p_ = nullptr;
};

// COM for the calling thread, for as long as the encoding lasts. A thread
// that already runs COM in another apartment (a dialog's thread) keeps it.
class ComScope {
 public:
  ComScope() : result_(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  bool Usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

 private:
  HRESULT result_;
};

// Asks the encoder for the "up" row filter, which suits the page's long
// horizontal lines; an encoder that does not know the option keeps its own.
void PreferUpFilter(IPropertyBag2* options) {
  if (options == nullptr) return;
  PROPBAG2 name{};
  name.pstrName = const_cast<LPOLESTR>(L"FilterOption");
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_UI1;
  value.bVal = WICPngFilterUp;
  options->Write(1, &name, &value);
}

}  // namespace

bool EncodePngWithPlatform(std::int32_t width, std::int32_t height, const PngRowSource& rows,
                           std::vector<std::uint8_t>& row, std::vector<std::uint8_t>& out) {
  ComScope com;
  if (!com.Usable()) return false;
  ComRef<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IWICImagingFactory, reinterpret_cast<void**>(factory.put())))) {
    return false;
  }
  ComRef<IStream> stream;
  ComRef<IWICBitmapEncoder> encoder;
  ComRef<IWICBitmapFrameEncode> frame;
  ComRef<IPropertyBag2> options;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.put())) ||
      FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.put())) ||
      FAILED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache)) ||
      FAILED(encoder->CreateNewFrame(frame.put(), options.put()))) {
    return false;
  }
  PreferUpFilter(options.get());
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  if (FAILED(frame->Initialize(options.get())) ||
      FAILED(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height))) ||
      FAILED(frame->SetResolution(kPngDotsPerInch, kPngDotsPerInch)) ||
      FAILED(frame->SetPixelFormat(&format)) || !IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) {
    return false;  // an encoder that would convert the pixels is not used
  }
  // The rows in the encoder's own blue-green-red order, top to bottom.
  const auto rowBytes = static_cast<UINT>(row.size());
  for (std::int32_t y = 0; y < height; ++y) {
    if (!rows(y, PixelOrder::kBgr, row.data()) ||
        FAILED(frame->WritePixels(1, rowBytes, rowBytes, row.data()))) {
      return false;
    }
  }
  if (FAILED(frame->Commit()) || FAILED(encoder->Commit())) return false;

  STATSTG stat{};
  if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) || stat.cbSize.QuadPart == 0 ||
      stat.cbSize.QuadPart > 0x7FFFFFFF) {
    return false;
  }
  const auto size = static_cast<ULONG>(stat.cbSize.QuadPart);
  try {
    out.resize(size);
  } catch (const std::bad_alloc&) {
    return false;
  }
  LARGE_INTEGER start{};
  ULONG read = 0;
  return SUCCEEDED(stream->Seek(start, STREAM_SEEK_SET, nullptr)) &&
         SUCCEEDED(stream->Read(out.data(), size, &read)) && read == size;
}

}  // namespace trevalda::canvas
