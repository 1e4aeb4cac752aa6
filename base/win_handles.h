// Owners for the Win32 handles the plug-in uses: each type names the call that releases
// its handle, so no way out of a function can forget it.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>
#include <utility>

namespace vizmark {

template <typename Handle, auto Release>
struct HandleDeleter {
  void operator()(Handle handle) const noexcept {
    if (handle != nullptr) Release(handle);
  }
};

template <typename Handle, auto Release>
using UniqueHandleOf =
    std::unique_ptr<std::remove_pointer_t<Handle>, HandleDeleter<Handle, Release>>;

inline void DeleteGdiObject(HGDIOBJ object) noexcept { DeleteObject(object); }
inline void FreeGlobal(HGLOBAL memory) noexcept { GlobalFree(memory); }

using UniqueHdc = UniqueHandleOf<HDC, &DeleteDC>;                 // CreateCompatibleDC
using UniqueHbitmap = UniqueHandleOf<HBITMAP, &DeleteGdiObject>;  // CreateDIBSection...
using UniqueHfont = UniqueHandleOf<HFONT, &DeleteGdiObject>;      // CreateFont...
using UniqueHrgn = UniqueHandleOf<HRGN, &DeleteGdiObject>;        // CreateRectRgn...
using UniqueHkey = UniqueHandleOf<HKEY, &RegCloseKey>;            // RegCreateKeyEx...
using UniqueHmodule = UniqueHandleOf<HMODULE, &FreeLibrary>;      // LoadLibrary
using UniqueHglobal = UniqueHandleOf<HGLOBAL, &FreeGlobal>;       // GlobalAlloc

// A kernel handle (CreateFile, events, threads, snapshots). Some calls fail with null, some
// with INVALID_HANDLE_VALUE: both are kept as empty, so one test of the owner tells.
class UniqueHandle {
 public:
  UniqueHandle() noexcept = default;
  explicit UniqueHandle(HANDLE handle) noexcept : handle_(Valid(handle)) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    reset(other.release());
    return *this;
  }
  ~UniqueHandle() { reset(); }

  HANDLE get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != nullptr; }
  HANDLE release() noexcept { return std::exchange(handle_, nullptr); }
  void reset(HANDLE handle = nullptr) noexcept {
    const HANDLE old = std::exchange(handle_, Valid(handle));
    if (old != nullptr && old != handle_) CloseHandle(old);
  }

 private:
  static HANDLE Valid(HANDLE handle) noexcept {
    return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
  }
  HANDLE handle_ = nullptr;
};

// A window's device context (GetDC), released to its window (ReleaseDC).
class WindowDc {
 public:
  explicit WindowDc(HWND window) noexcept : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const noexcept { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// An object selected into a DC for a scope; the DC's previous object goes back first,
// before the DC or the object can be deleted.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) noexcept
      : dc_(dc),
        previous_(dc != nullptr && object != nullptr ? SelectObject(dc, object) : nullptr) {}
  ~SelectedObject() {
    if (previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace vizmark
