// A face written as a BMP file: 48 x 48 pixels, rows stored bottom-up, uncompressed, with the
// 40-byte header every program reads. No platform code.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "face/xface_codec.h"

namespace vizmark {

// The pixels of a face as drawn on white: rows from the top, 0x00RRGGBB.
using FaceRgb = std::span<const uint32_t, kFaceSide * kFaceSide>;

// With `one_bit`, one bit a pixel and the colour table white then black, as %SetXFace reads a
// face back (a pixel darker than middle grey is black); else 24 bits a pixel.
std::vector<uint8_t> FaceBmpFile(FaceRgb pixels, bool one_bit);

}  // namespace vizmark
