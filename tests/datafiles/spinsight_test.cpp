// The Spinsight reader (a directory of "data", "acq" and "proc") and the
// reserved VNMR format. No public Spinsight data set exists: the
// directories are built by the generators from the format's layout.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "datafiles/convera.h"
#include "datafiles/generators.h"
#include "datafiles/specinfo.h"
#include "support/capture.h"
#include "support/faults.h"
#include "support/files.h"
#include "support/module_names.h"

namespace {

using gen::KeyValues;

std::string line(const qtest::Box& box, std::size_t i) {
  std::vector<std::string> l = box.lines();
  return i < l.size() ? l[i] : std::string();
}

class SpinsightReader : public ::testing::Test {
 protected:
  std::string data() const { return dir.file("data"); }
  void write(const KeyValues& acq, const KeyValues& proc, const std::string& words) const {
    gen::writeSpinsight(dir.path(), acq, proc, words);
  }
  int parameters(const KeyValues& acq, const KeyValues& proc) {
    write(acq, proc, gen::intsBE({1, 2, 3, 4, 5, 6, 7, 8}));
    info = SPECINFO();
    return NMRGetParSpinsight(data().c_str(), &info);
  }
  qtest::TempDir dir;
  qtest::UiCapture ui;
  SPECINFO info;
};

TEST_F(SpinsightReader, RecognisesTheDirectoryByItsThreeFiles) {
  struct Case {
    const char* name;
    std::vector<std::string> files;
    const char* path;
    int expected;
  } cases[] = {
      {"all three", {"data", "acq", "proc"}, "data", 1},
      {"named by another file", {"data", "acq", "proc"}, "acq", 1},
      {"names in upper case on disk", {"DATA", "Acq", "PROC"}, "data", 1},
      {"no data", {"acq", "proc"}, "data", 0},
      {"no acq", {"data", "proc"}, "data", 0},
      {"no proc", {"data", "acq"}, "data", 0},
  };
  for (const auto& c : cases) {
    qtest::TempDir d;
    for (const auto& f : c.files) qtest::writeBytes(d.file(f), "x=1\n");
    EXPECT_EQ(NMRIsSpinsight(d.file(c.path).c_str()), c.expected) << c.name;
  }
  EXPECT_TRUE(ui.boxes().empty());
  EXPECT_EQ(NMRIsSpinsight(nullptr), 0);
  ASSERT_EQ(ui.boxes().size(), 1u);
  EXPECT_EQ(line(ui.boxes()[0], 0), "Error: 256 - Code: 257");
}

TEST_F(SpinsightReader, FidParameters) {
  ASSERT_EQ(parameters(gen::spinsightAcq(100.6, 50.0), gen::spinsightProc(4, 0, 0, 100.6, 0.0, 1)), 0);
  EXPECT_EQ(info.GetDimension(), 1u);
  EXPECT_EQ(info.GetDataFormat() & 0x7FFFu, 0x15u);  // FID, complex, 1D
  EXPECT_EQ(info.GetAQMode(1), 1u);
  EXPECT_EQ(info.GetSI(1), 4);
  EXPECT_EQ(info.GetTD(1), 4);
  // The marker at 0 ppm on the observe frequency: a symmetric axis.
  EXPECT_FLOAT_EQ(info.GetSF(1), 100.6f);
  EXPECT_FLOAT_EQ(info.GetF1(1), 25000.0f);
  EXPECT_FLOAT_EQ(info.GetF2(1), -25000.0f);
  EXPECT_EQ(info.GetNucleus(1), 0);
}

TEST_F(SpinsightReader, ReferenceAndDomain) {
  struct Case {
    const char* name;
    KeyValues acq, proc;
    unsigned format, mode;
    double sf, f1, f2;
  } cases[] = {
      {"spectrum of floats", gen::spinsightAcq(), gen::spinsightProc(4, 1, 1), 0x16, 0xC1, 100.6, 25000,
       -25000},
      {"spectrum of integers", gen::spinsightAcq(), gen::spinsightProc(4, 1, 0), 0x16, 0x81, 100.6, 25000,
       -25000},
      {"FID of floats", gen::spinsightAcq(), gen::spinsightProc(4, 0, 1), 0x15, 0x41, 100.6, 25000,
       -25000},
      // Marker 10 ppm at 400.004 MHz: SF = 400.004 / (1 + 1e-5), the axis
      // shifted by (sf - SF) x 1e6 Hz.
      {"marker in ppm", gen::spinsightAcq(400.0, 20.0), gen::spinsightProc(4, 1, 0, 400.004, 10.0, 1),
       0x16, 0x81, 400.004 / 1.00001, (400.0 - 400.004 / 1.00001) * 1e6 + 10000,
       (400.0 - 400.004 / 1.00001) * 1e6 - 10000},
      {"marker in other units", gen::spinsightAcq(400.0, 20.0),
       gen::spinsightProc(4, 1, 0, 400.004, 10.0, 0), 0x16, 0x81, 400.0, 10000, -10000},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(parameters(c.acq, c.proc), 0) << c.name;
    EXPECT_EQ(info.GetDataFormat() & 0x7FFFu, c.format) << c.name;
    EXPECT_EQ(info.GetAQMode(1), c.mode) << c.name;
    EXPECT_NEAR(info.GetSF(1), c.sf, 1e-4) << c.name;
    EXPECT_NEAR(info.GetF1(1), c.f1, 0.05) << c.name;
    EXPECT_NEAR(info.GetF2(1), c.f2, 0.05) << c.name;
  }
}

TEST_F(SpinsightReader, ObserveChannelSelectsItsFrequency) {
  KeyValues acq = gen::with(gen::with(gen::spinsightAcq(), "ch1", "2"), "sf2", "75.5");
  ASSERT_EQ(parameters(acq, gen::spinsightProc(4, 0, 0, 75.5, 0, 1)), 0);
  EXPECT_FLOAT_EQ(info.GetSF(1), 75.5f);
  EXPECT_EQ(parameters(gen::without(acq, "sf2"), gen::spinsightProc()), 117);
}

TEST_F(SpinsightReader, ParameterStatuses) {
  KeyValues acq = gen::spinsightAcq(), proc = gen::spinsightProc();
  struct Case {
    const char* name;
    KeyValues acq, proc;
    int status;
  } cases[] = {
      {"no ch1", gen::without(acq, "ch1"), proc, 120},
      {"no sf1", gen::without(acq, "sf1"), proc, 117},
      {"infinite sf1", gen::with(acq, "sf1", "1e999"), proc, 117},
      {"sf1 0", gen::with(acq, "sf1", "0"), proc, 117},
      {"no sw", gen::without(acq, "sw"), proc, 116},
      {"sw 0", gen::with(acq, "sw", "0"), proc, 116},
      {"key must start the line", gen::with(gen::without(acq, "sw"), "sweep", "50"), proc, 116},
      {"no datatype", acq, gen::without(proc, "datatype"), 122},
      {"no domain1", acq, gen::without(proc, "domain1"), 123},
      {"no current_size1", acq, gen::without(proc, "current_size1"), 124},
      {"no rmp1", acq, gen::without(proc, "rmp1"), 125},
      {"no rmv1", acq, gen::without(proc, "rmv1"), 125},
      {"no rmvunits1", acq, gen::without(proc, "rmvunits1"), 125},
      {"current_size1 0", acq, gen::with(proc, "current_size1", "0"), 115},
      {"marker giving no frequency", acq, gen::with(proc, "rmv1", "-1e6"), 117},
  };
  for (const auto& c : cases) EXPECT_EQ(parameters(c.acq, c.proc), c.status) << c.name;
  EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(SpinsightReader, EmptyParameterFilesHaveNoKeys) {
  write({}, gen::spinsightProc(), gen::intsBE({1}));
  EXPECT_EQ(NMRGetParSpinsight(data().c_str(), &info), 120);
  write(gen::spinsightAcq(), {}, gen::intsBE({1}));
  EXPECT_EQ(NMRGetParSpinsight(data().c_str(), &info), 122);
  EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(SpinsightReader, ReportsTheParameterFileItCannotHave) {
  struct Case {
    const char* name;
    const char* remove;
    unsigned faults;
    int status, context, reason;
    const char* contextText;
  } cases[] = {
      {"no acq", "acq", 0, 114, 5, 4098, "Cannot open AQS parameter file!"},
      {"no proc", "proc", 0, 114, 121, 4098, "Error opening PROC file!"},
      {"no memory for acq", nullptr, qtest::kFaultMemory, 258, 5, 258, "Cannot open AQS parameter file!"},
  };
  for (const auto& c : cases) {
    write(gen::spinsightAcq(), gen::spinsightProc(), gen::intsBE({1}));
    if (c.remove) plat::ops().deleteFile(dir.file(c.remove).c_str());
    ui.clear();
    {
      qtest::FaultPlan plan(c.faults, c.faults ? 1 : 0);
      EXPECT_EQ(NMRGetParSpinsight(data().c_str(), &info), c.status) << c.name;
    }
    ASSERT_EQ(ui.boxes().size(), 1u) << c.name;
    const qtest::Box& box = ui.boxes()[0];
    EXPECT_EQ(box.caption, qtest::moduleName(ConveraModule())) << c.name;
    EXPECT_EQ(line(box, 0),
              "Error: " + std::to_string(c.context) + " - Code: " + std::to_string(c.reason))
        << c.name;
    EXPECT_EQ(line(box, 1), c.contextText) << c.name;
    if (c.reason == 258) {
      EXPECT_EQ(line(box, 2), "Cannot allocate memory!") << c.name;
    }
  }
  // A refused call is not answered with success.
  ui.clear();
  EXPECT_EQ(NMRGetParSpinsight(nullptr, &info), 257);
  EXPECT_EQ(NMRGetParSpinsight(data().c_str(), nullptr), 257);
  EXPECT_EQ(ui.boxes().size(), 2u);
}

TEST_F(SpinsightReader, ReadsBigEndianWordsRealThenImaginary) {
  struct Case {
    const char* name;
    int datatype;
    std::string words;
    std::vector<float> re, im;
  } cases[] = {
      {"integers", 0, gen::intsBE({1, -2, 300000, -4, 5, 6, -7, 2147483647}), {1, -2, 300000, -4},
       {5, 6, -7, 2147483647.0f}},
      {"floats", 1, gen::floatsBE({0.5f, -1.25f, 3e10f, 4, 5, 6, 7, -8}), {0.5f, -1.25f, 3e10f, 4},
       {5, 6, 7, -8}},
  };
  for (const auto& c : cases) {
    write(gen::spinsightAcq(), gen::spinsightProc(4, 1, c.datatype), c.words);
    ASSERT_EQ(NMRGetParSpinsight(data().c_str(), &info), 0) << c.name;
    std::vector<float> r(4), i(4);
    ASSERT_EQ(NMRReadSpinsight(data().c_str(), &info, r.data(), i.data()), 0) << c.name;
    EXPECT_EQ(r, c.re) << c.name;
    EXPECT_EQ(i, c.im) << c.name;
    // Named by its parameter file, the directory still gives the data file.
    std::vector<float> r2(4), i2(4);
    ASSERT_EQ(NMRReadSpinsight(dir.file("proc").c_str(), &info, r2.data(), i2.data()), 0) << c.name;
    EXPECT_EQ(r2, c.re) << c.name;
    std::vector<float> r3(4);
    ASSERT_EQ(NMRReadSpinsight(data().c_str(), &info, r3.data(), nullptr), 0) << c.name;
    EXPECT_EQ(r3, c.re) << c.name;
    EXPECT_EQ(info.GetModTime(), GetTimeLastModified(data().c_str())) << c.name;
  }
}

TEST_F(SpinsightReader, DataStatuses) {
  write(gen::spinsightAcq(), gen::spinsightProc(4, 1, 1), gen::floatsBE({1, 2, 3, 4, 5, 6, 7, 8}));
  ASSERT_EQ(NMRGetParSpinsight(data().c_str(), &info), 0);
  std::vector<float> r(4), i(4);
  struct Case {
    const char* name;
    std::string words;
    bool imag;
    int status;
  } cases[] = {
      {"real part short", gen::floatsBE({1, 2, 3}), false, 118},
      {"imaginary part short", gen::floatsBE({1, 2, 3, 4, 5, 6, 7}), true, 118},
      {"imaginary part not needed", gen::floatsBE({1, 2, 3, 4}), false, 0},
      {"NaN", gen::floatsBE({1, std::nanf(""), 3, 4, 5, 6, 7, 8}), true, 126},
  };
  for (const auto& c : cases) {
    qtest::writeBytes(data(), c.words);
    EXPECT_EQ(NMRReadSpinsight(data().c_str(), &info, r.data(), c.imag ? i.data() : nullptr), c.status)
        << c.name;
  }
  EXPECT_EQ(NMRReadSpinsight(data().c_str(), &info, nullptr, i.data()), 132);
  plat::ops().deleteFile(data().c_str());
  EXPECT_EQ(NMRReadSpinsight(data().c_str(), &info, r.data(), i.data()), 114);
}

TEST_F(SpinsightReader, TwoDimensionalSetReadsItsFirstRow) {
  // Three rows of four points: all real parts, then all imaginary parts.
  std::vector<std::int32_t> words;
  for (int k = 0; k < 24; ++k) words.push_back(k < 12 ? k : 100 + k - 12);
  write(gen::spinsightAcq(), gen::with(gen::spinsightProc(4, 0, 0), "current_size2", "3"),
        gen::intsBE(words));
  ASSERT_EQ(NMRGetParSpinsight(data().c_str(), &info), 0);
  EXPECT_EQ(info.GetDimension(), 2u);
  EXPECT_EQ(info.GetDataFormat() & 0x7FFFu, 0x19u);  // FID, complex, 2D
  EXPECT_EQ(info.GetSI(1), 4);
  EXPECT_EQ(info.GetSI(2), 3);
  std::vector<float> r(4), i(4);
  ASSERT_EQ(NMRReadSpinsight(data().c_str(), &info, r.data(), i.data()), 0);
  EXPECT_EQ(r, (std::vector<float>{0, 1, 2, 3}));
  EXPECT_EQ(i, (std::vector<float>{100, 101, 102, 103}));
  // current_size2 of 0 is a 1D set.
  write(gen::spinsightAcq(), gen::with(gen::spinsightProc(4, 0, 0), "current_size2", "0"),
        gen::intsBE(words));
  ASSERT_EQ(NMRGetParSpinsight(data().c_str(), &info), 0);
  EXPECT_EQ(info.GetDimension(), 1u);
}

TEST_F(SpinsightReader, EveryPrefixOfTheParameterFilesGivesAStatus) {
  std::string acq = gen::keyValues(gen::spinsightAcq()), proc = gen::keyValues(gen::spinsightProc());
  qtest::writeBytes(data(), gen::intsBE({1, 2, 3, 4, 5, 6, 7, 8}));
  for (int which = 0; which < 2; ++which) {
    const std::string& whole = which ? proc : acq;
    for (std::size_t n = 0; n <= whole.size(); ++n) {
      qtest::writeBytes(dir.file("acq"), which ? acq : acq.substr(0, n));
      qtest::writeBytes(dir.file("proc"), which ? proc.substr(0, n) : proc);
      int st = NMRGetParSpinsight(data().c_str(), &info);
      EXPECT_TRUE(st == 0 || (st >= 115 && st <= 125)) << (which ? "proc" : "acq") << " prefix " << n
                                                       << ": " << st;
      if (n == whole.size()) {
        EXPECT_EQ(st, 0);
      }
    }
  }
  EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(SpinsightReader, EveryPrefixOfTheDataFileGivesAStatus) {
  std::string words = gen::intsBE({1, 2, 3, 4, 5, 6, 7, 8});
  write(gen::spinsightAcq(), gen::spinsightProc(4, 0, 0), words);
  ASSERT_EQ(NMRGetParSpinsight(data().c_str(), &info), 0);
  for (std::size_t n = 0; n <= words.size(); ++n) {
    qtest::writeBytes(data(), words.substr(0, n));
    std::vector<float> r(4), i(4);
    EXPECT_EQ(NMRReadSpinsight(data().c_str(), &info, r.data(), i.data()), n < words.size() ? 118 : 0)
        << "prefix " << n;
    EXPECT_EQ(NMRReadSpinsight(data().c_str(), &info, r.data(), nullptr), n < 16 ? 118 : 0)
        << "prefix " << n;
  }
}

TEST_F(SpinsightReader, FailingOperationsNeverGiveOtherParameters) {
  write(gen::spinsightAcq(), gen::spinsightProc(), gen::intsBE({1, 2, 3, 4, 5, 6, 7, 8}));
  SPECINFO good;
  ASSERT_EQ(NMRGetParSpinsight(data().c_str(), &good), 0);
  for (int n = 1;; ++n) {
    qtest::FaultPlan plan(qtest::kFaultAll, n);
    SPECINFO s;
    int st = NMRGetParSpinsight(data().c_str(), &s);
    if (!plan.fired()) break;
    if (st == 0) {
      EXPECT_EQ(s.GetDataFormat(), good.GetDataFormat()) << "operation " << n;
      EXPECT_EQ(s.GetSI(1), good.GetSI(1)) << "operation " << n;
      EXPECT_EQ(s.GetSF(1), good.GetSF(1)) << "operation " << n;
      EXPECT_EQ(s.GetF1(1), good.GetF1(1)) << "operation " << n;
    } else {
      EXPECT_TRUE(st == 114 || st == 258) << "operation " << n << ": " << st;
    }
  }
}

TEST_F(SpinsightReader, EveryFailingFileOperationFailsTheRead) {
  write(gen::spinsightAcq(), gen::spinsightProc(4, 1, 1), gen::floatsBE({1, 2, 3, 4, 5, 6, 7, 8}));
  ASSERT_EQ(NMRGetParSpinsight(data().c_str(), &info), 0);
  std::vector<float> r(4), i(4);
  for (int n = 1;; ++n) {
    qtest::FaultPlan plan(qtest::kFaultOpen | qtest::kFaultRead, n);
    int st = NMRReadSpinsight(data().c_str(), &info, r.data(), i.data());
    if (!plan.fired()) {
      EXPECT_EQ(st, 0);
      break;
    }
    EXPECT_NE(st, 0) << "operation " << n;
  }
}

// ---- VNMR, reserved ----------------------------------------------------------------

TEST(VnmrReader, IsNeverRecognisedNorRead) {
  qtest::TempDir dir;
  std::string fid = dir.file("fid");
  qtest::writeBytes(fid, gen::intsBE({0, 1, 2, 3}));
  qtest::writeBytes(dir.file("procpar"), "sfrq 1 1 1000000 0 0 2 1 0 1 64\n1 400.0\n");
  EXPECT_EQ(NMRIsVNMR(fid.c_str()), 0);
  SPECINFO info;
  EXPECT_EQ(NMRGetParVNMR(fid.c_str(), &info), 0);
  EXPECT_EQ(info.GetDimension(), 1u);
  EXPECT_EQ(info.GetSI(1), 0);
  EXPECT_EQ(NMRGetParVNMR(dir.file("missing").c_str(), &info), 114);
  EXPECT_EQ(NMRGetParVNMR(nullptr, &info), 256);
  float r[4];
  EXPECT_EQ(NMRReadVNMR(fid.c_str(), &info, r, r), 118);

  // Through the dispatchers: never detected, and a read as format 9 fails.
  qtest::UiCapture ui;
  EXPECT_EQ(NMRCheckFormat(fid.c_str()), FF_UNKNOWN);
  info.SetFormat(FF_VNMR);
  EXPECT_EQ(NMRGetParameters(nullptr, fid.c_str(), &info), 1);
  EXPECT_EQ(NMRReadSpectrum(fid.c_str(), &info, r, r), 0);
  ASSERT_EQ(ui.boxes().size(), 1u);
  EXPECT_EQ(line(ui.boxes()[0], 0), "Error: 140 - Code: 118");
  EXPECT_EQ(line(ui.boxes()[0], 1), "Error reading VNMR spectrum!");
  EXPECT_EQ(line(ui.boxes()[0], 2), "Premature end of data file encoutered!");
}

}  // namespace
