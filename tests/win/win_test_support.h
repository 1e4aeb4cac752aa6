// Helpers shared by the Windows tests: pictures, reading back what a window shows, waiting
// for things to happen, and a test program's own corner of the user's registry and keyboard.
#pragma once

#include <windows.h>
// after windows.h
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "hostsim/host_windows.h"

namespace testsupport {

// How long a test waits for something that a healthy run sees within a few seconds at most:
// far beyond anything load on a shared machine adds, so that reaching it means the thing
// never happened.
inline constexpr DWORD kPatience = 60000;

// A window's procedure now, and the one its class gave it (the host's own).
WNDPROC ProcOf(HWND window);
WNDPROC ClassProcOf(HWND window);
inline bool Subclassed(HWND window) { return ProcOf(window) != ClassProcOf(window); }

// Where a module's image lies in memory. Kept, it still names the place after the module
// has been unloaded.
struct ImageRange {
  uintptr_t begin = 0;
  uintptr_t end = 0;
};
ImageRange ImageOf(HMODULE module);

// How many threads of this process, still running, began in `image`: the threads a DLL
// started itself, told apart from those Wine or the system start and stop on their own.
int RunningThreadsStartedIn(const ImageRange& image);

// Runs the thread's message loop until nothing waits in its queue (every paint asked for has
// been done), or `ms` milliseconds have passed.
bool PumpUntilIdle(DWORD ms);

// Makes `window` the foreground window, where the keyboard's input goes, with `focus` (one of
// its children, if given) holding the keyboard focus, and waits until they are. False when
// another program keeps the foreground.
bool BringToFront(HWND window, HWND focus = nullptr);

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

// Deletes the files and empty folders in `folder`, leaving the folder itself.
void EmptyFolder(const std::string& folder);

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

// What follows is defined here in full, as the settings tests use it without linking the
// rest.

// Runs the thread's message loop until `done()` or about `ms` milliseconds have passed.
inline bool PumpUntil(const std::function<bool()>& done, DWORD ms) {
  for (DWORD waited = 0; waited < ms; waited += 50) {
    if (done()) return true;
    hostsim::HostWindows::Pump(50);
  }
  return done();
}

// Releases every modifier key the system's key state holds down, and waits until it says
// so. A program that died holding one (the key state is shared by every program of a Wine
// server) would otherwise leave it down for the next. False when a key stays down.
inline bool ReleaseModifierKeys() {
  static constexpr BYTE kModifiers[] = {VK_LSHIFT, VK_RSHIFT,  VK_LCONTROL, VK_RCONTROL,
                                        VK_LMENU,  VK_RMENU,   VK_LWIN,     VK_RWIN,
                                        VK_SHIFT,  VK_CONTROL, VK_MENU};
  const auto any_down = [] {
    for (BYTE key : kModifiers)
      if (GetAsyncKeyState(key) < 0) return true;
    return false;
  };
  const ULONGLONG deadline = GetTickCount64() + kPatience;
  while (any_down()) {
    if (GetTickCount64() >= deadline) return false;
    std::vector<INPUT> releases;
    for (BYTE key : kModifiers) {
      if (GetAsyncKeyState(key) >= 0) continue;
      INPUT input{};
      input.type = INPUT_KEYBOARD;
      input.ki.wVk = key;
      input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
      input.ki.dwFlags = KEYEVENTF_KEYUP;
      if (key == VK_RCONTROL || key == VK_RMENU || key == VK_LWIN || key == VK_RWIN)
        input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
      releases.push_back(input);
    }
    SendInput(static_cast<UINT>(releases.size()), releases.data(), sizeof(INPUT));
    Sleep(20);  // the system takes the input in on its own time
  }
  return true;
}

// HKEY_CURRENT_USER, for this process and every DLL in it, turned to a fresh key of the
// tests' own, HKCU\Software\Vizmark tests\PROGRAM.PID, for as long as this lives; the key
// goes with it. Whatever the tests and the plug-in store there never reaches the settings of
// the user who runs them, nor a later program in a kept Wine prefix.
class OwnCurrentUserKey {
 public:
  OwnCurrentUserKey() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string program(path, length);
    program.erase(0, program.find_last_of("\\/") + 1);
    program.erase(program.find_last_of('.'));
    name_ = std::string(kTestsKey) + "\\" + program + "." + std::to_string(GetCurrentProcessId());
    RemoveLeftovers();
    if (RegCreateKeyExA(HKEY_CURRENT_USER, name_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key_, nullptr) != ERROR_SUCCESS) {
      key_ = nullptr;
      return;
    }
    redirected_ = RegOverridePredefKey(HKEY_CURRENT_USER, key_) == ERROR_SUCCESS;
  }
  ~OwnCurrentUserKey() {
    if (redirected_) RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    if (key_ != nullptr) RegCloseKey(key_);
    RemoveKey(name_);
    RegDeleteKeyA(HKEY_CURRENT_USER, kTestsKey);  // only when no other program's key is left
  }
  OwnCurrentUserKey(const OwnCurrentUserKey&) = delete;
  OwnCurrentUserKey& operator=(const OwnCurrentUserKey&) = delete;

  // True once HKEY_CURRENT_USER means the tests' key.
  bool redirected() const { return redirected_; }
  const std::string& name() const { return name_; }

 private:
  static constexpr char kTestsKey[] = "Software\\Vizmark tests";

  static void RemoveKey(const std::string& name) {
    RegDeleteTreeA(HKEY_CURRENT_USER, name.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, name.c_str());
  }

  // Keys of programs that are no longer running (they died before removing theirs), and
  // one of an earlier process with this one's number.
  void RemoveLeftovers() const {
    HKEY tests = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kTestsKey, 0, KEY_READ, &tests) != ERROR_SUCCESS) return;
    std::vector<std::string> gone;
    char child[256];
    for (DWORD i = 0, size = sizeof child;
         RegEnumKeyExA(tests, i, child, &size, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, size = sizeof child) {
      const char* dot = std::strrchr(child, '.');
      const DWORD pid = dot != nullptr ? std::strtoul(dot + 1, nullptr, 10) : 0;
      if (pid == GetCurrentProcessId() || !Running(pid)) gone.push_back(child);
    }
    RegCloseKey(tests);
    for (const std::string& child : gone) RemoveKey(std::string(kTestsKey) + "\\" + child);
  }

  static bool Running(DWORD pid) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (process == nullptr) return false;
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
  }

  std::string name_;
  HKEY key_ = nullptr;
  bool redirected_ = false;
};

// For a whole test program: HKEY_CURRENT_USER turned to a key of its own, and no modifier
// key held down, from before its first test until after its last. Every source whose tests
// touch the plug-in's settings or the keyboard calls Register() at namespace scope; a
// program registers once, however many of its sources do.
class TestSession : public testing::Environment {
 public:
  static testing::Environment* Register() {
    static testing::Environment* const session = testing::AddGlobalTestEnvironment(new TestSession);
    return session;
  }

  void SetUp() override {
    EXPECT_TRUE(ReleaseModifierKeys()) << "a modifier key stays down";
    user_key_ = std::make_unique<OwnCurrentUserKey>();
    // Without it the tests would write the user's own settings: none runs.
    ASSERT_TRUE(user_key_->redirected()) << "HKEY_CURRENT_USER not turned to " << user_key_->name();
  }
  void TearDown() override {
    user_key_.reset();
    EXPECT_TRUE(ReleaseModifierKeys()) << "a modifier key stays down";
  }

 private:
  std::unique_ptr<OwnCurrentUserKey> user_key_;
};

}  // namespace testsupport
