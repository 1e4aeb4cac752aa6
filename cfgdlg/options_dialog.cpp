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
#include "base/dialog_layout.h"
#include "base/identity.h"
#include "base/mail_link.h"
#include "base/module_pin.h"
#include "base/trace.h"
#include "base/wide_text.h"
#include "cfgdlg/face_maker.h"
#include "cfgdlg/settings_store.h"
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
constexpr std::string_view kShowColourFacesText = "Pokazuj kolorowe twarze (Face)"_cp1250;
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

constexpr std::string_view kFaceMakerText = "Utwórz twarz z obrazka…"_cp1250;

constexpr int kClientWidth = 524, kClientHeight = 444;

// The dialog ShowOptionsDialog shows: one at a time, whichever thread asks. `g_showing` is
// set from the start of a showing to its end, `g_shown` while its window exists.
std::atomic<bool> g_showing{false};
std::atomic<HWND> g_shown{nullptr};

// Where a window of `size` goes: centred on the work area of the owner's monitor (the
// primary one without an owner), its top left corner kept inside when it is too large.
POINT CentredOnMonitor(HWND owner, SIZE size) {
  const RECT work = WorkAreaOf(owner);
  return {std::max(work.left, work.left + (work.right - work.left - size.cx) / 2),
          std::max(work.top, work.top + (work.bottom - work.top - size.cy) / 2)};
}

// Our texts are Windows-1250 bytes; windows get them as UTF-16, whatever the system's
// ANSI code page.
std::wstring Widen(std::string_view text) { return WideFromCodePage(text, 1250); }

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

}  // namespace

static_assert(kHotKeyShift == HOTKEYF_SHIFT && kHotKeyCtrl == HOTKEYF_CONTROL &&
              kHotKeyAlt == HOTKEYF_ALT && kHotKeyExtended == HOTKEYF_EXT);

OptionsDialog::OptionsDialog(HWND parent, OptionsDialogLook look)
    : parent_(parent), dpi_(look.dpi) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_HOTKEY_CLASS};
  InitCommonControlsEx(&controls);
  if (dpi_ <= 0) {
    UniqueHdc screen(CreateCompatibleDC(nullptr));
    dpi_ = GetDeviceCaps(screen.get(), LOGPIXELSY);
  }
  if (dpi_ <= 0) dpi_ = 96;
  CreateFonts(std::move(look.face));
  face_picture_ = MakeFaceBitmap();
  if (!face_picture_) Trace(L"the options dialog's face picture could not be made");
}

void OptionsDialog::CreateFonts(std::wstring face) {
  const int height = -Scale(11);
  if (face.empty()) face = L"MS Sans Serif";
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
  if (!font_ || !bold_font_ || !link_font_ || !filter_font_)
    Trace(L"a font of the options dialog could not be made: the system's is used");
}

INT_PTR OptionsDialog::ShowModal() {
  const std::vector<WORD> form = EmptyDialogTemplate(
      WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFOREGROUND, WS_EX_DLGMODALFRAME);
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
  PinModule(L"the options dialog's loop is still on a stack");
  // The face maker's loop runs inside the dialog's: it ends first.
  CloseFaceMaker();
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
    std::string_view text;
    HFONT font;
  };
  const std::string home(kHomePage), author = AuthorText(), memo = FilterDefinitionText();
  const DWORD label = WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX;
  const DWORD link = label | SS_NOTIFY;
  const DWORD wrapped = WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
  // In tab order first (the dialog manager follows creation order), then the rest. Layout()
  // places them.
  const ControlForm controls[] = {
      {kShortcutBox,
       HOTKEY_CLASSW,
       WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER,
       {},
       font_.get()},
      {kOk, L"BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, "OK", font_.get()},
      {kCancel, L"BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, "Cancel",
       font_.get()},
      {kShowColourFaces, L"BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX,
       kShowColourFacesText, font_.get()},
      {kFilterDefinition, L"EDIT",
       WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
       memo, filter_font_.get()},
      {kFaceMaker, L"BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, kFaceMakerText,
       font_.get()},
      {kStep1, L"STATIC", wrapped, kStep1Text, font_.get()},
      {kStep2, L"STATIC", wrapped, kStep2Text, font_.get()},
      {kNote, L"STATIC", wrapped, kNoteText, font_.get()},
      {kShortcutLabel, L"STATIC", label, kShortcutLabelText, font_.get()},
      {kFacePicture, L"STATIC", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, {}, nullptr},
      {kHomePageLabel, L"STATIC", label, kHomePageLabelText, font_.get()},
      {kHomePageLink, L"STATIC", link, home, link_font_.get()},
      {kAuthorLabel, L"STATIC", label, kAuthorLabelText, font_.get()},
      {kAuthorLink, L"STATIC", link, author, link_font_.get()},
      {kHeading, L"STATIC", wrapped, kHeadingText, bold_font_.get()},
      {kStep3, L"STATIC", wrapped, kStep3Text, font_.get()},
      {kFrame, L"STATIC", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, {}, nullptr},
  };
  for (const ControlForm& c : controls) {
    HWND control = CreateWindowExW(0, c.window_class, Widen(c.text).c_str(), c.style, 0, 0, 0, 0,
                                   window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)),
                                   GetModuleHandleW(nullptr), nullptr);
    if (control == nullptr) {
      Trace(L"a control of the options dialog could not be made");
      continue;
    }
    if (c.font != nullptr)
      SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(c.font), FALSE);
  }
  // Keys typed without a modifier, or with Shift alone, become Shift+Ctrl+Alt+key.
  SendDlgItemMessageW(window_, kShortcutBox, HKM_SETRULES, HKCOMB_NONE | HKCOMB_S,
                      MAKELPARAM(HOTKEYF_SHIFT | HOTKEYF_CONTROL | HOTKEYF_ALT, 0));
}

SIZE OptionsDialog::MeasureText(int id, int wrap_width) const {
  // As the static control draws it.
  return MeasureControlText(GetDlgItem(window_, id), wrap_width, DT_NOPREFIX | DT_EXPANDTABS);
}

void OptionsDialog::Place(int id, LONG left, LONG top, LONG width, LONG height) const {
  PlaceControl(window_, id, left, top, width, height);
}

// The form was drawn for MS Sans Serif at 96 pixels an inch: where its texts fit, every
// control keeps its designed place. A longer text widens its control, what follows on its line
// moves right and the dialog widens; a text that wraps to more lines pushes what is below it
// down, and the dialog grows.
SIZE OptionsDialog::Layout() {
  const LONG gap = Scale(3);
  const auto one_line = [this](int id, LONG designed_width) {
    const SIZE text = MeasureText(id, 0);
    return SIZE{std::max<LONG>(Scale(designed_width), text.cx), std::max<LONG>(Scale(13), text.cy)};
  };

  // The lines that stay whole set the width.
  const SIZE shortcut_label = one_line(kShortcutLabel, 233);
  const LONG box_left = std::max<LONG>(Scale(264), Scale(24) + shortcut_label.cx + Scale(7));
  const SIZE home_label = one_line(kHomePageLabel, 274);
  const SIZE home_link = one_line(kHomePageLink, 106);
  const LONG home_link_left = std::max<LONG>(Scale(288), Scale(8) + home_label.cx + gap);
  const SIZE author_label = one_line(kAuthorLabel, 28);
  const SIZE author_link = one_line(kAuthorLink, 148);
  const LONG author_link_left = std::max<LONG>(Scale(48), Scale(8) + author_label.cx + Scale(12));
  // The face maker's button shares the row of OK and Cancel, on its left, where the form had
  // nothing: no other control moves for it.
  const SIZE face_maker_text = MeasureText(kFaceMaker, 0);
  const LONG face_maker_width = std::max<LONG>(Scale(75), face_maker_text.cx + Scale(16));
  // The colour faces' box goes on the author's line, on the right: a box of 13 x 13 and its
  // text, as tall as the line.
  const SIZE show_faces_text = MeasureText(kShowColourFaces, 0);
  const SIZE show_faces = {std::max<LONG>(Scale(170), show_faces_text.cx + Scale(20)),
                           std::max<LONG>(Scale(13), show_faces_text.cy)};
  const LONG show_faces_left =
      std::max<LONG>(Scale(264), author_link_left + author_link.cx + Scale(12));
  const LONG width = std::max<LONG>({Scale(kClientWidth), box_left + Scale(169) + Scale(8),
                                     home_link_left + home_link.cx + Scale(8),
                                     show_faces_left + show_faces.cx + Scale(8),
                                     Scale(8) + face_maker_width + Scale(5) + Scale(164)});
  const LONG wider = width - Scale(kClientWidth);

  // From the top down: each at its designed top, or below what is above it.
  LONG bottom = 0;
  const auto top_after = [&](int designed_top) {
    return std::max<LONG>(Scale(designed_top), bottom + gap);
  };
  const auto place = [&](int id, LONG left, LONG top, SIZE size) {
    Place(id, left, top, size.cx, size.cy);
    bottom = std::max<LONG>(bottom, top + size.cy);
  };
  const auto wrapped = [&](int id, LONG left, int designed_top, LONG line_width, LONG min_width) {
    const SIZE text = MeasureText(id, line_width);
    place(id, left, top_after(designed_top),
          {std::max<LONG>(min_width, text.cx), std::max<LONG>(Scale(13), text.cy)});
  };

  const LONG picture_left = width - Scale(56);
  Place(kFacePicture, picture_left, Scale(8), Scale(kFaceSide), Scale(kFaceSide));
  wrapped(kHeading, Scale(8), 10, picture_left - gap - Scale(8), Scale(352));
  wrapped(kStep1, Scale(8), 32, Scale(457) + wider, Scale(457) + wider);
  wrapped(kStep2, Scale(8), 61, Scale(457) + wider, Scale(457) + wider);
  wrapped(kNote, Scale(8), 104, Scale(497) + wider, Scale(497) + wider);
  place(kFilterDefinition, Scale(14), top_after(152), {Scale(493) + wider, Scale(148)});
  wrapped(kStep3, Scale(8), 312, Scale(463) + wider, Scale(463) + wider);

  LONG row = top_after(333);
  place(kShortcutLabel, Scale(24), row + Scale(3), shortcut_label);
  place(kShortcutBox, box_left, row,
        {Scale(169), std::max<LONG>(Scale(19), shortcut_label.cy + Scale(6))});
  row = top_after(364);
  place(kHomePageLabel, Scale(8), row, home_label);
  place(kHomePageLink, home_link_left, row, home_link);
  row = top_after(384);
  place(kAuthorLabel, Scale(8), row, author_label);
  place(kAuthorLink, author_link_left, row, author_link);
  place(kShowColourFaces, show_faces_left, row, show_faces);

  const LONG frame_bottom = std::max<LONG>(Scale(405), bottom + Scale(8));
  Place(kFrame, 0, Scale(1), width, frame_bottom - Scale(1));
  const LONG buttons_top = std::max<LONG>(Scale(412), frame_bottom + Scale(7));
  const LONG button_height = std::max<LONG>(
      {Scale(25), MeasureText(kOk, 0).cy + Scale(10), face_maker_text.cy + Scale(10)});
  Place(kFaceMaker, Scale(8), buttons_top, face_maker_width, button_height);
  Place(kOk, width - Scale(164), buttons_top, Scale(75), button_height);
  Place(kCancel, width - Scale(84), buttons_top, Scale(75), button_height);
  return {width, std::max<LONG>(Scale(kClientHeight), buttons_top + button_height + Scale(7))};
}

void OptionsDialog::ShowShortcut() {
  SendDlgItemMessageW(window_, kShortcutBox, HKM_SETHOTKEY,
                      ShortcutToHotKey(g_filter_shortcut.load()), 0);
  CheckDlgButton(window_, kShowColourFaces, g_show_colour_faces ? BST_CHECKED : BST_UNCHECKED);
}

void OptionsDialog::SaveShortcut() {
  const auto hot_key =
      static_cast<WORD>(SendDlgItemMessageW(window_, kShortcutBox, HKM_GETHOTKEY, 0, 0));
  g_filter_shortcut = HotKeyToShortcut(hot_key);
  g_show_colour_faces = IsDlgButtonChecked(window_, kShowColourFaces) == BST_CHECKED;
}

void OptionsDialog::OpenHomePage() { Open(Widen(kHomePage)); }

void OptionsDialog::WriteToAuthor() { Open(Widen(MailLink(kAuthorName, kAuthorEmail))); }

void OptionsDialog::OpenFaceMaker() {
  FaceMaker maker(window_, dpi_, font_.get());
  maker.ShowModal();
}

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
      self->CreateControls();
      const SIZE client = self->Layout();
      const SIZE size = FrameSizeForClient(window, client);
      const POINT place = CentredOnMonitor(self->parent_, size);
      SetWindowPos(window, nullptr, place.x, place.y, size.cx, size.cy, SWP_NOZORDER);
      g_shown = window;
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
        case kFaceMaker:
          if (HIWORD(wParam) == BN_CLICKED) self->OpenFaceMaker();
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
