// The system's decoding of picture files, linked in directly. The pictures are made by the
// tests' own encoders, so every pixel is known.
#include "face/picture_decoder.h"

#include <gtest/gtest.h>
#include <wincodec.h>
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/win/picture_encoder.h"

namespace vizmark {
namespace {

using testsupport::Rgba;

// Every pixel tells where it is: R = x, G = y, B = 255 - x, alpha 255 except one transparent
// column.
Rgba Pattern(int x, int y) {
  return {uint8_t(x), uint8_t(y), uint8_t(255 - x), uint8_t(x == 1 ? 0 : 255)};
}

DecodedPicture PatternOf(int width, int height) {
  DecodedPicture picture{width, height, {}};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const Rgba p = Pattern(x, y);
      picture.rgba.insert(picture.rgba.end(), {p.r, p.g, p.b, p.a});
    }
  return picture;
}

std::vector<uint8_t> Bytes(const std::string& file) { return {file.begin(), file.end()}; }

std::vector<uint8_t> Png(int width, int height) {
  return Bytes(testsupport::EncodePicture(GUID_ContainerFormatPng, GUID_WICPixelFormat32bppBGRA,
                                          width, height, &Pattern));
}

TEST(PictureDecoderTest, LosslessFormatsGiveTheirPixelsWithStraightAlpha) {
  const struct {
    const char* name;
    std::vector<uint8_t> file;
    DecodedPicture expected;
  } cases[] = {
      {"png", Png(40, 30), PatternOf(40, 30)},
      {"icon, the largest image",
       Bytes(testsupport::EncodeIcon({{16, &Pattern}, {64, &Pattern}, {32, &Pattern}})),
       PatternOf(64, 64)},
  };
  for (const auto& c : cases) {
    const std::optional<DecodedPicture> decoded = DecodePictureBytes(c.file);
    ASSERT_TRUE(decoded) << c.name;
    EXPECT_EQ(decoded->width, c.expected.width) << c.name;
    EXPECT_EQ(decoded->height, c.expected.height) << c.name;
    EXPECT_EQ(decoded->rgba, c.expected.rgba) << c.name;
  }
}

TEST(PictureDecoderTest, WhatCannotBeDecodedOrIsTooLargeGivesNothing) {
  const std::vector<uint8_t> png = Png(40, 30);
  std::vector<uint8_t> corrupt = png;
  for (std::size_t i = 40; i < corrupt.size(); ++i) corrupt[i] ^= 0x5A;
  std::vector<uint8_t> huge = png;  // IHDR says 100000 x 100000; the rest is a small picture's
  for (const std::size_t at : {16, 20}) {
    huge[at] = 0x00, huge[at + 1] = 0x01, huge[at + 2] = 0x86, huge[at + 3] = 0xA0;
  }
  const struct {
    const char* name;
    std::vector<uint8_t> file;
  } cases[] = {
      {"nothing", {}},
      {"text", {'h', 'e', 'l', 'l', 'o'}},
      {"png cut in half", std::vector<uint8_t>(png.begin(), png.begin() + png.size() / 2)},
      {"png corrupt", corrupt},
      {"png declaring 100000 x 100000", huge},
  };
  for (const auto& c : cases) EXPECT_FALSE(DecodePictureBytes(c.file)) << c.name;
}

}  // namespace
}  // namespace vizmark
