// Picture: a picture in memory that the macros and the overlay pass around. It always holds a
// device-independent section of 32 bits a pixel, drawn from the top row down, owned here.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "base/file_read.h"
#include "base/win_handles.h"
#include "face/xface_codec.h"

namespace vizmark {

// A 48 x 48 one-bit face as FaceBitmap holds it: 8 bytes a row from the top, a row's first
// pixel in its first byte's high bit, 1 black.
inline constexpr std::size_t kFaceRowStride = 8;
using FaceBitmapRows = std::array<uint8_t, kFaceSide * kFaceRowStride>;

class Picture {
 public:
  Picture() = default;
  Picture(Picture&&) = default;
  Picture& operator=(Picture&&) = default;

  int Width() const { return width_; }
  int Height() const { return height_; }
  // Resize to the new width or height; the picture becomes white.
  void SetWidth(int width) { Resize(width, height_); }
  void SetHeight(int height) { Resize(width_, height); }

  HBITMAP Handle() const { return bitmap_.get(); }
  bool Empty() const { return !bitmap_; }
  // A colour picture: its pixels are B, G, R and alpha, the colours premultiplied by alpha,
  // to be blended over what is below. Otherwise black and white, drawn with AND.
  bool Colour() const { return colour_; }

  // Becomes `width` x `height` pixels of these bytes, 4 a pixel (B, G, R and a fourth), rows
  // from the top; a colour picture or not as `colour` says. False, and the picture empty, when
  // the size does not match the bytes or GDI makes no picture.
  bool SetPixels(int width, int height, std::span<const uint8_t> bytes, bool colour);
  // The picture's bytes as SetPixels takes them; empty for an empty picture or when GDI
  // cannot read it.
  std::vector<uint8_t> Pixels() const;

  // Loads a BMP file (read with others allowed to read it too); false, and the picture
  // unchanged, when the file is missing, unreadable, no file on a disk, or not a BMP that can be
  // loaded safely (see ReadBmpLayout), or when its run-length data would draw outside the picture
  // or has no end.
  bool LoadFromFile(const FilePath& path);

  // An independent copy of `other`; none or an empty one, or a copy GDI cannot make, makes
  // this picture empty. A picture of the same size keeps its section.
  void Assign(const Picture* other);

  // Becomes the 48 x 48 face of `rows`, black and white, in the section it has when that is
  // of this size, else in a new one; false, and the picture empty, when GDI cannot make one.
  bool SetFaceRows(const FaceBitmapRows& rows);

 private:
  void Resize(int width, int height);
  // The section's pixels, rows from the top, 32 bits each.
  uint32_t* SectionBits() const;

  int width_ = 0;
  int height_ = 0;
  bool colour_ = false;
  UniqueHbitmap bitmap_;
};

}  // namespace vizmark
