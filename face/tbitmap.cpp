#include "face/tbitmap.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace vizmark {

namespace {

UniqueHbitmap CreateWhiteSection(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueHbitmap section(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (section && bits != nullptr)
    std::memset(bits, 0xFF, static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
  return section;
}

uint32_t ReadU32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t ReadU16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

}  // namespace

namespace {

// What LoadFromFile needs to know of a BMP file, read from its headers.
struct BmpLayout {
  uint32_t pixels_at = 0;
  uint32_t header_size = 0;
  int64_t width = 0;
  int64_t height = 0;  // negative: rows stored top-down
  uint32_t compression = BI_RGB;
};

bool ReadBmpLayout(const unsigned char* bytes, size_t size, BmpLayout& bmp) {
  constexpr size_t kFileHeader = 14;
  if (size < kFileHeader + 12 || bytes[0] != 'B' || bytes[1] != 'M') return false;
  bmp.pixels_at = ReadU32(bytes + 10);
  bmp.header_size = ReadU32(bytes + 14);
  uint16_t planes, bit_count;
  uint32_t colours_used = 0;
  size_t colour_entry = 4;
  if (bmp.header_size == 12) {  // OS/2 core header
    bmp.width = ReadU16(bytes + 18);
    bmp.height = ReadU16(bytes + 20);
    planes = ReadU16(bytes + 22);
    bit_count = ReadU16(bytes + 24);
    colour_entry = 3;
  } else if (bmp.header_size >= 40 && bmp.header_size <= 124 &&
             size >= kFileHeader + bmp.header_size) {
    bmp.width = static_cast<int32_t>(ReadU32(bytes + 18));
    bmp.height = static_cast<int32_t>(ReadU32(bytes + 22));
    planes = ReadU16(bytes + 26);
    bit_count = ReadU16(bytes + 28);
    bmp.compression = ReadU32(bytes + 30);
    colours_used = ReadU32(bytes + 46);
  } else {
    return false;
  }
  const int64_t rows = bmp.height < 0 ? -bmp.height : bmp.height;
  if (bmp.width <= 0 || rows <= 0 || bmp.width > kMaxBitmapSide || rows > kMaxBitmapSide)
    return false;
  if (planes != 1) return false;
  switch (bit_count) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
      break;
    default:
      return false;
  }
  // The colour table (and the masks of BI_BITFIELDS) must lie before the pixels.
  uint64_t table = 0;
  if (bit_count <= 8) table = (colours_used ? colours_used : 1u << bit_count) * colour_entry;
  if (colours_used > 256) return false;
  if (bmp.compression == BI_BITFIELDS && bmp.header_size == 40) table += 12;
  if (bmp.pixels_at < kFileHeader + bmp.header_size + table || bmp.pixels_at >= size) return false;
  if (bmp.compression == BI_RGB || bmp.compression == BI_BITFIELDS) {
    if (bmp.compression == BI_BITFIELDS && bit_count != 16 && bit_count != 32) return false;
    const uint64_t stride = ((static_cast<uint64_t>(bmp.width) * bit_count + 31) / 32) * 4;
    return bmp.pixels_at + stride * static_cast<uint64_t>(rows) <= size;
  }
  // Run-length data is read by the system up to the end of the file; it is always stored
  // bottom-up.
  const bool rle = (bmp.compression == BI_RLE8 && bit_count == 8) ||
                   (bmp.compression == BI_RLE4 && bit_count == 4);
  return rle && bmp.height > 0;
}

}  // namespace

bool LooksLikeLoadableBmp(const unsigned char* bytes, size_t size) {
  BmpLayout bmp;
  return ReadBmpLayout(bytes, size, bmp);
}

void TBitmap::Resize(int width, int height) {
  width_ = width > 0 ? width : 0;
  height_ = height > 0 ? height : 0;
  bitmap_.reset();
  // Width and height are set one after the other; the picture exists once both are.
  if (width_ > 0 && height_ > 0) bitmap_ = CreateWhiteSection(width_, height_);
}

bool TBitmap::LoadFromFile(const std::string& path) {
  UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file || file.get() == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 || size.QuadPart > kMaxBmpFileBytes)
    return false;
  std::vector<unsigned char> bytes(static_cast<size_t>(size.QuadPart));
  DWORD read = 0;
  if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
      read != bytes.size())
    return false;
  file.reset();
  BmpLayout bmp;
  if (!ReadBmpLayout(bytes.data(), bytes.size(), bmp)) return false;

  // The headers and colour table, aligned for GDI, with the size of the pixel data filled
  // in so that run-length data is never read past the file's end.
  std::vector<uint32_t> info((bmp.pixels_at - 14 + 3) / 4);
  std::memcpy(info.data(), bytes.data() + 14, bmp.pixels_at - 14);
  if (bmp.header_size >= 40) {
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
    header->biSizeImage = static_cast<DWORD>(bytes.size() - bmp.pixels_at);
  }
  const int width = static_cast<int>(bmp.width);
  const int height = static_cast<int>(bmp.height < 0 ? -bmp.height : bmp.height);
  UniqueHbitmap picture = CreateWhiteSection(width, height);
  if (!picture) return false;
  int drawn;
  {
    UniqueHdc dc(CreateCompatibleDC(nullptr));
    SelectedObject selected(dc.get(), picture.get());
    drawn = StretchDIBits(
        dc.get(), 0, 0, width, height, 0, 0, width, height, bytes.data() + bmp.pixels_at,
        reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS, SRCCOPY);
  }
  if (drawn <= 0) return false;
  bitmap_ = std::move(picture);
  width_ = width;
  height_ = height;
  return true;
}

void TBitmap::Assign(const TBitmap* other) {
  if (other == this) return;
  if (other == nullptr || other->Empty()) {
    Resize(0, 0);
    return;
  }
  UniqueHbitmap copy = CreateWhiteSection(other->width_, other->height_);
  if (!copy) {
    Resize(0, 0);
    return;
  }
  {
    UniqueHdc from(CreateCompatibleDC(nullptr)), to(CreateCompatibleDC(nullptr));
    SelectedObject source(from.get(), other->Handle()), target(to.get(), copy.get());
    BitBlt(to.get(), 0, 0, other->width_, other->height_, from.get(), 0, 0, SRCCOPY);
  }
  bitmap_ = std::move(copy);
  width_ = other->width_;
  height_ = other->height_;
}

}  // namespace vizmark
