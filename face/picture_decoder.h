// Pictures in any format Windows can read (PNG, JPEG, GIF, TIFF, ICO, BMP, ...), decoded by the
// system's imaging component into straight RGBA. Sizes are checked before any pixel is
// decoded, so a file that declares a huge picture costs nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "base/file_read.h"

namespace vizmark {

// Files larger than this are not read.
inline constexpr std::size_t kMaxPictureFileBytes = std::size_t{100} << 20;

struct DecodedPicture {
  int width = 0;
  int height = 0;
  // Rows from the top, four bytes a pixel: R, G, B and straight (not premultiplied) alpha.
  std::vector<uint8_t> rgba;
};

// The picture in `bytes`: the first frame (a GIF's first, a TIFF's first page), or for an icon
// the largest image. None when the system cannot decode it, or when it is larger than
// face_conversion.h's kMaxFacePictureSide a side or kMaxFacePicturePixels in all.
std::optional<DecodedPicture> DecodePictureBytes(std::span<const uint8_t> bytes);

// The same for a file on a disk of at most kMaxPictureFileBytes (read as ReadWholeFile does,
// others allowed to read it meanwhile).
std::optional<DecodedPicture> DecodePictureFile(const FilePath& path);

}  // namespace vizmark
