#include "base/mail_link.h"

#include "base/cp1250.h"

namespace vizmark {

namespace {

// The characters of our Windows-1250 texts outside ASCII (those cp1250.h knows).
char32_t CodePointOf(unsigned char byte) {
  if (byte < 0x80) return byte;
  for (const auto& mapping : cp1250_detail::kMappings)
    if (mapping.byte == byte) return mapping.code_point;
  return U'\uFFFD';
}

void AppendEscaped(std::string& link, unsigned char byte) {
  constexpr char kHex[] = "0123456789ABCDEF";
  link += '%';
  link += kHex[byte >> 4];
  link += kHex[byte & 0xF];
}

void AppendUtf8Escaped(std::string& link, char32_t c) {
  if (c < 0x800) {
    AppendEscaped(link, static_cast<unsigned char>(0xC0 | (c >> 6)));
  } else {
    AppendEscaped(link, static_cast<unsigned char>(0xE0 | (c >> 12)));
    AppendEscaped(link, static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F)));
  }
  AppendEscaped(link, static_cast<unsigned char>(0x80 | (c & 0x3F)));
}

}  // namespace

std::string MailLink(std::string_view name, std::string_view address) {
  std::string text(name);
  text += " <";
  text += address;
  text += '>';
  std::string link = "mailto:";
  for (const char byte : text) {
    const char32_t c = CodePointOf(static_cast<unsigned char>(byte));
    if (c == ' ' || c == '<' || c == '>')
      AppendEscaped(link, static_cast<unsigned char>(c));
    else if (c < 0x80)
      link += static_cast<char>(c);
    else
      AppendUtf8Escaped(link, c);
  }
  return link;
}

}  // namespace vizmark
