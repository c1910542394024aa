// PNG images on Windows through the Windows Imaging Component: icons holding
// PNG images are decoded, and bitmaps are written as PNG files (the picture
// checks and screenshots of the tests).
#include "platform/gui/backend.h"
// windows.h last: its macros would rename the framework's declarations.
#include <windows.h>
#include <wincodec.h>

#include <cstring>
#include <vector>

namespace vexaro::gui::native {
namespace {

// Images larger than this a side are refused (icons are at most 256).
constexpr UINT kMaxDecodedSide = 1024;

// COM for the calling thread, released at the end of the call when it was
// this call that started it.
struct ComScope {
  HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  ~ComScope() {
    if (SUCCEEDED(hr)) CoUninitialize();
  }
};

template <typename T>
struct Com {
  T* p = nullptr;
  ~Com() {
    if (p) p->Release();
  }
  T** operator&() { return &p; }
  T* operator->() const { return p; }
};

bool Factory(Com<IWICImagingFactory>& factory) {
  return SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_IWICImagingFactory, reinterpret_cast<void**>(&factory)));
}

bool Fail(std::string* error, const std::string& text) {
  if (error) *error = text;
  return false;
}

bool DecodeFrame(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame, Bitmap*& out,
                 std::string* error) {
  UINT w = 0;
  UINT h = 0;
  if (FAILED(frame->GetSize(&w, &h)) || w == 0 || h == 0) return Fail(error, "PNG image without size");
  if (w > kMaxDecodedSide || h > kMaxDecodedSide) return Fail(error, "PNG image too large");
  Com<IWICBitmapSource> bgra;
  if (FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame, &bgra)))
    return Fail(error, "PNG image cannot be converted to 32-bit pixels");
  auto* bmp = new Bitmap(static_cast<int>(w), static_cast<int>(h));
  bmp->hasAlpha = true;
  const UINT stride = w * 4;
  if (FAILED(bgra->CopyPixels(nullptr, stride, stride * h, reinterpret_cast<BYTE*>(bmp->Bits())))) {
    delete bmp;
    return Fail(error, "PNG image data is damaged");
  }
  (void)factory;
  out = bmp;
  return true;
}

}  // namespace

bool DecodePng(const unsigned char* data, std::size_t size, Bitmap*& out, std::string* error) {
  if (data == nullptr || size == 0 || size > 0x7FFFFFFF) return Fail(error, "PNG image of no size");
  ComScope com;
  Com<IWICImagingFactory> factory;
  Com<IWICStream> stream;
  Com<IWICBitmapDecoder> decoder;
  Com<IWICBitmapFrameDecode> frame;
  if (!Factory(factory) || FAILED(factory->CreateStream(&stream)) ||
      FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(data), static_cast<DWORD>(size))))
    return Fail(error, "the Windows Imaging Component is not available");
  if (FAILED(factory->CreateDecoderFromStream(stream.p, nullptr, WICDecodeMetadataCacheOnDemand, &decoder)) ||
      FAILED(decoder->GetFrame(0, &frame)))
    return Fail(error, "not a readable PNG image");
  return DecodeFrame(factory.p, frame.p, out, error);
}

bool WritePngFile(const Bitmap& bmp, const std::string& path, std::string* error) {
  if (bmp.width <= 0 || bmp.height <= 0) return Fail(error, path + ": empty bitmap");
  std::vector<std::uint32_t> rows = PixelsForFile(bmp);
  std::wstring wide(path.size() + 1, L'\0');
  const int n = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
  if (n <= 0) return Fail(error, path + ": not a valid file name");
  ComScope com;
  Com<IWICImagingFactory> factory;
  Com<IWICStream> stream;
  Com<IWICBitmapEncoder> encoder;
  Com<IWICBitmapFrameEncode> frame;
  WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
  const UINT stride = static_cast<UINT>(bmp.width) * 4;
  const bool written =
      Factory(factory) && SUCCEEDED(factory->CreateStream(&stream)) &&
      SUCCEEDED(stream->InitializeFromFilename(wide.c_str(), GENERIC_WRITE)) &&
      SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
      SUCCEEDED(encoder->Initialize(stream.p, WICBitmapEncoderNoCache)) &&
      SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
      SUCCEEDED(frame->SetSize(static_cast<UINT>(bmp.width), static_cast<UINT>(bmp.height))) &&
      SUCCEEDED(frame->SetPixelFormat(&format)) && IsEqualGUID(format, GUID_WICPixelFormat32bppBGRA) &&
      SUCCEEDED(frame->WritePixels(static_cast<UINT>(bmp.height), stride, stride * static_cast<UINT>(bmp.height),
                                   reinterpret_cast<BYTE*>(rows.data()))) &&
      SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
  return written || Fail(error, path + ": cannot write the PNG file");
}

}  // namespace vexaro::gui::native
