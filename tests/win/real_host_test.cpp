// The real DLL in a host that behaves as the mail client does: Unicode windows and message
// loop, modal loops run inside its own window procedures, and the plug-in taken out (from
// the host's options) while one of those runs with the plug-in's procedure below it.
#include <windows.h>
// windows.h first
#include <gtest/gtest.h>

#include <cstddef>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/win_handles.h"
#include "hostsim/desktop.h"
#include "hostsim/host_windows.h"
#include "hostsim/plugin_module.h"
#include "hostsim/template_runner.h"
#include "tests/win/win_test_support.h"

namespace {

using hostsim::HostWindows;
using hostsim::PluginModule;
using testsupport::kPatience;
using testsupport::PumpUntil;
using testsupport::Subclassed;

[[maybe_unused]] const auto* const kSession = testsupport::RegisterTestSession();
[[maybe_unused]] const bool kCrashesFail = testsupport::ReportCrashesAsFailures();

const std::string& kFace = testsupport::kSmileyXFace;

int FaceOnPanel(HWND panel) {
  RECT client;
  GetClientRect(panel, &client);
  return testsupport::BlackCount(testsupport::ReadWindowPixels(panel, client.right - 52, 4));
}

class RealHostTest : public testing::Test {
 protected:
  void SetUp() override {
    plugin_ = std::make_unique<PluginModule>(PluginModule::DefaultPath());
    dll_ = testsupport::ImageOf(plugin_->handle());
  }
  // A test that stopped half-way leaves no plug-in running behind it.
  void TearDown() override {
    if (running_) Stop();
  }

  // Starts the plug-in and shows kFace on `host`'s panel as a read-mail filter with
  // %DisplayXFace does. The attaching thread has attached to the windows and ended first,
  // so that nothing of it comes afterwards.
  void StartAndShowFace(HostWindows& host) {
    plugin_->Initialize();
    running_ = true;
    ASSERT_TRUE(PumpUntil(
        [&] {
          return Subclassed(host.header()) && testsupport::RunningThreadsStartedIn(dll_) == 0;
        },
        kPatience));
    state_.read_xface = kFace;
    ASSERT_EQ(hostsim::RunTemplate(*plugin_, state_, "%DisplayXFace"), "");
    ASSERT_GT(FaceOnPanel(host.header()), 0);
  }

  void Stop() {
    running_ = false;
    plugin_->Finalize();
  }

  hostsim::HostState state_;
  std::unique_ptr<PluginModule> plugin_;
  testsupport::ImageRange dll_;
  bool running_ = false;
};

// Text typed into or set on the host's windows, as the host sends it: WM_CHAR posted (as
// typing does) and sent, WM_SETTEXT sent.
const std::wstring kTyped = L"\u0416";
const std::vector<std::wstring> kTexts = {L"Zażółć gęślą jaźń", L"Съешь же ещё"};

// Sends kTyped and kTexts to `window` and returns what its own procedure got of them.
HostWindows::ReceivedText Receive(HWND window, const HostWindows::ReceivedText& received) {
  const HostWindows::ReceivedText before = received;
  PostMessageW(window, WM_CHAR, kTyped[0], 1);
  testsupport::PumpUntilIdle(kPatience);
  SendMessageW(window, WM_CHAR, kTyped[0], 1);
  for (const std::wstring& text : kTexts)
    SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  HostWindows::ReceivedText got;
  got.chars = received.chars.substr(before.chars.size());
  got.texts.assign(received.texts.begin() + static_cast<ptrdiff_t>(before.texts.size()),
                   received.texts.end());
  return got;
}

// For each kind of host window: what reaches the host's own procedures with the plug-in's in
// front of them is what reaches them without it, and the window stays of its kind; when the
// plug-in shuts down, each window has its class's procedure again.
TEST_F(RealHostTest, TheHostsWindowsKeepTheirKindAndGetTheirTextUnchanged) {
  for (const bool unicode : {true, false}) {
    SCOPED_TRACE(unicode ? "Unicode host" : "ANSI host");
    HostWindows::Options options;
    options.unicode = unicode;
    HostWindows host(&state_, plugin_.get(), options);
    const struct {
      const char* name;
      HWND window;
      const HostWindows::ReceivedText& received;
    } windows[] = {
        {"panel", host.header(), host.header_received()},
        {"list", host.list(), host.list_received()},
    };
    std::vector<HostWindows::ReceivedText> alone;
    for (const auto& w : windows) {
      ASSERT_EQ(IsWindowUnicode(w.window) != FALSE, unicode) << w.name;
      alone.push_back(Receive(w.window, w.received));
      if (unicode) {
        // The host itself gets the text as it was sent.
        ASSERT_EQ(alone.back().chars, kTyped + kTyped) << w.name;
        ASSERT_EQ(alone.back().texts, kTexts) << w.name;
      }
    }

    StartAndShowFace(host);
    if (HasFatalFailure()) return;
    for (size_t i = 0; i < std::size(windows); ++i) {
      const auto& w = windows[i];
      EXPECT_NE(testsupport::ProcOfW(w.window), testsupport::ClassProcOfW(w.window)) << w.name;
      EXPECT_EQ(IsWindowUnicode(w.window) != FALSE, unicode) << w.name;
      const HostWindows::ReceivedText attached = Receive(w.window, w.received);
      EXPECT_EQ(attached.chars, alone[i].chars) << w.name;
      EXPECT_EQ(attached.texts, alone[i].texts) << w.name;
    }
    // The panel's text set above did not take the face off.
    InvalidateRect(host.header(), nullptr, TRUE);
    UpdateWindow(host.header());
    EXPECT_GT(FaceOnPanel(host.header()), 0);

    Stop();
    for (const auto& w : windows) {
      EXPECT_EQ(testsupport::ProcOfW(w.window), testsupport::ClassProcOfW(w.window)) << w.name;
      EXPECT_EQ(IsWindowUnicode(w.window) != FALSE, unicode) << w.name;
    }
    EXPECT_TRUE(testsupport::HostWindowsWork(host));
  }
}

// The host takes the plug-in out (TBP_Finalize, then FreeLibrary) from inside a modal loop
// that its own panel's or list's procedure runs, with the plug-in's procedure below on the
// stack: on the same thread, or on another thread while the window's thread waits in the
// loop. Everything returns, and the host's windows go on working; the module may stay
// loaded for as long as its code is needed.
struct Removal {
  const char* name;
  bool from_list;
  bool from_other_thread;
};

class RemovalTest : public RealHostTest, public testing::WithParamInterface<Removal> {};

TEST_P(RemovalTest, TheHostsWindowsKeepWorking) {
  const Removal removal = GetParam();
  HostWindows host(&state_, plugin_.get());
  StartAndShowFace(host);
  if (HasFatalFailure()) return;
  const HWND window = removal.from_list ? host.list() : host.header();
  ASSERT_TRUE(Subclassed(window));

  bool removed = false;
  host.SetNestedCall([&](HWND) {
    if (!removal.from_other_thread) {
      HostWindows::Pump(10);
      Stop();
      plugin_->Unload();
      HostWindows::Pump(10);
      removed = true;
      return;
    }
    vizmark::UniqueHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(done);
    std::thread remover([&] {
      Stop();
      plugin_->Unload();
      SetEvent(done.get());
    });
    // The host's modal loop, until the other thread is through.
    const HANDLE handles[] = {done.get()};
    while (MsgWaitForMultipleObjects(1, handles, FALSE, kPatience, QS_ALLINPUT) ==
           WAIT_OBJECT_0 + 1)
      HostWindows::Pump(0);
    removed = WaitForSingleObject(done.get(), 0) == WAIT_OBJECT_0;
    remover.join();
  });
  SendMessageW(window, HostWindows::NestedCallMessage(), 0, 0);
  EXPECT_TRUE(removed);
  EXPECT_EQ(host.nested_calls(), 1);

  EXPECT_TRUE(testsupport::HostWindowsWork(host));
  // The host's procedure runs again inside whatever is left on the window.
  host.SetNestedCall([](HWND) { HostWindows::Pump(10); });
  SendMessageW(window, HostWindows::NestedCallMessage(), 0, 0);
  EXPECT_EQ(host.nested_calls(), 2);
  EXPECT_EQ(IsWindowUnicode(host.header()), TRUE);
  EXPECT_EQ(IsWindowUnicode(host.list()), TRUE);
}

INSTANTIATE_TEST_SUITE_P(, RemovalTest,
                         testing::Values(Removal{"PanelSameThread", false, false},
                                         Removal{"ListSameThread", true, false},
                                         Removal{"PanelOtherThread", false, true},
                                         Removal{"ListOtherThread", true, true}),
                         [](const testing::TestParamInfo<Removal>& info) {
                           return std::string(info.param.name);
                         });

// Another copy of the mail client runs in front of ours (the user started it twice): its
// windows have the same classes, but the face goes on our own panel.
TEST_F(RealHostTest, AnotherCopyOfTheClientInFrontLeavesOursTheFace) {
  HostWindows host(&state_, plugin_.get());
  testsupport::TempDir dir;
  hostsim::OtherProgram other(dir.File("keys.txt"), /*mail_client=*/true);
  ASSERT_TRUE(other.in_front());
  StartAndShowFace(host);
}

}  // namespace
