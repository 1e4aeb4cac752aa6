// Picture: a picture in memory that the macros and the overlay pass around. It always holds a
// device-independent section (32 bits a pixel unless loaded from a file), owned here.
#pragma once

#include <windows.h>

#include "base/file_read.h"
#include "base/win_handles.h"

namespace vizmark {

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

  // Loads a BMP file (read with others allowed to read it too); false, and the picture
  // unchanged, when the file is missing, unreadable, no file on a disk, or not a BMP that can be
  // loaded safely (see ReadBmpLayout), or when its run-length data would draw outside the picture
  // or has no end.
  bool LoadFromFile(const FilePath& path);

  // An independent copy of `other`; none or an empty one, or a copy GDI cannot make, makes
  // this picture empty.
  void Assign(const Picture* other);

 private:
  void Resize(int width, int height);

  int width_ = 0;
  int height_ = 0;
  UniqueHbitmap bitmap_;
};

}  // namespace vizmark
