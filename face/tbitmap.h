// TEMPORARY stand-in until the real bitmap object lands from the face branch.
#pragma once

#include <windows.h>

#include <string>

#include "plugin/win_handles.h"

namespace vizmark {

class TBitmap {
 public:
  TBitmap() = default;
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetWidth(int w) { Resize(w, height_); }
  void SetHeight(int h) { Resize(width_, h); }
  void MakeDib() {}
  HBITMAP Handle() const { return bitmap_.get(); }
  bool Empty() const { return !bitmap_; }
  bool LoadFromFile(const std::string&) { return false; }
  void Assign(const TBitmap* other);

 private:
  void Resize(int w, int h);
  int width_ = 0, height_ = 0;
  UniqueHbitmap bitmap_;
};

}  // namespace vizmark
