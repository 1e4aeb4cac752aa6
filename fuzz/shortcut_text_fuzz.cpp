// Any text as a stored shortcut: whatever it reads as, the text form of that shortcut
// reads back as the same shortcut.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "cfgdlg/filter_shortcut.h"

namespace {
std::string Layout(uint16_t key) { return key == 186 ? "Semicolon" : std::string(); }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const uint16_t shortcut = vizmark::TextToShortCut(text, Layout);
  const std::string written = vizmark::ShortCutToText(shortcut, Layout);
  if (shortcut != 0 && written.empty()) std::abort();
  if (vizmark::TextToShortCut(written, Layout) != shortcut) std::abort();
  return 0;
}
