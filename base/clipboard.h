// The clipboard: opened for a scope, global memory locked for a scope, and text put on it in
// both of the forms programs read.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace vizmark {

// The clipboard, opened for `window` for a scope.
class OpenedClipboard {
 public:
  explicit OpenedClipboard(HWND window) noexcept : open_(OpenClipboard(window) != FALSE) {}
  ~OpenedClipboard() {
    if (open_) CloseClipboard();
  }
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
  explicit operator bool() const noexcept { return open_; }

 private:
  bool open_;
};

// Global memory's bytes for a scope (GlobalLock), unlocked after it.
class LockedGlobal {
 public:
  explicit LockedGlobal(HGLOBAL memory) noexcept
      : memory_(memory), bytes_(memory != nullptr ? GlobalLock(memory) : nullptr) {}
  ~LockedGlobal() {
    if (bytes_ != nullptr) GlobalUnlock(memory_);
  }
  LockedGlobal(const LockedGlobal&) = delete;
  LockedGlobal& operator=(const LockedGlobal&) = delete;
  std::span<const uint8_t> bytes() const noexcept {
    if (bytes_ == nullptr) return {};
    return {static_cast<const uint8_t*>(bytes_), GlobalSize(memory_)};
  }
  void* data() const noexcept { return bytes_; }

 private:
  HGLOBAL memory_;
  void* bytes_;
};

// Replaces what the clipboard holds with `wide` as UTF-16 text and `narrow` as text in the
// system's code page (each ends with its zero); false, with a trace, when it cannot.
bool PutTextOnClipboard(HWND window, std::wstring_view wide, std::string_view narrow);

}  // namespace vizmark
