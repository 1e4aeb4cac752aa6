#include "plugin/host_buffer.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace vizmark {

int32_t CopyToHostBuffer(std::string_view text, char* buffer, int32_t size) noexcept {
  // Our texts are small; the clamp only keeps the arithmetic honest.
  const auto length =
      static_cast<int32_t>(std::min<std::size_t>(text.size(), std::numeric_limits<int32_t>::max()));
  if (buffer == nullptr || size < 0) return length;
  const int32_t n = std::min(size, length);
  if (n > 0) std::memcpy(buffer, text.data(), static_cast<std::size_t>(n));
  return n;
}

}  // namespace vizmark
