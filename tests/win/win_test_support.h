// Helpers shared by the Windows tests: pictures and reading back what a window shows.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace testsupport {

// A window's procedure now, and the one its class gave it (the host's own).
WNDPROC ProcOf(HWND window);
WNDPROC ClassProcOf(HWND window);
inline bool Subclassed(HWND window) { return ProcOf(window) != ClassProcOf(window); }

// The number of threads this process has now.
int ThreadsOfThisProcess();

// Runs the thread's message loop until `done()` or about `ms` milliseconds have passed.
bool PumpUntil(const std::function<bool()>& done, DWORD ms);

// 48 x 48 pixels, row-major, true for black.
using Face = std::vector<bool>;

// Reads `size` x `size` pixels of the window's client area at (x, y): true where black.
// Pixels outside the client area read as false.
Face ReadWindowPixels(HWND window, int x, int y, int size = 48);

// A face with a black rectangle (left, top, right, bottom, in 0..48).
Face RectFace(int left, int top, int right, int bottom);
// What the panel shows after both were drawn with SRCAND: black wherever either is.
Face AndFaces(const Face& a, const Face& b);
int BlackCount(const Face& face);
// For failure messages: the face as 48 lines of '#' and '.'.
std::string Show(const Face& face);

// Writes a BMP file of `width` x `height` pixels with `bits` per pixel (1, 4, 8, 24, 32),
// rows stored top-down or bottom-up. `black(x, y)` says which pixels are black; the others
// are white, or `other` (an RGB colour) where given, for colour pictures.
bool WriteBmp(const std::string& path, int width, int height, int bits, bool top_down,
              const std::function<bool(int, int)>& black, COLORREF other = RGB(255, 255, 255));
bool WriteFileBytes(const std::string& path, const std::string& bytes);
std::string ReadFileBytes(const std::string& path);

// A fresh empty folder for one test's files; removed with everything in it when it goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

}  // namespace testsupport
