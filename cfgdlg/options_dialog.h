// OptionsDialog: the configuration dialog. It tells, in Polish, how to set up the read-mail
// filter that shows faces, offers a ready-made filter to copy, and edits g_filter_shortcut.
#pragma once

#include <windows.h>

#include <string>

#include "base/win_handles.h"

namespace vizmark {

// How the options dialog is drawn: its pixels per inch and its font's face (0 and empty: the
// screen's, and MS Sans Serif where the system has it, else the system's message font).
struct OptionsDialogLook {
  int dpi = 0;
  std::wstring face;
};

class OptionsDialog {
 public:
  // Control identifiers (what GetDlgItem finds).
  enum Control : int {
    kOk = IDOK,
    kCancel = IDCANCEL,
    kFrame = 100,
    kShortcutLabel,
    kFacePicture,
    kHomePageLabel,
    kHomePageLink,
    kAuthorLabel,
    kAuthorLink,
    kHeading,
    kStep3,
    kShortcutBox,
    kFilterDefinition,
    kStep1,
    kStep2,
    kNote,
    kFaceMaker,
    kShowColourFaces,
  };

  // `parent`: the window the dialog is modal to; none for a dialog of its own.
  explicit OptionsDialog(HWND parent, OptionsDialogLook look = {});
  OptionsDialog(const OptionsDialog&) = delete;
  OptionsDialog& operator=(const OptionsDialog&) = delete;

  // Shows the dialog until OK (1) or Cancel (2); returns which (-1 when it cannot be made).
  // The owner is disabled meanwhile; the dialog opens centred on the owner's monitor (the
  // primary one without an owner), wholly inside its work area where it fits.
  INT_PTR ShowModal();

  // The shortcut box shows g_filter_shortcut, the colour faces' box g_show_colour_faces; OK
  // stores the boxes' settings there.
  void ShowShortcut();
  void SaveShortcut();
  // The two links: the home page, and a mail to the author.
  void OpenHomePage();
  void WriteToAuthor();
  // Opens the face maker over the dialog.
  void OpenFaceMaker();

 private:
  static INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM) noexcept;
  static INT_PTR HandleMessage(HWND, UINT, WPARAM, LPARAM);
  void CreateControls();
  void CreateFonts(std::wstring face);
  // Places the controls after their measured texts; returns the client area's size.
  SIZE Layout();
  // The size of a control's text in its font: on one line, or wrapped to `wrap_width`.
  SIZE MeasureText(int id, int wrap_width) const;
  void Place(int id, LONG left, LONG top, LONG width, LONG height) const;
  void DrawItem(const DRAWITEMSTRUCT& item);
  int Scale(int pixels) const { return MulDiv(pixels, dpi_, 96); }

  HWND parent_;
  HWND window_ = nullptr;
  int dpi_ = 96;
  UniqueHfont font_, bold_font_, link_font_, filter_font_;
  UniqueHbitmap face_picture_;
};

// Shows the options dialog modally to `owner` (none: a dialog of its own), or, while one is
// already shown (this call may come from inside its own modal loop, or from another thread),
// brings that one to the foreground instead. Runs on the host's thread.
void ShowOptionsDialog(HWND owner);

// Closes the options dialog, if one is shown, as Cancel would. Its modal loop, and the
// ShowOptionsDialog below it, are then still on a stack that has yet to return to them, so
// the module is kept loaded for good. Returns whether one was shown.
bool CloseOptionsDialog();

}  // namespace vizmark
