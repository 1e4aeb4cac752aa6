#include "facedraw/face_item.h"

#include <utility>

#include "facedraw/shortcut_replay.h"
#include "plugin/lifecycle.h"
#include "plugin/win_handles.h"

namespace vizmark {

namespace {

constexpr UINT_PTR kHideTimer = 10;
constexpr UINT_PTR kReplayTimer = 11;
constexpr int kFaceSize = 48;
constexpr int kFaceMargin = 4;

// Windows where another subclass was put on top of ours before we could leave: our
// procedure stays there as a pass-through to the host's for the rest of the process.
struct PassThrough {
  HWND window;
  WNDPROC next;
};
std::vector<PassThrough>& PassThroughs() {
  static std::vector<PassThrough> list;
  return list;
}

WNDPROC CurrentProc(HWND window) {
  return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
}

void Install(HWND window, WNDPROC ours, std::atomic<WNDPROC>& saved) {
  // The predecessor is stored before our procedure can receive anything.
  const WNDPROC before = CurrentProc(window);
  if (before == nullptr || before == ours) return;
  saved = before;
  const auto replaced = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ours)));
  if (replaced != nullptr && replaced != before) saved = replaced;
}

void Restore(HWND window, WNDPROC ours, WNDPROC saved) {
  if (saved == nullptr) return;
  if (CurrentProc(window) == ours) {
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(saved));
    return;
  }
  if (!IsWindow(window)) return;
  // Someone subclassed on top of us: taking ours out would cut them off from the host's
  // procedure. Stay as a pass-through, and keep the module loaded for it.
  auto lock = OverlaySlots().Lock();
  PassThroughs().push_back({window, saved});
  HMODULE pinned = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                     reinterpret_cast<LPCWSTR>(&HeaderWndProc), &pinned);
}

WNDPROC FindPassThrough(const OverlayTable::Locked&, HWND window) {
  for (const PassThrough& p : PassThroughs())
    if (p.window == window) return p.next;
  return nullptr;
}

// Where a message to one of our procedures goes on to, found under the table's lock and
// called without it.
struct Route {
  std::shared_ptr<TFaceItem> item;  // none when no item claims the window
  WNDPROC next = nullptr;           // none: the default procedure
};

template <typename Find, typename Saved>
Route RouteFor(HWND window, WNDPROC ours, Find find, Saved saved) {
  Route route;
  auto lock = OverlaySlots().Lock();
  route.item = find(lock, window);
  if (route.item) route.next = saved(*route.item);
  if (route.next != nullptr) return route;
  route.item.reset();
  route.next = FindPassThrough(lock, window);
  if (route.next != nullptr) return route;
  // Not ours any more (the item went while this message was on its way): the window's
  // procedure now is the host's own.
  const WNDPROC current = CurrentProc(window);
  if (current != ours) route.next = current;
  return route;
}

LRESULT Forward(const Route& route, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (route.next == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  return CallWindowProcA(route.next, window, message, wParam, lParam);
}

}  // namespace

TFaceItem::TFaceItem(HWND header, HWND list, const TBitmap* picture)
    : header_(header), list_(list) {
  if (picture != nullptr) {
    picture_.Assign(picture);
    show_ = true;
  }
}

TFaceItem::~TFaceItem() = default;

void TFaceItem::SetPicture(const TBitmap* picture) {
  {
    std::lock_guard<std::mutex> guard(picture_lock_);
    picture_.Assign(picture);
    show_ = true;
  }
  PaintFace();
}

void TFaceItem::PaintFace() {
  std::lock_guard<std::mutex> guard(picture_lock_);
  if (header_ == nullptr || !show_) return;
  const HBITMAP picture = picture_.Handle();
  if (picture == nullptr) return;

  WindowDc panel(header_);
  if (panel.get() == nullptr) return;
  UniqueHdc memory(CreateCompatibleDC(panel.get()));
  SelectedObject selected(memory.get(), picture);
  RECT client{};
  GetClientRect(header_, &client);
  const int width = client.right;
  face_rect_ = {width - kFaceSize - kFaceMargin, kFaceMargin, width - kFaceMargin,
                kFaceMargin + kFaceSize};
  // AND: black face pixels show, white ones leave the panel as the host drew it.
  BitBlt(panel.get(), face_rect_.left, face_rect_.top, kFaceSize, kFaceSize, memory.get(), 0, 0,
         SRCAND);
}

void TFaceItem::HideFace() {
  {
    std::lock_guard<std::mutex> guard(picture_lock_);
    show_ = false;
  }
  InvalidateRect(header_, nullptr, TRUE);
}

bool TFaceItem::Showing() const {
  std::lock_guard<std::mutex> guard(picture_lock_);
  return show_;
}

RECT TFaceItem::FaceRect() const {
  std::lock_guard<std::mutex> guard(picture_lock_);
  return face_rect_;
}

void TFaceItem::Subclass() {
  Install(header_, &HeaderWndProc, saved_header_);
  Install(list_, &ListWndProc, saved_list_);
}

void TFaceItem::Unsubclass() {
  Restore(header_, &HeaderWndProc, saved_header_.load());
  Restore(list_, &ListWndProc, saved_list_.load());
}

std::shared_ptr<TFaceItem> OverlayTable::FindByHeader(const Locked&, HWND header) const {
  for (const auto& item : slots_)
    if (item && item->header() == header) return item;
  return nullptr;
}

std::shared_ptr<TFaceItem> OverlayTable::FindByList(const Locked&, HWND list) const {
  for (const auto& item : slots_)
    if (item && item->list() == list) return item;
  return nullptr;
}

int OverlayTable::AddItem(const Locked&, std::shared_ptr<TFaceItem> item) {
  for (int i = 0; i < kSlots; ++i) {
    if (!slots_[i]) {
      slots_[i] = std::move(item);
      return i;
    }
  }
  return -1;
}

int OverlayTable::RemoveItem(const Locked&, const TFaceItem* item) {
  for (int i = 0; i < kSlots; ++i) {
    if (slots_[i].get() == item) {
      slots_[i].reset();
      return i;
    }
  }
  return -1;
}

std::vector<std::shared_ptr<TFaceItem>> OverlayTable::Items(const Locked&) const {
  std::vector<std::shared_ptr<TFaceItem>> items;
  for (const auto& item : slots_)
    if (item) items.push_back(item);
  return items;
}

OverlayTable& OverlaySlots() {
  static OverlayTable table;
  return table;
}

void DestroyFaceItem(const std::shared_ptr<TFaceItem>& item) {
  // The panel's destruction and the module's shut-down may both get here; one does it.
  if (item->MarkDestroyed()) return;
  // The host's procedures go back first, so that a message already on its way to ours
  // still finds the item, and one after it goes straight to the host.
  item->Unsubclass();
  {
    auto lock = OverlaySlots().Lock();
    OverlaySlots().RemoveItem(lock, item.get());
  }
  InvalidateRect(item->header(), nullptr, TRUE);
}

void RemoveAllFaces() {
  std::vector<std::shared_ptr<TFaceItem>> items;
  {
    auto lock = OverlaySlots().Lock();
    items = OverlaySlots().Items(lock);
  }
  for (const auto& item : items) DestroyFaceItem(item);
}

LRESULT CALLBACK HeaderWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const Route route = RouteFor(
      window, &HeaderWndProc,
      [](const OverlayTable::Locked& lock, HWND w) { return OverlaySlots().FindByHeader(lock, w); },
      [](const TFaceItem& item) { return item.SavedHeaderProc(); });
  // The host's handling comes first, for painting and for destruction alike.
  const LRESULT result = Forward(route, window, message, wParam, lParam);
  if (route.item) {
    if (message == WM_PAINT) route.item->PaintFace();
    if (message == WM_DESTROY) DestroyFaceItem(route.item);
  }
  return result;
}

LRESULT CALLBACK ListWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const Route route = RouteFor(
      window, &ListWndProc,
      [](const OverlayTable::Locked& lock, HWND w) { return OverlaySlots().FindByList(lock, w); },
      [](const TFaceItem& item) { return item.SavedListProc(); });
  if (route.item && message == WM_TIMER) {
    if (wParam == kHideTimer) route.item->HideFace();
    if (wParam == kReplayTimer) ReplayFilterShortCut();
  }
  return Forward(route, window, message, wParam, lParam);
}

}  // namespace vizmark
