// The closer look at a face, through the real DLL in hostsim's windows: a double-click on
// the face opens it, it saves the face and copies its header, and it closes with Esc, its
// close box and TBP_Finalize.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "facedraw/face_closeup.h"
#include "hostsim/host_windows.h"
#include "hostsim/plugin_module.h"
#include "hostsim/template_runner.h"
#include "tests/win/win_test_support.h"

namespace {

using hostsim::HostWindows;
using hostsim::PluginModule;
using testsupport::Face;
using testsupport::kPatience;
using testsupport::PumpUntil;
using testsupport::Show;
using testsupport::Subclassed;

[[maybe_unused]] const auto* const kSession = testsupport::RegisterTestSession();

const std::string& kSmiley = testsupport::kSmileyXFace;
const std::string& kStripes = testsupport::kStripesXFace;

constexpr int kScale = 4;  // the enlargement at 96 pixels an inch

class CloseupTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    plugin_ = std::make_unique<PluginModule>(PluginModule::DefaultPath());
    Start(nullptr);
  }
  static void TearDownTestSuite() {
    plugin_->Finalize();
    plugin_.reset();
  }
  // Starts the plug-in and lets its attaching thread attach (to windows of its own, which
  // then go, or to the panel `shown`) and end, so that it never reaches a test's windows at
  // a moment of its own.
  static void Start(HWND shown) {
    const testsupport::ImageRange dll = testsupport::ImageOf(plugin_->handle());
    plugin_->Initialize();
    hostsim::HostState state;
    HostWindows first(&state, plugin_.get());
    ASSERT_TRUE(PumpUntil(
        [&] {
          return (Subclassed(first.header()) || (shown != nullptr && Subclassed(shown))) &&
                 testsupport::RunningThreadsStartedIn(dll) == 0;
        },
        kPatience));
  }

  void TearDown() override {
    if (const HWND left = Closeup()) DestroyWindow(left);
  }

  // Shows the face of a message with this header.
  void Display(const std::string& xface) {
    state_.read_xface = xface;
    ASSERT_EQ(hostsim::RunTemplate(*plugin_, state_, "%DisplayXFace"), "");
  }

  // The face's rectangle on the panel.
  static RECT FaceRect(HWND panel) {
    RECT client;
    GetClientRect(panel, &client);
    return {client.right - 52, 4, client.right - 4, 52};
  }

  static void DoubleClick(HWND window, int x, int y) {
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    PostMessageW(window, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    testsupport::PumpUntilIdle(kPatience);
  }

  // The closer look: a dialog of this thread owned by the host's main window.
  HWND Closeup() const { return OwnedDialog(host_.main()); }
  struct Search {
    HWND owner;
    HWND found;
  };
  static BOOL CALLBACK MatchOwnedDialog(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (lstrcmpW(name, L"#32770") != 0 || GetWindow(window, GW_OWNER) != search->owner ||
        !IsWindowVisible(window))
      return TRUE;
    search->found = window;
    return FALSE;
  }
  // A dialog of `thread` (none: this one) owned by `owner`.
  static HWND OwnedDialog(HWND owner, DWORD thread = GetCurrentThreadId()) {
    Search search{owner, nullptr};
    EnumThreadWindows(thread, &MatchOwnedDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  // The face as the closer look shows it, each of its pixels read from the middle of its square;
  // empty when a square is not all one colour.
  static Face Shown(HWND closeup) {
    const Face big = testsupport::ReadWindowPixels(GetDlgItem(closeup, vizmark::kCloseupPicture), 0,
                                                   0, 48 * kScale);
    Face face(48 * 48, false);
    for (int y = 0; y < 48 * kScale; ++y)
      for (int x = 0; x < 48 * kScale; ++x) {
        const bool black = big[static_cast<size_t>(y * 48 * kScale + x)];
        const size_t at = static_cast<size_t>(y / kScale * 48 + x / kScale);
        if (x % kScale == 0 && y % kScale == 0)
          face[at] = black;
        else if (face[at] != black)
          return {};
      }
    return face;
  }

  static Face OnPanel(HWND panel) {
    const RECT face = FaceRect(panel);
    return testsupport::ReadWindowPixels(panel, face.left, face.top);
  }

  static std::unique_ptr<PluginModule> plugin_;
  hostsim::HostState state_;
  HostWindows host_{&state_, plugin_.get()};
};
std::unique_ptr<PluginModule> CloseupTest::plugin_;

// Points around the face's rectangle: inside at its corners, and one pixel outside each edge.
TEST_F(CloseupTest, ADoubleClickOnTheFaceOpensItAndEveryOtherReachesTheHost) {
  Display(kSmiley);
  const RECT face = FaceRect(host_.header());
  const struct {
    int x, y;
    bool ours;
  } clicks[] = {
      {face.left, face.top, true},           {face.right - 1, face.bottom - 1, true},
      {face.left - 1, face.top, false},      {face.right, face.top, false},
      {face.left, face.top - 1, false},      {face.left, face.bottom, false},
      {face.left + 20, face.top + 20, true}, {8, 8, false},
  };
  for (const auto& click : clicks) {
    SCOPED_TRACE(testing::Message() << click.x << "," << click.y);
    const int host_clicks = host_.header_double_clicks();
    DoubleClick(host_.header(), click.x, click.y);
    const HWND closeup = Closeup();
    EXPECT_EQ(closeup != nullptr, click.ours);
    EXPECT_EQ(host_.header_double_clicks(), host_clicks + (click.ours ? 0 : 1));
    if (closeup == nullptr) continue;
    EXPECT_EQ(Show(Shown(closeup)), Show(OnPanel(host_.header())));
    SendMessageW(closeup, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(closeup));
  }
  // Once the face is hidden (the user moved to another message), its place is the host's.
  SendMessageW(host_.list(), WM_TIMER, HostWindows::kHideTimer, 0);
  const int host_clicks = host_.header_double_clicks();
  DoubleClick(host_.header(), face.left + 10, face.top + 10);
  EXPECT_EQ(Closeup(), nullptr);
  EXPECT_EQ(host_.header_double_clicks(), host_clicks + 1);
}

TEST_F(CloseupTest, ASecondDoubleClickShowsTheNewFaceInTheSameWindow) {
  const RECT face = FaceRect(host_.header());
  Display(kSmiley);
  DoubleClick(host_.header(), face.left + 10, face.top + 10);
  const HWND first = Closeup();
  ASSERT_NE(first, nullptr);
  const Face smiley = Shown(first);
  // The user goes back to the client and picks another message.
  host_.Focus();
  Display(kStripes);
  RedrawWindow(host_.header(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  DoubleClick(host_.header(), face.left + 10, face.top + 10);
  EXPECT_EQ(Closeup(), first);
  EXPECT_EQ(Show(Shown(first)), Show(OnPanel(host_.header())));
  EXPECT_NE(Show(Shown(first)), Show(smiley));
}

void EmptyClipboardOfThisTest() {
  if (!OpenClipboard(nullptr)) return;
  EmptyClipboard();
  CloseClipboard();
}

TEST_F(CloseupTest, CopyPutsTheHeaderAsReceivedOnTheClipboard) {
  Display(kStripes);
  const RECT face = FaceRect(host_.header());
  DoubleClick(host_.header(), face.left + 10, face.top + 10);
  const HWND closeup = Closeup();
  ASSERT_NE(closeup, nullptr);
  // Alt+K, typed through the host's message loop into the focused button.
  EmptyClipboardOfThisTest();
  PostMessageW(GetFocus(), WM_SYSCHAR, 'k', 0x20000001);
  testsupport::PumpUntilIdle(kPatience);
  ASSERT_TRUE(OpenClipboard(nullptr));
  const auto* wide = static_cast<const wchar_t*>(GlobalLock(GetClipboardData(CF_UNICODETEXT)));
  const auto* bytes = static_cast<const char*>(GlobalLock(GetClipboardData(CF_TEXT)));
  const std::wstring expected(kStripes.begin(), kStripes.end());
  EXPECT_EQ(wide != nullptr ? std::wstring(wide) : L"(none)", expected);
  EXPECT_EQ(bytes != nullptr ? std::string(bytes) : "(none)", kStripes);
  CloseClipboard();
}

// The saved files go to the check's folder beside the header, for FFmpeg to compare after
// this program ends.
TEST_F(CloseupTest, SaveWritesTheFaceAsPngAndBmp) {
  const char* check_dir = std::getenv("VIZMARK_CLOSEUP_CHECK_DIR");
  ASSERT_NE(check_dir, nullptr);
  CreateDirectoryA(check_dir, nullptr);
  testsupport::EmptyFolder(check_dir);
  ASSERT_TRUE(testsupport::WriteFileBytes(std::string(check_dir) + "\\smiley.xface", kSmiley));
  Display(kSmiley);
  const RECT face = FaceRect(host_.header());
  DoubleClick(host_.header(), face.left + 10, face.top + 10);
  const HWND closeup = Closeup();
  ASSERT_NE(closeup, nullptr);
  for (const char* name : {"smiley.png", "smiley.bmp"}) {
    SCOPED_TRACE(name);
    const std::string path = std::string(check_dir) + "\\" + name;
    // The save dialog's loop runs inside the button's click on this thread: another thread
    // fills in the name and presses Save.
    std::atomic<bool> driven{false};
    std::thread user([&] {
      HWND dialog = nullptr;
      for (DWORD waited = 0; dialog == nullptr && waited < kPatience; waited += 50) {
        Sleep(50);
        dialog = OwnedDialog(closeup, GetWindowThreadProcessId(closeup, nullptr));
      }
      if (dialog == nullptr) return;
      HWND name_box = GetDlgItem(dialog, cmb13);
      if (name_box == nullptr) name_box = GetDlgItem(dialog, edt1);
      if (name_box == nullptr) return;
      SetWindowTextA(name_box, path.c_str());
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
      driven = true;
    });
    SendMessageW(GetDlgItem(closeup, vizmark::kCloseupSave), BM_CLICK, 0, 0);
    user.join();
    EXPECT_TRUE(driven);
    EXPECT_GT(testsupport::ReadFileBytes(path).size(), 0u);
  }
}

TEST_F(CloseupTest, EscAndTheCloseBoxCloseIt) {
  Display(kSmiley);
  const RECT face = FaceRect(host_.header());
  const struct {
    const char* name;
    void (*close)(HWND closeup);
  } ways[] = {
      {"Esc",
       [](HWND closeup) {
         // Typed into the focused button, through the host's message loop.
         const HWND focus = GetFocus();
         EXPECT_TRUE(focus == closeup || IsChild(closeup, focus));
         PostMessageW(focus, WM_KEYDOWN, VK_ESCAPE, 1);
         PostMessageW(focus, WM_KEYUP, VK_ESCAPE, 0xC0000001);
       }},
      {"close box", [](HWND closeup) { PostMessageW(closeup, WM_SYSCOMMAND, SC_CLOSE, 0); }},
  };
  for (const auto& way : ways) {
    SCOPED_TRACE(way.name);
    DoubleClick(host_.header(), face.left + 10, face.top + 10);
    const HWND closeup = Closeup();
    ASSERT_NE(closeup, nullptr);
    way.close(closeup);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(closeup); }, kPatience));
  }
}

// From the host's thread, from another, and from another while the save dialog's loop runs
// inside the closer look (its code is then still on the host thread's stack: the module stays
// loaded). The plug-in then starts again for what follows.
TEST_F(CloseupTest, FinalizeClosesIt) {
  Display(kSmiley);
  const RECT face = FaceRect(host_.header());
  enum class From { kHostThread, kOtherThread, kOtherThreadWhileSaving };
  for (const From from : {From::kHostThread, From::kOtherThread, From::kOtherThreadWhileSaving}) {
    SCOPED_TRACE(static_cast<int>(from));
    DoubleClick(host_.header(), face.left + 10, face.top + 10);
    const HWND closeup = Closeup();
    ASSERT_NE(closeup, nullptr);
    std::atomic<bool> done{false};
    switch (from) {
      case From::kHostThread:
        plugin_->Finalize();
        break;
      case From::kOtherThread: {
        std::thread finalize([&] {
          plugin_->Finalize();
          done = true;
        });
        PumpUntil([&] { return done.load(); }, kPatience);
        finalize.join();
        break;
      }
      case From::kOtherThreadWhileSaving: {
        std::thread finalize([&] {
          for (DWORD waited = 0; waited < kPatience; waited += 50) {
            Sleep(50);
            if (OwnedDialog(closeup, GetWindowThreadProcessId(closeup, nullptr)) != nullptr) break;
          }
          plugin_->Finalize();
          done = true;
        });
        SendMessageW(GetDlgItem(closeup, vizmark::kCloseupSave), BM_CLICK, 0, 0);
        PumpUntil([&] { return done.load(); }, kPatience);
        finalize.join();
        break;
      }
    }
    EXPECT_FALSE(IsWindow(closeup));
    Start(host_.header());
    Display(kSmiley);
  }
}

}  // namespace
