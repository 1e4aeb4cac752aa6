#include "base/mail_link.h"

#include <gtest/gtest.h>

#include "base/cp1250.h"
#include "base/identity.h"

namespace vizmark {
namespace {

TEST(MailLink, IsAsciiWithBlanksBracketsAndOtherLettersEscaped) {
  const struct {
    std::string_view name;
    std::string_view address;
    std::string_view link;
  } cases[] = {
      {kAuthorName, kAuthorEmail, "mailto:Zesp%C3%B3%C5%82%20Vizmark%20%3Cvizmark@example.org%3E"},
      {"Jan", "jan@example.org", "mailto:Jan%20%3Cjan@example.org%3E"},
      {"Łódź „Ś” – …"_cp1250, "a@b",
       "mailto:%C5%81%C3%B3d%C5%BA%20%E2%80%9E%C5%9A%E2%80%9D%20%E2%80%93%20%E2%80%A6%20%3Ca@b%3E"},
      {"\x81\xFF", "a@b", "mailto:%EF%BF%BD%EF%BF%BD%20%3Ca@b%3E"},  // unknown to cp1250.h
      {"", "", "mailto:%20%3C%3E"},
  };
  for (const auto& c : cases) EXPECT_EQ(MailLink(c.name, c.address), c.link) << c.name;
}

}  // namespace
}  // namespace vizmark
