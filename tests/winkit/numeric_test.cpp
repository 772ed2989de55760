// Numeric helpers.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "winutil/winkit.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

TEST(Numeric, PowersOfTwo) {
  struct Case {
    unsigned n;
    int isPow2;
    int next;
  };
  const Case cases[] = {
      {0, 0, 1},           {1, 1, 1},
      {2, 1, 2},           {3, 0, 4},
      {5, 0, 8},           {1000, 0, 1024},
      {1024, 1, 1024},     {1025, 0, 2048},
      {1u << 29, 1, 1 << 29},
      {(1u << 30) + 1, 0, static_cast<int>(0x80000000u)},
      {0x80000000u, 1, static_cast<int>(0x80000000u)},
      {0x80000001u, 0, 0}, {0xFFFFFFFFu, 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CVIsPow2(c.n), c.isPow2) << "n = " << c.n;
    EXPECT_EQ(CVNextPow2(c.n), c.next) << "n = " << c.n;
  }
}

TEST(Numeric, MinMaxMidAndSign) {
  EXPECT_EQ(CVmax(1, 2), 2);
  EXPECT_EQ(CVmin(1, 2), 1);
  EXPECT_EQ(CVmax(3, 1, 2), 3);
  EXPECT_EQ(CVmin(3, 1, 2), 1);
  EXPECT_EQ(CVmid(3, 1, 2), 2);
  EXPECT_EQ(CVmid(1, 3, 2), 2);
  EXPECT_EQ(CVmid(2, 2, 1), 2);
  EXPECT_EQ(CVmid(-1, -5, 7), -1);
  // A comparison with NaN fails, so the other argument wins.
  EXPECT_EQ(CVmax(kNaN, 4), 4);
  EXPECT_EQ(CVmin(kNaN, 4), 4);
  EXPECT_EQ(CVsignum(0), 1);
  EXPECT_EQ(CVsignum(-0.0), 1);
  EXPECT_EQ(CVsignum(-0.5), -1);
  EXPECT_EQ(CVsignum(kNaN), -1);
}

TEST(Numeric, UndefinedAndInfinite) {
  EXPECT_TRUE(CVIsNAN(kNaN));
  EXPECT_FALSE(CVIsNAN(kInf));
  EXPECT_FALSE(CVIsNAN(1.0));
  EXPECT_TRUE(CVIsINF(kInf));
  EXPECT_TRUE(CVIsINF(-kInf));
  EXPECT_TRUE(CVIsINF(kNaN));
  EXPECT_FALSE(CVIsINF(1e308));
}

TEST(Numeric, MakeFloatNaNKeepsTheLowerHalf) {
  float f;
  std::uint32_t pattern = 0x12345678;
  std::memcpy(&f, &pattern, 4);
  EXPECT_EQ(CVMakeFloatNAN(&f), 1);
  std::uint32_t after;
  std::memcpy(&after, &f, 4);
  EXPECT_EQ(after, 0xFF805678u);
  EXPECT_TRUE(CVIsNAN(f));
}

}  // namespace
