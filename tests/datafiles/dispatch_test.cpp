// Detection, dispatch and the names of data files.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "datafiles/convera.h"
#include "support/capture.h"
#include "support/files.h"
#include "support/module_names.h"

namespace {

TEST(DataFileNames, ClassifiedByExtensionOrName) {
  struct Case {
    const char* path;
    unsigned format;
  };
  const Case cases[] = {
      {"C:\\data\\1\\pdata\\1\\1R", 0x26}, {"spec.RR", 0x8A},   {"spec.txt", 0x8000},
      {"/data/1/fid", 0x5},                 {"x.fid", 0x5},      {"fid.txt", 0x8000},
      {"a/b/1i", 0x46},                     {"x.ser", 0x9},      {"ri", 0x10A},
      {"X.IR", 0x20A},                      {"x.ii", 0x40A},     {"C:\\data\\", 0},
      {"", 0},                              {"1r.", 0x8000},     {"x.1r.bak", 0x8000},
  };
  for (const Case& c : cases) EXPECT_EQ(GetExtensionType(c.path), c.format) << c.path;
  EXPECT_EQ(GetExtensionType(nullptr), 0u);
}

TEST(DataFileNames, CompanionNames) {
  struct Case {
    const char* in;
    unsigned type;
    const char* out;
  };
  const Case cases[] = {
      {"C:\\nmr\\x.1r", 2, "C:\\nmr\\x.fqs"},   {"C:\\nmr\\10\\fid", 21, "C:\\nmr\\10\\acqus"},
      {"C:\\nmr\\x.1r", 0, "C:\\nmr\\x.1r"},    {"C:\\nmr\\x.1r", 34, "C:\\nmr\\x.1r"},
      {"/nmr/x.1r", 1, "/nmr/x.aqs"},           {"/nmr/x", 33, "/nmr/x.dx"},
      {"/nmr/10/pdata/1/1r", 25, "/nmr/10/pdata/1/1i"}, {"x.a.b", 16, "x.a.fp2"},
      {"/nmr/10/fid", 32, "/nmr/10/proc2s"},   {"/nmr/x.1r", 17, "/nmr/acq"},
  };
  for (const Case& c : cases) {
    char out[260];
    EXPECT_EQ(MakeFileName(out, c.in, c.type), 1);
    EXPECT_STREQ(out, c.out) << c.in << " type " << c.type;
  }
  // A companion that would not fit a path is not cut into another name.
  std::string longPath = "/" + std::string(256, 'a') + ".1";
  char out[260];
  EXPECT_EQ(MakeFileName(out, longPath.c_str(), 8), 1);
  EXPECT_STREQ(out, "");
}

struct Report {
  int context;
  int status;
  const char* contextText;
  const char* reasonText;
};

void expectReport(const qtest::UiCapture& ui, const Report& r) {
  qtest::Box box = ui.only();
  EXPECT_EQ(box.caption, qtest::moduleName(ConveraModule()));
  auto lines = box.lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "Error: " + std::to_string(r.context) + " - Code: " + std::to_string(r.status));
  EXPECT_EQ(lines[1], r.contextText);
  EXPECT_EQ(lines[2], r.reasonText);
}

TEST(Dispatch, RefusesBadArguments) {
  {
    qtest::UiCapture ui;
    EXPECT_EQ(NMRCheckFormat(nullptr), -1);
    expectReport(ui, {94, 257, "Error in function CheckFormat!", "Invalid data pointer!"});
  }
  {
    qtest::UiCapture ui;
    EXPECT_EQ(NMRGetParameters(nullptr, "x", nullptr), 0);
    expectReport(ui, {95, 257, "Error in function GetParameters!", "Invalid data pointer!"});
  }
  {
    qtest::UiCapture ui;
    SPECINFO info;
    EXPECT_EQ(NMRReadSpectrum(nullptr, &info, nullptr, nullptr), 0);
    expectReport(ui, {105, 257, "Error retrieving NMR spectrum!", "Invalid data pointer!"});
  }
}

TEST(Dispatch, IllegalFormats) {
  for (int format : {0, 11, -3}) {
    SCOPED_TRACE(format);
    SPECINFO info;
    info.SetFormat(static_cast<fileformat>(format));
    qtest::UiCapture ui;
    EXPECT_EQ(NMRGetParameters(nullptr, "x.1r", &info), 0);
    expectReport(ui, {95, 104, "Error in function GetParameters!", "Illegal file format requested!"});
    ui.clear();
    float re[4];
    EXPECT_EQ(NMRReadSpectrum("x.1r", &info, re, nullptr), 0);
    expectReport(ui, {105, 104, "Error retrieving NMR spectrum!", "Illegal file format requested!"});
  }
}

TEST(Dispatch, VarianIsNeverDetectedNorRead) {
  qtest::TempDir dir;
  std::string fid = dir.file("fid");
  qtest::writeBytes(fid, std::string(64, '\0'));
  EXPECT_EQ(NMRIsVNMR(fid.c_str()), 0);
  EXPECT_EQ(NMRCheckFormat(fid.c_str()), 0);
  SPECINFO info;
  info.SetFormat(FF_VNMR);
  float re[4];
  qtest::UiCapture ui;
  EXPECT_EQ(NMRReadSpectrum(fid.c_str(), &info, re, nullptr), 0);
  expectReport(ui, {140, 118, "Error reading VNMR spectrum!", "Premature end of data file encoutered!"});
}

TEST(Dispatch, NothingIsSavedYet) {
  qtest::TempDir dir;
  SPECINFO info;
  float re[4] = {};
  for (unsigned kind : {1u, 2u, 3u, 4u, 5u}) {
    std::string out = dir.file("out" + std::to_string(kind));
    EXPECT_EQ(NMRSaveSpectrum(out.c_str(), kind, &info, re, nullptr), 0);
    EXPECT_FALSE(qtest::fileExists(out));
  }
}

TEST(Dispatch, UnknownFilesAreFormatZero) {
  qtest::TempDir dir;
  const std::pair<const char*, std::string> files[] = {
      {"empty.1r", ""}, {"text.txt", "hello\n"}, {"x.fid", std::string(1024, 'x')}, {"1r", "1r"}};
  for (const auto& f : files) {
    std::string p = dir.file(f.first);
    qtest::writeBytes(p, f.second);
    qtest::UiCapture ui;
    EXPECT_EQ(NMRCheckFormat(p.c_str()), 0) << f.first;
    EXPECT_TRUE(ui.boxes().empty()) << f.first;
  }
  qtest::UiCapture ui;
  EXPECT_EQ(NMRCheckFormat(dir.file("missing.dx").c_str()), 0);
  EXPECT_EQ(NMRCheckFormat(dir.path().c_str()), 0);  // a folder
  EXPECT_TRUE(ui.boxes().empty());
}

TEST(ValuePrompt, AsksUntilTheValuePasses) {
  qtest::UiCapture ui;
  float value = 100;
  GETFLOAT record{1500, 1501, 1502, 1503, 1504, 0, 0, CV_ABOVE_LO, 6, &value};
  ui.values = {"-5", "abc", "400.13"};
  EXPECT_EQ(GetFloat(nullptr, &record), 0);
  EXPECT_FLOAT_EQ(value, 400.13f);
  ASSERT_EQ(ui.prompts.size(), 3u);
  EXPECT_NE(ui.prompts[0].find("does not contain information about the spectrometer frequency"),
            std::string::npos);
  EXPECT_NE(ui.prompts[1].find("should be positive and non-zero"), std::string::npos);
}

TEST(ValuePrompt, NoAnswerIsCancel) {
  qtest::UiCapture ui;
  float value = 100;
  GETFLOAT record{1500, 1501, 1502, 1503, 1504, 0, 0, CV_ABOVE_LO, 6, &value};
  EXPECT_NE(GetFloat(nullptr, &record), 0);
  EXPECT_EQ(value, 100);
  EXPECT_NE(GetFloat(nullptr, nullptr), 0);
}

}  // namespace
