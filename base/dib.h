// The header of a device-independent bitmap drawn from the top row down.
#pragma once

#include <windows.h>

namespace vizmark {

// `width` x `height` pixels of `bits_per_pixel`, uncompressed, the top row first; no colour
// table is counted (a caller with one sets biClrUsed).
inline BITMAPINFOHEADER TopDownDibHeader(int width, int height, WORD bits_per_pixel) noexcept {
  BITMAPINFOHEADER header{};
  header.biSize = sizeof(BITMAPINFOHEADER);
  header.biWidth = width;
  header.biHeight = -height;
  header.biPlanes = 1;
  header.biBitCount = bits_per_pixel;
  header.biCompression = BI_RGB;
  return header;
}

}  // namespace vizmark
