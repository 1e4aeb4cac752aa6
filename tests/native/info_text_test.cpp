#include "plugin/info_text.h"

#include <gtest/gtest.h>

#include "base/identity.h"

namespace vizmark {
namespace {

TEST(InfoText, FramesTheBodyWithNameAndVersion) {
  const std::string text = BuildInfoText();
  EXPECT_TRUE(text.starts_with("<html><body><h2>Vizmark  1.5</h2><br>Autor: <b>"));
  EXPECT_TRUE(text.ends_with(
      "<h5>%XFaceVersion</h5> Makro zwraca nazw\xEA i numer wersji pluginu. <br></body></html>"));
}

TEST(InfoText, LinksUseTheSameAddressTwice) {
  const std::string text = BuildInfoText();
  const std::string mail = std::string(kAuthorEmail);
  const std::string home = std::string(kHomePage);
  EXPECT_NE(text.find("&lt;<a href=\"mailto:" + mail + "\">" + mail + "</a>&gt;"),
            std::string::npos);
  EXPECT_NE(text.find("<br>Strona: <a href=\"" + home + "\">" + home + "</a>"), std::string::npos);
  EXPECT_NE(text.find("<a href=\"" + std::string(kEnglishHomePage) + "\">home page</a>)<hr><br>"),
            std::string::npos);
}

TEST(InfoText, BodyIsWindows1250WithItsExactSpacing) {
  const std::string text = BuildInfoText();
  // "wyświetlania nagłówka", the two spaces after the first "ścieżkę", and the single one
  // after the second.
  EXPECT_NE(text.find("wy\x9Cwietlania nag\xB3\xF3wka X-Face. <h4>Makra:</h4> <h5>"),
            std::string::npos);
  EXPECT_NE(text.find("poda\xE6 \x9C"
                      "cie\xBFk\xEA  do pliku z bitmap\xB9"),
            std::string::npos);
  EXPECT_NE(text.find("lub \x9C"
                      "cie\xBFk\xEA do pliku tekstowego"),
            std::string::npos);
  EXPECT_NE(text.find(R"(<h5>%SetXFace("Path\to\48x48x1\bmp_file\with\your_face_image.bmp")</h5>)"),
            std::string::npos);
  EXPECT_NE(text.find("podajemy \x9C"
                      "cie\xBFke do pliku."),
            std::string::npos);
  EXPECT_EQ(text.find_first_of("\xC3\xC4\xC5"), std::string::npos) << "UTF-8 left in the text";
}

}  // namespace
}  // namespace vizmark
