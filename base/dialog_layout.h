// What the plug-in's dialogs share: an in-memory template whose controls are made when the
// dialog starts, controls placed after their measured texts, and the window sized for its
// client area and put over its owner.
#pragma once

#include <windows.h>

#include <vector>

namespace vizmark {

// A dialog of `style` and `extended_style` with no controls, no menu, the standard dialog
// class and an empty title (set later): the template and three zero words.
std::vector<WORD> EmptyDialogTemplate(DWORD style, DWORD extended_style);

// The size `control`'s text takes in the control's own font, drawn as DrawText draws it with
// `flags`, wrapped to `wrap_width` when that is more than 0, else on one line. An empty text
// measures as a space: a line's height.
SIZE MeasureControlText(HWND control, int wrap_width, UINT flags);

// Moves the dialog's control `id` to that place and size.
void PlaceControl(HWND dialog, int id, LONG left, LONG top, LONG width, LONG height);

// The window's size for a client area of `client`, with its own frame.
SIZE FrameSizeForClient(HWND window, SIZE client);

// The work area of the owner's monitor (the primary monitor's without an owner).
RECT WorkAreaOf(HWND owner);

// Where a window of `size` goes: centred over `owner`, kept inside the work area of the
// owner's monitor where it fits (the primary monitor's without an owner).
POINT CentredOverOwner(HWND owner, SIZE size);

}  // namespace vizmark
