// The sizes a picture file declares, read from its headers without decoding anything, so that
// a file announcing a picture too large to take is refused before a decoder allocates for it.
// Knows PNG, BMP, GIF (every image in it, and their pixels in all held to a few times the
// limit), JPEG, TIFF (the first image) and ICO/CUR (every image, PNG or BMP, and their pixels
// in all). No platform code; no heap.
#pragma once

#include <cstdint>
#include <span>

namespace vizmark {

enum class DeclaredSize {
  kUnknown,     // not a format known here, or its headers end before a size is declared
  kAcceptable,  // every size declared is within the limits
  kTooLarge,    // some picture declares a side of 0 or over the limit, or too many pixels, or
                // the pictures a decoder holds at once do; or an icon's image lies past its end
};

// Checks every size the file declares against `max_side` a side and `max_pixels` in all.
DeclaredSize CheckDeclaredSize(std::span<const uint8_t> file, uint32_t max_side,
                               uint64_t max_pixels);

}  // namespace vizmark
