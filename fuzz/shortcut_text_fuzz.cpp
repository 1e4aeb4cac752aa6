// Any text as a stored shortcut: whatever it reads as, the text form of that shortcut
// reads back as the same shortcut.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "shortcut/filter_shortcut.h"

namespace {
// A layout that, like real ones, gives one name to keys sharing a scan code unless asked for
// the extended one, and one name to two keys outright.
std::string Layout(uint16_t key, bool extended) {
  switch (key) {
    case 186:
      return "Semicolon";
    case 191:
      return "/";
    case 111:
      return extended ? "Num /" : "/";
    case 106:
      return "Num *";
    case 44:
      return extended ? "Prnt Scrn" : "Num *";
    case 19:
      return "Pause";
    case 144:
      return extended ? "Num Lock" : "Pause";
    case 146:
      return extended ? "" : "=";
    case 187:
      return "=";
    case 3:
      return extended ? "" : "Scroll Lock";
    case 145:
      return extended ? "" : "Scroll Lock";
    default:
      return {};
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const uint16_t shortcut = vizmark::TextToShortcut(text, Layout);
  const std::string written = vizmark::ShortcutToText(shortcut, Layout);
  if (shortcut != 0 && written.empty()) std::abort();
  if (vizmark::TextToShortcut(written, Layout) != shortcut) std::abort();
  return 0;
}
