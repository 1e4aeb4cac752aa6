#include "tests/win/picture_encoder.h"

#include <objbase.h>
#include <wincodec.h>

#include <algorithm>

namespace testsupport {

namespace {

template <typename T>
struct Com {
  T* p = nullptr;
  ~Com() {
    if (p) p->Release();
  }
  T** operator&() { return &p; }
  T* operator->() const { return p; }
};

struct ComSession {
  HRESULT status = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  ~ComSession() {
    if (SUCCEEDED(status)) CoUninitialize();
  }
};

void Put16(std::string& bytes, uint32_t v) { bytes.append({char(v), char(v >> 8)}); }
void Put32(std::string& bytes, uint32_t v) {
  bytes.append({char(v), char(v >> 8), char(v >> 16), char(v >> 24)});
}

// Rows of `format`'s bytes for WritePixels.
std::vector<BYTE> Pixels(const GUID& format, int width, int height, const Paint& paint,
                         const std::vector<Rgba>& palette, UINT& stride) {
  const int bytes_a_pixel = format == GUID_WICPixelFormat32bppBGRA  ? 4
                            : format == GUID_WICPixelFormat24bppBGR ? 3
                                                                    : 1;
  stride = static_cast<UINT>((width * bytes_a_pixel + 3) / 4 * 4);
  std::vector<BYTE> pixels(static_cast<size_t>(stride) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const Rgba c = paint(x, y);
      BYTE* p = &pixels[static_cast<size_t>(y) * stride + static_cast<size_t>(x) * bytes_a_pixel];
      if (bytes_a_pixel == 1) {
        const auto at = std::find_if(palette.begin(), palette.end(), [&](const Rgba& q) {
          return q.r == c.r && q.g == c.g && q.b == c.b && q.a == c.a;
        });
        *p = static_cast<BYTE>(at - palette.begin());
        continue;
      }
      p[0] = c.b;
      p[1] = c.g;
      p[2] = c.r;
      if (bytes_a_pixel == 4) p[3] = c.a;
    }
  return pixels;
}

}  // namespace

std::string EncodePicture(const GUID& container, const GUID& pixel_format, int width, int height,
                          const Paint& paint, const std::vector<Rgba>& palette) {
  ComSession com;
  Com<IWICImagingFactory> factory;
  Com<IStream> stream;
  Com<IWICBitmapEncoder> encoder;
  Com<IWICBitmapFrameEncode> frame;
  Com<IPropertyBag2> options;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_PPV_ARGS(&factory))) ||
      FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)) ||
      FAILED(factory->CreateEncoder(container, nullptr, &encoder)) ||
      FAILED(encoder->Initialize(stream.p, WICBitmapEncoderNoCache)) ||
      FAILED(encoder->CreateNewFrame(&frame, &options)) || FAILED(frame->Initialize(options.p)) ||
      FAILED(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height))))
    return {};
  if (!palette.empty()) {
    Com<IWICPalette> colours;
    std::vector<WICColor> argb;
    for (const Rgba& c : palette)
      argb.push_back(WICColor{c.a} << 24 | WICColor{c.r} << 16 | WICColor{c.g} << 8 | c.b);
    if (FAILED(factory->CreatePalette(&colours)) ||
        FAILED(colours->InitializeCustom(argb.data(), static_cast<UINT>(argb.size()))) ||
        FAILED(frame->SetPalette(colours.p)))
      return {};
  }
  GUID format = pixel_format;
  if (FAILED(frame->SetPixelFormat(&format)) || format != pixel_format) return {};
  UINT stride = 0;
  std::vector<BYTE> pixels = Pixels(format, width, height, paint, palette, stride);
  if (FAILED(frame->WritePixels(static_cast<UINT>(height), stride, static_cast<UINT>(pixels.size()),
                                pixels.data())) ||
      FAILED(frame->Commit()) || FAILED(encoder->Commit()))
    return {};
  HGLOBAL memory = nullptr;
  STATSTG stat{};
  if (FAILED(GetHGlobalFromStream(stream.p, &memory)) ||
      FAILED(stream->Stat(&stat, STATFLAG_NONAME)))
    return {};
  const char* data = static_cast<const char*>(GlobalLock(memory));
  std::string bytes(data, static_cast<size_t>(stat.cbSize.QuadPart));
  GlobalUnlock(memory);
  return bytes;
}

std::string EncodeIcon(const std::vector<IconFrame>& frames) {
  std::string head, images;
  Put16(head, 0);
  Put16(head, 1);  // an icon
  Put16(head, static_cast<uint32_t>(frames.size()));
  const uint32_t first_image = static_cast<uint32_t>(6 + 16 * frames.size());
  for (const IconFrame& frame : frames) {
    const int side = frame.side;
    const uint32_t mask_stride = static_cast<uint32_t>((side + 31) / 32 * 4);
    std::string image;
    Put32(image, 40);
    Put32(image, static_cast<uint32_t>(side));
    Put32(image, static_cast<uint32_t>(side * 2));  // the colours, then the mask
    Put16(image, 1);
    Put16(image, 32);
    for (int i = 0; i < 6; ++i) Put32(image, 0);
    for (int y = side - 1; y >= 0; --y)
      for (int x = 0; x < side; ++x) {
        const Rgba c = frame.paint(x, y);
        image.append({char(c.b), char(c.g), char(c.r), char(c.a)});
      }
    image.append(mask_stride * static_cast<uint32_t>(side), '\0');  // alpha decides
    head += char(side == 256 ? 0 : side);
    head += char(side == 256 ? 0 : side);
    head += '\0';  // no palette
    head += '\0';
    Put16(head, 1);
    Put16(head, 32);
    Put32(head, static_cast<uint32_t>(image.size()));
    Put32(head, first_image + static_cast<uint32_t>(images.size()));
    images += image;
  }
  return head + images;
}

}  // namespace testsupport
