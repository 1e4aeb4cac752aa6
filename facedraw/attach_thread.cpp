#include "facedraw/attach_thread.h"

#include <windows.h>

#include <mutex>
#include <utility>
#include <vector>

#include "base/trace.h"
#include "base/win_handles.h"
#include "facedraw/shortcut_replay.h"
#include "facedraw/window_discovery.h"

namespace vizmark {

namespace {

constexpr int kAttempts = 30;
constexpr DWORD kPauseMs = 2000;
// Stopping only ever waits for one AttachFace call to finish; this is a safety net.
constexpr DWORD kStopWaitMs = 10000;

// One run of the thread. The event is the thread's own: a thread that did not end in time
// keeps it, and a later start makes a new run beside it.
struct Run {
  UniqueHandle stop;
  UniqueHandle thread;
};

std::mutex g_lock;  // guards the runs
Run g_current;
std::vector<Run> g_late;  // stopped, but not yet ended when last waited for

// The replay after attaching happens only while the run has not been told to stop: the
// stop and the replay exclude each other.
std::mutex g_replay_lock;

void ReplayUnlessStopped(HANDLE stop, HWND list) {
  std::lock_guard<std::mutex> guard(g_replay_lock);
  if (WaitForSingleObject(stop, 0) == WAIT_TIMEOUT) ReplayFilterShortcut(list);
}

void Attach(HANDLE stop) {
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    if (WaitForSingleObject(stop, kPauseMs) != WAIT_TIMEOUT) return;
    if (const auto item = AttachFace(nullptr)) {
      ReplayUnlessStopped(stop, item->list());
      return;
    }
  }
}

DWORD WINAPI AttachThread(LPVOID stop_event) {
  try {
    Attach(static_cast<HANDLE>(stop_event));
  } catch (...) {
    Trace(L"the attaching thread failed");
  }
  // The thread holds its own reference to the module (taken in StartAttachThread), so the
  // code it is running cannot be unloaded under it.
  HMODULE self = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&AttachThread), &self);
  FreeLibraryAndExitThread(self, 1);
}

bool Running(const Run& run) {
  return run.thread && WaitForSingleObject(run.thread.get(), 0) == WAIT_TIMEOUT;
}

void ForgetEndedLocked() {
  std::erase_if(g_late, [](const Run& run) { return !Running(run); });
}

}  // namespace

void StartAttachThread() {
  std::lock_guard<std::mutex> guard(g_lock);
  ForgetEndedLocked();
  if (Running(g_current) && WaitForSingleObject(g_current.stop.get(), 0) == WAIT_TIMEOUT) return;
  if (Running(g_current)) g_late.push_back(std::move(g_current));
  g_current = Run{};
  UniqueHandle stop(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!stop) {
    Trace(L"no event for the attaching thread");
    return;
  }
  HMODULE self = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                          reinterpret_cast<LPCWSTR>(&AttachThread), &self))
    return;
  UniqueHandle thread(CreateThread(nullptr, 0, &AttachThread, stop.get(), 0, nullptr));
  if (!thread) {
    Trace(L"the attaching thread could not be started");
    FreeLibrary(self);
    return;
  }
  g_current = Run{std::move(stop), std::move(thread)};
}

void StopAttachThread() {
  std::lock_guard<std::mutex> guard(g_lock);
  if (g_current.stop) {
    std::lock_guard<std::mutex> replay(g_replay_lock);
    SetEvent(g_current.stop.get());
  }
  // Should the thread not end in time, its handles stay: it still waits on its event, and
  // its module reference keeps its code loaded.
  if (g_current.thread &&
      WaitForSingleObject(g_current.thread.get(), kStopWaitMs) != WAIT_OBJECT_0) {
    Trace(L"the attaching thread did not end in time");
    g_late.push_back(std::move(g_current));
  }
  g_current = Run{};
  ForgetEndedLocked();
}

}  // namespace vizmark
