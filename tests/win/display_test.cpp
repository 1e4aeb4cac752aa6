// %DisplayXFace through the real DLL, in hostsim's windows.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
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

  // Runs %DisplayXFace for a message with this header (empty: none), and this "Face".
  std::string Display(const std::string& xface, const std::string& call = "%DisplayXFace",
                      const std::string& face = "") {
    state_.read_xface = xface;
    state_.read_face = face;
    state_.evaluated.clear();
    return hostsim::RunTemplate(*plugin_, state_, call);
  }

  static std::unique_ptr<PluginModule> plugin_;
  hostsim::HostState state_;
};
std::unique_ptr<PluginModule> DisplayTest::plugin_;

const std::string kXFaceRequest = "%OHEADER(\"X-Face\")%-";
const std::string kFaceRequest = "%OHEADER(\"Face\")%-";

const std::string& kFace = testsupport::kSmileyXFace;

// A header and the picture it decodes to.
const std::string& kStripes = testsupport::kStripesXFace;
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
  EXPECT_EQ(state_.evaluated, (std::vector<std::string>{kFaceRequest, kXFaceRequest}));
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

// A window of the client's owned by its main window (a dialog, or our own closer look), as a
// pop-up or not, or a pop-up owned as all the client's windows may be by a hidden window of its
// own, is active while a message is shown: the face goes to the main window's panel, shown
// first (the panel has its item) or not.
TEST_F(DisplayTest, AnOwnedWindowInFrontTakesTheFaceToTheMainWindowsPanel) {
  enum class Owner { kMainWindow, kHiddenWindow };
  const struct {
    const char* name;
    DWORD style;
    Owner owner;
  } cases[] = {
      {"pop-up", WS_POPUP, Owner::kMainWindow},
      {"framed", WS_OVERLAPPEDWINDOW, Owner::kMainWindow},
      {"pop-up of a hidden window", WS_POPUP, Owner::kHiddenWindow},
  };
  for (const auto& c : cases) {
    for (const bool shown_before : {false, true}) {
      SCOPED_TRACE(testing::Message() << c.name << (shown_before ? ", shown before" : ""));
      HostWindows host(&state_, plugin_.get());
      if (shown_before) {
        ASSERT_EQ(Display(kFace), "");
      }
      const HWND hidden = CreateWindowExW(0, L"STATIC", L"hidden", WS_POPUP, 0, 0, 1, 1, nullptr,
                                          nullptr, nullptr, nullptr);
      ASSERT_NE(hidden, nullptr);
      const HWND owned = CreateWindowExW(0, L"STATIC", L"owned", c.style | WS_VISIBLE, 0, 0, 50, 50,
                                         c.owner == Owner::kMainWindow ? host.main() : hidden,
                                         nullptr, nullptr, nullptr);
      ASSERT_NE(owned, nullptr);
      SetActiveWindow(owned);
      ASSERT_EQ(GetActiveWindow(), owned);
      EXPECT_EQ(Display(kStripes), "");
      RedrawWindow(host.header(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
      EXPECT_EQ(Show(OnPanel(host.header())), Show(Stripes()));
      DestroyWindow(owned);
      DestroyWindow(hidden);
    }
  }
}

// The PNG of a colour face (48 x 48), as FFmpeg made it.
std::string ColourFacePng() {
  const char* folder = std::getenv("VIZMARK_COLOUR_FACE_DIR");
  return folder == nullptr ? std::string()
                           : testsupport::ReadFileBytes(std::string(folder) + "\\colour-face.png");
}

// The PNG with another size in its header.
std::string Resized(std::string png, uint32_t width, uint32_t height) {
  for (int i = 0; i < 4; ++i) {
    png[static_cast<size_t>(16 + i)] = static_cast<char>(width >> (24 - 8 * i));
    png[static_cast<size_t>(20 + i)] = static_cast<char>(height >> (24 - 8 * i));
  }
  return png;
}

// A valid Face is shown instead of the X-Face, and the X-Face is not asked for.
TEST_F(DisplayTest, AColourFaceIsShownInsteadOfTheXFace) {
  const std::string png = ColourFacePng();
  ASSERT_FALSE(png.empty());
  HostWindows host(&state_, plugin_.get());
  EXPECT_EQ(Display(kStripes, "%DisplayXFace", testsupport::Base64(png)), "");
  EXPECT_EQ(state_.evaluated, (std::vector<std::string>{kFaceRequest}));
  EXPECT_TRUE(Subclassed(host.header()));
  EXPECT_EQ(testsupport::BlackCount(OnPanel(host.header())), 0);  // it has no black pixel
}

// The next message on the same panel, with an X-Face only, shows its X-Face in black and
// white, in the picture the colour face had.
TEST_F(DisplayTest, AnXFaceAfterAColourFaceIsBlackAndWhiteAgain) {
  const std::string png = ColourFacePng();
  ASSERT_FALSE(png.empty());
  HostWindows host(&state_, plugin_.get());
  EXPECT_EQ(Display(kStripes, "%DisplayXFace", testsupport::Base64(png)), "");
  EXPECT_EQ(Display(kStripes), "");
  EXPECT_EQ(Show(OnPanel(host.header())), Show(Stripes()));
}

// A colour face is blended once over what the host painted: a repaint of part of its place
// leaves the rest as it was, and a face put over it, or it over a face, with no repaint in
// between, shows neither the old face nor the panel blended twice.
TEST_F(DisplayTest, AColourFaceIsBlendedOnceWhateverThePanelRepaints) {
  const std::string png = ColourFacePng();
  ASSERT_FALSE(png.empty());
  HostWindows host(&state_, plugin_.get());
  RECT client;
  GetClientRect(host.header(), &client);
  const auto corner = [&] {
    return testsupport::ReadWindowColours(host.header(), client.right - 52, 4);
  };
  const auto differing = [](const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    int count = 0;
    for (size_t i = 0; i < a.size(); ++i) count += a[i] != b[i];
    return count;
  };
  const std::string face = testsupport::Base64(png);
  ASSERT_EQ(Display(kStripes, "%DisplayXFace", face), "");
  RedrawWindow(host.header(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  const std::vector<uint32_t> once = corner();

  const RECT left_half{client.right - 52, 4, client.right - 28, 52};
  RedrawWindow(host.header(), &left_half, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  EXPECT_EQ(differing(corner(), once), 0);

  EXPECT_EQ(Display(kStripes, "%DisplayXFace", face), "");
  EXPECT_EQ(differing(corner(), once), 0);

  EXPECT_EQ(Display(kStripes), "");
  EXPECT_EQ(Show(OnPanel(host.header())), Show(Stripes()));
  for (const uint32_t colour : corner()) ASSERT_TRUE(colour == 0 || colour == 0xFFFFFF);

  EXPECT_EQ(Display(kStripes, "%DisplayXFace", face), "");
  EXPECT_EQ(differing(corner(), once), 0);
}

// A Face that is no 48 x 48 picture the system reads changes nothing: the X-Face shows, or
// nothing where there is none, with the expansion of a message without a Face.
TEST_F(DisplayTest, AnInvalidColourFaceLeavesTheXFace) {
  const std::string png = ColourFacePng();
  ASSERT_GT(png.size(), 100u);
  const struct {
    const char* name;
    std::string face;
  } faces[] = {
      {"bad base64", "iVBORw0KGgo*AAAA"},
      {"49 x 48", testsupport::Base64(Resized(png, 49, 48))},
      {"100000 x 100000", testsupport::Base64(Resized(png, 100000, 100000))},
      {"truncated", testsupport::Base64(png.substr(0, png.size() / 2))},
      {"5000 bytes", std::string(5000, 'A')},
  };
  for (const auto& f : faces) {
    SCOPED_TRACE(f.name);
    {
      HostWindows host(&state_, plugin_.get());
      EXPECT_EQ(Display(kStripes, "%DisplayXFace", f.face), "");
      EXPECT_EQ(state_.evaluated, (std::vector<std::string>{kFaceRequest, kXFaceRequest}));
      EXPECT_EQ(Show(OnPanel(host.header())), Show(Stripes()));
    }
    {
      HostWindows host(&state_, plugin_.get());
      EXPECT_EQ(Display("", "%DisplayXFace", f.face), "");
      EXPECT_FALSE(Subclassed(host.header()));
      EXPECT_EQ(Display(std::string(1000, '~'), "%DisplayXFace", f.face),
                "X-Face: Convert header error");
      EXPECT_FALSE(Subclassed(host.header()));
    }
  }
}

}  // namespace
