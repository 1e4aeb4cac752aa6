#include "base/cp1250.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

namespace vizmark {
namespace {

// The table is checked against the C library's own Windows-1250 converter.
TEST(Cp1250, EveryMappedCharacterMatchesIconv) {
  iconv_t cd = iconv_open("CP1250", "UTF-32LE");
  ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
  for (const cp1250_detail::Mapping& m : cp1250_detail::kMappings) {
    char32_t in = m.code_point;
    char out = 0;
    char* in_ptr = reinterpret_cast<char*>(&in);
    char* out_ptr = &out;
    std::size_t in_left = sizeof in, out_left = 1;
    ASSERT_NE(iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left), static_cast<std::size_t>(-1))
        << "U+" << std::hex << static_cast<unsigned>(m.code_point);
    EXPECT_EQ(static_cast<unsigned char>(out), m.byte)
        << "U+" << std::hex << static_cast<unsigned>(m.code_point);
  }
  iconv_close(cd);
}

TEST(Cp1250, ConvertsPolishTextAndKeepsAscii) {
  EXPECT_EQ("za malo parametrów"_cp1250, "za malo parametr\xF3w");
  EXPECT_EQ("Zażółć gęślą jaźń"_cp1250, "Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1");
  EXPECT_EQ(""_cp1250, "");
  EXPECT_EQ("a\\b\"c"_cp1250, "a\\b\"c");
}

}  // namespace
}  // namespace vizmark
