#include "face/face_header.h"

#include <cstdint>

#include "face/xface_codec.h"

namespace vizmark {

namespace {

constexpr unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// The IHDR chunk: its length (13), "IHDR", width, height, bit depth, colour type,
// compression, filter and interlace method, then its CRC (left to the decoder).
constexpr std::size_t kIhdrDataBytes = 13;
constexpr std::size_t kIhdrAt = sizeof kPngSignature;
constexpr std::size_t kIhdrEnd = kIhdrAt + 4 + 4 + kIhdrDataBytes + 4;

bool IsFoldingSpace(char c) { return c == '\r' || c == '\n' || c == ' ' || c == '\t'; }

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

// Decodes into `out`, which holds kMaxFacePngBytes; text of at most kMaxFaceHeaderBytes unfolded
// never takes more. Groups of four, the last one padded with one or two '=' when the data
// ends inside it; the unused bits before the padding must be zero, as an encoder writes them.
FaceHeaderStatus DecodeBase64(std::string_view text, unsigned char* out, std::size_t& size) {
  int group[4] = {};
  int filled = 0;
  int padding = 0;
  size = 0;
  for (const char c : text) {
    if (IsFoldingSpace(c)) continue;
    if (c == '=') {
      // Only the last two places of a group; a new group after a padded one has none.
      if (filled < 2) return FaceHeaderStatus::kBadBase64;
      ++padding;
      group[filled++] = 0;
    } else {
      const int value = Base64Value(c);
      if (value < 0 || padding > 0) return FaceHeaderStatus::kBadBase64;  // data after '='
      group[filled++] = value;
    }
    if (filled < 4) continue;
    if ((padding == 1 && (group[2] & 0x3) != 0) || (padding == 2 && (group[1] & 0xF) != 0))
      return FaceHeaderStatus::kBadBase64;
    const uint32_t bits = uint32_t(group[0]) << 18 | uint32_t(group[1]) << 12 |
                          uint32_t(group[2]) << 6 | uint32_t(group[3]);
    const int count = 3 - padding;
    for (int i = 0; i < count; ++i) out[size++] = static_cast<unsigned char>(bits >> (16 - 8 * i));
    filled = 0;
  }
  if (filled == 0 && size == 0) return FaceHeaderStatus::kEmpty;
  if (filled != 0) return FaceHeaderStatus::kBadBase64;  // a cut or unpadded last group
  return FaceHeaderStatus::kOk;
}

bool IsTooLong(std::string_view text) {
  if (text.size() > kMaxFoldedFaceHeaderBytes) return true;
  std::size_t characters = 0;
  for (const char c : text)
    if (!IsFoldingSpace(c)) ++characters;
  return characters > kMaxFaceHeaderBytes;
}

uint32_t ReadU32BigEndian(const unsigned char* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

// The bit depths each colour type allows: grey, RGB, palette, grey with alpha, RGBA.
bool IsValidPixelFormat(unsigned bit_depth, unsigned colour_type) {
  switch (colour_type) {
    case 0:
      return bit_depth == 1 || bit_depth == 2 || bit_depth == 4 || bit_depth == 8 ||
             bit_depth == 16;
    case 3:
      return bit_depth == 1 || bit_depth == 2 || bit_depth == 4 || bit_depth == 8;
    case 2:
    case 4:
    case 6:
      return bit_depth == 8 || bit_depth == 16;
    default:
      return false;
  }
}

FaceHeaderStatus CheckPngHeader(const unsigned char* png, std::size_t size) {
  if (size < sizeof kPngSignature) return FaceHeaderStatus::kNotPng;
  for (std::size_t i = 0; i < sizeof kPngSignature; ++i)
    if (png[i] != kPngSignature[i]) return FaceHeaderStatus::kNotPng;
  if (size < kIhdrEnd) return FaceHeaderStatus::kBadIhdr;
  const unsigned char* chunk = png + kIhdrAt;
  if (ReadU32BigEndian(chunk) != kIhdrDataBytes || chunk[4] != 'I' || chunk[5] != 'H' ||
      chunk[6] != 'D' || chunk[7] != 'R')
    return FaceHeaderStatus::kBadIhdr;
  const unsigned char* data = chunk + 8;
  if (ReadU32BigEndian(data) != kFaceSide || ReadU32BigEndian(data + 4) != kFaceSide)
    return FaceHeaderStatus::kNotFaceSize;
  if (!IsValidPixelFormat(data[8], data[9])) return FaceHeaderStatus::kBadPixelFormat;
  if (data[10] != 0 || data[11] != 0 || data[12] > 1) return FaceHeaderStatus::kBadIhdr;
  return FaceHeaderStatus::kOk;
}

}  // namespace

FaceHeader ReadFaceHeader(std::string_view header_text) {
  FaceHeader face;
  if (IsTooLong(header_text)) {
    face.status = FaceHeaderStatus::kTooLong;
    return face;
  }
  face.status = DecodeBase64(header_text, face.bytes, face.size);
  if (face.status == FaceHeaderStatus::kOk) face.status = CheckPngHeader(face.bytes, face.size);
  if (face.status != FaceHeaderStatus::kOk) face.size = 0;
  return face;
}

const wchar_t* FaceHeaderStatusName(FaceHeaderStatus status) {
  switch (status) {
    case FaceHeaderStatus::kOk:
      return L"ok";
    case FaceHeaderStatus::kTooLong:
      return L"too long";
    case FaceHeaderStatus::kEmpty:
      return L"empty";
    case FaceHeaderStatus::kBadBase64:
      return L"bad base64";
    case FaceHeaderStatus::kNotPng:
      return L"not a PNG";
    case FaceHeaderStatus::kBadIhdr:
      return L"bad IHDR chunk";
    case FaceHeaderStatus::kNotFaceSize:
      return L"not 48 x 48";
    case FaceHeaderStatus::kBadPixelFormat:
      return L"bad bit depth for its colour type";
  }
  return L"unknown";
}

}  // namespace vizmark
