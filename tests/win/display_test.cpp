// %DisplayXFace through the real DLL, in hostsim's windows.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "hostsim/context_object.h"
#include "hostsim/host_windows.h"
#include "hostsim/plugin_module.h"
#include "hostsim/template_runner.h"
#include "tests/win/win_test_support.h"

namespace {

using hostsim::HostWindows;
using hostsim::PluginModule;
using testsupport::Face;
using testsupport::Show;
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

// A header and the picture it decodes to: diagonal stripes, six pixels black and six white,
// on rows 9 to 39.
const std::string kStripes =
    R"xface( "4ehK$e`['Q~sc-aKrU7h^&}pa0bt4S6\a#T35WovNwZZ"yt"ZK,[,yJNj&''#P$H3?-HgS
 7NuS@^v]W4?eQY5l1EyfCy0jz\WI|5y7k>~b1!)[qI%[aa(c@Q08p;'4$(e[430&EFp;[eKP!'36u{
 6$X9Vd1&i=y'Z*:7R);="/by|"Vj3;NWf.M'VfvIJlV^lS
)xface";
Face Stripes() {
  Face face(48 * 48, false);
  for (int y = 9; y < 40; ++y)
    for (int x = 0; x < 48; ++x) face[static_cast<size_t>(y * 48 + x)] = (x + y) % 12 < 6;
  return face;
}

// What the top right corner of the panel shows, where the face goes.
Face OnPanel(HWND panel) {
  RECT client;
  GetClientRect(panel, &client);
  return testsupport::ReadWindowPixels(panel, client.right - 52, 4);
}

TEST_F(DisplayTest, NoHeaderExpandsToNothingAndDrawsNothing) {
  HostWindows host(&state_, plugin_.get());
  EXPECT_EQ(Display(""), "");
  EXPECT_EQ(state_.evaluated, (std::vector<std::string>{"%OHEADER(\"X-Face\")%-"}));
  EXPECT_FALSE(Subclassed(host.header()));
}

TEST_F(DisplayTest, AFaceIsShownAndTheExpansionIsEmpty) {
  HostWindows host(&state_, plugin_.get());
  EXPECT_EQ(Display(kStripes), "");
  EXPECT_TRUE(Subclassed(host.header()));
  EXPECT_TRUE(Subclassed(host.list()));
  EXPECT_EQ(Show(OnPanel(host.header())), Show(Stripes()));
}

// With GDI out of handles, and then with one more handle each time, the face is either
// shown as it is or the macro says it cannot show it: never an empty expansion with no face.
TEST_F(DisplayTest, WithoutGdiHandlesItIsADisplayError) {
  std::set<std::string> answers;
  for (int given_back = 0; given_back < 8; ++given_back) {
    SCOPED_TRACE(given_back);
    HostWindows host(&state_, plugin_.get());
    std::string result;
    {
      testsupport::GdiHandlesTaken taken;
      ASSERT_GT(taken.count(), 0u);
      taken.GiveBack(given_back);
      result = Display(kStripes);
    }
    answers.insert(result);
    // Painting may have failed too while GDI had no handles: the panel paints anew.
    RedrawWindow(host.header(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    if (result.empty()) {
      EXPECT_EQ(Show(OnPanel(host.header())), Show(Stripes()));
    } else {
      EXPECT_EQ(result, "X-Face: Display image error");
      EXPECT_EQ(testsupport::BlackCount(OnPanel(host.header())), 0);
    }
  }
  EXPECT_TRUE(answers.contains("X-Face: Display image error"));
  HostWindows host(&state_, plugin_.get());
  EXPECT_EQ(Display(kStripes), "");
  EXPECT_EQ(Show(OnPanel(host.header())), Show(Stripes()));
}

TEST_F(DisplayTest, ParametersMakeNoDifference) {
  HostWindows host(&state_, plugin_.get());
  EXPECT_EQ(Display(kStripes, "%DisplayXFace(\"ignored\", \"too\")"), "");
  EXPECT_EQ(Show(OnPanel(host.header())), Show(Stripes()));
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
