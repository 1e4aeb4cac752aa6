// The replay of the filter's shortcut through the real DLL, as a user meets it: the host in
// the background behind another program, and modifier keys held down while the selection
// moves. The keys go only to the host's window, never among keys the user holds.
#include <windows.h>
// after windows.h
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/win_handles.h"
#include "hostsim/desktop.h"
#include "hostsim/host_windows.h"
#include "hostsim/plugin_module.h"
#include "tests/win/win_test_support.h"

namespace {

using hostsim::HostWindows;
using hostsim::PluginModule;
using testsupport::kPatience;
using testsupport::PumpUntil;
using testsupport::RunningThreadsStartedIn;
using testsupport::Subclassed;

[[maybe_unused]] const auto* const kSession = testsupport::RegisterTestSession();

void StoreShortcut(const char* text) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\RIT\\The Bat!\\Vizmark", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  vizmark::UniqueHkey owner(key);
  RegSetValueExA(key, "Filter ShortCut", 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                 static_cast<DWORD>(strlen(text) + 1));
}

// Every key on the desktop, as a low-level keyboard hook sees it (passed on): "down 16".
std::vector<std::string> g_keys;
LRESULT CALLBACK RecordKeys(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) {
    DWORD vk = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam)->vkCode;
    // The hook may name the left-hand modifier where the generic one was sent.
    if (vk == VK_LSHIFT || vk == VK_RSHIFT) vk = VK_SHIFT;
    if (vk == VK_LCONTROL || vk == VK_RCONTROL) vk = VK_CONTROL;
    if (vk == VK_LMENU || vk == VK_RMENU) vk = VK_MENU;
    const bool up = wParam == WM_KEYUP || wParam == WM_SYSKEYUP;
    g_keys.push_back((up ? "up " : "down ") + std::to_string(vk));
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Waits a while for what must not happen, pumping the thread's messages.
void LetTimePass() {
  PumpUntil([] { return false; }, 500);
}

// A key no replay holds: once it arrives, so have all keys sent before it.
void TypeMarker() {
  hostsim::HoldKeyDown(VK_F24);
  hostsim::LetKeyUp(VK_F24);
}

class ReplayTest : public testing::Test {
 protected:
  void SetUp() override {
    plugin_ = std::make_unique<PluginModule>(PluginModule::DefaultPath());
    dll_ = testsupport::ImageOf(plugin_->handle());
  }
  void TearDown() override {
    if (running_) plugin_->Finalize();
  }
  void Start() {
    plugin_->Initialize();
    running_ = true;
  }
  // Nothing of the plug-in's runs (the attaching thread has ended, no replay waits).
  bool Idle() { return RunningThreadsStartedIn(dll_) == 0; }

  hostsim::HostState state_;
  std::unique_ptr<PluginModule> plugin_;
  testsupport::ImageRange dll_;
  bool running_ = false;
};

// The host starts minimised behind another program: neither the start-up replay nor one
// after a selection change types into that program. When the host comes back, one replay
// reaches it, and the filter runs once.
TEST_F(ReplayTest, NothingGoesToAnotherProgramAndOneReplayFollowsTheHostBack) {
  StoreShortcut("Shift+Ctrl+Alt+F");
  HostWindows host(&state_, plugin_.get());
  host.SetFilter(0xE046, "%DisplayXFace");
  host.Minimize();
  testsupport::TempDir dir;
  hostsim::OtherProgram other(dir.File("keys.txt"));
  ASSERT_TRUE(other.in_front());

  Start();
  ASSERT_TRUE(PumpUntil([&] { return Subclassed(host.header()); }, kPatience));
  SendMessageW(host.list(), WM_TIMER, HostWindows::kFilterTimer, 0);
  // The other program gets keys: the marker reaches it, and nothing else has.
  TypeMarker();
  const std::vector<std::string> marker = {"down 135", "up 135"};
  ASSERT_TRUE(PumpUntil(
      [&] {
        const auto keys = other.Keys();
        return !keys.empty() && keys.back() == marker.back();
      },
      kPatience));
  EXPECT_EQ(other.Keys(), marker);
  LetTimePass();
  EXPECT_TRUE(host.filter_runs().empty());

  host.Restore();
  ASSERT_TRUE(testsupport::BringToFront(host.main(), host.list()));
  ASSERT_TRUE(PumpUntil([&] { return !host.filter_runs().empty() && Idle(); }, kPatience));
  testsupport::PumpUntilIdle(kPatience);
  EXPECT_EQ(host.filter_runs().size(), 1u);

  other.Close();
  EXPECT_EQ(other.Keys(), marker);
}

// Shift held down (extending a selection) when the list asks for a replay: no key is sent,
// Shift stays down, and once it is let go the shortcut goes once. Held past the limit, the
// replay is dropped.
TEST_F(ReplayTest, AHeldModifierKeyHoldsTheReplayBack) {
  const struct {
    const char* stored;
    uint16_t shortcut;
    std::vector<std::string> keys;  // of the replay
    bool held_past_limit;
  } cases[] = {
      {"Shift+Ctrl+Alt+F",
       0xE046,
       {"down 17", "down 16", "down 18", "down 70", "up 70", "up 18", "up 16", "up 17"},
       false},
      {"Ctrl+F1", 0x4070, {"down 17", "down 112", "up 112", "up 17"}, false},
      {"Shift+Ctrl+Alt+F", 0xE046, {}, true},
  };
  HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, &RecordKeys, GetModuleHandleW(nullptr), 0);
  ASSERT_NE(hook, nullptr);
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.stored) + (c.held_past_limit ? ", held past the limit" : ""));
    StoreShortcut(c.stored);
    HostWindows host(&state_, plugin_.get());
    host.SetFilter(c.shortcut, "%DisplayXFace");
    ASSERT_TRUE(testsupport::BringToFront(host.main(), host.list()));
    Start();
    // The start-up replay runs the filter.
    ASSERT_TRUE(PumpUntil([&] { return host.filter_runs().size() == 1 && Idle(); }, kPatience));

    g_keys.clear();
    hostsim::HoldKeyDown(VK_SHIFT);
    ASSERT_TRUE(PumpUntil([] { return GetAsyncKeyState(VK_SHIFT) < 0; }, kPatience));
    SendMessageW(host.list(), WM_TIMER, HostWindows::kFilterTimer, 0);
    if (c.held_past_limit) {
      ASSERT_TRUE(PumpUntil([&] { return Idle(); }, kPatience));
    } else {
      LetTimePass();
    }
    EXPECT_LT(GetAsyncKeyState(VK_SHIFT), 0);
    EXPECT_EQ(host.filter_runs().size(), 1u);
    EXPECT_EQ(g_keys, (std::vector<std::string>{"down 16"}));

    hostsim::LetKeyUp(VK_SHIFT);
    ASSERT_TRUE(PumpUntil([&] { return Idle(); }, kPatience));
    TypeMarker();
    ASSERT_TRUE(
        PumpUntil([] { return g_keys.size() >= 2 && g_keys.back() == "up 135"; }, kPatience));
    std::vector<std::string> expected = {"down 16", "up 16"};
    expected.insert(expected.end(), c.keys.begin(), c.keys.end());
    expected.insert(expected.end(), {"down 135", "up 135"});
    EXPECT_EQ(g_keys, expected);
    testsupport::PumpUntilIdle(kPatience);
    EXPECT_EQ(host.filter_runs().size(), c.held_past_limit ? 1u : 2u);
    plugin_->Finalize();
    running_ = false;
  }
  UnhookWindowsHookEx(hook);
}

}  // namespace
