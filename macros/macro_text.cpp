#include "macros/macro_text.h"

#include "macros/macros.h"

namespace vizmark {

std::string EscapeMacroText(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size() + text.size() / 8);
  for (char c : text) {
    escaped.push_back(c);
    if (MacroSpecialChars.find(c) != std::string_view::npos) escaped.push_back(c);
  }
  return escaped;
}

std::string_view FileExtension(std::string_view path) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string_view::npos) return {};
  const std::size_t separator = path.find_last_of("\\:");
  if (separator != std::string_view::npos && separator > dot) return {};
  return path.substr(dot);
}

std::string SetHeaderRequest(std::string_view header_text) {
  std::string request = "%SETHEADER(\"X-Face\", \"";
  request += EscapeMacroText(header_text);
  request += "\")%-";
  return request;
}

}  // namespace vizmark
