// Text helpers of the macros: escaping for host macro arguments, file extensions.
#pragma once

#include <string>
#include <string_view>

namespace vizmark {

// `text` with every character of MacroSpecialChars (" and %) doubled, so that it can stand
// inside a quoted argument of host macro text.
std::string EscapeMacroText(std::string_view text);

// From the last "." to the end, when that "." comes after the last "\" and ":"; else empty.
std::string_view FileExtension(std::string_view path);

// The request that has the host set the message's "X-Face" header to `header_text`.
std::string SetHeaderRequest(std::string_view header_text);

}  // namespace vizmark
