// Any bytes, of any length, as a message's X-Face header: decoding either fails with the
// codec's status and leaves the rows alone, or fills bytes 0-5 of each row and nothing else.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "face/xface_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  constexpr std::size_t kStride = 8;
  uint8_t rows[48 * kStride + 16];
  std::memset(rows, 0xA5, sizeof rows);
  const int32_t status = vizmark::XFaceToBits(
      std::string_view(reinterpret_cast<const char*>(data), size), rows, kStride);
  if (status > 0) std::abort();
  for (std::size_t i = 0; i < sizeof rows; ++i) {
    const bool pixel = i < 48 * kStride && i % kStride < 6;
    if (status < 0 && rows[i] != 0xA5) std::abort();  // untouched on failure
    if (!pixel && rows[i] != 0xA5) std::abort();      // padding and beyond never written
  }
  return 0;
}
