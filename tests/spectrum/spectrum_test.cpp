// The spectrum object: its layout and storage in the platform's memory
// blocks, resizing, the accessors and their bounds, the flags, the extremes
// and the whole-array operations.

#include "spectrum/spectrum.h"
#include "probe.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "support/capture.h"
#include "support/faults.h"
#include "support/module_names.h"
#include "winutil/platform/platform.h"

namespace {

// ---- watching the memory blocks ------------------------------------------------

// Every block taken through the platform while it lives, with its lock count;
// the operations are passed on to the table that was there before.
class BlockWatch {
 public:
  BlockWatch() : saved_(plat::ops()) {
    current_ = this;
    plat::Ops& o = plat::ops();
    o.memAlloc = [](std::size_t n) {
      HGLOBAL h = current_->saved_.memAlloc(n);
      if (h) current_->locks_[h] = 0;
      return h;
    };
    o.memReAlloc = [](HGLOBAL h, std::size_t n) {
      if (current_->locks_.count(h) && current_->locks_[h] != 0) ++current_->misuse_;
      HGLOBAL g = current_->saved_.memReAlloc(h, n);
      if (g && g != h) {
        current_->locks_.erase(h);
        current_->locks_[g] = 0;
      }
      return g;
    };
    o.memLock = [](HGLOBAL h) {
      if (!current_->locks_.count(h)) ++current_->misuse_;
      ++current_->locks_[h];
      return current_->saved_.memLock(h);
    };
    o.memUnlock = [](HGLOBAL h) {
      if (!current_->locks_.count(h) || current_->locks_[h] == 0) {
        ++current_->misuse_;
      } else {
        --current_->locks_[h];
      }
      return current_->saved_.memUnlock(h);
    };
    o.memFree = [](HGLOBAL h) {
      if (!current_->locks_.count(h)) {
        ++current_->misuse_;  // not a block of ours, or freed twice
        return h;
      }
      if (current_->locks_[h] != 0) ++current_->misuse_;  // freed while locked
      current_->locks_.erase(h);
      return current_->saved_.memFree(h);
    };
  }
  ~BlockWatch() {
    plat::ops() = saved_;
    current_ = nullptr;
  }
  BlockWatch(const BlockWatch&) = delete;
  BlockWatch& operator=(const BlockWatch&) = delete;

  std::size_t live() const { return locks_.size(); }
  // Live blocks that are locked exactly once, as an array in use is.
  std::size_t lockedOnce() const {
    std::size_t n = 0;
    for (const auto& b : locks_) n += b.second == 1;
    return n;
  }
  std::size_t bytesOfLive() const {
    std::size_t n = 0;
    for (const auto& b : locks_) n += saved_.memSize(b.first);
    return n;
  }
  int misuse() const { return misuse_; }

 private:
  static BlockWatch* current_;
  plat::Ops saved_;
  std::map<HGLOBAL, int> locks_;
  int misuse_ = 0;
};

BlockWatch* BlockWatch::current_ = nullptr;

// ---- helpers ---------------------------------------------------------------------

std::vector<float> reals(const Spectrum& s, long n) {
  std::vector<float> v;
  for (long i = 0; i < n; ++i) v.push_back(s.GetRealInt(i));
  return v;
}

std::vector<float> imags(const Spectrum& s, long n) {
  std::vector<float> v;
  for (long i = 0; i < n; ++i) v.push_back(s.GetImagInt(i));
  return v;
}

// re[i] = i + 1 and, when there is an imaginary array, im[i] = -(i + 1).
void fillCounting(Spectrum& s) {
  for (long i = 0; i < s.GetSI(); ++i) {
    s.SetRealInt(i, static_cast<float>(i + 1));
    s.SetImagInt(i, -static_cast<float>(i + 1));
  }
}

void fill(Spectrum& s, const std::vector<float>& values) {
  ASSERT_EQ(s.Init(0, static_cast<long>(values.size()), 100, 1000, -1000), 1);
  for (std::size_t i = 0; i < values.size(); ++i) s.SetRealInt(static_cast<long>(i), values[i]);
  s.SetSpecFlag(SPF_PRESENT, 1);
  s.SetSpecFlag(SPF_STALE, 1);
}

std::vector<float> counting(long from, long to) {  // from .. to - 1, plus one each
  std::vector<float> v;
  for (long i = from; i < to; ++i) v.push_back(static_cast<float>(i + 1));
  return v;
}

std::vector<float> zeros(long n) { return std::vector<float>(static_cast<std::size_t>(n), 0.0f); }

std::vector<float> join(std::vector<float> a, const std::vector<float>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::vector<float> negated(std::vector<float> v) {
  for (float& x : v) x = -x;
  return v;
}

// ---- layout ----------------------------------------------------------------------

TEST(SpectrumLayout, NewObjectIsEmpty) {
  Spectrum s;
  EXPECT_EQ(s.GetDimension(), 0);
  EXPECT_EQ(s.GetSI(), 0);
  EXPECT_EQ(s.GetTotalSI(), 0);
  EXPECT_EQ(s.GetStatus(), 0u);
  EXPECT_EQ(s.GetRealInt(0), 0.0f);
  EXPECT_EQ(s.SetRealInt(0, 1.0f), 0);
  EXPECT_EQ(s.GetMinMaxPer(nullptr, nullptr), 0);
}

TEST(SpectrumLayout, InitGivesOneZeroedDimension) {
  Spectrum s;
  ASSERT_EQ(s.Init(0, 1024, 100, -15000, 15000), 1);
  EXPECT_EQ(s.GetDimension(), 1);
  EXPECT_EQ(s.GetF1(), 15000.0f);
  EXPECT_EQ(s.GetF2(), -15000.0f);
  EXPECT_EQ(s.GetSF(), 100.0f);
  EXPECT_EQ(s.GetSI(), 1024);
  EXPECT_EQ(s.GetTotalSI(), 1024);
  EXPECT_FLOAT_EQ(s.GetInc(), 30000.0f / 1024);
  EXPECT_EQ(s.GetSpecFlag(SPF_PRESENT), 0);
  EXPECT_EQ(s.GetSpecFlag(SPF_COMPLEX), 0);
  EXPECT_EQ(reals(s, 1024), zeros(1024));
  EXPECT_EQ(s.SetImagInt(0, 1.0f), 0) << "a real layout has no imaginary array";

  ASSERT_EQ(s.Init(1, 16, 400, 10, 20), 1);
  EXPECT_EQ(s.GetSpecFlag(SPF_COMPLEX), 1);
  EXPECT_EQ(s.SetImagInt(15, 2.0f), 1);
  EXPECT_EQ(s.GetImagInt(15), 2.0f);
  EXPECT_EQ(s.GetF1(), 20.0f);
  EXPECT_EQ(s.GetF2(), 10.0f);

  // An SF the record refuses keeps the previous one.
  ASSERT_EQ(s.Init(1, 16, 0, 10, 20), 1);
  EXPECT_EQ(s.GetSF(), 400.0f);
  ASSERT_EQ(s.Init(1, 16, -5, 10, 20), 1);
  EXPECT_EQ(s.GetSF(), 400.0f);
}

TEST(SpectrumLayout, InitClearsDataOfTheSameSize) {
  Spectrum s;
  ASSERT_EQ(s.Init(1, 8, 100, 0, 800), 1);
  fillCounting(s);
  s.SetSpecFlag(SPF_PRESENT, 1);
  ASSERT_EQ(s.Init(1, 8, 100, 0, 800), 1);
  EXPECT_EQ(reals(s, 8), zeros(8));
  EXPECT_EQ(imags(s, 8), zeros(8));
  EXPECT_EQ(s.GetSpecFlag(SPF_PRESENT), 0);
}

TEST(SpectrumLayout, InitFromTwoDimensionsToOne) {
  Spectrum s;
  ASSERT_EQ(s.Init2D(0, 4, 400, 1, 2, 3, 100, 5, 6), 1);
  ASSERT_EQ(s.Init(0, 4, 50, 0, 40), 1);
  EXPECT_EQ(s.GetDimension(), 1);
  EXPECT_EQ(s.GetSI(), 4);
  EXPECT_EQ(s.GetTotalSI(), 4);
  EXPECT_EQ(s.GetSI(2), 0);
}

TEST(SpectrumLayout, Init2DKeepsLimitsInTheGivenOrder) {
  Spectrum s;
  ASSERT_EQ(s.Init2D(1, 8, 400.5f, -100, 300, 4, 100.25f, 50, -50), 1);
  EXPECT_EQ(s.GetDimension(), 2);
  EXPECT_EQ(s.GetTotalSI(), 32);
  EXPECT_EQ(s.GetSI(1), 8);
  EXPECT_EQ(s.GetSI(2), 4);
  EXPECT_EQ(s.GetSI(3), 0);
  EXPECT_EQ(s.GetF1(1), -100.0f);
  EXPECT_EQ(s.GetF2(1), 300.0f);
  EXPECT_EQ(s.GetF1(2), 50.0f);
  EXPECT_EQ(s.GetF2(2), -50.0f);
  EXPECT_EQ(s.GetSF(1), 400.5f);
  EXPECT_EQ(s.GetSF(2), 100.25f);
  EXPECT_EQ(s.GetSpecFlag(SPF_COMPLEX), 1);
  EXPECT_EQ(s.GetSpecFlag(SPF_PRESENT), 0);
  std::vector<float> all(SpectrumProbe::re(s), SpectrumProbe::re(s) + 32);
  EXPECT_EQ(all, zeros(32));
}

TEST(SpectrumLayout, Init2DRefusesAPointCountBeyondThirtyTwoBits) {
  BlockWatch watch;
  Spectrum s;
  ASSERT_EQ(s.Init(0, 16, 100, 0, 10), 1);
  qtest::UiCapture ui;
  EXPECT_EQ(s.Init2D(0, 65536, 400, 0, 1, 65536, 400, 0, 1), 0);
  EXPECT_EQ(s.GetTotalSI(), 0);
  EXPECT_EQ(watch.live(), 0u);
  EXPECT_TRUE(ui.boxes().empty());
}

TEST(SpectrumLayout, ANegativeSizeGivesAnEmptyObject) {
  Spectrum s;
  ASSERT_EQ(s.Init(1, 16, 100, 0, 10), 1);
  ASSERT_EQ(s.Init(0, -5, 100, 0, 10), 1);
  EXPECT_EQ(s.GetSI(), 0);
  EXPECT_EQ(s.GetTotalSI(), 0);
  ASSERT_EQ(s.Init(0, 16, 100, 0, 10), 1);
  EXPECT_EQ(s.SetRealInt(15, 1.0f), 1) << "the arrays are there again";
}

// ---- storage -------------------------------------------------------------------------

TEST(SpectrumStorage, ArraysAreLockedBlocksFreedByTheObject) {
  BlockWatch watch;
  {
    Spectrum s;
    ASSERT_EQ(s.Init(1, 64, 100, 0, 10), 1);
    EXPECT_EQ(watch.live(), 2u);
    EXPECT_EQ(watch.lockedOnce(), 2u);
    EXPECT_EQ(watch.bytesOfLive(), 2 * 64 * sizeof(float));
    ASSERT_EQ(s.SetSI(1, 200), 0);
    EXPECT_EQ(watch.live(), 2u);
    EXPECT_EQ(watch.lockedOnce(), 2u);
    EXPECT_EQ(watch.bytesOfLive(), 2 * 200 * sizeof(float));
    ASSERT_EQ(s.SetSI(0, 200), 0);
    EXPECT_EQ(watch.live(), 1u);
    ASSERT_EQ(s.SetSI(0, 0), 0);
    EXPECT_EQ(watch.live(), 0u);
    ASSERT_EQ(s.Init2D(1, 8, 100, 0, 1, 8, 100, 0, 1), 1);
    EXPECT_EQ(watch.bytesOfLive(), 2 * 64 * sizeof(float));
  }
  EXPECT_EQ(watch.live(), 0u);
  EXPECT_EQ(watch.misuse(), 0);
}

TEST(SpectrumStorage, SetSIResizesKeepingTheLeadingValues) {
  struct Case {
    const char* name;
    int fromComplex;
    long from;
    int toComplex;
    long to;
    std::vector<float> re, im;  // expected; im empty: no imaginary array
    unsigned flagsAfter;        // of SPF_COMPLEX | SPF_FID, the FID flag set before: a real
                                // layout clears it, a complex one keeps it
  };
  const Case cases[] = {
      {"real grows 100 to 200", 0, 100, 0, 200, join(counting(0, 100), zeros(100)), {}, 0},
      {"real shrinks 100 to 50", 0, 100, 0, 50, counting(0, 50), {}, 0},
      {"complex grows 100 to 200", 1, 100, 1, 200, join(counting(0, 100), zeros(100)),
       negated(join(counting(0, 100), zeros(100))), SPF_COMPLEX | SPF_FID},
      {"complex shrinks 100 to 3", 1, 100, 1, 3, counting(0, 3), negated(counting(0, 3)),
       SPF_COMPLEX | SPF_FID},
      {"real of the same size becomes complex", 0, 100, 1, 100, counting(0, 100), zeros(100),
       SPF_COMPLEX | SPF_FID},
      {"complex of the same size becomes real", 1, 100, 0, 100, counting(0, 100), {}, 0},
      {"complex becomes real and grows", 1, 10, 0, 12, join(counting(0, 10), zeros(2)), {}, 0},
      {"real becomes complex and shrinks", 0, 10, 1, 4, counting(0, 4), zeros(4),
       SPF_COMPLEX | SPF_FID},
      {"same size and kind", 1, 10, 1, 10, counting(0, 10), negated(counting(0, 10)),
       SPF_COMPLEX | SPF_FID},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BlockWatch watch;
    qtest::UiCapture ui;
    Spectrum s;
    ASSERT_EQ(s.Init(c.fromComplex, c.from, 100, 0, 1000), 1);
    fillCounting(s);
    s.SetSpecFlag(SPF_FID, 1);
    s.SetSpecFlag(SPF_PRESENT, 1);
    ASSERT_EQ(s.SetSI(c.toComplex, c.to), 0);
    EXPECT_EQ(s.GetSI(), c.to);
    EXPECT_EQ(s.GetTotalSI(), c.to);
    EXPECT_EQ(reals(s, c.to), c.re);
    EXPECT_EQ(s.GetStatus() & (SPF_COMPLEX | SPF_FID), c.flagsAfter);
    EXPECT_EQ(s.GetSpecFlag(SPF_PRESENT), 1) << "a resize is no new data set";
    if (c.im.empty()) {
      EXPECT_EQ(SpectrumProbe::im(s), nullptr);
      EXPECT_EQ(watch.live(), 1u);
    } else {
      EXPECT_EQ(imags(s, c.to), c.im);
      EXPECT_EQ(watch.live(), 2u);
    }
    EXPECT_FLOAT_EQ(s.GetInc(), 1000.0f / c.to);
    EXPECT_TRUE(ui.boxes().empty());
  }
}

TEST(SpectrumStorage, SetSIToZeroFreesBothArrays) {
  BlockWatch watch;
  Spectrum s;
  ASSERT_EQ(s.Init(1, 32, 100, 0, 10), 1);
  fillCounting(s);
  s.SetSpecFlag(SPF_PRESENT, 1);
  EXPECT_EQ(s.SetSI(0, 0), 0);
  EXPECT_EQ(s.GetSpecFlag(SPF_PRESENT), 0);
  EXPECT_EQ(s.GetSI(), 0);
  EXPECT_EQ(s.GetTotalSI(), 0);
  EXPECT_EQ(watch.live(), 0u);
  EXPECT_EQ(s.GetRealInt(0), 0.0f);
}

TEST(SpectrumStorage, SetSIRefusals) {
  qtest::UiCapture ui;
  Spectrum empty;
  EXPECT_EQ(empty.SetSI(0, 16), 59) << "no dimension";
  EXPECT_EQ(empty.GetTotalSI(), 0);

  Spectrum s;
  ASSERT_EQ(s.Init2D(0, 4, 100, 0, 1, 4, 100, 0, 1), 1);
  EXPECT_EQ(s.SetSI(0, 64), 59);
  EXPECT_EQ(s.GetTotalSI(), 16);
  EXPECT_EQ(s.GetSI(1), 4);

  Spectrum one;
  ASSERT_EQ(one.Init(0, 8, 100, 0, 1), 1);
  EXPECT_EQ(one.SetSI(0, 64, 1), 13) << "the form with a dimension is not supported";
  EXPECT_EQ(one.SetSI(0, 64, 2), 13);
  EXPECT_EQ(one.GetSI(), 8);
  EXPECT_EQ(one.GetTotalSI(), 8);
  EXPECT_TRUE(ui.boxes().empty());
}

// Each allocation and reallocation of a resize fails in turn: the box once,
// 13, and an empty object that works again afterwards.
TEST(SpectrumStorage, AllocationFailuresOfSetSI) {
  struct Case {
    const char* name;
    int fromComplex;
    long from;  // 0: a fresh object with one dimension and no arrays
    int toComplex;
    long to;
  };
  const Case cases[] = {
      {"new complex arrays", 0, 0, 1, 64},
      {"complex arrays grow", 1, 100, 1, 200},
      {"complex arrays shrink", 1, 100, 1, 20},
      {"real arrays grow and become complex", 0, 100, 1, 300},
      {"an imaginary array is added", 0, 100, 1, 100},
  };
  const std::string caption = qtest::moduleName(ViewtraceModule());
  for (const Case& c : cases) {
    int failures = 0;
    for (int at = 1;; ++at) {
      SCOPED_TRACE(std::string(c.name) + ", memory operation " + std::to_string(at));
      BlockWatch watch;
      Spectrum s;
      ASSERT_EQ(s.Init(c.fromComplex, c.from, 100, 0, 1000), 1);
      fillCounting(s);
      s.SetSpecFlag(SPF_PRESENT, 1);
      qtest::UiCapture ui;
      int result;
      bool fired;
      {
        qtest::FaultPlan plan(qtest::kFaultMemory, at);
        result = s.SetSI(c.toComplex, c.to);
        fired = plan.fired();
      }
      if (!fired) {
        EXPECT_EQ(result, 0);
        EXPECT_TRUE(ui.boxes().empty());
        EXPECT_EQ(reals(s, c.from < c.to ? c.from : c.to),
                  counting(0, c.from < c.to ? c.from : c.to));
        break;
      }
      ++failures;
      EXPECT_EQ(result, 13);
      ASSERT_EQ(ui.boxes().size(), 1u);
      EXPECT_EQ(ui.boxes()[0].caption, caption);
      EXPECT_EQ(ui.boxes()[0].lines(),
                (std::vector<std::string>{"Error: 13 - Code: 1",
                                          "Cannot allocate the requested spectrum!",
                                          "Not enough memory!"}));
      EXPECT_EQ(s.GetTotalSI(), 0);
      EXPECT_EQ(s.GetSI(), 0);
      EXPECT_EQ(s.GetSpecFlag(SPF_PRESENT), 0);
      EXPECT_EQ(s.GetRealInt(0), 0.0f);
      EXPECT_EQ(s.SetRealInt(0, 1.0f), 0);
      EXPECT_EQ(watch.live(), 0u);
      EXPECT_EQ(watch.misuse(), 0);
      // The object is usable again.
      ASSERT_EQ(s.SetSI(c.toComplex, c.to), 0);
      EXPECT_EQ(reals(s, c.to), zeros(c.to));
      EXPECT_EQ(s.SetRealInt(c.to - 1, 5.0f), 1);
      EXPECT_EQ(s.SetImagInt(c.to - 1, 5.0f), c.toComplex);
    }
    EXPECT_GE(failures, 1) << c.name;
  }
}

// After a failed allocation the record may still name the old size; asking
// for that size again must give arrays, not an empty object reported as done.
TEST(SpectrumStorage, InitAfterAFailedAllocation) {
  BlockWatch watch;
  qtest::UiCapture ui;
  Spectrum s;
  ASSERT_EQ(s.Init(1, 16, 100, 0, 10), 1);
  {
    qtest::FaultPlan plan(qtest::kFaultMemory, 1);
    EXPECT_EQ(s.Init(1, 32, 100, 0, 10), 0);
    ASSERT_TRUE(plan.fired());
  }
  EXPECT_TRUE(ui.boxes().empty()) << "Init reports nothing itself";
  EXPECT_EQ(s.GetTotalSI(), 0);
  EXPECT_EQ(watch.live(), 0u);
  ASSERT_EQ(s.Init(1, 16, 100, 0, 10), 1);
  EXPECT_EQ(s.GetTotalSI(), 16);
  EXPECT_EQ(s.SetRealInt(15, 1.0f), 1);
  EXPECT_EQ(s.SetImagInt(15, 1.0f), 1);
  EXPECT_EQ(watch.live(), 2u);

  // The same with the two-dimensional layout.
  {
    qtest::FaultPlan plan(qtest::kFaultMemory, 2);
    EXPECT_EQ(s.Init2D(1, 4, 100, 0, 1, 8, 100, 0, 1), 0);
    ASSERT_TRUE(plan.fired());
  }
  EXPECT_EQ(s.GetTotalSI(), 0);
  EXPECT_EQ(watch.live(), 0u);
  EXPECT_EQ(watch.misuse(), 0);
}

// A flag changed by hand must neither leak an imaginary array nor leave a
// complex layout without one.
TEST(SpectrumStorage, ComplexFlagSetByHand) {
  BlockWatch watch;
  {
    Spectrum s;
    ASSERT_EQ(s.Init(1, 8, 100, 0, 1), 1);
    s.SetSpecFlag(SPF_COMPLEX, 0);
    ASSERT_EQ(s.SetSI(1, 8), 0);
    EXPECT_EQ(watch.live(), 2u);
    EXPECT_EQ(s.GetSpecFlag(SPF_COMPLEX), 1);

    Spectrum r;
    ASSERT_EQ(r.Init(0, 8, 100, 0, 1), 1);
    r.SetSpecFlag(SPF_COMPLEX, 1);
    ASSERT_EQ(r.SetSI(1, 8), 0);
    EXPECT_EQ(r.SetImagInt(7, 1.0f), 1) << "asking for a complex layout gives an imaginary array";
  }
  EXPECT_EQ(watch.live(), 0u);
  EXPECT_EQ(watch.misuse(), 0);
}

// ---- size and axis ----------------------------------------------------------------------

TEST(SpectrumAxis, SetTDIsLimitedBySI) {
  Spectrum s;
  ASSERT_EQ(s.Init(0, 4096, 100, 0, 1), 1);
  EXPECT_EQ(s.SetTD(5000), 1);
  EXPECT_EQ(s.GetTD(), 4096);
  EXPECT_EQ(s.SetTD(100), 1);
  EXPECT_EQ(s.GetTD(), 100);
  EXPECT_EQ(s.SetTD(50, 1), 0);
  EXPECT_EQ(s.GetTD(), 100);
  EXPECT_EQ(s.GetTD(1), 100);
}

TEST(SpectrumAxis, SetF1F2PutsTheLargerLimitFirst) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    const char* name;
    float a, b;
    float f1, f2;
  };
  const Case cases[] = {
      {"ascending", -100, 200, 200, -100},
      {"descending", 200, -100, 200, -100},
      {"equal", 5, 5, 5, 5},
      {"first undefined", nan, 3, 3, nan},
      {"second undefined", 3, nan, nan, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Spectrum s;
    ASSERT_EQ(s.Init(0, 10, 100, 0, 1), 1);
    EXPECT_EQ(s.SetF1F2(c.a, c.b), 1);
    if (std::isnan(c.f1)) {
      EXPECT_TRUE(std::isnan(s.GetF1()));
    } else {
      EXPECT_EQ(s.GetF1(), c.f1);
    }
    if (std::isnan(c.f2)) {
      EXPECT_TRUE(std::isnan(s.GetF2()));
    } else {
      EXPECT_EQ(s.GetF2(), c.f2);
    }
  }
  Spectrum two;
  ASSERT_EQ(two.Init2D(0, 4, 100, 0, 1, 4, 100, 0, 1), 1);
  EXPECT_EQ(two.SetF1F2(-7, 9, 2), 1);
  EXPECT_EQ(two.GetF1(2), 9.0f);
  EXPECT_EQ(two.GetF2(2), -7.0f);
  EXPECT_EQ(two.SetF1F2(-7, 9, 3), 0) << "no third dimension";
  Spectrum none;
  EXPECT_EQ(none.SetF1F2(1, 2), 0);
}

TEST(SpectrumAxis, SettersReturnTheRecordsRefusals) {
  Spectrum s;
  ASSERT_EQ(s.Init(0, 100, 400, -500, 500), 1);
  EXPECT_EQ(s.SetSF(0), 0);
  EXPECT_EQ(s.SetSF(-1, 1), 0);
  EXPECT_EQ(s.GetSF(), 400.0f);
  EXPECT_EQ(s.SetSF(300, 1), 1);
  EXPECT_EQ(s.GetSF(1), 300.0f);
  EXPECT_EQ(s.SetSF(300, 2), 0);
  EXPECT_EQ(s.SetSW(2000), 1);
  EXPECT_FLOAT_EQ(s.GetSW(), 2000.0f);
  EXPECT_FLOAT_EQ(s.GetDW(), 1.0f / 2000);
  EXPECT_FLOAT_EQ(s.GetInc(1), 20.0f);
  EXPECT_EQ(s.SetInc(-1), 0);
  EXPECT_EQ(s.SetNucleus(1), 1);
  EXPECT_EQ(s.GetNucleus(), 1);
  EXPECT_EQ(s.SetNucleus(-1), 0);
  EXPECT_EQ(s.GetNucleus(1), 1);
  EXPECT_EQ(s.GetNucleus(2), 0);
  EXPECT_EQ(s.SetColor(0x00FF8000u), 1);
  EXPECT_EQ(s.GetColor(), 0x00FF8000u);
}

// ---- intensities -----------------------------------------------------------------------------

TEST(SpectrumPoints, AccessorsKeepToTheirBounds) {
  Spectrum s;
  ASSERT_EQ(s.Init(1, 10, 100, 0, 1), 1);
  fillCounting(s);
  struct Case {
    const char* name;
    long i;
    bool inside;
  };
  const Case cases[] = {{"first", 0, true},
                        {"last", 9, true},
                        {"minus one", -1, false},
                        {"SI", 10, false},
                        {"far", 1L << 30, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(s.GetRealInt(c.i), c.inside ? static_cast<float>(c.i + 1) : 0.0f);
    EXPECT_EQ(s.GetImagInt(c.i), c.inside ? -static_cast<float>(c.i + 1) : 0.0f);
    EXPECT_EQ(s.SetRealInt(c.i, 0.5f), c.inside ? 1 : 0);
    EXPECT_EQ(s.SetImagInt(c.i, 0.25f), c.inside ? 1 : 0);
    EXPECT_EQ(s.AddRealInt(c.i, 1.0f), c.inside ? 1 : 0);
    EXPECT_EQ(s.AddImagInt(c.i, 1.0f), c.inside ? 1 : 0);
    if (c.inside) {
      EXPECT_EQ(s.GetRealInt(c.i), 1.5f);
      EXPECT_EQ(s.GetImagInt(c.i), 1.25f);
    }
  }
  EXPECT_EQ(s.GetStatus() & (SPF_STALE | SPF_PRESENT), 0u) << "point setters leave the flags";
  EXPECT_EQ(reals(s, 10), join(join({1.5f}, counting(1, 9)), {1.5f}));
}

TEST(SpectrumPoints, SecondDimensionBounds) {
  Spectrum s;
  ASSERT_EQ(s.Init2D(0, 4, 100, 0, 1, 3, 100, 0, 1), 1);
  fillCounting(s);
  EXPECT_EQ(s.GetRealInt(2, 2), 3.0f);
  EXPECT_EQ(s.GetRealInt(3, 2), 0.0f) << "SI of dimension 2 is 3";
  EXPECT_EQ(s.GetRealInt(3, 1), 4.0f);
  EXPECT_EQ(s.GetRealInt(0, 3), 0.0f) << "no dimension 3";
  EXPECT_EQ(s.SetRealInt(4, 1.0f), 0) << "setters go by SI of dimension 1";
}

// ---- flags ---------------------------------------------------------------------------------

TEST(SpectrumFlags, SetSpecFlagSequences) {
  struct Step {
    long mask;
    int on;
  };
  struct Case {
    const char* name;
    std::vector<Step> steps;
    unsigned flags;
  };
  const Case cases[] = {
      {"each plain bit", {{1, 1}, {2, 1}, {4, 1}, {8, 1}}, 0xF},
      {"plain bits cleared", {{1, 1}, {2, 1}, {4, 1}, {8, 1}, {2, 0}, {8, 0}}, 0x5},
      {"sequential after half spectrum", {{32, 1}, {16, 1}}, 0x10},
      {"half spectrum after sequential", {{16, 1}, {32, 1}}, 0x20},
      {"sequential cleared leaves half spectrum", {{32, 1}, {16, 0}}, 0x20},
      {"half spectrum cleared leaves sequential", {{16, 1}, {32, 0}}, 0x10},
      {"a mask of two bits changes nothing", {{3, 1}}, 0},
      {"an unknown bit changes nothing", {{1, 1}, {64, 1}, {64, 0}}, 0x1},
      {"any non-zero value sets", {{8, -3}}, 0x8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Spectrum s;
    for (const Step& st : c.steps) EXPECT_EQ(s.SetSpecFlag(st.mask, st.on), st.on);
    EXPECT_EQ(s.GetStatus(), c.flags);
  }
  Spectrum s;
  s.SetSpecFlag(SPF_HALFSPEC, 1);
  EXPECT_EQ(s.GetSpecFlag(SPF_SEQUENTIAL | SPF_HALFSPEC), 1) << "any bit of the mask";
  EXPECT_EQ(s.GetSpecFlag(SPF_SEQUENTIAL), 0);
}

// ---- extremes ----------------------------------------------------------------------------------

TEST(SpectrumExtremes, MaximumMinimumAndTheirFractions) {
  struct Case {
    const char* name;
    std::vector<float> values;
    float max, min, pos, neg;
    bool present;  // afterwards
  };
  const Case cases[] = {
      {"both signs", {-1, 3, 0, 2}, 3, -1, 0.75f, -0.25f, true},
      {"all positive", {2, 5, 3}, 5, 2, 1, 0, true},
      {"all negative", {-5, -2, -4}, -2, -5, 0, -1, true},
      {"zero counts as positive", {0, 4, 1}, 4, 0, 1, 0, true},
      {"zero against negatives", {-4, 0, -1}, 0, -4, 0, -1, true},
      {"maximum first", {9, 1, 2}, 9, 1, 1, 0, true},
      {"all equal", {3, 3, 3, 3}, 3, 3, 0, 0, false},
      {"all zero", {0, 0}, 0, 0, 0, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Spectrum s;
    fill(s, c.values);
    float pos = 99, neg = 99;
    EXPECT_EQ(s.GetMinMaxPer(&pos, &neg), 1);
    EXPECT_FLOAT_EQ(pos, c.pos);
    EXPECT_FLOAT_EQ(neg, c.neg);
    EXPECT_EQ(s.GetMax(), c.max);
    EXPECT_EQ(s.GetMin(), c.min);
    EXPECT_EQ(s.GetSpecFlag(SPF_STALE), 0);
    EXPECT_EQ(s.GetSpecFlag(SPF_PRESENT), c.present ? 1 : 0);
  }
}

TEST(SpectrumExtremes, RefreshedOnlyWhenStale) {
  Spectrum s;
  fill(s, {1, 2, 3});
  EXPECT_EQ(s.GetMax(), 3.0f);
  s.SetRealInt(0, 10);
  EXPECT_EQ(s.GetMax(), 3.0f) << "the point setter does not mark the extremes stale";
  s.SetSpecFlag(SPF_STALE, 1);
  EXPECT_EQ(s.GetMax(), 10.0f);
  EXPECT_EQ(s.GetMin(), 2.0f);
}

TEST(SpectrumExtremes, OnlyTheRealPointsOfDimensionOneCount) {
  Spectrum s;
  ASSERT_EQ(s.Init(1, 4, 100, 0, 1), 1);
  for (long i = 0; i < 4; ++i) {
    s.SetRealInt(i, static_cast<float>(i));
    s.SetImagInt(i, 100.0f + i);
  }
  s.SetSpecFlag(SPF_STALE, 1);
  EXPECT_EQ(s.GetMax(), 3.0f);

  Spectrum two;
  ASSERT_EQ(two.Init2D(0, 2, 100, 0, 1, 3, 100, 0, 1), 1);
  float* all = SpectrumProbe::re(two);
  for (int i = 0; i < 6; ++i) all[i] = static_cast<float>(i);
  two.SetSpecFlag(SPF_STALE, 1);
  EXPECT_EQ(two.GetMax(), 1.0f);
}

TEST(SpectrumExtremes, MinMaxPerNeedsData) {
  Spectrum s;
  fill(s, {-1, 3});
  s.SetSpecFlag(SPF_PRESENT, 0);
  float pos = 7, neg = 7;
  EXPECT_EQ(s.GetMinMaxPer(&pos, &neg), 0);
  EXPECT_EQ(pos, 7.0f);
  EXPECT_EQ(neg, 7.0f);
  s.SetSpecFlag(SPF_PRESENT, 1);
  EXPECT_EQ(s.GetMinMaxPer(nullptr, &neg), 0);
  EXPECT_EQ(neg, 7.0f);
}

TEST(SpectrumExtremes, SizeWithoutArrays) {
  Spectrum s;
  ASSERT_EQ(s.Init(0, 8, 100, 0, 1), 1);
  {
    qtest::UiCapture ui;
    qtest::FaultPlan plan(qtest::kFaultMemory, 1);
    ASSERT_EQ(s.Init(0, 16, 100, 0, 1), 0);
  }
  // The record may still give a size; there is nothing to read.
  s.SetSpecFlag(SPF_PRESENT, 1);
  s.SetSpecFlag(SPF_STALE, 1);
  EXPECT_EQ(s.GetMax(), 0.0f);
  EXPECT_EQ(s.GetMin(), 0.0f);
  EXPECT_EQ(s.GetSpecFlag(SPF_PRESENT), 0);
}

// ---- whole-array operations -----------------------------------------------------------------

TEST(SpectrumArrays, RevertSpec) {
  struct Case {
    const char* name;
    std::vector<float> values, reverted;
  };
  const Case cases[] = {
      {"odd count", {1, 2, 3, 4, 5}, {5, 4, 3, 2, 1}},
      {"even count", {1, 2, 3, 4}, {4, 3, 2, 1}},
      {"two points", {1, 2}, {2, 1}},
      {"one point", {7}, {7}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Spectrum s;
    fill(s, c.values);
    unsigned before = s.GetStatus();
    EXPECT_EQ(s.RevertSpec(), 1);
    EXPECT_EQ(reals(s, static_cast<long>(c.values.size())), c.reverted);
    EXPECT_EQ(s.GetStatus(), before);
  }
  Spectrum complex;
  ASSERT_EQ(complex.Init(1, 3, 100, 0, 1), 1);
  fillCounting(complex);
  complex.SetSpecFlag(SPF_PRESENT, 1);
  EXPECT_EQ(complex.RevertSpec(), 1);
  EXPECT_EQ(reals(complex, 3), (std::vector<float>{3, 2, 1}));
  EXPECT_EQ(imags(complex, 3), (std::vector<float>{-1, -2, -3})) << "the imaginary part stays";

  Spectrum absent;
  fill(absent, {1, 2, 3});
  absent.SetSpecFlag(SPF_PRESENT, 0);
  EXPECT_EQ(absent.RevertSpec(), 0);
  EXPECT_EQ(reals(absent, 3), (std::vector<float>{1, 2, 3}));
  Spectrum empty;
  empty.SetSpecFlag(SPF_PRESENT, 1);
  EXPECT_EQ(empty.RevertSpec(), 0);
}

TEST(SpectrumArrays, CopyFromBufferAndAdd) {
  struct Case {
    const char* name;
    long own, source;
  };
  const Case cases[] = {
      {"smaller source", 1024, 512}, {"larger source", 8, 20}, {"same size", 6, 6}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    long n = c.own < c.source ? c.own : c.source;
    Spectrum src;
    ASSERT_EQ(src.Init(0, c.source, 100, 0, 1), 1);
    fillCounting(src);
    Spectrum s;
    ASSERT_EQ(s.Init(1, c.own, 100, 0, 1), 1);
    for (long i = 0; i < c.own; ++i) {
      s.SetRealInt(i, 0.5f);
      s.SetImagInt(i, 0.25f);
    }
    unsigned before = s.GetStatus();
    EXPECT_EQ(s.CopyFromBuffer(&src), 1);
    EXPECT_EQ(s.GetStatus(), before) << "a copy does not mark the extremes stale";
    std::vector<float> copied = join(counting(0, n), std::vector<float>(c.own - n, 0.5f));
    EXPECT_EQ(reals(s, c.own), copied);
    EXPECT_EQ(imags(s, c.own), std::vector<float>(c.own, 0.25f));

    EXPECT_EQ(s.Add(&src), 1);
    EXPECT_EQ(s.GetSpecFlag(SPF_STALE), 1);
    std::vector<float> added = join(counting(0, n), std::vector<float>(c.own - n, 0.5f));
    for (long i = 0; i < n; ++i) added[i] *= 2;
    EXPECT_EQ(reals(s, c.own), added);
    EXPECT_EQ(imags(s, c.own), std::vector<float>(c.own, 0.25f));
  }

  Spectrum s, empty;
  fill(s, {1, 2});
  EXPECT_EQ(s.CopyFromBuffer(&empty), 0);
  EXPECT_EQ(s.Add(&empty), 0);
  EXPECT_EQ(empty.CopyFromBuffer(&s), 0);
  EXPECT_EQ(s.CopyFromBuffer(nullptr), 0);
  EXPECT_EQ(s.Add(nullptr), 0);
  EXPECT_EQ(s.Add(&s), 1);
  EXPECT_EQ(reals(s, 2), (std::vector<float>{2, 4}));
}

TEST(SpectrumArrays, ScaleSpecCoversEveryPointOfBothArrays) {
  Spectrum s;
  ASSERT_EQ(s.Init2D(1, 2, 100, 0, 1, 3, 100, 0, 1), 1);
  float* re = SpectrumProbe::re(s);
  float* im = SpectrumProbe::im(s);
  for (int i = 0; i < 6; ++i) {
    re[i] = static_cast<float>(i + 1);
    im[i] = -static_cast<float>(i + 1);
  }
  EXPECT_EQ(s.ScaleSpec(0.5f), 1);
  EXPECT_EQ(s.GetSpecFlag(SPF_STALE), 1);
  EXPECT_EQ(std::vector<float>(re, re + 6), (std::vector<float>{0.5f, 1, 1.5f, 2, 2.5f, 3}));
  EXPECT_EQ(std::vector<float>(im, im + 6), (std::vector<float>{-0.5f, -1, -1.5f, -2, -2.5f, -3}));

  Spectrum empty;
  EXPECT_EQ(empty.ScaleSpec(2), 1);
  EXPECT_EQ(empty.GetSpecFlag(SPF_STALE), 1);
}

TEST(SpectrumArrays, ZeroSpecClearsTheData) {
  Spectrum s;
  ASSERT_EQ(s.Init(1, 5, 100, 0, 1), 1);
  fillCounting(s);
  s.SetSpecFlag(SPF_PRESENT, 1);
  s.SetSpecFlag(SPF_FID, 1);
  EXPECT_EQ(s.ZeroSpec(), 1);
  EXPECT_EQ(reals(s, 5), zeros(5));
  EXPECT_EQ(imags(s, 5), zeros(5));
  EXPECT_EQ(s.GetStatus(), SPF_COMPLEX | SPF_FID);
  Spectrum empty;
  empty.SetSpecFlag(SPF_PRESENT, 1);
  EXPECT_EQ(empty.ZeroSpec(), 1);
  EXPECT_EQ(empty.GetSpecFlag(SPF_PRESENT), 0);
}

}  // namespace
