#include "facedraw/face_closeup.h"

#include <commdlg.h>
#include <wincodec.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "base/clipboard.h"
#include "base/com_object.h"
#include "base/cp1250.h"
#include "base/dialog_layout.h"
#include "base/dib.h"
#include "base/file_write.h"
#include "base/module_pin.h"
#include "base/trace.h"
#include "base/wide_text.h"
#include "base/win_handles.h"
#include "face/face_bmp.h"

namespace vizmark {

namespace {

constexpr std::string_view kSaveText = "&Zapisz jako…"_cp1250;
constexpr std::string_view kCopyText = "&Kopiuj nagłówek"_cp1250;
constexpr std::string_view kPngFilterName = "Obraz PNG (*.png)";
constexpr std::string_view kBmpFilterName = "Mapa bitowa BMP (*.bmp)";
constexpr std::string_view kSaveFailedText = "Nie udało się zapisać obrazu."_cp1250;
// The face is shown this many times its size at 96 pixels an inch.
constexpr int kEnlargement = 4;

using UniqueHook = UniqueHandleOf<HHOOK, &UnhookWindowsHookEx>;

// The window shown, if any; whether one may open; how many calls of the closer look's
// procedures are running now, on every thread.
std::atomic<HWND> g_closeup{nullptr};
std::atomic<bool> g_allowed{false};
std::atomic<int> g_live_frames{0};

// What the window keeps; it goes with the window.
struct Closeup {
  CloseupFace face;
  int dpi = 96;
  UniqueHfont font;
  // The host's message loop does not know our window: this hands it its keys (Tab, Esc,
  // Enter, Space) as a dialog's own loop would.
  UniqueHook keys;

  int Scale(int pixels) const { return MulDiv(pixels, dpi, 96); }
  // Whole pixels for each of the face's, so that every one is drawn the same size.
  int PictureSide() const { return kFaceSide * std::max(1, Scale(kEnlargement)); }
};

Closeup* From(HWND window) {
  return reinterpret_cast<Closeup*>(GetWindowLongPtrW(window, DWLP_USER));
}

std::wstring Widen(std::string_view text) { return WideFromCodePage(text, 1250); }

// The face drawn on white: 0x00RRGGBB, rows from the top.
std::array<uint32_t, kFaceSide * kFaceSide> OnWhite(const CloseupFace& face) {
  std::array<uint32_t, kFaceSide * kFaceSide> rgb{};
  for (std::size_t i = 0; i < rgb.size(); ++i) {
    const uint32_t p = face.pixels[i];
    const uint32_t under = face.colour ? 255 - (p >> 24) : 0;
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8)
      out |= std::min<uint32_t>(255, ((p >> shift) & 0xFF) + under) << shift;
    rgb[i] = out;
  }
  return rgb;
}

void DrawFace(const Closeup& closeup, const DRAWITEMSTRUCT& item) {
  const auto rgb = OnWhite(closeup.face);
  BITMAPINFO info{};
  info.bmiHeader = TopDownDibHeader(kFaceSide, kFaceSide, 32);
  const int side = closeup.PictureSide();
  // Each of the face's pixels becomes a square of whole pixels.
  SetStretchBltMode(item.hDC, COLORONCOLOR);
  StretchDIBits(item.hDC, 0, 0, side, side, 0, 0, kFaceSide, kFaceSide, rgb.data(), &info,
                DIB_RGB_COLORS, SRCCOPY);
}

// A PNG through the system's encoder: a colour face with its alpha (straight, as PNG keeps
// it), a black-and-white one with one bit a pixel.
bool WritePng(const std::wstring& path, const CloseupFace& face) {
  std::vector<uint8_t> rows;
  UINT stride;
  WICPixelFormatGUID format;
  if (face.colour) {
    format = GUID_WICPixelFormat32bppBGRA;
    stride = kFaceSide * 4;
    rows.resize(stride * kFaceSide);
    for (std::size_t i = 0; i < face.pixels.size(); ++i) {
      const uint32_t p = face.pixels[i], alpha = p >> 24;
      for (int c = 0; c < 3; ++c) {
        const uint32_t value = (p >> (8 * c)) & 0xFF;
        rows[i * 4 + static_cast<std::size_t>(c)] = static_cast<uint8_t>(
            alpha == 0 ? 0 : std::min<uint32_t>(255, (value * 255 + alpha / 2) / alpha));
      }
      rows[i * 4 + 3] = static_cast<uint8_t>(alpha);
    }
  } else {
    // One bit a pixel, 1 white.
    format = GUID_WICPixelFormatBlackWhite;
    stride = kFaceRowBytes;
    rows.assign(stride * kFaceSide, 0);
    const auto rgb = OnWhite(face);
    for (std::size_t y = 0; y < kFaceSide; ++y)
      for (std::size_t x = 0; x < kFaceSide; ++x)
        if ((rgb[y * kFaceSide + x] & 0xFF) >= 128) rows[y * stride + x / 8] |= 0x80 >> (x % 8);
  }

  const ComApartment com;
  IWICImagingFactory* factory_made = nullptr;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IWICImagingFactory, reinterpret_cast<void**>(&factory_made))))
    return false;
  const UniqueCom<IWICImagingFactory> factory(factory_made);
  IWICStream* stream_made = nullptr;
  if (FAILED(factory->CreateStream(&stream_made))) return false;
  const UniqueCom<IWICStream> stream(stream_made);
  if (FAILED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE))) return false;
  IWICBitmapEncoder* encoder_made = nullptr;
  if (FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder_made))) return false;
  const UniqueCom<IWICBitmapEncoder> encoder(encoder_made);
  if (FAILED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache))) return false;
  IWICBitmapFrameEncode* frame_made = nullptr;
  IPropertyBag2* options_made = nullptr;
  if (FAILED(encoder->CreateNewFrame(&frame_made, &options_made))) return false;
  const UniqueCom<IWICBitmapFrameEncode> frame(frame_made);
  const UniqueCom<IPropertyBag2> options(options_made);
  WICPixelFormatGUID written = format;
  return SUCCEEDED(frame->Initialize(options.get())) &&
         SUCCEEDED(frame->SetSize(kFaceSide, kFaceSide)) &&
         SUCCEEDED(frame->SetPixelFormat(&written)) && IsEqualGUID(written, format) &&
         SUCCEEDED(
             frame->WritePixels(kFaceSide, stride, static_cast<UINT>(rows.size()), rows.data())) &&
         SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
}

bool EndsWith(const std::wstring& path, const wchar_t* extension) {
  const std::size_t n = static_cast<std::size_t>(lstrlenW(extension));
  return path.size() >= n && lstrcmpiW(path.c_str() + path.size() - n, extension) == 0;
}

// Asks where, then writes the face at its own size, 48 x 48: the picture as received, which
// any program enlarges as it likes and %SetXFace takes back as it is.
void Save(HWND window) {
  // The window may go while the file dialog is open (the host shuts us down): what is saved
  // is copied first.
  const CloseupFace face = From(window)->face;
  std::wstring filter = Widen(kPngFilterName);
  filter.append(1, L'\0').append(L"*.png").append(1, L'\0');
  filter.append(Widen(kBmpFilterName)).append(1, L'\0').append(L"*.bmp").append(1, L'\0');
  std::wstring path(32768, L'\0');
  constexpr wchar_t kSuggested[] = L"face";
  std::copy(std::begin(kSuggested), std::end(kSuggested), path.begin());
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = window;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = static_cast<DWORD>(path.size());
  dialog.lpstrDefExt = L"png";
  dialog.Flags =
      OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetSaveFileNameW(&dialog)) {
    if (CommDlgExtendedError() != 0) Trace(L"the save dialog could not be shown");
    return;
  }
  path.resize(static_cast<std::size_t>(lstrlenW(path.c_str())));
  // The name's own extension decides; without one of ours, the type chosen.
  const bool bmp =
      EndsWith(path, L".bmp") || (!EndsWith(path, L".png") && dialog.nFilterIndex == 2);
  const bool saved =
      bmp ? WriteWholeFile(path, FaceBmpFile(OnWhite(face), !face.colour)) : WritePng(path, face);
  if (saved) return;
  Trace(L"the face could not be saved", path.c_str());
  DeleteFileW(path.c_str());
  if (IsWindow(window))
    MessageBoxW(window, Widen(kSaveFailedText).c_str(), L"Vizmark", MB_OK | MB_ICONWARNING);
}

// The header's text as received, for programs that read either kind of text.
void CopyHeader(HWND window) {
  const std::string& text = From(window)->face.header_text;
  PutTextOnClipboard(window, WideFromCodePage(text, 1250), text);
}

LRESULT CALLBACK KeysForCloseup(int code, WPARAM wParam, LPARAM lParam) noexcept {
  const LiveFrame frame(g_live_frames);
  if (code == HC_ACTION && wParam == PM_REMOVE) {
    auto* message = reinterpret_cast<MSG*>(lParam);
    const HWND closeup = g_closeup.load();
    if (closeup != nullptr && message->message >= WM_KEYFIRST && message->message <= WM_KEYLAST &&
        (message->hwnd == closeup || IsChild(closeup, message->hwnd)) &&
        IsDialogMessageW(closeup, message)) {
      message->message = WM_NULL;
      message->wParam = 0;
      message->lParam = 0;
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

std::wstring Caption(const CloseupFace& face) {
  return Widen(face.header_name.empty() ? std::string_view("X-Face") : face.header_name);
}

// Makes the controls and places them after their measured texts, the picture on top and
// the two buttons under it; sizes the window and puts it over its owner.
void Build(HWND window, Closeup& closeup) {
  struct ControlForm {
    int id;
    const wchar_t* window_class;
    DWORD style;
    std::string_view text;
  };
  const ControlForm controls[] = {
      {kCloseupSave, L"BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, kSaveText},
      {kCloseupCopy, L"BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, kCopyText},
      {kCloseupPicture, L"STATIC", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, {}},
  };
  for (const ControlForm& c : controls) {
    const HWND control = CreateWindowExW(
        0, c.window_class, Widen(c.text).c_str(), c.style, 0, 0, 0, 0, window,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), GetModuleHandleW(nullptr), nullptr);
    if (control == nullptr) {
      Trace(L"a control of the closer look could not be made");
      continue;
    }
    if (closeup.font)
      SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(closeup.font.get()), FALSE);
  }
  const int margin = closeup.Scale(8), gap = closeup.Scale(6), side = closeup.PictureSide();
  SIZE button[2];
  const int ids[2] = {kCloseupSave, kCloseupCopy};
  int height = closeup.Scale(23);
  for (int i = 0; i < 2; ++i) {
    const SIZE text = MeasureControlText(GetDlgItem(window, ids[i]), 0, 0);
    button[i] = {std::max<LONG>(closeup.Scale(75), text.cx + closeup.Scale(16)), text.cy};
    height = std::max<int>(height, text.cy + closeup.Scale(10));
  }
  const int buttons = button[0].cx + gap + button[1].cx;
  const int width = std::max(side, buttons) + 2 * margin;

  PlaceControl(window, kCloseupPicture, (width - side) / 2, margin, side, side);
  const int row = margin + side + margin;
  int left = (width - buttons) / 2;
  for (int i = 0; i < 2; ++i) {
    PlaceControl(window, ids[i], left, row, button[i].cx, height);
    left += button[i].cx + gap;
  }
  const SIZE size = FrameSizeForClient(window, {width, row + height + margin});
  const POINT place = CentredOverOwner(GetWindow(window, GW_OWNER), size);
  SetWindowPos(window, nullptr, place.x, place.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Closeup* closeup = From(window);
  switch (message) {
    case WM_INITDIALOG: {
      closeup = reinterpret_cast<Closeup*>(lParam);
      SetWindowLongPtrW(window, DWLP_USER, lParam);
      SetWindowTextW(window, Caption(closeup->face).c_str());
      Build(window, *closeup);
      closeup->keys.reset(
          SetWindowsHookExW(WH_GETMESSAGE, &KeysForCloseup, nullptr, GetCurrentThreadId()));
      if (!closeup->keys) Trace(L"the closer look gets no keys");
      g_closeup = window;
      return TRUE;  // the focus goes to the first control that takes it: Save
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDCANCEL:
          DestroyWindow(window);
          return TRUE;
        case kCloseupSave:
          if (HIWORD(wParam) == BN_CLICKED && closeup != nullptr) Save(window);
          return TRUE;
        case kCloseupCopy:
          if (HIWORD(wParam) == BN_CLICKED && closeup != nullptr) CopyHeader(window);
          return TRUE;
      }
      break;
    case WM_CLOSE:
      DestroyWindow(window);
      return TRUE;
    case WM_DRAWITEM:
      if (closeup != nullptr && wParam == kCloseupPicture)
        DrawFace(*closeup, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_DESTROY: {
      HWND expected = window;
      g_closeup.compare_exchange_strong(expected, nullptr);
      if (closeup != nullptr) closeup->keys.reset();
      break;
    }
    case WM_NCDESTROY:
      SetWindowLongPtrW(window, DWLP_USER, 0);
      delete closeup;
      break;
  }
  return FALSE;
}

INT_PTR CALLBACK CloseupProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  const LiveFrame frame(g_live_frames);
  try {
    return HandleMessage(window, message, wParam, lParam);
  } catch (...) {
    Trace(L"the closer look could not handle a message");
    return FALSE;
  }
}

UniqueHfont MessageFont(int dpi) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return nullptr;
  // The system's metrics are for the screen's own pixels an inch.
  UniqueHdc screen(CreateCompatibleDC(nullptr));
  const int screen_dpi = GetDeviceCaps(screen.get(), LOGPIXELSY);
  if (screen_dpi > 0 && screen_dpi != dpi)
    metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, dpi, screen_dpi);
  return UniqueHfont(CreateFontIndirectW(&metrics.lfMessageFont));
}

int DpiOf(HWND owner) {
  WindowDc dc(owner);
  const int dpi = dc.get() != nullptr ? GetDeviceCaps(dc.get(), LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : 96;
}

}  // namespace

void ShowFaceCloseup(HWND owner, const CloseupFace& face) {
  if (!g_allowed.load()) return;
  const HWND shown = g_closeup.load();
  if (shown != nullptr && GetWindowThreadProcessId(shown, nullptr) == GetCurrentThreadId()) {
    if (Closeup* closeup = From(shown)) {
      closeup->face = face;
      SetWindowTextW(shown, Caption(face).c_str());
      InvalidateRect(GetDlgItem(shown, kCloseupPicture), nullptr, FALSE);
      ShowWindow(shown, SW_SHOWNORMAL);
      if (!SetForegroundWindow(shown)) Trace(L"the closer look could not be brought forward");
      return;
    }
  }
  if (shown != nullptr) {
    // Another thread's: it goes, and the new one opens on this thread.
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(shown, WM_CLOSE, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, 5000, &answer);
  }
  auto closeup = std::make_unique<Closeup>();
  closeup->face = face;
  closeup->dpi = DpiOf(owner);
  closeup->font = MessageFont(closeup->dpi);
  const std::vector<WORD> form =
      EmptyDialogTemplate(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0);
  const HWND window = CreateDialogIndirectParamW(
      GetModuleHandleW(nullptr), reinterpret_cast<const DLGTEMPLATE*>(form.data()), owner,
      &CloseupProc, reinterpret_cast<LPARAM>(closeup.get()));
  if (window == nullptr) {
    Trace(L"the closer look could not be made");
    return;
  }
  closeup.release();  // the window's now: it goes at WM_NCDESTROY
  if (!g_allowed.load()) {
    // Shut-down came meanwhile.
    DestroyWindow(window);
    return;
  }
  ShowWindow(window, SW_SHOWNORMAL);
  SetForegroundWindow(window);
}

void AllowFaceCloseups() { g_allowed = true; }

bool StopFaceCloseups() {
  g_allowed = false;
  const HWND shown = g_closeup.load();
  if (shown == nullptr) return false;
  if (GetWindowThreadProcessId(shown, nullptr) == GetCurrentThreadId()) {
    DestroyWindow(shown);
  } else {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(shown, WM_CLOSE, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, 5000, &answer))
      Trace(L"the closer look did not close");
  }
  if (g_live_frames.load() > 0 || g_closeup.load() == shown)
    PinModule(L"code of the closer look may still run");
  return true;
}

}  // namespace vizmark
