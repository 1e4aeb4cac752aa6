// Helpers shared by the Windows tests: pictures, reading back what a window shows, waiting
// for things to happen, and a test program's own corner of the user's registry and keyboard.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/win_handles.h"

namespace testing {
class AssertionResult;
class Environment;
}  // namespace testing

namespace hostsim {
class HostWindows;
}

namespace testsupport {

// How long a test waits for something that a healthy run sees within a few seconds at most:
// far beyond anything load on a shared machine adds, so that reaching it means the thing
// never happened.
inline constexpr DWORD kPatience = 60000;

// A window's procedure now, and the one its class gave it (the host's own).
WNDPROC ProcOf(HWND window);
WNDPROC ClassProcOf(HWND window);
inline bool Subclassed(HWND window) { return ProcOf(window) != ClassProcOf(window); }
// The same, asked with the W functions: what a Unicode caller gets.
WNDPROC ProcOfW(HWND window);
WNDPROC ClassProcOfW(HWND window);

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

// Runs the thread's message loop until `done()` or about `ms` milliseconds have passed.
bool PumpUntil(const std::function<bool()>& done, DWORD ms);

// Whether the host's windows still answer as the host made them: a repaint of the panel
// runs the host's own procedure and leaves no face on it, the list's timers (posted and
// sent) and a typed U+0416 (posted to each) reach their own procedures, the character
// unchanged (an ANSI host's: as its code page has it). Pumps the calling thread's messages,
// which must be the windows' thread.
testing::AssertionResult HostWindowsWork(hostsim::HostWindows& host);

// Runs the thread's message loop until nothing waits in its queue (every paint asked for has
// been done), or `ms` milliseconds have passed.
bool PumpUntilIdle(DWORD ms);

// Makes `window` the foreground window, where the keyboard's input goes, with `focus` (one of
// its children, if given) holding the keyboard focus, and waits until they are. False when
// another program keeps the foreground.
bool BringToFront(HWND window, HWND focus = nullptr);

// 48 x 48 pixels, row-major, true for black.
using Face = std::vector<bool>;

// Reads `size` x `size` pixels of the window's client area at (x, y), rows from the top,
// each 0xRRGGBB as a DIB holds it. Pixels outside the client area read as white.
std::vector<uint32_t> ReadWindowColours(HWND window, int x, int y, int size = 48);
// The same pixels: true where black.
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
// `bytes` in padded base64 on one line, as a mail header carries a picture.
std::string Base64(const std::string& bytes);
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

// Releases every modifier key the system's key state holds down, and waits until it says
// so. A program that died holding one (the key state is shared by every program of a Wine
// server) would otherwise leave it down for the next. False when a key stays down.
bool ReleaseModifierKeys();

// HKEY_CURRENT_USER, for this process and every DLL in it, turned to a fresh key of the
// tests' own, HKCU\Software\Vizmark tests\PROGRAM.PID, for as long as this lives; the key
// goes with it. Whatever the tests and the plug-in store there never reaches the settings of
// the user who runs them, nor a later program in a kept Wine prefix.
class OwnCurrentUserKey {
 public:
  OwnCurrentUserKey();
  ~OwnCurrentUserKey();
  OwnCurrentUserKey(const OwnCurrentUserKey&) = delete;
  OwnCurrentUserKey& operator=(const OwnCurrentUserKey&) = delete;

  // True once HKEY_CURRENT_USER means the tests' key.
  bool redirected() const { return redirected_; }
  const std::string& name() const { return name_; }

 private:
  std::string name_;
  HKEY key_ = nullptr;
  bool redirected_ = false;
};

// For a whole test program: HKEY_CURRENT_USER turned to a key of its own
// (OwnCurrentUserKey), and no modifier key held down, from before its first test until after
// its last; without the key of its own no test runs. Every source whose tests touch the
// plug-in's settings or the keyboard calls this at namespace scope; a program registers its
// session once, however many of its sources do.
testing::Environment* RegisterTestSession();

// A crash of the test program (an exception nothing handles, on any thread) ends it at once
// with a "[  FAILED  ]" line naming the exception, the address and the test it happened in,
// instead of Wine's debugger, which may wait for someone to close its window. Called at
// namespace scope by programs whose tests may crash; true.
bool ReportCrashesAsFailures();

// Takes every GDI handle this process has left, as one-pixel regions, until GDI refuses one,
// so that code run meanwhile finds GDI failing; GiveBack(n) returns n of them, and the rest go
// back with this.
class GdiHandlesTaken {
 public:
  GdiHandlesTaken() {
    while (HRGN region = CreateRectRgn(0, 0, 1, 1)) regions_.emplace_back(region);
  }
  std::size_t count() const { return regions_.size(); }
  void GiveBack(std::size_t n) { regions_.resize(regions_.size() - std::min(n, regions_.size())); }

 private:
  std::vector<vizmark::UniqueHandleOf<HRGN, &vizmark::DeleteGdiObject>> regions_;
};

// X-Face headers of our own: a smiley, and diagonal stripes (six pixels black and six white,
// on rows 9 to 39) folded over three lines as a message holds it.
extern const std::string kSmileyXFace;
extern const std::string kStripesXFace;

// Windows-1250 bytes as UTF-16.
std::wstring FromCp1250(const std::string& bytes);
// A window's text.
std::wstring TextOf(HWND window);

}  // namespace testsupport
