// The portable half of the value fields: formatting, parsing, range checks
// and the checks of the re-entry request.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "support/capture.h"
#include "winutil/winkit.h"

namespace {

TEST(FloatToString, FixedPointWithTheGivenDecimals) {
  struct Case {
    double value;
    int decimals;
    const char* text;
  };
  const Case cases[] = {
      {1.5, 2, "1.50"},        {2.6, 0, "3"},          {-0.125, 3, "-0.125"},
      {0, 0, "0"},             {1e6, 1, "1000000.0"},  {1.0 / 3, 10, "0.3333333333"},
      {1.5, -1, "1.500000"},   {-2.5, 0, "-2"},        {123456789012345678.0, 0, "123456789012345680"},
  };
  for (const Case& c : cases) {
    char text[80];
    std::memset(text, '#', sizeof text);
    EXPECT_EQ(CVFloatToString(c.value, text, c.decimals), text) << c.value;
    EXPECT_STREQ(text, c.text) << c.value << " with " << c.decimals;
  }
}

TEST(FloatToString, RefusesWhatDoesNotFit) {
  qtest::UiCapture ui;
  char text[80] = "unchanged";
  EXPECT_EQ(CVFloatToString(1e300, text, 2), nullptr);  // 300 digits
  EXPECT_STREQ(text, "unchanged");
  EXPECT_EQ(CVFloatToString(1.0, text, 90), nullptr);
  EXPECT_EQ(ui.boxes().size(), 2u);
  ui.clear();
  EXPECT_EQ(CVFloatToString(1.0, nullptr, 2), nullptr);
  auto lines = ui.only().lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1], "Call with invalid argument!");
  EXPECT_EQ(lines[2], "Invalid data pointer!");
}

TEST(FieldRanges, FlagsAndBounds) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    double v;
    double lo, hi;
    UINT flags;
    bool ok;
  };
  const Case cases[] = {
      {0, 0, 0, 0, true},         {-1e300, 0, 0, 0, true},    {nan, 0, 0, 0, true},
      {0, 0, 0, 1, false},        {0.001, 0, 0, 1, true},     {0, 0, 0, 2, true},
      {0, 0, 0, 1 | 2, true},     {-0.001, 0, 0, 1 | 2, false},
      {100, 0, 100, 4, true},     {100, 0, 100, 8, false},    {100, 0, 100, 4 | 8, true},
      {99.9, 0, 100, 8, true},    {nan, 0, 100, 4, false},    {nan, 0, 100, 1, false},
      {50, 0, 100, 1 | 8, true},  {0, 0, 100, 1 | 8, false},  {100.5, 0, 100, 2 | 4, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CVInRange(c.v, c.lo, c.hi, c.flags), c.ok) << c.v << " flags " << c.flags;
  EXPECT_FALSE(CVInRangeLong(0, 0, 100, 1));
  EXPECT_TRUE(CVInRangeLong(0, 0, 100, 1 | 2));
  EXPECT_TRUE(CVInRangeLong(100, 0, 100, 4));
  EXPECT_FALSE(CVInRangeLong(100, 0, 100, 8));
  EXPECT_TRUE(CVInRangeLong(100, 0, 100, 4 | 8));
}

TEST(FieldParsing, NumbersAsTyped) {
  EXPECT_EQ(CVParseDouble(""), 0);
  EXPECT_EQ(CVParseDouble("abc"), 0);
  EXPECT_EQ(CVParseDouble("  -1.5e2xyz"), -150);
  struct Case {
    const char* text;
    long value;
  };
  const Case cases[] = {{"2k", 2048}, {"64K", 65536}, {"K", 0}, {"1.5K", 1024}, {"", 0},
                        {"12", 12},   {" -3k", -3072}, {"9999999999999K", 2147483647L / 1024 * 1024}};
  for (const Case& c : cases) {
    char text[32];
    std::strcpy(text, c.text);
    EXPECT_EQ(CVParseLong(text), c.value) << c.text;
  }
}

TEST(ParamError, RefusesBadRequests) {
  qtest::UiCapture ui;
  EXPECT_EQ(CVParamError(nullptr), 0);
  auto lines = ui.only().lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "Error: 23 - Code: 25");
  EXPECT_EQ(lines[1], "Error in function ParamErr()!");
  EXPECT_EQ(lines[2], "Invalid MSG pointer!");

  ui.clear();
  MSG request = {};
  EXPECT_EQ(CVParamError(&request), 0);  // no pack
  EXPECT_EQ(ui.only().lines()[2], "Invalid StringPack pointer!");

  ui.clear();
  StringPack pack{"prompt", 280, nullptr, 80};
  request.lParam = reinterpret_cast<LPARAM>(&pack);
  EXPECT_EQ(CVParamError(&request), 0);  // no buffer
  EXPECT_EQ(ui.only().lines()[2], "Invalid StringPack pointer!");
  EXPECT_TRUE(ui.prompts.empty());
}

TEST(ParamError, AsksWithThePromptAndReturnsTheAnswer) {
  qtest::UiCapture ui;
  char buffer[80] = "0.0000000000";
  std::string prompt = "Give a positive value!";
  StringPack pack{prompt.c_str(), static_cast<int>(prompt.size() + 1), buffer, 80};
  MSG request = {};
  request.lParam = reinterpret_cast<LPARAM>(&pack);
  ui.again.push_back("5");
  EXPECT_EQ(CVParamError(&request), 0);
  EXPECT_STREQ(buffer, "5");
  ASSERT_EQ(ui.prompts.size(), 1u);
  EXPECT_EQ(ui.prompts[0], prompt);
  EXPECT_EQ(ui.refused[0], "0.0000000000");
  EXPECT_TRUE(ui.boxes().empty());
}

TEST(FieldsWithoutAWindow, ReportTheHandle) {
  qtest::UiCapture ui;
  double d = 4;
  EXPECT_EQ(CVGetDlgDouble(nullptr, 1, nullptr, 0, 0, 0), 0);
  EXPECT_EQ(CVSetDlgLong(nullptr, 1, 5), 0);
  EXPECT_EQ(CVUpdateDlgDouble(nullptr, 1, EN_KILLFOCUS, &d, 0, 0, 0, 0, 2), 0);
  EXPECT_EQ(d, 4);
  ASSERT_EQ(ui.boxes().size(), 3u);
  for (const auto& box : ui.boxes()) {
    auto lines = box.lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Error: 256 - Code: 6");
    EXPECT_EQ(lines[2], "Not a valid window handle!");
  }
}

}  // namespace
