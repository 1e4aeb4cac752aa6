// The real DLL, loaded and called the way the mail client does.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "hostsim/context_object.h"
#include "hostsim/plugin_module.h"
#include "hostsim/template_runner.h"

namespace {

using hostsim::ContextObject;
using hostsim::PluginModule;

class DllTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    plugin_ = std::make_unique<PluginModule>(PluginModule::DefaultPath());
  }
  static void TearDownTestSuite() { plugin_.reset(); }
  static std::unique_ptr<PluginModule> plugin_;
};
std::unique_ptr<PluginModule> DllTest::plugin_;

TEST_F(DllTest, ExportsAreUndecoratedNames) {
  // PluginModule resolved all eleven by their plain names; decorated ones must not exist.
  EXPECT_EQ(GetProcAddress(plugin_->handle(), "TBP_GetName@8"), nullptr);
  EXPECT_EQ(GetProcAddress(plugin_->handle(), "_TBP_GetName@8"), nullptr);
}

TEST_F(DllTest, TextExportsFollowTheHostBufferRule) {
  char buffer[10];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(plugin_->GetName(nullptr, 100), 7);
  EXPECT_EQ(plugin_->GetName(buffer, -1), 7);
  EXPECT_EQ(plugin_->GetName(buffer, 0), 0);
  EXPECT_EQ(std::string(buffer, 10), "##########");
  EXPECT_EQ(plugin_->GetName(buffer, 3), 3);
  EXPECT_EQ(std::string(buffer, 10), "Viz#######");
  EXPECT_EQ(plugin_->GetVersion(buffer, 10), 3);
  EXPECT_EQ(std::string(buffer, 10), "1.5#######");

  EXPECT_EQ(plugin_->GetMacroList(nullptr, 0), 38);
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(plugin_->GetMacroList(buffer, 10), 10);
  EXPECT_EQ(std::string(buffer, 10), "DisplayXFa");
  EXPECT_EQ(PluginModule::ReadText(plugin_->GetMacroList),
            "DisplayXFace\r\nSetXFace\r\nXFaceVersion\r\n");
}

TEST_F(DllTest, InfoTextFillsABufferOfItsOwnLengthExactly) {
  const int32_t length = plugin_->GetInfo(nullptr, -1);
  ASSERT_GT(length, 1000);
  std::string text(static_cast<std::size_t>(length) + 1, '#');
  EXPECT_EQ(plugin_->GetInfo(text.data(), length), length);
  EXPECT_EQ(text.back(), '#');
  text.pop_back();
  EXPECT_TRUE(text.starts_with("<html><body><h2>Vizmark  1.5</h2>"));
  EXPECT_TRUE(text.ends_with("<br></body></html>"));
}

TEST_F(DllTest, FixedAnswers) {
  EXPECT_EQ(plugin_->GetStatus(), 0);
  EXPECT_EQ(plugin_->NeedConfig(), 1);
  EXPECT_EQ(plugin_->NeedCOM(), 0);
}

TEST_F(DllTest, DispatchThroughTheExport) {
  hostsim::HostState host;
  ContextObject context(&host), params(&host, {"ignored"});
  EXPECT_EQ(plugin_->ExecMacro("xfaceversion", 12, &context, &params), 0);
  EXPECT_EQ(context.items.at(0), "Vizmark 1.5");
  ContextObject untouched(&host);
  EXPECT_EQ(plugin_->ExecMacro("XFaceVersio", 11, &untouched, &params), -1);
  EXPECT_EQ(plugin_->ExecMacro("XFaceVersion", 0, &untouched, &params), -1);
  EXPECT_EQ(untouched.set_item_calls, 0);
}

TEST_F(DllTest, TemplateExpandsXFaceVersion) {
  hostsim::HostState host;
  EXPECT_EQ(hostsim::RunTemplate(*plugin_, host, "[%XFaceVersion] %Other(\"x\")"),
            "[Vizmark 1.5] %Other(\"x\")");
}

}  // namespace
