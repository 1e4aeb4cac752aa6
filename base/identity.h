// Who the plug-in is: the texts the host shows for it.
#pragma once

#include <string_view>

#include "base/cp1250.h"
#include "base/version.h"

namespace vizmark {

inline constexpr std::string_view kDisplayName = "Vizmark";

inline constexpr std::string_view kAuthorName = "Zespół Vizmark"_cp1250;
inline constexpr std::string_view kAuthorEmail = "vizmark@example.org";
inline constexpr std::string_view kHomePage = "https://vizmark.example.org/";
inline constexpr std::string_view kEnglishHomePage = "https://vizmark.example.org/en/";

}  // namespace vizmark
