#include "hostsim/host_state.h"

namespace hostsim {

namespace {

constexpr std::string_view kReadHeader = "%OHEADER(\"X-Face\")%-";
constexpr std::string_view kReadFaceHeader = "%OHEADER(\"Face\")%-";
constexpr std::string_view kSetHeaderHead = "%SETHEADER(\"X-Face\", \"";
constexpr std::string_view kSetHeaderTail = "\")%-";

}  // namespace

std::string UnescapeQuoted(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    out.push_back(text[i]);
    if ((text[i] == '"' || text[i] == '%') && i + 1 < text.size() && text[i + 1] == text[i]) ++i;
  }
  return out;
}

std::string HostState::Evaluate(std::string_view text) {
  evaluated.emplace_back(text);
  if (text == kReadHeader) return read_xface;
  if (text == kReadFaceHeader) return read_face;
  if (text.starts_with(kSetHeaderHead) && text.ends_with(kSetHeaderTail) &&
      text.size() >= kSetHeaderHead.size() + kSetHeaderTail.size()) {
    text.remove_prefix(kSetHeaderHead.size());
    text.remove_suffix(kSetHeaderTail.size());
    composed_xface = UnescapeQuoted(text);
  }
  return {};
}

}  // namespace hostsim
