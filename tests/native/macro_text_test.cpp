#include "macros/macro_text.h"

#include <gtest/gtest.h>

#include <string>

namespace vizmark {
namespace {

TEST(EscapeMacroText, DoublesQuotesAndPercentSignsOnly) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"plain text", "plain text"},
      {"ab\"c%d", "ab\"\"c%%d"},
      {"\"\"", "\"\"\"\""},
      {"%%%", "%%%%%%"},
      {" 5-Guo^p\n \"%\r\n", " 5-Guo^p\n \"\"%%\r\n"},
      {std::string("a\0\"b", 4), std::string("a\0\"\"b", 5)},
      {"\xF3\x9C\"", "\xF3\x9C\"\""},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(EscapeMacroText(in), out) << in;
}

TEST(FileExtension, TakesTheLastDotOfTheFileName) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\faces\\me.bmp", ".bmp"},
      {"C:\\faces\\me.BMP", ".BMP"},
      {"me.bmp.txt", ".txt"},
      {"C:\\faces\\me", ""},
      {"C:\\faces.d\\me", ""},
      {"C:me", ""},
      {"C:.bmp", ".bmp"},
      {"D:.x:y", ""},
      {".bmp", ".bmp"},
      {"name.", "."},
      {"", ""},
  };
  for (const auto& [path, ext] : cases) EXPECT_EQ(FileExtension(path), ext) << path;
}

TEST(SetHeaderRequest, WrapsTheEscapedTextInTheHostsRequest) {
  EXPECT_EQ(SetHeaderRequest(""), "%SETHEADER(\"X-Face\", \"\")%-");
  EXPECT_EQ(SetHeaderRequest(" a\"b%\n"), "%SETHEADER(\"X-Face\", \" a\"\"b%%\n\")%-");
}

}  // namespace
}  // namespace vizmark
