// TEMPORARY stand-in until the real conversions land from the face branch.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include "face/tbitmap.h"
namespace vizmark {
int32_t XFaceToBitmap(const std::string& headerText, TBitmap& target);
}
