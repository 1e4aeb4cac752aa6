#include "plugin/host_buffer.h"

#include <gtest/gtest.h>

#include <string>

namespace vizmark {
namespace {

struct Case {
  const char* name;
  bool null_buffer;
  int32_t size;
  int32_t expected_result;
  const char* expected_buffer;  // 10 bytes, '#' where the buffer is left untouched
};

class HostBufferTest : public testing::TestWithParam<Case> {};

TEST_P(HostBufferTest, CopiesAtMostSizeBytesAndNoTerminator) {
  const Case& c = GetParam();
  std::string buffer(10, '#');
  const int32_t result =
      CopyToHostBuffer("Vizmark", c.null_buffer ? nullptr : buffer.data(), c.size);
  EXPECT_EQ(result, c.expected_result);
  EXPECT_EQ(buffer, c.expected_buffer);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HostBufferTest,
    testing::Values(Case{"NullBufferAsksForLength", true, 100, 7, "##########"},
                    Case{"NullBufferZeroSize", true, 0, 7, "##########"},
                    Case{"NegativeSizeAsksForLength", false, -1, 7, "##########"},
                    Case{"ZeroSizeCopiesNothing", false, 0, 0, "##########"},
                    Case{"ShortBufferTruncates", false, 3, 3, "Viz#######"},
                    Case{"ExactSize", false, 7, 7, "Vizmark###"},
                    Case{"LargerBufferNoTerminator", false, 10, 7, "Vizmark###"}),
    [](const testing::TestParamInfo<Case>& info) { return info.param.name; });

TEST(HostBuffer, EmptyTextCopiesNothing) {
  char byte = '#';
  EXPECT_EQ(CopyToHostBuffer("", &byte, 1), 0);
  EXPECT_EQ(byte, '#');
  EXPECT_EQ(CopyToHostBuffer("", nullptr, 1), 0);
}

}  // namespace
}  // namespace vizmark
