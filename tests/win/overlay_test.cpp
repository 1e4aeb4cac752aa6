// The overlay and window discovery, linked in directly, against hostsim's windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <optional>
#include <stdexcept>
#include <thread>

#include "base/window_subclass.h"
#include "face/picture.h"
#include "facedraw/attach_thread.h"
#include "facedraw/face_overlay.h"
#include "facedraw/shortcut_replay.h"
#include "facedraw/window_discovery.h"
#include "hostsim/host_windows.h"
#include "shortcut/filter_shortcut.h"
#include "tests/win/win_test_support.h"

namespace vizmark {
namespace {

using hostsim::HostWindows;
using testsupport::ClassProcOf;
using testsupport::Face;
using testsupport::ProcOf;

Picture PictureOf(const Face& face) {
  Picture picture;
  picture.SetWidth(48);
  picture.SetHeight(48);
  UniqueHdc dc(CreateCompatibleDC(nullptr));
  SelectedObject selected(dc.get(), picture.Handle());
  for (int i = 0; i < 48 * 48; ++i)
    if (face[static_cast<size_t>(i)]) SetPixelV(dc.get(), i % 48, i / 48, RGB(0, 0, 0));
  return picture;
}

size_t LiveItems() {
  auto lock = OverlaySlots().Lock();
  return OverlaySlots().Items(lock).size();
}

Face FaceOnPanel(HWND panel) {
  RECT client;
  GetClientRect(panel, &client);
  return testsupport::ReadWindowPixels(panel, client.right - 52, 4);
}

void Repaint(HWND window) {
  InvalidateRect(window, nullptr, TRUE);
  UpdateWindow(window);
  HostWindows::Pump(20);
}

class OverlayTest : public testing::Test {
 protected:
  void TearDown() override {
    RemoveAllFaces();
    HostWindows::Pump(10);
  }
  hostsim::HostState state_;
  const Face bar_ = testsupport::RectFace(0, 0, 8, 48);
  const Face block_ = testsupport::RectFace(20, 20, 30, 30);
};

TEST_F(OverlayTest, NoHostWindowsNoItem) {
  g_host_main_window = reinterpret_cast<HWND>(1);
  const Picture picture = PictureOf(bar_);
  EXPECT_EQ(AttachFace(&picture), nullptr);
  EXPECT_EQ(g_host_main_window.load(), nullptr);
  EXPECT_EQ(LiveItems(), 0u);
}

TEST_F(OverlayTest, MissingPanelOrListAttachesNothing) {
  for (bool with_header : {false, true}) {
    HostWindows::Options options;
    options.with_header = with_header;
    options.with_list = !with_header;
    HostWindows host(&state_, nullptr, options);
    const Picture picture = PictureOf(bar_);
    EXPECT_EQ(AttachFace(&picture), nullptr) << "with_header=" << with_header;
    if (with_header) {
      EXPECT_EQ(ProcOf(host.header()), ClassProcOf(host.header()));
    }
  }
  EXPECT_EQ(LiveItems(), 0u);
}

TEST_F(OverlayTest, DrawsTheFaceAfterEveryHostPaint) {
  HostWindows host(&state_, nullptr);
  const Picture picture = PictureOf(bar_);
  const auto item = AttachFace(&picture);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(ProcOf(host.header()), &SubclassProc);
  EXPECT_EQ(ProcOf(host.list()), &SubclassProc);
  EXPECT_EQ(testsupport::Show(FaceOnPanel(host.header())), testsupport::Show(bar_));

  RECT client;
  GetClientRect(host.header(), &client);
  const RECT where = item->FaceRect();
  EXPECT_EQ(where.left, client.right - 52);
  EXPECT_EQ(where.top, 4);
  EXPECT_EQ(where.right, client.right - 4);
  EXPECT_EQ(where.bottom, 52);

  const int paints = host.header_paints();
  Repaint(host.header());
  EXPECT_GT(host.header_paints(), paints);
  EXPECT_EQ(testsupport::Show(FaceOnPanel(host.header())), testsupport::Show(bar_));
}

TEST_F(OverlayTest, ASecondAttachUpdatesTheSameItem) {
  HostWindows host(&state_, nullptr);
  const Picture first = PictureOf(bar_), second = PictureOf(block_);
  const auto item = AttachFace(&first);
  EXPECT_EQ(AttachFace(&second), item);
  EXPECT_EQ(LiveItems(), 1u);
  // No repaint in between: both faces' black pixels show.
  EXPECT_EQ(testsupport::Show(FaceOnPanel(host.header())),
            testsupport::Show(testsupport::AndFaces(bar_, block_)));
  Repaint(host.header());
  EXPECT_EQ(testsupport::Show(FaceOnPanel(host.header())), testsupport::Show(block_));
}

TEST_F(OverlayTest, AnItemWithoutPictureDrawsNothingUntilGivenOne) {
  HostWindows host(&state_, nullptr);
  const auto item = AttachFace(nullptr);
  ASSERT_NE(item, nullptr);
  EXPECT_FALSE(item->Showing());
  EXPECT_EQ(ProcOf(host.header()), &SubclassProc);
  Repaint(host.header());
  EXPECT_EQ(testsupport::BlackCount(FaceOnPanel(host.header())), 0);
  // Given no picture again, it shows an empty one: still nothing drawn.
  item->SetPicture(nullptr);
  EXPECT_TRUE(item->Showing());
  Repaint(host.header());
  EXPECT_EQ(testsupport::BlackCount(FaceOnPanel(host.header())), 0);
}

TEST_F(OverlayTest, AttachingAloneKeepsTheFaceShown) {
  HostWindows host(&state_, nullptr);
  const Picture picture = PictureOf(bar_);
  const auto item = AttachFace(&picture);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(AttachFace(nullptr), item);  // what the attaching thread does
  EXPECT_TRUE(item->Showing());
  Repaint(host.header());
  EXPECT_EQ(testsupport::Show(FaceOnPanel(host.header())), testsupport::Show(bar_));
}

TEST_F(OverlayTest, ListTimersHideOrPassThrough) {
  HostWindows host(&state_, nullptr);
  const Picture picture = PictureOf(bar_);
  const auto item = AttachFace(&picture);
  ASSERT_NE(item, nullptr);

  SendMessageA(host.list(), WM_TIMER, 7, 0);
  EXPECT_TRUE(item->Showing());
  SendMessageA(host.list(), WM_TIMER, HostWindows::kHideTimer, 0);
  EXPECT_FALSE(item->Showing());
  HostWindows::Pump(30);  // the host repaints the invalidated panel
  EXPECT_EQ(testsupport::BlackCount(FaceOnPanel(host.header())), 0);
  // Every timer still reached the host's own procedure, in order.
  EXPECT_EQ(host.list_timers(), (std::vector<UINT_PTR>{7, HostWindows::kHideTimer}));
}

TEST_F(OverlayTest, NarrowPanelClipsTheFace) {
  HostWindows::Options options;
  options.header_width = 40;
  HostWindows host(&state_, nullptr, options);
  const Picture picture = PictureOf(testsupport::RectFace(0, 0, 48, 48));
  ASSERT_NE(AttachFace(&picture), nullptr);
  RECT client;
  GetClientRect(host.header(), &client);
  ASSERT_LT(client.right, 52);
  const Face seen = FaceOnPanel(host.header());
  // The part of the face left of the panel's edge is cut off; the rest is drawn.
  const int visible_left = 52 - client.right;
  EXPECT_EQ(testsupport::Show(seen),
            testsupport::Show(testsupport::RectFace(visible_left, 0, 48, 48)));
}

TEST_F(OverlayTest, DestroyingThePanelTakesTheItemOff) {
  HostWindows host(&state_, nullptr);
  const Picture picture = PictureOf(bar_);
  ASSERT_NE(AttachFace(&picture), nullptr);
  const HWND list = host.list();
  DestroyWindow(host.header());
  EXPECT_EQ(LiveItems(), 0u);
  EXPECT_EQ(ProcOf(list), ClassProcOf(list));
  SendMessageA(list, WM_TIMER, 7, 0);  // the list still works on its own
  EXPECT_EQ(host.list_timers().back(), 7u);
}

TEST_F(OverlayTest, RemoveAllFacesGivesEveryWindowItsProcedureBack) {
  HostWindows a(&state_, nullptr), b(&state_, nullptr);
  const Picture picture = PictureOf(bar_);
  SetActiveWindow(a.main());
  ASSERT_NE(AttachFace(&picture), nullptr);
  SetActiveWindow(b.main());
  ASSERT_NE(AttachFace(&picture), nullptr);
  EXPECT_EQ(LiveItems(), 2u);

  RemoveAllFaces();
  EXPECT_EQ(LiveItems(), 0u);
  for (const HostWindows* host : {&a, &b}) {
    EXPECT_EQ(ProcOf(host->header()), ClassProcOf(host->header()));
    EXPECT_EQ(ProcOf(host->list()), ClassProcOf(host->list()));
  }
  HostWindows::Pump(30);
  EXPECT_EQ(testsupport::BlackCount(FaceOnPanel(a.header())), 0);
  RemoveAllFaces();  // an empty table: nothing happens
}

// A subclass put on the panel after ours: ours must not be taken out from under it.
WNDPROC g_next_of_outer = nullptr;
int g_outer_calls = 0;
LRESULT CALLBACK OuterSubclass(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  ++g_outer_calls;
  return CallWindowProcA(g_next_of_outer, w, m, wp, lp);
}

// Shows `picture` on the host's panel, puts OuterSubclass on top of ours and takes the face
// off: ours stays under OuterSubclass as a pass-through.
testing::AssertionResult LeaveOursUnderAnotherSubclass(const HostWindows& host,
                                                       const Picture& picture) {
  if (AttachFace(&picture) == nullptr) return testing::AssertionFailure() << "not attached";
  g_next_of_outer = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(host.header(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OuterSubclass)));
  RemoveAllFaces();
  return testing::AssertionSuccess();
}

TEST_F(OverlayTest, ASubclassOnTopOfOursIsLeftWorking) {
  HostWindows host(&state_, nullptr);
  ASSERT_TRUE(LeaveOursUnderAnotherSubclass(host, PictureOf(bar_)));
  EXPECT_EQ(ProcOf(host.header()), &OuterSubclass);
  const int paints = host.header_paints();
  Repaint(host.header());
  EXPECT_GT(g_outer_calls, 0);
  EXPECT_GT(host.header_paints(), paints);  // through ours, now a pass-through, to the host
  EXPECT_EQ(testsupport::BlackCount(FaceOnPanel(host.header())), 0);
  SetWindowLongPtrA(host.header(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_next_of_outer));
}

TEST_F(OverlayTest, OursLeftAsAPassThroughServesTheNextItem) {
  HostWindows host(&state_, nullptr);
  const Picture picture = PictureOf(bar_);
  ASSERT_TRUE(LeaveOursUnderAnotherSubclass(host, picture));
  // The other subclass leaves, and ours, a pass-through now, is the panel's procedure again.
  SetWindowLongPtrA(host.header(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_next_of_outer));
  ASSERT_EQ(ProcOf(host.header()), &SubclassProc);

  ASSERT_NE(AttachFace(&picture), nullptr);
  Repaint(host.header());
  EXPECT_EQ(testsupport::Show(FaceOnPanel(host.header())), testsupport::Show(bar_));
  RemoveAllFaces();
  EXPECT_EQ(ProcOf(host.header()), ClassProcOf(host.header()));
  EXPECT_EQ(ProcOf(host.list()), ClassProcOf(host.list()));
}

void Fail(HWND, UINT, WPARAM, LPARAM) { throw std::runtime_error("failed"); }
constexpr SubclassBehaviour kFailing = {{WM_TIMER, 0, 0}, &Fail, &Fail, nullptr};

TEST_F(OverlayTest, ABehaviourThatThrowsStillPassesTheMessageOn) {
  HostWindows host(&state_, nullptr);
  ASSERT_TRUE(AttachSubclass(host.list(), &kFailing));
  SendMessageA(host.list(), WM_TIMER, 7, 0);
  EXPECT_EQ(host.list_timers(), (std::vector<UINT_PTR>{7}));
  DetachSubclass(host.list());
  EXPECT_EQ(ProcOf(host.list()), ClassProcOf(host.list()));
}

// Key presses seen by a low-level keyboard hook, swallowed so that nothing else gets them.
std::vector<DWORD> g_keys_down;
LRESULT CALLBACK RecordKeyDowns(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && (wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN))
    g_keys_down.push_back(reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam)->vkCode);
  return 1;
}

// The attaching thread stuck in an attachment for longer than a stop waits: the stop gives
// up, the stuck run attaches once free but, told to stop, replays no shortcut; and a start
// after the stop makes a run of its own (which may or may not replay before its own stop).
TEST_F(OverlayTest, AStartAfterAStopThatTimedOutAttachesAgain) {
  HostWindows host(&state_, nullptr);
  // Replays go once the list's window is in front.
  ASSERT_TRUE(testsupport::BringToFront(host.main(), host.list()));
  HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, &RecordKeyDowns, GetModuleHandleW(nullptr), 0);
  ASSERT_NE(hook, nullptr);
  g_keys_down.clear();
  g_filter_shortcut = VK_F9;
  std::optional<OverlayTable::Locked> held(OverlaySlots().Lock());
  StartAttachThread();
  Sleep(3000);  // the run's first try, after 2 s, waits for the table
  std::thread([] { StopAttachThread(); }).join();
  StartAttachThread();
  held.reset();
  ASSERT_TRUE(testsupport::PumpUntil([] { return LiveItems() == 1; }, testsupport::kPatience));
  RemoveAllFaces();
  EXPECT_TRUE(testsupport::PumpUntil([] { return LiveItems() == 1; }, testsupport::kPatience));
  StopAttachThread();
  // Every replay asked for has been sent.
  EXPECT_TRUE(testsupport::PumpUntil([] { return !ShortcutReplayBusy(); }, testsupport::kPatience));
  // Keys arrive in the order sent: once this one is seen, every replay's keys were.
  keybd_event(VK_F24, 0, 0, 0);
  keybd_event(VK_F24, 0, KEYEVENTF_KEYUP, 0);
  EXPECT_TRUE(testsupport::PumpUntil(
      [] { return !g_keys_down.empty() && g_keys_down.back() == VK_F24; }, testsupport::kPatience));
  EXPECT_LE(std::count(g_keys_down.begin(), g_keys_down.end(), DWORD{VK_F9}), 1);
  UnhookWindowsHookEx(hook);
  g_filter_shortcut = 0;
}

TEST_F(OverlayTest, TheHundredAndFirstPanelKeepsTheHostsProcedures) {
  std::vector<std::unique_ptr<HostWindows>> hosts;
  const Picture picture = PictureOf(bar_);
  for (int i = 0; i < OverlayTable::kSlots + 1; ++i) {
    hosts.push_back(std::make_unique<HostWindows>(&state_, nullptr));
    SetActiveWindow(hosts.back()->main());
    // The last finds the table full: nothing of it is attached, and the macro hears so.
    EXPECT_EQ(AttachFace(&picture) != nullptr, i < OverlayTable::kSlots) << i;
  }
  EXPECT_EQ(LiveItems(), static_cast<size_t>(OverlayTable::kSlots));
  const HostWindows& last = *hosts.back();
  EXPECT_EQ(ProcOf(last.header()), ClassProcOf(last.header()));
  EXPECT_EQ(ProcOf(last.list()), ClassProcOf(last.list()));
  EXPECT_EQ(ProcOf(hosts.front()->header()), &SubclassProc);
}

TEST_F(OverlayTest, TwoThreadsAttachingAtOnceMakeOneItem) {
  HostWindows host(&state_, nullptr);
  const Picture picture = PictureOf(bar_);
  for (int round = 0; round < 20; ++round) {
    std::atomic<bool> go{false};
    std::thread other([&] {
      while (!go) std::this_thread::yield();
      for (int i = 0; i < 10; ++i) AttachFace(i % 2 ? &picture : nullptr);
    });
    go = true;
    for (int i = 0; i < 10; ++i) {
      AttachFace(&picture);
      HostWindows::Pump(0);
    }
    other.join();
    ASSERT_EQ(LiveItems(), 1u) << "round " << round;
    RemoveAllFaces();
    ASSERT_EQ(ProcOf(host.header()), ClassProcOf(host.header()));
  }
}

}  // namespace
}  // namespace vizmark
