// The isotope lists in a real combo box.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "isotopes/isotopia.h"
#include "support/dialog_driver_win32.h"
#include "support/test_dialog_win32.h"

namespace {

std::vector<std::string> comboItems(HWND d) {
  std::vector<std::string> items;
  HWND combo = GetDlgItem(d, qtest::kCombo);
  int n = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    char text[64] = "";
    SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    items.push_back(text);
  }
  return items;
}

TEST(DialogIsotopeLists, FiltersAndFormats) {
  qtest::DialogDriver drv;
  qtest::FieldRecord rec;
  std::vector<std::string> all, half, notHalf, integer, quadrupolar, real, ids, gammas, spins, nas;
  int results[12] = {};
  drv.expect("Field test", [&](HWND d) {
    results[0] = InitNucleiListLabels(d, qtest::kCombo, 0);
    all = comboItems(d);
    results[1] = InitNucleiListLabels(d, qtest::kCombo, 1);
    half = comboItems(d);
    results[2] = InitNucleiListLabels(d, qtest::kCombo, 2);
    notHalf = comboItems(d);
    results[3] = InitNucleiListLabels(d, qtest::kCombo, 3);
    integer = comboItems(d);
    results[4] = InitNucleiListLabels(d, qtest::kCombo, 4);
    quadrupolar = comboItems(d);
    results[5] = InitNucleiListLabels(d, qtest::kCombo, 5);
    real = comboItems(d);
    results[6] = InitNucleiListIDs(d, qtest::kCombo, 0);
    ids = comboItems(d);
    results[7] = InitNucleiListGammas(d, qtest::kCombo, 0);
    gammas = comboItems(d);
    results[8] = InitNucleiListSpins(d, qtest::kCombo, 0);
    spins = comboItems(d);
    results[9] = InitNucleiListNAs(d, qtest::kCombo, 0);
    nas = comboItems(d);
    results[10] = InitNucleiListLabels(d, 999, 0);  // no such control
    qtest::press(d, IDOK);
  });
  EXPECT_EQ(qtest::runFieldDialog(rec), 1);
  EXPECT_TRUE(drv.errors().empty());
  for (int i = 0; i < 10; ++i) EXPECT_EQ(results[i], 1) << "call " << i;
  EXPECT_EQ(results[10], 0);

  ASSERT_EQ(all.size(), 130u);
  char label[8];
  for (unsigned i = 0; i < 130; ++i) EXPECT_EQ(all[i], GetNucleusLabel(i, label));
  ASSERT_GE(half.size(), 5u);
  EXPECT_EQ((std::vector<std::string>(half.begin(), half.begin() + 5)),
            (std::vector<std::string>{"H-1", "H-3", "He-3", "C-13", "N-15"}));
  EXPECT_EQ(half.size() + notHalf.size(), 130u);
  EXPECT_EQ(notHalf.front(), "NONE");
  EXPECT_EQ(integer.front(), "NONE");
  EXPECT_EQ(integer[1], "H-2");
  EXPECT_EQ(quadrupolar.front(), "Li-7");
  EXPECT_EQ(integer.size() + quadrupolar.size() + half.size(), 130u);
  ASSERT_EQ(real.size(), 129u);
  EXPECT_EQ(real.front(), "H-1");  // position = identifier - 1
  EXPECT_EQ(ids[1], "    1");
  EXPECT_EQ(gammas[1], "    26.75221");
  EXPECT_EQ(spins[13], "5/2");
  EXPECT_EQ(nas[14], "   100.00000");
}

}  // namespace
