#include "hostsim/host_windows.h"

#include <iterator>
#include <stdexcept>
#include <type_traits>

#include "hostsim/template_runner.h"

namespace hostsim {

namespace {

constexpr char kMainClass[] = "TMailerForm";
constexpr char kHeaderClass[] = "TAddressGrid";
constexpr char kListClass[] = "TMessageListView";

std::wstring Widen(const char* text) {
  if (text == nullptr || *text == '\0') return {};
  const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
  wide.resize(static_cast<size_t>(length) - 1);
  return wide;
}

// Registers the class for this kind of window, first taking away one registered for the
// other kind (possible only while no window of it is left).
void Register(bool unicode, const char* name, WNDPROC proc, HBRUSH background, UINT style = 0) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  const std::wstring wide = Widen(name);
  bool registered = false;
  if (unicode) {
    WNDCLASSW existing{};
    if (GetClassInfoW(instance, wide.c_str(), &existing)) {
      if (existing.lpfnWndProc == proc) return;
      UnregisterClassW(wide.c_str(), instance);
    }
    WNDCLASSW wc{};
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = background;
    wc.lpszClassName = wide.c_str();
    registered = RegisterClassW(&wc) != 0;
  } else {
    WNDCLASSA existing{};
    if (GetClassInfoA(instance, name, &existing)) {
      if (existing.lpfnWndProc == proc) return;
      UnregisterClassA(name, instance);
    }
    WNDCLASSA wc{};
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    registered = RegisterClassA(&wc) != 0;
  }
  if (!registered)
    throw std::logic_error(std::string("hostsim: cannot register ") + name + " as " +
                           (unicode ? "Unicode" : "ANSI") + ", windows of the other kind remain");
}

HWND Create(bool unicode, const char* class_name, const char* title, DWORD style, int x, int y,
            int width, int height, HWND parent, void* self) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  if (unicode)
    return CreateWindowExW(0, Widen(class_name).c_str(), Widen(title).c_str(), style, x, y, width,
                           height, parent, nullptr, instance, self);
  return CreateWindowExA(0, class_name, title, style, x, y, width, height, parent, nullptr,
                         instance, self);
}

template <bool kUnicode>
LRESULT DefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if constexpr (kUnicode) return DefWindowProcW(window, message, wParam, lParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

HostWindows::HostWindows(HostState* state, const PluginModule* plugin, Options options)
    : state_(state),
      plugin_(plugin),
      unicode_(options.unicode),
      dpi_(options.dpi > 0 ? options.dpi : 96) {
  const bool unicode = options.unicode;
  if (dpi_ != 96) {
    LOGFONTW font{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    font.lfHeight = -Scale(14);  // about as tall as the system's font at 96
    font.lfWidth = 0;
    font_ = CreateFontIndirectW(&font);
    options.width = Scale(options.width);
    options.height = Scale(options.height);
    options.header_height = Scale(options.header_height);
    options.header_width = Scale(options.header_width);
  }
  Register(unicode, kMainClass, unicode ? &MainProc<true> : &MainProc<false>,
           reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  // The client's panel is a control of its own whose class takes double-clicks.
  Register(unicode, kHeaderClass, unicode ? &HeaderProc<true> : &HeaderProc<false>, nullptr,
           CS_DBLCLKS);
  Register(unicode, kListClass, unicode ? &ListProc<true> : &ListProc<false>,
           reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
  main_ = Create(unicode, kMainClass, "hostsim", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                 options.width, options.height, nullptr, this);
  RECT client{};
  GetClientRect(main_, &client);
  if (options.with_header)
    header_ = Create(unicode, kHeaderClass, "", WS_CHILD | WS_VISIBLE, 0, 0,
                     options.header_width ? options.header_width : client.right,
                     options.header_height, main_, this);
  if (options.with_list)
    list_ = Create(unicode, kListClass, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0,
                   options.header_height, client.right, client.bottom - options.header_height,
                   main_, this);
  Focus();
  Pump(50);
}

HostWindows::~HostWindows() {
  if (IsWindow(main_)) DestroyWindow(main_);
  Pump(10);
  if (font_ != nullptr) DeleteObject(font_);
}

void HostWindows::SelectFont(HDC dc) const {
  if (font_ != nullptr) SelectObject(dc, font_);
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

void HostWindows::Minimize() { ShowWindow(main_, SW_MINIMIZE); }

void HostWindows::Restore() {
  ShowWindow(main_, SW_RESTORE);
  Focus();
}

UINT HostWindows::NestedCallMessage() {
  static const UINT message = RegisterWindowMessageW(L"hostsim nested call");
  return message;
}

void HostWindows::Pump(DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    const ULONGLONG now = GetTickCount64();
    if (now >= end) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
  }
}

HostWindows* HostWindows::From(HWND window) {
  return reinterpret_cast<HostWindows*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

template <bool kUnicode>
HostWindows* HostWindows::Attach(HWND window, UINT message, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    using CreateStruct = std::conditional_t<kUnicode, CREATESTRUCTW, CREATESTRUCTA>;
    const auto* create = reinterpret_cast<const CreateStruct*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  return From(window);
}

template <bool kUnicode>
void HostWindows::Record(ReceivedText& received, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CHAR) {
    if constexpr (kUnicode) {
      received.chars.push_back(static_cast<wchar_t>(wParam));
    } else {
      const char byte[2] = {static_cast<char>(wParam), '\0'};
      received.chars += Widen(byte);
    }
  } else if (message == WM_SETTEXT) {
    if constexpr (kUnicode) {
      const auto* text = reinterpret_cast<const wchar_t*>(lParam);
      received.texts.emplace_back(text != nullptr ? text : L"");
    } else {
      received.texts.push_back(Widen(reinterpret_cast<const char*>(lParam)));
    }
  }
}

void HostWindows::RunNestedCall(HWND window) {
  if (!nested_call_) return;
  // A copy: the call may give the windows another one.
  const std::function<void(HWND)> call = nested_call_;
  call(window);
  ++nested_calls_;
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

template <bool kUnicode>
LRESULT CALLBACK HostWindows::MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Attach<kUnicode>(window, message, lParam);
  return DefaultProc<kUnicode>(window, message, wParam, lParam);
}

template <bool kUnicode>
LRESULT CALLBACK HostWindows::HeaderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  HostWindows* self = Attach<kUnicode>(window, message, lParam);
  if (self != nullptr) {
    Record<kUnicode>(self->header_received_, message, wParam, lParam);
    if (message == NestedCallMessage()) {
      self->RunNestedCall(window);
      return 0;
    }
  }
  if (message == WM_PAINT) {
    // The host paints the whole panel: a white background and the header lines.
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetBkMode(dc, TRANSPARENT);
    static constexpr wchar_t kFrom[] = L"From: Jan Kowalski <jan@example.org>";
    static constexpr wchar_t kSubject[] = L"Subject: X-Face";
    const auto scale = [self](int pixels) { return self ? self->Scale(pixels) : pixels; };
    if (self) self->SelectFont(dc);
    TextOutW(dc, scale(8), scale(8), kFrom, static_cast<int>(std::size(kFrom) - 1));
    TextOutW(dc, scale(8), scale(28), kSubject, static_cast<int>(std::size(kSubject) - 1));
    EndPaint(window, &ps);
    if (self != nullptr) ++self->header_paints_;
    return 0;
  }
  if (message == WM_ERASEBKGND) return 1;
  if (message == WM_LBUTTONDBLCLK && self != nullptr) ++self->header_double_clicks_;
  return DefaultProc<kUnicode>(window, message, wParam, lParam);
}

template <bool kUnicode>
LRESULT CALLBACK HostWindows::ListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  HostWindows* self = Attach<kUnicode>(window, message, lParam);
  if (self != nullptr) {
    Record<kUnicode>(self->list_received_, message, wParam, lParam);
    if (message == NestedCallMessage()) {
      self->RunNestedCall(window);
      return 0;
    }
  }
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
      static const wchar_t* const kRows[][3] = {
          {L"Jan Kowalski", L"X-Face", L"10.12.2026 09:14"},
          {L"Anna Nowak", L"Re: spotkanie", L"09.12.2026 17:02"},
          {L"Piotr Wi\u015bniewski", L"Faktura 12/2026", L"08.12.2026 11:47"},
      };
      SetBkMode(dc, TRANSPARENT);
      const auto scale = [self](int pixels) { return self ? self->Scale(pixels) : pixels; };
      if (self) self->SelectFont(dc);
      for (int i = 0; i < 3; ++i) {
        RECT row = {0, scale(4 + i * 20), client.right, scale(22 + i * 20)};
        if (i == 0) FillRect(dc, &row, GetSysColorBrush(COLOR_HIGHLIGHT));
        SetTextColor(dc, GetSysColor(i == 0 ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        for (int column = 0; column < 3; ++column)
          TextOutW(dc, scale(8 + 180 * column), row.top + scale(2), kRows[i][column],
                   lstrlenW(kRows[i][column]));
      }
      EndPaint(window, &ps);
      return 0;
    }
  }
  return DefaultProc<kUnicode>(window, message, wParam, lParam);
}

}  // namespace hostsim
