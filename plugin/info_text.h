// The information text the host shows for the plug-in (TBP_GetInfo).
#pragma once

#include <string>

namespace vizmark {

// HTML with a Polish body, in Windows-1250 bytes.
std::string BuildInfoText();

}  // namespace vizmark
