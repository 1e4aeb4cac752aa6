// Long use, hostile input and concurrent calls, through the real DLL in hostsim's windows.
// VIZMARK_SOAK_RUNS sets how many DisplayXFace runs the long test makes (default 20000;
// the other loops scale with it). Wine's GDI has a table of 16384 objects a process, so a
// run that leaked one would exhaust it long before the end, and the last runs would fail.
#include <windows.h>
// after windows.h
#include <gtest/gtest.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "base/win_handles.h"
#include "hostsim/context_object.h"
#include "hostsim/host_windows.h"
#include "hostsim/plugin_module.h"
#include "hostsim/template_runner.h"
#include "tests/win/win_test_support.h"

namespace {

using hostsim::HostWindows;
using hostsim::PluginModule;

[[maybe_unused]] const auto* const kSession = testsupport::RegisterTestSession();
[[maybe_unused]] const bool kCrashesFail = testsupport::ReportCrashesAsFailures();

int SoakRuns() {
  const char* runs = std::getenv("VIZMARK_SOAK_RUNS");
  return runs != nullptr ? std::max(100, std::atoi(runs)) : 20000;
}

std::string Sample(const char* name) {
  const char* folder = std::getenv("VIZMARK_SAMPLE_DIR");
  return folder == nullptr ? std::string()
                           : testsupport::ReadFileBytes(std::string(folder) + "\\" + name);
}

std::string SamplePath(const char* name) {
  const char* folder = std::getenv("VIZMARK_SAMPLE_DIR");
  return folder == nullptr ? std::string() : std::string(folder) + "\\" + name;
}

// The process's private memory (Wine reports it as the page-file usage).
size_t PrivateBytes() {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                       sizeof counters);
  return std::max(counters.PrivateUsage, counters.PagefileUsage);
}

std::string Macro(const PluginModule& plugin, hostsim::HostState& state, const char* name,
                  std::vector<std::string> params = {}) {
  hostsim::ContextObject context(&state), parameters(&state, std::move(params));
  plugin.ExecMacro(name, static_cast<int32_t>(std::strlen(name)), &context, &parameters);
  return context.items.empty() ? std::string() : context.items[0];
}

TEST(Soak, LongUseStaysCorrectAndFlat) {
  const int runs = SoakRuns();
  const std::string face = Sample("face.txt");
  ASSERT_FALSE(face.empty());
  PluginModule plugin(PluginModule::DefaultPath());
  hostsim::HostState state;
  HostWindows host(&state, &plugin);
  plugin.Initialize();
  state.read_xface = face;
  ASSERT_EQ(Macro(plugin, state, "DisplayXFace"), "");  // warms everything up
  const size_t before = PrivateBytes();

  int wrong = 0;
  for (int i = 0; i < runs; ++i) {
    wrong += Macro(plugin, state, "DisplayXFace") != "";
    if (i % 512 == 0) {
      HostWindows::Pump(0);
      state.evaluated.clear();  // the simulated host's own log, not the plug-in's memory
    }
  }
  for (int i = 0; i < runs / 10; ++i) {
    wrong += Macro(plugin, state, "SetXFace", {SamplePath("face.bmp")}) != "";
    wrong += state.composed_xface != face;
    state.evaluated.clear();
  }
  // Selection changes with the host's timers, each running the hide and the replay.
  for (int i = 0; i < runs / 10; ++i) {
    SendMessageA(host.list(), WM_TIMER, HostWindows::kHideTimer, 0);
    SendMessageA(host.list(), WM_TIMER, HostWindows::kFilterTimer, 0);
    if (i % 64 == 0) HostWindows::Pump(0);
  }
  HostWindows::Pump(50);
  // Header panels made and destroyed, each getting an item first.
  for (int i = 0; i < runs / 20; ++i) {
    HostWindows panel(&state, &plugin);
    wrong += Macro(plugin, state, "DisplayXFace") != "";
    state.evaluated.clear();
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(Macro(plugin, state, "DisplayXFace"), "");
  const size_t after = PrivateBytes();
  EXPECT_LT(after, before + (8u << 20)) << before << " -> " << after;
  plugin.Finalize();
  std::printf("%d DisplayXFace runs: private bytes %zu -> %zu\n", runs, before, after);
}

TEST(Soak, HostileHeadersGiveOneLine) {
  PluginModule plugin(PluginModule::DefaultPath());
  hostsim::HostState state;
  HostWindows host(&state, &plugin);
  plugin.Initialize();
  const std::pair<std::string, std::string> cases[] = {
      {std::string(100000, '~'), "X-Face: Convert header error"},
      {std::string(100000, 'x'), "X-Face: Convert header error"},
      {" \t\r\n  ", ""},
      {std::string("\x80\xFF\xC5\x9B garbage \x01\x02", 16), ""},
      {std::string("ab\0~~~~", 7), ""},
  };
  for (const auto& [header, expected] : cases) {
    state.read_xface = header;
    EXPECT_EQ(Macro(plugin, state, "DisplayXFace"), expected) << header.substr(0, 20);
  }
  plugin.Finalize();
}

TEST(Soak, MacrosOnTwoThreadsWhileTheThreadAttaches) {
  const std::string face = Sample("face.txt");
  ASSERT_FALSE(face.empty());
  PluginModule plugin(PluginModule::DefaultPath());
  const testsupport::ImageRange dll = testsupport::ImageOf(plugin.handle());
  hostsim::HostState window_state;
  HostWindows host(&window_state, &plugin);
  plugin.Initialize();
  // Until the attaching thread has made the item, the displayed messages have no face: the
  // macro runs in full but attaches nothing, so the windows' procedures can change only by
  // the thread's attachment. From then on the faces go to the thread's item while the thread
  // finishes.
  std::atomic<bool> stop{false}, attached{false};
  std::atomic<int> wrong{0}, done{0}, faces{0};
  auto displaying = std::thread([&] {
    hostsim::HostState state;
    while (!stop) {
      const bool with_face = attached;
      state.read_xface = with_face ? face : "";
      wrong += Macro(plugin, state, "DisplayXFace") != "";
      state.evaluated.clear();
      faces += with_face;
      ++done;
    }
  });
  auto setting = std::thread([&] {
    hostsim::HostState state;
    while (!stop) {
      wrong += Macro(plugin, state, "SetXFace", {SamplePath("face.bmp")}) != "";
      wrong += state.composed_xface != face;
      state.evaluated.clear();
      ++done;
    }
  });
  const bool thread_attached = testsupport::PumpUntil(
      [&] { return testsupport::Subclassed(host.header()) && done > 10; }, testsupport::kPatience);
  attached = true;
  const bool thread_ended = testsupport::PumpUntil(
      [&] { return testsupport::RunningThreadsStartedIn(dll) == 0 && faces > 10; },
      testsupport::kPatience);
  stop = true;
  displaying.join();
  setting.join();
  EXPECT_TRUE(thread_attached);
  EXPECT_TRUE(thread_ended);
  EXPECT_EQ(wrong, 0);
  EXPECT_TRUE(testsupport::Subclassed(host.header()));
  EXPECT_TRUE(testsupport::Subclassed(host.list()));
  // The thread's item draws the face the macros gave it after the host's paint.
  InvalidateRect(host.header(), nullptr, TRUE);
  UpdateWindow(host.header());
  RECT client;
  GetClientRect(host.header(), &client);
  EXPECT_GT(
      testsupport::BlackCount(testsupport::ReadWindowPixels(host.header(), client.right - 52, 4)),
      0);
  plugin.Finalize();
  EXPECT_FALSE(testsupport::Subclassed(host.header()));
  EXPECT_FALSE(testsupport::Subclassed(host.list()));
}

TEST(Soak, LoadStartStopUnloadOverAndOver) {
  hostsim::HostState state;
  HostWindows host(&state, nullptr);
  // Shut-down comes while the attaching thread waits, just as it attaches, and after.
  const DWORD delays[] = {0, 1, 10, 100, 0, 5, 50, 0, 1990, 2000, 2010, 2100};
  const int cycles = std::min(200, SoakRuns() / 100);
  for (int i = 0; i < cycles; ++i) {
    const DWORD delay = (i % 25 == 24) ? delays[8 + (i / 25) % 4] : delays[i % 8];
    testsupport::ImageRange dll;
    {
      PluginModule plugin(PluginModule::DefaultPath());
      dll = testsupport::ImageOf(plugin.handle());
      plugin.Initialize();
      HostWindows::Pump(delay);
      plugin.Finalize();
    }
    ASSERT_EQ(GetModuleHandleA("Vizmark.tbp"), nullptr) << i;
    ASSERT_FALSE(testsupport::Subclassed(host.header())) << i;
    // No thread of the plug-in's outlives it (the process's other threads are not its own).
    ASSERT_EQ(testsupport::RunningThreadsStartedIn(dll), 0) << i;
  }
  EXPECT_TRUE(testsupport::HostWindowsWork(host));
}

// The host takes the plug-in out from inside its own panel's or list's procedure (a modal
// loop there, with the plug-in's procedure below it), each time right after the plug-in
// attached to the windows with a face.
TEST(Soak, UnloadFromInsideTheHostsProcedureOverAndOver) {
  hostsim::HostState state;
  state.read_xface = Sample("face.txt");
  ASSERT_FALSE(state.read_xface.empty());
  HostWindows host(&state, nullptr);
  std::unique_ptr<PluginModule> plugin;
  host.SetNestedCall([&](HWND) {
    plugin->Finalize();
    plugin->Unload();
  });
  for (int i = 0; i < 200; ++i) {
    plugin = std::make_unique<PluginModule>(PluginModule::DefaultPath());
    plugin->Initialize();
    ASSERT_EQ(hostsim::RunTemplate(*plugin, state, "%DisplayXFace"), "") << i;
    state.evaluated.clear();
    const HWND window = i % 2 == 0 ? host.header() : host.list();
    ASSERT_TRUE(testsupport::Subclassed(window)) << i;
    SendMessageW(window, HostWindows::NestedCallMessage(), 0, 0);
    ASSERT_EQ(host.nested_calls(), i + 1);
    HostWindows::Pump(0);
  }
  EXPECT_TRUE(testsupport::HostWindowsWork(host));
}

}  // namespace
