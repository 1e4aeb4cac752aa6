// A text file's bytes as the SetXFace macro takes them (up to the first zero byte), escaped
// for the host's request: checked against the simplest model of the escaping.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "macros/macro_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string file(reinterpret_cast<const char*>(data), size);
  const std::string text = file.substr(0, file.find('\0'));
  std::string model;
  for (char c : text) {
    model += c;
    if (c == '"' || c == '%') model += c;
  }
  if (vizmark::EscapeMacroText(text) != model) std::abort();
  const std::string request = vizmark::SetHeaderRequest(text);
  if (request != "%SETHEADER(\"X-Face\", \"" + model + "\")%-") std::abort();
  return 0;
}
