#include "face/face_bitmap.h"

#include <algorithm>
#include <mutex>

#include "base/dib.h"
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

// Whether `dc` exists and has `bitmap` selected into it: what a drawing call needs to draw
// into or out of that bitmap and nowhere else.
bool Holds(HDC dc, HBITMAP bitmap) {
  return dc != nullptr && bitmap != nullptr && GetCurrentObject(dc, OBJ_BITMAP) == bitmap;
}

// Scales `source` to 48 x 48 (where rows or columns are dropped, black wins: the default
// stretching mode) and reduces it to black and white by brightness, into FaceBitmap's rows.
// Going through 32-bit colour first makes the result the same for every kind of source,
// palette or not. False, and `rows` untouched, when GDI cannot make the scaled picture, draw
// it or read it back.
bool DrawIntoFace(Picture& source, uint8_t* rows) {
  Picture scaled;
  scaled.SetWidth(kFaceSide);
  scaled.SetHeight(kFaceSide);
  if (scaled.Empty() || source.Empty()) return false;
  {
    UniqueHdc from(CreateCompatibleDC(nullptr)), to(CreateCompatibleDC(nullptr));
    SelectedObject source_selected(from.get(), source.Handle());
    SelectedObject scaled_selected(to.get(), scaled.Handle());
    if (!Holds(from.get(), source.Handle()) || !Holds(to.get(), scaled.Handle()) ||
        !StretchBlt(to.get(), 0, 0, kFaceSide, kFaceSide, from.get(), 0, 0, source.Width(),
                    source.Height(), SRCCOPY))
      return false;
  }
  BITMAPINFO info{};
  info.bmiHeader = TopDownDibHeader(kFaceSide, kFaceSide, 32);
  uint32_t pixels[kFaceSide * kFaceSide];
  {
    UniqueHdc dc(CreateCompatibleDC(nullptr));
    if (!dc || GetDIBits(dc.get(), scaled.Handle(), 0, kFaceSide, pixels, &info, DIB_RGB_COLORS) !=
                   kFaceSide)
      return false;
  }
  for (int y = 0; y < kFaceSide; ++y) {
    uint8_t* row = rows + kFaceStride * static_cast<std::size_t>(y);
    std::fill(row, row + kFaceRowBytes, 0);
    for (int x = 0; x < kFaceSide; ++x) {
      const uint32_t p = pixels[y * kFaceSide + x];
      const unsigned brightness =
          (299 * ((p >> 16) & 0xFF) + 587 * ((p >> 8) & 0xFF) + 114 * (p & 0xFF)) / 1000;
      if (brightness < 128) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    }
  }
  return true;
}

}  // namespace

int32_t BitmapToXFace(Picture& source, std::string& header_text) {
  FaceBitmapState& face = Face();
  std::lock_guard<std::mutex> guard(face.lock);
  if (!face.handle) return kNoFaceBitmap;
  GdiFlush();
  if (!DrawIntoFace(source, face.bits)) return kFaceGdiFailed;
  char buffer[kXFaceBufferSize];
  const int32_t status = BitsToXFace(face.bits, kFaceStride, buffer);
  header_text.assign(buffer);
  return status;
}

int32_t XFaceToBitmap(const std::string& header_text, Picture& target) {
  FaceBitmapState& face = Face();
  std::lock_guard<std::mutex> guard(face.lock);
  if (!face.handle) return kNoFaceBitmap;
  GdiFlush();
  const int32_t status = XFaceToBits(header_text, face.bits, kFaceStride);
  if (status < 0) return status;
  if (target.Empty()) return kFaceGdiFailed;
  UniqueHdc from(CreateCompatibleDC(nullptr)), to(CreateCompatibleDC(nullptr));
  SelectedObject face_selected(from.get(), face.handle.get());
  SelectedObject target_selected(to.get(), target.Handle());
  if (!Holds(from.get(), face.handle.get()) || !Holds(to.get(), target.Handle()) ||
      !BitBlt(to.get(), 0, 0, kFaceSide, kFaceSide, from.get(), 0, 0, SRCCOPY))
    return kFaceGdiFailed;
  return status;
}

}  // namespace vizmark
