// Any bytes as a packed picture from the clipboard. What comes back is empty or a BMP file
// whose layout is accepted, holding the input unchanged after its 14-byte file header.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "face/bmp_layout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const auto file = vizmark::BmpFileFromPackedDib(std::span(data, size));
  if (file.empty()) return 0;
  if (file.size() != size + 14 || !vizmark::ReadBmpLayout(file) ||
      !std::equal(data, data + size, file.begin() + 14))
    std::abort();
  return 0;
}
