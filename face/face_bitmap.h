// FaceBitmap, the one 48 x 48 one-bit picture both face conversions pass through, and the
// conversions between bitmap objects and X-Face header text.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "face/picture.h"

namespace vizmark {

// The status the conversions answer when FaceBitmap could not be made at start-up.
inline constexpr int32_t kNoFaceBitmap = -3;
// The status they answer when GDI cannot make, draw or copy a picture they need.
inline constexpr int32_t kFaceGdiFailed = -4;

// A new 48 x 48 top-down one-bit section, colour 0 white and 1 black; its pixels' address
// goes to `bits`. Null when GDI refuses.
HBITMAP CreateFaceBitmap(void** bits);

// Makes FaceBitmap once for the module's life; false when it cannot be made.
bool InitFaceBitmap();

// Draws `source`, scaled to 48 x 48, into FaceBitmap and encodes it. Returns compface's
// status, or kFaceGdiFailed when the picture cannot be drawn (negative: failed;
// `header_text` is then of no use).
int32_t BitmapToXFace(Picture& source, std::string& header_text);

// Decodes `header_text` into FaceBitmap and copies FaceBitmap into the top-left 48 x 48
// pixels of `target`. Returns 0; uncompface's negative status when the text does not decode
// (FaceBitmap then keeps its picture); or kFaceGdiFailed when `target` has no picture or the
// copy fails.
int32_t XFaceToBitmap(const std::string& header_text, Picture& target);

}  // namespace vizmark
