#include "hostsim/dpi.h"

#include <windows.h>

#include <initializer_list>

namespace hostsim {

namespace {

constexpr char kDesktopKey[] = "Control Panel\\Desktop";
constexpr char kFontsKey[] =
    "System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts";
constexpr char kLogPixels[] = "LogPixels";

template <typename Call>
Call Find(const wchar_t* module, const char* name) {
  HMODULE loaded = GetModuleHandleW(module);
  if (loaded == nullptr) loaded = LoadLibraryW(module);
  if (loaded == nullptr) return nullptr;
  return reinterpret_cast<Call>(reinterpret_cast<void (*)()>(GetProcAddress(loaded, name)));
}

bool SetLogPixels(HKEY root, const char* path, int dpi) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return false;
  const DWORD value = static_cast<DWORD>(dpi);
  const LSTATUS done = dpi > 0 ? RegSetValueExA(key, kLogPixels, 0, REG_DWORD,
                                                reinterpret_cast<const BYTE*>(&value), sizeof value)
                               : RegDeleteValueA(key, kLogPixels);
  RegCloseKey(key);
  return done == ERROR_SUCCESS || (dpi <= 0 && done == ERROR_FILE_NOT_FOUND);
}

}  // namespace

bool BecomeDpiAware() {
  using SetContext = BOOL(WINAPI*)(HANDLE);
  if (const auto set_context = Find<SetContext>(L"user32.dll", "SetProcessDpiAwarenessContext")) {
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 and _PER_MONITOR_AWARE
    for (const INT_PTR context : {-4, -3})
      if (set_context(reinterpret_cast<HANDLE>(context))) return true;
  }
  using SetAwareness = HRESULT(WINAPI*)(int);
  if (const auto set_awareness = Find<SetAwareness>(L"shcore.dll", "SetProcessDpiAwareness"))
    if (SUCCEEDED(set_awareness(2))) return true;  // PROCESS_PER_MONITOR_DPI_AWARE
  using SetAware = BOOL(WINAPI*)();
  if (const auto set_aware = Find<SetAware>(L"user32.dll", "SetProcessDPIAware"))
    return set_aware() != FALSE;
  return false;
}

int SystemDpi() {
  using GetDpiForSystem = UINT(WINAPI*)();
  if (const auto get_dpi = Find<GetDpiForSystem>(L"user32.dll", "GetDpiForSystem"))
    return static_cast<int>(get_dpi());
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi;
}

int NewWindowDpi() {
  HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  if (probe == nullptr) return 0;
  using GetDpiForWindow = UINT(WINAPI*)(HWND);
  int dpi = 0;
  if (const auto get_dpi = Find<GetDpiForWindow>(L"user32.dll", "GetDpiForWindow")) {
    dpi = static_cast<int>(get_dpi(probe));
  } else {
    HDC dc = GetDC(probe);
    dpi = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(probe, dc);
  }
  DestroyWindow(probe);
  return dpi;
}

bool UseSystemDpiForNewWindows() {
  const int system = SystemDpi();
  if (NewWindowDpi() == system) return true;
  using SetThreadContext = HANDLE(WINAPI*)(HANDLE);
  const auto set_context = Find<SetThreadContext>(L"user32.dll", "SetThreadDpiAwarenessContext");
  // DPI_AWARENESS_CONTEXT_SYSTEM_AWARE
  if (set_context == nullptr || set_context(reinterpret_cast<HANDLE>(INT_PTR{-2})) == nullptr)
    return false;
  return NewWindowDpi() == system;
}

bool RunningOnWine() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

int WineDpi() {
  DWORD value = 0, size = sizeof value;
  if (RegGetValueA(HKEY_CURRENT_USER, kDesktopKey, kLogPixels, RRF_RT_REG_DWORD, nullptr, &value,
                   &size) != ERROR_SUCCESS)
    return 0;
  return static_cast<int>(value);
}

bool SetWineDpi(int dpi) {
  if (!RunningOnWine()) return false;
  const bool desktop = SetLogPixels(HKEY_CURRENT_USER, kDesktopKey, dpi);
  // Wine copies the value here as it starts a prefix; a removed one would come back from it.
  SetLogPixels(HKEY_LOCAL_MACHINE, kFontsKey, dpi > 0 ? dpi : 96);
  return desktop;
}

}  // namespace hostsim
