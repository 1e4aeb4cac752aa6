#include "face/face_scaling.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace vizmark {
namespace {

TEST(FaceScalingTest, LengthsAtEachDpi) {
  struct Case {
    int length, dpi, scaled;
  } cases[] = {
      {48, 96, 48}, {4, 96, 4},    {48, 144, 72}, {4, 144, 6},  {48, 192, 96},
      {4, 192, 8},  {48, 120, 60}, {4, 120, 5},   {4, 168, 7},  {48, 100, 50},
      {48, 72, 36}, {1, 144, 2},   {48, 0, 48},   {48, -5, 48},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ScaleToDpi(c.length, c.dpi), c.scaled) << c.length << " at " << c.dpi;
}

std::vector<uint8_t> Noise(int width, int height, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<uint8_t> pixels(static_cast<size_t>(width * height * 4));
  for (uint8_t& byte : pixels) byte = static_cast<uint8_t>(random());
  return pixels;
}

// A whole multiple repeats every pixel, every byte of it, and nothing is blended.
TEST(FaceScalingTest, WholeMultiplesRepeatEachPixel) {
  const std::vector<uint8_t> face = Noise(48, 48, 7);
  for (int factor : {1, 2, 3, 4}) {
    const int side = 48 * factor;
    const std::vector<uint8_t> scaled = ScalePixels(face, 48, 48, side, side);
    ASSERT_EQ(scaled.size(), static_cast<size_t>(side * side * 4));
    for (int y = 0; y < side; ++y)
      for (int x = 0; x < side; ++x)
        for (int c = 0; c < 4; ++c)
          ASSERT_EQ(scaled[static_cast<size_t>((y * side + x) * 4 + c)],
                    face[static_cast<size_t>((y / factor * 48 + x / factor) * 4 + c)])
              << "factor " << factor << " at " << x << "," << y;
  }
}

// 2 x 2 to 3 x 3: the middle row and column take half of each neighbour, the centre a
// quarter of all four; rounded to the nearest value. Other factors the same way.
TEST(FaceScalingTest, OtherSizesAverageWhatEachPixelCovers) {
  struct Case {
    int width, height, new_width, new_height;
    std::vector<uint8_t> values;    // one channel; the four bytes of a pixel alike
    std::vector<uint8_t> expected;  // the same
  } cases[] = {
      {2, 2, 3, 3, {0, 100, 200, 255}, {0, 50, 100, 100, 139, 178, 200, 228, 255}},
      {2, 1, 3, 1, {0, 255}, {0, 128, 255}},
      {3, 1, 2, 1, {0, 90, 255}, {30, 200}},  // 2/3 and 1/3, then 1/3 and 2/3
      {4, 2, 2, 1, {0, 10, 20, 30, 40, 50, 60, 70}, {25, 45}},
      {1, 1, 5, 2, {77}, std::vector<uint8_t>(10, 77)},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> pixels;
    for (uint8_t value : c.values) pixels.insert(pixels.end(), {value, value, value, value});
    const std::vector<uint8_t> scaled =
        ScalePixels(pixels, c.width, c.height, c.new_width, c.new_height);
    std::vector<uint8_t> expected;
    for (uint8_t value : c.expected) expected.insert(expected.end(), {value, value, value, value});
    EXPECT_EQ(scaled, expected) << c.width << "x" << c.height << " to " << c.new_width << "x"
                                << c.new_height;
  }
}

// Each byte of a pixel is scaled on its own.
TEST(FaceScalingTest, TheBytesOfAPixelStayApart) {
  const std::vector<uint8_t> pixels = {10, 20, 30, 40, 50, 60, 70, 80};  // 2 x 1
  EXPECT_EQ(ScalePixels(pixels, 2, 1, 3, 1),
            (std::vector<uint8_t>{10, 20, 30, 40, 30, 40, 50, 60, 50, 60, 70, 80}));
}

TEST(FaceScalingTest, WrongSizesGiveNothing) {
  const std::vector<uint8_t> face = Noise(48, 48, 3);
  struct Case {
    size_t bytes;
    int width, height, new_width, new_height;
  } cases[] = {
      {face.size(), 0, 48, 72, 72},
      {face.size(), 48, 0, 72, 72},
      {face.size(), 48, 48, 0, 72},
      {face.size(), 48, 48, 72, -1},
      {face.size() - 1, 48, 48, 72, 72},
      {face.size(), 48, 47, 72, 72},
      {face.size(), 48, 49, 72, 72},
      {face.size(), 65536, 65536, 72, 72},
      {face.size(), 0x7fffffff, 0x7fffffff, 2, 2},
  };
  for (const Case& c : cases)
    EXPECT_TRUE(
        ScalePixels(std::span(face).first(c.bytes), c.width, c.height, c.new_width, c.new_height)
            .empty())
        << c.bytes << " " << c.width << "x" << c.height;
}

TEST(FaceScalingTest, PremultipliesAndSwapsRedAndBlue) {
  const std::vector<uint8_t> rgba = {
      255, 128, 0,  255,  // opaque: unchanged, red and blue swapped
      255, 128, 0,  128,  // half: 255 * 128 / 255 = 128, 128 * 128 / 255 = 64.25
      200, 100, 50, 0,    // transparent: nothing
      1,   2,   3,  127,  // 0.498, 0.996, 1.494
      9,                  // a byte short of a pixel is dropped
  };
  EXPECT_EQ(PremultipliedBgra(rgba),
            (std::vector<uint8_t>{0, 128, 255, 255, 0, 64, 128, 128, 0, 0, 0, 0, 1, 1, 0, 127}));
}

}  // namespace
}  // namespace vizmark
