#include "face/face_bitmap.h"

#include <algorithm>
#include <mutex>
#include <new>
#include <optional>
#include <vector>

#include "base/dib.h"
#include "base/trace.h"
#include "base/win_handles.h"
#include "face/xface_codec.h"

namespace vizmark {

namespace {

constexpr std::size_t kFaceStride = 8;  // 48 bits rounded up to whole 32-bit words

struct FaceBitmapState {
  // Both conversions write FaceBitmap and run the codec: one at a time, whatever thread
  // the host runs its macros on.
  std::mutex lock;
  UniqueHbitmap handle;
  uint8_t* bits = nullptr;
};

FaceBitmapState& Face() {
  static FaceBitmapState state;
  return state;
}

}  // namespace

HBITMAP CreateFaceBitmap(void** bits) {
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colours[2];
  } info{};
  info.header = TopDownDibHeader(kFaceSide, kFaceSide, 1);
  info.header.biClrUsed = 2;
  info.header.biClrImportant = 2;
  info.colours[0] = {255, 255, 255, 0};  // white
  info.colours[1] = {0, 0, 0, 0};        // black
  return CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, bits,
                          nullptr, 0);
}

bool InitFaceBitmap() {
  FaceBitmapState& face = Face();
  std::lock_guard<std::mutex> guard(face.lock);
  if (face.handle) return true;
  void* bits = nullptr;
  face.handle.reset(CreateFaceBitmap(&bits));
  if (!face.handle || bits == nullptr) {
    face.handle.reset();
    return false;
  }
  face.bits = static_cast<uint8_t*>(bits);
  return true;
}

namespace {

// The picture's pixels as PictureToFace takes them: R, G, B, A, rows from the top, every one
// opaque (a section's fourth byte is no alpha to GDI). None when the picture has no section
// of 32 bits a pixel, or the copy cannot be made.
std::optional<std::vector<uint8_t>> OpaqueRgba(const Picture& source) {
  DIBSECTION section{};
  if (source.Empty() ||
      GetObjectW(source.Handle(), sizeof section, &section) != static_cast<int>(sizeof section) ||
      section.dsBm.bmBits == nullptr || section.dsBm.bmBitsPixel != 32 ||
      section.dsBm.bmWidth != source.Width() || section.dsBm.bmHeight != source.Height())
    return std::nullopt;
  GdiFlush();
  const std::size_t pixels =
      static_cast<std::size_t>(source.Width()) * static_cast<std::size_t>(source.Height());
  std::vector<uint8_t> rgba;
  try {
    rgba.resize(pixels * 4);
  } catch (const std::bad_alloc&) {
    Trace(L"no memory for a picture's pixels");
    return std::nullopt;
  }
  // A section made by Picture is top-down, so its rows are in order and 4 bytes a pixel
  // leaves no padding.
  const auto* bgrx = static_cast<const uint8_t*>(section.dsBm.bmBits);
  for (std::size_t i = 0; i < pixels * 4; i += 4) {
    rgba[i] = bgrx[i + 2];
    rgba[i + 1] = bgrx[i + 1];
    rgba[i + 2] = bgrx[i];
    rgba[i + 3] = 255;
  }
  return rgba;
}

}  // namespace

int32_t BitmapToXFace(const Picture& source, std::string& header_text) {
  const std::optional<std::vector<uint8_t>> rgba = OpaqueRgba(source);
  if (!rgba) return kFaceGdiFailed;
  const std::optional<FacePixels> pixels = PictureToFace(source.Width(), source.Height(), *rgba);
  if (!pixels) return kFacePictureRefused;
  return FaceToXFace(*pixels, header_text);
}

int32_t FaceToXFace(const FacePixels& pixels, std::string& header_text) {
  FaceBitmapState& face = Face();
  std::lock_guard<std::mutex> guard(face.lock);
  if (!face.handle) return kNoFaceBitmap;
  const FaceRows rows = PackFaceRows(pixels);
  GdiFlush();
  for (std::size_t y = 0; y < kFaceSide; ++y)
    std::copy_n(rows.data() + kFaceRowBytes * y, kFaceRowBytes, face.bits + kFaceStride * y);
  char buffer[kXFaceBufferSize];
  const int32_t status = BitsToXFace(face.bits, kFaceStride, buffer);
  header_text.assign(buffer);
  return status;
}

int32_t XFaceToRows(const std::string& header_text, FaceBitmapRows& rows) {
  static_assert(kFaceRowStride == kFaceStride);
  FaceBitmapState& face = Face();
  std::lock_guard<std::mutex> guard(face.lock);
  if (!face.handle) return kNoFaceBitmap;
  GdiFlush();
  const int32_t status = XFaceToBits(header_text, face.bits, kFaceStride);
  if (status < 0) return status;
  std::copy(face.bits, face.bits + rows.size(), rows.begin());
  return status;
}

}  // namespace vizmark
