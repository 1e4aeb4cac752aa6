#include "tests/win/win_test_support.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "base/dib.h"
#include "base/win_handles.h"
#include "hostsim/host_windows.h"

namespace testsupport {

// Read in the window's own character set: read in the other, a procedure comes back as a
// handle that converts messages, not as itself.
WNDPROC ProcOf(HWND window) {
  return reinterpret_cast<WNDPROC>(IsWindowUnicode(window)
                                       ? GetWindowLongPtrW(window, GWLP_WNDPROC)
                                       : GetWindowLongPtrA(window, GWLP_WNDPROC));
}

WNDPROC ClassProcOf(HWND window) {
  return reinterpret_cast<WNDPROC>(IsWindowUnicode(window)
                                       ? GetClassLongPtrW(window, GCLP_WNDPROC)
                                       : GetClassLongPtrA(window, GCLP_WNDPROC));
}

WNDPROC ProcOfW(HWND window) {
  return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
}

WNDPROC ClassProcOfW(HWND window) {
  return reinterpret_cast<WNDPROC>(GetClassLongPtrW(window, GCLP_WNDPROC));
}

ImageRange ImageOf(HMODULE module) {
  if (module == nullptr) return {};
  const auto base = reinterpret_cast<uintptr_t>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  return {base, base + nt->OptionalHeader.SizeOfImage};
}

int RunningThreadsStartedIn(const ImageRange& image) {
  // The address a thread was started at, as CreateThread was given it.
  using QueryThread = LONG(NTAPI*)(HANDLE, int, void*, ULONG, ULONG*);
  constexpr int kThreadQuerySetWin32StartAddress = 9;
  static const auto query = reinterpret_cast<QueryThread>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationThread")));
  if (query == nullptr) return -1;
  vizmark::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  int count = 0;
  for (BOOL more = Thread32First(snapshot.get(), &entry); more;
       more = Thread32Next(snapshot.get(), &entry)) {
    if (entry.th32OwnerProcessID != GetCurrentProcessId()) continue;
    vizmark::UniqueHandle thread(
        OpenThread(THREAD_QUERY_INFORMATION | SYNCHRONIZE, FALSE, entry.th32ThreadID));
    // A thread that has ended may still be listed for a moment.
    if (!thread || WaitForSingleObject(thread.get(), 0) != WAIT_TIMEOUT) continue;
    void* start = nullptr;
    if (query(thread.get(), kThreadQuerySetWin32StartAddress, &start, sizeof start, nullptr) != 0)
      continue;
    const auto address = reinterpret_cast<uintptr_t>(start);
    count += address >= image.begin && address < image.end;
  }
  return count;
}

bool PumpUntil(const std::function<bool()>& done, DWORD ms) {
  for (DWORD waited = 0; waited < ms; waited += 50) {
    if (done()) return true;
    hostsim::HostWindows::Pump(50);
  }
  return done();
}

testing::AssertionResult HostWindowsWork(hostsim::HostWindows& host) {
  using hostsim::HostWindows;
  const int paints = host.header_paints();
  InvalidateRect(host.header(), nullptr, TRUE);
  UpdateWindow(host.header());
  if (host.header_paints() <= paints)
    return testing::AssertionFailure() << "the panel's own procedure did not paint it";
  RECT client{};
  GetClientRect(host.header(), &client);
  const Face corner = ReadWindowPixels(host.header(), client.right - 52, 4);
  if (BlackCount(corner) != 0)
    return testing::AssertionFailure() << "a face is still drawn over the panel:\n" << Show(corner);

  const std::vector<UINT_PTR> timers_before = host.list_timers();
  const struct {
    const char* name;
    HWND window;
    const std::wstring& chars;
    size_t before;
  } typed[] = {
      {"panel", host.header(), host.header_received().chars, host.header_received().chars.size()},
      {"list", host.list(), host.list_received().chars, host.list_received().chars.size()},
  };
  constexpr wchar_t kTyped = L'\u0416';
  // What an ANSI host's procedures get of it: the character in the system's code page.
  wchar_t expected_char = kTyped;
  if (!host.unicode()) {
    char ansi[4] = {};
    const int length =
        WideCharToMultiByte(CP_ACP, 0, &kTyped, 1, ansi, sizeof ansi, nullptr, nullptr);
    MultiByteToWideChar(CP_ACP, 0, ansi, length, &expected_char, 1);
  }
  PostMessageW(host.list(), WM_TIMER, HostWindows::kHideTimer, 0);
  for (const auto& window : typed) PostMessageW(window.window, WM_CHAR, kTyped, 1);
  SendMessageW(host.list(), WM_TIMER, HostWindows::kFilterTimer, 0);
  PumpUntil([&] { return host.list_timers().size() >= timers_before.size() + 2; }, kPatience);
  PumpUntilIdle(kPatience);
  std::vector<UINT_PTR> expected = timers_before;
  expected.insert(expected.end(), {HostWindows::kFilterTimer, HostWindows::kHideTimer});
  if (host.list_timers() != expected)
    return testing::AssertionFailure()
           << "the list's timers did not reach its own procedure ("
           << host.list_timers().size() - timers_before.size() << " of 2)";
  for (const auto& window : typed)
    if (window.chars.size() != window.before + 1 || window.chars.back() != expected_char)
      return testing::AssertionFailure()
             << "the " << window.name << "'s own procedure did not get a typed U+0416 as "
             << (host.unicode() ? "it was" : "its code page has it");
  return testing::AssertionSuccess();
}

bool PumpUntilIdle(DWORD ms) {
  return PumpUntil([] { return HIWORD(GetQueueStatus(QS_ALLINPUT)) == 0; }, ms);
}

bool BringToFront(HWND window, HWND focus) {
  return PumpUntil(
      [&] {
        if (GetForegroundWindow() != window) SetForegroundWindow(window);
        if (focus != nullptr && GetFocus() != focus) SetFocus(focus);
        return GetForegroundWindow() == window && (focus == nullptr || GetFocus() == focus);
      },
      kPatience);
}

std::vector<uint32_t> ReadWindowColours(HWND window, int x, int y, int size) {
  std::vector<uint32_t> colours(static_cast<size_t>(size) * size, 0xFFFFFF);
  BITMAPINFO info{};
  info.bmiHeader = vizmark::TopDownDibHeader(size, size, 32);
  void* bits = nullptr;
  vizmark::UniqueHbitmap capture(
      CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!capture || bits == nullptr) return colours;
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
  for (int i = 0; i < size * size; ++i) colours[static_cast<size_t>(i)] = pixels[i] & 0xFFFFFF;
  return colours;
}

Face ReadWindowPixels(HWND window, int x, int y, int size) {
  const std::vector<uint32_t> colours = ReadWindowColours(window, x, y, size);
  Face face(colours.size(), false);
  for (size_t i = 0; i < colours.size(); ++i) face[i] = colours[i] == 0;
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

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

std::string Base64(const std::string& bytes) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t n = std::min<size_t>(3, bytes.size() - i);
    uint32_t group = 0;
    for (size_t j = 0; j < 3; ++j)
      group = group << 8 | (j < n ? static_cast<uint8_t>(bytes[i + j]) : 0u);
    for (size_t j = 0; j < 4; ++j) text += j <= n ? kDigits[group >> (18 - 6 * j) & 63] : '=';
  }
  return text;
}

std::string ReadFileBytes(const std::string& path) {
  std::string bytes;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) bytes.append(chunk, n);
    std::fclose(f);
  }
  return bytes;
}

bool WriteBmp(const std::string& path, int width, int height, int bits, bool top_down,
              const std::function<bool(int, int)>& black, COLORREF other) {
  // Palette: 0 white (or `other`), 1 black; larger palettes fill up with greys.
  const int colours = bits <= 8 ? 1 << bits : 0;
  const int stride = ((width * bits + 31) / 32) * 4;
  std::string bytes;
  auto put16 = [&](uint32_t v) { bytes.append({char(v), char(v >> 8)}); };
  auto put32 = [&](uint32_t v) {
    bytes.append({char(v), char(v >> 8), char(v >> 16), char(v >> 24)});
  };
  const uint32_t offset = 14 + 40 + 4 * colours;
  bytes += "BM";
  put32(offset + stride * height);
  put32(0);
  put32(offset);
  put32(40);
  put32(static_cast<uint32_t>(width));
  put32(static_cast<uint32_t>(top_down ? -height : height));
  put16(1);
  put16(static_cast<uint32_t>(bits));
  put32(BI_RGB);
  put32(static_cast<uint32_t>(stride * height));
  put32(2835);
  put32(2835);
  put32(static_cast<uint32_t>(colours));
  put32(0);
  for (int i = 0; i < colours; ++i) {
    COLORREF c = i == 0 ? other : i == 1 ? RGB(0, 0, 0) : RGB(i, i, i);
    bytes.append({char(GetBValue(c)), char(GetGValue(c)), char(GetRValue(c)), 0});
  }
  for (int row = 0; row < height; ++row) {
    const int y = top_down ? row : height - 1 - row;
    std::string line(static_cast<size_t>(stride), '\0');
    for (int x = 0; x < width; ++x) {
      const bool b = black(x, y);
      if (bits <= 8) {
        const int index = b ? 1 : 0;
        const int bit = x * bits;
        line[static_cast<size_t>(bit / 8)] |= static_cast<char>(index << (8 - bits - bit % 8));
      } else {
        const COLORREF c = b ? RGB(0, 0, 0) : other;
        char* p = &line[static_cast<size_t>(x * bits / 8)];
        p[0] = char(GetBValue(c));
        p[1] = char(GetGValue(c));
        p[2] = char(GetRValue(c));
        if (bits == 32) p[3] = 0;
      }
    }
    bytes += line;
  }
  return WriteFileBytes(path, bytes);
}

void EmptyFolder(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    const std::string full = folder + "\\" + name;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      RemoveDirectoryA(full.c_str());
    else
      DeleteFileA(full.c_str());
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

TempDir::TempDir() {
  char base[MAX_PATH];
  GetTempPathA(MAX_PATH, base);
  char name[MAX_PATH];
  GetTempFileNameA(base, "vzm", 0, name);
  DeleteFileA(name);
  CreateDirectoryA(name, nullptr);
  path_ = name;
}

TempDir::~TempDir() {
  EmptyFolder(path_);
  RemoveDirectoryA(path_.c_str());
}

bool ReleaseModifierKeys() {
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

namespace {

constexpr char kTestsKey[] = "Software\\Vizmark tests";

void RemoveKey(const std::string& name) {
  RegDeleteTreeA(HKEY_CURRENT_USER, name.c_str());
  RegDeleteKeyA(HKEY_CURRENT_USER, name.c_str());
}

bool Running(DWORD pid) {
  vizmark::UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
  return process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

// Keys of programs that are no longer running (they died before removing theirs), and one
// of an earlier process with this one's number.
void RemoveLeftovers() {
  HKEY tests = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kTestsKey, 0, KEY_READ, &tests) != ERROR_SUCCESS) return;
  std::vector<std::string> gone;
  {
    vizmark::UniqueHkey owner(tests);
    char child[256];
    for (DWORD i = 0, size = sizeof child;
         RegEnumKeyExA(tests, i, child, &size, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, size = sizeof child) {
      const char* dot = std::strrchr(child, '.');
      const DWORD pid = dot != nullptr ? std::strtoul(dot + 1, nullptr, 10) : 0;
      if (pid == GetCurrentProcessId() || !Running(pid)) gone.push_back(child);
    }
  }
  for (const std::string& child : gone) RemoveKey(std::string(kTestsKey) + "\\" + child);
}

}  // namespace

OwnCurrentUserKey::OwnCurrentUserKey() {
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

OwnCurrentUserKey::~OwnCurrentUserKey() {
  if (redirected_) RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  if (key_ != nullptr) RegCloseKey(key_);
  RemoveKey(name_);
  RegDeleteKeyA(HKEY_CURRENT_USER, kTestsKey);  // only when no other program's key is left
}

namespace {

class TestSession : public testing::Environment {
 public:
  void SetUp() override {
    EXPECT_TRUE(ReleaseModifierKeys()) << "a modifier key stays down";
    user_key_ = std::make_unique<OwnCurrentUserKey>();
    // Without it the tests would write the user's own settings.
    ASSERT_TRUE(user_key_->redirected()) << "HKEY_CURRENT_USER not turned to " << user_key_->name();
  }
  void TearDown() override {
    user_key_.reset();
    EXPECT_TRUE(ReleaseModifierKeys()) << "a modifier key stays down";
  }

 private:
  std::unique_ptr<OwnCurrentUserKey> user_key_;
};

}  // namespace

testing::Environment* RegisterTestSession() {
  static testing::Environment* const session = testing::AddGlobalTestEnvironment(new TestSession);
  return session;
}

namespace {

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* exception) {
  const EXCEPTION_RECORD& record = *exception->ExceptionRecord;
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  char line[512];
  const int length =
      std::snprintf(line, sizeof line, "\n[  FAILED  ] crashed: exception %08lX at %p in %s%s%s\n",
                    static_cast<unsigned long>(record.ExceptionCode), record.ExceptionAddress,
                    test != nullptr ? test->test_suite_name() : "no test",
                    test != nullptr ? "." : "", test != nullptr ? test->name() : "");
  // What GoogleTest printed so far first, then the reason the rest is missing.
  std::fflush(stdout);
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), line,
            static_cast<DWORD>(std::clamp(length, 0, static_cast<int>(sizeof line) - 1)), &written,
            nullptr);
  TerminateProcess(GetCurrentProcess(), record.ExceptionCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

bool ReportCrashesAsFailures() {
  SetUnhandledExceptionFilter(&ReportCrash);
  return true;
}

const std::string kSmileyXFace =
    " \"8?b)?'H`x/$J)H|6Y-hrrk_YxwF/bpH7aoRW`vN-!k/vL7G_V*2BNlW`3iCcL`L4:.J5<q[{"
    "ZM+JWW*z'K/V|:oMN?oW\"D-7|yEzS%}eA$8$-2rZS+a:_,(A&/9b/H-4@^v4.L[CoJP3";
const std::string kStripesXFace =
    R"xface( "4ehK$e`['Q~sc-aKrU7h^&}pa0bt4S6\a#T35WovNwZZ"yt"ZK,[,yJNj&''#P$H3?-HgS
 7NuS@^v]W4?eQY5l1EyfCy0jz\WI|5y7k>~b1!)[qI%[aa(c@Q08p;'4$(e[430&EFp;[eKP!'36u{
 6$X9Vd1&i=y'Z*:7R);="/by|"Vj3;NWf.M'VfvIJlV^lS
)xface";

std::wstring FromCp1250(const std::string& bytes) {
  std::wstring wide(bytes.size(), L'\0');
  wide.resize(
      static_cast<size_t>(MultiByteToWideChar(1250, 0, bytes.data(), static_cast<int>(bytes.size()),
                                              wide.data(), static_cast<int>(wide.size()))));
  return wide;
}

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

}  // namespace testsupport
