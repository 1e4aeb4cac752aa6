// The road of a face through the whole plug-in, in hostsim's windows: the stored shortcut
// is loaded, the attaching thread finds the host's windows and replays the shortcut, the
// host runs its read-mail filter with %DisplayXFace, and the face follows the selected
// message. The faces on the panel are compared with what FFmpeg's X-Face decoder makes of
// the same headers.
#include <windows.h>
// after windows.h
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "base/win_handles.h"
#include "hostsim/host_windows.h"
#include "hostsim/plugin_module.h"
#include "tests/win/win_test_support.h"

namespace {

using hostsim::HostWindows;
using hostsim::PluginModule;
using testsupport::Face;

[[maybe_unused]] const auto* const kSession = testsupport::RegisterTestSession();

std::string FromEnvFolder(const char* variable, const std::string& name) {
  const char* folder = std::getenv(variable);
  return folder == nullptr ? std::string()
                           : testsupport::ReadFileBytes(std::string(folder) + "\\" + name);
}

// FFmpeg's picture of a header: 48 x 48 bytes, 0 for black.
Face Expected(const std::string& name) {
  const std::string gray = FromEnvFolder("VIZMARK_EXPECTED_DIR", name + ".gray");
  Face face(gray.size());
  for (size_t i = 0; i < gray.size(); ++i) face[i] = gray[i] == 0;
  return face;
}

Face OnPanel(HWND panel) {
  RECT client;
  GetClientRect(panel, &client);
  return testsupport::ReadWindowPixels(panel, client.right - 52, 4);
}

// The plug-in as the host runs it, shut down on every way out of a test, so that its thread
// can neither outlive a failed test nor replay the shortcut into a later one.
class Started {
 public:
  explicit Started(PluginModule& plugin) : plugin_(plugin) { plugin_.Initialize(); }
  ~Started() { Stop(); }
  Started(const Started&) = delete;
  Started& operator=(const Started&) = delete;
  void Stop() {
    if (running_) plugin_.Finalize();
    running_ = false;
  }

 private:
  PluginModule& plugin_;
  bool running_ = true;
};

class Road : public testing::Test {
 protected:
  // The stored shortcut goes whatever way the test ends.
  void TearDown() override { RegDeleteKeyA(HKEY_CURRENT_USER, kKey); }

  static void StoreShortcut(const char* text) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    vizmark::UniqueHkey owner(key);
    ASSERT_EQ(RegSetValueExA(key, "Filter ShortCut", 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                             static_cast<DWORD>(std::strlen(text) + 1)),
              ERROR_SUCCESS);
  }

  static constexpr char kKey[] = "Software\\RIT\\The Bat!\\Vizmark";
};

TEST_F(Road, TheFaceFollowsTheSelectedMessage) {
  const std::string smiley = FromEnvFolder("VIZMARK_FACES_DIR", "smiley.xface");
  const std::string stripes = FromEnvFolder("VIZMARK_FACES_DIR", "stripes.xface");
  ASSERT_FALSE(smiley.empty());
  ASSERT_FALSE(stripes.empty());
  ASSERT_EQ(Expected("smiley").size(), 48u * 48u);
  StoreShortcut("Shift+Ctrl+Alt+F");

  auto plugin = std::make_unique<PluginModule>(PluginModule::DefaultPath());
  hostsim::HostState state;
  HostWindows host(&state, plugin.get());
  host.SetFilter(0xE046, "%DisplayXFace");
  state.read_xface = smiley;
  // The replayed keys go where the user's would: to the list, in the foreground window.
  ASSERT_TRUE(testsupport::BringToFront(host.main(), host.list()));

  Started started(*plugin);
  // The thread attaches (2 s after start-up, or later) and replays the shortcut: the filter
  // runs.
  ASSERT_TRUE(testsupport::PumpUntil([&] { return host.filter_runs().size() == 1; },
                                     testsupport::kPatience));
  EXPECT_EQ(host.filter_runs()[0], "");
  ASSERT_TRUE(testsupport::PumpUntilIdle(testsupport::kPatience));
  EXPECT_EQ(testsupport::Show(OnPanel(host.header())), testsupport::Show(Expected("smiley")));

  // The next message: timer 10 clears the panel, timer 11 runs the filter again.
  host.SelectMessage(stripes);
  ASSERT_TRUE(testsupport::PumpUntil([&] { return host.filter_runs().size() == 2; },
                                     testsupport::kPatience));
  ASSERT_TRUE(testsupport::PumpUntilIdle(testsupport::kPatience));
  EXPECT_EQ(testsupport::Show(OnPanel(host.header())), testsupport::Show(Expected("stripes")));

  // A message without a face leaves a clean panel.
  host.SelectMessage("");
  ASSERT_TRUE(testsupport::PumpUntil([&] { return host.filter_runs().size() == 3; },
                                     testsupport::kPatience));
  ASSERT_TRUE(testsupport::PumpUntilIdle(testsupport::kPatience));
  EXPECT_EQ(testsupport::BlackCount(OnPanel(host.header())), 0);

  started.Stop();
  EXPECT_FALSE(testsupport::Subclassed(host.header()));
}

}  // namespace
