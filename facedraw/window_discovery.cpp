#include "facedraw/window_discovery.h"

#include <cstring>
#include <utility>

namespace vizmark {

std::atomic<HWND> g_host_main_window{nullptr};

namespace {

constexpr char kMainWindowClass[] = "TMailerForm";
constexpr char kHeaderPanelClass[] = "TAddressGrid";
constexpr char kMessageListClass[] = "TMessageListView";
// How far up a chain of owners the header panel is looked for.
constexpr int kMostOwners = 8;

HWND FindTopLevel(const char* class_name) {
  ClassSearch search{};
  std::strncpy(search.wanted, class_name, sizeof search.wanted - 1);
  EnumWindows(&MatchClassName, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Any descendant, not only a direct child.
HWND FindDescendant(HWND parent, const char* class_name) {
  ClassSearch search{};
  std::strncpy(search.wanted, class_name, sizeof search.wanted - 1);
  EnumChildWindows(parent, &MatchClassName, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

bool IsWindowOfThisProcess(HWND window) {
  DWORD process = 0;
  return window != nullptr && GetWindowThreadProcessId(window, &process) != 0 &&
         process == GetCurrentProcessId();
}

BOOL CALLBACK MatchClassName(HWND window, LPARAM search_param) noexcept {
  auto* search = reinterpret_cast<ClassSearch*>(search_param);
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  if (std::strncmp(name, search->wanted, sizeof name) != 0) return TRUE;
  if (!IsWindowOfThisProcess(window)) return TRUE;
  search->found = window;
  return FALSE;
}

void OpenOverlay() {
  auto lock = OverlaySlots().Lock();
  OverlaySlots().Open(lock);
}

void CloseOverlay() {
  // Taking the lock orders this after any attachment already under way.
  auto lock = OverlaySlots().Lock();
  OverlaySlots().Close(lock);
}

namespace {

// What AttachFace shows: a picture, the rows of a face, or nothing.
struct GivenFace {
  const Picture* picture = nullptr;
  const FaceBitmapRows* rows = nullptr;
  ShownHeader shown_header;
};

struct Panel {
  std::shared_ptr<FaceOverlay> item;  // its item, if it has one
  HWND header = nullptr;              // none: the window holds no header panel
};

Panel PanelOf(const OverlayTable::Locked& lock, HWND window) {
  // A panel of this window that already has an item is the one: the client's main window
  // holds one header panel, and looking it up among the window's descendants again costs
  // more than all the rest of showing a face.
  for (auto& existing : OverlaySlots().Items(lock))
    if (const HWND header = existing->header(); IsChild(window, header))
      return {std::move(existing), header};
  return {nullptr, FindDescendant(window, kHeaderPanelClass)};
}

std::shared_ptr<FaceOverlay> Attach(GivenFace given) {
  // One attachment at a time, whichever thread asks, so a panel never gets two items.
  auto lock = OverlaySlots().Lock();
  if (OverlaySlots().Closed(lock)) return nullptr;

  // The window whose header panel shows the face: the thread's active window (the client's
  // main window, or another of its windows that shows a message); with none active, the
  // client's main window.
  HWND main_window = GetActiveWindow();
  if (main_window == nullptr) {
    main_window = FindTopLevel(kMainWindowClass);
    g_host_main_window = main_window;
  }
  if (main_window == nullptr) return nullptr;
  Panel panel = PanelOf(lock, main_window);
  // One of the client's dialogs, or our closer look, is in front: the panel is in a window
  // that owns it, or else (the client's windows all owned by a hidden one of its own) in the
  // client's main window.
  HWND owner = main_window;
  for (int depth = 0; panel.header == nullptr && depth < kMostOwners; ++depth) {
    owner = GetWindow(owner, GW_OWNER);
    if (owner == nullptr) break;
    main_window = owner;
    panel = PanelOf(lock, owner);
  }
  if (panel.header == nullptr) {
    const HWND found = FindTopLevel(kMainWindowClass);
    if (found != nullptr && found != main_window) {
      main_window = found;
      panel = PanelOf(lock, found);
    }
  }
  const HWND header = panel.header;
  if (header == nullptr) return nullptr;
  std::shared_ptr<FaceOverlay> item = std::move(panel.item);
  if (!item) item = OverlaySlots().FindByHeader(lock, header);
  if (item) {
    // Attaching alone leaves the face the panel shows as it is.
    if (given.rows != nullptr && !item->SetFaceRows(*given.rows, std::move(given.shown_header)))
      return nullptr;
    if (given.picture != nullptr && !item->SetPicture(given.picture, std::move(given.shown_header)))
      return nullptr;
    lock.unlock();
    item->PaintPending();
    return item;
  }

  const HWND list = FindDescendant(main_window, kMessageListClass);
  if (list == nullptr) return nullptr;
  // A new item copies its picture: the rows are drawn into one for it first.
  Picture drawn;
  if (given.rows != nullptr) {
    if (!drawn.SetFaceRows(*given.rows)) return nullptr;
    given.picture = &drawn;
  }
  item = std::make_shared<FaceOverlay>(header, list, given.picture, std::move(given.shown_header));
  if (!item->HasPictureAsGiven() || !AddFaceOverlay(lock, item)) return nullptr;
  item->PaintFace();
  return item;
}

}  // namespace

std::shared_ptr<FaceOverlay> AttachFace(const Picture* picture, ShownHeader shown_header) {
  return Attach({picture, nullptr, std::move(shown_header)});
}

std::shared_ptr<FaceOverlay> AttachFace(const FaceBitmapRows& rows, ShownHeader shown_header) {
  return Attach({nullptr, &rows, std::move(shown_header)});
}

HWND FindHostMainWindowOfThread() {
  ClassSearch search{};
  std::strncpy(search.wanted, kMainWindowClass, sizeof search.wanted - 1);
  EnumThreadWindows(GetCurrentThreadId(), &MatchClassName, reinterpret_cast<LPARAM>(&search));
  if (search.found != nullptr) g_host_main_window = search.found;
  return search.found;
}

}  // namespace vizmark
