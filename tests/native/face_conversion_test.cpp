#include "face/face_conversion.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <vector>

namespace vizmark {
namespace {

using Rgba = std::array<uint8_t, 4>;
constexpr Rgba kBlack{0, 0, 0, 255};
constexpr Rgba kWhitePixel{255, 255, 255, 255};

struct Picture {
  int width;
  int height;
  std::vector<uint8_t> rgba;
};

Picture Make(int width, int height, const std::function<Rgba(int x, int y)>& paint) {
  Picture picture{width, height, {}};
  picture.rgba.reserve(std::size_t(width) * height * 4);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      for (uint8_t channel : paint(x, y)) picture.rgba.push_back(channel);
  return picture;
}

Rgba Grey(int grey) { return {uint8_t(grey), uint8_t(grey), uint8_t(grey), 255}; }

FacePixels Convert(const Picture& picture, const FaceOptions& options = {}) {
  const auto face = PictureToFace(picture.width, picture.height, picture.rgba, options);
  EXPECT_TRUE(face.has_value());
  return face.value_or(FacePixels{});
}

FaceOptions Mode(FaceMode mode) {
  FaceOptions options;
  options.mode = mode;
  return options;
}

int BlackIn(const FacePixels& face, int left, int top, int across, int down) {
  int black = 0;
  for (int y = top; y < top + down; ++y)
    for (int x = left; x < left + across; ++x) black += face[y * 48 + x];
  return black;
}

bool ColumnIsOneColour(const FacePixels& face, int x) {
  for (int y = 1; y < 48; ++y)
    if (face[y * 48 + x] != face[x]) return false;
  return true;
}

TEST(PictureToFace, TakesABlackAndWhiteFacePixelForPixelWhateverTheOptions) {
  std::mt19937 random(7);
  std::vector<uint8_t> bits(48 * 48);
  for (auto& bit : bits) bit = random() % 2;
  const Picture picture =
      Make(48, 48, [&](int x, int y) { return bits[y * 48 + x] ? kBlack : kWhitePixel; });
  const FaceOptions cases[] = {
      {},
      {FaceMode::kThreshold, 0, false},
      {FaceMode::kDithered, 255, false},
      {FaceMode::kAutomatic, std::nullopt, true},
  };
  for (const auto& options : cases) {
    const FacePixels face = Convert(picture, options);
    for (std::size_t i = 0; i < bits.size(); ++i)
      ASSERT_EQ(face[i], bits[i] ^ options.invert) << i << " mode " << int(options.mode);
  }
}

TEST(PictureToFace, InvertGivesTheNegativeOfAnyPicture) {
  const Picture gradient = Make(70, 50, [](int x, int y) { return Grey((x * 3 + y) % 256); });
  for (FaceMode mode : {FaceMode::kAutomatic, FaceMode::kDithered, FaceMode::kThreshold}) {
    const FacePixels plain = Convert(gradient, {mode, std::nullopt, false});
    const FacePixels inverted = Convert(gradient, {mode, std::nullopt, true});
    for (std::size_t i = 0; i < plain.size(); ++i) ASSERT_NE(plain[i], inverted[i]) << i;
  }
}

TEST(PictureToFace, TransparencyIsLaidOnWhite) {
  const Rgba colours[] = {{0, 0, 0, 0}, {255, 0, 0, 0}, {10, 200, 30, 0}};
  for (const Rgba& colour : colours)
    for (FaceMode mode : {FaceMode::kAutomatic, FaceMode::kDithered, FaceMode::kThreshold}) {
      const FacePixels face = Convert(Make(48, 48, [&](int, int) { return colour; }), Mode(mode));
      EXPECT_EQ(BlackIn(face, 0, 0, 48, 48), 0) << int(colour[0]) << " mode " << int(mode);
    }
}

TEST(PictureToFace, KeepsTheShapeAndCentresOnWhite) {
  struct Case {
    int width, height;
    int left, top, across, down;  // where the picture lands
  };
  const Case cases[] = {
      {96, 48, 0, 12, 48, 24}, {48, 96, 12, 0, 24, 48},  {3, 2, 0, 8, 48, 32},
      {1000, 1, 0, 23, 48, 1}, {100, 47, 0, 12, 48, 23}, {47, 47, 0, 0, 48, 48},
  };
  for (const Case& c : cases) {
    const FacePixels face = Convert(Make(c.width, c.height, [](int, int) { return kBlack; }));
    const int area = c.across * c.down;
    EXPECT_EQ(BlackIn(face, c.left, c.top, c.across, c.down), area) << c.width << "x" << c.height;
    EXPECT_EQ(BlackIn(face, 0, 0, 48, 48), area) << c.width << "x" << c.height;
  }
}

TEST(PictureToFace, AveragesTheWholeAreaInLinearLight) {
  // Each turns into an even grey of half white's light, which dithering draws half black;
  // dropping rows or averaging sRGB codes would not.
  const Picture cases[] = {
      Make(96, 96, [](int x, int y) { return (x + y) % 2 ? kBlack : kWhitePixel; }),
      Make(144, 96, [](int, int y) { return y % 2 ? kWhitePixel : kBlack; }),
      Make(30, 30,
           [](int, int) {
             return Rgba{0, 0, 0, 128};
           }),
  };
  for (const Picture& picture : cases) {
    const int black = BlackIn(Convert(picture, Mode(FaceMode::kDithered)), 0, 0, 48, 48);
    const int area = picture.width == 144 ? 48 * 32 : 48 * 48;  // 144 x 96 fills 48 x 32
    EXPECT_NEAR(black, area / 2, area / 50) << picture.width;
  }
}

TEST(PictureToFace, ThresholdsPicturesOfTwoTonesAndDithersTheRest) {
  // Vertical stripes of two colours, 3 of 7 columns light, reduce to columns of mixed greys:
  // a threshold keeps every column one colour, dithering would not. A little noise on the
  // tones leaves them two.
  const auto stripes = [](int noise) {
    return Make(120, 120, [noise](int x, int y) {
      const int jitter = noise ? (x * 7 + y * 13) % (2 * noise + 1) - noise : 0;
      return x % 7 < 3 ? Rgba{uint8_t(230 + jitter), uint8_t(210 + jitter), 40, 255}
                       : Rgba{20, uint8_t(30 + jitter), 120, 255};
    });
  };
  for (const Picture& picture : {stripes(0), stripes(4)}) {
    const FacePixels face = Convert(picture);
    int one_colour = 0;
    for (int x = 0; x < 48; ++x) one_colour += ColumnIsOneColour(face, x);
    EXPECT_EQ(one_colour, 48);
    EXPECT_GT(BlackIn(face, 0, 0, 48, 48), 0);
    EXPECT_NE(Convert(picture, Mode(FaceMode::kDithered)), face);
  }

  // A gradient from black on the left to white on the right comes out dithered.
  const Picture gradient = Make(256, 256, [](int x, int) { return Grey(x); });
  const FacePixels face = Convert(gradient);
  EXPECT_EQ(face, Convert(gradient, Mode(FaceMode::kDithered)));
  int mixed = 0;
  for (int x = 0; x < 48; ++x) mixed += !ColumnIsOneColour(face, x);
  EXPECT_GT(mixed, 24);
  EXPECT_GT(BlackIn(face, 0, 0, 12, 48), BlackIn(face, 12, 0, 12, 48));
  EXPECT_GT(BlackIn(face, 12, 0, 12, 48), BlackIn(face, 24, 0, 12, 48));
  EXPECT_GT(BlackIn(face, 24, 0, 12, 48), BlackIn(face, 36, 0, 12, 48));
}

TEST(PictureToFace, StretchesThePicturesOwnRangeOfGreys) {
  // A dull gradient (greys 100 to 140) spans black to white; the white margins of a wide one
  // take no part.
  struct Case {
    int height, top, down;
  };
  for (const Case& c : {Case{256, 0, 48}, Case{64, 18, 12}}) {
    const Picture dull = Make(256, c.height, [](int x, int) { return Grey(100 + x * 40 / 255); });
    const FacePixels face = Convert(dull, Mode(FaceMode::kDithered));
    const int edge = 4 * c.down;
    EXPECT_GE(BlackIn(face, 0, c.top, 4, c.down), edge * 9 / 10) << c.height;
    EXPECT_LE(BlackIn(face, 44, c.top, 4, c.down), edge / 10) << c.height;
  }
}

TEST(PictureToFace, LevelDarkensAsItRises) {
  const Picture gradient = Make(256, 256, [](int x, int) { return Grey(x); });
  for (FaceMode mode : {FaceMode::kDithered, FaceMode::kThreshold}) {
    int before = -1;
    for (int level : {0, 64, 128, 188, 255}) {
      const FaceOptions options{mode, uint8_t(level), false};
      const int black = BlackIn(Convert(gradient, options), 0, 0, 48, 48);
      EXPECT_GT(black, before) << "mode " << int(mode) << " level " << level;
      before = black;
    }
  }
}

TEST(PictureToFace, GivesTheSameFaceEveryTime) {
  const Picture picture = Make(123, 77, [](int x, int y) {
    return Rgba{uint8_t(x * 5 + y), uint8_t(x * y), uint8_t(255 - y * 3), uint8_t(x * 2 + 20)};
  });
  const FaceRows rows = PackFaceRows(Convert(picture));
  uint32_t hash = 2166136261u;  // FNV-1a
  for (uint8_t byte : rows) hash = (hash ^ byte) * 16777619u;
  EXPECT_EQ(hash, 2572263665u);
}

// A large picture made of 32 x 32 blocks of one colour each reduces to exactly the greys of
// a 48 x 48 picture of those colours, in every mode: however its rows and columns are split
// up for summing, no light is lost or counted twice.
TEST(PictureToFace, ALargePictureOfBlocksGivesTheFaceOfItsBlocks) {
  std::mt19937 random(11);
  std::vector<Rgba> colours(48 * 48);
  for (auto& colour : colours)
    colour = {uint8_t(random()), uint8_t(random()), uint8_t(random()),
              uint8_t(random() % 4 ? 255 : random())};
  const Picture small = Make(48, 48, [&](int x, int y) { return colours[y * 48 + x]; });
  const Picture large =
      Make(1536, 1536, [&](int x, int y) { return colours[y / 32 * 48 + x / 32]; });
  for (FaceMode mode : {FaceMode::kAutomatic, FaceMode::kDithered, FaceMode::kThreshold})
    EXPECT_EQ(Convert(large, Mode(mode)), Convert(small, Mode(mode))) << int(mode);
}

TEST(PictureToFace, RefusesSizesItCannotTake) {
  struct Case {
    int width, height;
    std::size_t bytes;
  };
  const Case cases[] = {
      {0, 1, 0},     {1, 0, 0},       {-1, 1, 4}, {65536, 1, 65536 * 4},
      {1, 65536, 0}, {8193, 8192, 0}, {2, 2, 15}, {2, 2, 17},
  };
  std::vector<uint8_t> pixels(65536 * 4, 255);
  for (const Case& c : cases)
    EXPECT_FALSE(PictureToFace(c.width, c.height, std::span(pixels.data(), c.bytes)))
        << c.width << "x" << c.height << " " << c.bytes;
  EXPECT_TRUE(PictureToFace(65535, 1, std::span(pixels.data(), 65535 * 4)));
}

TEST(PackFaceRows, PutsTheLeftmostPixelInTheHighestBit) {
  struct Case {
    int x, y;
    std::size_t byte;
    uint8_t bits;
  };
  const Case cases[] = {{0, 0, 0, 0x80},  {7, 0, 0, 0x01}, {8, 0, 1, 0x80},
                        {47, 0, 5, 0x01}, {0, 1, 6, 0x80}, {47, 47, 287, 0x01}};
  for (const Case& c : cases) {
    FacePixels face{};
    face[c.y * 48 + c.x] = 1;
    FaceRows expected{};
    expected[c.byte] = c.bits;
    EXPECT_EQ(PackFaceRows(face), expected) << c.x << "," << c.y;
  }
}

}  // namespace
}  // namespace vizmark
