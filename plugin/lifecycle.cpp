#include "plugin/lifecycle.h"

namespace vizmark {

HMODULE g_module = nullptr;

void StartUp() {
  // 1. The face bitmap (a message box when it cannot be made).
  // 2. The stored shortcut.
  // 3. The thread that attaches to the host's windows.
}

void ShutDown() {
  // 1. Save the shortcut.
  // 2. Take the face off every header panel and give the host its window procedures back.
}

int32_t RunSetup() {
  // The configuration dialog, modal, parented to the host's main window.
  return 0;
}

}  // namespace vizmark
