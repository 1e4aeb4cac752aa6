// %DisplayXFace through the real DLL, in hostsim's windows.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "hostsim/context_object.h"
#include "hostsim/host_windows.h"
#include "hostsim/plugin_module.h"
#include "hostsim/template_runner.h"
#include "tests/win/win_test_support.h"

namespace {

using hostsim::HostWindows;
using hostsim::PluginModule;
using testsupport::Subclassed;

[[maybe_unused]] const auto* const kSession = testsupport::RegisterTestSession();

class DisplayTest : public testing::Test {
 protected:
  // Each test sees only what its macro calls do. The plug-in's attaching thread would
  // otherwise reach the test's windows at a moment of its own (2 s after start-up, later on
  // a busy machine) and subclass them itself; so it first attaches to windows of its own,
  // which then go, and ends.
  static void SetUpTestSuite() {
    plugin_ = std::make_unique<PluginModule>(PluginModule::DefaultPath());
    const testsupport::ImageRange dll = testsupport::ImageOf(plugin_->handle());
    plugin_->Initialize();
    hostsim::HostState state;
    HostWindows first(&state, plugin_.get());
    ASSERT_TRUE(testsupport::PumpUntil(
        [&] {
          return Subclassed(first.header()) && testsupport::RunningThreadsStartedIn(dll) == 0;
        },
        testsupport::kPatience));
  }
  static void TearDownTestSuite() {
    plugin_->Finalize();
    plugin_.reset();
  }

  // Runs %DisplayXFace for a message with this header (empty: none).
  std::string Display(const std::string& xface, const std::string& call = "%DisplayXFace") {
    state_.read_xface = xface;
    state_.evaluated.clear();
    return hostsim::RunTemplate(*plugin_, state_, call);
  }

  static std::unique_ptr<PluginModule> plugin_;
  hostsim::HostState state_;
};
std::unique_ptr<PluginModule> DisplayTest::plugin_;

const std::string kFace =
    " \"8?b)?'H`x/$J)H|6Y-hrrk_YxwF/bpH7aoRW`vN-!k/vL7G_V*2BNlW`3iCcL`L4:.J5<q[{"
    "ZM+JWW*z'K/V|:oMN?oW\"D-7|yEzS%}eA$8$-2rZS+a:_,(A&/9b/H-4@^v4.L[CoJP3";

TEST_F(DisplayTest, NoHeaderExpandsToNothingAndDrawsNothing) {
  HostWindows host(&state_, plugin_.get());
  EXPECT_EQ(Display(""), "");
  EXPECT_EQ(state_.evaluated, (std::vector<std::string>{"%OHEADER(\"X-Face\")%-"}));
  EXPECT_FALSE(Subclassed(host.header()));
}

TEST_F(DisplayTest, AFaceIsShownAndTheExpansionIsEmpty) {
  HostWindows host(&state_, plugin_.get());
  EXPECT_EQ(Display(kFace), "");
  EXPECT_TRUE(Subclassed(host.header()));
  EXPECT_TRUE(Subclassed(host.list()));
  RECT client;
  GetClientRect(host.header(), &client);
  EXPECT_GT(
      testsupport::BlackCount(testsupport::ReadWindowPixels(host.header(), client.right - 52, 4)),
      0);
}

TEST_F(DisplayTest, ParametersMakeNoDifference) {
  HostWindows host(&state_, plugin_.get());
  EXPECT_EQ(Display(kFace, "%DisplayXFace(\"ignored\", \"too\")"), "");
  EXPECT_TRUE(Subclassed(host.header()));
}

TEST_F(DisplayTest, ACodeTooLongToDecodeIsAConvertError) {
  HostWindows host(&state_, plugin_.get());
  EXPECT_EQ(Display(std::string(1000, '~')), "X-Face: Convert header error");
  EXPECT_FALSE(Subclassed(host.header()));
}

TEST_F(DisplayTest, WithoutTheHostsWindowsItIsADisplayError) {
  EXPECT_EQ(Display(kFace), "X-Face: Display image error");
  HostWindows::Options no_panel;
  no_panel.with_header = false;
  HostWindows host(&state_, plugin_.get(), no_panel);
  EXPECT_EQ(Display(kFace), "X-Face: Display image error");
}

}  // namespace
