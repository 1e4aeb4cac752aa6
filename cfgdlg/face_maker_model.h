// What the face maker's controls stand for, the face they make and the texts it hands on.
// No platform code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "face/face_conversion.h"

namespace vizmark {

// The brightness slider runs from 0 (the darkest face) to this (the lightest).
inline constexpr int kMaxBrightness = 255;

// The controls' state: how greys become black and white, the slider and the negative box.
struct FaceMakerChoices {
  FaceMode mode = FaceMode::kAutomatic;
  int brightness = kMaxBrightness - kFaceMidGrey;  // the level a picture gets by default
  bool invert = false;
};

// Brighter means fewer greys turn black: the level falls as the slider rises.
FaceOptions ToFaceOptions(const FaceMakerChoices& choices);

struct MadeFace {
  FacePixels pixels;
  std::string header_text;  // the X-Face header's text, as compface writes it
};

// The face of a picture (as PictureToFace takes it) and its header text; empty when the
// picture is refused or the face cannot be encoded.
std::optional<MadeFace> MakeFace(int width, int height, std::span<const uint8_t> rgba,
                                 const FaceOptions& options);

// The file the face is saved as: `chosen` when its extension is .txt in any letter case (what
// %SetXFace reads as header text), else `chosen` with ".txt" added, so that a name typed with
// a picture's extension neither writes over the picture nor makes a line %SetXFace refuses.
std::wstring FaceFilePath(std::wstring_view chosen);

// The template line that sets the face saved at `path`: %SetXFace("path"), any double quote
// in the path doubled, as a quoted argument of the host's macros needs.
std::wstring SetXFaceTemplateLine(std::wstring_view path);

// "Długość nagłówka: N znaków" in Windows-1250, the noun agreeing with N as Polish has it.
std::string HeaderLengthText(std::size_t characters);

}  // namespace vizmark
