#include "cfgdlg/face_maker_model.h"

#include <algorithm>

#include "base/cp1250.h"
#include "face/xface_codec.h"

namespace vizmark {

FaceOptions ToFaceOptions(const FaceMakerChoices& choices) {
  FaceOptions options;
  options.mode = choices.mode;
  options.level =
      static_cast<uint8_t>(kMaxBrightness - std::clamp(choices.brightness, 0, kMaxBrightness));
  options.invert = choices.invert;
  return options;
}

std::optional<MadeFace> MakeFace(int width, int height, std::span<const uint8_t> rgba,
                                 const FaceOptions& options) {
  const std::optional<FacePixels> pixels = PictureToFace(width, height, rgba, options);
  if (!pixels) return std::nullopt;
  const FaceRows rows = PackFaceRows(*pixels);
  char buffer[kXFaceBufferSize];
  if (BitsToXFace(rows.data(), kFaceRowBytes, buffer) < 0) return std::nullopt;
  return MadeFace{*pixels, buffer};
}

std::wstring FaceFilePath(std::wstring_view chosen) {
  constexpr std::wstring_view kText = L".txt";
  const bool text =
      chosen.size() >= kText.size() &&
      std::equal(kText.begin(), kText.end(), chosen.end() - kText.size(), [](wchar_t a, wchar_t b) {
        return a == (b >= L'A' && b <= L'Z' ? static_cast<wchar_t>(b - L'A' + L'a') : b);
      });
  return text ? std::wstring(chosen) : std::wstring(chosen) + std::wstring(kText);
}

std::wstring SetXFaceTemplateLine(std::wstring_view path) {
  std::wstring line = L"%SetXFace(\"";
  for (const wchar_t c : path) {
    if (c == L'"') line += L'"';
    line += c;
  }
  return line + L"\")";
}

std::string HeaderLengthText(std::size_t characters) {
  const std::size_t ones = characters % 10, tens = characters % 100 / 10;
  const std::string_view noun = characters == 1                       ? "znak"
                                : ones >= 2 && ones <= 4 && tens != 1 ? "znaki"
                                                                      : "znaków"_cp1250;
  return std::string("Długość nagłówka: "_cp1250) + std::to_string(characters) + " " +
         std::string(noun);
}

}  // namespace vizmark
