#include "face/face_header.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vizmark {
namespace {

using Bytes = std::vector<unsigned char>;

uint32_t Crc32(const unsigned char* data, std::size_t size) {
  uint32_t crc = 0xFFFFFFFF;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
  }
  return ~crc;
}

void PutU32(Bytes& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<unsigned char>(value >> shift));
}

void PutChunk(Bytes& out, const char (&type)[5], const Bytes& data, uint32_t length) {
  PutU32(out, length);
  const std::size_t typed_at = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutU32(out, Crc32(out.data() + typed_at, out.size() - typed_at));
}

// A PNG as its IHDR describes it, with a white picture of 48 x 48 pixels at one bit of grey
// (a stored deflate block) for its IDAT, then IEND. Every CRC is right.
struct Png {
  uint32_t width = 48;
  uint32_t height = 48;
  unsigned char bit_depth = 1;
  unsigned char colour_type = 0;
  unsigned char compression = 0;
  unsigned char filter = 0;
  unsigned char interlace = 0;
  uint32_t ihdr_length = 13;
  char ihdr_type[5] = "IHDR";
  std::size_t text_bytes = 0;  // a tEXt chunk of this many bytes after IHDR; 0: none
};

Bytes Make(const Png& png) {
  Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes ihdr;
  PutU32(ihdr, png.width);
  PutU32(ihdr, png.height);
  ihdr.insert(ihdr.end(),
              {png.bit_depth, png.colour_type, png.compression, png.filter, png.interlace});
  PutChunk(out, png.ihdr_type, ihdr, png.ihdr_length);
  if (png.text_bytes > 0) {
    Bytes text = {'C', 'o', 'm', 'm', 'e', 'n', 't', 0};
    text.resize(png.text_bytes, 'x');
    PutChunk(out, "tEXt", text, static_cast<uint32_t>(text.size()));
  }
  // 48 rows: filter type 0, then 6 bytes of white pixels.
  Bytes raw;
  for (int row = 0; row < 48; ++row) {
    raw.push_back(0);
    raw.insert(raw.end(), 6, 0xFF);
  }
  uint32_t a = 1, b = 0;
  for (const unsigned char byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  const auto size = static_cast<uint16_t>(raw.size());
  Bytes idat = {0x78,
                0x01,
                0x01,
                static_cast<unsigned char>(size),
                static_cast<unsigned char>(size >> 8),
                static_cast<unsigned char>(~size),
                static_cast<unsigned char>(~size >> 8)};
  idat.insert(idat.end(), raw.begin(), raw.end());
  PutU32(idat, b << 16 | a);
  PutChunk(out, "IDAT", idat, static_cast<uint32_t>(idat.size()));
  PutChunk(out, "IEND", {}, 0);
  return out;
}

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Padded base64, folded as a mailer folds a header: `fold` after every `line` characters.
std::string Base64(const Bytes& bytes, std::size_t line = 0, const std::string& fold = "") {
  std::string plain;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t left = bytes.size() - i;
    const uint32_t bits =
        bytes[i] << 16 | (left > 1 ? bytes[i + 1] << 8 : 0) | (left > 2 ? bytes[i + 2] : 0);
    for (std::size_t k = 0; k < 4; ++k)
      plain += k <= left ? kAlphabet[(bits >> (18 - 6 * k)) & 0x3F] : '=';
  }
  if (line == 0) return plain;
  std::string folded;
  for (std::size_t i = 0; i < plain.size(); i += line) {
    if (i > 0) folded += fold;
    folded += plain.substr(i, line);
  }
  return folded;
}

Bytes Cut(Bytes bytes, std::size_t size) {
  bytes.resize(size);
  return bytes;
}

struct Case {
  const char* name;
  std::string text;
  FaceHeaderStatus status;
  Bytes png = {};  // what comes out when the status is kOk
};

TEST(FaceHeader, ReadsOnlyA48By48PngInStrictBase64) {
  const Bytes face = Make({});
  const std::string text = Base64(face);
  // A PNG that fills the largest header: 747 bytes, 996 characters.
  const Bytes largest = Make({.text_bytes = kMaxFacePngBytes - face.size() - 12});
  ASSERT_EQ(largest.size(), kMaxFacePngBytes);
  // The face cut to leave one or two bytes in its last group: it ends in "==" or "=". Its
  // IHDR is whole, so only the base64 can refuse it.
  const Bytes one_left = Cut(face, face.size() / 3 * 3 - 2);
  const Bytes two_left = Cut(face, face.size() / 3 * 3 - 1);
  const std::string two_pads = Base64(one_left);
  const std::string one_pad = Base64(two_left);
  ASSERT_TRUE(two_pads.ends_with("==") && one_pad.ends_with("=") && !one_pad.ends_with("=="));
  // The character before the padding with the lowest of its unused bits set.
  const auto dirty = [](std::string base64) {
    char& last = base64[base64.find('=') - 1];
    last = kAlphabet[kAlphabet.find(last) | 1];
    return base64;
  };
  const std::vector<Case> cases = {
      {"48 x 48", text, FaceHeaderStatus::kOk, face},
      {"folded with CRLF and a space", Base64(face, 76, "\r\n "), FaceHeaderStatus::kOk, face},
      {"folded with LF and a tab, spaces around", "  " + Base64(face, 5, "\n\t") + " \r\n",
       FaceHeaderStatus::kOk, face},
      {"interlaced", Base64(Make({.interlace = 1})), FaceHeaderStatus::kOk, Make({.interlace = 1})},
      {"largest, folded to 998 bytes", Base64(largest, 498, "\r\n"), FaceHeaderStatus::kOk,
       largest},

      {"largest, folded every 76 characters", Base64(largest, 76, "\r\n "), FaceHeaderStatus::kOk,
       largest},
      {"folded after every character", Base64(face, 1, " "), FaceHeaderStatus::kOk, face},

      {"999 characters besides folding", Base64(largest, 498, "\r\n") + "AAA",
       FaceHeaderStatus::kTooLong},
      {"folding past twice 998 bytes", Base64(face, 1, "\r\n "), FaceHeaderStatus::kTooLong},
      {"5000 bytes", Base64(Make({.text_bytes = 3750 - face.size() - 12})),
       FaceHeaderStatus::kTooLong},
      {"empty", "", FaceHeaderStatus::kEmpty},
      {"folding whitespace only", " \r\n\t ", FaceHeaderStatus::kEmpty},

      {"a character outside the alphabet", "*" + text.substr(1), FaceHeaderStatus::kBadBase64},
      {"a '-' of the URL-safe alphabet", text.substr(0, 40) + "-" + text.substr(41),
       FaceHeaderStatus::kBadBase64},
      {"a '_' of the URL-safe alphabet", text.substr(0, 40) + "_" + text.substr(41),
       FaceHeaderStatus::kBadBase64},
      {"a zero byte", text.substr(0, 40) + std::string(1, '\0') + text.substr(40),
       FaceHeaderStatus::kBadBase64},
      {"a form feed", text.substr(0, 40) + "\f" + text.substr(40), FaceHeaderStatus::kBadBase64},
      {"padding inside", text.substr(0, 6) + "==" + text.substr(8), FaceHeaderStatus::kBadBase64},
      {"two padding characters", two_pads, FaceHeaderStatus::kOk, one_left},
      {"one padding character", one_pad, FaceHeaderStatus::kOk, two_left},
      {"data after padding", two_pads + "AAAA", FaceHeaderStatus::kBadBase64},
      {"a padded group after padding", one_pad + "AB==", FaceHeaderStatus::kBadBase64},
      {"three padding characters",
       two_pads.substr(0, two_pads.size() - 3) + "===", FaceHeaderStatus::kBadBase64},
      {"a group of padding", text + "====", FaceHeaderStatus::kBadBase64},
      {"padding left out", two_pads.substr(0, two_pads.size() - 2), FaceHeaderStatus::kBadBase64},
      {"unused bits before '==' set", dirty(two_pads), FaceHeaderStatus::kBadBase64},
      {"unused bits before '=' set", dirty(one_pad), FaceHeaderStatus::kBadBase64},
      {"a cut group", text.substr(0, 41), FaceHeaderStatus::kBadBase64},

      {"not a PNG", Base64({'G', 'I', 'F', '8', '9', 'a', 48, 0, 48, 0, 0, 0, 0}),
       FaceHeaderStatus::kNotPng},
      {"the signature cut", Base64(Cut(face, 7)), FaceHeaderStatus::kNotPng},
      {"cut inside IHDR", Base64(Cut(face, 20)), FaceHeaderStatus::kBadIhdr},
      {"cut before IHDR's CRC", Base64(Cut(face, 29)), FaceHeaderStatus::kBadIhdr},
      {"IHDR of 12 bytes", Base64(Make({.ihdr_length = 12})), FaceHeaderStatus::kBadIhdr},
      {"another chunk first", Base64(Make({.ihdr_type = "IHDr"})), FaceHeaderStatus::kBadIhdr},
      {"compression method 1", Base64(Make({.compression = 1})), FaceHeaderStatus::kBadIhdr},
      {"filter method 1", Base64(Make({.filter = 1})), FaceHeaderStatus::kBadIhdr},
      {"interlace method 2", Base64(Make({.interlace = 2})), FaceHeaderStatus::kBadIhdr},

      {"49 x 48", Base64(Make({.width = 49})), FaceHeaderStatus::kNotFaceSize},
      {"48 x 47", Base64(Make({.height = 47})), FaceHeaderStatus::kNotFaceSize},
      {"100000 x 100000", Base64(Make({.width = 100000, .height = 100000})),
       FaceHeaderStatus::kNotFaceSize},
      {"48 in the low half of its width", Base64(Make({.width = 0x10030})),
       FaceHeaderStatus::kNotFaceSize},
      {"0 x 0", Base64(Make({.width = 0, .height = 0})), FaceHeaderStatus::kNotFaceSize},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const FaceHeader read = ReadFaceHeader(c.text);
    EXPECT_EQ(read.status, c.status) << FaceHeaderStatusName(read.status);
    const auto png = read.png();
    EXPECT_EQ(Bytes(png.begin(), png.end()), c.png);
  }
}

TEST(FaceHeader, TakesTheBitDepthsEachColourTypeAllows) {
  const std::vector<int> allowed[] = {{1, 2, 4, 8, 16}, {}, {8, 16}, {1, 2, 4, 8},
                                      {8, 16},          {}, {8, 16}};
  for (int colour_type = 0; colour_type < 8; ++colour_type) {
    for (int bit_depth = 0; bit_depth <= 32; ++bit_depth) {
      SCOPED_TRACE(testing::Message()
                   << "colour type " << colour_type << ", " << bit_depth << " bits");
      bool valid = false;
      if (colour_type < 7)
        for (const int depth : allowed[colour_type]) valid = valid || depth == bit_depth;
      const FaceHeader read =
          ReadFaceHeader(Base64(Make({.bit_depth = static_cast<unsigned char>(bit_depth),
                                      .colour_type = static_cast<unsigned char>(colour_type)})));
      EXPECT_EQ(read.status, valid ? FaceHeaderStatus::kOk : FaceHeaderStatus::kBadPixelFormat);
    }
  }
}

}  // namespace
}  // namespace vizmark
