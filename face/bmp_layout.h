// The layout of a BMP file a user picks: what its headers say, checked so that everything the
// system reads while drawing it (the headers, the colour masks and table, the pixel data)
// lies inside the file. No platform code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace vizmark {

// The largest picture accepted, in pixels a side, and the largest file. Faces are 48 x 48;
// a bigger picture is scaled down, but none needs to be huge.
inline constexpr int kMaxBitmapSide = 8192;
inline constexpr std::size_t kMaxBmpFileBytes = std::size_t{256} << 20;

// The file header ("BM", the file's size, the offset of the pixels) comes first; the picture's
// own header follows it.
inline constexpr std::size_t kBmpFileHeaderBytes = 14;
// The picture's headers, masks and colour table never take more than this, however they are
// read: the largest header (124 bytes), three 4-byte masks and 256 colours of 4 bytes.
inline constexpr std::size_t kMaxBmpInfoBytes = 124 + 3 * 4 + 256 * 4;

// The compression field's values that can be drawn.
inline constexpr uint32_t kBmpRgb = 0;
inline constexpr uint32_t kBmpRle8 = 1;
inline constexpr uint32_t kBmpRle4 = 2;
inline constexpr uint32_t kBmpBitfields = 3;

struct BmpLayout {
  uint32_t header_size = 0;  // 12: the OS/2 core header, 3-byte colours; 40 to 124: 4-byte colours
  int32_t width = 0;
  int32_t height = 0;  // negative: rows stored top-down
  uint16_t bit_count = 0;
  uint32_t compression = kBmpRgb;
  // The bytes after the file header that describe the picture: the header, the masks and the
  // colour table, as many as the system reads of them. They end at or before pixels_at.
  uint32_t info_bytes = 0;
  // Where the pixel data starts, and how many bytes of it the system reads: every row of an
  // uncompressed picture, or the rest of the file for run-length data.
  uint32_t pixels_at = 0;
  uint32_t pixel_bytes = 0;
};

// The layout of `file`, or nothing when it is not a BMP that can be drawn safely: an unknown
// header or compression, a bad size or bit count, or headers, masks, colours or pixels that
// do not lie inside the file.
std::optional<BmpLayout> ReadBmpLayout(std::span<const unsigned char> file);

// A packed picture (what the clipboard holds as CF_DIB or CF_DIBV5: the header, the masks, the
// colour table and the pixels, without a file header) as a BMP file whose pixels start right
// after what describes them. Empty when that file's layout is not one ReadBmpLayout accepts.
std::vector<unsigned char> BmpFileFromPackedDib(std::span<const unsigned char> dib);

// Whether run-length pixel data (RLE8, or RLE4 when `four_bits`) draws only inside a picture of
// `width` x `height` pixels and ends as it should: every run, literal and jump stays inside the
// rows and inside the data, and the end-of-picture code comes before the data ends. The system
// draws whatever it makes of other data, and what it makes of it differs from one system to
// the next.
bool IsSoundRunLengthData(std::span<const unsigned char> data, int width, int height,
                          bool four_bits);

}  // namespace vizmark
