#include "face/xface_codec.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>

namespace vizmark {
namespace {

// A FaceBitmap-shaped picture: 48 rows of 8 bytes, the last two padding.
using Rows = std::array<uint8_t, 48 * 8>;

std::string HexPicture(const Rows& rows) {
  char text[kHexPictureDigits + 1];
  WriteHexPicture(rows.data(), 8, text);
  return text;
}

std::string Encode(const Rows& rows) {
  char buffer[kXFaceBufferSize];
  EXPECT_GE(BitsToXFace(rows.data(), 8, buffer), 0);
  return buffer;
}

Rows RandomFace(unsigned seed) {
  std::mt19937 random(seed);
  Rows rows{};
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 6; ++x) rows[y * 8 + x] = static_cast<uint8_t>(random());
  return rows;
}

TEST(HexPicture, PixelOrderMatchesTheCodecsDigits) {
  Rows top_left{};
  top_left[0] = 0x80;
  EXPECT_EQ(HexPicture(top_left), "8" + std::string(575, '0'));

  Rows top_row{};
  for (int x = 0; x < 6; ++x) top_row[x] = 0xFF;
  EXPECT_EQ(HexPicture(top_row), std::string(12, 'F') + std::string(564, '0'));

  Rows last_pixel{};
  last_pixel[47 * 8 + 5] = 0x01;
  EXPECT_EQ(HexPicture(last_pixel), std::string(575, '0') + "1");
}

TEST(HexPicture, PaddingBytesAreNeverRead) {
  Rows padded = RandomFace(1), clean = padded;
  for (int y = 0; y < 48; ++y) padded[y * 8 + 6] = padded[y * 8 + 7] = 0xA5;
  for (int y = 0; y < 48; ++y) clean[y * 8 + 6] = clean[y * 8 + 7] = 0;
  EXPECT_EQ(HexPicture(padded), HexPicture(clean));
}

TEST(DecodedPicture, WordsLandInTheirBytes) {
  std::string text;
  for (int y = 0; y < 48; ++y)
    text += y == 0 ? "0xFFFF,0x0000,0x8000,\n" : "0x0000,0x0000,0x0000,\n";
  Rows rows{};
  rows.fill(0x5A);
  ReadDecodedPicture(text.c_str(), rows.data(), 8);
  EXPECT_EQ((std::array<uint8_t, 8>{rows[0], rows[1], rows[2], rows[3], rows[4], rows[5], rows[6],
                                    rows[7]}),
            (std::array<uint8_t, 8>{0xFF, 0xFF, 0x00, 0x00, 0x80, 0x00, 0x5A, 0x5A}));
  EXPECT_EQ(rows[8], 0);
}

TEST(XFaceCodec, RandomFacesRoundTripBitForBit) {
  for (unsigned seed : {1u, 2u, 3u, 42u, 1234u}) {
    const Rows face = RandomFace(seed);
    const std::string header = Encode(face);
    Rows decoded{};
    decoded.fill(0xEE);
    ASSERT_EQ(XFaceToBits(header, decoded.data(), 8), 0) << seed;
    for (int y = 0; y < 48; ++y) {
      for (int x = 0; x < 6; ++x) EXPECT_EQ(decoded[y * 8 + x], face[y * 8 + x]) << seed;
      EXPECT_EQ(decoded[y * 8 + 6], 0xEE);  // padding left as it was
      EXPECT_EQ(decoded[y * 8 + 7], 0xEE);
    }
  }
}

TEST(XFaceCodec, HeaderTextHasTheCodecsLayout) {
  const std::string header = Encode(RandomFace(7));
  ASSERT_FALSE(header.empty());
  EXPECT_EQ(header.front(), ' ');
  EXPECT_EQ(header.back(), '\n');
  std::size_t start = 0;
  for (std::size_t end; (end = header.find('\n', start)) != std::string::npos; start = end + 1) {
    EXPECT_LE(end - start, 79u);
    EXPECT_EQ(header[start], ' ');
    for (std::size_t i = start + 1; i < end; ++i) EXPECT_TRUE(header[i] >= '!' && header[i] <= '~');
  }
}

TEST(XFaceCodec, WhitespaceBetweenCodeCharactersIsSkipped) {
  const Rows face = RandomFace(9);
  std::string header = Encode(face), folded;
  for (char c : header) {
    if (c == '\n') continue;
    folded += c;
    if (folded.size() % 10 == 0) folded += "\r\n\t ";
  }
  Rows decoded{};
  ASSERT_EQ(XFaceToBits(folded, decoded.data(), 8), 0);
  EXPECT_EQ(decoded, face);
}

TEST(XFaceCodec, ACodeTooLongFailsAndLeavesTheRowsAlone) {
  Rows rows{};
  rows.fill(0x3C);
  const Rows before = rows;
  EXPECT_EQ(XFaceToBits(std::string(1000, '~'), rows.data(), 8), -2);
  EXPECT_EQ(rows, before);
}

TEST(XFaceCodec, EmptyTextDecodesWithoutError) {
  Rows rows{};
  EXPECT_EQ(XFaceToBits("", rows.data(), 8), 0);
}

TEST(XFaceCodec, OnlyTheFirst2047BytesAreDecoded) {
  // 700 "~" decode; 720 overflow the codec. Behind 1347 blanks, 700 of the 1000 "~" fall
  // within the first 2047 bytes; behind 1327 blanks, 720 do.
  Rows rows{};
  EXPECT_EQ(XFaceToBits(std::string(700, '~'), rows.data(), 8), 0);
  EXPECT_EQ(XFaceToBits(std::string(720, '~'), rows.data(), 8), -2);
  EXPECT_EQ(XFaceToBits(std::string(1347, ' ') + std::string(1000, '~'), rows.data(), 8), 0);
  EXPECT_EQ(XFaceToBits(std::string(1327, ' ') + std::string(1000, '~'), rows.data(), 8), -2);
}

// Faces that cost compface the most digits, given as its 576 hexadecimal digits (6 rows a
// line). Writing a face's code, compface puts the digits in a static buffer of 576 bytes that
// it does not check.
// Every prediction wrong: each 2 x 2 square black in the costliest way; 575 digits.
constexpr char kCostliestFaceThatFits[] =
    "FFFFFFFFFFFFD55555555555333333333332B1999999999BCDDDDDDDDDD9EC6666666666"
    "B32666666666B31999999999CCCD99999999ECC266666666B33366666666B33499999999"
    "CCCCD9999999ECCF26666666B33336666666B332C9999999CCCCCD999999ECCC32666666"
    "B33333666666B3334C999999CCCCCCD99999ECCCE3266666B33333366666B3332CC99999"
    "CCCCCCCD9999ECCCC3326666B33333336666B33334CC9999CCCCCCCCD999ECCCCE332666"
    "B33333333666B33332CCC999CCCCCCCCCD99ECCCCC333266B33333333366B333334CCC99"
    "CCCCCCCCCCD9ECCCCCE33326B33333333336B333332CCCC9CCCCCCCCCCCCECCCCCC33336"
    "B33333333331B3333334CCC9CCCCCCCCCCDCECCCCCCE3326B33333333337B3333332CCC9";
// The same with one white square in each 16 x 16 block, so that no block can be coded as
// black as a whole: 608 digits, which would overflow compface's buffer.
constexpr char kFaceTooCostly[] =
    "FFFFFFFFFFFFD55555555555333333333332B1999999999BCDDDDDDDDDD9EC6666666666"
    "B32666666666B31999999999CC3999599959EE0C66866686B34E66666666B36319699969"
    "CCB39B999B99ECCCC49C649CB30CE6666666B3B337259B27CC9B39999999ECDCC9C865C8"
    "B324C6666E67B33332769276CCD9B1999998ECCDCC99EC99B32E4C666665B37233365736"
    "CC119BE9994EEE8D840D8923B36C666665B2B3226962664CCC919B99986DEDD998999D93"
    "B226666664D8B336666666CDCCC99999992DECCD999999B2B33266666663B33366666679"
    "CCCC9999999BECCCD9999990B33326666679B33336666667CC0CC9599904EE3CCD6D9B72"
    "B31B33226533B2C9B313679CCCC5CCDB99CCEC364CCC9967B33233246672B3499B733618";

Rows FromHex(const char* hex) {
  Rows rows{};
  for (int i = 0; i < 48 * 6; ++i)
    rows[i / 6 * 8 + i % 6] =
        static_cast<uint8_t>(std::stoi(std::string(hex + 2 * i, 2), nullptr, 16));
  return rows;
}

TEST(XFaceCodec, TheCostliestFacesFitOrAreRefused) {
  const Rows fits = FromHex(kCostliestFaceThatFits);
  ASSERT_EQ(HexPicture(fits), kCostliestFaceThatFits);
  const std::string header = Encode(fits);
  std::size_t digits = 0;
  for (char c : header) digits += c >= '!' && c <= '~';
  EXPECT_EQ(digits, 575u);
  Rows decoded{};
  ASSERT_EQ(XFaceToBits(header, decoded.data(), 8), 0);
  EXPECT_EQ(decoded, fits);

  char buffer[kXFaceBufferSize];
  EXPECT_EQ(BitsToXFace(FromHex(kFaceTooCostly).data(), 8, buffer), -2);
  EXPECT_STREQ(buffer, "");
  // The codec is left fit for the next face.
  EXPECT_EQ(Encode(fits), header);
}

}  // namespace
}  // namespace vizmark
