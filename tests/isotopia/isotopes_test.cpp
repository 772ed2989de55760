// The isotope table: its stored layout, the lookups and their errors.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "isotopes/isotopia.h"
#include "support/capture.h"
#include "support/module_names.h"
#include "winutil/platform/platform.h"
#include "winutil/winkit.h"

namespace {

const ISOTOPE* table() {
  DWORD size = 0;
  auto* t = static_cast<const ISOTOPE*>(plat::ops().findData(IsotopiaModule(), 1, &size));
  EXPECT_EQ(size, 5720u);
  return t;
}

std::vector<unsigned char> sortOrder(int resource) {
  DWORD size = 0;
  auto* p = static_cast<const unsigned char*>(plat::ops().findData(IsotopiaModule(), resource, &size));
  EXPECT_EQ(size, 130u) << "sort order " << resource;
  return p ? std::vector<unsigned char>(p, p + size) : std::vector<unsigned char>();
}

struct Row {
  int id;
  const char* label;
  int z;
  const char* name;
  float gamma, spin, abundance, q;
};

// Rows whose stored values other data files and programs rely on.
const Row kTelling[] = {
    {0, "NONE", 0, "None", 0, 0, 0, 0},
    {1, "H-1", 1, "Hydrogen", 26.752213f, 0.5f, 99.988f, 0},
    {2, "H-2", 1, "Hydrogen", 4.106628f, 1, 0.0115f, 0.00286f},
    {3, "H-3", 1, "Hydrogen", 28.534977f, 0.5f, 0, 0},
    {4, "He-3", 2, "Helium", -20.38016f, 0.5f, 0.000137f, 0},
    {10, "C-13", 6, "Carbon", 6.728284f, 0.5f, 1.07f, 0},
    {12, "N-15", 7, "Nitrogen", -2.712618f, 0.5f, 0.368f, 0},
    {13, "O-17", 8, "Oxygen", -3.62808f, 2.5f, 0.038f, -0.02558f},
    {14, "F-19", 9, "Fluorine", 25.18148f, 0.5f, 100, 0},
    {20, "P-31", 15, "Phosphorus", 10.8394f, 0.5f, 100, 0},
    {26, "K-40", 19, "Potassium", -1.5542854f, 4, 0.0117f, -0.073f},
    {33, "V-50", 23, "Vanadium", 2.670649f, 6, 0.25f, 0.21f},
    {105, "Lu-176", 71, "Lutetium", 2.1684f, 7, 2.59f, 4.97f},
    {129, "U-235", 92, "Uranium", -0.52f, 3.5f, 0.72f, 4.936f},
};

TEST(IsotopeTable, StoredRecords) {
  const ISOTOPE* t = table();
  ASSERT_NE(t, nullptr);
  for (int i = 0; i < 130; ++i) EXPECT_EQ(t[i].id, i);
  for (const Row& r : kTelling) {
    SCOPED_TRACE(r.label);
    const ISOTOPE& s = t[r.id];
    EXPECT_STREQ(s.label, r.label);
    EXPECT_EQ(s.z, r.z);
    EXPECT_STREQ(s.name, r.name);
    EXPECT_EQ(s.gamma, r.gamma);
    EXPECT_EQ(s.spin, r.spin);
    EXPECT_EQ(s.abundance, r.abundance);
    EXPECT_EQ(s.q, r.q);
  }
  // Sorted by Z, at most three isotopes per element, and the padding is NUL.
  for (int i = 2; i < 130; ++i) EXPECT_GE(t[i].z, t[i - 1].z) << t[i].label;
  const auto* bytes = reinterpret_cast<const unsigned char*>(&t[1]);
  for (int k = 2 + 4; k < 10; ++k) EXPECT_EQ(bytes[k], 0) << "label padding of H-1";
}

TEST(IsotopeTable, SortOrders) {
  const ISOTOPE* t = table();
  ASSERT_NE(t, nullptr);
  auto key = [&](int resource, int id) -> double {
    const ISOTOPE& r = t[id];
    switch (resource) {
      case 4: return r.spin;
      case 5: return std::fabs(r.gamma);
      case 6: return r.abundance;
      case 7: return std::fabs(r.q);
      default: return id;
    }
  };
  for (int resource = 2; resource <= 7; ++resource) {
    auto order = sortOrder(resource);
    ASSERT_EQ(order.size(), 130u);
    EXPECT_EQ(order[0], 0);
    std::vector<bool> seen(130, false);
    for (int k = 0; k < 130; ++k) {
      ASSERT_LT(order[k], 130);
      EXPECT_FALSE(seen[order[k]]) << "resource " << resource << " repeats " << int(order[k]);
      seen[order[k]] = true;
    }
    for (int k = 2; k < 130; ++k) {
      if (resource == 3) {
        EXPECT_LT(std::strcmp(t[order[k - 1]].label, t[order[k]].label), 0) << k;
      } else {
        EXPECT_LE(key(resource, order[k - 1]), key(resource, order[k])) << "resource " << resource;
      }
    }
  }
  auto byLabel = sortOrder(3);
  auto pos = [&](const std::vector<unsigned char>& o, const char* label) {
    for (int k = 0; k < 130; ++k)
      if (std::strcmp(t[o[k]].label, label) == 0) return k;
    return -1;
  };
  EXPECT_LT(pos(byLabel, "Ru-101"), pos(byLabel, "Ru-99"));
  auto byGamma = sortOrder(5);
  EXPECT_STREQ(t[byGamma[1]].label, "Th-229");
  EXPECT_STREQ(t[byGamma[129]].label, "H-3");
}

TEST(IsotopeLookup, ByIdentifier) {
  char label[7], name[14], spin[8], winnmr[7];
  EXPECT_EQ(GetNoNuclei(), 129);
  EXPECT_EQ(GetNoZ(), 92);
  EXPECT_STREQ(GetNucleusLabel(72, label), "Sn-119");
  EXPECT_STREQ(GetNucleusName(80, name), "Cesium");
  EXPECT_STREQ(GetNucleusName(18, name), "Aluminum");
  EXPECT_STREQ(GetWinNMRNucleus(1, winnmr), "1H");
  EXPECT_STREQ(GetWinNMRNucleus(72, winnmr), "119Sn");
  EXPECT_STREQ(GetWinNMRNucleus(0, winnmr), "NONE");
  EXPECT_EQ(GetNucleusGamma(10), 6.728284f);
  EXPECT_EQ(GetNucleusSpin(13), 2.5f);
  EXPECT_EQ(GetNucleusNatAbundance(1), 99.988f);
  EXPECT_EQ(GetNucleusZ(129), 92);
  EXPECT_STREQ(GetSpinString(3.5f, spin), "7/2");
  EXPECT_STREQ(GetSpinString(0.5f, spin), "1/2");
  EXPECT_STREQ(GetSpinString(4, spin), "4");
  EXPECT_STREQ(GetSpinString(0, spin), "0");
}

TEST(IsotopeLookup, ByLabelAndAtomicNumber) {
  EXPECT_EQ(GetNucleusIdFromString("U-235"), 129);
  EXPECT_EQ(GetNucleusIdFromString("NONE"), 0);
  EXPECT_EQ(GetNucleusIdFromString("h-1"), -1);
  EXPECT_EQ(GetNucleusIdFromString("H-1 "), -1);
  EXPECT_EQ(GetNucleusIdFromString(""), -1);
  EXPECT_EQ(GetNucleusIdFromString("Sn-119xxxxxxxxxxxx"), -1);
  EXPECT_EQ(NumberOfIsotopes(50), 3);
  EXPECT_EQ(NumberOfIsotopes(1), 3);
  EXPECT_EQ(NumberOfIsotopes(0), 1);
  EXPECT_EQ(NumberOfIsotopes(85), 0);
  EXPECT_EQ(NumberOfIsotopes(92), 2);
  EXPECT_EQ(ZtoFirstID(50), 70);
  EXPECT_EQ(ZtoFirstID(85), -1);
  EXPECT_EQ(ZtoFirstID(0), 0);
  EXPECT_EQ(ZtoFirstID(92), 128);
  EXPECT_EQ(ZtoFirstID(93), -1);
  EXPECT_EQ(ZtoFirstID(-1), -1);  // 65535 as a 16-bit value
}

TEST(IsotopeLookup, DipolarCoupling) {
  // Two protons 1 angstrom apart: about 120 kHz.
  float d = RDD(26.752213f, 26.752213f, 1);
  EXPECT_NEAR(d, 120.12e3, 0.01e3);
  EXPECT_EQ(RDD(26.752213f, 26.752213f, -1), d);
  EXPECT_NEAR(RDD(26.752213f, 26.752213f, 1.5f), 35.59e3, 0.01e3);
  EXPECT_LT(RDD(26.752213f, -2.712618f, 1), 0);
  EXPECT_EQ(RDD(26.752213f, 26.752213f, 0), 0);
}

TEST(IsotopeLookup, BadArgumentsAreReportedOnce) {
  struct Case {
    const char* name;
    bool (*call)();
    const char* reason;
  };
  static char buffer[16];
  const Case cases[] = {
      {"label of 130", [] { return GetNucleusLabel(130, buffer) == nullptr; }, "Not a valid nucleus identifier!"},
      {"name of 200", [] { return GetNucleusName(200, buffer) == nullptr; }, "Not a valid nucleus identifier!"},
      {"gamma of 130", [] { return GetNucleusGamma(130) == 0.0f; }, "Not a valid nucleus identifier!"},
      {"spin of 130", [] { return GetNucleusSpin(130) == 0.0f; }, "Not a valid nucleus identifier!"},
      {"abundance of 130", [] { return GetNucleusNatAbundance(130) == 0.0f; }, "Not a valid nucleus identifier!"},
      {"Z of 4000000000", [] { return GetNucleusZ(4000000000u) == 0; }, "Not a valid nucleus identifier!"},
      {"isotopes of Z 93", [] { return NumberOfIsotopes(93) == 0; }, "Not a valid nucleus identifier!"},
      {"label into null", [] { return GetNucleusLabel(1, nullptr) == nullptr; }, "Invalid data pointer!"},
      {"spin text into null", [] { return GetSpinString(1, nullptr) == nullptr; }, "Invalid data pointer!"},
      {"list into no window", [] { return InitNucleiListLabels(nullptr, 100, 0) == 0; }, "Not a valid window handle!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    qtest::UiCapture ui;
    EXPECT_TRUE(c.call());
    qtest::Box box = ui.only();
    auto lines = box.lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], "Call with invalid argument!");
    EXPECT_EQ(lines[2], c.reason);
  }
  qtest::UiCapture quiet;
  char winnmr[8];
  EXPECT_EQ(GetWinNMRNucleus(130, winnmr), nullptr);
  EXPECT_TRUE(quiet.boxes().empty());
}

}  // namespace
