// The face at the screen's pixels per inch: its size and margins, and its pixels scaled to
// that size. Integer arithmetic only, so every Windows (and every Wine) shows the same
// pixels. No platform code.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace vizmark {

// The pixels per inch at which a face is drawn at its own size.
inline constexpr int kBaseDpi = 96;

// `length` pixels at 96 pixels per inch, at `dpi`: rounded to the nearest pixel, halves up.
// Any dpi below 1 counts as 96.
int ScaleToDpi(int length, int dpi);

// Scales a picture of `width` x `height` pixels, 4 bytes a pixel, rows from the top, to
// `new_width` x `new_height`. Each new pixel is the average of the old pixels it covers,
// weighted by how much of it each covers, rounded to the nearest value; so a whole multiple
// of the size repeats every pixel (nearest neighbour), and other sizes come out smooth. The
// four bytes of a pixel are averaged alike: alpha, where there is one, must be premultiplied.
// Empty when a size is below 1 or `pixels` is not width * height * 4 bytes.
std::vector<uint8_t> ScalePixels(std::span<const uint8_t> pixels, int width, int height,
                                 int new_width, int new_height);

// R, G, B and straight alpha to B, G, R and alpha with the colours premultiplied by it
// (rounded to the nearest value), as Windows blends them. Any trailing bytes short of a
// pixel are dropped.
std::vector<uint8_t> PremultipliedBgra(std::span<const uint8_t> rgba);

}  // namespace vizmark
