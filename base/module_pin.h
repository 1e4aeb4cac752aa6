// Keeping the module mapped for what remains of the process, whatever the host does later:
// for code of ours that could still run, or a frame of ours still on a stack, after the host
// unloads it.
#pragma once

#include <windows.h>

#include <atomic>

#include "base/trace.h"

namespace vizmark {

// True when pinned; `why` goes into the trace.
inline bool PinModule(const wchar_t* why) noexcept {
  HMODULE self = nullptr;
  if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                         reinterpret_cast<LPCWSTR>(&PinModule), &self)) {
    Trace(L"the module stays loaded", why);
    return true;
  }
  Trace(L"the module could not be pinned", why);
  return false;
}

// One call of our code running now, counted in `count` for its scope: while the count is
// above 0, a frame of ours is on some thread's stack.
class LiveFrame {
 public:
  explicit LiveFrame(std::atomic<int>& count) noexcept : count_(count) {
    count_.fetch_add(1, std::memory_order_acq_rel);
  }
  ~LiveFrame() { count_.fetch_sub(1, std::memory_order_acq_rel); }
  LiveFrame(const LiveFrame&) = delete;
  LiveFrame& operator=(const LiveFrame&) = delete;

 private:
  std::atomic<int>& count_;
};

}  // namespace vizmark
