#include "facedraw/window_discovery.h"

#include <cstring>

namespace vizmark {

std::atomic<HWND> g_host_main_window{nullptr};

namespace {

constexpr char kMainWindowClass[] = "TMailerForm";
constexpr char kHeaderPanelClass[] = "TAddressGrid";
constexpr char kMessageListClass[] = "TMessageListView";

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

std::shared_ptr<FaceOverlay> AttachFace(const Picture* picture) {
  // One attachment at a time, whichever thread asks, so a panel never gets two items.
  auto lock = OverlaySlots().Lock();
  if (OverlaySlots().Closed(lock)) return nullptr;

  HWND main_window = GetActiveWindow();
  if (main_window == nullptr) {
    main_window = FindTopLevel(kMainWindowClass);
    g_host_main_window = main_window;
  }
  if (main_window == nullptr) return nullptr;

  const HWND header = FindDescendant(main_window, kHeaderPanelClass);
  if (header == nullptr) return nullptr;
  if (auto item = OverlaySlots().FindByHeader(lock, header)) {
    // Attaching alone leaves the face the panel shows as it is.
    if (picture != nullptr && !item->SetPicture(picture)) return nullptr;
    return item;
  }

  const HWND list = FindDescendant(main_window, kMessageListClass);
  if (list == nullptr) return nullptr;
  auto item = std::make_shared<FaceOverlay>(header, list, picture);
  if (!item->HasPictureAsGiven() || !AddFaceOverlay(lock, item)) return nullptr;
  item->PaintFace();
  return item;
}

HWND FindHostMainWindowOfThread() {
  ClassSearch search{};
  std::strncpy(search.wanted, kMainWindowClass, sizeof search.wanted - 1);
  EnumThreadWindows(GetCurrentThreadId(), &MatchClassName, reinterpret_cast<LPARAM>(&search));
  if (search.found != nullptr) g_host_main_window = search.found;
  return search.found;
}

}  // namespace vizmark
