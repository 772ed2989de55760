// The value prompt of the readers as a real dialog.

#include <gtest/gtest.h>

#include <string>

#include "datafiles/convera.h"
#include "support/dialog_driver_win32.h"

namespace {

const int kValueField = 204;
const int kPromptText = 202;

TEST(DialogValuePrompt, EnterSF) {
  qtest::DialogDriver drv;
  float value = 100;
  GETFLOAT record{1500, 1501, 1502, 1503, 1504, 0, 0, 1, 6, &value};
  std::string shown, prompt, again;
  drv.expect("Enter SF", [&](HWND d) {
    shown = qtest::itemText(d, kValueField);
    prompt = qtest::itemText(d, kPromptText);
    qtest::typeInto(d, kValueField, "0");
    qtest::sendKillFocus(d, kValueField);  // refused: the re-entry dialog runs here
    qtest::press(d, IDOK);
  });
  drv.expect("WARNING !!", [&](HWND d) {
    again = qtest::itemText(d, 888);
    qtest::typeInto(d, 11, "500.13");
    qtest::press(d, IDOK);
  });
  EXPECT_EQ(GetFloat(nullptr, &record), 0);
  EXPECT_TRUE(drv.errors().empty()) << drv.errors().front();
  EXPECT_EQ(shown, "100.000000");
  EXPECT_NE(prompt.find("spectrometer frequency"), std::string::npos);
  EXPECT_EQ(again, "The spectrometer frequency should be positive and non-zero!");
  EXPECT_FLOAT_EQ(value, 500.13f);
}

TEST(DialogValuePrompt, CancelKeepsTheValue) {
  qtest::DialogDriver drv;
  float value = 100;
  GETFLOAT record{1500, 1501, 1502, 1503, 1504, 0, 0, 1, 6, &value};
  drv.expect("Enter SF", [&](HWND d) { qtest::press(d, IDCANCEL); });
  EXPECT_NE(GetFloat(nullptr, &record), 0);
  EXPECT_TRUE(drv.errors().empty());
  EXPECT_EQ(value, 100);
}

}  // namespace
