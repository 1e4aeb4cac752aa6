// Windows-1250 text written readably in UTF-8 source.
//
// "ścieżka"_cp1250 is a std::string_view of the Windows-1250 bytes of the literal,
// converted at compile time. A character that has no Windows-1250 byte in the table
// below stops the build.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace vizmark {

namespace cp1250_detail {

// The letters of Polish and the punctuation our texts use, outside ASCII.
struct Mapping {
  char32_t code_point;
  unsigned char byte;
};
inline constexpr Mapping kMappings[] = {
    {U'Ą', 0xA5}, {U'ą', 0xB9}, {U'Ć', 0xC6}, {U'ć', 0xE6}, {U'Ę', 0xCA}, {U'ę', 0xEA},
    {U'Ł', 0xA3}, {U'ł', 0xB3}, {U'Ń', 0xD1}, {U'ń', 0xF1}, {U'Ó', 0xD3}, {U'ó', 0xF3},
    {U'Ś', 0x8C}, {U'ś', 0x9C}, {U'Ź', 0x8F}, {U'ź', 0x9F}, {U'Ż', 0xAF}, {U'ż', 0xBF},
    {U'„', 0x84}, {U'”', 0x94}, {U'–', 0x96}, {U'—', 0x97}, {U'…', 0x85}, {U'©', 0xA9},
};

consteval unsigned char ByteFor(char32_t code_point) {
  if (code_point < 0x80) return static_cast<unsigned char>(code_point);
  for (const Mapping& m : kMappings)
    if (m.code_point == code_point) return m.byte;
  throw "character has no Windows-1250 byte in cp1250.h";
}

template <std::size_t N>
struct Utf8Literal {
  char bytes[N]{};
  consteval Utf8Literal(const char (&text)[N]) {
    for (std::size_t i = 0; i < N; ++i) bytes[i] = text[i];
  }
};

template <std::size_t N>
struct Converted {
  std::array<char, N> bytes{};
  std::size_t size = 0;
};

template <std::size_t N>
consteval Converted<N> Convert(const Utf8Literal<N>& in) {
  Converted<N> out;
  for (std::size_t i = 0; i + 1 < N;) {
    const auto lead = static_cast<unsigned char>(in.bytes[i]);
    std::size_t extra = 0;
    char32_t cp = 0;
    if (lead < 0x80) {
      cp = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      cp = lead & 0x1F, extra = 1;
    } else if ((lead & 0xF0) == 0xE0) {
      cp = lead & 0x0F, extra = 2;
    } else {
      throw "unsupported UTF-8 sequence";
    }
    if (i + extra + 1 >= N) throw "truncated UTF-8 sequence";
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto cont = static_cast<unsigned char>(in.bytes[i + k]);
      if ((cont & 0xC0) != 0x80) throw "bad UTF-8 continuation byte";
      cp = (cp << 6) | (cont & 0x3F);
    }
    out.bytes[out.size++] = static_cast<char>(ByteFor(cp));
    i += extra + 1;
  }
  return out;
}

template <Utf8Literal S>
inline constexpr auto kStorage = Convert(S);

}  // namespace cp1250_detail

template <cp1250_detail::Utf8Literal S>
consteval std::string_view operator""_cp1250() {
  return {cp1250_detail::kStorage<S>.bytes.data(), cp1250_detail::kStorage<S>.size};
}

}  // namespace vizmark
