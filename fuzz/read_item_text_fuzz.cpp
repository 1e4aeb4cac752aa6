// ReadItemText against a host object whose answers lie: the input gives the two lengths
// it answers and the bytes it writes (never more than the capacity it was given).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "macros/macros.h"

namespace {

class LyingItem final : public vizmark::MacroContext {
 public:
  LyingItem(int32_t length, int32_t copied, std::string bytes)
      : length_(length), copied_(copied), bytes_(std::move(bytes)) {}

  int32_t QueryInterface(const void*, void**) override { return -1; }
  uint32_t AddRef() override { return 1; }
  uint32_t Release() override { return 1; }
  int32_t ReadItem(int32_t, char* buffer, int32_t size) override {
    if (buffer == nullptr) return length_;
    capacity_ = size;
    const std::size_t n = std::min(bytes_.size(), static_cast<std::size_t>(std::max(size, 0)));
    std::memcpy(buffer, bytes_.data(), n);
    return copied_;
  }
  int32_t SetItem(int32_t, const char*, int32_t) override { return 0; }
  int32_t HostOperation5() override { return 0; }
  int32_t HostOperation6() override { return 0; }
  int32_t HostOperation7() override { return 0; }
  int32_t ItemCount() override { return 1; }
  int32_t Evaluate(const char*, int32_t, int32_t, MacroContext*) override { return 0; }

  int32_t capacity_ = -1;

 private:
  int32_t length_, copied_;
  std::string bytes_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size < 8) return 0;
  int32_t length, copied;
  std::memcpy(&length, data, 4);
  std::memcpy(&copied, data + 4, 4);
  const std::string bytes(reinterpret_cast<const char*>(data) + 8, size - 8);
  LyingItem item(length, copied, bytes);
  const std::string text = vizmark::ReadItemText(&item, 0);

  // The text is a zero-free prefix of what the host wrote, within every limit it was given.
  if (text.find('\0') != std::string::npos) std::abort();
  if (!text.empty() && (length <= 0 || copied <= 0)) std::abort();
  if (text.size() > static_cast<std::size_t>(std::max(length, 0))) std::abort();
  if (text.size() > static_cast<std::size_t>(vizmark::kMaxItemBytes)) std::abort();
  if (bytes.compare(0, text.size(), text) != 0) std::abort();
  if (text.size() > static_cast<std::size_t>(std::max(copied, 0))) std::abort();
  return 0;
}
