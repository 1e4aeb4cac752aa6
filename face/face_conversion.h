// Turns any picture into a 48 x 48 one-bit face. Pure integer arithmetic, so a picture gives
// the same face bit for bit on every build and every run. No platform code.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "face/xface_codec.h"

namespace vizmark {

// One byte a pixel, row by row from the top, 1 for black and 0 for white.
using FacePixels = std::array<uint8_t, kFaceSide * kFaceSide>;
// The same face as the codec takes it: 48 rows of 6 bytes, the leftmost pixel in the highest
// bit, 1 for black (rows 6 bytes apart).
using FaceRows = std::array<uint8_t, kFaceSide * kFaceRowBytes>;

enum class FaceMode : uint8_t {
  kAutomatic,  // one threshold for a picture of two tones, error diffusion for anything else
  kDithered,   // Floyd-Steinberg error diffusion
  kThreshold,  // one threshold
};

struct FaceOptions {
  FaceMode mode = FaceMode::kAutomatic;
  // The grey (0 black to 255 white, after the picture's range is stretched to 0..255) that
  // splits black from white: with a threshold, greys below it turn black; with dithering, it
  // comes out half black and half white. Higher is darker either way. Unset: kFaceMidGrey.
  std::optional<uint8_t> level;
  bool invert = false;  // the whole face, margins included, comes out as its negative
};

// The sRGB grey that is half as bright as white in linear light; it is the level a picture
// gets unless the options name one.
inline constexpr uint8_t kFaceMidGrey = 188;

// The largest picture taken: each side at most this, and at most kMaxFacePicturePixels.
inline constexpr int kMaxFacePictureSide = 65535;
inline constexpr uint64_t kMaxFacePicturePixels = uint64_t{64} << 20;

// `rgba` holds width * height pixels, row by row from the top, each four bytes R, G, B and
// straight (not premultiplied) alpha, colours in sRGB. A 48 x 48 picture whose every pixel is
// opaque black or opaque white is taken as it is. Any other picture is laid on white, fitted
// into the face keeping its shape and centred (on white), reduced by averaging in linear
// light, stretched to its own range of greys and turned into one bit a pixel as the options
// say. Empty for a side of 0 or over kMaxFacePictureSide, more than kMaxFacePicturePixels
// pixels, or a buffer of any other size than the pixels take.
std::optional<FacePixels> PictureToFace(int width, int height, std::span<const uint8_t> rgba,
                                        const FaceOptions& options = {});

FaceRows PackFaceRows(const FacePixels& face);

}  // namespace vizmark
