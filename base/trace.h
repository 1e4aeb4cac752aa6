// A trace of a failure the plug-in swallows: one line through OutputDebugStringW, prefixed
// "Vizmark: ", what a supporter reads with a debug viewer. Never throws, never allocates.
#pragma once

#include <windows.h>

namespace vizmark {

inline void Trace(const wchar_t* what) noexcept {
  wchar_t line[256] = L"Vizmark: ";
  const int prefix = lstrlenW(line);
  lstrcpynW(line + prefix, what != nullptr ? what : L"", 256 - prefix - 2);
  lstrcatW(line, L"\n");
  OutputDebugStringW(line);
}

}  // namespace vizmark
