#include "base/module_thread.h"

#include <new>

#include "base/trace.h"

namespace vizmark {

namespace {

struct StartRecord {
  ModuleThread::Body body;
  HANDLE stop;
  const wchar_t* name;
};

DWORD WINAPI RunModuleThread(LPVOID parameter) {
  const StartRecord record = *static_cast<StartRecord*>(parameter);
  delete static_cast<StartRecord*>(parameter);
  try {
    record.body(record.stop);
  } catch (...) {
    Trace(L"a thread ended with a failure", record.name);
  }
  // The reference taken by Start; nothing of the module runs after this call.
  HMODULE self = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&RunModuleThread), &self);
  FreeLibraryAndExitThread(self, 0);
}

}  // namespace

ModuleThread ModuleThread::Start(Body body, const wchar_t* name) noexcept {
  ModuleThread started;
  started.name_ = name;
  started.stop_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!started.stop_) {
    Trace(L"no stop event for a thread", name);
    return {};
  }
  HMODULE self = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                          reinterpret_cast<LPCWSTR>(&RunModuleThread), &self)) {
    Trace(L"no module reference for a thread", name);
    return {};
  }
  auto* record = new (std::nothrow) StartRecord{body, started.stop_.get(), name};
  if (record != nullptr)
    started.thread_.reset(CreateThread(nullptr, 0, &RunModuleThread, record, 0, nullptr));
  if (!started.thread_) {
    Trace(L"a thread could not be started", name);
    delete record;
    FreeLibrary(self);
    return {};
  }
  return started;
}

bool ModuleThread::Running() const noexcept {
  return thread_ && WaitForSingleObject(thread_.get(), 0) == WAIT_TIMEOUT;
}

bool ModuleThread::StopRequested() const noexcept {
  return stop_ && WaitForSingleObject(stop_.get(), 0) != WAIT_TIMEOUT;
}

void ModuleThread::RequestStop() const noexcept {
  if (stop_) SetEvent(stop_.get());
}

bool ModuleThread::WaitForEnd(DWORD timeout_ms) const noexcept {
  if (!thread_ || WaitForSingleObject(thread_.get(), timeout_ms) == WAIT_OBJECT_0) return true;
  Trace(L"a thread did not end in time", name_);
  return false;
}

}  // namespace vizmark
