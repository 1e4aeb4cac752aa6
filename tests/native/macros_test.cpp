#include "macros/macros.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <deque>
#include <stdexcept>
#include <string>
#include <vector>

#include "hostsim/context_object.h"

namespace vizmark {
namespace {

using hostsim::ContextObject;

int32_t Exec(std::span<const MacroEntry> table, const char* name, ContextObject& context,
             ContextObject& params) {
  return ExecMacro(table, name, static_cast<int32_t>(std::strlen(name)), &context, &params);
}

TEST(MacroList, IsEveryNameWithCrLfInTableOrder) {
  constexpr MacroEntry kNames[] = {
      {"DisplayXFace", nullptr}, {"SetXFace", nullptr}, {"XFaceVersion", nullptr}};
  const std::string list = BuildMacroList(kNames);
  EXPECT_EQ(list, "DisplayXFace\r\nSetXFace\r\nXFaceVersion\r\n");
  EXPECT_EQ(list.size(), 38u);
}

// A table whose handlers say who ran, so that dispatch is seen apart from the macros.
std::string g_ran;
void MarkFirst(std::string& result, MacroContext*, MacroContext*) { result = g_ran = "first"; }
void MarkSecond(std::string& result, MacroContext*, MacroContext*) { result = g_ran = "second"; }
void LeaveEmpty(std::string&, MacroContext*, MacroContext*) { g_ran = "empty"; }
void Throw(std::string& result, MacroContext*, MacroContext*) {
  result = "half-built";
  throw std::runtime_error("boom");
}
constexpr MacroEntry kProbeTable[] = {
    {"DisplayXFace", &MarkFirst},
    {"DisplayXFace", &MarkSecond},  // never reached: the first match wins
    {"Empty", &LeaveEmpty},
    {"Throws", &Throw},
};

struct NameCase {
  const char* name;
  int32_t code;
  const char* ran;
};

class DispatchTest : public testing::TestWithParam<NameCase> {};

TEST_P(DispatchTest, MatchesWholeNamesIgnoringAsciiCase) {
  const NameCase& c = GetParam();
  g_ran.clear();
  ContextObject context, params;
  EXPECT_EQ(Exec(kProbeTable, c.name, context, params), c.code);
  EXPECT_EQ(g_ran, c.ran);
  if (c.code == -1) {
    EXPECT_EQ(context.set_item_calls, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Names, DispatchTest,
    testing::Values(NameCase{"DisplayXFace", 0, "first"}, NameCase{"displayxface", 0, "first"},
                    NameCase{"DISPLAYXFACE", 0, "first"}, NameCase{"dIsPlAyXfAcE", 0, "first"},
                    NameCase{"DisplayXFaces", -1, ""}, NameCase{"DisplayXFac", -1, ""},
                    NameCase{"Display", -1, ""}, NameCase{"", -1, ""}, NameCase{"Unknown", -1, ""},
                    // Only a to z fold: 0xE9 is not 'E' or 'e'.
                    NameCase{"Displ\xE9yXFace", -1, ""}),
    [](const testing::TestParamInfo<NameCase>& info) {
      std::string name = "Case" + std::to_string(info.index) + "_";
      for (const char* c = info.param.name; *c; ++c)
        if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
      return name;
    });

TEST(Dispatch, ZeroOrNegativeLengthRunsNothing) {
  g_ran.clear();
  ContextObject context, params;
  EXPECT_EQ(ExecMacro(kProbeTable, "DisplayXFace", 0, &context, &params), -1);
  EXPECT_EQ(ExecMacro(kProbeTable, "DisplayXFace", -5, &context, &params), -1);
  EXPECT_EQ(g_ran, "");
  EXPECT_EQ(context.set_item_calls, 0);
}

TEST(Dispatch, StoresTheResultAsItemZero) {
  ContextObject context({}, {"stale"}), params;
  ASSERT_EQ(Exec(kProbeTable, "DisplayXFace", context, params), 0);
  EXPECT_EQ(context.items.at(0), "first");
  EXPECT_EQ(context.set_item_calls, 1);
}

TEST(Dispatch, StoresAnEmptyResultToo) {
  ContextObject context({}, {"stale"}), params;
  ASSERT_EQ(Exec(kProbeTable, "empty", context, params), 0);
  EXPECT_EQ(context.set_item_calls, 1);
  EXPECT_EQ(context.items.at(0), "");
}

TEST(Dispatch, AFailingHandlerExpandsToOneLineMessage) {
  ContextObject context, params;
  ASSERT_EQ(Exec(kProbeTable, "Throws", context, params), 0);
  EXPECT_EQ(context.items.at(0), kMacroFailedMessage);
  EXPECT_EQ(kMacroFailedMessage.find('\n'), std::string_view::npos);
}

TEST(Dispatch, NullNameOrContextIsNoMacro) {
  ContextObject context, params;
  EXPECT_EQ(ExecMacro(kProbeTable, nullptr, 5, &context, &params), -1);
  EXPECT_EQ(ExecMacro(kProbeTable, "Empty", 5, nullptr, &params), -1);
}

TEST(XFaceVersion, ExpandsToNameAndVersionWhateverTheParameters) {
  for (std::vector<std::string> args :
       {std::vector<std::string>{}, std::vector<std::string>{"x", "y"}}) {
    ContextObject context, params({}, args);
    constexpr MacroEntry kVersionOnly[] = {{"XFaceVersion", &XFaceVersionHandler}};
    ASSERT_EQ(Exec(kVersionOnly, "xfaceVERSION", context, params), 0);
    EXPECT_EQ(context.items.at(0), "Vizmark 1.5");
  }
}

// A host object whose ReadItem answers are scripted, and which records every request.
class ScriptedItem final : public MacroContext {
 public:
  struct Answer {
    int32_t result;
    std::string bytes;  // written to the buffer, whatever the capacity given
  };
  explicit ScriptedItem(std::deque<Answer> answers) : answers_(std::move(answers)) {}

  std::vector<int32_t> capacities;

  int32_t VZ_STDCALL QueryInterface(const void*, void**) override { return -1; }
  uint32_t VZ_STDCALL AddRef() override { return 1; }
  uint32_t VZ_STDCALL Release() override { return 1; }
  int32_t VZ_STDCALL ReadItem(int32_t, char* buffer, int32_t size) override {
    capacities.push_back(buffer ? size : -1);
    if (answers_.empty()) return 0;
    Answer a = answers_.front();
    answers_.pop_front();
    if (buffer) std::memcpy(buffer, a.bytes.data(), a.bytes.size());
    return a.result;
  }
  int32_t VZ_STDCALL SetItem(int32_t, const char*, int32_t) override { return 0; }
  int32_t VZ_STDCALL HostOperation5() override { return 0; }
  int32_t VZ_STDCALL HostOperation6() override { return 0; }
  int32_t VZ_STDCALL HostOperation7() override { return 0; }
  int32_t VZ_STDCALL ItemCount() override { return 1; }
  int32_t VZ_STDCALL Evaluate(const char*, int32_t, int32_t, MacroContext*) override { return 0; }

 private:
  std::deque<Answer> answers_;
};

TEST(ReadItemText, AsksForTheLengthThenExactlyThatMuch) {
  ScriptedItem item({{5, ""}, {5, "hello"}});
  EXPECT_EQ(ReadItemText(&item, 0), "hello");
  EXPECT_EQ(item.capacities, (std::vector<int32_t>{-1, 5}));
}

TEST(ReadItemText, NonPositiveLengthMakesNoSecondRequest) {
  for (int32_t first : {0, -1, -100000}) {
    ScriptedItem item({{first, ""}, {5, "hello"}});
    EXPECT_EQ(ReadItemText(&item, 0), "");
    EXPECT_EQ(item.capacities.size(), 1u);
  }
}

TEST(ReadItemText, NonPositiveCopyGivesEmptyText) {
  for (int32_t second : {0, -1}) {
    ScriptedItem item({{5, ""}, {second, "hello"}});
    EXPECT_EQ(ReadItemText(&item, 0), "");
  }
}

TEST(ReadItemText, CutsAtZeroByteAndAtWhatTheHostSaysItCopied) {
  struct Case {
    const char* name;
    std::deque<ScriptedItem::Answer> answers;
    std::string text;
  };
  const Case cases[] = {
      {"zero byte", {{5, ""}, {5, std::string("ab\0cd", 5)}}, "ab"},
      // The host fills the whole buffer but says it copied only two bytes.
      {"short copy", {{5, ""}, {2, "abcde"}}, "ab"},
      // Three bytes asked for and written with no zero after them, a thousand claimed: read
      // only as far as asked (ASan sees any byte touched past the buffer).
      {"over-claim", {{3, ""}, {1000, "abc"}}, "abc"},
      {"over-claim by one", {{4, ""}, {5, "abcd"}}, "abcd"},
  };
  for (const Case& c : cases) {
    ScriptedItem item(c.answers);
    EXPECT_EQ(ReadItemText(&item, 0), c.text) << c.name;
  }
}

TEST(ReadItemText, AHugeClaimedLengthIsReadOnlyUpToTheLimit) {
  ScriptedItem huge({{INT32_MAX, ""}, {INT32_MAX, "head"}});
  EXPECT_EQ(ReadItemText(&huge, 0), "head");
  EXPECT_EQ(huge.capacities, (std::vector<int32_t>{-1, kMaxItemBytes}));
}

}  // namespace
}  // namespace vizmark
