// What goes on around the host on the same desktop: another program's window, which takes
// the foreground and keeps the keys it receives, and keys the user holds down.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace hostsim {

// hostsim_other, beside the running program, in a process of its own.
class OtherProgram {
 public:
  // Starts it, writing the keys its window receives into `keys_file`, and waits (a minute
  // at most) until its window is the foreground window: see in_front(). `mail_client`: its
  // windows have the mail client's classes, as another copy of the client's would.
  explicit OtherProgram(std::string keys_file, bool mail_client = false);
  // Close()s it.
  ~OtherProgram();
  OtherProgram(const OtherProgram&) = delete;
  OtherProgram& operator=(const OtherProgram&) = delete;

  // Its window, once it was seen in the foreground.
  HWND window() const { return window_; }
  bool in_front() const { return window_ != nullptr && GetForegroundWindow() == window_; }

  // The keys its window received so far, in order: "down 70", "up 70" (virtual keys).
  std::vector<std::string> Keys() const;
  // Closes its window and waits until the program has ended; Keys() then holds all it got.
  void Close();

 private:
  std::string keys_file_;
  HANDLE process_ = nullptr;
  DWORD process_id_ = 0;
  HWND window_ = nullptr;
};

// Presses `key` down, or lets it go, as one key of the user's keyboard: the key stays down
// until let go of.
void HoldKeyDown(BYTE key);
void LetKeyUp(BYTE key);

}  // namespace hostsim
