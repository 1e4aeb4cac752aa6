// The colour "Face" header: a 48 x 48 PNG in base64, folded like any header. Checked here
// as far as can be done without decoding a pixel: its length, the base64, and the PNG's
// signature and IHDR chunk (a 48 x 48 picture of a valid bit depth and colour type). The
// pixels themselves are left to the system's decoder. No platform code; no heap.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace vizmark {

// A header line may be at most 998 bytes long; the Face header's base64, without the
// whitespace that folds it, is held to that.
inline constexpr std::size_t kMaxFaceHeaderBytes = 998;
// The text as the host hands it, folding included, is held to twice that: a mailer's folding
// adds a few bytes a line.
inline constexpr std::size_t kMaxFoldedFaceHeaderBytes = 2 * kMaxFaceHeaderBytes;
// Base64 of at most 998 characters is at most 249 groups of four, 3 bytes each.
inline constexpr std::size_t kMaxFacePngBytes = kMaxFaceHeaderBytes / 4 * 3;

enum class FaceHeaderStatus {
  kOk,
  kTooLong,         // over kMaxFaceHeaderBytes unfolded, or kMaxFoldedFaceHeaderBytes in all
  kEmpty,           // nothing but folding whitespace
  kBadBase64,       // a character outside the alphabet, misplaced or missing padding
  kNotPng,          // does not start with the PNG signature
  kBadIhdr,         // no complete IHDR chunk first, or unknown compression, filter, interlace
  kNotFaceSize,     // not 48 x 48
  kBadPixelFormat,  // a bit depth the colour type does not allow
};

// What the check makes of a header: the PNG's bytes when the status is kOk.
struct FaceHeader {
  FaceHeaderStatus status = FaceHeaderStatus::kEmpty;
  std::size_t size = 0;
  unsigned char bytes[kMaxFacePngBytes] = {};

  std::span<const unsigned char> png() const { return {bytes, size}; }
};

// Unfolds `header_text` (drops every CR, LF, space and tab), decodes it as padded base64
// (RFC 4648, padding bits zero) and checks the PNG's signature and IHDR chunk. Text over
// kMaxFoldedFaceHeaderBytes is refused before anything is read of it, and text of more than
// kMaxFaceHeaderBytes besides folding before anything is decoded.
FaceHeader ReadFaceHeader(std::string_view header_text);

// The status's name for a trace ("ok", "too long", "bad base64", ...).
const wchar_t* FaceHeaderStatusName(FaceHeaderStatus status);

}  // namespace vizmark
