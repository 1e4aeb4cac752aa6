#include "cfgdlg/face_maker_model.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/cp1250.h"
#include "face/xface_codec.h"

namespace vizmark {
namespace {

TEST(FaceMakerModel, TheSliderSetsTheLevelBrighterIsLower) {
  const struct {
    int brightness;
    uint8_t level;
  } cases[] = {
      {0, 255}, {kMaxBrightness - kFaceMidGrey, kFaceMidGrey}, {255, 0}, {-5, 255}, {300, 0}};
  for (const auto& c : cases) {
    const FaceOptions options = ToFaceOptions({FaceMode::kThreshold, c.brightness, true});
    EXPECT_EQ(options.level, c.level) << c.brightness;
    EXPECT_EQ(options.mode, FaceMode::kThreshold);
    EXPECT_TRUE(options.invert);
  }
  // The controls' first state gives what a picture gets without options.
  EXPECT_EQ(ToFaceOptions({}).level.value_or(0), FaceOptions{}.level.value_or(kFaceMidGrey));
}

// A grey ramp from black at the left to white at the right, 96 x 48.
std::vector<uint8_t> Ramp() {
  std::vector<uint8_t> rgba;
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 96; ++x) {
      const auto grey = static_cast<uint8_t>(x * 255 / 95);
      rgba.insert(rgba.end(), {grey, grey, grey, 255});
    }
  return rgba;
}

int Black(const FacePixels& pixels) {
  int count = 0;
  for (const uint8_t pixel : pixels) count += pixel;
  return count;
}

// Brighter faces have fewer black pixels, the negative has the others, and the header text
// is the face's.
TEST(FaceMakerModel, MakesTheFaceTheChoicesAskFor) {
  const std::vector<uint8_t> ramp = Ramp();
  for (const FaceMode mode : {FaceMode::kThreshold, FaceMode::kDithered}) {
    int previous = kFaceSide * kFaceSide + 1;
    for (const int brightness : {0, 60, 130, 200, 255}) {
      SCOPED_TRACE(testing::Message() << static_cast<int>(mode) << " " << brightness);
      const auto made = MakeFace(96, 48, ramp, ToFaceOptions({mode, brightness, false}));
      const auto negative = MakeFace(96, 48, ramp, ToFaceOptions({mode, brightness, true}));
      ASSERT_TRUE(made && negative);
      const int black = Black(made->pixels);
      EXPECT_LT(black, previous);
      previous = black;
      EXPECT_EQ(Black(negative->pixels), kFaceSide * kFaceSide - black);
      uint8_t rows[kFaceSide * kFaceRowBytes] = {};
      ASSERT_EQ(XFaceToBits(made->header_text, rows, kFaceRowBytes), 0);
      const FaceRows expected = PackFaceRows(made->pixels);
      EXPECT_TRUE(std::equal(expected.begin(), expected.end(), rows));
    }
  }
  EXPECT_FALSE(MakeFace(0, 48, {}, {}));
  EXPECT_FALSE(MakeFace(96, 48, std::span(ramp).first(100), {}));
}

// Whatever name is typed, the face goes into a .txt file, which %SetXFace reads as text.
TEST(FaceMakerModel, TheFaceIsSavedAsTextWhateverTheNameTyped) {
  const struct {
    std::wstring_view chosen, saved;
  } cases[] = {
      {L"a", L"a.txt"},
      {L"a.txt", L"a.txt"},
      {L"a.TXT", L"a.TXT"},
      {L"a.Txt", L"a.Txt"},
      {L"C:\\twarze\\a.png", L"C:\\twarze\\a.png.txt"},
      {L"a.PNG", L"a.PNG.txt"},
      {L"a.txt.bmp", L"a.txt.bmp.txt"},
      {L"a.text", L"a.text.txt"},
      {L"atxt", L"atxt.txt"},
      {L"dir.x\\a", L"dir.x\\a.txt"},
      {L"dir.txt\\a", L"dir.txt\\a.txt"},
      {L"C:\\.txt", L"C:\\.txt"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FaceFilePath(c.chosen), c.saved) << std::string(c.chosen.begin(), c.chosen.end());
}

TEST(FaceMakerModel, TheTemplateLineQuotesThePath) {
  EXPECT_EQ(SetXFaceTemplateLine(L"C:\\twarze\\ja 100%.txt"),
            L"%SetXFace(\"C:\\twarze\\ja 100%.txt\")");
  EXPECT_EQ(SetXFaceTemplateLine(L"a\"b\"\".txt"), L"%SetXFace(\"a\"\"b\"\"\"\".txt\")");
}

TEST(FaceMakerModel, TheLengthsNounAgreesWithItsNumber) {
  const struct {
    std::size_t characters;
    std::string_view noun;
  } cases[] = {{0, "znaków"_cp1250},   {1, "znak"},
               {2, "znaki"},           {4, "znaki"},
               {5, "znaków"_cp1250},   {12, "znaków"_cp1250},
               {14, "znaków"_cp1250},  {22, "znaki"},
               {104, "znaki"},         {111, "znaków"_cp1250},
               {213, "znaków"_cp1250}, {1001, "znaków"_cp1250}};
  for (const auto& c : cases)
    EXPECT_EQ(HeaderLengthText(c.characters), std::string("Długość nagłówka: "_cp1250) +
                                                  std::to_string(c.characters) + " " +
                                                  std::string(c.noun));
}

}  // namespace
}  // namespace vizmark
