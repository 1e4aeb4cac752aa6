#include "face/face_bmp.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "face/bmp_layout.h"

namespace vizmark {
namespace {

// The three bytes of a colour at `at`: blue, green, red.
uint32_t ReadRgb(const std::vector<uint8_t>& file, std::size_t at) {
  return file[at] | file[at + 1] << 8 | file[at + 2] << 16;
}

// A face with something in every corner that tells rows and columns apart: black at the top
// left, a dark grey (black in one bit) at the top right, a light colour (white in one bit) at
// the bottom left, white elsewhere.
std::array<uint32_t, kFaceSide * kFaceSide> Corners() {
  std::array<uint32_t, kFaceSide * kFaceSide> face;
  face.fill(0xFFFFFF);
  face[0] = 0x000000;
  face[kFaceSide - 1] = 0x404040;
  face[(kFaceSide - 1) * kFaceSide] = 0xC0E0FF;
  return face;
}

TEST(FaceBmpFile, IsABmpOfTheFaceThatReadsBack) {
  const auto face = Corners();
  struct Case {
    bool one_bit;
    uint16_t bit_count;
    std::size_t stride;
  };
  for (const Case c : {Case{true, 1, 8}, Case{false, 24, 144}}) {
    SCOPED_TRACE(c.bit_count);
    const std::vector<uint8_t> file = FaceBmpFile(face, c.one_bit);
    const std::optional<BmpLayout> layout = ReadBmpLayout(file);
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->width, kFaceSide);
    EXPECT_EQ(layout->height, kFaceSide);
    EXPECT_EQ(layout->bit_count, c.bit_count);
    EXPECT_EQ(layout->compression, kBmpRgb);
    EXPECT_EQ(layout->pixel_bytes, c.stride * kFaceSide);
    EXPECT_EQ(file.size(), layout->pixels_at + layout->pixel_bytes);
    // The rows are stored bottom-up: the face's top row is the file's last.
    const std::size_t top = layout->pixels_at + c.stride * (kFaceSide - 1);
    const std::size_t bottom = layout->pixels_at;
    if (c.one_bit) {
      EXPECT_EQ(ReadRgb(file, 14 + 40), 0xFFFFFFu);  // colour 0 white
      EXPECT_EQ(ReadRgb(file, 14 + 44), 0x000000u);  // colour 1 black
      EXPECT_EQ(file[top], 0x80);
      EXPECT_EQ(file[top + 5], 0x01);
      EXPECT_EQ(file[bottom], 0x00);
    } else {
      EXPECT_EQ(ReadRgb(file, top), 0x000000u);
      EXPECT_EQ(ReadRgb(file, top + 3 * (kFaceSide - 1)), 0x404040u);
      EXPECT_EQ(ReadRgb(file, bottom), 0xC0E0FFu);
      EXPECT_EQ(ReadRgb(file, bottom + 3), 0xFFFFFFu);
    }
  }
}

}  // namespace
}  // namespace vizmark
