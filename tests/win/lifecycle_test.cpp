// The plug-in's whole life in a host: start-up, the attaching thread, shut-down, unload.
#include <windows.h>
// windows.h first
#include <gtest/gtest.h>

#include <memory>

#include "base/win_handles.h"
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

class LifecycleTest : public testing::Test {
 protected:
  void SetUp() override {
    plugin_ = std::make_unique<PluginModule>(PluginModule::DefaultPath());
    dll_ = testsupport::ImageOf(plugin_->handle());
  }
  hostsim::HostState state_;
  std::unique_ptr<PluginModule> plugin_;
  testsupport::ImageRange dll_;  // the plug-in's own threads begin here
};

TEST_F(LifecycleTest, TheThreadAttachesToTheHostsWindowsAndShutDownTakesItOff) {
  HostWindows host(&state_, plugin_.get());
  const ULONGLONG started = GetTickCount64();
  plugin_->Initialize();
  ASSERT_TRUE(PumpUntil([&] { return Subclassed(host.header()); }, kPatience));
  // The first try comes after a pause of 2 s, never at once (a busy machine only delays it).
  EXPECT_GE(GetTickCount64() - started, 1900u);
  EXPECT_TRUE(Subclassed(host.list()));
  // Having attached, the thread ends by itself.
  EXPECT_TRUE(PumpUntil([&] { return RunningThreadsStartedIn(dll_) == 0; }, kPatience));

  plugin_->Finalize();
  EXPECT_FALSE(Subclassed(host.header()));
  EXPECT_FALSE(Subclassed(host.list()));
}

TEST_F(LifecycleTest, ShutDownWhileTheThreadWaitsEndsIt) {
  // No host windows: the thread would go on trying for a minute.
  plugin_->Initialize();
  // Once running, it waits before each try.
  ASSERT_TRUE(PumpUntil([&] { return RunningThreadsStartedIn(dll_) == 1; }, kPatience));
  plugin_->Finalize();
  // Gone by the time the call returned, long before its next try.
  EXPECT_EQ(RunningThreadsStartedIn(dll_), 0);
}

TEST_F(LifecycleTest, TheHostsWindowsKeepWorkingAfterTheModuleIsUnloaded) {
  HostWindows host(&state_, plugin_.get());
  plugin_->Initialize();
  ASSERT_TRUE(PumpUntil([&] { return Subclassed(host.header()); }, kPatience));
  plugin_->Finalize();
  const HMODULE module = plugin_->handle();
  plugin_.reset();  // FreeLibrary
  EXPECT_EQ(GetModuleHandleA("Vizmark.tbp"), nullptr) << module;
  EXPECT_EQ(RunningThreadsStartedIn(dll_), 0);

  const int paints = host.header_paints();
  InvalidateRect(host.header(), nullptr, TRUE);
  UpdateWindow(host.header());
  EXPECT_GT(host.header_paints(), paints);
  SendMessageA(host.list(), WM_TIMER, HostWindows::kHideTimer, 0);
  SendMessageA(host.list(), WM_TIMER, HostWindows::kFilterTimer, 0);
  EXPECT_EQ(host.list_timers().size(), 2u);
  DestroyWindow(host.header());
  HostWindows::Pump(20);
}

TEST_F(LifecycleTest, StartingAndStoppingAgainWorks) {
  HostWindows host(&state_, plugin_.get());
  for (int round = 0; round < 2; ++round) {
    plugin_->Initialize();
    ASSERT_TRUE(PumpUntil([&] { return Subclassed(host.header()); }, kPatience)) << round;
    plugin_->Finalize();
    EXPECT_FALSE(Subclassed(host.header())) << round;
    EXPECT_EQ(RunningThreadsStartedIn(dll_), 0) << round;
  }
}

}  // namespace
