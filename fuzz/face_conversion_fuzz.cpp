// Any bytes as a picture: the first four pick the width and height (1 to 256 each), the mode,
// the level, whether to invert, whether the pixel bytes are passed as they come (a buffer of
// the wrong size must be refused) or repeated to fill the picture, and whether the picture is
// 48 x 48 black and white; the rest are the pixels. A face comes out exactly when the buffer
// fits the sizes; it is the same on a second run, its inverse is its negative, and a black
// and white face is taken pixel for pixel.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "face/face_conversion.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  const uint8_t flags = data[2];
  const bool black_and_white = flags & 0x20;
  const int width = black_and_white ? vizmark::kFaceSide : data[0] + 1;
  const int height = black_and_white ? vizmark::kFaceSide : data[1] + 1;
  vizmark::FaceOptions options;
  options.mode = static_cast<vizmark::FaceMode>(flags % 3);
  if (flags & 0x04) options.level = data[3];
  const bool as_they_come = flags & 0x08;
  const uint8_t* pixels = data + 4;
  const std::size_t count = size - 4;

  std::vector<uint8_t> rgba;
  if (as_they_come) {
    rgba.assign(pixels, pixels + count);
  } else {
    rgba.resize(std::size_t(width) * height * 4, 0);
    for (std::size_t i = 0; i < rgba.size() && count > 0; ++i) {
      const uint8_t byte = pixels[i % count];
      rgba[i] = black_and_white ? (i % 4 == 3 ? 255 : (pixels[i / 4 % count] & 1) * 255) : byte;
    }
  }

  const auto face = vizmark::PictureToFace(width, height, rgba, options);
  if (face.has_value() != (rgba.size() == std::size_t(width) * height * 4)) std::abort();
  if (!face) return 0;
  if (vizmark::PictureToFace(width, height, rgba, options) != face) std::abort();
  const bool inverted = options.invert;
  options.invert = !inverted;
  const auto inverse = vizmark::PictureToFace(width, height, rgba, options);
  if (!inverse) std::abort();
  for (std::size_t i = 0; i < face->size(); ++i)
    if ((*face)[i] > 1 || (*face)[i] == (*inverse)[i]) std::abort();
  if (black_and_white && count > 0 && !as_they_come)
    for (std::size_t i = 0; i < face->size(); ++i)
      if ((*face)[i] != ((rgba[i * 4] == 0) != inverted)) std::abort();
  return 0;
}
