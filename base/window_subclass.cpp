#include "base/window_subclass.h"

#include <array>
#include <atomic>
#include <mutex>

#include "base/module_pin.h"
#include "base/trace.h"

namespace vizmark {

namespace {

// One window that carries our procedure. Readers (our procedure, on any window's thread)
// take no lock: a record is published by storing its window last, and a reader that found
// it checks the window again after reading the rest, so that a record given up and reused
// for another window meanwhile is never mistaken for its own. Writers hold Table::lock.
struct Record {
  std::atomic<HWND> window{nullptr};
  std::atomic<WNDPROC> next{nullptr};
  std::atomic<const SubclassBehaviour*> behaviour{nullptr};  // none: only passes on
  std::atomic<bool> unicode{false};
  int users = 0;  // under Table::lock
};

// Windows whose procedure was given back by a thread other than the window's own: a message
// that the window's thread had already dispatched to ours may still be entering it.
constexpr int kMaxUnsettled = 64;

struct Table {
  // A header panel and a list for each of the overlay's items, and room to spare.
  static constexpr int kRecords = 256;

  std::mutex lock;  // guards writes to the records and everything below
  std::array<Record, kRecords> records;
  std::atomic<int> in_use{0};  // records beyond this were never used: readers stop there
  std::array<HWND, kMaxUnsettled> unsettled{};
  int unsettled_count = 0;
  bool must_pin = false;  // a window's hand-back could not be followed up: pin at settling
  bool pinned = false;
};

Table& Subclasses() {
  static Table table;
  return table;
}

// Frames of our procedure that are running now, on every thread.
std::atomic<int> g_live_frames{0};

WNDPROC ProcOf(HWND window, bool unicode) {
  return reinterpret_cast<WNDPROC>(unicode ? GetWindowLongPtrW(window, GWLP_WNDPROC)
                                           : GetWindowLongPtrA(window, GWLP_WNDPROC));
}

WNDPROC SetProcOf(HWND window, bool unicode, WNDPROC proc) {
  const auto value = reinterpret_cast<LONG_PTR>(proc);
  return reinterpret_cast<WNDPROC>(unicode ? SetWindowLongPtrW(window, GWLP_WNDPROC, value)
                                           : SetWindowLongPtrA(window, GWLP_WNDPROC, value));
}

// The record of `window` for writers, under the table's lock.
Record* FindLocked(Table& table, HWND window) {
  const int used = table.in_use.load(std::memory_order_relaxed);
  for (int i = 0; i < used; ++i)
    if (table.records[i].window.load(std::memory_order_relaxed) == window) return &table.records[i];
  return nullptr;
}

Record* FreeRecordLocked(Table& table) {
  const int used = table.in_use.load(std::memory_order_relaxed);
  for (int i = 0; i < used; ++i)
    if (table.records[i].window.load(std::memory_order_relaxed) == nullptr)
      return &table.records[i];
  if (used == Table::kRecords) return nullptr;
  table.in_use.store(used + 1, std::memory_order_release);
  return &table.records[used];
}

void GiveUpLocked(Record& record) {
  record.users = 0;
  record.behaviour.store(nullptr, std::memory_order_relaxed);
  record.window.store(nullptr, std::memory_order_release);
}

void PinLocked(Table& table) {
  if (table.pinned) return;
  table.pinned = PinModule(L"code of its own may still run in a window procedure");
}

// What a message to `window` is passed on to, read without a lock.
struct Route {
  WNDPROC next = nullptr;
  const SubclassBehaviour* behaviour = nullptr;
  bool unicode = false;
};

bool FindRoute(HWND window, Route& route) {
  Table& table = Subclasses();
  const int used = table.in_use.load(std::memory_order_acquire);
  for (int i = 0; i < used; ++i) {
    Record& record = table.records[i];
    if (record.window.load(std::memory_order_acquire) != window) continue;
    route.next = record.next.load(std::memory_order_acquire);
    route.behaviour = record.behaviour.load(std::memory_order_acquire);
    route.unicode = record.unicode.load(std::memory_order_acquire);
    if (record.window.load(std::memory_order_acquire) == window && route.next != nullptr)
      return true;
  }
  return false;
}

template <typename Step>
void RunGuarded(Step step, HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  if (step == nullptr) return;
  try {
    step(window, message, wParam, lParam);
  } catch (...) {
    Trace(L"a window message's handling failed; the message went on to the host");
  }
}

bool TakenGuarded(const SubclassBehaviour& behaviour, HWND window, UINT message, WPARAM wParam,
                  LPARAM lParam) noexcept {
  if (behaviour.take == nullptr) return false;
  try {
    return behaviour.take(window, message, wParam, lParam);
  } catch (...) {
    Trace(L"a window message's handling failed; the message went on to the host");
    return false;
  }
}

}  // namespace

LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const LiveFrame frame(g_live_frames);
  Route route;
  if (!FindRoute(window, route)) {
    // Ours was taken off while this message was on its way: the window's procedure now is
    // the host's own.
    const bool unicode = IsWindowUnicode(window) != FALSE;
    const WNDPROC current = ProcOf(window, unicode);
    if (current != nullptr && current != &SubclassProc)
      return unicode ? CallWindowProcW(current, window, message, wParam, lParam)
                     : CallWindowProcA(current, window, message, wParam, lParam);
    return unicode ? DefWindowProcW(window, message, wParam, lParam)
                   : DefWindowProcA(window, message, wParam, lParam);
  }
  const SubclassBehaviour* behaviour = route.behaviour;
  const bool handled = behaviour != nullptr && message != 0 &&
                       (message == behaviour->messages[0] || message == behaviour->messages[1] ||
                        message == behaviour->messages[2]);
  if (handled && TakenGuarded(*behaviour, window, message, wParam, lParam)) return 0;
  if (handled) RunGuarded(behaviour->before, window, message, wParam, lParam);
  const LRESULT result = route.unicode
                             ? CallWindowProcW(route.next, window, message, wParam, lParam)
                             : CallWindowProcA(route.next, window, message, wParam, lParam);
  if (handled) RunGuarded(behaviour->after, window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    // The window is gone: whatever still names it names nothing.
    Table& table = Subclasses();
    std::lock_guard<std::mutex> guard(table.lock);
    if (Record* record = FindLocked(table, window)) GiveUpLocked(*record);
  }
  return result;
}

bool AttachSubclass(HWND window, const SubclassBehaviour* behaviour) {
  if (window == nullptr || behaviour == nullptr) return false;
  Table& table = Subclasses();
  std::lock_guard<std::mutex> guard(table.lock);
  if (Record* record = FindLocked(table, window)) {
    const SubclassBehaviour* current = record->behaviour.load(std::memory_order_relaxed);
    if (current != nullptr && current != behaviour) return false;
    record->behaviour.store(behaviour, std::memory_order_release);
    ++record->users;
    return true;
  }
  if (!IsWindow(window)) return false;
  const bool unicode = IsWindowUnicode(window) != FALSE;
  const WNDPROC before = ProcOf(window, unicode);
  if (before == nullptr || before == &SubclassProc) return false;
  Record* record = FreeRecordLocked(table);
  if (record == nullptr) {
    Trace(L"no room to subclass another window");
    return false;
  }
  // Everything a reader needs is in place before the window is named, and the window is
  // named before our procedure can be called.
  record->next.store(before, std::memory_order_relaxed);
  record->unicode.store(unicode, std::memory_order_relaxed);
  record->behaviour.store(behaviour, std::memory_order_relaxed);
  record->users = 1;
  record->window.store(window, std::memory_order_release);
  SetLastError(ERROR_SUCCESS);
  const WNDPROC replaced = SetProcOf(window, unicode, &SubclassProc);
  if (replaced == nullptr && GetLastError() != ERROR_SUCCESS) {
    Trace(L"a window could not be subclassed");
    GiveUpLocked(*record);
    return false;
  }
  // Another thread changed the procedure between reading and replacing it.
  if (replaced != nullptr && replaced != before)
    record->next.store(replaced, std::memory_order_release);
  return true;
}

void DetachSubclass(HWND window) {
  Table& table = Subclasses();
  std::lock_guard<std::mutex> guard(table.lock);
  Record* record = FindLocked(table, window);
  if (record == nullptr || --record->users > 0) return;
  record->users = 0;
  record->behaviour.store(nullptr, std::memory_order_release);
  if (!IsWindow(window)) {
    GiveUpLocked(*record);
    return;
  }
  const bool unicode = record->unicode.load(std::memory_order_relaxed);
  if (ProcOf(window, unicode) != &SubclassProc) {
    // Someone subclassed on top of ours: taking ours out would cut them off from the host's
    // procedure. Ours stays and passes every message on, so the module must stay too.
    Trace(L"another subclass sits on top of ours: ours stays as a pass-through");
    PinLocked(table);
    return;
  }
  SetProcOf(window, unicode, record->next.load(std::memory_order_relaxed));
  GiveUpLocked(*record);
  if (GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) {
    if (table.unsettled_count < kMaxUnsettled)
      table.unsettled[table.unsettled_count++] = window;
    else
      table.must_pin = true;
  }
}

bool SettleSubclasses() {
  Table& table = Subclasses();
  std::array<HWND, kMaxUnsettled> unsettled{};
  int count = 0;
  bool must_pin = false;
  {
    std::lock_guard<std::mutex> guard(table.lock);
    unsettled = table.unsettled;
    count = table.unsettled_count;
    table.unsettled_count = 0;
    must_pin = table.must_pin;
    table.must_pin = false;
  }
  // A window's thread that answers a message has left whatever message it was dispatching:
  // one that was entering our procedure then is either done or counted as a live frame.
  constexpr UINT kAnswerWithinMs = 1000;
  for (int i = 0; i < count; ++i) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(unsettled[i], WM_NULL, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                             kAnswerWithinMs, &answer) &&
        IsWindow(unsettled[i]))
      must_pin = true;
  }
  std::lock_guard<std::mutex> guard(table.lock);
  const int used = table.in_use.load(std::memory_order_relaxed);
  for (int i = 0; i < used; ++i)
    if (table.records[i].window.load(std::memory_order_relaxed) != nullptr) must_pin = true;
  if (g_live_frames.load(std::memory_order_acquire) > 0) must_pin = true;
  if (must_pin) PinLocked(table);
  return table.pinned;
}

}  // namespace vizmark
