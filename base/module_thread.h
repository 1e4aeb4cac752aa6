// A thread of the module's own, with a stop event of its own. From before it starts until its
// last instruction (FreeLibraryAndExitThread) the thread holds a reference to the module, so
// the code it runs cannot be unloaded under it, even when whoever started it gave up waiting.
#pragma once

#include <windows.h>

#include "base/win_handles.h"

namespace vizmark {

class ModuleThread {
 public:
  // What the thread runs, with its stop event (manual-reset). An exception that leaves it
  // is caught and traced.
  using Body = void (*)(HANDLE stop);

  ModuleThread() = default;
  // Starts `body`; `name` names the thread in traces ("the attaching thread"). Empty, and
  // traced, when the event, the module reference or the thread cannot be had.
  static ModuleThread Start(Body body, const wchar_t* name) noexcept;

  explicit operator bool() const noexcept { return static_cast<bool>(thread_); }
  HANDLE stop_event() const noexcept { return stop_.get(); }
  // Started and not ended yet.
  bool Running() const noexcept;
  // Told to stop (the event is set).
  bool StopRequested() const noexcept;
  void RequestStop() const noexcept;
  // Waits up to `timeout_ms` for the thread's end; false (traced) when it is still running:
  // the object then still owns its handles, which must be kept while it runs.
  bool WaitForEnd(DWORD timeout_ms) const noexcept;

 private:
  UniqueHandle stop_;
  UniqueHandle thread_;
  const wchar_t* name_ = L"a thread";
};

}  // namespace vizmark
