#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "base/trace.h"
#include "cfgdlg/settings_store.h"
#include "face/face_bitmap.h"
#include "face/face_header.h"
#include "face/face_scaling.h"
#include "face/picture.h"
#include "face/picture_decoder.h"
#include "face/xface_codec.h"
#include "facedraw/window_discovery.h"
#include "macros/macros.h"

namespace vizmark {

namespace {

constexpr std::string_view kHeaderName = "X-Face";
constexpr std::string_view kFaceHeaderName = "Face";
constexpr std::string_view kReadHeaderRequest = "%OHEADER(\"X-Face\")%-";
constexpr std::string_view kReadFaceRequest = "%OHEADER(\"Face\")%-";
constexpr std::string_view kConvertError = "X-Face: Convert header error";
constexpr std::string_view kDisplayError = "X-Face: Display image error";

// The message's colour face into `picture`, its header's text into `text`: false, with a
// trace when there is a "Face" header, when it has none that is a 48 x 48 picture the system
// can read.
bool ReadColourFace(MacroContext* context, Picture& picture, std::string& text) {
  context->Evaluate(kReadFaceRequest.data(), static_cast<int32_t>(kReadFaceRequest.size()), 0,
                    context);
  text = ReadItemText(context, 0);
  if (text.empty()) return false;
  const FaceHeader header = ReadFaceHeader(text);
  if (header.status != FaceHeaderStatus::kOk) {
    Trace(L"the Face header is not shown", FaceHeaderStatusName(header.status));
    return false;
  }
  const std::optional<DecodedPicture> decoded = DecodePictureBytes(header.png());
  if (!decoded || decoded->width != kFaceSide || decoded->height != kFaceSide) {
    Trace(L"the Face header's picture is not shown: not a 48 x 48 picture the system reads");
    return false;
  }
  return picture.SetPixels(kFaceSide, kFaceSide, PremultipliedBgra(decoded->rgba), true);
}

}  // namespace

// The colour face is asked for first: a message that has one needs nothing else, and for one
// without, the X-Face is then asked for and handled exactly as it always was, so that its
// answer is the last the host gave before the macro's result.
void DisplayXFaceHandler(std::string& result, MacroContext* context, MacroContext*) {
  if (g_show_colour_faces) {
    // The picture lives for this call only; the overlay keeps its own copy.
    Picture colour;
    std::string text;
    if (ReadColourFace(context, colour, text)) {
      if (!AttachFace(&colour, {std::string(kFaceHeaderName), std::move(text)}))
        result = kDisplayError;
      return;
    }
  }

  context->Evaluate(kReadHeaderRequest.data(), static_cast<int32_t>(kReadHeaderRequest.size()), 0,
                    context);
  const std::string header = ReadItemText(context, 0);
  if (header.empty()) return;

  // Decoded straight into the overlay's own picture.
  FaceBitmapRows rows;
  const int32_t status = XFaceToRows(header, rows);
  if (status < 0) {
    result = kConvertError;
    return;
  }
  if (!AttachFace(rows, {std::string(kHeaderName), header})) result = kDisplayError;
}

}  // namespace vizmark
