// The parameter record: defaults, refusals, the frequency axis, the
// digital-filter table and copying.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>

#include "datafiles/convera.h"
#include "datafiles/specinfo.h"
#include "isotopes/isotopia.h"
#include "support/files.h"
#include "winutil/platform/platform.h"

namespace {

std::string labelOf(int nucleus) {
  char buffer[8] = "";
  const char* p = GetWinNMRNucleus(static_cast<unsigned>(nucleus), buffer);
  return p ? p : "";
}

// Every indexed accessor once, as "refused" (0 / 0.0 / null) or not.
struct Accessor {
  const char* name;
  std::function<bool(SPECINFO&, unsigned)> refused;
};

const Accessor kAccessors[] = {
    {"GetSI", [](SPECINFO& s, unsigned i) { return s.GetSI(i) == 0; }},
    {"SetSI", [](SPECINFO& s, unsigned i) { return s.SetSI(8, i) == 0; }},
    {"GetTD", [](SPECINFO& s, unsigned i) { return s.GetTD(i) == 0; }},
    {"SetTD", [](SPECINFO& s, unsigned i) { return s.SetTD(8, i) == 0; }},
    {"GetSF", [](SPECINFO& s, unsigned i) { return s.GetSF(i) == 0.0f; }},
    {"SetSF", [](SPECINFO& s, unsigned i) { return s.SetSF(400.0f, i) == 0; }},
    {"GetF1", [](SPECINFO& s, unsigned i) { return s.GetF1(i) == 0.0f; }},
    {"SetF1", [](SPECINFO& s, unsigned i) { return s.SetF1(5.0f, i) == 0; }},
    {"GetF2", [](SPECINFO& s, unsigned i) { return s.GetF2(i) == 0.0f; }},
    {"SetF2", [](SPECINFO& s, unsigned i) { return s.SetF2(-5.0f, i) == 0; }},
    {"SetF1F2", [](SPECINFO& s, unsigned i) { return s.SetF1F2(5.0f, -5.0f, i) == 0; }},
    {"GetInc", [](SPECINFO& s, unsigned i) { return s.GetInc(i) == 0.0f; }},
    {"SetInc", [](SPECINFO& s, unsigned i) { return s.SetInc(0.0f, i) == 0; }},
    {"GetDW", [](SPECINFO& s, unsigned i) { return s.GetDW(i) == 0.0f; }},
    {"SetDW", [](SPECINFO& s, unsigned i) { return s.SetDW(0.0f, i) == 0; }},
    {"GetSW", [](SPECINFO& s, unsigned i) { return s.GetSW(i) == 0.0f; }},
    {"SetSW", [](SPECINFO& s, unsigned i) { return s.SetSW(0.0f, i) == 0; }},
    {"GetNucleus", [](SPECINFO& s, unsigned i) { return s.GetNucleus(i) == 0; }},
    {"SetNucleus", [](SPECINFO& s, unsigned i) { return s.SetNucleus(1, i) == 0; }},
    {"GetNucleusLabel", [](SPECINFO& s, unsigned i) { return s.GetNucleusLabel(i) == nullptr; }},
    {"GetXDIM", [](SPECINFO& s, unsigned i) { return s.GetXDIM(i) == 0; }},
    {"SetXDIM", [](SPECINFO& s, unsigned i) { return s.SetXDIM(8, i) == 0; }},
    {"GetAQMode", [](SPECINFO& s, unsigned i) { return s.GetAQMode(i) == 0; }},
    {"SetAQMode", [](SPECINFO& s, unsigned i) { return s.SetAQMode(3, i) == 0; }},
    {"GetDigFirmware", [](SPECINFO& s, unsigned i) { return s.GetDigFirmware(i) == 0; }},
    {"SetDigFirmware", [](SPECINFO& s, unsigned i) { return s.SetDigFirmware(10, i) == 0; }},
    {"GetDigMode", [](SPECINFO& s, unsigned i) { return s.GetDigMode(i) == 0; }},
    {"SetDigMode", [](SPECINFO& s, unsigned i) { return s.SetDigMode(1, i) == 0; }},
    {"GetDigType", [](SPECINFO& s, unsigned i) { return s.GetDigType(i) == 0; }},
    {"SetDigType", [](SPECINFO& s, unsigned i) { return s.SetDigType(1, i) == 0; }},
    {"GetDigDecim", [](SPECINFO& s, unsigned i) { return s.GetDigDecim(i) == 0; }},
    {"SetDigDecim", [](SPECINFO& s, unsigned i) { return s.SetDigDecim(32, i) == 0; }},
    {"GetDigFilter", [](SPECINFO& s, unsigned i) { return s.GetDigFilter(i) == 0.0f; }},
    {"SetDigFilter(float)", [](SPECINFO& s, unsigned i) { return s.SetDigFilter(7.0f, i) == 0; }},
    {"SetDigFilter()", [](SPECINFO& s, unsigned i) { return s.SetDigFilter(i) == 0; }},
    {"GetDimensionAddress", [](SPECINFO& s, unsigned i) { return s.GetDimensionAddress(i) == nullptr; }},
};

TEST(SpecInfoRecord, NewRecordIsEmpty) {
  SPECINFO s;
  EXPECT_EQ(s.GetFormat(), FF_UNKNOWN);
  EXPECT_EQ(s.GetDimension(), 0u);
  EXPECT_EQ(s.GetDataFormat(), 0x8000u);
  EXPECT_EQ(s.GetModTime(), 0);
  EXPECT_EQ(s.GetMax(), 0.0f);
  EXPECT_EQ(s.GetMin(), 0.0f);
  EXPECT_STREQ(s.GetFileName(), "");
  for (unsigned i : {0u, 1u, 2u})
    for (const Accessor& a : kAccessors) EXPECT_TRUE(a.refused(s, i)) << a.name << " index " << i;
  EXPECT_EQ(s.GetNC(1), 0.0f);
  EXPECT_EQ(s.GetNC(2), 0.0f);
  EXPECT_EQ(s.SetNC(1, 3.0f), 0);
  EXPECT_EQ(s.GetDimension(), 0u) << "a refused setter must not create dimensions";
}

TEST(SpecInfoRecord, DimensionDefaults) {
  SPECINFO s;
  ASSERT_EQ(s.SetDimension(1), 1);
  NMRDIMENSION* d = s.GetDimensionAddress(1);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->GetDigMode(), 0u);
  EXPECT_EQ(d->GetDigType(), 0u);
  EXPECT_EQ(d->GetDigDecim(), 1u);
  EXPECT_EQ(d->GetDigFirmware(), 0u);
  EXPECT_EQ(d->GetAQMode(), 0u);
  EXPECT_EQ(d->GetNucleus(), 0);
  EXPECT_EQ(d->GetSI(), 0);
  EXPECT_EQ(d->GetTD(), 0);
  EXPECT_EQ(d->GetXDIM(), 0);
  EXPECT_EQ(d->GetNC(1), 1.0f);
  EXPECT_EQ(d->GetNC(2), 1.0f);
  for (float v : {d->GetSF(), d->GetF1(), d->GetF2(), d->GetInc(), d->GetDW(), d->GetDigFilter()})
    EXPECT_EQ(v, 0.0f);
  EXPECT_FALSE(labelOf(0).empty()) << "the isotope table has no label for nucleus 0";
  EXPECT_STREQ(d->GetNucleusLabel(), labelOf(0).c_str());
  EXPECT_EQ(s.GetNucleusLabel(1), d->GetNucleusLabel()) << "the label lives in the record";
}

TEST(SpecInfoRecord, SetDimensionKeepsOrResets) {
  SPECINFO s;
  ASSERT_EQ(s.SetDimension(2), 1);
  s.SetSI(512, 2);
  s.SetDigDecim(24, 1);
  s.SetNC(1, -3.0f);
  s.SetNC(2, 4.0f);
  s.SetNucleus(10, 1);
  ASSERT_EQ(s.SetDimension(2), 1);
  EXPECT_EQ(s.GetSI(2), 512);
  EXPECT_EQ(s.GetDigDecim(1), 24u);
  EXPECT_EQ(s.GetNC(1), -3.0f);

  ASSERT_EQ(s.SetDimension(1), 1);
  EXPECT_EQ(s.GetDimension(), 1u);
  EXPECT_EQ(s.GetDigDecim(1), 1u);
  EXPECT_EQ(s.GetNC(1), 1.0f);
  EXPECT_EQ(s.GetNC(2), 1.0f);
  EXPECT_EQ(s.GetNucleus(1), 0);
  EXPECT_STREQ(s.GetNucleusLabel(1), labelOf(0).c_str());
  EXPECT_EQ(s.GetDimensionAddress(2), nullptr);

  ASSERT_EQ(s.SetDimension(0), 1);
  EXPECT_EQ(s.GetDimension(), 0u);
  EXPECT_EQ(s.GetDimensionAddress(1), nullptr);
}

TEST(SpecInfoRecord, IndexOutsideTheDimensionsIsRefused) {
  for (unsigned n : {1u, 2u}) {
    SPECINFO s;
    ASSERT_EQ(s.SetDimension(n), 1);
    for (unsigned i : {0u, n + 1, 0xFFFFFFFFu})
      for (const Accessor& a : kAccessors)
        EXPECT_TRUE(a.refused(s, i)) << a.name << " index " << i << " of " << n;
    // The refused setters changed nothing.
    for (unsigned i = 1; i <= n; ++i) {
      EXPECT_EQ(s.GetSI(i), 0) << i;
      EXPECT_EQ(s.GetSF(i), 0.0f) << i;
      EXPECT_EQ(s.GetDigDecim(i), 1u) << i;
      EXPECT_EQ(s.GetNucleus(i), 0) << i;
    }
    // Valid indices reach their own record.
    EXPECT_EQ(s.SetSI(7, n), 1);
    EXPECT_EQ(s.GetDimensionAddress(n)->GetSI(), 7);
  }
}

TEST(SpecInfoRecord, SettersRefuseBadValues) {
  struct Case {
    const char* name;
    std::function<int(NMRDIMENSION&)> set;
    std::function<bool(const NMRDIMENSION&)> unchanged;
  };
  const Case cases[] = {
      {"SetSF(0)", [](NMRDIMENSION& d) { return d.SetSF(0.0f); }, [](const NMRDIMENSION& d) { return d.GetSF() == 100.0f; }},
      {"SetSF(-1)", [](NMRDIMENSION& d) { return d.SetSF(-1.0f); }, [](const NMRDIMENSION& d) { return d.GetSF() == 100.0f; }},
      {"SetSF(NaN)", [](NMRDIMENSION& d) { return d.SetSF(std::nanf("")); }, [](const NMRDIMENSION& d) { return d.GetSF() == 100.0f; }},
      {"SetTD(-1)", [](NMRDIMENSION& d) { return d.SetTD(-1); }, [](const NMRDIMENSION& d) { return d.GetTD() == 64; }},
      {"SetSI(-1)", [](NMRDIMENSION& d) { return d.SetSI(-1); }, [](const NMRDIMENSION& d) { return d.GetSI() == 32 && d.GetInc() == 1.0f; }},
      {"SetXDIM(-1)", [](NMRDIMENSION& d) { return d.SetXDIM(-1); }, [](const NMRDIMENSION& d) { return d.GetXDIM() == 16; }},
      {"SetInc(-1)", [](NMRDIMENSION& d) { return d.SetInc(-1.0f); }, [](const NMRDIMENSION& d) { return d.GetInc() == 1.0f && d.GetF1() == 16.0f; }},
      {"SetDW(-1)", [](NMRDIMENSION& d) { return d.SetDW(-1.0f); }, [](const NMRDIMENSION& d) { return d.GetDW() == 1.0f / 32 && d.GetF2() == -16.0f; }},
      {"SetSW(-1)", [](NMRDIMENSION& d) { return d.SetSW(-1.0f); }, [](const NMRDIMENSION& d) { return d.GetSW() == 32.0f; }},
      {"SetNucleus(-1)", [](NMRDIMENSION& d) { return d.SetNucleus(-1); }, [](const NMRDIMENSION& d) { return d.GetNucleus() == 10; }},
      {"SetNucleus(max + 1)", [](NMRDIMENSION& d) { return d.SetNucleus(GetNoNuclei() + 1); }, [](const NMRDIMENSION& d) { return d.GetNucleus() == 10; }},
  };
  for (const Case& c : cases) {
    NMRDIMENSION d;
    d.SetSF(100.0f);
    d.SetTD(64);
    d.SetXDIM(16);
    d.SetSI(32);
    d.SetF1F2(16.0f, -16.0f);
    d.SetNucleus(10);
    EXPECT_EQ(c.set(d), 0) << c.name;
    EXPECT_TRUE(c.unchanged(d)) << c.name;
  }
}

TEST(SpecInfoRecord, SizesThatDoNotFit32BitsAreRefused) {
  if (sizeof(long) <= 4) GTEST_SKIP() << "long holds only 32 bits here";
  NMRDIMENSION d;
  for (long big : {LONG_MAX, LONG_MAX / 4}) {  // 2^63 - 1 and 2^61 - 1 where long has 64 bits
    EXPECT_EQ(d.SetSI(big), 0) << big;
    EXPECT_EQ(d.SetTD(big), 0) << big;
    EXPECT_EQ(d.SetXDIM(big), 0) << big;
  }
  EXPECT_EQ(d.GetSI(), 0);
  EXPECT_EQ(d.GetTD(), 0);
  EXPECT_EQ(d.GetXDIM(), 0);
  EXPECT_EQ(d.SetSI(INT_MAX), 1);
  EXPECT_EQ(d.GetSI(), INT_MAX);
}

TEST(SpecInfoRecord, NucleusAndLabel) {
  NMRDIMENSION d;
  EXPECT_EQ(d.SetNucleus(GetNoNuclei()), 1);
  EXPECT_EQ(d.GetNucleus(), GetNoNuclei());
  EXPECT_STREQ(d.GetNucleusLabel(), labelOf(GetNoNuclei()).c_str());
  EXPECT_EQ(d.SetNucleus(10), 1);
  EXPECT_STREQ(d.GetNucleusLabel(), "13C");
  EXPECT_EQ(d.SetNucleus(0), 1);
  EXPECT_STREQ(d.GetNucleusLabel(), labelOf(0).c_str());
  // Every label fits the record with its terminator.
  for (int n = 0; n <= GetNoNuclei(); ++n) {
    ASSERT_EQ(d.SetNucleus(n), 1) << n;
    EXPECT_LT(std::strlen(d.GetNucleusLabel()), 8u) << n;
    EXPECT_STREQ(d.GetNucleusLabel(), labelOf(n).c_str()) << n;
  }
}

TEST(SpecInfoRecord, ScaleFactorsByParity) {
  SPECINFO s;
  ASSERT_EQ(s.SetDimension(2), 1);
  EXPECT_EQ(s.SetNC(1, -2.0f), 1);
  EXPECT_EQ(s.SetNC(4, 5.0f), 1);
  EXPECT_EQ(s.GetNC(1), -2.0f);
  EXPECT_EQ(s.GetNC(3), -2.0f);
  EXPECT_EQ(s.GetNC(2), 5.0f);
  EXPECT_EQ(s.GetNC(0), 5.0f);
  NMRDIMENSION* second = s.GetDimensionAddress(2);
  EXPECT_EQ(second->GetNC(1), 1.0f) << "GetNC/SetNC of the record act on dimension 1 only";
  EXPECT_EQ(second->GetNC(2), 1.0f);
}

// ---- frequency axis ---------------------------------------------------------------

TEST(SpecInfoAxis, EdgesWithoutPoints) {
  NMRDIMENSION d;
  EXPECT_EQ(d.SetF1(100.0f), 1);
  EXPECT_EQ(d.SetF2(-100.0f), 1);
  EXPECT_EQ(d.GetDW(), 1.0f / 200.0f);
  EXPECT_EQ(d.GetInc(), 0.0f);
  EXPECT_EQ(d.GetSW(), 200.0f);
  EXPECT_EQ(d.SetSI(200), 1);
  EXPECT_EQ(d.GetInc(), 1.0f);
  // SI 0 leaves Inc as it is.
  EXPECT_EQ(d.SetSI(0), 1);
  EXPECT_EQ(d.GetInc(), 1.0f);
}

TEST(SpecInfoAxis, EdgeKeepsTheOtherEdge) {
  NMRDIMENSION d;
  d.SetSI(100);
  d.SetF1F2(100.0f, -100.0f);
  EXPECT_EQ(d.GetInc(), 2.0f);
  EXPECT_EQ(d.SetF1(300.0f), 1);
  EXPECT_EQ(d.GetF2(), -100.0f);
  EXPECT_EQ(d.GetInc(), 4.0f);
  EXPECT_EQ(d.GetDW(), 1.0f / 400.0f);
  EXPECT_EQ(d.SetF2(0.0f), 1);
  EXPECT_EQ(d.GetF1(), 300.0f);
  EXPECT_EQ(d.GetInc(), 3.0f);
  EXPECT_EQ(d.GetDW(), 1.0f / 300.0f);
  // A reversed or empty axis changes Inc but not DW.
  EXPECT_EQ(d.SetF2(300.0f), 1);
  EXPECT_EQ(d.GetInc(), 0.0f);
  EXPECT_EQ(d.GetDW(), 1.0f / 300.0f);
  EXPECT_EQ(d.SetF1(200.0f), 1);
  EXPECT_EQ(d.GetInc(), -1.0f);
  EXPECT_EQ(d.GetDW(), 1.0f / 300.0f);
}

TEST(SpecInfoAxis, IncrementDwellAndWidthKeepTheCentre) {
  struct Case {
    const char* name;
    std::function<int(NMRDIMENSION&)> set;
    int result;
    float f1, f2, inc, dw;
  };
  // Start: F1 = 150, F2 = -50 (centre 50), SI = 100.
  const Case cases[] = {
      {"SetInc(4)", [](NMRDIMENSION& d) { return d.SetInc(4.0f); }, 1, 250.0f, -150.0f, 4.0f, 1.0f / 400.0f},
      {"SetDW(1/400)", [](NMRDIMENSION& d) { return d.SetDW(1.0f / 400.0f); }, 1, 250.0f, -150.0f, 4.0f, 1.0f / 400.0f},
      {"SetSW(400)", [](NMRDIMENSION& d) { return d.SetSW(400.0f); }, 1, 250.0f, -150.0f, 4.0f, 1.0f / 400.0f},
      {"SetSW(100)", [](NMRDIMENSION& d) { return d.SetSW(100.0f); }, 1, 100.0f, 0.0f, 1.0f, 1.0f / 100.0f},
      {"SetInc(0)", [](NMRDIMENSION& d) { return d.SetInc(0.0f); }, 1, 0.0f, 0.0f, 0.0f, 0.0f},
      {"SetDW(0)", [](NMRDIMENSION& d) { return d.SetDW(0.0f); }, 1, 0.0f, 0.0f, 0.0f, 0.0f},
      {"SetSW(0)", [](NMRDIMENSION& d) { return d.SetSW(0.0f); }, 1, 0.0f, 0.0f, 0.0f, 0.0f},
  };
  for (const Case& c : cases) {
    NMRDIMENSION d;
    d.SetSI(100);
    d.SetF1F2(150.0f, -50.0f);
    EXPECT_EQ(c.set(d), c.result) << c.name;
    EXPECT_FLOAT_EQ(d.GetF1(), c.f1) << c.name;
    EXPECT_FLOAT_EQ(d.GetF2(), c.f2) << c.name;
    EXPECT_FLOAT_EQ(d.GetInc(), c.inc) << c.name;
    EXPECT_FLOAT_EQ(d.GetDW(), c.dw) << c.name;
    EXPECT_EQ(d.GetSI(), 100) << c.name;
  }
}

TEST(SpecInfoAxis, DescribedExamples) {
  NMRDIMENSION d;
  d.SetSI(100);
  d.SetF1F2(100.0f, -100.0f);
  EXPECT_EQ(d.SetInc(4.0f), 1);
  EXPECT_EQ(d.GetF1(), 200.0f);
  EXPECT_EQ(d.GetF2(), -200.0f);
  EXPECT_EQ(d.GetDW(), 1.0f / 400.0f);
  EXPECT_EQ(d.SetSW(0.0f), 1);
  EXPECT_EQ(d.GetF1(), 0.0f);
  EXPECT_EQ(d.GetF2(), 0.0f);
  EXPECT_EQ(d.GetInc(), 0.0f);
  EXPECT_EQ(d.GetDW(), 0.0f);
}

TEST(SpecInfoAxis, WithoutPointsIncAndDwAreKeptButRefused) {
  NMRDIMENSION d;
  d.SetF1F2(100.0f, -100.0f);
  EXPECT_EQ(d.SetInc(2.0f), 0);
  EXPECT_EQ(d.GetInc(), 2.0f);
  EXPECT_EQ(d.GetF1(), 100.0f);
  EXPECT_EQ(d.GetF2(), -100.0f);
  EXPECT_EQ(d.SetDW(0.5f), 0);
  EXPECT_EQ(d.GetDW(), 0.5f);
  EXPECT_EQ(d.GetF1(), 100.0f);
  EXPECT_EQ(d.GetF2(), -100.0f);
  EXPECT_EQ(d.SetSW(50.0f), 0);
  EXPECT_EQ(d.GetDW(), 1.0f / 50.0f);
}

TEST(SpecInfoAxis, IndexedAccessorsReachTheirDimension) {
  SPECINFO s;
  ASSERT_EQ(s.SetDimension(2), 1);
  EXPECT_EQ(s.SetSI(100, 2), 1);
  EXPECT_EQ(s.SetF1F2(100.0f, -100.0f, 2), 1);
  EXPECT_EQ(s.SetInc(4.0f, 2), 1);
  EXPECT_EQ(s.GetF1(2), 200.0f);
  EXPECT_EQ(s.GetF2(2), -200.0f);
  EXPECT_EQ(s.GetSW(2), 400.0f);
  EXPECT_EQ(s.GetDW(2), 1.0f / 400.0f);
  EXPECT_EQ(s.GetF1(1), 0.0f);
  EXPECT_EQ(s.GetSW(1), 0.0f);
}

// ---- digital filter -----------------------------------------------------------------

struct FilterRow {
  unsigned decim;
  float delay[3];  // firmware 10, 11, 12
};

// The group delays of the digital filter, as the stored 32-bit floats.
const FilterRow kFilter[21] = {
    {2, {44.75f, 46.0f, 46.311f}},         {3, {33.5f, 36.5f, 36.53f}},
    {4, {66.625f, 48.0f, 47.87f}},         {6, {59.0833f, 50.1667f, 50.229f}},
    {8, {68.5625f, 53.25f, 53.289f}},      {12, {60.375f, 69.5f, 69.551f}},
    {16, {69.5313f, 72.25f, 71.6f}},       {24, {61.0208f, 70.1667f, 70.184f}},
    {32, {70.0156f, 72.75f, 72.138f}},     {48, {61.3438f, 70.5f, 70.528f}},
    {64, {70.2578f, 73.0f, 72.348f}},      {96, {61.5052f, 70.6667f, 70.7f}},
    {128, {70.3789f, 72.5f, 72.524f}},     {192, {61.5859f, 71.3333f, 0.0f}},
    {256, {70.4395f, 72.25f, 0.0f}},       {384, {61.6263f, 71.6667f, 0.0f}},
    {512, {70.4697f, 72.125f, 0.0f}},      {768, {61.6465f, 71.8333f, 0.0f}},
    {1024, {70.4849f, 72.0625f, 0.0f}},    {1536, {61.6566f, 71.9167f, 0.0f}},
    {2048, {70.4924f, 72.0313f, 0.0f}},
};

TEST(SpecInfoDigFilter, TableResourceLayout) {
  DWORD size = 0;
  const auto* p = static_cast<const unsigned char*>(plat::ops().findData(ConveraModule(), 1, &size));
  ASSERT_NE(p, nullptr) << "Convera has no digital-filter table";
  ASSERT_EQ(size, 294u);
  for (int r = 0; r < 21; ++r) {
    const unsigned char* row = p + 14 * r;
    EXPECT_EQ(row[0] | (row[1] << 8), static_cast<int>(kFilter[r].decim)) << "row " << r;
    for (int k = 0; k < 3; ++k) {
      const unsigned char* q = row + 2 + 4 * k;
      std::uint32_t bits = q[0] | (q[1] << 8) | (q[2] << 16) | (static_cast<std::uint32_t>(q[3]) << 24);
      std::uint32_t want;
      std::memcpy(&want, &kFilter[r].delay[k], 4);
      EXPECT_EQ(bits, want) << "DECIM " << kFilter[r].decim << " firmware " << 10 + k;
    }
  }
}

TEST(SpecInfoDigFilter, LookupOfEveryRowAndFirmware) {
  for (const FilterRow& row : kFilter) {
    for (unsigned k = 0; k < 3; ++k) {
      NMRDIMENSION d;
      d.SetDigDecim(row.decim);
      d.SetDigFirmware(10 + k);
      d.SetDigFilter(-1.0f);
      EXPECT_EQ(d.SetDigFilter(), 1) << "DECIM " << row.decim << " firmware " << 10 + k;
      EXPECT_EQ(d.GetDigFilter(), row.delay[k]) << "DECIM " << row.decim << " firmware " << 10 + k;
    }
  }
}

TEST(SpecInfoDigFilter, NoLookupLeavesTheDelay) {
  struct Case {
    const char* name;
    unsigned decim, firmware;
    int result;
  };
  const Case cases[] = {
      {"DECIM 1 (no filter)", 1, 10, 0},
      {"DECIM 0", 0, 11, 0},
      {"firmware 20 uses GRPDLY", 32, 20, 1},
      {"firmware 9", 32, 9, 1},
      {"firmware 13", 32, 13, 1},
      {"firmware -1", 32, 0xFFFFFFFFu, 1},
      {"DECIM not in the table", 5, 10, 1},
      {"DECIM above the table", 4096, 11, 1},
  };
  for (const Case& c : cases) {
    NMRDIMENSION d;
    d.SetDigDecim(c.decim);
    d.SetDigFirmware(c.firmware);
    d.SetDigFilter(12.5f);
    EXPECT_EQ(d.SetDigFilter(), c.result) << c.name;
    EXPECT_EQ(d.GetDigFilter(), 12.5f) << c.name;
  }
}

TEST(SpecInfoDigFilter, DescribedExamples) {
  SPECINFO s;
  ASSERT_EQ(s.SetDimension(1), 1);
  s.SetDigDecim(32, 1);
  s.SetDigFirmware(11, 1);
  EXPECT_EQ(s.SetDigFilter(1u), 1);
  EXPECT_EQ(s.GetDigFilter(1), 72.75f);
  s.SetDigDecim(256, 1);
  s.SetDigFirmware(12, 1);
  EXPECT_EQ(s.SetDigFilter(1u), 1);
  EXPECT_EQ(s.GetDigFilter(1), 0.0f) << "a stored 0 is taken as it is";
}

// The table's resource replaced for one test.
class TableStub {
 public:
  explicit TableStub(const void* (*find)(HINSTANCE, UINT, DWORD*)) : saved_(plat::ops()) {
    plat::ops().findData = find;
  }
  ~TableStub() { plat::ops() = saved_; }

 private:
  plat::Ops saved_;
};

unsigned char gShortTable[293];

TEST(SpecInfoDigFilter, MissingOrMisshapenTableIs258) {
  struct Case {
    const char* name;
    const void* (*find)(HINSTANCE, UINT, DWORD*);
  };
  const Case cases[] = {
      {"no resource", [](HINSTANCE, UINT, DWORD*) -> const void* { return nullptr; }},
      {"293 bytes", [](HINSTANCE, UINT, DWORD* size) -> const void* {
         *size = sizeof gShortTable;
         return gShortTable;
       }},
      {"295 bytes", [](HINSTANCE, UINT, DWORD* size) -> const void* {
         *size = 295;
         return gShortTable;
       }},
  };
  for (const Case& c : cases) {
    TableStub stub(c.find);
    NMRDIMENSION d;
    d.SetDigDecim(32);
    d.SetDigFirmware(11);
    d.SetDigFilter(3.0f);
    EXPECT_EQ(d.SetDigFilter(), 258) << c.name;
    EXPECT_EQ(d.GetDigFilter(), 3.0f) << c.name;
  }
}

// ---- copying, file name, file time ------------------------------------------------

TEST(SpecInfoCopy, DeepCopyOfEveryField) {
  SPECINFO a;
  a.SetFormat(FF_XWINNMR);
  a.SetDataFormat(DF_FID | DF_1D | DF_COMPLEX);
  a.SetModTime(-5);
  a.SetMax(9.5f);
  a.SetMin(-2.5f);
  a.SetFileName("C:\\data\\1\\fid");
  ASSERT_EQ(a.SetDimension(2), 1);
  NMRDIMENSION* d = a.GetDimensionAddress(2);
  d->SetSI(64);
  d->SetTD(128);
  d->SetXDIM(16);
  d->SetSF(400.13f);
  d->SetF1F2(32.0f, -32.0f);
  d->SetNucleus(10);
  d->SetAQMode(0xC1);
  d->SetDigMode(2);
  d->SetDigType(3);
  d->SetDigDecim(32);
  d->SetDigFirmware(12);
  d->SetDigFilter(71.5f);
  d->SetNC(1, -3.0f);
  d->SetNC(2, 7.0f);

  SPECINFO b(a);
  SPECINFO c;
  ASSERT_EQ(c.SetDimension(3), 1);
  c = a;
  for (SPECINFO* copy : {&b, &c}) {
    EXPECT_EQ(copy->GetFormat(), FF_XWINNMR);
    EXPECT_EQ(copy->GetDataFormat(), DF_FID | DF_1D | DF_COMPLEX);
    EXPECT_EQ(copy->GetModTime(), -5);
    EXPECT_EQ(copy->GetMax(), 9.5f);
    EXPECT_EQ(copy->GetMin(), -2.5f);
    EXPECT_STREQ(copy->GetFileName(), "C:\\data\\1\\fid");
    ASSERT_EQ(copy->GetDimension(), 2u);
    const NMRDIMENSION* e = copy->GetDimensionAddress(2);
    EXPECT_NE(e, d) << "the copies must not share dimension storage";
    EXPECT_EQ(std::memcmp(e, d, sizeof *d), 0) << "every field, label included";
  }
  // Changing a copy leaves the original alone, and the reverse.
  b.SetSI(1, 2);
  c.SetNucleus(1, 2);
  a.SetTD(5, 2);
  EXPECT_EQ(a.GetSI(2), 64);
  EXPECT_STREQ(a.GetNucleusLabel(2), "13C");
  EXPECT_EQ(b.GetTD(2), 128);
  EXPECT_EQ(c.GetTD(2), 128);
}

TEST(SpecInfoCopy, SelfAssignmentAndEmptySource) {
  SPECINFO a;
  ASSERT_EQ(a.SetDimension(1), 1);
  a.SetSI(16, 1);
  SPECINFO& alias = a;
  a = alias;
  EXPECT_EQ(a.GetSI(1), 16);

  SPECINFO empty;
  a = empty;
  EXPECT_EQ(a.GetDimension(), 0u);
  EXPECT_EQ(a.GetDimensionAddress(1), nullptr);
  EXPECT_EQ(a.GetDataFormat(), 0x8000u);
}

TEST(SpecInfoFileName, LongPathsAreRefused) {
  struct Case {
    const char* name;
    std::string path;
    bool stored;
  };
  const Case cases[] = {
      {"ordinary", "/data/exp/1/pdata/1/1r", true},
      {"empty", "", true},
      {"259 characters", "C:\\" + std::string(256, 'a'), true},
      {"260 characters", "C:\\" + std::string(257, 'a'), false},
      {"1000 characters", std::string(1000, 'b'), false},
  };
  for (const Case& c : cases) {
    SPECINFO s;
    s.SetFileName("before");
    s.SetFileName(c.path.c_str());
    EXPECT_STREQ(s.GetFileName(), c.stored ? c.path.c_str() : "before") << c.name;
  }
  SPECINFO s;
  s.SetFileName("before");
  s.SetFileName(nullptr);
  EXPECT_STREQ(s.GetFileName(), "before");
  s.SetFileName(s.GetFileName());
  EXPECT_STREQ(s.GetFileName(), "before");
}

TEST(SpecInfoFileTime, LowBitsOfTheWriteTime) {
  qtest::TempDir dir;
  std::string path = dir.file("x.1r");
  qtest::writeBytes(path, "data");

  plat::Ops saved = plat::ops();
  plat::ops().lastWriteTime = [](const char*, std::uint64_t* t) -> BOOL {
    *t = 0x0123456789ABCDEFull;
    return TRUE;
  };
  EXPECT_EQ(GetTimeLastModified(path.c_str()), static_cast<long>(static_cast<std::int32_t>(0x89ABCDEFu)));
  plat::ops().lastWriteTime = [](const char*, std::uint64_t* t) -> BOOL {
    *t = 0xFFFFFFFF00001234ull;
    return TRUE;
  };
  EXPECT_EQ(GetTimeLastModified(path.c_str()), 0x1234);
  plat::ops().lastWriteTime = [](const char*, std::uint64_t*) -> BOOL { return FALSE; };
  EXPECT_EQ(GetTimeLastModified(path.c_str()), -1);
  plat::ops() = saved;

  long t = GetTimeLastModified(path.c_str());
  EXPECT_NE(t, -1);
  EXPECT_EQ(GetTimeLastModified(path.c_str()), t) << "an unchanged file keeps its time";
  EXPECT_EQ(GetTimeLastModified(dir.file("missing").c_str()), -1);
  EXPECT_EQ(GetTimeLastModified(nullptr), -1);
}

}  // namespace
