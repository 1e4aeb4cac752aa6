// A trace of a failure the plug-in swallows: one line through OutputDebugStringW, prefixed
// "Vizmark: ", what a supporter reads with a debug viewer. Never throws, never allocates.
#pragma once

#include <windows.h>

namespace vizmark {

// "Vizmark: what", or "Vizmark: what: about" when something is named.
inline void Trace(const wchar_t* what, const wchar_t* about = nullptr) noexcept {
  constexpr int kSize = 256;
  wchar_t line[kSize] = L"Vizmark: ";
  const auto append = [&line](const wchar_t* text) {
    const int used = lstrlenW(line);
    lstrcpynW(line + used, text != nullptr ? text : L"", kSize - used - 1);
  };
  append(what);
  if (about != nullptr) {
    append(L": ");
    append(about);
  }
  append(L"\n");
  OutputDebugStringW(line);
}

}  // namespace vizmark
