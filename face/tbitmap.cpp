#include "face/tbitmap.h"

namespace vizmark {

void TBitmap::Resize(int w, int h) {
  width_ = w;
  height_ = h;
  bitmap_.reset();
  if (w <= 0 || h <= 0) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (bits) memset(bits, 0xFF, static_cast<size_t>(w) * h * 4);
}

void TBitmap::Assign(const TBitmap* other) {
  if (!other || other->Empty()) {
    Resize(0, 0);
    return;
  }
  Resize(other->width_, other->height_);
  UniqueHdc from(CreateCompatibleDC(nullptr)), to(CreateCompatibleDC(nullptr));
  SelectedObject a(from.get(), other->Handle()), b(to.get(), Handle());
  BitBlt(to.get(), 0, 0, width_, height_, from.get(), 0, 0, SRCCOPY);
}

}  // namespace vizmark
