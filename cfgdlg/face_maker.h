// FaceMaker: the window, opened from the options dialog, that turns a picture (a file, or
// what the clipboard holds) into a face. It shows the face at its real size and four times
// larger, lets the user choose how greys become black and white, how bright the face comes
// out and its negative, and saves the header text as a .txt file that %SetXFace reads, with
// the template line that does so put on the clipboard.
#pragma once

#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

#include "base/win_handles.h"
#include "cfgdlg/face_maker_model.h"
#include "face/picture_decoder.h"

namespace vizmark {

class FaceMaker {
 public:
  // Control identifiers (what GetDlgItem finds).
  enum Control : int {
    kSave = IDOK,
    kClose = IDCANCEL,
    kChoose = 200,
    kPaste,
    kAutomatic,
    kDithered,
    kThreshold,
    kBrightnessLabel,
    kBrightness,
    kInvert,
    kModeLabel,
    kPreview,
    kRealSize,
    kLength,
    kStatus,
  };

  // `owner`: the options dialog, whose pixels per inch and font (kept by it) it takes.
  FaceMaker(HWND owner, int dpi, HFONT font);
  FaceMaker(const FaceMaker&) = delete;
  FaceMaker& operator=(const FaceMaker&) = delete;

  // Shows the window until it is closed; the owner is disabled meanwhile. -1 when it cannot
  // be made.
  INT_PTR ShowModal();

 private:
  static INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM) noexcept;
  static INT_PTR HandleMessage(HWND, UINT, WPARAM, LPARAM);
  void CreateControls();
  SIZE Layout();
  SIZE MeasureText(int id, int wrap_width) const;
  void Place(int id, LONG left, LONG top, LONG width, LONG height) const;
  void ChooseFile();
  void Paste();
  void TakePicture(std::optional<DecodedPicture> picture, std::string_view refusal);
  FaceMakerChoices Choices() const;
  void Update();
  void Save();
  // Whether the user lets the file at `path`, which is there, be replaced.
  bool AskToReplace(const std::wstring& path) const;
  void SetStatus(std::string_view text) const;
  void DrawItem(const DRAWITEMSTRUCT& item) const;
  int Scale(int pixels) const { return MulDiv(pixels, dpi_, 96); }
  // The face's pixels drawn this many times larger at its real size (a whole number, so that
  // every pixel stays square and sharp).
  int PixelSize() const { return std::max(1, (dpi_ + 48) / 96); }

  HWND owner_;
  HWND window_ = nullptr;
  int dpi_;
  HFONT font_;
  std::optional<DecodedPicture> picture_;
  std::optional<MadeFace> face_;
  UniqueHbitmap face_bitmap_;
  void* face_bits_ = nullptr;
};

// Ends the face maker, and any dialog it shows meanwhile (the file dialogs), if one is shown:
// its loops then return as after Cancel. Returns whether one was shown.
bool CloseFaceMaker();

}  // namespace vizmark
