// Any bytes as a face (48 rows of 6 bytes; missing bytes are white): encoding either fails
// with -2, leaving no text, or gives header text in the codec's layout, at most 576 code
// characters, that decodes to the same face bit for bit.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "face/xface_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  constexpr std::size_t kFaceBytes = vizmark::kFaceSide * vizmark::kFaceRowBytes;
  uint8_t face[kFaceBytes] = {};
  std::memcpy(face, data, size < kFaceBytes ? size : kFaceBytes);

  char buffer[vizmark::kXFaceBufferSize];
  const int32_t status = vizmark::BitsToXFace(face, vizmark::kFaceRowBytes, buffer);
  if (status == -2) {
    if (buffer[0] != '\0') std::abort();
    return 0;
  }
  if (status != 0) std::abort();

  const std::string_view header(buffer);
  std::size_t code = 0, column = 0;
  for (char c : header) {
    if (c == '\n') {
      column = 0;
      continue;
    }
    const bool fits = column == 0 ? c == ' ' : c >= '!' && c <= '~';
    if (!fits || ++column > 79) std::abort();
    code += column > 1;
  }
  if (header.empty() || header.back() != '\n' || code > 576) std::abort();

  uint8_t decoded[kFaceBytes];
  if (vizmark::XFaceToBits(header, decoded, vizmark::kFaceRowBytes) != 0) std::abort();
  if (std::memcmp(decoded, face, kFaceBytes) != 0) std::abort();
  return 0;
}
