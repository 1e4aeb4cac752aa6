// Answering the system's file dialogs as a user would: for the demo and the tests, which drive
// the plug-in's windows from outside.
#pragma once

#include <windows.h>

#include <string>

namespace hostsim {

// The visible dialog (window class #32770) that `owner` owns, or null. Any thread may ask.
HWND FindDialogOwnedBy(HWND owner);

// Types `path` into the file dialog's file name box and presses its OK button (the button's
// click, posted as the dialog's own loop gets it). False when the dialog has no file name box.
bool AnswerFileDialog(HWND dialog, const std::wstring& path);

}  // namespace hostsim
