#include "cfgdlg/options_dialog.h"

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
#include "base/mail_link.h"
#include "base/trace.h"
#include "face/face_bitmap.h"
#include "face/xface_codec.h"
#include "shortcut/filter_shortcut.h"
#include "shortcut/hot_key.h"

namespace vizmark {

namespace {

// The face in the dialog's corner, as its X-Face header (our own drawing).
constexpr std::string_view kDialogFace =
    " .>M1|yY&aPjY{.)c<&4+JNC56Py5nBHA]~54%9SQ'oHb?[&0|Y5Py$*Ddxh,1YU1UO;1k@o\n"
    " |N^%c&@i9PX}zOw*ko7;Q;E,nA\"yDg#44x5'R<ehEp,r(w0Ug/}~J`+(7YN%lu3\n";

// The filter definition to paste into the host's read-mail filters. Line 8 ends in the
// six characters \0D\0A, as the host writes its own line break there.
constexpr std::string_view kFilterDefinitionLines[] = {
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
constexpr std::string_view kShortcutLabelText =
    "Skrót do filtru wyświetlającego nagłówek X-Face:"_cp1250;
constexpr std::string_view kHomePageLabelText =
    "Więcej informacji na temat pluginu znajduje się na stronie: "_cp1250;
constexpr std::string_view kAuthorLabelText = "Autor:";
constexpr std::string_view kHeadingText =
    "Aby plugin automatycznie wyświetlał nagłówki X-Face należy:"_cp1250;
constexpr std::string_view kStep3Text =
    "3. W okienku poniżej ustawić skrót klawiaturowy identyczny z tym, który zdefiniowany jest dla filtru."_cp1250;
constexpr std::string_view kStep1Text =
    R"(1. Utworzyć filtr poczty przeczytanej. W filtrze tym, na zakładce operacje, zaznaczyć "Zapisz wiadomość do pliku" i podać ścieżke do pliku.)"_cp1250;
constexpr std::string_view kStep2Text =
    R"(2. Otworzyć edytor szablonu usunąć z niego domyślną zawartość i wpisać wywołanie makra %DisplayXFace. Na zakładce "Opcje" włączyć "Uruchamianie filtru za pomocą skrótu klawiszowego" i zdefiniować skrót.)"_cp1250;
constexpr std::string_view kNoteText =
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

// The author's name and address as the link shows them.
std::string AuthorText() {
  return std::string(kAuthorName) + " <" + std::string(kAuthorEmail) + ">";
}

// Has the shell open a web page or a mail link.
void Open(const std::wstring& link) {
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(GetDesktopWindow(), L"open", link.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  if (result <= 32) Trace(L"the shell could not open a link of the options dialog");
}

std::string FilterDefinitionText() {
  std::string text;
  for (std::string_view line : kFilterDefinitionLines) {
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

static_assert(kHotKeyShift == HOTKEYF_SHIFT && kHotKeyCtrl == HOTKEYF_CONTROL &&
              kHotKeyAlt == HOTKEYF_ALT && kHotKeyExtended == HOTKEYF_EXT);

OptionsDialog::OptionsDialog(HWND parent) : parent_(parent) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_HOTKEY_CLASS};
  InitCommonControlsEx(&controls);
  UniqueHdc screen(CreateCompatibleDC(nullptr));
  dpi_ = GetDeviceCaps(screen.get(), LOGPIXELSY);
  if (dpi_ <= 0) dpi_ = 96;
  CreateFonts();
  face_picture_ = MakeFaceBitmap();
}

void OptionsDialog::CreateFonts() {
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
  filter_font_ = MakeFont(L"Courier New", height, FW_NORMAL, false, EASTEUROPE_CHARSET);
}

INT_PTR OptionsDialog::ShowModal() {
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
  OptionsDialog dialog(owner);
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

void OptionsDialog::CreateControls() {
  struct ControlForm {
    int id;
    const wchar_t* window_class;
    DWORD style;
    int left, top, width, height;
    std::string_view text;
    HFONT font;
  };
  const std::string home(kHomePage), author = AuthorText(), memo = FilterDefinitionText();
  const DWORD label = WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX;
  const DWORD link = label | SS_NOTIFY;
  const DWORD wrapped = WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
  // In tab order first (the dialog manager follows creation order), then the rest.
  const ControlForm controls[] = {
      {kShortcutBox,
       HOTKEY_CLASSW,
       WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER,
       264,
       333,
       169,
       19,
       {},
       font_.get()},
      {kOk, L"BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 360, 412, 75, 25,
       "OK", font_.get()},
      {kCancel, L"BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 440, 412, 75, 25,
       "Cancel", font_.get()},
      {kFilterDefinition, L"EDIT",
       WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
       14, 152, 493, 148, memo, filter_font_.get()},
      {kStep1, L"STATIC", wrapped, 8, 32, 457, 33, kStep1Text, font_.get()},
      {kStep2, L"STATIC", wrapped, 8, 61, 457, 41, kStep2Text, font_.get()},
      {kNote, L"STATIC", wrapped, 8, 104, 497, 44, kNoteText, font_.get()},
      {kShortcutLabel, L"STATIC", label, 24, 336, 233, 13, kShortcutLabelText, font_.get()},
      {kFacePicture, L"STATIC", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, 468, 8, 48, 48, {}, nullptr},
      {kHomePageLabel, L"STATIC", label, 8, 364, 274, 13, kHomePageLabelText, font_.get()},
      {kHomePageLink, L"STATIC", link, 288, 364, 106, 13, home, link_font_.get()},
      {kAuthorLabel, L"STATIC", label, 8, 384, 28, 13, kAuthorLabelText, font_.get()},
      {kAuthorLink, L"STATIC", link, 48, 384, 148, 13, author, link_font_.get()},
      {kHeading, L"STATIC", label, 8, 10, 352, 13, kHeadingText, bold_font_.get()},
      {kStep3, L"STATIC", label, 8, 312, 463, 13, kStep3Text, font_.get()},
      {kFrame, L"STATIC", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, 0, 1, 524, 404, {}, nullptr},
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
  SendDlgItemMessageW(window_, kShortcutBox, HKM_SETRULES, HKCOMB_NONE | HKCOMB_S,
                      MAKELPARAM(HOTKEYF_SHIFT | HOTKEYF_CONTROL | HOTKEYF_ALT, 0));
}

void OptionsDialog::ShowShortcut() {
  SendDlgItemMessageW(window_, kShortcutBox, HKM_SETHOTKEY, ShortCutToHotKey(FilterShortCut.load()),
                      0);
}

void OptionsDialog::SaveShortcut() {
  const auto hot_key =
      static_cast<WORD>(SendDlgItemMessageW(window_, kShortcutBox, HKM_GETHOTKEY, 0, 0));
  FilterShortCut = HotKeyToShortCut(hot_key);
}

void OptionsDialog::OpenHomePage() { Open(Widen(kHomePage)); }

void OptionsDialog::WriteToAuthor() { Open(Widen(MailLink(kAuthorName, kAuthorEmail))); }

void OptionsDialog::DrawItem(const DRAWITEMSTRUCT& item) {
  RECT area = item.rcItem;
  if (item.CtlID == kFrame) {
    DrawEdge(item.hDC, &area, BDR_RAISEDINNER, BF_RECT);
    return;
  }
  if (item.CtlID != kFacePicture || !face_picture_) return;
  FillRect(item.hDC, &area, GetSysColorBrush(COLOR_BTNFACE));
  UniqueHdc memory(CreateCompatibleDC(item.hDC));
  SelectedObject selected(memory.get(), face_picture_.get());
  // AND: the face's white lets the dialog's background show.
  StretchBlt(item.hDC, 0, 0, Scale(kFaceSide), Scale(kFaceSide), memory.get(), 0, 0, kFaceSide,
             kFaceSide, SRCAND);
}

INT_PTR CALLBACK OptionsDialog::DialogProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) noexcept {
  try {
    return HandleMessage(window, message, wParam, lParam);
  } catch (...) {
    Trace(L"the options dialog could not handle a message");
    return FALSE;
  }
}

INT_PTR OptionsDialog::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<OptionsDialog*>(GetWindowLongPtrW(window, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      self = reinterpret_cast<OptionsDialog*>(lParam);
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
      self->ShowShortcut();
      SetFocus(GetDlgItem(window, kShortcutBox));
      return FALSE;  // the focus is set
    }
    case WM_DESTROY:
      if (g_shown == window) g_shown = nullptr;
      break;
    case WM_COMMAND:
      if (self == nullptr) break;
      switch (LOWORD(wParam)) {
        case IDOK:
          self->SaveShortcut();
          EndDialog(window, IDOK);
          return TRUE;
        case IDCANCEL:
          EndDialog(window, IDCANCEL);
          return TRUE;
        case kHomePageLink:
          if (HIWORD(wParam) == STN_CLICKED) self->OpenHomePage();
          return TRUE;
        case kAuthorLink:
          if (HIWORD(wParam) == STN_CLICKED) self->WriteToAuthor();
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
      SetTextColor(dc, (id == kHomePageLink || id == kAuthorLink) ? RGB(0, 0, 255)
                                                                  : GetSysColor(COLOR_WINDOWTEXT));
      return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_SETCURSOR: {
      const int id = GetDlgCtrlID(reinterpret_cast<HWND>(wParam));
      if (id == kHomePageLink || id == kAuthorLink) {
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
