// Dialog value fields in real dialogs: typing, leaving the field, the nested
// "WARNING !!" re-entry dialog, and the value and text the field ends with.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/dialog_driver_win32.h"
#include "support/test_dialog_win32.h"
#include "winutil/winkit.h"

namespace {

using qtest::DialogDriver;
using qtest::FieldRecord;

const int kReentryPrompt = 888;
const int kReentryValue = 11;

// Answers one "WARNING !!" dialog with `answer`, noting what it showed.
void answerWarning(DialogDriver& drv, std::vector<std::string>& shown, std::string& prompt,
                   const char* answer) {
  drv.expect("WARNING !!", [&shown, &prompt, answer](HWND d) {
    shown.push_back(qtest::itemText(d, kReentryValue));
    prompt = qtest::itemText(d, kReentryPrompt);
    qtest::typeInto(d, kReentryValue, answer);
    qtest::press(d, IDOK);
  });
}

TEST(DialogFields, RefusedDoubleIsAskedForUntilItPasses) {
  DialogDriver drv;
  FieldRecord rec;
  rec.flags = CV_ABOVE_LO;  // v > 0
  std::string after, prompt;
  bool modifiedAfter = true;
  std::vector<std::string> shown;
  drv.expect("Field test", [&](HWND d) {
    qtest::typeInto(d, qtest::kDoubleField, "abc");
    qtest::sendKillFocus(d, qtest::kDoubleField);  // the nested dialogs run here
    after = qtest::itemText(d, qtest::kDoubleField);
    modifiedAfter = SendDlgItemMessageA(d, qtest::kDoubleField, EM_GETMODIFY, 0, 0) != 0;
    qtest::press(d, IDOK);
  });
  answerWarning(drv, shown, prompt, "-5");  // still refused
  answerWarning(drv, shown, prompt, "7");
  EXPECT_EQ(qtest::runFieldDialog(rec), 1);
  EXPECT_TRUE(drv.errors().empty()) << drv.errors().front();
  EXPECT_TRUE(drv.done());
  EXPECT_EQ(rec.d, 7.0);
  EXPECT_EQ(after, "7.00");
  EXPECT_FALSE(modifiedAfter);
  EXPECT_EQ(rec.updates, 1);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0], "0.0000000000");  // "abc" reads as 0, shown with 10 decimals
  EXPECT_EQ(shown[1], "-5.0000000000");
  EXPECT_EQ(prompt, "Field prompt of the test dialog");
}

TEST(DialogFields, RefusedFloatShowsEightDecimals) {
  DialogDriver drv;
  FieldRecord rec;
  rec.flags = CV_ABOVE_LO;
  std::string after, prompt;
  std::vector<std::string> shown;
  drv.expect("Field test", [&](HWND d) {
    qtest::typeInto(d, qtest::kFloatField, "abc");
    qtest::sendKillFocus(d, qtest::kFloatField);
    after = qtest::itemText(d, qtest::kFloatField);
    qtest::press(d, IDOK);
  });
  answerWarning(drv, shown, prompt, "0.1");
  EXPECT_EQ(qtest::runFieldDialog(rec), 1);
  EXPECT_TRUE(drv.errors().empty());
  EXPECT_EQ(rec.f, 0.1f);
  EXPECT_EQ(after, "0.1000");
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], "0.00000000");
}

TEST(DialogFields, LongFieldsReadKiloSuffixes) {
  struct Case {
    const char* typed;
    long value;
    const char* text;
  };
  const Case cases[] = {{"2k", 2048, "2048"}, {"64K", 65536, "65536"}, {"1.5K", 1024, "1024"},
                        {" -12", -12, "-12"}, {"", 0, "0"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    DialogDriver drv;
    FieldRecord rec;
    std::string after;
    drv.expect("Field test", [&](HWND d) {
      qtest::typeInto(d, qtest::kLongField, c.typed);
      qtest::sendKillFocus(d, qtest::kLongField);
      after = qtest::itemText(d, qtest::kLongField);
      qtest::press(d, IDOK);
    });
    EXPECT_EQ(qtest::runFieldDialog(rec), 1);
    EXPECT_TRUE(drv.errors().empty());
    EXPECT_EQ(rec.l, c.value);
    EXPECT_EQ(after, c.text);
  }
}

TEST(DialogFields, LongBoundsRefuseAndAskAgain) {
  DialogDriver drv;
  FieldRecord rec;
  rec.flags = CV_BELOW_HI;  // v < 100
  std::string prompt;
  std::vector<std::string> shown;
  drv.expect("Field test", [&](HWND d) {
    qtest::typeInto(d, qtest::kLongField, "100");
    qtest::sendKillFocus(d, qtest::kLongField);
    qtest::press(d, IDOK);
  });
  answerWarning(drv, shown, prompt, "99");
  EXPECT_EQ(qtest::runFieldDialog(rec), 1);
  EXPECT_TRUE(drv.errors().empty());
  EXPECT_EQ(rec.l, 99);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], "100");
}

TEST(DialogFields, UpdateActsOnlyOnAChangedFieldLosingTheFocus) {
  DialogDriver drv;
  FieldRecord rec;
  int results[3] = {-1, -1, -1};
  double value = 42;
  drv.expect("Field test", [&](HWND d) {
    // Not edited since it was set: nothing to read.
    results[0] = CVUpdateDlgDouble(d, qtest::kDoubleField, EN_KILLFOCUS, &value, 0, 0, 0, 0, 2);
    qtest::typeInto(d, qtest::kDoubleField, "5");
    results[1] = CVUpdateDlgDouble(d, qtest::kDoubleField, EN_CHANGE, &value, 0, 0, 0, 0, 2);
    results[2] = CVUpdateDlgDouble(d, 999, EN_KILLFOCUS, &value, 0, 0, 0, 0, 2);
    qtest::press(d, IDOK);
  });
  EXPECT_EQ(qtest::runFieldDialog(rec), 1);
  EXPECT_EQ(results[0], 0);
  EXPECT_EQ(results[1], 0);
  EXPECT_EQ(results[2], 0);
  EXPECT_EQ(value, 42);
}

TEST(DialogFields, SetAndGetRoundTrip) {
  DialogDriver drv;
  FieldRecord rec;
  std::string texts[4];
  double got = 0;
  long missing = 1;
  drv.expect("Field test", [&](HWND d) {
    texts[0] = qtest::itemText(d, qtest::kDoubleField);  // as set at opening
    texts[1] = qtest::itemText(d, qtest::kFloatField);
    texts[2] = qtest::itemText(d, qtest::kLongField);
    CVSetDlgDouble(d, qtest::kDoubleField, 2.6, 0);
    texts[3] = qtest::itemText(d, qtest::kDoubleField);
    got = CVGetDlgDouble(d, qtest::kDoubleField, nullptr, 0, 0, 0);
    missing = CVGetDlgLong(d, 999, nullptr, 0, 0, 0);
    qtest::press(d, IDOK);
  });
  EXPECT_EQ(qtest::runFieldDialog(rec), 1);
  EXPECT_EQ(texts[0], "1.50");
  EXPECT_EQ(texts[1], "2.2500");
  EXPECT_EQ(texts[2], "3");
  EXPECT_EQ(texts[3], "3");
  EXPECT_EQ(got, 3.0);
  EXPECT_EQ(missing, 0);
}

TEST(DialogFields, ReentryWithoutPromptShowsTheDefaultText) {
  DialogDriver drv;
  std::string prompt, value;
  char buffer[80] = "12.5";
  StringPack pack{nullptr, 280, buffer, 80};
  MSG request = {};
  request.lParam = reinterpret_cast<LPARAM>(&pack);
  drv.expect("WARNING !!", [&](HWND d) {
    prompt = qtest::itemText(d, kReentryPrompt);
    value = qtest::itemText(d, kReentryValue);
    qtest::typeInto(d, kReentryValue, "13");
    // No other command ends the dialog.
    PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
    qtest::press(d, IDOK);
  });
  EXPECT_EQ(CVParamError(&request), 0);
  EXPECT_TRUE(drv.errors().empty());
  EXPECT_EQ(prompt, "Your input has not been accepted!");
  EXPECT_EQ(value, "12.5");
  EXPECT_STREQ(buffer, "13");
}

TEST(DialogFields, CentreOnTheScreen) {
  DialogDriver drv;
  FieldRecord rec;
  RECT r = {};
  BOOL moved = FALSE;
  drv.expect("Field test", [&](HWND d) {
    moved = CVCenterDialog(d);
    GetWindowRect(d, &r);
    qtest::press(d, IDOK);
  });
  EXPECT_EQ(qtest::runFieldDialog(rec), 1);
  EXPECT_TRUE(moved);
  int w = r.right - r.left, h = r.bottom - r.top;
  EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - w) / 2);
  EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - h) / 2);
}

}  // namespace
