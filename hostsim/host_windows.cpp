#include "hostsim/host_windows.h"

#include "hostsim/template_runner.h"

namespace hostsim {

namespace {

constexpr char kMainClass[] = "TMailerForm";
constexpr char kHeaderClass[] = "TAddressGrid";
constexpr char kListClass[] = "TMessageListView";

void RegisterOnce(const char* name, WNDPROC proc, HBRUSH background) {
  WNDCLASSA existing{};
  if (GetClassInfoA(GetModuleHandleA(nullptr), name, &existing)) return;
  WNDCLASSA wc{};
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  RegisterClassA(&wc);
}

}  // namespace

HostWindows::HostWindows(HostState* state, const PluginModule* plugin, Options options)
    : state_(state), plugin_(plugin) {
  RegisterOnce(kMainClass, &MainProc, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  RegisterOnce(kHeaderClass, &HeaderProc, nullptr);
  RegisterOnce(kListClass, &ListProc, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  main_ = CreateWindowExA(0, kMainClass, "hostsim", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                          options.width, options.height, nullptr, nullptr, instance, this);
  RECT client{};
  GetClientRect(main_, &client);
  if (options.with_header)
    header_ = CreateWindowExA(0, kHeaderClass, "", WS_CHILD | WS_VISIBLE, 0, 0,
                              options.header_width ? options.header_width : client.right,
                              options.header_height, main_, nullptr, instance, this);
  if (options.with_list)
    list_ = CreateWindowExA(0, kListClass, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0,
                            options.header_height, client.right,
                            client.bottom - options.header_height, main_, nullptr, instance, this);
  Focus();
  Pump(50);
}

HostWindows::~HostWindows() {
  if (IsWindow(main_)) DestroyWindow(main_);
  Pump(10);
}

void HostWindows::SetFilter(uint16_t shortcut, std::string filter_template) {
  filter_shortcut_ = shortcut;
  filter_template_ = std::move(filter_template);
}

void HostWindows::SelectMessage(const std::string& xface) {
  state_->read_xface = xface;
  SetTimer(list_, kHideTimer, 10, nullptr);
  SetTimer(list_, kFilterTimer, 40, nullptr);
}

void HostWindows::Focus() {
  SetForegroundWindow(main_);
  SetActiveWindow(main_);
  if (list_ != nullptr) SetFocus(list_);
}

void HostWindows::Pump(DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    const ULONGLONG now = GetTickCount64();
    if (now >= end) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
  }
}

HostWindows* HostWindows::From(HWND window) {
  return reinterpret_cast<HostWindows*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

void HostWindows::OnKey(WPARAM key) {
  if (filter_shortcut_ == 0 || plugin_ == nullptr) return;
  uint16_t pressed = static_cast<uint16_t>(key & 0x1FFF);
  if (GetKeyState(VK_SHIFT) < 0) pressed |= 0x2000;
  if (GetKeyState(VK_CONTROL) < 0) pressed |= 0x4000;
  if (GetKeyState(VK_MENU) < 0) pressed |= 0x8000;
  if (pressed != filter_shortcut_) return;
  filter_runs_.push_back(RunTemplate(*plugin_, *state_, filter_template_));
}

LRESULT CALLBACK HostWindows::MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK HostWindows::HeaderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  if (message == WM_PAINT) {
    // The host paints the whole panel: a white background and the header lines.
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetBkMode(dc, TRANSPARENT);
    TextOutA(dc, 8, 8, "From: Jan Kowalski <jan@example.org>", 36);
    TextOutA(dc, 8, 28, "Subject: X-Face", 15);
    EndPaint(window, &ps);
    if (HostWindows* self = From(window)) ++self->header_paints_;
    return 0;
  }
  if (message == WM_ERASEBKGND) return 1;
  return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK HostWindows::ListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  HostWindows* self = From(window);
  switch (message) {
    case WM_TIMER:
      KillTimer(window, wParam);
      if (self) self->list_timers_.push_back(wParam);
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (self) self->OnKey(wParam);
      return 0;
    case WM_LBUTTONDOWN:
      SetFocus(window);
      return 0;
    case WM_PAINT: {
      // A few rows of messages, the first one selected.
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      RECT client;
      GetClientRect(window, &client);
      FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
      static const char* const kRows[][3] = {
          {"Jan Kowalski", "X-Face", "10.12.2026 09:14"},
          {"Anna Nowak", "Re: spotkanie", "09.12.2026 17:02"},
          {"Piotr Wisniewski", "Faktura 12/2026", "08.12.2026 11:47"},
      };
      SetBkMode(dc, TRANSPARENT);
      for (int i = 0; i < 3; ++i) {
        RECT row = {0, 4 + i * 20, client.right, 22 + i * 20};
        if (i == 0) FillRect(dc, &row, GetSysColorBrush(COLOR_HIGHLIGHT));
        SetTextColor(dc, GetSysColor(i == 0 ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        for (int column = 0; column < 3; ++column)
          TextOutA(dc, 8 + 180 * column, row.top + 2, kRows[i][column], lstrlenA(kRows[i][column]));
      }
      EndPaint(window, &ps);
      return 0;
    }
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace hostsim
