#include "cfgdlg/config_dlg.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "base/cp1250.h"
#include "base/identity.h"
#include "base/trace.h"
#include "face/face_bitmap.h"
#include "face/xface_codec.h"
#include "shortcut/filter_shortcut.h"

namespace vizmark {

namespace {

// The face in the dialog's corner, as its X-Face header (our own drawing).
constexpr std::string_view kDialogFace =
    " .>M1|yY&aPjY{.)c<&4+JNC56Py5nBHA]~54%9SQ'oHb?[&0|Y5Py$*Ddxh,1YU1UO;1k@o\n"
    " |N^%c&@i9PX}zOw*ko7;Q;E,nA\"yDg#44x5'R<ehEp,r(w0Ug/}~J`+(7YN%lu3\n";

// The filter definition to paste into the host's read-mail filters. Line 8 ends in the
// six characters \0D\0A, as the host writes its own line break there.
constexpr std::string_view kMemoLines[] = {
    "BeginFilter",
    "Name: Display X-Face",
    "Active: 1",
    "MainSet: 10",
    "Actions: faExport,faoExportOver,faoManualOnly,faoHotKey,faoHotKeyOnly",
    "ExtFile: xface.txt",
    "HotKey: 57414",
    R"(SaveTemplate: %DisplayXFace\0D\0A)",
    "EndFilter",
};

constexpr std::string_view kCaption = "Konfiguracja wtyczki Vizmark";
constexpr std::string_view kLabel1Text = "Skrót do filtru wyświetlającego nagłówek X-Face:"_cp1250;
constexpr std::string_view kLabel2Text =
    "Więcej informacji na temat pluginu znajduje się na stronie: "_cp1250;
constexpr std::string_view kLabel4Text = "Autor:";
constexpr std::string_view kLabel6Text =
    "Aby plugin automatycznie wyświetlał nagłówki X-Face należy:"_cp1250;
constexpr std::string_view kLabel7Text =
    "3. W okienku poniżej ustawić skrót klawiaturowy identyczny z tym, który zdefiniowany jest dla filtru."_cp1250;
constexpr std::string_view kStaticText1Text =
    R"(1. Utworzyć filtr poczty przeczytanej. W filtrze tym, na zakładce operacje, zaznaczyć "Zapisz wiadomość do pliku" i podać ścieżke do pliku.)"_cp1250;
constexpr std::string_view kStaticText2Text =
    R"(2. Otworzyć edytor szablonu usunąć z niego domyślną zawartość i wpisać wywołanie makra %DisplayXFace. Na zakładce "Opcje" włączyć "Uruchamianie filtru za pomocą skrótu klawiszowego" i zdefiniować skrót.)"_cp1250;
constexpr std::string_view kStaticText3Text =
    R"(Uwaga: Powyżej opisaną operację tworzenia filtru można zautomatyzować kopiując poniższy filtr. W tym celu należy zaznaczyć poniższy tekst, skopiować go do schowka, otworzyć okno filtrów i wkleić (Cltr+V) do filtrów poczty przeczytanej.)"_cp1250;

constexpr int kClientWidth = 524, kClientHeight = 444;

// The dialog ShowOptionsDialog shows: one at a time, whichever thread asks. `g_showing` is
// set from the start of a showing to its end, `g_shown` while its window exists.
std::atomic<bool> g_showing{false};
std::atomic<HWND> g_shown{nullptr};

// For what remains of the process: the module stays mapped whatever the host does later.
void KeepModuleLoaded() {
  HMODULE self = nullptr;
  if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                         reinterpret_cast<LPCWSTR>(&KeepModuleLoaded), &self))
    Trace(L"the module stays loaded: the options dialog's loop is still on a stack");
  else
    Trace(L"the module could not be pinned under the options dialog's loop");
}

// Where a window of `size` goes: centred on the work area of the owner's monitor (the
// primary one without an owner), its top left corner kept inside when it is too large.
POINT CentredOnMonitor(HWND owner, SIZE size) {
  const HMONITOR monitor = owner != nullptr ? MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST)
                                            : MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(monitor, &info)) {
    Trace(L"no monitor information for the options dialog");
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &info.rcWork, 0);
  }
  const RECT& work = info.rcWork;
  return {std::max(work.left, work.left + (work.right - work.left - size.cx) / 2),
          std::max(work.top, work.top + (work.bottom - work.top - size.cy) / 2)};
}

// Our texts are Windows-1250 bytes; windows get them as UTF-16, whatever the system's
// ANSI code page.
std::wstring Widen(std::string_view text) {
  if (text.empty()) return {};
  const int n =
      MultiByteToWideChar(1250, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(1250, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

std::string MemoText() {
  std::string text;
  for (std::string_view line : kMemoLines) {
    if (!text.empty()) text += "\r\n";
    text += line;
  }
  return text;
}

UniqueHfont MakeFont(const wchar_t* face, int height, int weight, bool underline, BYTE charset) {
  LOGFONTW font{};
  font.lfHeight = height;
  font.lfWeight = weight;
  font.lfUnderline = underline;
  font.lfCharSet = charset;
  font.lfQuality = DEFAULT_QUALITY;
  lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
  return UniqueHfont(CreateFontIndirectW(&font));
}

// Whether the system has a font of this name (else GDI substitutes one silently).
bool HasFont(const wchar_t* face) {
  UniqueHfont font = MakeFont(face, -11, FW_NORMAL, false, DEFAULT_CHARSET);
  UniqueHdc dc(CreateCompatibleDC(nullptr));
  SelectedObject selected(dc.get(), font.get());
  wchar_t used[LF_FACESIZE] = {};
  GetTextFaceW(dc.get(), LF_FACESIZE, used);
  return lstrcmpiW(used, face) == 0;
}

// The face of the dialog's corner as a one-bit picture, white transparent when drawn
// with SRCAND.
UniqueHbitmap MakeFaceBitmap() {
  uint8_t rows[kFaceSide * 8] = {};
  if (XFaceToBits(kDialogFace, rows, 8) < 0) return nullptr;
  void* bits = nullptr;
  UniqueHbitmap bitmap(CreateFaceBitmap(&bits));
  if (bitmap && bits != nullptr) std::memcpy(bits, rows, sizeof rows);
  return bitmap;
}

// An in-memory dialog template without controls: they are made at the dialog's start.
std::vector<WORD> DialogTemplate() {
  std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD) + 3, 0);
  auto* dialog = reinterpret_cast<DLGTEMPLATE*>(words.data());
  dialog->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFOREGROUND;
  dialog->dwExtendedStyle = WS_EX_DLGMODALFRAME;
  // No menu, the standard dialog class, an empty title (set later): three zero words.
  return words;
}

}  // namespace

unsigned short HotKeyToShortCut(WORD hot_key) {
  const BYTE modifiers = HIBYTE(hot_key);
  unsigned short shortcut = LOBYTE(hot_key);
  if (shortcut == 0) return 0;
  if (modifiers & HOTKEYF_SHIFT) shortcut |= kShortCutShift;
  if (modifiers & HOTKEYF_CONTROL) shortcut |= kShortCutCtrl;
  if (modifiers & HOTKEYF_ALT) shortcut |= kShortCutAlt;
  // The extended-key flag tells apart only keys of one virtual-key code (Insert and the
  // keypad's 0 with Num Lock off are both VK_INSERT), which the host does not tell apart
  // either: the code alone is the shortcut.
  return shortcut;
}

WORD ShortCutToHotKey(unsigned short shortcut) {
  BYTE modifiers = 0;
  if (shortcut & kShortCutShift) modifiers |= HOTKEYF_SHIFT;
  if (shortcut & kShortCutCtrl) modifiers |= HOTKEYF_CONTROL;
  if (shortcut & kShortCutAlt) modifiers |= HOTKEYF_ALT;
  // The control names the key through its scan code: without the flag, Insert would show as
  // the keypad's 0 and Num / as the main "/".
  if (IsExtendedKey(shortcut & kShortCutKeyMask)) modifiers |= HOTKEYF_EXT;
  return MAKEWORD(shortcut & 0xFF, modifiers);
}

std::string TConfigDlg::HomePageText() { return std::string(kHomePage); }

std::string TConfigDlg::AuthorText() {
  return std::string(kAuthorName) + " <" + std::string(kAuthorEmail) + ">";
}

std::string TConfigDlg::MailLink() {
  std::string link = "mailto:";
  for (char c : AuthorText()) {
    if (c == ' ')
      link += "%20";
    else if (c == '<')
      link += "%3C";
    else if (c == '>')
      link += "%3E";
    else
      link += c;
  }
  return link;
}

TConfigDlg::TConfigDlg(HWND parent) : parent_(parent) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_HOTKEY_CLASS};
  InitCommonControlsEx(&controls);
  UniqueHdc screen(CreateCompatibleDC(nullptr));
  dpi_ = GetDeviceCaps(screen.get(), LOGPIXELSY);
  if (dpi_ <= 0) dpi_ = 96;
  CreateFonts();
  face_ = MakeFaceBitmap();
}

void TConfigDlg::CreateFonts() {
  const int height = -Scale(11);
  std::wstring face = L"MS Sans Serif";
  if (!HasFont(face.c_str())) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    face = SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)
               ? metrics.lfMessageFont.lfFaceName
               : L"Tahoma";
  }
  font_ = MakeFont(face.c_str(), height, FW_NORMAL, false, DEFAULT_CHARSET);
  bold_font_ = MakeFont(face.c_str(), height, FW_BOLD, false, DEFAULT_CHARSET);
  link_font_ = MakeFont(face.c_str(), height, FW_NORMAL, true, DEFAULT_CHARSET);
  memo_font_ = MakeFont(L"Courier New", height, FW_NORMAL, false, EASTEUROPE_CHARSET);
}

INT_PTR TConfigDlg::ShowModal() {
  const std::vector<WORD> form = DialogTemplate();
  const INT_PTR result = DialogBoxIndirectParamW(
      GetModuleHandleW(nullptr), reinterpret_cast<const DLGTEMPLATE*>(form.data()), parent_,
      &DialogProc, reinterpret_cast<LPARAM>(this));
  if (result == -1) Trace(L"the options dialog could not be made");
  return result;
}

void ShowOptionsDialog(HWND owner) {
  if (g_showing.exchange(true)) {
    const HWND shown = g_shown.load();
    if (shown != nullptr && !SetForegroundWindow(shown))
      Trace(L"the options dialog could not be brought forward");
    return;
  }
  struct EndOfShowing {
    ~EndOfShowing() { g_showing = false; }
  } end_of_showing;
  TConfigDlg dialog(owner);
  dialog.ShowModal();
}

bool CloseOptionsDialog() {
  const HWND shown = g_shown.load();
  if (shown == nullptr) return false;
  KeepModuleLoaded();
  if (GetWindowThreadProcessId(shown, nullptr) == GetCurrentThreadId()) {
    EndDialog(shown, IDCANCEL);
  } else {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(shown, WM_COMMAND, IDCANCEL, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, 5000,
                             &answer))
      Trace(L"the options dialog did not close");
  }
  return true;
}

void TConfigDlg::CreateControls() {
  struct ControlForm {
    int id;
    const wchar_t* window_class;
    DWORD style;
    int left, top, width, height;
    std::string_view text;
    HFONT font;
  };
  const std::string home = HomePageText(), author = AuthorText(), memo = MemoText();
  const DWORD label = WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX;
  const DWORD link = label | SS_NOTIFY;
  const DWORD wrapped = WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
  // In tab order first (the dialog manager follows creation order), then the rest.
  const ControlForm controls[] = {
      {kHotKey1,
       HOTKEY_CLASSW,
       WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER,
       264,
       333,
       169,
       19,
       {},
       font_.get()},
      {kButton1, L"BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 360, 412, 75, 25,
       "OK", font_.get()},
      {kButton2, L"BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 440, 412, 75, 25,
       "Cancel", font_.get()},
      {kMemo1, L"EDIT",
       WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
       14, 152, 493, 148, memo, memo_font_.get()},
      {kStaticText1, L"STATIC", wrapped, 8, 32, 457, 33, kStaticText1Text, font_.get()},
      {kStaticText2, L"STATIC", wrapped, 8, 61, 457, 41, kStaticText2Text, font_.get()},
      {kStaticText3, L"STATIC", wrapped, 8, 104, 497, 44, kStaticText3Text, font_.get()},
      {kLabel1, L"STATIC", label, 24, 336, 233, 13, kLabel1Text, font_.get()},
      {kImage1, L"STATIC", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, 468, 8, 48, 48, {}, nullptr},
      {kLabel2, L"STATIC", label, 8, 364, 274, 13, kLabel2Text, font_.get()},
      {kLabel3, L"STATIC", link, 288, 364, 106, 13, home, link_font_.get()},
      {kLabel4, L"STATIC", label, 8, 384, 28, 13, kLabel4Text, font_.get()},
      {kLabel5, L"STATIC", link, 48, 384, 148, 13, author, link_font_.get()},
      {kLabel6, L"STATIC", label, 8, 10, 352, 13, kLabel6Text, bold_font_.get()},
      {kLabel7, L"STATIC", label, 8, 312, 463, 13, kLabel7Text, font_.get()},
      {kBevel1, L"STATIC", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, 0, 1, 524, 404, {}, nullptr},
  };
  for (const ControlForm& c : controls) {
    HWND control = CreateWindowExW(0, c.window_class, Widen(c.text).c_str(), c.style, Scale(c.left),
                                   Scale(c.top), Scale(c.width), Scale(c.height), window_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)),
                                   GetModuleHandleW(nullptr), nullptr);
    if (control == nullptr) continue;
    if (c.font != nullptr)
      SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(c.font), FALSE);
    // Labels grow to fit their text, as the dialog's font may be wider than the one it was
    // laid out with.
    if ((c.style & SS_TYPEMASK) == SS_LEFTNOWORDWRAP) {
      const std::wstring text = Widen(c.text);
      UniqueHdc dc(CreateCompatibleDC(nullptr));
      SelectedObject selected(dc.get(), c.font);
      SIZE extent{};
      GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
      if (extent.cx > Scale(c.width))
        SetWindowPos(control, nullptr, 0, 0, extent.cx, Scale(c.height),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  // Keys typed without a modifier, or with Shift alone, become Shift+Ctrl+Alt+key.
  SendDlgItemMessageW(window_, kHotKey1, HKM_SETRULES, HKCOMB_NONE | HKCOMB_S,
                      MAKELPARAM(HOTKEYF_SHIFT | HOTKEYF_CONTROL | HOTKEYF_ALT, 0));
}

void TConfigDlg::FormCreate() {
  SendDlgItemMessageW(window_, kHotKey1, HKM_SETHOTKEY, ShortCutToHotKey(FilterShortCut.load()), 0);
}

void TConfigDlg::Button1Click() {
  const auto hot_key =
      static_cast<WORD>(SendDlgItemMessageW(window_, kHotKey1, HKM_GETHOTKEY, 0, 0));
  FilterShortCut = HotKeyToShortCut(hot_key);
}

void TConfigDlg::Label3Click() {
  try {
    ShellExecuteW(GetDesktopWindow(), L"open", Widen(HomePageText()).c_str(), nullptr, nullptr,
                  SW_SHOWNORMAL);
  } catch (...) {
    // No memory for the link's text: the click does nothing.
  }
}

void TConfigDlg::Label5Click() {
  try {
    // Non-ASCII characters of the link (the author's name) go as percent-encoded UTF-8, as
    // mailto URIs have them (RFC 6068) and as browsers hand them on: what every mail program
    // reads, and plain ASCII that no code page on the way to one can change.
    const std::wstring wide = Widen(MailLink());
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size > 0 ? size : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), size,
                        nullptr, nullptr);
    constexpr char kHex[] = "0123456789ABCDEF";
    std::wstring link;
    for (const char c : utf8) {
      const auto byte = static_cast<unsigned char>(c);
      if (byte < 0x80) {
        link += static_cast<wchar_t>(byte);
      } else {
        link += L'%';
        link += static_cast<wchar_t>(kHex[byte >> 4]);
        link += static_cast<wchar_t>(kHex[byte & 0xF]);
      }
    }
    ShellExecuteW(GetDesktopWindow(), L"open", link.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  } catch (...) {
    // No memory for the link's text: the click does nothing.
  }
}

void TConfigDlg::DrawItem(const DRAWITEMSTRUCT& item) {
  RECT area = item.rcItem;
  if (item.CtlID == kBevel1) {
    DrawEdge(item.hDC, &area, BDR_RAISEDINNER, BF_RECT);
    return;
  }
  if (item.CtlID != kImage1 || !face_) return;
  FillRect(item.hDC, &area, GetSysColorBrush(COLOR_BTNFACE));
  UniqueHdc memory(CreateCompatibleDC(item.hDC));
  SelectedObject selected(memory.get(), face_.get());
  // AND: the face's white lets the dialog's background show.
  StretchBlt(item.hDC, 0, 0, Scale(kFaceSide), Scale(kFaceSide), memory.get(), 0, 0, kFaceSide,
             kFaceSide, SRCAND);
}

INT_PTR CALLBACK TConfigDlg::DialogProc(HWND window, UINT message, WPARAM wParam,
                                        LPARAM lParam) noexcept {
  try {
    return HandleMessage(window, message, wParam, lParam);
  } catch (...) {
    Trace(L"the options dialog could not handle a message");
    return FALSE;
  }
}

INT_PTR TConfigDlg::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<TConfigDlg*>(GetWindowLongPtrW(window, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      self = reinterpret_cast<TConfigDlg*>(lParam);
      SetWindowLongPtrW(window, DWLP_USER, lParam);
      self->window_ = window;
      SetWindowTextW(window, Widen(kCaption).c_str());
      RECT frame = {0, 0, self->Scale(kClientWidth), self->Scale(kClientHeight)};
      AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)));
      const SIZE size = {frame.right - frame.left, frame.bottom - frame.top};
      const POINT place = CentredOnMonitor(self->parent_, size);
      SetWindowPos(window, nullptr, place.x, place.y, size.cx, size.cy, SWP_NOZORDER);
      g_shown = window;
      self->CreateControls();
      self->FormCreate();
      SetFocus(GetDlgItem(window, kHotKey1));
      return FALSE;  // the focus is set
    }
    case WM_DESTROY:
      if (g_shown == window) g_shown = nullptr;
      break;
    case WM_COMMAND:
      if (self == nullptr) break;
      switch (LOWORD(wParam)) {
        case IDOK:
          self->Button1Click();
          EndDialog(window, IDOK);
          return TRUE;
        case IDCANCEL:
          EndDialog(window, IDCANCEL);
          return TRUE;
        case kLabel3:
          if (HIWORD(wParam) == STN_CLICKED) self->Label3Click();
          return TRUE;
        case kLabel5:
          if (HIWORD(wParam) == STN_CLICKED) self->Label5Click();
          return TRUE;
      }
      break;
    case WM_DRAWITEM:
      if (self != nullptr) self->DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_CTLCOLORSTATIC: {
      const auto dc = reinterpret_cast<HDC>(wParam);
      const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      SetTextColor(
          dc, (id == kLabel3 || id == kLabel5) ? RGB(0, 0, 255) : GetSysColor(COLOR_WINDOWTEXT));
      return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_SETCURSOR: {
      const int id = GetDlgCtrlID(reinterpret_cast<HWND>(wParam));
      if (id == kLabel3 || id == kLabel5) {
        SetCursor(LoadCursor(nullptr, IDC_HAND));
        SetWindowLongPtrW(window, DWLP_MSGRESULT, TRUE);
        return TRUE;
      }
      break;
    }
  }
  return FALSE;
}

}  // namespace vizmark
