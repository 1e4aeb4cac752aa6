#include "face/bmp_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vizmark {
namespace {

// A BMP file as its headers describe it. Unset offsets and sizes come out right: the pixels
// follow the headers, masks and colours, and there are exactly as many pixel bytes as the
// rows take.
struct Bmp {
  uint32_t header_size = 40;
  int32_t width = 3;
  int32_t height = 2;
  uint16_t planes = 1;
  uint16_t bit_count = 24;
  uint32_t compression = kBmpRgb;
  uint32_t colours_used = 0;
  std::optional<uint32_t> pixels_at{};     // default: right after the colour table
  std::optional<uint32_t> pixel_bytes{};   // default: stride * rows
  std::optional<std::size_t> file_size{};  // default: the pixels' end; smaller cuts the file
  char magic = 'M';                        // the file's second byte
};

void PutU16(std::vector<unsigned char>& out, std::size_t at, uint32_t value) {
  out[at] = static_cast<unsigned char>(value);
  out[at + 1] = static_cast<unsigned char>(value >> 8);
}
void PutU32(std::vector<unsigned char>& out, std::size_t at, uint32_t value) {
  PutU16(out, at, value & 0xFFFF);
  PutU16(out, at + 2, value >> 16);
}

// The table's size as the file holds it: what the header names, at most 256 colours.
uint32_t TableBytes(const Bmp& bmp) {
  const bool core = bmp.header_size == 12;
  uint32_t colours = core ? 0 : bmp.colours_used;
  if (colours > 256) colours = 0;
  if (colours == 0 && bmp.bit_count <= 8) colours = 1u << bmp.bit_count;
  const uint32_t masks = bmp.compression == kBmpBitfields && bmp.header_size == 40 ? 12 : 0;
  return masks + colours * (core ? 3 : 4);
}

std::vector<unsigned char> Make(const Bmp& bmp) {
  const uint32_t pixels_at = bmp.pixels_at.value_or(14 + bmp.header_size + TableBytes(bmp));
  const uint64_t stride = (uint64_t(bmp.width < 0 ? 0 : bmp.width) * bmp.bit_count + 31) / 32 * 4;
  const uint64_t rows = bmp.height < 0 ? -int64_t{bmp.height} : bmp.height;
  const uint64_t pixel_bytes = bmp.pixel_bytes.value_or(stride * rows);
  const std::size_t size =
      bmp.file_size.value_or(std::max<uint64_t>(pixels_at, 14 + bmp.header_size) + pixel_bytes);
  std::vector<unsigned char> out(std::max<std::size_t>(size, 14 + 40));
  out[0] = 'B';
  out[1] = static_cast<unsigned char>(bmp.magic);
  PutU32(out, 2, static_cast<uint32_t>(size));
  PutU32(out, 10, pixels_at);
  PutU32(out, 14, bmp.header_size);
  if (bmp.header_size == 12) {
    PutU16(out, 18, static_cast<uint32_t>(bmp.width));
    PutU16(out, 20, static_cast<uint32_t>(bmp.height));
    PutU16(out, 22, bmp.planes);
    PutU16(out, 24, bmp.bit_count);
  } else {
    PutU32(out, 18, static_cast<uint32_t>(bmp.width));
    PutU32(out, 22, static_cast<uint32_t>(bmp.height));
    PutU16(out, 26, bmp.planes);
    PutU16(out, 28, bmp.bit_count);
    PutU32(out, 30, bmp.compression);
    PutU32(out, 46, bmp.colours_used);
  }
  out.resize(size);
  return out;
}

// The layout's promise: the headers, masks and colours end before the pixels, and the pixel
// bytes the system reads lie inside the file.
void ExpectInside(const BmpLayout& layout, std::size_t size) {
  EXPECT_GE(layout.info_bytes, layout.header_size);
  EXPECT_LE(14 + uint64_t{layout.info_bytes}, layout.pixels_at);
  EXPECT_GT(layout.pixel_bytes, 0u);
  EXPECT_LE(uint64_t{layout.pixels_at} + layout.pixel_bytes, size);
}

// What the layout says the system reads: the bytes after the file header, and the pixel
// bytes.
struct Reads {
  uint32_t info_bytes;
  uint32_t pixel_bytes;
};
constexpr std::optional<Reads> kRefused;

struct Case {
  std::string name;
  Bmp bmp;
  std::optional<Reads> reads;
};

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      // Pictures that load: the headers, colours and pixels the system reads.
      {"1-bit 48x48 naming its two colours",
       {.width = 48, .height = 48, .bit_count = 1, .colours_used = 2},
       Reads{48, 8 * 48}},
      {"4-bit, full table", {.width = 3, .bit_count = 4}, Reads{40 + 64, 2 * 4}},
      {"8-bit top-down", {.width = 5, .height = -3, .bit_count = 8}, Reads{40 + 1024, 3 * 8}},
      {"24-bit", {}, Reads{40, 2 * 12}},
      {"24-bit with its optional table", {.colours_used = 16}, Reads{40 + 64, 2 * 12}},
      {"32-bit with its optional table",
       {.bit_count = 32, .colours_used = 2},
       Reads{40 + 8, 2 * 12}},
      {"16-bit masks and an optional table",
       {.width = 2, .bit_count = 16, .compression = kBmpBitfields, .colours_used = 3},
       Reads{52 + 12, 2 * 4}},
      {"32-bit with a V5 header", {.header_size = 124, .bit_count = 32}, Reads{124, 2 * 12}},
      {"16-bit masks after a 40-byte header",
       {.width = 2, .bit_count = 16, .compression = kBmpBitfields},
       Reads{52, 2 * 4}},
      {"32-bit masks inside a V4 header",
       {.header_size = 108, .bit_count = 32, .compression = kBmpBitfields},
       Reads{108, 2 * 12}},
      {"OS/2 core, 8-bit, three-byte colours",
       {.header_size = 12, .bit_count = 8},
       Reads{12 + 768, 2 * 4}},
      {"OS/2 core, 24-bit", {.header_size = 12}, Reads{12, 2 * 12}},
      {"RLE8 reads to the end of the file",
       {.bit_count = 8, .compression = kBmpRle8, .pixel_bytes = 6},
       Reads{40 + 1024, 6}},
      {"RLE4", {.bit_count = 4, .compression = kBmpRle4, .pixel_bytes = 5}, Reads{40 + 64, 5}},
      {"pixels after a gap, trailing bytes unread",
       {.pixels_at = 200, .file_size = 200 + 24 + 100},
       Reads{40, 24}},
      {"8192 x 8192, one bit",
       {.width = 8192, .height = 8192, .bit_count = 1},
       Reads{48, 1024 * 8192}},

      // Not BMPs, or cut short.
      {"not BM", {.magic = 'A'}, kRefused},
      {"shorter than a core header", {.header_size = 12, .file_size = 25}, kRefused},
      {"core header with no room for pixels", {.header_size = 12, .file_size = 26}, kRefused},
      {"info header cut short", {.file_size = 14 + 39}, kRefused},
      {"unknown header size", {.header_size = 20}, kRefused},
      {"header larger than any", {.header_size = 125}, kRefused},
      {"header size near 2^32", {.header_size = 0xFFFFFFF4}, kRefused},
      // Sizes and formats that cannot be drawn.
      {"zero width", {.width = 0}, kRefused},
      {"negative width", {.width = -3}, kRefused},
      {"zero height", {.height = 0}, kRefused},
      {"too wide", {.width = kMaxBitmapSide + 1, .height = 1, .bit_count = 1}, kRefused},
      {"too tall, top-down",
       {.width = 1, .height = -(kMaxBitmapSide + 1), .bit_count = 1},
       kRefused},
      {"height -2^31", {.height = INT32_MIN, .pixel_bytes = 16}, kRefused},
      {"two planes", {.planes = 2}, kRefused},
      {"2 bits a pixel", {.bit_count = 2, .pixel_bytes = 8}, kRefused},
      {"JPEG inside", {.compression = 4}, kRefused},
      {"masks on an 8-bit picture", {.bit_count = 8, .compression = kBmpBitfields}, kRefused},
      {"RLE8 on 4 bits", {.bit_count = 4, .compression = kBmpRle8, .pixel_bytes = 4}, kRefused},
      {"RLE top-down",
       {.height = -2, .bit_count = 8, .compression = kBmpRle8, .pixel_bytes = 4},
       kRefused},
      // Tables, masks and pixels that lie about where they are.
      {"more than 256 colours", {.bit_count = 8, .colours_used = 257}, kRefused},
      {"colour count that wraps when counted in bytes",
       {.bit_count = 8, .colours_used = 0x40000001, .pixels_at = 14 + 40 + 4},
       kRefused},
      {"8-bit table overlapping the pixels",
       {.bit_count = 8, .pixels_at = 14 + 40 + 1020},
       kRefused},
      // The system reads every colour a header names, whatever the bit count, and the masks
      // at offset 40 of any header.
      {"24-bit naming colours it does not hold", {.colours_used = 256, .pixels_at = 54}, kRefused},
      {"masks cut off by the pixels",
       {.bit_count = 32, .compression = kBmpBitfields, .pixels_at = 54},
       kRefused},
      {"masks past a 44-byte header",
       {.header_size = 44, .bit_count = 32, .compression = kBmpBitfields, .pixels_at = 58},
       kRefused},
      {"pixels inside the header", {.pixels_at = 14 + 39}, kRefused},
      {"pixels at the end of the file", {.pixels_at = 78, .file_size = 78}, kRefused},
      {"pixel offset near 2^32", {.pixels_at = 0xFFFFFFF0, .file_size = 100}, kRefused},
      {"pixel offset 2^32 - 1", {.pixels_at = 0xFFFFFFFF, .file_size = 100}, kRefused},
      {"one pixel byte short", {.pixel_bytes = 2 * 12 - 1}, kRefused},
      {"RLE with no data", {.bit_count = 8, .compression = kBmpRle8, .pixel_bytes = 0}, kRefused},
      {"8192 x 8192 at 32 bits in a small file",
       {.width = 8192, .height = 8192, .bit_count = 32, .pixel_bytes = 4096},
       kRefused},
  };
  return cases;
}

TEST(BmpLayout, CraftedHeaders) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    const std::vector<unsigned char> file = Make(c.bmp);
    const std::optional<BmpLayout> layout = ReadBmpLayout(file);
    EXPECT_EQ(layout.has_value(), c.reads.has_value());
    if (!layout || !c.reads) continue;
    EXPECT_EQ(layout->width, c.bmp.width);
    EXPECT_EQ(layout->height, c.bmp.height);
    EXPECT_EQ(layout->bit_count, c.bmp.bit_count);
    EXPECT_EQ(layout->info_bytes, c.reads->info_bytes);
    EXPECT_EQ(layout->pixel_bytes, c.reads->pixel_bytes);
    ExpectInside(*layout, file.size());
  }
}

// Every prefix of every small good file, each in a block of its own size so that ASan sees a
// read past its end: refused once any pixel byte is missing, except run-length data, which
// is read only as far as the file goes.
TEST(BmpLayout, CutFilesAreRefusedOrStayInside) {
  for (const Case& c : Cases()) {
    const std::vector<unsigned char> file = Make(c.bmp);
    if (!c.reads || file.size() > 4096) continue;
    SCOPED_TRACE(c.name);
    const BmpLayout whole = ReadBmpLayout(file).value();
    const bool rle = whole.compression == kBmpRle8 || whole.compression == kBmpRle4;
    const std::size_t needed = whole.pixels_at + (rle ? 1 : whole.pixel_bytes);
    for (std::size_t size = 0; size < file.size(); ++size) {
      const std::vector<unsigned char> cut(file.begin(), file.begin() + size);
      const std::optional<BmpLayout> layout = ReadBmpLayout(cut);
      ASSERT_EQ(layout.has_value(), size >= needed) << size;
      if (layout) ExpectInside(*layout, size);
    }
  }
}

// A packed picture is a file without its first 14 bytes: it becomes that file again wherever
// its pixels follow what describes them, and nothing where the file is refused.
TEST(BmpLayout, PackedPicturesBecomeFiles) {
  for (const Case& c : Cases()) {
    if (c.bmp.pixels_at || c.bmp.magic != 'M') continue;
    SCOPED_TRACE(c.name);
    const std::vector<unsigned char> file = Make(c.bmp);
    const std::vector<unsigned char> dib(file.begin() + std::min<std::size_t>(14, file.size()),
                                         file.end());
    EXPECT_EQ(BmpFileFromPackedDib(dib), c.reads ? file : std::vector<unsigned char>{});
  }
}

// Run-length data for a picture of `width` x `height` pixels, each in a block of its own size
// so that ASan sees a read past its end. A pair (count, value) is a run; (0, 0) ends a row,
// (0, 1) the picture, (0, 2, dx, dy) jumps; (0, n, ...) gives n pixels, padded to a whole
// 16-bit word.
struct RleCase {
  std::string name;
  std::vector<unsigned char> data;
  int width = 4;
  int height = 2;
  bool four_bits = false;
  bool sound = false;
};

TEST(BmpLayout, RunLengthData) {
  const std::vector<RleCase> cases = {
      {"sound RLE8", {0, 3, 7, 8, 9, 0, 1, 4, 0, 0, 4, 5, 0, 1}, 4, 2, false, true},
      {"sound RLE4", {3, 0x12, 0, 5, 0x12, 0x34, 0x50, 0, 0, 1}, 8, 1, true, true},
      {"end at once, bytes after it unread", {0, 1, 0xFF}, 4, 2, false, true},
      {"end of the last row, then the end", {4, 1, 0, 0, 0, 1}, 4, 1, false, true},
      {"run past the row's end", {5, 1, 0, 1}, 4, 2, false, false},
      {"run after the row is full", {4, 1, 1, 1, 0, 1}, 4, 2, false, false},
      {"run above the top", {0, 0, 1, 1, 0, 1}, 4, 1, false, false},
      {"end of row above the top", {0, 0, 0, 0, 0, 1}, 4, 1, false, false},
      {"literal past the row's end", {0, 5, 1, 2, 3, 4, 5, 0, 0, 1}, 4, 2, false, false},
      {"RLE8 literal cut by the data's end", {0, 3, 7, 8, 9}, 4, 2, false, false},
      {"RLE4 literal cut by the data's end", {0, 5, 0x12, 0x34}, 8, 1, true, false},
      {"no end code", {4, 1, 0, 0, 4, 1}, 4, 2, false, false},
      {"half a pair after the data", {4, 1, 0}, 4, 2, false, false},
      {"no data", {}, 4, 2, false, false},
      {"jump inside, then a run to the row's end", {0, 2, 3, 1, 1, 1, 0, 1}, 4, 2, false, true},
      {"jump to the row's end", {0, 2, 4, 0, 0, 1}, 4, 2, false, true},
      {"jump past the row's end", {0, 2, 5, 0, 0, 1}, 4, 2, false, false},
      {"jump above the top", {0, 2, 0, 2, 0, 1}, 4, 2, false, false},
      {"jump with one byte of its offsets", {0, 2, 1}, 4, 2, false, false},
      {"jump with no offsets", {0, 2}, 4, 2, false, false},
  };
  for (const RleCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(IsSoundRunLengthData(c.data, c.width, c.height, c.four_bits), c.sound);
  }
}

}  // namespace
}  // namespace vizmark
