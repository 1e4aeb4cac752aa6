#include "face/bmp_layout.h"

#include <algorithm>

namespace vizmark {

namespace {

uint32_t ReadU32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t ReadU16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

constexpr uint32_t kCoreHeaderBytes = 12;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kLargestHeaderBytes = 124;
// The three masks of BI_BITFIELDS sit at offset 40 of the header: after a 40-byte header,
// inside a larger one.
constexpr uint32_t kHeaderWithMasksBytes = kInfoHeaderBytes + 3 * 4;
constexpr uint32_t kMaxColours = 256;

}  // namespace

std::optional<BmpLayout> ReadBmpLayout(std::span<const unsigned char> file) {
  const unsigned char* bytes = file.data();
  const std::size_t size = file.size();
  if (size > kMaxBmpFileBytes || size < kBmpFileHeaderBytes + kCoreHeaderBytes || bytes[0] != 'B' ||
      bytes[1] != 'M')
    return std::nullopt;
  BmpLayout bmp;
  bmp.pixels_at = ReadU32(bytes + 10);
  bmp.header_size = ReadU32(bytes + kBmpFileHeaderBytes);
  const bool core = bmp.header_size == kCoreHeaderBytes;
  if (!core && (bmp.header_size < kInfoHeaderBytes || bmp.header_size > kLargestHeaderBytes))
    return std::nullopt;
  if (size < kBmpFileHeaderBytes + bmp.header_size) return std::nullopt;

  const unsigned char* header = bytes + kBmpFileHeaderBytes;
  uint16_t planes;
  uint32_t colours = 0;
  uint32_t colour_bytes = 4;
  if (core) {
    bmp.width = ReadU16(header + 4);
    bmp.height = ReadU16(header + 6);
    planes = ReadU16(header + 8);
    bmp.bit_count = ReadU16(header + 10);
    colour_bytes = 3;
  } else {
    bmp.width = static_cast<int32_t>(ReadU32(header + 4));
    bmp.height = static_cast<int32_t>(ReadU32(header + 8));
    planes = ReadU16(header + 12);
    bmp.bit_count = ReadU16(header + 14);
    bmp.compression = ReadU32(header + 16);
    colours = ReadU32(header + 32);
  }
  const int64_t rows = bmp.height < 0 ? -int64_t{bmp.height} : bmp.height;
  if (bmp.width <= 0 || rows == 0 || bmp.width > kMaxBitmapSide || rows > kMaxBitmapSide)
    return std::nullopt;
  if (planes != 1) return std::nullopt;
  switch (bmp.bit_count) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
      break;
    default:
      return std::nullopt;
  }

  // The system reads as many colours as the header names, whatever the bit count (a deeper
  // picture's table is only a hint, but it is read all the same), or a full table for 8 bits
  // or fewer when it names none.
  if (colours > kMaxColours) return std::nullopt;
  if (colours == 0 && bmp.bit_count <= 8) colours = 1u << bmp.bit_count;
  uint32_t headers = bmp.header_size;
  if (bmp.compression == kBmpBitfields) headers = std::max(headers, kHeaderWithMasksBytes);
  bmp.info_bytes = headers + colours * colour_bytes;
  if (bmp.pixels_at < kBmpFileHeaderBytes + bmp.info_bytes || bmp.pixels_at >= size)
    return std::nullopt;
  const std::size_t after_pixels_at = size - bmp.pixels_at;

  if (bmp.compression == kBmpRgb || bmp.compression == kBmpBitfields) {
    if (bmp.compression == kBmpBitfields && bmp.bit_count != 16 && bmp.bit_count != 32)
      return std::nullopt;
    // Rows are padded to whole 4-byte words. At most 32 KiB a row and 8192 rows: 256 MiB.
    const uint64_t stride = (static_cast<uint64_t>(bmp.width) * bmp.bit_count + 31) / 32 * 4;
    const uint64_t pixel_bytes = stride * static_cast<uint64_t>(rows);
    if (pixel_bytes > after_pixels_at) return std::nullopt;
    bmp.pixel_bytes = static_cast<uint32_t>(pixel_bytes);
    return bmp;
  }
  // Run-length data runs up to the end of the file at most; it is always stored bottom-up.
  const bool rle = (bmp.compression == kBmpRle8 && bmp.bit_count == 8) ||
                   (bmp.compression == kBmpRle4 && bmp.bit_count == 4);
  if (!rle || bmp.height < 0) return std::nullopt;
  bmp.pixel_bytes = static_cast<uint32_t>(after_pixels_at);
  return bmp;
}

std::vector<unsigned char> BmpFileFromPackedDib(std::span<const unsigned char> dib) {
  if (dib.size() < kCoreHeaderBytes || dib.size() > kMaxBmpFileBytes - kBmpFileHeaderBytes)
    return {};
  const uint32_t header_size = ReadU32(dib.data());
  const bool core = header_size == kCoreHeaderBytes;
  if (!core && (header_size < kInfoHeaderBytes || dib.size() < kInfoHeaderBytes)) return {};
  // As ReadBmpLayout counts them: masks after a 40-byte header, then the colours the header
  // names, or a full table for 8 bits or fewer. It checks the rest.
  const uint16_t bit_count = core ? ReadU16(dib.data() + 10) : ReadU16(dib.data() + 14);
  uint32_t colours = core ? 0 : std::min(ReadU32(dib.data() + 32), kMaxColours + 1);
  if (colours == 0 && bit_count <= 8) colours = 1u << bit_count;
  uint32_t headers = header_size;
  if (!core && ReadU32(dib.data() + 16) == kBmpBitfields)
    headers = std::max(headers, kHeaderWithMasksBytes);
  const uint64_t pixels_at =
      uint64_t{kBmpFileHeaderBytes} + headers + uint64_t{colours} * (core ? 3 : 4);
  const std::size_t size = kBmpFileHeaderBytes + dib.size();
  if (pixels_at >= size) return {};

  std::vector<unsigned char> file(size);
  const auto put_u32 = [&file](std::size_t at, uint64_t value) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<unsigned char>(value >> (8 * i));
  };
  file[0] = 'B';
  file[1] = 'M';
  put_u32(2, size);
  put_u32(10, pixels_at);
  std::copy(dib.begin(), dib.end(), file.begin() + kBmpFileHeaderBytes);
  if (!ReadBmpLayout(file)) return {};
  return file;
}

bool IsSoundRunLengthData(std::span<const unsigned char> data, int width, int height,
                          bool four_bits) {
  std::size_t at = 0;
  int64_t x = 0, y = 0;
  while (at + 2 <= data.size()) {
    const unsigned count = data[at], code = data[at + 1];
    at += 2;
    if (count > 0) {  // a run of `count` pixels
      if (y >= height || x + count > width) return false;
      x += count;
      continue;
    }
    switch (code) {
      case 0:  // end of row
        x = 0;
        if (++y > height) return false;
        break;
      case 1:  // end of picture
        return true;
      case 2:  // a jump right and up
        if (at + 2 > data.size()) return false;
        x += data[at];
        y += data[at + 1];
        at += 2;
        if (x > width || y >= height) return false;
        break;
      default: {  // `code` pixels given one by one, padded to a whole 16-bit word
        if (y >= height || x + code > width) return false;
        const std::size_t bytes = four_bits ? (code + 1) / 2 : code;
        at += bytes + bytes % 2;
        if (at > data.size()) return false;
        x += code;
      }
    }
  }
  return false;
}

}  // namespace vizmark
