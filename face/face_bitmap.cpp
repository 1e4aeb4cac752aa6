#include "face/face_bitmap.h"
namespace vizmark {
int32_t XFaceToBitmap(const std::string& headerText, TBitmap& target) {
  target.MakeDib();
  if (headerText.size() > 900) return -2;
  // Stand-in picture: a black bar on the left.
  UniqueHdc dc(CreateCompatibleDC(nullptr));
  SelectedObject sel(dc.get(), target.Handle());
  PatBlt(dc.get(), 0, 0, 8, 48, BLACKNESS);
  return 0;
}
}
