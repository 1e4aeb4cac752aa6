#include "base/dialog_layout.h"

#include <algorithm>
#include <string>

#include "base/trace.h"
#include "base/win_handles.h"

namespace vizmark {

std::vector<WORD> EmptyDialogTemplate(DWORD style, DWORD extended_style) {
  std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD) + 3, 0);
  auto* dialog = reinterpret_cast<DLGTEMPLATE*>(words.data());
  dialog->style = style;
  dialog->dwExtendedStyle = extended_style;
  return words;
}

SIZE MeasureControlText(HWND control, int wrap_width, UINT flags) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(
      static_cast<size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  if (text.empty()) text = L" ";
  UniqueHdc dc(CreateCompatibleDC(nullptr));
  SelectedObject selected(dc.get(),
                          reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
  RECT extent = {0, 0, wrap_width, 0};
  flags |= DT_CALCRECT | (wrap_width > 0 ? DT_WORDBREAK : DT_SINGLELINE);
  if (DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent, flags) == 0)
    Trace(L"a control's text could not be measured");
  return {extent.right - extent.left, extent.bottom - extent.top};
}

void PlaceControl(HWND dialog, int id, LONG left, LONG top, LONG width, LONG height) {
  SetWindowPos(GetDlgItem(dialog, id), nullptr, static_cast<int>(left), static_cast<int>(top),
               static_cast<int>(width), static_cast<int>(height), SWP_NOZORDER | SWP_NOACTIVATE);
}

SIZE FrameSizeForClient(HWND window, SIZE client) {
  RECT frame = {0, 0, client.cx, client.cy};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)));
  return {frame.right - frame.left, frame.bottom - frame.top};
}

RECT WorkAreaOf(HWND owner) {
  const HMONITOR monitor = owner != nullptr ? MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST)
                                            : MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(monitor, &info)) {
    Trace(L"no monitor information for a window");
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &info.rcWork, 0);
  }
  return info.rcWork;
}

POINT CentredOverOwner(HWND owner, SIZE size) {
  const RECT work = WorkAreaOf(owner);
  RECT around = work;
  if (owner != nullptr) GetWindowRect(owner, &around);
  const LONG left = (around.left + around.right - size.cx) / 2;
  const LONG top = (around.top + around.bottom - size.cy) / 2;
  return {std::max(work.left, std::min(left, work.right - size.cx)),
          std::max(work.top, std::min(top, work.bottom - size.cy))};
}

}  // namespace vizmark
