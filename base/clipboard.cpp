#include "base/clipboard.h"

#include <cstring>
#include <string>

#include "base/trace.h"
#include "base/win_handles.h"

namespace vizmark {

namespace {

// Puts `size` bytes on the opened clipboard as `format`; the clipboard owns them once it took
// them.
bool PutOnClipboard(UINT format, const void* bytes, std::size_t size) {
  UniqueHglobal memory(GlobalAlloc(GMEM_MOVEABLE, size));
  {
    LockedGlobal locked(memory.get());
    if (locked.data() == nullptr) return false;
    std::memcpy(locked.data(), bytes, size);
  }
  if (SetClipboardData(format, memory.get()) == nullptr) return false;
  static_cast<void>(memory.release());
  return true;
}

}  // namespace

bool PutTextOnClipboard(HWND window, std::wstring_view wide, std::string_view narrow) {
  const std::wstring wide_text(wide);
  const std::string narrow_text(narrow);
  OpenedClipboard clipboard(window);
  const bool put =
      clipboard && EmptyClipboard() &&
      PutOnClipboard(CF_UNICODETEXT, wide_text.c_str(), (wide_text.size() + 1) * sizeof(wchar_t)) &&
      PutOnClipboard(CF_TEXT, narrow_text.c_str(), narrow_text.size() + 1);
  if (!put) Trace(L"the clipboard took no text");
  return put;
}

}  // namespace vizmark
