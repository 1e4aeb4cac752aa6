// The face drawn over the host's header panel.
//
// A TFaceItem binds one header panel ("TAddressGrid") and the message list
// ("TMessageListView") of the same main window to the item's own copy of a face picture.
// It replaces both windows' procedures: the panel's to draw the face after every paint of
// the host's, the list's to watch the host's selection timers. Live items are kept in
// OverlaySlots, a table of 100.
#pragma once

#include <windows.h>

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "face/tbitmap.h"

namespace vizmark {

class TFaceItem {
 public:
  // Holds a copy of `picture` and shows it; with none, the item is hidden. Nothing is
  // attached or drawn until Subclass and PaintFace.
  TFaceItem(HWND header, HWND list, const TBitmap* picture);
  ~TFaceItem();
  TFaceItem(const TFaceItem&) = delete;
  TFaceItem& operator=(const TFaceItem&) = delete;

  HWND header() const { return header_; }
  HWND list() const { return list_; }

  // A copy of `picture` (none: an empty picture) becomes the face; it is shown at once,
  // combined with whatever the panel shows now.
  void SetPicture(const TBitmap* picture);
  // Draws the face 4 pixels from the panel's top and right edges, if it is showing.
  void PaintFace();
  // Stops showing the face and has the host repaint the panel.
  void HideFace();

  bool Showing() const;
  RECT FaceRect() const;

  // Replaces the panel's procedure and then the list's, each stored before it can be called.
  void Subclass();
  // Puts the host's procedures back where ours is still the window's procedure; where
  // another subclass sits on top of ours, ours stays as a pass-through.
  void Unsubclass();

  // True when the item was already marked (its destruction has begun elsewhere).
  bool MarkDestroyed() { return destroyed_.exchange(true); }

  WNDPROC SavedHeaderProc() const { return saved_header_.load(); }
  WNDPROC SavedListProc() const { return saved_list_.load(); }

 private:
  const HWND header_;
  const HWND list_;
  std::atomic<WNDPROC> saved_header_{nullptr};
  std::atomic<WNDPROC> saved_list_{nullptr};
  std::atomic<bool> destroyed_{false};

  mutable std::mutex picture_lock_;  // guards the fields below
  TBitmap picture_;
  bool show_ = false;
  RECT face_rect_{};
};

// OverlaySlots: the table of live items. Functions taking `const Locked&` are called with
// the table's lock held (Lock()). The lock is never held while a window procedure of the
// host runs.
class OverlayTable {
 public:
  static constexpr int kSlots = 100;
  using Locked = std::unique_lock<std::recursive_mutex>;

  Locked Lock() { return Locked(mutex_); }
  std::shared_ptr<TFaceItem> FindByHeader(const Locked&, HWND header) const;
  std::shared_ptr<TFaceItem> FindByList(const Locked&, HWND list) const;
  // The lowest free slot's index, or -1 when all are taken (nothing stored then).
  int AddItem(const Locked&, std::shared_ptr<TFaceItem> item);
  // Empties the first slot holding `item`; its index, or -1.
  int RemoveItem(const Locked&, const TFaceItem* item);
  // The live items, lowest slot first.
  std::vector<std::shared_ptr<TFaceItem>> Items(const Locked&) const;

 private:
  std::recursive_mutex mutex_;
  std::array<std::shared_ptr<TFaceItem>, kSlots> slots_;
};

OverlayTable& OverlaySlots();

// Takes the item off its windows and out of the table, and has the panel repainted.
void DestroyFaceItem(const std::shared_ptr<TFaceItem>& item);

// Destroys every item in the table, lowest slot first.
void RemoveAllFaces();

LRESULT CALLBACK HeaderWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ListWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace vizmark
