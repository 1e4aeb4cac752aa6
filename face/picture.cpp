#include "face/picture.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "base/dib.h"
#include "base/trace.h"
#include "face/bmp_layout.h"

namespace vizmark {

namespace {

// A section of `width` x `height` pixels, each byte 0xFF, or of `bytes` when they are given.
UniqueHbitmap CreateWhiteSection(int width, int height, const uint8_t* bytes = nullptr) {
  BITMAPINFO info{};
  info.bmiHeader = TopDownDibHeader(width, height, 32);
  void* bits = nullptr;
  UniqueHbitmap section(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!section || bits == nullptr) {
    Trace(L"GDI made no picture");
    return nullptr;
  }
  const size_t size = static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
  if (bytes != nullptr)
    std::memcpy(bits, bytes, size);
  else
    std::memset(bits, 0xFF, size);
  return section;
}

}  // namespace

void Picture::Resize(int width, int height) {
  colour_ = false;
  width_ = width > 0 ? width : 0;
  height_ = height > 0 ? height : 0;
  bitmap_.reset();
  // Width and height are set one after the other; the picture exists once both are.
  if (width_ > 0 && height_ > 0) bitmap_ = CreateWhiteSection(width_, height_);
}

bool Picture::LoadFromFile(const FilePath& path) {
  const std::optional<std::vector<unsigned char>> file =
      ReadWholeFile(path, FILE_SHARE_READ, kMaxBmpFileBytes);
  if (!file) return false;
  const std::vector<unsigned char>& bytes = *file;
  const std::optional<BmpLayout> bmp = ReadBmpLayout(bytes);
  if (!bmp) return false;
  const int width = bmp->width;
  const int height = bmp->height < 0 ? -bmp->height : bmp->height;
  if ((bmp->compression == kBmpRle8 || bmp->compression == kBmpRle4) &&
      !IsSoundRunLengthData(std::span(bytes).subspan(bmp->pixels_at, bmp->pixel_bytes), width,
                            height, bmp->compression == kBmpRle4))
    return false;

  // The headers, masks and colour table, aligned for GDI, in a block as large as they can ever
  // be: whatever GDI reads of them stays inside it. The size of the pixel data is filled in
  // as the layout counts it, so that the pixels are never read past the file's end.
  std::array<uint32_t, (kMaxBmpInfoBytes + 3) / 4> info{};
  std::memcpy(info.data(), bytes.data() + kBmpFileHeaderBytes, bmp->info_bytes);
  if (bmp->header_size >= sizeof(BITMAPINFOHEADER)) {
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
    header->biSizeImage = bmp->pixel_bytes;
  }
  // A linked or embedded colour profile would be data outside that block. The picture is
  // drawn into a memory bitmap without colour management, so the header names sRGB instead.
  // (The system's names for these are multi-character constants: 'LINK', 'MBED', 'sRGB'.)
  constexpr DWORD kProfileLinked = 0x4C494E4B, kProfileEmbedded = 0x4D424544, kSrgb = 0x73524742;
  if (bmp->header_size >= sizeof(BITMAPV5HEADER)) {
    auto* header = reinterpret_cast<BITMAPV5HEADER*>(info.data());
    if (header->bV5CSType == kProfileLinked || header->bV5CSType == kProfileEmbedded) {
      header->bV5CSType = kSrgb;
      header->bV5ProfileData = 0;
      header->bV5ProfileSize = 0;
    }
  }
  UniqueHbitmap picture = CreateWhiteSection(width, height);
  if (!picture) return false;
  int drawn;
  {
    UniqueHdc dc(CreateCompatibleDC(nullptr));
    SelectedObject selected(dc.get(), picture.get());
    drawn = StretchDIBits(
        dc.get(), 0, 0, width, height, 0, 0, width, height, bytes.data() + bmp->pixels_at,
        reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS, SRCCOPY);
  }
  if (drawn <= 0) return false;
  bitmap_ = std::move(picture);
  width_ = width;
  height_ = height;
  colour_ = false;
  return true;
}

uint32_t* Picture::SectionBits() const {
  DIBSECTION section{};
  if (!bitmap_ || GetObjectW(bitmap_.get(), sizeof section, &section) != sizeof section ||
      section.dsBm.bmBitsPixel != 32)
    return nullptr;
  return static_cast<uint32_t*>(section.dsBm.bmBits);
}

bool Picture::SetFaceRows(const FaceBitmapRows& rows) {
  if (width_ != kFaceSide || height_ != kFaceSide || SectionBits() == nullptr)
    Resize(kFaceSide, kFaceSide);
  uint32_t* pixels = SectionBits();
  if (pixels == nullptr) {
    Resize(0, 0);
    return false;
  }
  colour_ = false;
  // GDI may still be drawing from the section.
  GdiFlush();
  for (std::size_t y = 0; y < kFaceSide; ++y)
    for (std::size_t x = 0; x < kFaceSide; ++x)
      pixels[y * kFaceSide + x] =
          (rows[y * kFaceRowStride + x / 8] & (0x80 >> (x % 8))) != 0 ? 0x000000 : 0xFFFFFF;
  return true;
}

void Picture::Assign(const Picture* other) {
  if (other == this) return;
  if (other == nullptr || other->Empty()) {
    Resize(0, 0);
    return;
  }
  if (width_ == other->width_ && height_ == other->height_) {
    uint32_t* to = SectionBits();
    const uint32_t* from = other->SectionBits();
    if (to != nullptr && from != nullptr) {
      GdiFlush();
      std::memcpy(to, from, static_cast<size_t>(width_) * static_cast<size_t>(height_) * 4);
      colour_ = other->colour_;
      return;
    }
  }
  UniqueHbitmap copy = CreateWhiteSection(other->width_, other->height_);
  if (!copy) {
    Resize(0, 0);
    return;
  }
  bool copied;
  {
    UniqueHdc from(CreateCompatibleDC(nullptr)), to(CreateCompatibleDC(nullptr));
    SelectedObject source(from.get(), other->Handle()), target(to.get(), copy.get());
    copied = from && to && GetCurrentObject(from.get(), OBJ_BITMAP) == other->Handle() &&
             GetCurrentObject(to.get(), OBJ_BITMAP) == copy.get() &&
             BitBlt(to.get(), 0, 0, other->width_, other->height_, from.get(), 0, 0, SRCCOPY);
  }
  if (!copied) {
    Trace(L"GDI could not copy a picture");
    Resize(0, 0);
    return;
  }
  bitmap_ = std::move(copy);
  width_ = other->width_;
  height_ = other->height_;
  colour_ = other->colour_;
}

bool Picture::SetPixels(int width, int height, std::span<const uint8_t> bytes, bool colour) {
  Resize(0, 0);
  if (width <= 0 || height <= 0 || static_cast<size_t>(height) > bytes.size() / 4 / width ||
      bytes.size() != static_cast<size_t>(width) * static_cast<size_t>(height) * 4)
    return false;
  bitmap_ = CreateWhiteSection(width, height, bytes.data());
  if (!bitmap_) return false;
  width_ = width;
  height_ = height;
  colour_ = colour;
  return true;
}

std::vector<uint8_t> Picture::Pixels() const {
  if (Empty()) return {};
  std::vector<uint8_t> bytes(static_cast<size_t>(width_) * static_cast<size_t>(height_) * 4);
  BITMAPINFO info{};
  info.bmiHeader = TopDownDibHeader(width_, height_, 32);
  UniqueHdc dc(CreateCompatibleDC(nullptr));
  if (GetDIBits(dc.get(), Handle(), 0, static_cast<UINT>(height_), bytes.data(), &info,
                DIB_RGB_COLORS) != height_) {
    Trace(L"GDI could not read a picture");
    return {};
  }
  return bytes;
}

}  // namespace vizmark
