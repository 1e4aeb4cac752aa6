// The mailto link (RFC 6068) that writes to a person: "mailto:" and "Name <address>", with
// blanks and angle brackets percent-encoded, and every character outside ASCII as its
// percent-encoded UTF-8 bytes, as browsers hand such links on. The link is plain ASCII,
// which no code page on its way to a mail program can change.
#pragma once

#include <string>
#include <string_view>

namespace vizmark {

// `name` in Windows-1250; a byte outside the letters and punctuation that cp1250.h knows is
// written as U+FFFD.
std::string MailLink(std::string_view name, std::string_view address);

}  // namespace vizmark
