#include "facedraw/attach_thread.h"

#include <windows.h>

#include <mutex>
#include <utility>
#include <vector>

#include "base/module_thread.h"
#include "facedraw/shortcut_replay.h"
#include "facedraw/window_discovery.h"

namespace vizmark {

namespace {

constexpr int kAttempts = 30;
constexpr DWORD kPauseMs = 2000;
// Stopping only ever waits for one AttachFace call to finish; this is a safety net.
constexpr DWORD kStopWaitMs = 10000;

std::mutex g_lock;  // guards the runs
ModuleThread g_current;
std::vector<ModuleThread> g_late;  // stopped, but not yet ended when last waited for

// The replay after attaching happens only while the run has not been told to stop: the
// stop and the replay exclude each other.
std::mutex g_replay_lock;

void ReplayUnlessStopped(HANDLE stop, HWND list) {
  std::lock_guard<std::mutex> guard(g_replay_lock);
  if (WaitForSingleObject(stop, 0) == WAIT_TIMEOUT) ReplayFilterShortcut(list);
}

// One run: its stop event is its own, so a run that did not end in time keeps it, and a
// later start makes a new run beside it.
void Attach(HANDLE stop) {
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    if (WaitForSingleObject(stop, kPauseMs) != WAIT_TIMEOUT) return;
    if (const auto item = AttachFace(nullptr)) {
      ReplayUnlessStopped(stop, item->list());
      return;
    }
  }
}

void ForgetEndedLocked() {
  std::erase_if(g_late, [](const ModuleThread& run) { return !run.Running(); });
}

}  // namespace

void StartAttachThread() {
  std::lock_guard<std::mutex> guard(g_lock);
  ForgetEndedLocked();
  if (g_current.Running() && !g_current.StopRequested()) return;
  if (g_current.Running()) g_late.push_back(std::move(g_current));
  g_current = ModuleThread::Start(&Attach, L"the attaching thread");
}

void StopAttachThread() {
  std::lock_guard<std::mutex> guard(g_lock);
  {
    std::lock_guard<std::mutex> replay(g_replay_lock);
    g_current.RequestStop();
  }
  // Should the thread not end in time, its handles stay: it still waits on its event, and
  // its module reference keeps its code loaded.
  if (!g_current.WaitForEnd(kStopWaitMs)) g_late.push_back(std::move(g_current));
  g_current = ModuleThread{};
  ForgetEndedLocked();
}

}  // namespace vizmark
