#include <windows.h>

#include <memory>
#include <new>
#include <string_view>

#include "base/cp1250.h"
#include "base/win_handles.h"
#include "face/face_bitmap.h"
#include "face/tbitmap.h"
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

bool IsExistingFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsExtension(std::string_view extension, const char* wanted) {
  return lstrcmpiA(std::string(extension).c_str(), wanted) == 0;
}

// The file's bytes up to the first zero byte; false when it cannot be read. It is opened
// without sharing, as the text must not change while it is read.
bool ReadTextFile(const std::string& path, std::string& text) {
  UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file || file.get() == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER end{};
  const LARGE_INTEGER start{};
  if (!SetFilePointerEx(file.get(), start, &end, FILE_END) ||
      !SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN))
    return false;
  // A face takes a few hundred bytes; a file of more than this is no face text.
  if (end.QuadPart < 0 || end.QuadPart > kMaxItemBytes) return false;
  const auto length = static_cast<DWORD>(end.QuadPart);
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[length + 1]);
  if (!buffer) return false;
  DWORD read = 0;
  if (!ReadFile(file.get(), buffer.get(), length, &read, nullptr)) return false;
  buffer[read] = '\0';
  text.assign(buffer.get());
  return true;
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
  const std::string path = ReadItemText(params, 0);
  if (!IsExistingFile(path)) {
    result = NotFound(path);
    return;
  }
  const std::string_view extension = FileExtension(path);

  if (IsExtension(extension, ".BMP")) {
    TBitmap picture;
    if (!picture.LoadFromFile(path)) {
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

  if (IsExtension(extension, ".TXT")) {
    std::string header_text;
    if (!ReadTextFile(path, header_text)) {
      result = CannotRead(path);
      return;
    }
    AskHostToSetHeader(context, header_text);
    return;
  }

  result = kUnknownExtension;
}

}  // namespace vizmark
