// Any bytes as a picture file whose declared sizes are checked. Besides reading nothing
// outside the bytes, the check must be monotonic: a file within some limits is within any
// larger ones, and a file over some limits is over any smaller ones.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "face/declared_size.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using vizmark::DeclaredSize;
  const std::span<const uint8_t> file(data, size);
  const DeclaredSize small = vizmark::CheckDeclaredSize(file, 4096, uint64_t{1} << 20);
  const DeclaredSize large = vizmark::CheckDeclaredSize(file, 65535, uint64_t{64} << 20);
  if ((small == DeclaredSize::kUnknown) != (large == DeclaredSize::kUnknown)) std::abort();
  if (small == DeclaredSize::kAcceptable && large != DeclaredSize::kAcceptable) std::abort();
  return 0;
}
