#include <string_view>

#include "face/face_bitmap.h"
#include "face/picture.h"
#include "face/xface_codec.h"
#include "facedraw/window_discovery.h"
#include "macros/macros.h"

namespace vizmark {

namespace {

constexpr std::string_view kReadHeaderRequest = "%OHEADER(\"X-Face\")%-";
constexpr std::string_view kConvertError = "X-Face: Convert header error";
constexpr std::string_view kDisplayError = "X-Face: Display image error";

}  // namespace

void DisplayXFaceHandler(std::string& result, MacroContext* context, MacroContext*) {
  context->Evaluate(kReadHeaderRequest.data(), static_cast<int32_t>(kReadHeaderRequest.size()), 0,
                    context);
  const std::string header = ReadItemText(context, 0);
  if (header.empty()) return;

  // The picture lives for this call only; the overlay keeps its own copy.
  Picture picture;
  picture.SetWidth(kFaceSide);
  picture.SetHeight(kFaceSide);
  const int32_t status = XFaceToBitmap(header, picture);
  if (status < 0) {
    // A header that does not decode is the message's fault; a picture GDI cannot make or
    // fill is ours to show.
    result = status == kFaceGdiFailed ? kDisplayError : kConvertError;
    return;
  }
  if (!AttachFace(&picture)) result = kDisplayError;
}

}  // namespace vizmark
