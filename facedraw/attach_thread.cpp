#include "facedraw/attach_thread.h"

#include <windows.h>

#include <mutex>

#include "facedraw/shortcut_replay.h"
#include "facedraw/window_discovery.h"
#include "plugin/win_handles.h"

namespace vizmark {

namespace {

constexpr int kAttempts = 30;
constexpr DWORD kPauseMs = 2000;
// Stopping only ever waits for one AttachFace call to finish; this is a safety net.
constexpr DWORD kStopWaitMs = 10000;

std::mutex g_lock;  // guards the two handles
UniqueHandle g_stop;
UniqueHandle g_thread;

DWORD WINAPI AttachThread(LPVOID stop_event) {
  const auto stop = static_cast<HANDLE>(stop_event);
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    if (WaitForSingleObject(stop, kPauseMs) != WAIT_TIMEOUT) break;
    if (AttachFace(nullptr)) {
      ReplayFilterShortCut();
      break;
    }
  }
  // The thread holds its own reference to the module (taken in StartAttachThread), so the
  // code it is running cannot be unloaded under it.
  HMODULE self = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&AttachThread), &self);
  FreeLibraryAndExitThread(self, 1);
}

}  // namespace

void StartAttachThread() {
  std::lock_guard<std::mutex> guard(g_lock);
  if (g_thread && WaitForSingleObject(g_thread.get(), 0) == WAIT_TIMEOUT) return;
  g_thread.reset();
  g_stop.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!g_stop) return;
  HMODULE self = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                          reinterpret_cast<LPCWSTR>(&AttachThread), &self))
    return;
  g_thread.reset(CreateThread(nullptr, 0, &AttachThread, g_stop.get(), 0, nullptr));
  if (!g_thread) FreeLibrary(self);
}

void StopAttachThread() {
  std::lock_guard<std::mutex> guard(g_lock);
  if (g_stop) SetEvent(g_stop.get());
  // Should the thread not end in time, both handles stay: it still waits on the event,
  // and its module reference keeps its code loaded.
  if (g_thread && WaitForSingleObject(g_thread.get(), kStopWaitMs) != WAIT_OBJECT_0) return;
  g_thread.reset();
  g_stop.reset();
}

}  // namespace vizmark
