// TConfigDlg: the configuration dialog. It tells, in Polish, how to set up the read-mail
// filter that shows faces, offers a ready-made filter to copy, and edits FilterShortCut.
#pragma once

#include <windows.h>

#include <string>

#include "base/win_handles.h"

namespace vizmark {

class TConfigDlg {
 public:
  // Control identifiers (what GetDlgItem finds).
  enum Control : int {
    kButton1 = IDOK,
    kButton2 = IDCANCEL,
    kBevel1 = 100,
    kLabel1,
    kImage1,
    kLabel2,
    kLabel3,
    kLabel4,
    kLabel5,
    kLabel6,
    kLabel7,
    kHotKey1,
    kMemo1,
    kStaticText1,
    kStaticText2,
    kStaticText3,
  };

  // `parent`: the window the dialog is modal to; none for a dialog of its own.
  explicit TConfigDlg(HWND parent);
  TConfigDlg(const TConfigDlg&) = delete;
  TConfigDlg& operator=(const TConfigDlg&) = delete;

  // Shows the dialog until OK (1) or Cancel (2); returns which (-1 when it cannot be made).
  // The owner is disabled meanwhile; the dialog opens centred on the owner's monitor (the
  // primary one without an owner), wholly inside its work area where it fits.
  INT_PTR ShowModal();

  void FormCreate();
  void Button1Click();
  void Label3Click();
  void Label5Click();

  // The texts shown on the two links.
  static std::string HomePageText();
  static std::string AuthorText();
  // The mail link Label5 opens: blanks and angle brackets escaped.
  static std::string MailLink();

 private:
  static INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM) noexcept;
  static INT_PTR HandleMessage(HWND, UINT, WPARAM, LPARAM);
  void CreateControls();
  void CreateFonts();
  void DrawItem(const DRAWITEMSTRUCT& item);
  int Scale(int pixels) const { return MulDiv(pixels, dpi_, 96); }

  HWND parent_;
  HWND window_ = nullptr;
  int dpi_ = 96;
  UniqueHfont font_, bold_font_, link_font_, memo_font_;
  UniqueHbitmap face_;
};

// Shows the options dialog modally to `owner` (none: a dialog of its own), or, while one is
// already shown (this call may come from inside its own modal loop, or from another thread),
// brings that one to the foreground instead. Runs on the host's thread.
void ShowOptionsDialog(HWND owner);

// Closes the options dialog, if one is shown, as Cancel would. Its modal loop, and the
// ShowOptionsDialog below it, are then still on a stack that has yet to return to them, so
// the module is kept loaded for good. Returns whether one was shown.
bool CloseOptionsDialog();

// A shortcut in the hot-key control's form (key in the low byte; Shift 1, Ctrl 2, Alt 4,
// extended 8 in the high byte) and in FilterShortCut's, both ways.
unsigned short HotKeyToShortCut(WORD hot_key);
WORD ShortCutToHotKey(unsigned short shortcut);

}  // namespace vizmark
