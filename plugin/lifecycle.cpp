#include "plugin/lifecycle.h"

#include "base/window_subclass.h"
#include "cfgdlg/options_dialog.h"
#include "cfgdlg/settings_store.h"
#include "face/face_bitmap.h"
#include "facedraw/attach_thread.h"
#include "facedraw/face_closeup.h"
#include "facedraw/face_overlay.h"
#include "facedraw/shortcut_replay.h"
#include "facedraw/window_discovery.h"

namespace vizmark {

HMODULE g_module = nullptr;

void StartUp() {
  // 1. The face bitmap (a message box when it cannot be made).
  if (!InitFaceBitmap()) MessageBoxA(nullptr, "Error creating DIB section", "Vizmark", MB_OK);
  // 2. The stored settings.
  LoadFilterShortcut();
  LoadShowColourFaces();
  // 3. The thread that attaches to the host's windows.
  OpenOverlay();
  AllowFaceCloseups();
  AllowShortcutReplay();
  StartAttachThread();
}

void ShutDown() {
  // 0. An options dialog still open (the host removes the plug-in from inside its loop, or
  //    from another thread) closes as Cancel would.
  CloseOptionsDialog();
  //    So does the closer look of a face, and no other opens.
  StopFaceCloseups();
  // 1. Save the settings.
  SaveFilterShortcut();
  SaveShowColourFaces();
  // 2. Take the face off every header panel and give the host its window procedures back.
  //    The attaching thread has ended before, and nothing attaches after; no replay of the
  //    shortcut waits or starts after.
  StopAttachThread();
  StopShortcutReplay();
  CloseOverlay();
  RemoveAllFaces();
  // 3. Once the host unloads the module, none of its code may run again: where some still
  //    might (the host shut us down from inside one of our window procedures, or another
  //    thread is in one), the module stays loaded.
  SettleSubclasses();
}

namespace {

// The window the options dialog is modal to: the host's main window as last found, while it
// still exists and is the host's; else one of that class among the calling thread's windows
// (the host made its main window again), which is remembered; else the thread's active
// window; else none.
HWND DialogOwner() {
  const HWND remembered = g_host_main_window.load();
  if (IsWindowOfThisProcess(remembered)) return remembered;
  if (const HWND found = FindHostMainWindowOfThread()) return found;
  return GetActiveWindow();
}

}  // namespace

int32_t RunSetup() {
  ShowOptionsDialog(DialogOwner());
  return 0;
}

}  // namespace vizmark
