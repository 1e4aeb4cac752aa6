#include "face/declared_size.h"

#include <cstring>

namespace vizmark {

namespace {

class Reader {
 public:
  explicit Reader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  bool Has(uint64_t at, uint64_t count) const {
    return at <= bytes_.size() && count <= bytes_.size() - at;
  }
  uint32_t U8(uint64_t at) const { return bytes_[at]; }
  uint32_t Le16(uint64_t at) const { return bytes_[at] | bytes_[at + 1] << 8; }
  uint32_t Be16(uint64_t at) const { return bytes_[at] << 8 | bytes_[at + 1]; }
  uint32_t Le32(uint64_t at) const { return Le16(at) | Le16(at + 2) << 16; }
  uint32_t Be32(uint64_t at) const { return Be16(at) << 16 | Be16(at + 2); }
  bool Starts(uint64_t at, const char* text, std::size_t length) const {
    return Has(at, length) && std::memcmp(bytes_.data() + at, text, length) == 0;
  }
  uint64_t Size() const { return bytes_.size(); }
  std::span<const uint8_t> From(uint64_t at) const { return bytes_.subspan(at); }

 private:
  std::span<const uint8_t> bytes_;
};

// The pixels of several pictures a decoder holds at once, counted against a budget.
class PixelTotal {
 public:
  explicit PixelTotal(uint64_t budget) : left_(budget) {}

  // False once the pictures added come to more than the budget.
  bool Add(uint64_t pixels) {
    if (pixels > left_) return false;
    left_ -= pixels;
    return true;
  }

 private:
  uint64_t left_;
};

struct Limits {
  uint32_t side;
  uint64_t pixels;

  // A picture's size; one within the limits is added to `total` when there is one, and is
  // too large when the total goes over its budget.
  DeclaredSize Check(uint64_t width, uint64_t height, PixelTotal* total = nullptr) const {
    if (width == 0 || height == 0 || width > side || height > side || width * height > pixels)
      return DeclaredSize::kTooLarge;
    if (total != nullptr && !total->Add(width * height)) return DeclaredSize::kTooLarge;
    return DeclaredSize::kAcceptable;
  }
};

constexpr char kPngSignature[] = "\x89PNG\r\n\x1A\n";

DeclaredSize Png(const Reader& file, const Limits& limits, PixelTotal* total = nullptr) {
  // The IHDR chunk comes first: its length, its name, then width and height.
  if (!file.Has(0, 24) || !file.Starts(12, "IHDR", 4)) return DeclaredSize::kUnknown;
  return limits.Check(file.Be32(16), file.Be32(20), total);
}

// A BMP's info header at `at` (after the file header, or an icon's image); `icon_height`
// when the height counts the mask's rows too.
DeclaredSize BmpInfo(const Reader& file, uint64_t at, bool icon_height, const Limits& limits,
                     PixelTotal* total = nullptr) {
  if (!file.Has(at, 4)) return DeclaredSize::kUnknown;
  const uint32_t header = file.Le32(at);
  if (header == 12) {
    if (!file.Has(at, 12)) return DeclaredSize::kUnknown;
    return limits.Check(file.Le16(at + 4), file.Le16(at + 6), total);
  }
  if (header < 16 || !file.Has(at, 12)) return DeclaredSize::kUnknown;
  const auto width = static_cast<int32_t>(file.Le32(at + 4));
  const auto height = static_cast<int32_t>(file.Le32(at + 8));
  const uint64_t rows = height < 0 ? -int64_t{height} : height;
  if (width <= 0) return DeclaredSize::kTooLarge;
  return limits.Check(static_cast<uint64_t>(width), icon_height ? rows / 2 : rows, total);
}

// The GIF decoder reads every image into memory when it opens the file: their pixels in all
// are held to this many times the limit, which a long animation of ordinary frames is within.
constexpr uint64_t kGifImagesInAll = 4;

DeclaredSize Gif(const Reader& file, const Limits& limits) {
  if (!file.Has(0, 13)) return DeclaredSize::kUnknown;
  PixelTotal total(limits.pixels <= UINT64_MAX / kGifImagesInAll ? limits.pixels * kGifImagesInAll
                                                                 : UINT64_MAX);
  if (limits.Check(file.Le16(6), file.Le16(8)) == DeclaredSize::kTooLarge)
    return DeclaredSize::kTooLarge;
  const auto table_bytes = [](uint32_t flags) -> uint64_t {
    return flags & 0x80 ? 3u << ((flags & 7) + 1) : 0;
  };
  uint64_t at = 13 + table_bytes(file.U8(10));
  // Sub-blocks, each a length byte and that many bytes, up to a zero length; the place
  // after them, or none when the file ends first.
  const auto skip_blocks = [&file](uint64_t from) -> uint64_t {
    while (file.Has(from, 1)) {
      const uint32_t length = file.U8(from);
      from += 1 + length;
      if (length == 0) return from;
    }
    return 0;
  };
  while (file.Has(at, 1)) {
    const uint32_t introducer = file.U8(at);
    if (introducer == 0x3B) break;  // the trailer
    if (introducer == 0x21) {       // an extension: its label, then sub-blocks
      at = file.Has(at, 2) ? skip_blocks(at + 2) : 0;
    } else if (introducer == 0x2C) {  // an image: its place and size, a table, the LZW data
      if (!file.Has(at, 10)) break;
      if (limits.Check(file.Le16(at + 5), file.Le16(at + 7), &total) == DeclaredSize::kTooLarge)
        return DeclaredSize::kTooLarge;
      at += 10 + table_bytes(file.U8(at + 9)) + 1;
      at = skip_blocks(at);
    } else {
      break;
    }
    if (at == 0) break;
  }
  return DeclaredSize::kAcceptable;
}

DeclaredSize Jpeg(const Reader& file, const Limits& limits) {
  uint64_t at = 2;
  while (true) {
    // A marker is found as the decoder finds it: the bytes up to an 0xFF are passed over,
    // then every 0xFF after it (fill); the byte after those names the marker, unless it is
    // 0, which makes the pair a stuffed zero of coded data, passed over too.
    while (file.Has(at, 1) && file.U8(at) != 0xFF) ++at;
    while (file.Has(at, 1) && file.U8(at) == 0xFF) ++at;
    if (!file.Has(at, 1)) return DeclaredSize::kUnknown;
    const uint32_t marker = file.U8(at++);
    if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;
    // The end, or the scan before any frame.
    if (marker == 0xD9 || marker == 0xDA) return DeclaredSize::kUnknown;
    // The segment's length (counting itself), then its data.
    if (!file.Has(at, 2)) return DeclaredSize::kUnknown;
    const bool frame =
        marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      if (!file.Has(at, 7)) return DeclaredSize::kUnknown;
      // A height of 0 is given later, by a DNL marker; it is no size this check can allow.
      return limits.Check(file.Be16(at + 5), file.Be16(at + 3));
    }
    // A length under 2 takes the decoder past the length alone.
    const uint32_t length = file.Be16(at);
    at += length < 2 ? 2 : length;
  }
}

DeclaredSize Tiff(const Reader& file, const Limits& limits) {
  const bool little = file.Starts(0, "II", 2);
  const auto u16 = [&](uint64_t at) { return little ? file.Le16(at) : file.Be16(at); };
  const auto u32 = [&](uint64_t at) { return little ? file.Le32(at) : file.Be32(at); };
  if (!file.Has(0, 8)) return DeclaredSize::kUnknown;
  const uint64_t directory = u32(4);
  if (!file.Has(directory, 2)) return DeclaredSize::kUnknown;
  const uint32_t entries = u16(directory);
  uint64_t width = 0, height = 0;
  bool has_width = false, has_height = false;
  for (uint32_t i = 0; i < entries; ++i) {
    const uint64_t entry = directory + 2 + uint64_t{i} * 12;
    if (!file.Has(entry, 12)) return DeclaredSize::kUnknown;
    const uint32_t tag = u16(entry);
    const uint32_t type = u16(entry + 2);
    if (tag != 256 && tag != 257) continue;
    // SHORT (3) sits in the first two bytes of the value, LONG (4) fills it.
    if (type != 3 && type != 4) return DeclaredSize::kUnknown;
    const uint64_t value = type == 3 ? u16(entry + 8) : u32(entry + 8);
    (tag == 256 ? width : height) = value;
    (tag == 256 ? has_width : has_height) = true;
  }
  if (!has_width || !has_height) return DeclaredSize::kUnknown;
  return limits.Check(width, height);
}

DeclaredSize Icon(const Reader& file, const Limits& limits) {
  if (!file.Has(0, 6)) return DeclaredSize::kUnknown;
  const uint32_t count = file.Le16(4);
  if (count == 0 || !file.Has(6, uint64_t{count} * 16)) return DeclaredSize::kUnknown;
  // Every image is handed out, each decoded in full: their pixels in all are held to the limit.
  PixelTotal total(limits.pixels);
  for (uint32_t i = 0; i < count; ++i) {
    const uint64_t at = file.Le32(6 + uint64_t{i} * 16 + 12);
    // The decoder checks an image's place and size against the file's in 32 bits, which a
    // large size wraps past, and then reads the image's headers wherever they end: here they
    // are read up to the file's end, whatever size the entry gives. An image placed past the
    // end makes a broken file.
    if (at > file.Size()) return DeclaredSize::kTooLarge;
    const Reader image(file.From(at));
    const DeclaredSize declared = image.Starts(0, kPngSignature, 8)
                                      ? Png(image, limits, &total)
                                      : BmpInfo(image, 0, true, limits, &total);
    if (declared == DeclaredSize::kTooLarge) return declared;
  }
  return DeclaredSize::kAcceptable;
}

}  // namespace

DeclaredSize CheckDeclaredSize(std::span<const uint8_t> bytes, uint32_t max_side,
                               uint64_t max_pixels) {
  const Reader file(bytes);
  const Limits limits{max_side, max_pixels};
  if (file.Starts(0, kPngSignature, 8)) return Png(file, limits);
  if (file.Starts(0, "BM", 2)) return BmpInfo(file, 14, false, limits);
  if (file.Starts(0, "GIF87a", 6) || file.Starts(0, "GIF89a", 6)) return Gif(file, limits);
  if (file.Starts(0, "\xFF\xD8", 2)) return Jpeg(file, limits);
  if (file.Starts(0, "II*\0", 4) || file.Starts(0, "MM\0*", 4)) return Tiff(file, limits);
  if (file.Starts(0, "\0\0\1\0", 4) || file.Starts(0, "\0\0\2\0", 4)) return Icon(file, limits);
  return DeclaredSize::kUnknown;
}

}  // namespace vizmark
