#include "hostsim/screenshot.h"

#include <cstdio>
#include <memory>

#include "base/win_handles.h"

namespace hostsim {

bool SaveClientAreaAsBmp(HWND window, const std::string& path) {
  RECT client{};
  GetClientRect(window, &client);
  const int width = client.right, height = client.bottom;
  if (width <= 0 || height <= 0) return false;

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as BMP files store it
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  vizmark::UniqueHbitmap capture(
      CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!capture || bits == nullptr) return false;
  {
    vizmark::WindowDc source(window);
    vizmark::UniqueHdc memory(CreateCompatibleDC(source.get()));
    vizmark::SelectedObject selected(memory.get(), capture.get());
    BitBlt(memory.get(), 0, 0, width, height, source.get(), 0, 0, SRCCOPY);
    GdiFlush();
  }
  const DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4;
  const DWORD image_size = stride * static_cast<DWORD>(height);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  file.bfSize = file.bfOffBits + image_size;
  info.bmiHeader.biSizeImage = image_size;

  std::unique_ptr<FILE, int (*)(FILE*)> out(std::fopen(path.c_str(), "wb"), &std::fclose);
  if (!out) return false;
  return std::fwrite(&file, sizeof file, 1, out.get()) == 1 &&
         std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out.get()) == 1 &&
         std::fwrite(bits, image_size, 1, out.get()) == 1;
}

}  // namespace hostsim
