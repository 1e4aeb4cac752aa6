// Pictures in the formats Windows Imaging Component writes (PNG, JPEG, GIF, TIFF, BMP), and
// icons of several frames, made from pixels the caller paints: test and bench files of our
// own making.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace testsupport {

// R, G, B and straight alpha of the pixel at (x, y).
struct Rgba {
  uint8_t r, g, b, a;
};
using Paint = std::function<Rgba(int x, int y)>;

// The file's bytes as WIC's encoder for `container` (GUID_ContainerFormatPng and its kin)
// writes a `width` x `height` picture in `pixel_format`: GUID_WICPixelFormat32bppBGRA,
// 24bppBGR, or 8bppIndexed (then every colour painted must be in `palette`, at most 256).
// Empty when WIC cannot write it. COM is set up for the call and taken down after it.
std::string EncodePicture(const GUID& container, const GUID& pixel_format, int width, int height,
                          const Paint& paint, const std::vector<Rgba>& palette = {});

// An icon file whose frames are these pictures, in this order, each stored as a 32-bit
// bitmap with alpha (sides of at most 256).
struct IconFrame {
  int side;
  Paint paint;
};
std::string EncodeIcon(const std::vector<IconFrame>& frames);

}  // namespace testsupport
