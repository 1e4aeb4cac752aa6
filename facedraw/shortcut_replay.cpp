#include "facedraw/shortcut_replay.h"

#include <mutex>
#include <utility>
#include <vector>

#include "base/module_thread.h"
#include "base/trace.h"
#include "shortcut/filter_shortcut.h"
#include "shortcut/key_events.h"

namespace vizmark {

namespace {

// How often the sending thread looks at the foreground window and the modifier keys. Polling
// needs nothing but a wait on the thread's stop event, which also ends it at once; a WinEvent
// hook would need a message loop on the thread and still no word about the keys. The thread
// exists only while a replay waits, and 50 ms is below what a user notices.
constexpr DWORD kPollMs = 50;
// A replay waits this long for the user to let go of a modifier key, counted from the latest
// request (or from the list's window coming back to the foreground), then is dropped. Extending
// a selection with Shift and the arrows asks again at each move, so a replay follows the last
// one; a key held still longer is doing something else, where the filter's shortcut, arriving
// at its release, would come as a surprise.
constexpr ULONGLONG kHeldLimitMs = 5000;
// Stopping waits for one look, or one SendInput call, to finish; this is a safety net.
constexpr DWORD kStopWaitMs = 10000;

std::mutex g_lock;  // guards everything below
bool g_refused = false;
bool g_pending = false;
HWND g_list = nullptr;
ULONGLONG g_since = 0;   // the latest request, or the list's window's return to the foreground
bool g_serving = false;  // g_current's thread runs and will see the next request
// The sending thread. Its stop event is its own: a thread that did not end in time when
// stopped keeps it, and a later one is made beside it.
ModuleThread g_current;
std::vector<ModuleThread> g_late;  // stopped, or done, but not yet seen ended

bool ModifierHeld() {
  for (int key : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LWIN, VK_RWIN})
    if (GetAsyncKeyState(key) < 0) return true;
  return false;
}

bool Stopped(HANDLE stop) { return WaitForSingleObject(stop, 0) != WAIT_TIMEOUT; }

void Serve(HANDLE stop) {
  for (;;) {
    HWND list;
    ULONGLONG since;
    {
      std::lock_guard<std::mutex> guard(g_lock);
      // A stopped thread no longer speaks for g_serving: a newer one may.
      if (Stopped(stop)) return;
      if (!g_pending) {
        g_serving = false;
        return;
      }
      list = g_list;
      since = g_since;
    }
    const HWND window = GetAncestor(list, GA_ROOT);
    const bool in_front = window != nullptr && GetForegroundWindow() == window && !IsIconic(window);
    if (in_front && !ModifierHeld()) {
      bool send = false;
      {
        std::lock_guard<std::mutex> guard(g_lock);
        if (Stopped(stop)) return;
        send = g_pending && g_list == list;
        if (send) g_pending = false;
      }
      if (send) SendShortcutKeys(g_filter_shortcut.load());
      continue;
    }
    {
      std::lock_guard<std::mutex> guard(g_lock);
      if (Stopped(stop)) return;
      if (g_pending && g_list == list) {
        if (!IsWindow(list)) {
          g_pending = false;
          Trace(L"a replay was dropped: the message list is gone");
        } else if (!in_front) {
          g_since = GetTickCount64();
        } else if (GetTickCount64() - since >= kHeldLimitMs) {
          g_pending = false;
          Trace(L"a replay was dropped: a modifier key stayed down");
        }
      }
    }
    if (WaitForSingleObject(stop, kPollMs) != WAIT_TIMEOUT) return;
  }
}

void SendWhenTheListIsInFront(HANDLE stop) {
  try {
    Serve(stop);
  } catch (...) {
    Trace(L"the replaying thread failed");
    try {
      std::lock_guard<std::mutex> guard(g_lock);
      if (!Stopped(stop)) g_pending = g_serving = false;
    } catch (...) {
    }
  }
}

// With g_lock held: a thread that will see g_pending.
bool StartSenderLocked() {
  std::erase_if(g_late, [](const ModuleThread& sender) { return !sender.Running(); });
  if (g_current) g_late.push_back(std::move(g_current));
  g_current = ModuleThread::Start(&SendWhenTheListIsInFront, L"the replaying thread");
  return static_cast<bool>(g_current);
}

}  // namespace

void ReplayFilterShortcut(HWND list) {
  if (list == nullptr || g_filter_shortcut.load() == 0) return;
  std::lock_guard<std::mutex> guard(g_lock);
  if (g_refused) return;
  g_pending = true;
  g_list = list;
  g_since = GetTickCount64();
  if (g_serving) return;
  g_serving = StartSenderLocked();
  if (!g_serving) g_pending = false;
}

bool SendShortcutKeys(uint16_t shortcut) {
  std::vector<INPUT> inputs;
  for (const KeyEvent& event : ShortcutKeyEvents(shortcut)) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = event.virtual_key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(event.virtual_key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags =
        (event.release ? KEYEVENTF_KEYUP : 0) | (event.extended ? KEYEVENTF_EXTENDEDKEY : 0);
    inputs.push_back(input);
  }
  if (inputs.empty()) return true;
  const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  if (sent == inputs.size()) return true;
  Trace(L"the system did not take the shortcut's keys");
  return false;
}

void AllowShortcutReplay() {
  std::lock_guard<std::mutex> guard(g_lock);
  g_refused = false;
}

void StopShortcutReplay() {
  // Told to stop, a thread ends without touching anything here again: it looks at its stop
  // event whenever it holds g_lock. The waits are made without the lock, which the threads
  // take on their way out; refused, no request makes a thread meanwhile.
  std::vector<ModuleThread> senders;
  {
    std::lock_guard<std::mutex> guard(g_lock);
    g_refused = true;
    g_pending = false;
    g_serving = false;
    if (g_current) g_late.push_back(std::move(g_current));
    g_current = ModuleThread{};
    senders = std::move(g_late);
    g_late.clear();
  }
  for (const ModuleThread& sender : senders) sender.RequestStop();
  std::vector<ModuleThread> late;
  for (ModuleThread& sender : senders) {
    // Still running, it keeps its handles; its module reference keeps its code loaded.
    if (!sender.WaitForEnd(kStopWaitMs)) late.push_back(std::move(sender));
  }
  std::lock_guard<std::mutex> guard(g_lock);
  for (ModuleThread& sender : late) g_late.push_back(std::move(sender));
}

bool ShortcutReplayBusy() {
  std::lock_guard<std::mutex> guard(g_lock);
  return g_pending || g_serving;
}

}  // namespace vizmark
