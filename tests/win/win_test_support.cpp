#include "tests/win/win_test_support.h"

#include <algorithm>

#include "hostsim/host_windows.h"
#include "plugin/win_handles.h"

namespace testsupport {

WNDPROC ProcOf(HWND window) {
  return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
}

WNDPROC ClassProcOf(HWND window) {
  return reinterpret_cast<WNDPROC>(GetClassLongPtrA(window, GCLP_WNDPROC));
}

bool PumpUntil(const std::function<bool()>& done, DWORD ms) {
  for (DWORD waited = 0; waited < ms; waited += 50) {
    if (done()) return true;
    hostsim::HostWindows::Pump(50);
  }
  return done();
}

Face ReadWindowPixels(HWND window, int x, int y, int size) {
  Face face(static_cast<size_t>(size) * size, false);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = size;
  info.bmiHeader.biHeight = -size;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  vizmark::UniqueHbitmap capture(
      CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!capture || bits == nullptr) return face;
  auto* pixels = static_cast<DWORD*>(bits);
  for (int i = 0; i < size * size; ++i) pixels[i] = 0x00FFFFFF;
  {
    vizmark::WindowDc source(window);
    vizmark::UniqueHdc memory(CreateCompatibleDC(source.get()));
    vizmark::SelectedObject selected(memory.get(), capture.get());
    RECT client{};
    GetClientRect(window, &client);
    // Only what lies inside the client area is copied; the rest stays white.
    const int left = std::max(x, 0), top = std::max(y, 0);
    const int right = std::min(x + size, static_cast<int>(client.right));
    const int bottom = std::min(y + size, static_cast<int>(client.bottom));
    if (right > left && bottom > top)
      BitBlt(memory.get(), left - x, top - y, right - left, bottom - top, source.get(), left, top,
             SRCCOPY);
    GdiFlush();
  }
  for (int i = 0; i < size * size; ++i) face[static_cast<size_t>(i)] = (pixels[i] & 0xFFFFFF) == 0;
  return face;
}

Face RectFace(int left, int top, int right, int bottom) {
  Face face(48 * 48, false);
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) face[static_cast<size_t>(y * 48 + x)] = true;
  return face;
}

Face AndFaces(const Face& a, const Face& b) {
  Face out(a.size());
  for (size_t i = 0; i < a.size(); ++i) out[i] = a[i] || b[i];  // black wins under AND
  return out;
}

int BlackCount(const Face& face) {
  int n = 0;
  for (bool black : face) n += black;
  return n;
}

std::string Show(const Face& face) {
  std::string out;
  const size_t side = face.size() == 48 * 48 ? 48 : 0;
  for (size_t i = 0; i < face.size(); ++i) {
    out += face[i] ? '#' : '.';
    if (side && i % side == side - 1) out += '\n';
  }
  return out;
}

}  // namespace testsupport
