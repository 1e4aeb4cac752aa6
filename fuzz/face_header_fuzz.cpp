// Any bytes as a message's Face header. A header is taken only when it is short enough, its
// text is the PNG's bytes in base64 exactly as an encoder writes them (give or take folding
// whitespace), and those bytes begin with the signature and the IHDR of a 48 x 48 picture in
// a valid format; a refused one gives no bytes. The base64 is written here again from what
// came out, and compared with the text.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "face/face_header.h"

namespace {

std::string Base64(const unsigned char* bytes, std::size_t size) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t i = 0; i < size; i += 3) {
    const std::size_t left = size - i;
    const uint32_t bits =
        bytes[i] << 16 | (left > 1 ? bytes[i + 1] << 8 : 0) | (left > 2 ? bytes[i + 2] : 0);
    for (std::size_t k = 0; k < 4; ++k)
      out += k <= left ? kAlphabet[(bits >> (18 - 6 * k)) & 0x3F] : '=';
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const vizmark::FaceHeader face = vizmark::ReadFaceHeader(text);
  const auto png = face.png();
  std::string unfolded;
  for (const char c : text)
    if (c != '\r' && c != '\n' && c != ' ' && c != '\t') unfolded += c;
  const bool too_long =
      unfolded.size() > vizmark::kMaxFaceHeaderBytes || size > vizmark::kMaxFoldedFaceHeaderBytes;
  if (too_long != (face.status == vizmark::FaceHeaderStatus::kTooLong)) std::abort();
  if (face.status != vizmark::FaceHeaderStatus::kOk) {
    if (!png.empty()) std::abort();
    return 0;
  }

  if (png.size() > vizmark::kMaxFacePngBytes || Base64(png.data(), png.size()) != unfolded)
    std::abort();
  static constexpr unsigned char kStart[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n',
                                             0,    0,   0,   13,  'I',  'H',  'D',  'R',
                                             0,    0,   0,   48,  0,    0,    0,    48};
  if (png.size() < 33 || std::memcmp(png.data(), kStart, sizeof kStart) != 0) std::abort();
  // Bit depths as bits (1 << depth) for grey, -, RGB, palette, grey with alpha, -, RGBA;
  // compression and filter method 0, interlace method 0 or 1.
  static constexpr uint32_t kDepths[7] = {0x10116, 0, 0x10100, 0x116, 0x10100, 0, 0x10100};
  const unsigned depth = png[24], colour_type = png[25];
  if (colour_type > 6 || depth > 16 || (kDepths[colour_type] >> depth & 1) == 0) std::abort();
  if (png[26] != 0 || png[27] != 0 || png[28] > 1) std::abort();
  return 0;
}
