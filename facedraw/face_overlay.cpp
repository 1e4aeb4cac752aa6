#include "facedraw/face_overlay.h"

#include <utility>

#include "base/win_handles.h"
#include "base/window_subclass.h"
#include "face/xface_codec.h"
#include "facedraw/shortcut_replay.h"

namespace vizmark {

namespace {

constexpr UINT_PTR kHideTimer = 10;
constexpr UINT_PTR kReplayTimer = 11;
constexpr int kFaceMargin = 4;

// The panel: the face is drawn after each of the host's paints; the item goes with the
// panel.
void AfterPanelMessage(HWND panel, UINT message, WPARAM, LPARAM) {
  std::shared_ptr<FaceOverlay> item;
  {
    auto lock = OverlaySlots().Lock();
    item = OverlaySlots().FindByHeader(lock, panel);
  }
  if (!item) return;
  if (message == WM_PAINT) item->PaintFace();
  if (message == WM_DESTROY) DestroyFaceOverlay(item);
}

constexpr SubclassBehaviour kPanelBehaviour = {{WM_PAINT, WM_DESTROY}, nullptr, &AfterPanelMessage};

// The list: its timer 10 hides the face of the message left, its timer 11 has the host's
// filter show the face of the message selected.
void BeforeListTimer(HWND list, UINT, WPARAM timer, LPARAM) {
  if (timer != kHideTimer && timer != kReplayTimer) return;
  std::vector<std::shared_ptr<FaceOverlay>> items;
  {
    auto lock = OverlaySlots().Lock();
    items = OverlaySlots().FindByList(lock, list);
  }
  if (items.empty()) return;
  if (timer == kHideTimer)
    for (const auto& item : items) item->HideFace();
  if (timer == kReplayTimer) ReplayFilterShortcut(list);
}

constexpr SubclassBehaviour kListBehaviour = {{WM_TIMER, 0}, &BeforeListTimer, nullptr};

}  // namespace

FaceOverlay::FaceOverlay(HWND header, HWND list, const Picture* picture)
    : header_(header), list_(list), picture_given_(picture != nullptr && !picture->Empty()) {
  if (picture != nullptr) {
    picture_.Assign(picture);
    show_ = true;
  }
}

FaceOverlay::~FaceOverlay() = default;

bool FaceOverlay::SetPicture(const Picture* picture) {
  bool copied;
  {
    std::lock_guard<std::mutex> guard(picture_lock_);
    picture_.Assign(picture);
    copied = picture == nullptr || picture->Empty() || !picture_.Empty();
    show_ = copied;
  }
  PaintFace();
  return copied;
}

bool FaceOverlay::HasPictureAsGiven() const {
  std::lock_guard<std::mutex> guard(picture_lock_);
  return !picture_given_ || !picture_.Empty();
}

void FaceOverlay::PaintFace() {
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
  face_rect_ = {width - kFaceSide - kFaceMargin, kFaceMargin, width - kFaceMargin,
                kFaceMargin + kFaceSide};
  // AND: black face pixels show, white ones leave the panel as the host drew it.
  BitBlt(panel.get(), face_rect_.left, face_rect_.top, kFaceSide, kFaceSide, memory.get(), 0, 0,
         SRCAND);
}

void FaceOverlay::HideFace() {
  {
    std::lock_guard<std::mutex> guard(picture_lock_);
    show_ = false;
  }
  InvalidateRect(header_, nullptr, TRUE);
}

bool FaceOverlay::Showing() const {
  std::lock_guard<std::mutex> guard(picture_lock_);
  return show_;
}

RECT FaceOverlay::FaceRect() const {
  std::lock_guard<std::mutex> guard(picture_lock_);
  return face_rect_;
}

bool FaceOverlay::Subclass() {
  if (!AttachSubclass(header_, &kPanelBehaviour)) return false;
  if (AttachSubclass(list_, &kListBehaviour)) return true;
  DetachSubclass(header_);
  return false;
}

void FaceOverlay::Unsubclass() {
  DetachSubclass(header_);
  DetachSubclass(list_);
}

std::shared_ptr<FaceOverlay> OverlayTable::FindByHeader(const Locked&, HWND header) const {
  for (const auto& item : slots_)
    if (item && item->header() == header) return item;
  return nullptr;
}

std::vector<std::shared_ptr<FaceOverlay>> OverlayTable::FindByList(const Locked&, HWND list) const {
  std::vector<std::shared_ptr<FaceOverlay>> items;
  for (const auto& item : slots_)
    if (item && item->list() == list) items.push_back(item);
  return items;
}

int OverlayTable::AddItem(const Locked&, std::shared_ptr<FaceOverlay> item) {
  for (int i = 0; i < kSlots; ++i) {
    if (!slots_[i]) {
      slots_[i] = std::move(item);
      return i;
    }
  }
  return -1;
}

int OverlayTable::RemoveItem(const Locked&, const FaceOverlay* item) {
  for (int i = 0; i < kSlots; ++i) {
    if (slots_[i].get() == item) {
      slots_[i].reset();
      return i;
    }
  }
  return -1;
}

std::vector<std::shared_ptr<FaceOverlay>> OverlayTable::Items(const Locked&) const {
  std::vector<std::shared_ptr<FaceOverlay>> items;
  for (const auto& item : slots_)
    if (item) items.push_back(item);
  return items;
}

OverlayTable& OverlaySlots() {
  static OverlayTable table;
  return table;
}

bool AddFaceOverlay(const OverlayTable::Locked& lock, const std::shared_ptr<FaceOverlay>& item) {
  const int slot = OverlaySlots().AddItem(lock, item);
  if (slot < 0) return false;
  if (item->Subclass()) return true;
  OverlaySlots().RemoveItem(lock, item.get());
  return false;
}

void DestroyFaceOverlay(const std::shared_ptr<FaceOverlay>& item) {
  // The panel's destruction and the module's shut-down may both get here. Whichever takes
  // the item out of the table takes it off its windows too, under the same lock, so the
  // other returns only once that is done.
  {
    auto lock = OverlaySlots().Lock();
    if (OverlaySlots().RemoveItem(lock, item.get()) < 0) return;
    item->Unsubclass();
  }
  InvalidateRect(item->header(), nullptr, TRUE);
}

void RemoveAllFaces() {
  std::vector<std::shared_ptr<FaceOverlay>> items;
  {
    auto lock = OverlaySlots().Lock();
    items = OverlaySlots().Items(lock);
  }
  for (const auto& item : items) DestroyFaceOverlay(item);
}

}  // namespace vizmark
