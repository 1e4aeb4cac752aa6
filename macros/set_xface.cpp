#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/cp1250.h"
#include "base/file_read.h"
#include "face/face_bitmap.h"
#include "face/face_conversion.h"
#include "face/picture.h"
#include "face/picture_decoder.h"
#include "macros/macro_text.h"
#include "macros/macros.h"

namespace vizmark {

namespace {

constexpr std::string_view kTooFewParameters = "za malo parametrów"_cp1250;
constexpr std::string_view kUnknownExtension = "X-Face Error: Unknown file extension.";
constexpr std::string_view kImageProcessError = "X-Face Error: image process error!";

std::string NotFound(std::string_view path) {
  return "X-Face Error: File \"" + std::string(path) + "\" not found!";
}
std::string CannotRead(std::string_view path) {
  return "X-Face Error: Can't read file: \"" + std::string(path) + "\"";
}
std::string NotABitmap(std::string_view path) {
  return "X-Face Error: Can't load bitmap file: \"" + std::string(path) + "\"";
}

bool IsExtension(std::string_view extension, const char* wanted) {
  return lstrcmpiA(std::string(extension).c_str(), wanted) == 0;
}

// Pictures the system's imaging component decodes. BMP files are not among them: they go
// through our own loader, which refuses the unsafe ones.
bool IsDecodedPicture(std::string_view extension) {
  for (const char* known : {".PNG", ".JPG", ".JPEG", ".GIF", ".TIF", ".TIFF", ".ICO"})
    if (IsExtension(extension, known)) return true;
  return false;
}

// The file's bytes up to the first zero byte; none when it cannot be read. Others may read it
// meanwhile, but no one may write it: the text must not change while it is read.
std::optional<std::string> ReadTextFile(const FilePath& path) {
  // A face takes a few hundred bytes; a file of more than this is no face text.
  const std::optional<std::vector<unsigned char>> bytes =
      ReadWholeFile(path, FILE_SHARE_READ, static_cast<std::size_t>(kMaxItemBytes));
  if (!bytes) return std::nullopt;
  const auto* text = reinterpret_cast<const char*>(bytes->data());
  return std::string(text, std::find(text, text + bytes->size(), '\0'));
}

void AskHostToSetHeader(MacroContext* context, std::string_view header_text) {
  const std::string request = SetHeaderRequest(header_text);
  context->Evaluate(request.c_str(), static_cast<int32_t>(request.size()), 0, context);
}

}  // namespace

void SetXFaceHandler(std::string& result, MacroContext* context, MacroContext* params) {
  if (params == nullptr || params->ItemCount() == 0) {
    result = kTooFewParameters;
    return;
  }
  // The path comes in the system's code page; the messages quote it as it came.
  const std::string path = ReadItemText(params, 0);
  const FilePath file = FilePathFromSystemText(path);
  if (!IsExistingFile(file)) {
    result = NotFound(path);
    return;
  }
  const std::string_view extension = FileExtension(path);

  if (IsExtension(extension, ".BMP")) {
    Picture picture;
    if (!picture.LoadFromFile(file)) {
      result = NotABitmap(path);
      return;
    }
    std::string header_text;
    if (BitmapToXFace(picture, header_text) < 0) {
      result = kImageProcessError;
      return;
    }
    AskHostToSetHeader(context, header_text);
    return;
  }

  if (IsDecodedPicture(extension)) {
    const std::optional<DecodedPicture> picture = DecodePictureFile(file);
    if (!picture) {
      result = NotABitmap(path);
      return;
    }
    const std::optional<FacePixels> face =
        PictureToFace(picture->width, picture->height, picture->rgba);
    std::string header_text;
    if (!face || FaceToXFace(*face, header_text) < 0) {
      result = kImageProcessError;
      return;
    }
    AskHostToSetHeader(context, header_text);
    return;
  }

  if (IsExtension(extension, ".TXT")) {
    const std::optional<std::string> header_text = ReadTextFile(file);
    if (!header_text) {
      result = CannotRead(path);
      return;
    }
    AskHostToSetHeader(context, *header_text);
    return;
  }

  result = kUnknownExtension;
}

}  // namespace vizmark
