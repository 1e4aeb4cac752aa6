#include "cfgdlg/face_maker.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <new>
#include <span>
#include <utility>
#include <vector>

#include "base/clipboard.h"
#include "base/cp1250.h"
#include "base/dialog_layout.h"
#include "base/file_read.h"
#include "base/file_write.h"
#include "base/trace.h"
#include "base/wide_text.h"
#include "face/bmp_layout.h"
#include "face/face_bitmap.h"
#include "face/picture_decoder.h"

namespace vizmark {

namespace {

constexpr std::string_view kCaption = "Utwórz twarz z obrazka"_cp1250;
constexpr std::string_view kChooseText = "&Wybierz obrazek…"_cp1250;
constexpr std::string_view kPasteText = "Wklej ze &schowka";
constexpr std::string_view kModeText = "Sposób:"_cp1250;
constexpr std::string_view kAutomaticText = "&Automatyczny";
constexpr std::string_view kDitheredText = "&Rozpraszanie";
constexpr std::string_view kThresholdText = "Jeden &próg"_cp1250;
constexpr std::string_view kBrightnessText = "&Jasność:"_cp1250;
constexpr std::string_view kInvertText = "&Negatyw";
constexpr std::string_view kSaveText = "&Zapisz…"_cp1250;
constexpr std::string_view kCloseText = "Zamknij";
constexpr std::string_view kStartText = "Wybierz obrazek albo wklej go ze schowka.";
constexpr std::string_view kUnreadableText = "Tego pliku nie da się odczytać jako obrazka."_cp1250;
constexpr std::string_view kNoPictureText = "W schowku nie ma obrazka.";
constexpr std::string_view kNoFaceText = "Z tego obrazka nie da się zrobić twarzy."_cp1250;
constexpr std::string_view kSavedText =
    "Zapisano. Wiersz szablonu z makrem %SetXFace jest w schowku."_cp1250;
constexpr std::string_view kNotSavedText = "Nie udało się zapisać pliku."_cp1250;
constexpr std::string_view kNotCopiedText =
    "Zapisano, ale nie udało się umieścić wiersza szablonu w schowku."_cp1250;
// The file's path has characters the system's code page lacks, and no short name without them:
// the client could not hand it to %SetXFace, so no line is copied.
constexpr std::string_view kNoLineText =
    "Zapisano, ale makro %SetXFace nie odczyta tej ścieżki: jej nazwa ma znaki spoza strony "
    "kodowej systemu. Zapisz twarz w innym folderze."_cp1250;
// Asked about the file written when it is not the one named in the save dialog (".txt" added).
constexpr std::string_view kReplaceText = "Plik „%s” już istnieje.\nCzy chcesz go zastąpić?"_cp1250;
constexpr std::string_view kPicturesFilter = "Obrazki";
constexpr std::string_view kFaceFilter = "Twarz X-Face";
constexpr std::string_view kDefaultFileName = "twarz.txt";
// The longest the length line gets: compface writes at most 576 characters.
constexpr std::size_t kLongestHeader = 9999;

// The face maker shown, while it is (one at a time: it is modal to the options dialog).
std::atomic<HWND> g_shown{nullptr};
// Asks the face maker to end itself and the dialogs it shows (CloseFaceMaker).
constexpr UINT kCloseMessage = WM_APP + 1;

std::wstring Widen(std::string_view text) { return WideFromCodePage(text, 1250); }

// A file dialog's filter: pairs of a name and a pattern, each ended by a zero, the whole
// ended by another.
std::wstring Filter(std::initializer_list<std::pair<std::string_view, std::wstring_view>> kinds) {
  std::wstring filter;
  for (const auto& [name, patterns] : kinds) {
    filter += Widen(name) + L" (" + std::wstring(patterns) + L")";
    filter += L'\0';
    filter += patterns;
    filter += L'\0';
  }
  return filter;
}

// A bitmap object's pixels as straight RGBA, opaque (a device-dependent bitmap has no alpha).
std::optional<DecodedPicture> PictureOfBitmap(HBITMAP bitmap) {
  BITMAP object{};
  if (GetObjectW(bitmap, sizeof object, &object) == 0) return std::nullopt;
  const int width = object.bmWidth, height = std::abs(object.bmHeight);
  if (width <= 0 || height <= 0 || width > kMaxFacePictureSide || height > kMaxFacePictureSide ||
      uint64_t{static_cast<uint32_t>(width)} * static_cast<uint32_t>(height) >
          kMaxFacePicturePixels)
    return std::nullopt;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  DecodedPicture picture{width, height, std::vector<uint8_t>(std::size_t{4} * width * height)};
  UniqueHdc dc(CreateCompatibleDC(nullptr));
  if (GetDIBits(dc.get(), bitmap, 0, static_cast<UINT>(height), picture.rgba.data(), &info,
                DIB_RGB_COLORS) != height)
    return std::nullopt;
  for (std::size_t i = 0; i < picture.rgba.size(); i += 4) {
    std::swap(picture.rgba[i], picture.rgba[i + 2]);  // B, G, R to R, G, B
    picture.rgba[i + 3] = 255;
  }
  return picture;
}

// What the clipboard holds as a picture: a packed one (with its alpha, where it has one), or
// else a bitmap object. The system offers each of the three formats when any one was put there.
// A packed picture is copied out and the clipboard closed before it is decoded, so that other
// programs can use the clipboard meanwhile; a bitmap object's pixels are copied while it is open.
std::optional<DecodedPicture> PictureOnClipboard(HWND window) {
  for (const UINT format : {CF_DIBV5, CF_DIB, CF_BITMAP}) {
    std::vector<unsigned char> packed;
    {
      OpenedClipboard clipboard(window);
      if (!clipboard) {
        Trace(L"the face maker could not open the clipboard");
        return std::nullopt;
      }
      if (!IsClipboardFormatAvailable(format)) continue;
      if (format == CF_BITMAP)
        return PictureOfBitmap(static_cast<HBITMAP>(GetClipboardData(CF_BITMAP)));
      const LockedGlobal memory(GetClipboardData(format));
      const std::span<const uint8_t> bytes = memory.bytes();
      packed.assign(bytes.begin(), bytes.end());
    }
    const std::vector<unsigned char> file = BmpFileFromPackedDib(packed);
    if (file.empty()) continue;
    if (std::optional<DecodedPicture> picture = DecodePictureBytes(file)) return picture;
  }
  return std::nullopt;
}

// The picture `take` gives; none, with a trace, when there is no memory for it.
template <typename Take>
std::optional<DecodedPicture> PictureOrNone(const Take& take) {
  try {
    return take();
  } catch (const std::bad_alloc&) {
    Trace(L"no memory for the face maker's picture");
    return std::nullopt;
  }
}

// The template line on the clipboard, as UTF-16 text and in the system's code page.
bool CopyTemplateLine(HWND window, const std::wstring& line) {
  const int size = WideCharToMultiByte(CP_ACP, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<std::size_t>(std::max(size, 1)), '\0');
  WideCharToMultiByte(CP_ACP, 0, line.c_str(), -1, ansi.data(), size, nullptr, nullptr);
  ansi.resize(ansi.size() - 1);  // its zero
  return PutTextOnClipboard(window, line, ansi);
}

// Whether `text` comes through the system's code page unchanged, as the client hands
// %SetXFace its argument in it.
bool SurvivesCodePage(const std::wstring& text) {
  if (GetACP() == CP_UTF8) return true;  // which takes no WC_NO_BEST_FIT_CHARS
  BOOL lossy = FALSE;
  const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(),
                                       static_cast<int>(text.size()), nullptr, 0, nullptr, &lossy);
  return size > 0 && !lossy;
}

// The path a template line can name for the file at `path`: the path itself where it comes
// through the system's code page, else its short form where the volume keeps short names and
// that form does; none else.
std::optional<std::wstring> PathForTemplateLine(const std::wstring& path) {
  if (SurvivesCodePage(path)) return path;
  const DWORD size = GetShortPathNameW(path.c_str(), nullptr, 0);
  if (size == 0) return std::nullopt;
  std::wstring short_path(size, L'\0');
  const DWORD length = GetShortPathNameW(path.c_str(), short_path.data(), size);
  if (length == 0 || length >= size) return std::nullopt;
  short_path.resize(length);
  if (!SurvivesCodePage(short_path)) return std::nullopt;
  return short_path;
}

// The windows of `owner`'s thread that it owns, directly or through others, the most deeply
// owned first.
struct OwnedSearch {
  HWND owner;
  std::vector<std::pair<int, HWND>> found;  // depth, window
};

BOOL CALLBACK CollectOwned(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<OwnedSearch*>(param);
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  if (std::wstring_view(name) != L"#32770") return TRUE;  // dialogs only
  int depth = 0;
  for (HWND owner = GetWindow(window, GW_OWNER); owner != nullptr && depth < 64;
       owner = GetWindow(owner, GW_OWNER)) {
    ++depth;
    if (owner == search->owner) {
      try {
        search->found.emplace_back(depth, window);
      } catch (...) {
        Trace(L"the dialogs over the face maker could not be listed");
        return FALSE;
      }
      break;
    }
  }
  return TRUE;
}

// Ends the dialogs `owner` shows (a file dialog, and a message box above it), so that their
// loops return and the calls that showed them come back to `owner`'s.
void EndDialogsOwnedBy(HWND owner) {
  OwnedSearch search{owner, {}};
  EnumThreadWindows(GetWindowThreadProcessId(owner, nullptr), &CollectOwned,
                    reinterpret_cast<LPARAM>(&search));
  std::sort(search.found.begin(), search.found.end(),
            [](const auto& a, const auto& b) { return a.first > b.first; });
  for (const auto& [depth, window] : search.found)
    if (!EndDialog(window, IDCANCEL)) Trace(L"a dialog over the face maker did not end");
}

}  // namespace

FaceMaker::FaceMaker(HWND owner, int dpi, HFONT font) : owner_(owner), dpi_(dpi), font_(font) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  face_bitmap_.reset(CreateFaceBitmap(&face_bits_));
  if (!face_bitmap_) Trace(L"the face maker's picture could not be made");
}

INT_PTR FaceMaker::ShowModal() {
  const std::vector<WORD> form =
      EmptyDialogTemplate(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, WS_EX_DLGMODALFRAME);
  const INT_PTR result = DialogBoxIndirectParamW(
      GetModuleHandleW(nullptr), reinterpret_cast<const DLGTEMPLATE*>(form.data()), owner_,
      &DialogProc, reinterpret_cast<LPARAM>(this));
  if (result == -1) Trace(L"the face maker could not be made");
  return result;
}

bool CloseFaceMaker() {
  const HWND shown = g_shown.load();
  if (shown == nullptr) return false;
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutW(shown, kCloseMessage, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, 5000,
                           &answer))
    Trace(L"the face maker did not close");
  return true;
}

void FaceMaker::CreateControls() {
  struct ControlForm {
    int id;
    const wchar_t* window_class;
    DWORD style;
    std::string_view text;
  };
  const DWORD button = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
  const DWORD radio = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON;
  const DWORD label = WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP;
  // In tab order (the dialog manager follows creation order); the radio buttons are one group,
  // which the brightness label's group ends.
  const ControlForm controls[] = {
      {kChoose, L"BUTTON", button, kChooseText},
      {kPaste, L"BUTTON", button, kPasteText},
      {kAutomatic, L"BUTTON", radio | WS_GROUP | WS_TABSTOP, kAutomaticText},
      {kDithered, L"BUTTON", radio, kDitheredText},
      {kThreshold, L"BUTTON", radio, kThresholdText},
      {kBrightnessLabel, L"STATIC", label | WS_GROUP, kBrightnessText},
      {kBrightness,
       TRACKBAR_CLASSW,
       WS_CHILD | WS_VISIBLE | WS_TABSTOP | TBS_HORZ | TBS_NOTICKS,
       {}},
      {kInvert, L"BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX,
       kInvertText},
      {kSave, L"BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON,
       kSaveText},
      {kClose, L"BUTTON", button, kCloseText},
      {kModeLabel, L"STATIC", label | SS_NOPREFIX, kModeText},
      {kPreview, L"STATIC", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, {}},
      {kRealSize, L"STATIC", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, {}},
      {kLength, L"STATIC", label | SS_NOPREFIX, {}},
      {kStatus, L"STATIC", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, kStartText},
  };
  for (const ControlForm& c : controls) {
    HWND control = CreateWindowExW(0, c.window_class, Widen(c.text).c_str(), c.style, 0, 0, 0, 0,
                                   window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)),
                                   GetModuleHandleW(nullptr), nullptr);
    if (control == nullptr) {
      Trace(L"a control of the face maker could not be made");
      continue;
    }
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  }
  CheckRadioButton(window_, kAutomatic, kThreshold, kAutomatic);
  const FaceMakerChoices first;
  SendDlgItemMessageW(window_, kBrightness, TBM_SETRANGE, FALSE, MAKELPARAM(0, kMaxBrightness));
  SendDlgItemMessageW(window_, kBrightness, TBM_SETPAGESIZE, 0, 16);
  SendDlgItemMessageW(window_, kBrightness, TBM_SETPOS, TRUE, first.brightness);
  EnableWindow(GetDlgItem(window_, kSave), FALSE);
}

SIZE FaceMaker::MeasureText(int id, int wrap_width) const {
  return MeasureControlText(GetDlgItem(window_, id), wrap_width, DT_EXPANDTABS);
}

void FaceMaker::Place(int id, LONG left, LONG top, LONG width, LONG height) const {
  PlaceControl(window_, id, left, top, width, height);
}

// From the top down: the two ways to a picture, the face enlarged with the face at its real
// size beside it, the choices, the length and a line of news, and the buttons at the bottom
// right. Every control is as large as its measured text needs; the window as wide as its
// widest row.
SIZE FaceMaker::Layout() {
  const LONG margin = Scale(8), gap = Scale(6);
  const auto button = [&](int id) {
    const SIZE text = MeasureText(id, 0);
    return SIZE{std::max<LONG>(Scale(75), text.cx + Scale(16)),
                std::max<LONG>(Scale(25), text.cy + Scale(10))};
  };
  const auto box = [&](int id) {  // a radio button or a check box: its box, a gap, its text
    const SIZE text = MeasureText(id, 0);
    return SIZE{text.cx + Scale(20), std::max<LONG>(Scale(17), text.cy + Scale(4))};
  };
  const SIZE choose = button(kChoose), paste = button(kPaste), save = button(kSave),
             close = button(kClose);
  const SIZE automatic = box(kAutomatic), dithered = box(kDithered), threshold = box(kThreshold),
             invert = box(kInvert);
  const SIZE mode_label = MeasureText(kModeLabel, 0),
             brightness_label = MeasureText(kBrightnessLabel, 0);
  const LONG large = kFaceSide * PixelSize() * 4 + 2, real = kFaceSide * PixelSize() + 2;
  const LONG choices_left = margin + std::max(mode_label.cx, brightness_label.cx) + gap;

  // The client area's width: the widest row.
  const SIZE longest_length = [&] {
    SetDlgItemTextW(window_, kLength, Widen(HeaderLengthText(kLongestHeader)).c_str());
    const SIZE size = MeasureText(kLength, 0);
    SetDlgItemTextW(window_, kLength, L"");
    return size;
  }();
  const LONG width = std::max<LONG>({
      margin + choose.cx + gap + paste.cx + margin,
      margin + large + Scale(12) + real + margin,
      choices_left + automatic.cx + gap + dithered.cx + gap + threshold.cx + margin,
      choices_left + Scale(160) + margin,
      margin + longest_length.cx + margin,
      margin + save.cx + gap + close.cx + margin,
  });
  const LONG inner = width - 2 * margin;

  LONG top = margin;
  Place(kChoose, margin, top, choose.cx, choose.cy);
  Place(kPaste, margin + choose.cx + gap, top, paste.cx, paste.cy);
  top += std::max(choose.cy, paste.cy) + Scale(10);

  Place(kPreview, margin, top, large, large);
  Place(kRealSize, margin + large + Scale(12), top, real, real);
  top += large + Scale(10);

  const LONG radio_row = std::max({automatic.cy, dithered.cy, threshold.cy});
  Place(kModeLabel, margin, top + (radio_row - mode_label.cy) / 2, mode_label.cx, mode_label.cy);
  LONG left = choices_left;
  for (const auto& [id, size] : {std::pair{kAutomatic, automatic}, std::pair{kDithered, dithered},
                                 std::pair{kThreshold, threshold}}) {
    Place(id, left, top, size.cx, radio_row);
    left += size.cx + gap;
  }
  top += radio_row + gap;

  const LONG slider_height = std::max<LONG>(Scale(26), brightness_label.cy + Scale(8));
  Place(kBrightnessLabel, margin, top + (slider_height - brightness_label.cy) / 2,
        brightness_label.cx, brightness_label.cy);
  Place(kBrightness, choices_left - Scale(4), top, width - margin - choices_left + Scale(4),
        slider_height);
  top += slider_height + gap;

  Place(kInvert, choices_left, top, invert.cx, invert.cy);
  top += invert.cy + Scale(10);

  Place(kLength, margin, top, inner, longest_length.cy);
  top += longest_length.cy + gap;
  // News take two lines at most.
  LONG status_height = longest_length.cy * 2;
  for (const std::string_view news : {kStartText, kUnreadableText, kNoPictureText, kNoFaceText,
                                      kSavedText, kNotSavedText, kNotCopiedText, kNoLineText}) {
    SetStatus(news);
    status_height = std::max(status_height, MeasureText(kStatus, inner).cy);
  }
  SetStatus(kStartText);
  Place(kStatus, margin, top, inner, status_height);
  top += status_height + Scale(10);

  const LONG buttons_height = std::max(save.cy, close.cy);
  Place(kClose, width - margin - close.cx, top, close.cx, buttons_height);
  Place(kSave, width - margin - close.cx - gap - save.cx, top, save.cx, buttons_height);
  return {width, top + buttons_height + margin};
}

void FaceMaker::SetStatus(std::string_view text) const {
  SetDlgItemTextW(window_, kStatus, Widen(text).c_str());
}

void FaceMaker::ChooseFile() {
  std::wstring path(32768, L'\0');
  const std::wstring filter =
      Filter({{kPicturesFilter, L"*.png;*.jpg;*.jpeg;*.gif;*.tif;*.tiff;*.ico;*.bmp"}});
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = window_;
  dialog.lpstrFilter = filter.c_str();
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = static_cast<DWORD>(path.size());
  dialog.Flags =
      OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameW(&dialog)) {
    if (CommDlgExtendedError() != 0) Trace(L"the face maker's open dialog failed");
    return;
  }
  path.resize(std::wcslen(path.c_str()));
  TakePicture(PictureOrNone([&] { return DecodePictureFile(FilePathFromWide(path)); }),
              kUnreadableText);
}

void FaceMaker::Paste() {
  TakePicture(PictureOrNone([this] { return PictureOnClipboard(window_); }), kNoPictureText);
}

// A picture that cannot be had leaves the one shown as it is, and says so.
void FaceMaker::TakePicture(std::optional<DecodedPicture> picture, std::string_view refusal) {
  if (!picture) {
    SetStatus(refusal);
    return;
  }
  picture_ = std::move(picture);
  SetStatus({});
  Update();
}

FaceMakerChoices FaceMaker::Choices() const {
  FaceMakerChoices choices;
  choices.mode = IsDlgButtonChecked(window_, kDithered) == BST_CHECKED    ? FaceMode::kDithered
                 : IsDlgButtonChecked(window_, kThreshold) == BST_CHECKED ? FaceMode::kThreshold
                                                                          : FaceMode::kAutomatic;
  choices.brightness =
      static_cast<int>(SendDlgItemMessageW(window_, kBrightness, TBM_GETPOS, 0, 0));
  choices.invert = IsDlgButtonChecked(window_, kInvert) == BST_CHECKED;
  return choices;
}

// Makes the face again from the picture and the controls, and shows it. A face that changes
// takes the news away: they were about the face before (that it was saved, say).
void FaceMaker::Update() {
  if (!picture_) return;
  std::optional<MadeFace> made =
      MakeFace(picture_->width, picture_->height, picture_->rgba, ToFaceOptions(Choices()));
  const bool changed =
      made.has_value() != face_.has_value() || (made && made->header_text != face_->header_text);
  face_ = std::move(made);
  if (face_ && face_bits_ != nullptr) {
    const FaceRows rows = PackFaceRows(face_->pixels);
    const std::size_t stride = 8;  // a one-bit row of 48 pixels, padded to 32 bits
    for (int y = 0; y < kFaceSide; ++y)
      std::memcpy(static_cast<uint8_t*>(face_bits_) + y * stride, rows.data() + y * kFaceRowBytes,
                  kFaceRowBytes);
    GdiFlush();
  }
  SetDlgItemTextW(window_, kLength,
                  face_ ? Widen(HeaderLengthText(face_->header_text.size())).c_str() : L"");
  if (!face_)
    SetStatus(kNoFaceText);
  else if (changed)
    SetStatus({});
  EnableWindow(GetDlgItem(window_, kSave), face_.has_value());
  InvalidateRect(GetDlgItem(window_, kPreview), nullptr, FALSE);
  InvalidateRect(GetDlgItem(window_, kRealSize), nullptr, FALSE);
}

void FaceMaker::Save() {
  if (!face_) return;
  std::wstring path(32768, L'\0');
  const std::wstring name = Widen(kDefaultFileName);
  std::copy(name.begin(), name.end(), path.begin());
  const std::wstring filter = Filter({{kFaceFilter, L"*.txt"}});
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = window_;
  dialog.lpstrFilter = filter.c_str();
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = static_cast<DWORD>(path.size());
  dialog.lpstrDefExt = L"txt";
  dialog.Flags =
      OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetSaveFileNameW(&dialog)) {
    if (CommDlgExtendedError() != 0) Trace(L"the face maker's save dialog failed");
    return;
  }
  path.resize(std::wcslen(path.c_str()));
  // The name as typed is what the dialog asked about replacing; one with ".txt" added is asked
  // about here.
  const std::wstring chosen = std::exchange(path, FaceFilePath(path));
  const FilePath file = FilePathFromWide(path);
  if (path != chosen && !file.device && IsExistingFile(file) && !AskToReplace(path)) return;
  if (file.device || file.wide.empty() ||
      !WriteWholeFile(file.wide,
                      std::span(reinterpret_cast<const uint8_t*>(face_->header_text.data()),
                                face_->header_text.size()))) {
    SetStatus(kNotSavedText);
    return;
  }
  const std::optional<std::wstring> named = PathForTemplateLine(path);
  if (!named) {
    Trace(L"the face maker saved a face at a path the system's code page cannot carry");
    SetStatus(kNoLineText);
    return;
  }
  SetStatus(CopyTemplateLine(window_, SetXFaceTemplateLine(*named)) ? kSavedText : kNotCopiedText);
}

bool FaceMaker::AskToReplace(const std::wstring& path) const {
  const std::wstring text = Widen(kReplaceText);
  const std::size_t name = path.find_last_of(L"\\/:") + 1;  // 0 when there is no folder
  const std::size_t at = text.find(L"%s");
  const std::wstring question = text.substr(0, at) + path.substr(name) + text.substr(at + 2);
  return MessageBoxW(window_, question.c_str(), Widen(kCaption).c_str(),
                     MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

// The face as compface sees it, black on white, every pixel a whole square: enlarged four
// times in the large frame, at its real size in the small one.
void FaceMaker::DrawItem(const DRAWITEMSTRUCT& item) const {
  RECT area = item.rcItem;
  FrameRect(item.hDC, &area, GetSysColorBrush(COLOR_BTNSHADOW));
  InflateRect(&area, -1, -1);
  if (!face_ || !face_bitmap_) {
    FillRect(item.hDC, &area, GetSysColorBrush(COLOR_BTNFACE));
    return;
  }
  UniqueHdc memory(CreateCompatibleDC(item.hDC));
  SelectedObject selected(memory.get(), face_bitmap_.get());
  SetStretchBltMode(item.hDC, COLORONCOLOR);
  SetTextColor(item.hDC, RGB(0, 0, 0));
  SetBkColor(item.hDC, RGB(255, 255, 255));
  StretchBlt(item.hDC, area.left, area.top, area.right - area.left, area.bottom - area.top,
             memory.get(), 0, 0, kFaceSide, kFaceSide, SRCCOPY);
}

INT_PTR CALLBACK FaceMaker::DialogProc(HWND window, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept {
  try {
    return HandleMessage(window, message, wParam, lParam);
  } catch (...) {
    Trace(L"the face maker could not handle a message");
    return FALSE;
  }
}

INT_PTR FaceMaker::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<FaceMaker*>(GetWindowLongPtrW(window, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      self = reinterpret_cast<FaceMaker*>(lParam);
      SetWindowLongPtrW(window, DWLP_USER, lParam);
      self->window_ = window;
      SetWindowTextW(window, Widen(kCaption).c_str());
      self->CreateControls();
      const SIZE client = self->Layout();
      const SIZE size = FrameSizeForClient(window, client);
      const POINT place = CentredOverOwner(self->owner_, size);
      SetWindowPos(window, nullptr, place.x, place.y, size.cx, size.cy, SWP_NOZORDER);
      g_shown = window;
      SetFocus(GetDlgItem(window, kChoose));
      return FALSE;  // the focus is set
    }
    case WM_DESTROY:
      if (g_shown == window) g_shown = nullptr;
      break;
    case kCloseMessage:
      EndDialogsOwnedBy(window);
      EndDialog(window, IDCANCEL);
      return TRUE;
    case WM_COMMAND:
      if (self == nullptr) break;
      switch (LOWORD(wParam)) {
        case kSave:
          self->Save();
          return TRUE;
        case kClose:
          EndDialog(window, IDCANCEL);
          return TRUE;
        case kChoose:
          self->ChooseFile();
          return TRUE;
        case kPaste:
          self->Paste();
          return TRUE;
        case kAutomatic:
        case kDithered:
        case kThreshold:
        case kInvert:
          if (HIWORD(wParam) == BN_CLICKED) self->Update();
          return TRUE;
      }
      break;
    case WM_HSCROLL:
      if (self != nullptr && reinterpret_cast<HWND>(lParam) == GetDlgItem(window, kBrightness))
        self->Update();
      return TRUE;
    case WM_DRAWITEM:
      if (self != nullptr) self->DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
  }
  return FALSE;
}

}  // namespace vizmark
