// Saving what a window shows, for the demo and the user guide's pictures.
#pragma once

#include <windows.h>

#include <string>

namespace hostsim {

// Writes the window's client area, children included, as a 24-bit BMP file.
bool SaveClientAreaAsBmp(HWND window, const std::string& path);

}  // namespace hostsim
