// The face drawn over the host's header panel.
//
// A FaceOverlay binds one header panel ("TAddressGrid") and the message list
// ("TMessageListView") of the same main window to the item's own copy of a face picture.
// Our subclass sits on both windows: on the panel it draws the face after every paint of
// the host's, on the list it watches the host's selection timers. Live items are kept in
// OverlaySlots, a table of 100.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "base/win_handles.h"
#include "face/picture.h"
#include "facedraw/face_closeup.h"

namespace vizmark {

// The header a face was read from, as received: its name ("X-Face") and its text.
struct ShownHeader {
  std::string name;
  std::string text;
};

class FaceOverlay {
 public:
  // Holds a copy of `picture` and shows it; with none, the item is hidden. Nothing is
  // attached or drawn until Subclass and PaintFace.
  FaceOverlay(HWND header, HWND list, const Picture* picture, ShownHeader shown_header = {});
  ~FaceOverlay();
  FaceOverlay(const FaceOverlay&) = delete;
  FaceOverlay& operator=(const FaceOverlay&) = delete;

  HWND header() const { return header_; }
  HWND list() const { return list_; }

  // A copy of `picture` (none: an empty picture) becomes the face; it is shown at once,
  // combined with whatever the panel shows now. Where a colour face is put over a face, or
  // a face over a colour one, the face's place is given to the host to repaint instead,
  // and the new face drawn after that paint (PaintPending has it done at once). False when
  // a picture was given but no copy of it could be made (the face is then hidden).
  // `shown_header` is what the face was read from.
  bool SetPicture(const Picture* picture, ShownHeader shown_header = {});
  // The same for the one-bit face of `rows`, drawn straight into the item's own picture.
  // False, and the face hidden, when GDI cannot make that picture.
  bool SetFaceRows(const FaceBitmapRows& rows, ShownHeader shown_header);
  // False when a picture was given to the constructor and could not be copied.
  bool HasPictureAsGiven() const;
  // Draws the face 4 pixels from the panel's top and right edges, if it is showing; at
  // another pixels per inch than 96 (the panel's, as Windows tells it), the face and its
  // margins are scaled by dpi / 96. A colour face is blended over the panel, a black and
  // white one combined with it by AND.
  void PaintFace();
  // Has the host repaint now the place a new face was given to it for (see SetPicture).
  // Not with the table's lock held: our procedure on the panel takes it.
  void PaintPending();
  // Around the host's paint of the panel: before it, the part it is about to paint is
  // kept; after it, the face is drawn again, a colour face only over that part.
  void NoteHostPaint();
  void PaintAfterHostPaint();
  // Stops showing the face and has the host repaint the panel.
  void HideFace();

  bool Showing() const;
  RECT FaceRect() const;
  // The face and its header, when it is showing and was drawn where `point` (in the panel's
  // client coordinates) lies.
  std::optional<CloseupFace> FaceAt(POINT point) const;

  // Puts our subclass on the panel and then on the list; false, with neither, when one
  // cannot be had.
  bool Subclass();
  // Takes our subclass off both windows.
  void Unsubclass();

 private:
  // Where the face goes in the panel now, at the panel's pixels per inch.
  RECT PlaceFace() const;
  void PaintFaceLocked(HRGN host_painted);
  // Sets whether the face shows; when a colour face replaces a shown face or is replaced,
  // the old face's place (else an empty rectangle), which the host is to repaint.
  RECT ColourReplacedLocked(bool was_colour, bool showing);
  void ShowNewFace(const RECT& replaced);

  const HWND header_;
  const HWND list_;
  const bool picture_given_;

  mutable std::mutex picture_lock_;  // guards the fields below
  Picture picture_;
  UniqueHdc memory_;  // where the picture is drawn from
  ShownHeader shown_header_;
  Picture scaled_;  // picture_ at the size it was last drawn at, when that is not its own
  bool show_ = false;
  RECT face_rect_{};
  UniqueHrgn host_painted_;  // what the host's paint under way renews
  bool repaint_pending_ = false;
};

// OverlaySlots: the table of live items, and whether new ones may be attached. Functions
// taking `const Locked&` are called with the table's lock held (Lock()). The lock is never
// held while a window procedure of the host runs, nor taken again by its holder.
class OverlayTable {
 public:
  static constexpr int kSlots = 100;
  using Locked = std::unique_lock<std::mutex>;

  Locked Lock() { return Locked(mutex_); }
  std::shared_ptr<FaceOverlay> FindByHeader(const Locked&, HWND header) const;
  // Every item on this list (two panels may share one).
  std::vector<std::shared_ptr<FaceOverlay>> FindByList(const Locked&, HWND list) const;
  // The lowest free slot's index, or -1 when all are taken (nothing stored then).
  int AddItem(const Locked&, std::shared_ptr<FaceOverlay> item);
  // Empties the first slot holding `item`; its index, or -1.
  int RemoveItem(const Locked&, const FaceOverlay* item);
  // The live items, lowest slot first.
  std::vector<std::shared_ptr<FaceOverlay>> Items(const Locked&) const;

  // After Close no item can be attached until Open (start-up opens it).
  bool Closed(const Locked&) const { return closed_; }
  void Open(const Locked&) { closed_ = false; }
  void Close(const Locked&) { closed_ = true; }

 private:
  std::mutex mutex_;
  std::array<std::shared_ptr<FaceOverlay>, kSlots> slots_;
  bool closed_ = false;
};

OverlayTable& OverlaySlots();

// Puts `item` in the table and on its windows, and draws it; false, with nothing kept,
// when the table is full or the windows cannot be subclassed.
bool AddFaceOverlay(const OverlayTable::Locked& lock, const std::shared_ptr<FaceOverlay>& item);

// Takes the item off its windows and out of the table, and has the panel repainted. When
// another thread is doing the same, returns once that thread has done it.
void DestroyFaceOverlay(const std::shared_ptr<FaceOverlay>& item);

// Destroys every item in the table, lowest slot first.
void RemoveAllFaces();

}  // namespace vizmark
