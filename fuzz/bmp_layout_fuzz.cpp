// Any bytes as a BMP file a user picked. When the layout is accepted, everything the system
// will read lies inside the file: the headers, the masks and every colour the header names
// before the pixels, and every row of uncompressed pixels (run-length data to the end of the
// file). These sizes are worked out here again from the raw header, and the bytes are read,
// so that ASan sees any the layout wrongly vouches for. Run-length pixel data then goes
// through the check that comes before it is drawn.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "face/bmp_layout.h"

namespace {

uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t{p[3]} << 24; }
uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

void Touch(const uint8_t* from, uint64_t count) {
  volatile uint8_t sink = 0;
  for (uint64_t i = 0; i < count; ++i) sink = sink ^ from[i];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const auto layout = vizmark::ReadBmpLayout(std::span(data, size));
  if (!layout) return 0;
  const uint32_t header_size = U32(data + 14);
  if (header_size != layout->header_size || U32(data + 10) != layout->pixels_at) std::abort();

  const bool core = header_size == 12;
  const uint64_t width = layout->width;
  const uint64_t rows = layout->height < 0 ? -int64_t{layout->height} : layout->height;
  const uint32_t bit_count = core ? U16(data + 24) : U16(data + 28);
  const uint32_t compression = core ? vizmark::kBmpRgb : U32(data + 30);
  if (width == 0 || rows == 0 || width > vizmark::kMaxBitmapSide ||
      rows > vizmark::kMaxBitmapSide || bit_count != layout->bit_count ||
      compression != layout->compression)
    std::abort();

  // The headers, then the masks of BI_BITFIELDS at offset 40 of the header, then the colours.
  uint64_t colours = core ? 0 : U32(data + 46);
  if (colours == 0 && bit_count <= 8) colours = uint64_t{1} << bit_count;
  uint64_t info = header_size + colours * (core ? 3 : 4);
  if (compression == vizmark::kBmpBitfields && header_size < 52) info += 52 - header_size;
  if (info > layout->info_bytes || info > vizmark::kMaxBmpInfoBytes) std::abort();
  if (14 + uint64_t{layout->info_bytes} > layout->pixels_at) std::abort();

  const bool rle = compression == vizmark::kBmpRle8 || compression == vizmark::kBmpRle4;
  if (rle && layout->height < 0) std::abort();  // run-length data is stored bottom-up
  const uint64_t stride = (width * bit_count + 31) / 32 * 4;
  const uint64_t pixels = rle ? size - uint64_t{layout->pixels_at} : stride * rows;
  if (layout->pixel_bytes != pixels || layout->pixels_at + pixels > size) std::abort();

  Touch(data, 14 + info);
  Touch(data + layout->pixels_at, pixels);
  // Run-length data is checked before it is drawn; the check reads only the pixel data, which
  // ends where the input does.
  if (rle)
    vizmark::IsSoundRunLengthData(std::span(data + layout->pixels_at, pixels),
                                  static_cast<int>(width), static_cast<int>(rows),
                                  compression == vizmark::kBmpRle4);
  return 0;
}
