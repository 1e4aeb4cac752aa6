// The host's side of the calling conventions, built by hand: exports called through
// __stdcall pointers by their plain names, and a context object whose table holds explicit
// __stdcall functions that take the object as their first stack argument, as the host's
// do. A plug-in that called them any other way (the object in a register, the caller
// cleaning the stack) would hand them a wrong object pointer or unbalance the stack;
// every entry checks its object and every call is checked for a balanced stack.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kCanary = 0x5A17C0DE;

struct HandBuiltContext;
struct ContextTable {
  int32_t(__stdcall* QueryInterface)(HandBuiltContext*, const void*, void**);
  uint32_t(__stdcall* AddRef)(HandBuiltContext*);
  uint32_t(__stdcall* Release)(HandBuiltContext*);
  int32_t(__stdcall* ReadItem)(HandBuiltContext*, int32_t, char*, int32_t);
  int32_t(__stdcall* SetItem)(HandBuiltContext*, int32_t, const char*, int32_t);
  int32_t(__stdcall* Host5)(HandBuiltContext*);
  int32_t(__stdcall* Host6)(HandBuiltContext*);
  int32_t(__stdcall* Host7)(HandBuiltContext*);
  int32_t(__stdcall* ItemCount)(HandBuiltContext*);
  int32_t(__stdcall* Evaluate)(HandBuiltContext*, const char*, int32_t, int32_t, HandBuiltContext*);
};

struct HandBuiltContext {
  explicit HandBuiltContext(const ContextTable* entries) : table(entries) {}
  const ContextTable* table;
  uint32_t canary = kCanary;
  std::vector<std::string> items;
  std::vector<std::string> evaluated;
  std::string answer;  // what an evaluation yields into its target
  int bad_calls = 0;
};

bool Check(HandBuiltContext* self) {
  if (self != nullptr && self->canary == kCanary) return true;
  ADD_FAILURE() << "a context entry was called with a wrong object pointer";
  return false;
}

int32_t __stdcall QueryInterface(HandBuiltContext* self, const void*, void**) {
  Check(self);
  return static_cast<int32_t>(0x80004002);
}
uint32_t __stdcall AddRef(HandBuiltContext* self) { return Check(self), 1; }
uint32_t __stdcall Release(HandBuiltContext* self) { return Check(self), 1; }
int32_t __stdcall ReadItem(HandBuiltContext* self, int32_t index, char* buffer, int32_t size) {
  if (!Check(self) || index < 0 || static_cast<size_t>(index) >= self->items.size()) return 0;
  const std::string& item = self->items[static_cast<size_t>(index)];
  if (buffer == nullptr) return static_cast<int32_t>(item.size());
  const int32_t n = std::min(size, static_cast<int32_t>(item.size()));
  std::memcpy(buffer, item.data(), static_cast<size_t>(std::max(n, 0)));
  return n;
}
int32_t __stdcall SetItem(HandBuiltContext* self, int32_t index, const char* text, int32_t length) {
  if (!Check(self) || index != 0 || length < 0) return 0;
  self->items.assign(1, std::string(text, static_cast<size_t>(length)));
  return 1;
}
int32_t __stdcall Host(HandBuiltContext* self) {
  ADD_FAILURE() << "the plug-in called a host operation it never uses";
  return Check(self), 0;
}
int32_t __stdcall ItemCount(HandBuiltContext* self) {
  return Check(self) ? static_cast<int32_t>(self->items.size()) : 0;
}
int32_t __stdcall Evaluate(HandBuiltContext* self, const char* text, int32_t length, int32_t flags,
                           HandBuiltContext* target) {
  if (!Check(self) || !Check(target)) return 0;
  EXPECT_EQ(flags, 0);
  EXPECT_EQ(target, self);
  self->evaluated.emplace_back(text, static_cast<size_t>(length));
  target->items.assign(1, self->answer);
  return 0;
}

constexpr ContextTable kTable = {&QueryInterface, &AddRef, &Release, &ReadItem,  &SetItem,
                                 &Host,           &Host,   &Host,    &ItemCount, &Evaluate};

using ExecMacroFn = int32_t(__stdcall*)(const char*, int32_t, HandBuiltContext*, HandBuiltContext*);
using TextFn = int32_t(__stdcall*)(char*, int32_t);

class AbiTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { module_ = LoadLibraryA("Vizmark.tbp"); }
  static void TearDownTestSuite() { FreeLibrary(module_); }

  template <typename Fn>
  static Fn Export(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }

  // Runs a macro between two canaries on this frame: a call that leaves the stack
  // unbalanced overwrites or moves them.
  static int32_t Run(const char* name, HandBuiltContext& context, HandBuiltContext& params) {
    volatile uint32_t below = kCanary;
    const auto exec = Export<ExecMacroFn>("TBP_ExecMacro");
    const int32_t code = exec(name, static_cast<int32_t>(std::strlen(name)), &context, &params);
    volatile uint32_t above = kCanary;
    EXPECT_EQ(below, kCanary);
    EXPECT_EQ(above, kCanary);
    return code;
  }

  static HMODULE module_;
};
HMODULE AbiTest::module_ = nullptr;

TEST_F(AbiTest, TextExportsByTheirPlainNames) {
  ASSERT_NE(module_, nullptr);
  for (const char* name : {"TBP_GetName", "TBP_GetVersion", "TBP_GetInfo", "TBP_GetMacroList"}) {
    const auto fn = Export<TextFn>(name);
    ASSERT_NE(fn, nullptr) << name;
    char buffer[8] = {};
    EXPECT_EQ(fn(buffer, 3), 3) << name;
  }
}

TEST_F(AbiTest, MacrosCallTheHostsStdcallTable) {
  HandBuiltContext context(&kTable), params(&kTable);
  params.items = {"ignored"};
  EXPECT_EQ(Run("XFaceVersion", context, params), 0);
  ASSERT_EQ(context.items.size(), 1u);
  EXPECT_EQ(context.items[0], "Vizmark 1.5");

  HandBuiltContext reading(&kTable);
  reading.answer = "";  // a message without a face
  EXPECT_EQ(Run("DisplayXFace", reading, params), 0);
  EXPECT_EQ(reading.evaluated,
            (std::vector<std::string>{"%OHEADER(\"Face\")%-", "%OHEADER(\"X-Face\")%-"}));
  EXPECT_EQ(reading.items, (std::vector<std::string>{""}));

  EXPECT_EQ(Run("NoSuchMacro", context, params), -1);
}

}  // namespace
