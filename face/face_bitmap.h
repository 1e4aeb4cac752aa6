// FaceBitmap, the one 48 x 48 one-bit picture both face conversions pass through, and the
// conversions between bitmap objects and X-Face header text.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "face/face_conversion.h"
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

// The status the conversions answer when the conversion to a face refuses the picture's size.
inline constexpr int32_t kFacePictureRefused = -5;

// Makes a face of `source` with PictureToFace (its pixels all taken as opaque), writes it into
// FaceBitmap and encodes it. Returns compface's status, kFaceGdiFailed when the picture's
// pixels cannot be read, or kFacePictureRefused (negative: failed; `header_text` is then of
// no use). A 48 x 48 picture of black and white pixels gives exactly its own face.
int32_t BitmapToXFace(const Picture& source, std::string& header_text);

// Writes `face` into FaceBitmap and encodes it: compface's status, or kNoFaceBitmap.
int32_t FaceToXFace(const FacePixels& face, std::string& header_text);

// Decodes `header_text` into FaceBitmap and copies FaceBitmap's rows to `rows`. Returns 0, or
// uncompface's negative status when the text does not decode (FaceBitmap then keeps its
// picture, and `rows` are left as they were).
int32_t XFaceToRows(const std::string& header_text, FaceBitmapRows& rows);

}  // namespace vizmark
