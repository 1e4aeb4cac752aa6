#include "facedraw/face_overlay.h"

#include <windowsx.h>

#include <utility>

#include "base/dib.h"
#include "base/trace.h"
#include "base/win_handles.h"
#include "base/window_subclass.h"
#include "face/face_scaling.h"
#include "face/xface_codec.h"
#include "facedraw/shortcut_replay.h"

namespace vizmark {

namespace {

constexpr UINT_PTR kHideTimer = 10;
constexpr UINT_PTR kReplayTimer = 11;
constexpr int kFaceMargin = 4;

std::shared_ptr<FaceOverlay> ItemOfPanel(HWND panel) {
  auto lock = OverlaySlots().Lock();
  return OverlaySlots().FindByHeader(lock, panel);
}

// The panel: the face is drawn after each of the host's paints, over what that paint
// renewed; the item goes with the panel.
void BeforePanelMessage(HWND panel, UINT message, WPARAM, LPARAM) {
  if (message != WM_PAINT) return;
  if (const std::shared_ptr<FaceOverlay> item = ItemOfPanel(panel)) item->NoteHostPaint();
}

void AfterPanelMessage(HWND panel, UINT message, WPARAM, LPARAM) {
  const std::shared_ptr<FaceOverlay> item = ItemOfPanel(panel);
  if (!item) return;
  if (message == WM_PAINT) item->PaintAfterHostPaint();
  if (message == WM_DESTROY) DestroyFaceOverlay(item);
}

// A double-click on the face is ours: it opens the closer look. Every other reaches the host.
bool TakePanelDoubleClick(HWND panel, UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_LBUTTONDBLCLK) return false;
  const std::shared_ptr<FaceOverlay> item = ItemOfPanel(panel);
  if (!item) return false;
  const std::optional<CloseupFace> face =
      item->FaceAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
  if (!face) return false;
  ShowFaceCloseup(GetAncestor(panel, GA_ROOT), *face);
  return true;
}

constexpr SubclassBehaviour kPanelBehaviour = {{WM_PAINT, WM_DESTROY, WM_LBUTTONDBLCLK},
                                               &BeforePanelMessage,
                                               &AfterPanelMessage,
                                               &TakePanelDoubleClick};

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

constexpr SubclassBehaviour kListBehaviour = {{WM_TIMER, 0, 0}, &BeforeListTimer, nullptr, nullptr};

// The window's pixels per inch: what Windows 10 (1607) and later say for it, else the
// screen's. A window of a program that does not handle pixels per inch itself has 96.
int DpiOf(HWND window) {
  using GetDpiForWindowCall = UINT(WINAPI*)(HWND);
  static const auto get_dpi_for_window =
      reinterpret_cast<GetDpiForWindowCall>(reinterpret_cast<void (*)()>(
          GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (get_dpi_for_window != nullptr) {
    const UINT dpi = get_dpi_for_window(window);
    if (dpi > 0) return static_cast<int>(dpi);
  }
  WindowDc screen(nullptr);
  const int dpi = screen.get() != nullptr ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
  return dpi > 0 ? dpi : kBaseDpi;
}

// `picture` scaled to `side` x `side` into `scaled`, unless it already is; false when
// `scaled` cannot be made.
bool ScaleFace(const Picture& picture, int side, Picture& scaled) {
  if (!scaled.Empty() && scaled.Width() == side && scaled.Colour() == picture.Colour()) return true;
  const std::vector<uint8_t> pixels =
      ScalePixels(picture.Pixels(), picture.Width(), picture.Height(), side, side);
  if (!scaled.SetPixels(side, side, pixels, picture.Colour())) {
    Trace(L"the face could not be scaled");
    return false;
  }
  return true;
}

}  // namespace

FaceOverlay::FaceOverlay(HWND header, HWND list, const Picture* picture, ShownHeader shown_header)
    : header_(header), list_(list), picture_given_(picture != nullptr && !picture->Empty()) {
  if (picture != nullptr) {
    picture_.Assign(picture);
    shown_header_ = std::move(shown_header);
    show_ = true;
  }
}

FaceOverlay::~FaceOverlay() = default;

bool FaceOverlay::SetPicture(const Picture* picture, ShownHeader shown_header) {
  bool copied;
  RECT replaced{};
  {
    std::lock_guard<std::mutex> guard(picture_lock_);
    const bool was_colour = show_ && picture_.Colour();
    picture_.Assign(picture);
    shown_header_ = std::move(shown_header);
    scaled_.Assign(nullptr);
    copied = picture == nullptr || picture->Empty() || !picture_.Empty();
    replaced = ColourReplacedLocked(was_colour, copied);
  }
  ShowNewFace(replaced);
  return copied;
}

bool FaceOverlay::SetFaceRows(const FaceBitmapRows& rows, ShownHeader shown_header) {
  bool drawn;
  RECT replaced{};
  {
    std::lock_guard<std::mutex> guard(picture_lock_);
    const bool was_colour = show_ && picture_.Colour();
    drawn = picture_.SetFaceRows(rows);
    scaled_.Assign(nullptr);
    shown_header_ = std::move(shown_header);
    replaced = ColourReplacedLocked(was_colour, drawn);
  }
  ShowNewFace(replaced);
  return drawn;
}

RECT FaceOverlay::ColourReplacedLocked(bool was_colour, bool showing) {
  const bool was_showing = show_;
  show_ = showing;
  // A black-and-white face goes over the panel as it is (the old face's black pixels stay
  // until the host repaints); a colour face must not be blended over another face or over
  // itself, so its place is repainted by the host first.
  if (!was_showing || !(was_colour || (showing && picture_.Colour()))) return {};
  repaint_pending_ = true;
  return face_rect_;
}

void FaceOverlay::ShowNewFace(const RECT& replaced) {
  if (IsRectEmpty(&replaced)) {
    PaintFace();
    return;
  }
  const RECT now = PlaceFace();
  InvalidateRect(header_, &replaced, TRUE);
  InvalidateRect(header_, &now, TRUE);
}

void FaceOverlay::PaintPending() {
  {
    std::lock_guard<std::mutex> guard(picture_lock_);
    if (!std::exchange(repaint_pending_, false)) return;
  }
  UpdateWindow(header_);
}

void FaceOverlay::NoteHostPaint() {
  UniqueHrgn region(CreateRectRgn(0, 0, 0, 0));
  if (!region) Trace(L"the panel's repainted part could not be kept; the face is drawn whole");
  if (region && GetUpdateRgn(header_, region.get(), FALSE) == ERROR) region.reset();
  std::lock_guard<std::mutex> guard(picture_lock_);
  host_painted_ = std::move(region);
}

void FaceOverlay::PaintAfterHostPaint() {
  std::lock_guard<std::mutex> guard(picture_lock_);
  const UniqueHrgn painted = std::move(host_painted_);
  PaintFaceLocked(painted.get());
}

RECT FaceOverlay::PlaceFace() const {
  const int dpi = DpiOf(header_);
  const int side = ScaleToDpi(kFaceSide, dpi), margin = ScaleToDpi(kFaceMargin, dpi);
  RECT client{};
  GetClientRect(header_, &client);
  return {client.right - side - margin, margin, client.right - margin, margin + side};
}

bool FaceOverlay::HasPictureAsGiven() const {
  std::lock_guard<std::mutex> guard(picture_lock_);
  return !picture_given_ || !picture_.Empty();
}

void FaceOverlay::PaintFace() {
  std::lock_guard<std::mutex> guard(picture_lock_);
  PaintFaceLocked(nullptr);
}

void FaceOverlay::PaintFaceLocked(HRGN host_painted) {
  if (header_ == nullptr || !show_) return;
  const HBITMAP picture = picture_.Handle();
  if (picture == nullptr) return;

  const RECT place = PlaceFace();
  const int side = place.right - place.left;
  const Picture* drawn = &picture_;
  // The face is 48 x 48; at 96 pixels per inch it is drawn as it is.
  if (side != kFaceSide) {
    if (side <= 0 || !ScaleFace(picture_, side, scaled_)) return;
    drawn = &scaled_;
  }

  WindowDc panel(header_);
  if (panel.get() == nullptr) return;
  // The memory DC is made once: making one costs more than the drawing. The picture is
  // selected into it only while it is drawn.
  if (!memory_) memory_.reset(CreateCompatibleDC(nullptr));
  const HDC memory = memory_.get();
  if (memory == nullptr) return;
  SelectedObject selected(memory, drawn->Handle());
  face_rect_ = place;
  if (drawn->Colour()) {
    // Its own transparency lets the panel show through: only what the host has just
    // painted anew, else the face would be blended over itself.
    if (host_painted != nullptr) SelectClipRgn(panel.get(), host_painted);
    const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    GdiAlphaBlend(panel.get(), face_rect_.left, face_rect_.top, side, side, memory, 0, 0, side,
                  side, blend);
    return;
  }
  // AND: black face pixels show, white ones leave the panel as the host drew it.
  BitBlt(panel.get(), face_rect_.left, face_rect_.top, side, side, memory, 0, 0, SRCAND);
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

std::optional<CloseupFace> FaceOverlay::FaceAt(POINT point) const {
  std::lock_guard<std::mutex> guard(picture_lock_);
  if (!show_ || picture_.Empty() || !PtInRect(&face_rect_, point)) return std::nullopt;
  CloseupFace face;
  BITMAPINFO info{};
  info.bmiHeader = TopDownDibHeader(kFaceSide, kFaceSide, 32);
  UniqueHdc dc(CreateCompatibleDC(nullptr));
  if (!dc || GetDIBits(dc.get(), picture_.Handle(), 0, kFaceSide, face.pixels.data(), &info,
                       DIB_RGB_COLORS) != kFaceSide)
    return std::nullopt;
  // A colour face keeps its premultiplied alpha; black and white is opaque, whatever the
  // section's fourth byte holds.
  face.colour = picture_.Colour();
  if (!face.colour)
    for (uint32_t& p : face.pixels) p |= 0xFF000000;
  face.header_name = shown_header_.name;
  face.header_text = shown_header_.text;
  return face;
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
