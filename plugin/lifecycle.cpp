#include "plugin/lifecycle.h"

#include "base/window_subclass.h"
#include "cfgdlg/config_dlg.h"
#include "cfgdlg/settings_store.h"
#include "face/face_bitmap.h"
#include "facedraw/attach_thread.h"
#include "facedraw/face_item.h"
#include "facedraw/shortcut_replay.h"
#include "facedraw/window_discovery.h"

namespace vizmark {

HMODULE g_module = nullptr;

void StartUp() {
  // 1. The face bitmap (a message box when it cannot be made).
  if (!InitFaceBitmap()) MessageBoxA(nullptr, "Error creating DIB section", "Vizmark", MB_OK);
  // 2. The stored shortcut.
  LoadFilterShortCut();
  // 3. The thread that attaches to the host's windows.
  OpenOverlay();
  AllowShortCutReplay();
  StartAttachThread();
}

void ShutDown() {
  // 1. Save the shortcut.
  SaveFilterShortCut();
  // 2. Take the face off every header panel and give the host its window procedures back.
  //    The attaching thread has ended before, and nothing attaches after; no replay of the
  //    shortcut waits or starts after.
  StopAttachThread();
  StopShortCutReplay();
  CloseOverlay();
  RemoveAllFaces();
  // 3. Once the host unloads the module, none of its code may run again: where some still
  //    might (the host shut us down from inside one of our window procedures, or another
  //    thread is in one), the module stays loaded.
  SettleSubclasses();
}

int32_t RunSetup() {
  // The configuration dialog, modal, parented to the host's main window (none when it has
  // not been found).
  TConfigDlg dialog(HostMainWindow.load());
  dialog.ShowModal();
  return 0;
}

}  // namespace vizmark
