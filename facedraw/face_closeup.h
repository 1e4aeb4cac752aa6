// The closer look: a small window that shows the face of the header panel enlarged, saves it
// as a PNG or BMP file and copies its header's text to the clipboard. It opens on a
// double-click on the face, owned by the host's main window but not modal to it; one at a time.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>

#include "face/xface_codec.h"

namespace vizmark {

// What the closer look shows: the 48 x 48 pixels of the face, rows from the top, each
// 0xAARRGGBB with the colour premultiplied by its alpha (an X-Face's are opaque black or
// white), and the header the face was read from, as received.
struct CloseupFace {
  std::array<uint32_t, kFaceSide * kFaceSide> pixels{};
  bool colour = false;  // a colour face; else black and white, saved with one bit a pixel
  std::string header_name;
  std::string header_text;
};

// Its controls (what GetDlgItem finds).
enum CloseupControl : int {
  kCloseupPicture = 100,
  kCloseupSave,
  kCloseupCopy,
};

// Shows `face` in the closer look, owned by `owner`: a new window, or the one already open,
// brought forward with the new face. Runs on the thread of the owner's windows, whose message
// loop then serves it. Nothing opens after StopFaceCloseups until AllowFaceCloseups.
void ShowFaceCloseup(HWND owner, const CloseupFace& face);

// Start-up allows the closer look; shut-down stops it and closes the one open, if any.
void AllowFaceCloseups();
// Returns whether one was open. Where code of the closer look could still be on a stack (a
// save dialog's loop, or the call came from inside it), the module is kept loaded for good.
bool StopFaceCloseups();

}  // namespace vizmark
