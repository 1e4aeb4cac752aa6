#include "face/face_bmp.h"

#include <cstddef>

namespace vizmark {

namespace {

void PutLittleEndian(std::vector<uint8_t>& out, std::size_t at, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out[at + static_cast<std::size_t>(i)] = (value >> (8 * i)) & 0xFF;
}

bool IsDark(uint32_t rgb) {
  const uint32_t r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  return 299 * r + 587 * g + 114 * b < 128 * 1000;
}

}  // namespace

std::vector<uint8_t> FaceBmpFile(FaceRgb pixels, bool one_bit) {
  constexpr std::size_t kHeaders = 14 + 40;
  const std::size_t table = one_bit ? 2 * 4 : 0;
  // Rows are padded to whole 32-bit words.
  const std::size_t stride = one_bit ? 8 : (std::size_t{kFaceSide} * 3 + 3) / 4 * 4;
  const std::size_t pixels_at = kHeaders + table;
  std::vector<uint8_t> file(pixels_at + stride * kFaceSide, 0);
  file[0] = 'B';
  file[1] = 'M';
  PutLittleEndian(file, 2, static_cast<uint32_t>(file.size()), 4);
  PutLittleEndian(file, 10, static_cast<uint32_t>(pixels_at), 4);
  PutLittleEndian(file, 14, 40, 4);
  PutLittleEndian(file, 18, kFaceSide, 4);
  PutLittleEndian(file, 22, kFaceSide, 4);  // positive: the bottom row first
  PutLittleEndian(file, 26, 1, 2);
  PutLittleEndian(file, 28, one_bit ? 1 : 24, 2);
  PutLittleEndian(file, 34, static_cast<uint32_t>(stride * kFaceSide), 4);
  PutLittleEndian(file, 38, 3780, 4);  // 96 pixels an inch
  PutLittleEndian(file, 42, 3780, 4);
  if (one_bit) {
    PutLittleEndian(file, 46, 2, 4);
    PutLittleEndian(file, 50, 2, 4);
    PutLittleEndian(file, kHeaders, 0xFFFFFF, 4);  // 0: white; 1: black
  }
  for (int y = 0; y < kFaceSide; ++y) {
    const std::size_t row = pixels_at + stride * static_cast<std::size_t>(kFaceSide - 1 - y);
    for (int x = 0; x < kFaceSide; ++x) {
      const uint32_t p = pixels[static_cast<std::size_t>(y * kFaceSide + x)];
      if (one_bit) {
        if (IsDark(p)) file[row + static_cast<std::size_t>(x / 8)] |= 0x80 >> (x % 8);
      } else {
        PutLittleEndian(file, row + static_cast<std::size_t>(x) * 3, p & 0xFFFFFF, 3);
      }
    }
  }
  return file;
}

}  // namespace vizmark
