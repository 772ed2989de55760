// The error box: caption and three lines for every way of naming its texts.

#include <gtest/gtest.h>

#include <string>

#include "support/capture.h"
#include "support/faults.h"
#include "support/module_names.h"
#include "winutil/platform/module_entry.h"
#include "winutil/winkit.h"

namespace {

struct BoxCase {
  const char* name;
  bool callerModule;  // the test program's module, else Winkit's
  LPCSTR context;
  LPCSTR reason;
  UINT flags;
  const char* line1;
  const char* line2;
  const char* line3;
};

const char kLiteral[] = "A text given by address";

const BoxCase kBoxes[] = {
    {"both Winkit", false, CVTEXT(17), CVTEXT(13), 1, "Error: 17 - Code: 13", "Could not copy file!",
     "Cannot open source file!"},
    {"no texts", false, nullptr, nullptr, 1, "Error: 0 - Code: 0", "Call with invalid Error code!",
     "Call with invalid instruction!"},
    {"context only", false, CVTEXT(21), nullptr, 1, "Error: 21 - Code: 0",
     "Could not successfully retrieve input file name!", ""},
    {"system error reason", true, nullptr, CVTEXT(4098), 3, "Error: 0 - Code: 4098", "",
     "File not found!"},
    {"caller context, Winkit reason", true, CVTEXT(21), CVTEXT(4099), 3, "Error: 21 - Code: 4099",
     "Caller's context 21", "Path not found!"},
    {"Winkit context, caller reason", true, CVTEXT(17), CVTEXT(500), 5, "Error: 17 - Code: 500",
     "Could not copy file!", "A caller's reason"},
    {"both from the caller (6)", true, CVTEXT(17), CVTEXT(500), 6, "Error: 17 - Code: 500",
     "Caller's text 17", "A caller's reason"},
    {"both from the caller (7)", true, CVTEXT(21), CVTEXT(13), 7, "Error: 21 - Code: 13",
     "Caller's context 21", ""},
    {"caller lacks both", true, CVTEXT(256), CVTEXT(257), 6, "Error: 256 - Code: 257",
     "Call with invalid Error code!", "Call with invalid instruction!"},
    {"flags 0 read the caller's table", true, CVTEXT(17), CVTEXT(13), 0, "Error: 17 - Code: 13",
     "Caller's text 17", ""},
    {"dialog failure 0xFFFF", false, CVTEXT(21), CVTEXT(4352), 1, "Error: 21 - Code: 4352",
     "Could not successfully retrieve input file name!", "The dialog box could not be created!"},
    {"invalid file name", false, CVTEXT(22), CVTEXT(16642), 1, "Error: 22 - Code: 16642",
     "Could not successfully retrieve output file name!", "Filename is invalid!"},
    {"missing system text", false, CVTEXT(17), CVTEXT(4110), 1, "Error: 17 - Code: 4110",
     "Could not copy file!", ""},
    {"literal reason", false, CVTEXT(17), kLiteral, 1, nullptr, "Could not copy file!", kLiteral},
};

TEST(ErrorBox, CaptionAndThreeLines) {
  for (const BoxCase& c : kBoxes) {
    SCOPED_TRACE(c.name);
    qtest::UiCapture ui;
    HINSTANCE module = c.callerModule ? ThisModule() : CVWinkitModule();
    EXPECT_EQ(CVErrMess(module, c.context, c.reason, c.flags), 0);
    qtest::Box box = ui.only();
    EXPECT_EQ(box.caption, qtest::moduleName(module));
    auto lines = box.lines();
    ASSERT_EQ(lines.size(), 3u) << box.text;
    if (c.line1) {
      EXPECT_EQ(lines[0], c.line1);
    }
    EXPECT_EQ(lines[1], c.line2);
    EXPECT_EQ(lines[2], c.line3);
  }
}

TEST(ErrorBox, CaptionIsTheModuleFileName) {
  std::string winkit = qtest::moduleName(CVWinkitModule());
  EXPECT_TRUE(winkit == "Winkit.dll" || winkit == "Winkit.so") << winkit;
  qtest::UiCapture ui;
  CVErrMess(nullptr, CVTEXT(17), CVTEXT(13), 1);
  EXPECT_EQ(ui.only().caption, qtest::moduleName(nullptr));
}

TEST(ErrorBox, LongTextsAreCutAt279Characters) {
  std::string longText(400, 'x');
  qtest::UiCapture ui;
  CVErrMess(CVWinkitModule(), longText.c_str(), longText.c_str(), 1);
  auto lines = ui.only().lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1], std::string(279, 'x'));
  EXPECT_EQ(lines[2], std::string(279, 'x'));
}

TEST(ErrorBox, NothingIsShownWithoutMemory) {
  qtest::UiCapture ui;
  qtest::FaultPlan plan(qtest::kFaultHeap, 1);
  EXPECT_EQ(CVErrMess(CVWinkitModule(), CVTEXT(17), CVTEXT(13), 1), 0);
  EXPECT_TRUE(plan.fired());
  EXPECT_TRUE(ui.boxes().empty());
}

}  // namespace
