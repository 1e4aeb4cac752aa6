// Finding the host's windows by class name, and attaching the face to its header panel.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>

#include "face/picture.h"
#include "facedraw/face_overlay.h"

namespace vizmark {

// The record MatchClassName fills during an enumeration.
struct ClassSearch {
  char wanted[256];
  HWND found;
};

// EnumWindows / EnumChildWindows callback: stops (FALSE) at the first window of this
// process whose class name is exactly `wanted`.
BOOL CALLBACK MatchClassName(HWND window, LPARAM search) noexcept;

// Whether `window` exists and belongs to this process (another copy of the client has
// windows of the same classes).
bool IsWindowOfThisProcess(HWND window);

// The host's main window found by the last search among top-level windows (or none);
// the configuration dialog's parent.
extern std::atomic<HWND> g_host_main_window;

// Shows `picture` on the host's header panel: updates the panel's item or creates one.
// Without a picture it only attaches: a new item is hidden, an existing one keeps its face.
// Returns the item, or none when the host's windows were not found, the overlay is closed,
// the table is full, the windows cannot be subclassed or the picture cannot be copied.
// `shown_header` is what the picture was read from, for the closer look.
std::shared_ptr<FaceOverlay> AttachFace(const Picture* picture, ShownHeader shown_header = {});
// The same for the one-bit face of `rows`, which is drawn straight into the item's picture.
std::shared_ptr<FaceOverlay> AttachFace(const FaceBitmapRows& rows, ShownHeader shown_header);

// The host's main window among the calling thread's top-level windows, which then becomes
// g_host_main_window; none when the thread has none.
HWND FindHostMainWindowOfThread();

// After CloseOverlay no item can be attached until OpenOverlay (start-up opens it).
void OpenOverlay();
void CloseOverlay();

}  // namespace vizmark
