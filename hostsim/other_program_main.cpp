// hostsim_other: another program on the host's desktop. Its window takes the foreground and
// writes each key it receives into a file, one line a key ("down 70", "up 70": the virtual
// key), until it is closed. With --mail-client it is another copy of the mail client: its
// window and two children have the client's window classes.
//
//   hostsim_other KEYS.txt [--mail-client]
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace {

FILE* g_keys = nullptr;

LRESULT CALLBACK RecorderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
      std::fprintf(g_keys, "%s %u\n", down ? "down" : "up", static_cast<unsigned>(wParam));
      std::fflush(g_keys);
      return 0;  // not to the system: Alt and F10 would open a menu
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
  const bool mail_client = argc == 3 && std::strcmp(argv[2], "--mail-client") == 0;
  if (argc != 2 && !mail_client) {
    std::fputs("usage: hostsim_other KEYS.txt [--mail-client]\n", stderr);
    return 2;
  }
  g_keys = std::fopen(argv[1], "w");
  if (g_keys == nullptr) return 1;
  WNDCLASSW wc{};
  wc.lpfnWndProc = &RecorderProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = mail_client ? L"TMailerForm" : L"hostsim other";
  RegisterClassW(&wc);
  HWND window = CreateWindowExW(0, wc.lpszClassName, L"another program", WS_OVERLAPPEDWINDOW, 100,
                                100, 300, 200, nullptr, nullptr, wc.hInstance, nullptr);
  if (window == nullptr) return 1;
  if (mail_client) {
    for (const wchar_t* name : {L"TAddressGrid", L"TMessageListView"}) {
      WNDCLASSW child{};
      child.lpfnWndProc = &DefWindowProcW;
      child.hInstance = wc.hInstance;
      child.lpszClassName = name;
      RegisterClassW(&child);
      CreateWindowExW(0, name, L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 50, window, nullptr,
                      wc.hInstance, nullptr);
    }
  }
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  SetFocus(window);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  std::fclose(g_keys);
  return 0;
}
