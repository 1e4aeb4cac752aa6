// Text in a Windows code page made into the UTF-16 the W calls take.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace vizmark {

// `text` read in `code_page` (CP_ACP for the system's own, 1250 for our texts); empty when
// it is empty, too long for the call, or cannot be converted.
inline std::wstring WideFromCodePage(std::string_view text, UINT code_page) {
  if (text.empty() || text.size() > 0x7FFFFFFF) return {};
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(code_page, 0, text.data(), size, nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  if (MultiByteToWideChar(code_page, 0, text.data(), size, wide.data(), length) != length)
    return {};
  return wide;
}

}  // namespace vizmark
