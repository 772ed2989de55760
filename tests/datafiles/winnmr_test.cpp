// The WinNMR readers: detection of the generic and Unix-type file groups,
// their parameter files (binary records / Bruker text), the shared data
// reader, and the ASCII export with its header labels and value lines. No
// public WinNMR file exists: every fixture is built by the generators from
// the formats' layout.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
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

using gen::Pars;

// The same path with "\" separators, as a path that came from Windows.
std::string backslashed(std::string p) {
  for (char& c : p)
    if (c == '/') c = '\\';
  return p;
}

std::string line(const qtest::Box& box, std::size_t i) {
  std::vector<std::string> l = box.lines();
  return i < l.size() ? l[i] : std::string();
}

// A 1D WinNMR group in a temporary folder.
class WinNMRGroup : public ::testing::Test {
 protected:
  std::string at(const std::string& name) const { return dir.file(name); }
  void write(const std::string& name, const std::string& bytes) const { qtest::writeBytes(at(name), bytes); }
  // sample.aqs, sample.fqs (binary) and sample.<ext> with `data`.
  void genericGroup(const std::string& ext, const std::string& data, const Pars& acq = gen::acquisition(),
                    const Pars& proc = gen::processing()) const {
    write("sample.aqs", gen::binaryParameters(acq));
    write("sample.fqs", gen::binaryParameters(proc));
    write("sample" + ext, data);
  }
  qtest::TempDir dir;
  qtest::UiCapture ui;
};

// ---- detection ----------------------------------------------------------------

struct DetectCase {
  const char* name;
  std::vector<std::pair<std::string, std::string>> files;  // name, bytes
  const char* path;                                        // the name given
  int generic;
  int unix;
};

std::string binaryAcq() { return gen::binaryParameters(gen::acquisition()); }
std::string binaryProc() { return gen::binaryParameters(gen::processing()); }
std::string textAcq() { return gen::textParameters(gen::acquisition()); }
std::string textProc() { return gen::textParameters(gen::processing()); }
std::string words(int n) { return gen::floatsLE(gen::ramp(n)); }

TEST_F(WinNMRGroup, DetectsTheFlavourByTheLastParameterFile) {
  const DetectCase cases[] = {
      {"binary 1r", {{"x.1r", words(8)}, {"x.aqs", binaryAcq()}, {"x.fqs", binaryProc()}}, "x.1r", 1, 0},
      {"binary fid", {{"x.fid", words(8)}, {"x.aqs", binaryAcq()}, {"x.fqs", binaryProc()}}, "x.fid", 1, 0},
      {"text 1r", {{"x.1r", words(8)}, {"x.aqs", textAcq()}, {"x.fqs", textProc()}}, "x.1r", 0, 1},
      {"only the .fqs decides",
       {{"x.1r", words(8)}, {"x.aqs", textAcq()}, {"x.fqs", binaryProc()}}, "x.1r", 1, 0},
      {"names on disk in upper case",
       {{"x.1r", words(8)}, {"X.AQS", binaryAcq()}, {"X.FQS", binaryProc()}}, "x.1r", 1, 0},
      {"extension in upper case", {{"x.1R", words(8)}, {"x.aqs", binaryAcq()}, {"x.fqs", binaryProc()}},
       "x.1R", 1, 0},
      {"no .aqs", {{"x.1r", words(8)}, {"x.fqs", binaryProc()}}, "x.1r", 0, 0},
      {"no .fqs", {{"x.1r", words(8)}, {"x.aqs", binaryAcq()}}, "x.1r", 0, 0},
      {"no data file", {{"x.aqs", binaryAcq()}, {"x.fqs", binaryProc()}}, "x.1r", 0, 0},
      {"unclassified name", {{"x.txt", words(8)}, {"x.aqs", binaryAcq()}, {"x.fqs", binaryProc()}},
       "x.txt", 0, 0},
      {"signature not terminated",
       {{"x.1r", words(8)}, {"x.aqs", binaryAcq()}, {"x.fqs", "A0001" + binaryProc()}}, "x.1r", 0, 0},
      {"one '#' only", {{"x.1r", words(8)}, {"x.aqs", textAcq()}, {"x.fqs", "#$SI= 8\r\n"}}, "x.1r", 0, 0},
      {"empty .fqs", {{"x.1r", words(8)}, {"x.aqs", binaryAcq()}, {"x.fqs", ""}}, "x.1r", 0, 0},
      {"2D binary",
       {{"x.rr", words(8)}, {"x.fa1", binaryAcq()}, {"x.fa2", binaryAcq()}, {"x.fp1", binaryProc()},
        {"x.fp2", binaryProc()}},
       "x.rr", 1, 0},
      {"2D text",
       {{"x.ser", words(8)}, {"x.fa1", textAcq()}, {"x.fa2", textAcq()}, {"x.fp1", textProc()},
        {"x.fp2", textProc()}},
       "x.ser", 0, 1},
      {"2D without .fp1",
       {{"x.rr", words(8)}, {"x.fa1", binaryAcq()}, {"x.fa2", binaryAcq()}, {"x.fp2", binaryProc()}},
       "x.rr", 0, 0},
      {"2D without .fp2",
       {{"x.rr", words(8)}, {"x.fa1", binaryAcq()}, {"x.fa2", binaryAcq()}, {"x.fp1", binaryProc()}},
       "x.rr", 0, 0},
      {"2D name with 1D parameter files",
       {{"x.rr", words(8)}, {"x.aqs", binaryAcq()}, {"x.fqs", binaryProc()}}, "x.rr", 0, 0},
  };
  for (const auto& c : cases) {
    qtest::TempDir d;
    for (const auto& f : c.files) qtest::writeBytes(d.file(f.first), f.second);
    std::string path = d.file(c.path);
    EXPECT_EQ(NMRIsGenericWinNMR(path.c_str()), c.generic) << c.name;
    EXPECT_EQ(NMRIsUnixWinNMR(path.c_str()), c.unix) << c.name;
    EXPECT_EQ(NMRIsGenericWinNMR(backslashed(path).c_str()), c.generic) << c.name << " (\\ path)";
    if (c.generic || c.unix) {
      EXPECT_EQ(NMRCheckFormat(path.c_str()), c.generic ? FF_GENERICWINNMR : FF_UNIXWINNMR) << c.name;
    }
  }
  EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(WinNMRGroup, UnixTestReportsAnUnusablePath) {
  EXPECT_EQ(NMRIsUnixWinNMR(nullptr), 0);
  ASSERT_EQ(ui.boxes().size(), 1u);
  EXPECT_EQ(line(ui.boxes()[0], 0), "Error: 256 - Code: 257");
  EXPECT_EQ(line(ui.boxes()[0], 1), "Call with invalid argument!");
  EXPECT_EQ(line(ui.boxes()[0], 2), "Invalid data pointer!");
  ui.clear();
  EXPECT_EQ(NMRIsGenericWinNMR(nullptr), 0);
  EXPECT_TRUE(ui.boxes().empty());
}

// ---- generic parameters -----------------------------------------------------------

TEST_F(WinNMRGroup, GenericSpectrumTakesItsSizeFromTheDataFile) {
  // 32768 bytes: 8192 floats; SI 4096 in the .fqs is not used for 1D data.
  genericGroup(".1r", words(8192), gen::acquisition(1, 400.13, 8000, 16384),
               gen::processing(12.0f, 4096, 0));
  SPECINFO info;
  ASSERT_EQ(NMRGetParGenWinNMR(at("sample.1r").c_str(), &info), 0);
  EXPECT_EQ(info.GetDimension(), 1u);
  EXPECT_EQ(info.GetDataFormat(), 0x26u);
  EXPECT_EQ(info.GetSI(1), 8192);
  EXPECT_EQ(info.GetTD(1), 8192);
  EXPECT_EQ(info.GetAQMode(1), 0xC1u);
  EXPECT_EQ(info.GetNucleus(1), 0);
  double sf = (400.13 + 8000 * 5e-7) / (1 + 12 * 1e-6);
  EXPECT_NEAR(info.GetSF(1), sf, 1e-4);
  EXPECT_NEAR(info.GetF1(1), 12 * sf, 1e-2);
  EXPECT_NEAR(info.GetF2(1), 12 * sf - 8000, 1e-2);
  EXPECT_NEAR(info.GetInc(1), 8000.0 / 8192, 1e-5);
  EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(WinNMRGroup, GenericPartnerPartMakesTheDataComplex) {
  struct Case {
    const char* name;
    const char* named;
    const char* partner;
    unsigned format;
  } cases[] = {
      {"1r with 1i", "sample.1r", "sample.1i", 0x36},
      {"1i with 1r", "sample.1i", "sample.1r", 0x56},
      {"1r alone", "sample.1r", nullptr, 0x26},
      {"fid with 1i", "sample.fid", "sample.1i", 0x05},
  };
  for (const auto& c : cases) {
    qtest::TempDir d;
    qtest::writeBytes(d.file("sample.aqs"), binaryAcq());
    qtest::writeBytes(d.file("sample.fqs"), binaryProc());
    qtest::writeBytes(d.file(c.named), words(16));
    if (c.partner) qtest::writeBytes(d.file(c.partner), words(16));
    SPECINFO info;
    ASSERT_EQ(NMRGetParGenWinNMR(d.file(c.named).c_str(), &info), 0) << c.name;
    EXPECT_EQ(info.GetDataFormat(), c.format) << c.name;
  }
}

TEST_F(WinNMRGroup, GenericFidHasHalfAsManyComplexPoints) {
  genericGroup(".fid", words(16384), gen::acquisition(1, 100.6, 50000, 8192));
  SPECINFO info;
  ASSERT_EQ(NMRGetParGenWinNMR(at("sample.fid").c_str(), &info), 0);
  EXPECT_EQ(info.GetDataFormat(), 0x5u);
  EXPECT_EQ(info.GetSI(1), 8192);
  EXPECT_EQ(info.GetTD(1), 8192);
  EXPECT_NEAR(info.GetSW(1), 50000, 0.1);
}

TEST_F(WinNMRGroup, Generic2DTakesEachDimensionFromItsOwnFiles) {
  write("sample.rr", words(64));
  write("sample.ii", words(64));
  write("sample.fa2", gen::binaryParameters(gen::acquisition(2, 500.13, 6000, 1024)));
  write("sample.fa1", gen::binaryParameters(gen::acquisition(0, 125.76, 20000, 128)));
  write("sample.fp2", gen::binaryParameters(gen::processing(10.0f, 512, 64)));
  write("sample.fp1", gen::binaryParameters(gen::processing(180.0f, 256, -1)));
  SPECINFO info;
  ASSERT_EQ(NMRGetParGenWinNMR(at("sample.rr").c_str(), &info), 0);
  EXPECT_EQ(info.GetDimension(), 2u);
  EXPECT_EQ(info.GetDataFormat(), 0x8Au | DF_COMPLEX);
  EXPECT_EQ(info.GetSI(1), 512);
  EXPECT_EQ(info.GetSI(2), 256);
  EXPECT_EQ(info.GetTD(1), 1024);
  EXPECT_EQ(info.GetTD(2), 128);
  EXPECT_EQ(info.GetXDIM(1), 64);
  EXPECT_EQ(info.GetXDIM(2), 0);  // a negative XDIM is not stored
  EXPECT_EQ(info.GetAQMode(1), 0xC2u);  // the words are floats, as in 1D
  EXPECT_EQ(info.GetAQMode(2), 0u);
  double sf2 = (125.76 + 20000 * 5e-7) / (1 + 180 * 1e-6);
  EXPECT_NEAR(info.GetSF(2), sf2, 1e-4);
  EXPECT_NEAR(info.GetF1(2), 180 * sf2, 1e-2);
  EXPECT_NEAR(info.GetSW(2), 20000, 1e-2);
  // The first SI(1) words of each part; here the file holds fewer.
  EXPECT_EQ(NMRReadWinNMR(at("sample.rr").c_str(), &info, std::vector<float>(512).data(),
                          std::vector<float>(512).data()),
            118);
  std::vector<float> re = gen::ramp(512, 1.0f), im = gen::ramp(512, 2.0f);
  write("sample.rr", gen::floatsLE(re));
  write("sample.ii", gen::floatsLE(im));
  std::vector<float> r(512), i(512);
  ASSERT_EQ(NMRReadWinNMR(at("sample.rr").c_str(), &info, r.data(), i.data()), 0);
  EXPECT_EQ(r, re);
  EXPECT_EQ(i, im);
}

TEST_F(WinNMRGroup, GenericParameterStatuses) {
  Pars lowerCase = gen::without(gen::acquisition(), "SFO1");
  lowerCase.push_back({"sfo1", 'd', 400.0, {}});
  struct Case {
    const char* name;
    Pars acq;
    Pars proc;
    std::string data;
    int status;
  } cases[] = {
      {"no AQ_mod", gen::without(gen::acquisition(), "AQ_mod"), gen::processing(), words(8), 118},
      {"no SFO1", gen::without(gen::acquisition(), "SFO1"), gen::processing(), words(8), 7},
      {"no SW_h", gen::without(gen::acquisition(), "SW_h"), gen::processing(), words(8), 8},
      {"no TD", gen::without(gen::acquisition(), "TD"), gen::processing(), words(8), 64},
      {"no SI", gen::acquisition(), gen::without(gen::processing(), "SI"), words(8), 65},
      {"no OFFSET", gen::acquisition(), gen::without(gen::processing(), "OFFSET"), words(8), 12},
      {"neither SI nor OFFSET", gen::acquisition(),
       gen::without(gen::without(gen::processing(), "SI"), "OFFSET"), words(8), 65},
      {"no XDIM is fine", gen::acquisition(), gen::without(gen::processing(), "XDIM"), words(8), 0},
      {"record name in other case", lowerCase, gen::processing(), words(8), 7},
      {"SFO1 0", gen::with(gen::acquisition(), "SFO1", 0), gen::processing(), words(8), 117},
      {"SW_h negative", gen::with(gen::acquisition(), "SW_h", -8000), gen::processing(), words(8), 116},
      {"SW_h not a number", gen::with(gen::acquisition(), "SW_h", std::nan("")), gen::processing(),
       words(8), 116},
      {"OFFSET of -1e6 ppm", gen::acquisition(), gen::with(gen::processing(), "OFFSET", -1e6),
       words(8), 117},
      {"SI negative", gen::acquisition(), gen::with(gen::processing(), "SI", -1), words(8), 115},
      {"empty data file", gen::acquisition(), gen::processing(), "", 115},
      {"data file of 3 bytes", gen::acquisition(), gen::processing(), "abc", 115},
  };
  for (const auto& c : cases) {
    qtest::TempDir d;
    qtest::writeBytes(d.file("s.aqs"), gen::binaryParameters(c.acq));
    qtest::writeBytes(d.file("s.fqs"), gen::binaryParameters(c.proc));
    qtest::writeBytes(d.file("s.1r"), c.data);
    SPECINFO info;
    EXPECT_EQ(NMRGetParGenWinNMR(d.file("s.1r").c_str(), &info), c.status) << c.name;
    if (c.status == 118) {
      EXPECT_EQ(info.GetAQMode(1), 0u) << c.name;
    }
  }
  EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(WinNMRGroup, GenericParameterFilesOfOddLengths) {
  struct Case {
    const char* name;
    std::string aqs;
    int status;
  } cases[] = {
      {"empty .aqs", "", 118},
      {"TD record 4 bytes short", binaryAcq().substr(0, binaryAcq().size() - 4), 64},
      {"bytes after the last record", binaryAcq() + "xyz", 0},
  };
  for (const auto& c : cases) {
    qtest::TempDir d;
    qtest::writeBytes(d.file("s.aqs"), c.aqs);
    qtest::writeBytes(d.file("s.fqs"), binaryProc());
    qtest::writeBytes(d.file("s.1r"), words(8));
    SPECINFO info;
    EXPECT_EQ(NMRGetParGenWinNMR(d.file("s.1r").c_str(), &info), c.status) << c.name;
  }
  // An empty .fqs has no SI.
  genericGroup(".1r", words(8), gen::acquisition(), {});
  write("sample.fqs", "");
  SPECINFO info;
  EXPECT_EQ(NMRGetParGenWinNMR(at("sample.1r").c_str(), &info), 65);
}

TEST_F(WinNMRGroup, GenericReportsAParameterFileItCannotOpen) {
  struct Case {
    const char* name;
    const char* missing;
    int context;
    const char* contextText;
  } cases[] = {
      {"no .aqs", "sample.aqs", 5, "Cannot open AQS parameter file!"},
      {"no .fqs", "sample.fqs", 10, "Cannot open FQS parameter file!"},
  };
  for (const auto& c : cases) {
    qtest::TempDir d;
    for (const char* n : {"sample.aqs", "sample.fqs"})
      if (std::strcmp(n, c.missing) != 0)
        qtest::writeBytes(d.file(n), std::strcmp(n, "sample.aqs") == 0 ? binaryAcq() : binaryProc());
    qtest::writeBytes(d.file("sample.1r"), words(8));
    ui.clear();
    SPECINFO info;
    EXPECT_EQ(NMRGetParGenWinNMR(d.file("sample.1r").c_str(), &info), 114) << c.name;
    ASSERT_EQ(ui.boxes().size(), 1u) << c.name;
    const qtest::Box& box = ui.boxes()[0];
    EXPECT_EQ(box.caption, qtest::moduleName(ConveraModule())) << c.name;
    EXPECT_EQ(line(box, 0), "Error: " + std::to_string(c.context) + " - Code: 4098") << c.name;
    EXPECT_EQ(line(box, 1), c.contextText) << c.name;
    EXPECT_FALSE(line(box, 2).empty()) << c.name;
  }
}

TEST_F(WinNMRGroup, DispatcherAddsItsOwnMessageAfterTheOpenFailure) {
  write("sample.1r", words(8));
  write("sample.fqs", binaryProc());
  SPECINFO info;
  info.SetFormat(FF_GENERICWINNMR);
  EXPECT_EQ(NMRGetParameters(nullptr, at("sample.1r").c_str(), &info), 0);
  ASSERT_EQ(ui.boxes().size(), 2u);
  EXPECT_EQ(line(ui.boxes()[0], 1), "Cannot open AQS parameter file!");
  EXPECT_EQ(line(ui.boxes()[1], 0), "Error: 96 - Code: 114");
  EXPECT_EQ(line(ui.boxes()[1], 1), "Error retrieving generic WinNMR parameter!");
  EXPECT_EQ(line(ui.boxes()[1], 2), "Error opening file!");
}

TEST_F(WinNMRGroup, FailingOperationsNeverGiveOtherParameters) {
  // A failed file or memory operation gives a status; where the reader can
  // go on (a partner part that cannot be opened is no partner), the record
  // holds what it holds without the failure.
  genericGroup(".fid", words(16));
  SPECINFO good;
  ASSERT_EQ(NMRGetParGenWinNMR(at("sample.fid").c_str(), &good), 0);
  for (int n = 1;; ++n) {
    qtest::FaultPlan plan(qtest::kFaultAll, n);
    SPECINFO info;
    int st = NMRGetParGenWinNMR(at("sample.fid").c_str(), &info);
    if (!plan.fired()) break;
    if (st == 0) {
      EXPECT_EQ(info.GetSI(1), good.GetSI(1)) << "operation " << n;
      EXPECT_EQ(info.GetSF(1), good.GetSF(1)) << "operation " << n;
      EXPECT_EQ(info.GetF1(1), good.GetF1(1)) << "operation " << n;
      EXPECT_EQ(info.GetAQMode(1), good.GetAQMode(1)) << "operation " << n;
    }
  }
}

TEST_F(WinNMRGroup, GenericWithoutMemoryForAParameterFile) {
  genericGroup(".1r", words(8));
  qtest::FaultPlan plan(qtest::kFaultMemory, 1);
  SPECINFO info;
  EXPECT_EQ(NMRGetParGenWinNMR(at("sample.1r").c_str(), &info), 258);
  EXPECT_TRUE(plan.fired());
}

TEST_F(WinNMRGroup, ParameterReadersRefuseUnusableArguments) {
  genericGroup(".1r", words(8));
  SPECINFO info;
  EXPECT_EQ(NMRGetParGenWinNMR(nullptr, &info), 256);
  EXPECT_EQ(NMRGetParGenWinNMR(at("sample.1r").c_str(), nullptr), 256);
  EXPECT_EQ(NMRGetParUnixWinNMR(nullptr, &info), 256);
  EXPECT_EQ(NMRGetParGenWinNMR(at("sample.txt").c_str(), &info), 104);
  EXPECT_EQ(NMRGetParUnixWinNMR(at("sample.txt").c_str(), &info), 104);
  EXPECT_EQ(NMRReadWinNMR(at("sample.1r").c_str(), &info, nullptr, nullptr), 256);  // no dimension
}

// ---- the data reader -------------------------------------------------------------------

TEST_F(WinNMRGroup, GenericSpectrumFloatsAreTakenAsTheyAre) {
  std::vector<float> re = gen::ramp(8, 1.0f), im = gen::ramp(8, 2.0f);
  write("sample.1r", gen::floatsLE(re));
  write("sample.1i", gen::floatsLE(im));
  write("sample.aqs", binaryAcq());
  write("sample.fqs", binaryProc());
  SPECINFO info;
  ASSERT_EQ(NMRGetParGenWinNMR(at("sample.1r").c_str(), &info), 0);
  std::vector<float> r(8, -1), i(8, -1);
  ASSERT_EQ(NMRReadWinNMR(at("sample.1r").c_str(), &info, r.data(), i.data()), 0);
  EXPECT_EQ(r, re);
  EXPECT_EQ(i, im);
  EXPECT_EQ(info.GetModTime(), GetTimeLastModified(at("sample.1r").c_str()));
  // Named by the imaginary part, the parts still go to their own buffers.
  ASSERT_EQ(NMRGetParGenWinNMR(at("sample.1i").c_str(), &info), 0);
  std::fill(r.begin(), r.end(), -1.0f);
  std::fill(i.begin(), i.end(), -1.0f);
  ASSERT_EQ(NMRReadWinNMR(at("sample.1i").c_str(), &info, r.data(), i.data()), 0);
  EXPECT_EQ(r, re);
  EXPECT_EQ(i, im);
  // Without an imaginary buffer only the named file is read.
  std::fill(r.begin(), r.end(), -1.0f);
  ASSERT_EQ(NMRReadWinNMR(at("sample.1i").c_str(), &info, r.data(), nullptr), 0);
  EXPECT_EQ(r, im);
}

TEST_F(WinNMRGroup, GenericFidIsInterleavedUnlessSingleChannel) {
  std::vector<float> words16 = gen::ramp(16);
  std::vector<float> evens, odds;
  for (std::size_t k = 0; k < 16; k += 2) {
    evens.push_back(words16[k]);
    odds.push_back(words16[k + 1]);
  }
  write("sample.fid", gen::floatsLE(words16));
  write("sample.fqs", binaryProc());

  write("sample.aqs", gen::binaryParameters(gen::acquisition(1)));
  SPECINFO info;
  ASSERT_EQ(NMRGetParGenWinNMR(at("sample.fid").c_str(), &info), 0);
  ASSERT_EQ(info.GetSI(1), 8);
  std::vector<float> r(8), i(8);
  ASSERT_EQ(NMRReadWinNMR(at("sample.fid").c_str(), &info, r.data(), i.data()), 0);
  EXPECT_EQ(r, evens);
  EXPECT_EQ(i, odds);
  EXPECT_EQ(NMRReadWinNMR(at("sample.fid").c_str(), &info, r.data(), nullptr), 133);
  EXPECT_EQ(NMRReadWinNMR(at("sample.fid").c_str(), &info, nullptr, i.data()), 132);

  write("sample.aqs", gen::binaryParameters(gen::acquisition(0)));
  ASSERT_EQ(NMRGetParGenWinNMR(at("sample.fid").c_str(), &info), 0);
  std::vector<float> r0(8, -1), i0(8, -1);
  ASSERT_EQ(NMRReadWinNMR(at("sample.fid").c_str(), &info, r0.data(), i0.data()), 0);
  EXPECT_EQ(r0, std::vector<float>(words16.begin(), words16.begin() + 8));
  EXPECT_EQ(i0, std::vector<float>(8, -1.0f));  // untouched
}

TEST_F(WinNMRGroup, DataReaderStatuses) {
  genericGroup(".1r", words(8));
  write("sample.1i", words(8));
  SPECINFO info;
  ASSERT_EQ(NMRGetParGenWinNMR(at("sample.1r").c_str(), &info), 0);
  std::vector<float> r(8), i(8);
  struct Case {
    const char* name;
    std::string re, im;  // contents of sample.1r and sample.1i ("-" removes the file)
    bool withImag;
    int status;
  } cases[] = {
      {"both parts", words(8), words(8), true, 0},
      {"real part short", words(7), words(8), true, 118},
      {"imaginary part short", words(8), words(7), true, 118},
      {"no imaginary part", words(8), "-", true, 14},
      {"NaN in the real part", words(4) + gen::intsLE({0x7FC00000}) + words(3), words(8), true, 126},
      {"NaN in the unread imaginary part", words(8), gen::intsLE({0x7FC00000}) + words(7), false, 0},
  };
  for (const auto& c : cases) {
    write("sample.1r", c.re);
    if (c.im == "-") {
      plat::ops().deleteFile(at("sample.1i").c_str());
    } else {
      write("sample.1i", c.im);
    }
    EXPECT_EQ(NMRReadWinNMR(at("sample.1r").c_str(), &info, r.data(), c.withImag ? i.data() : nullptr),
              c.status)
        << c.name;
  }
  EXPECT_EQ(NMRReadWinNMR(at("sample.1r").c_str(), &info, nullptr, i.data()), 132);
  EXPECT_EQ(NMRReadWinNMR(at("missing.1r").c_str(), &info, r.data(), nullptr), 14);
}

TEST_F(WinNMRGroup, EveryFailingFileOperationFailsTheRead) {
  genericGroup(".fid", words(16));
  SPECINFO info;
  ASSERT_EQ(NMRGetParGenWinNMR(at("sample.fid").c_str(), &info), 0);
  std::vector<float> r(8), i(8);
  for (int n = 1;; ++n) {
    qtest::FaultPlan plan(qtest::kFaultFiles | qtest::kFaultHeap, n);
    int st = NMRReadWinNMR(at("sample.fid").c_str(), &info, r.data(), i.data());
    if (!plan.fired()) {
      EXPECT_EQ(st, 0);
      break;
    }
    EXPECT_NE(st, 0) << "operation " << n;
  }
}

// ---- Unix-type flavour -------------------------------------------------------------------

TEST_F(WinNMRGroup, UnixFidOfBigEndianIntegers) {
  // AQ_mod 3 (digital quadrature), BYTORDA 1: interleaved big-endian integers.
  Pars acq = gen::acquisition(3, 400.13, 8000, 8);
  acq.push_back({"BYTORDA", 'i', 1, {}});
  acq.push_back({"NUCLEUS", 't', 0, "1H"});
  write("sample.aqs", gen::textParameters(acq));
  write("sample.fqs", gen::textParameters(gen::processing(12.0f, 4)));
  write("sample.fid", gen::intsBE({100, -100, 2000000, -7, 0, 1, -2147483647, 65536}));
  SPECINFO info;
  ASSERT_EQ(NMRIsUnixWinNMR(at("sample.fid").c_str()), 1);
  ASSERT_EQ(NMRGetParUnixWinNMR(at("sample.fid").c_str(), &info), 0);
  EXPECT_EQ(info.GetSI(1), 4);
  EXPECT_EQ(info.GetAQMode(1) & 0xFFu, 3u);  // no storage bits for text parameter files
  EXPECT_NE(info.GetAQMode(1) & AQ_BIGENDIAN_ACQ, 0u);
  EXPECT_NE(info.GetNucleus(1), 0);
  std::vector<float> r(4), i(4);
  ASSERT_EQ(NMRReadWinNMR(at("sample.fid").c_str(), &info, r.data(), i.data()), 0);
  EXPECT_EQ(r, (std::vector<float>{100, 2000000, 0, -2147483647.0f}));
  EXPECT_EQ(i, (std::vector<float>{-100, -7, 1, 65536}));
}

TEST_F(WinNMRGroup, UnixSpectrumOfLittleEndianIntegers) {
  write("sample.aqs", textAcq());
  write("sample.fqs", textProc());
  write("sample.1r", gen::intsLE({1, -2, 3, -4}));
  SPECINFO info;
  ASSERT_EQ(NMRGetParUnixWinNMR(at("sample.1r").c_str(), &info), 0);
  EXPECT_EQ(info.GetDataFormat(), 0x26u);
  EXPECT_EQ(info.GetSI(1), 4);
  std::vector<float> r(4);
  ASSERT_EQ(NMRReadWinNMR(at("sample.1r").c_str(), &info, r.data(), nullptr), 0);
  EXPECT_EQ(r, (std::vector<float>{1, -2, 3, -4}));
}

TEST_F(WinNMRGroup, UnixParameterStatusesComeFromTheTextReaders) {
  struct Case {
    const char* name;
    std::string aqs, fqs;
    int status;
  } cases[] = {
      {"complete", textAcq(), textProc(), 0},
      {"no SFO1", gen::textParameters(gen::without(gen::acquisition(), "SFO1")), textProc(), 7},
      {"no SI", textAcq(), gen::textParameters(gen::without(gen::processing(), "SI")), 65},
      {"no .fqs", textAcq(), "-", 10},
      {"no .aqs", "-", textProc(), 5},
  };
  for (const auto& c : cases) {
    qtest::TempDir d;
    if (c.aqs != "-") qtest::writeBytes(d.file("s.aqs"), c.aqs);
    if (c.fqs != "-") qtest::writeBytes(d.file("s.fqs"), c.fqs);
    qtest::writeBytes(d.file("s.1r"), words(8));
    SPECINFO info;
    EXPECT_EQ(NMRGetParUnixWinNMR(d.file("s.1r").c_str(), &info), c.status) << c.name;
  }
}

// ---- prefixes --------------------------------------------------------------------------

TEST_F(WinNMRGroup, EveryPrefixOfTheParameterFilesGivesAStatus) {
  std::string aqs = binaryAcq(), fqs = binaryProc();
  write("sample.1r", words(8));
  write("sample.fqs", fqs);
  for (std::size_t n = 0; n <= aqs.size(); ++n) {
    write("sample.aqs", aqs.substr(0, n));
    SPECINFO info;
    int st = NMRGetParGenWinNMR(at("sample.1r").c_str(), &info);
    // Only whole records count: A000, AQ_mod, SFO1, SW_h, TD of 28 bytes each.
    int expected = n < 56 ? 118 : n < 84 ? 7 : n < 112 ? 8 : n < 140 ? 64 : 0;
    EXPECT_EQ(st, expected) << ".aqs prefix " << n;
  }
  write("sample.aqs", aqs);
  for (std::size_t n = 0; n <= fqs.size(); ++n) {
    write("sample.fqs", fqs.substr(0, n));
    SPECINFO info;
    // A000, OFFSET, SI, XDIM: SI is whole from 84 bytes on.
    EXPECT_EQ(NMRGetParGenWinNMR(at("sample.1r").c_str(), &info), n < 84 ? 65 : 0) << ".fqs prefix " << n;
  }
  EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(WinNMRGroup, EveryPrefixOfADataFileGivesAStatus) {
  std::string fid = words(16);
  write("sample.aqs", binaryAcq());
  write("sample.fqs", binaryProc());
  SPECINFO whole;
  write("sample.fid", fid);
  ASSERT_EQ(NMRGetParGenWinNMR(at("sample.fid").c_str(), &whole), 0);
  for (std::size_t n = 0; n <= fid.size(); ++n) {
    write("sample.fid", fid.substr(0, n));
    SPECINFO info;
    int st = NMRGetParGenWinNMR(at("sample.fid").c_str(), &info);
    EXPECT_EQ(st, n < 8 ? 115 : 0) << "prefix " << n;  // one complex point takes 8 bytes
    std::vector<float> r(8), i(8);
    // Read with the record of the whole file: short.
    EXPECT_EQ(NMRReadWinNMR(at("sample.fid").c_str(), &whole, r.data(), i.data()), n < fid.size() ? 118 : 0)
        << "prefix " << n;
    if (st == 0) {
      EXPECT_EQ(NMRReadWinNMR(at("sample.fid").c_str(), &info, r.data(), i.data()), 0) << "prefix " << n;
    }
  }
}

// ---- the ASCII export ------------------------------------------------------------------

class WinNMRAscii : public ::testing::Test {
 protected:
  std::string file(const std::string& bytes) {
    std::string p = dir.file("export.txt");
    qtest::writeBytes(p, bytes);
    return p;
  }
  // Parameters of `bytes`: the status, the record in `info`.
  int parameters(const std::string& bytes) {
    info = SPECINFO();
    return NMRGetParASCIIWinNMR(nullptr, file(bytes).c_str(), &info);
  }
  qtest::TempDir dir;
  qtest::UiCapture ui;
  SPECINFO info;
};

std::vector<std::string> spectrumHeader() { return gen::asciiSpectrumHeader(4096, 2000, -1998, 100.62); }

TEST_F(WinNMRAscii, DetectsSpectraByTheirIncrementAndFidsByTheirDwellTime) {
  std::vector<float> none;
  struct Case {
    const char* name;
    std::vector<std::string> header;
    int expected;
  } cases[] = {
      {"spectrum", spectrumHeader(), 1},
      {"complex spectrum", gen::asciiSpectrumHeader(16, 800, -800, 400, true), 1},
      {"FID", gen::asciiFidHeader(1024, 0.05, 400), 1},
      {"FID with a dwell time off by 1e-3",
       gen::replaceLine(gen::asciiFidHeader(1024, 0.05, 400), "Dwell", "Dwell: 0.051"), 0},
      {"increment off", gen::replaceLine(spectrumHeader(), "Hz/Pt", "Hz/Pt: 0.9"), 0},
      {"increment missing", gen::dropLine(spectrumHeader(), "Hz/Pt"), 0},
      {"first below last",
       gen::replaceLine(gen::replaceLine(gen::asciiSpectrumHeader(16, 800, -800, 400), "First Point",
                                         "First Point: -800"),
                        "Last Point", "Last Point: 800"),
       0},
      {"one point", gen::asciiSpectrumHeader(1, 800, -800, 400), 0},
      {"no point count", gen::dropLine(spectrumHeader(), "Point Count"), 0},
      {"point count without ':'", gen::replaceLine(spectrumHeader(), "Point Count", "Point Count 4096"),
       0},
      {"no kind", gen::dropLine(spectrumHeader(), "Real Data"), 0},
      {"no first point", gen::dropLine(spectrumHeader(), "First Point", true), 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NMRIsASCIIWinNMR(file(gen::asciiExport(c.header, none)).c_str()), c.expected) << c.name;
  }
  EXPECT_EQ(NMRIsASCIIWinNMR(dir.file("missing.txt").c_str()), 0);
  EXPECT_EQ(NMRIsASCIIWinNMR(nullptr), 0);
}

TEST_F(WinNMRAscii, CompleteSpectrumHeader) {
  ASSERT_EQ(parameters(gen::asciiExport(spectrumHeader(), {})), 0);
  EXPECT_EQ(info.GetDimension(), 1u);
  EXPECT_EQ(info.GetSI(1), 4096);
  EXPECT_EQ(info.GetTD(1), 4096);
  EXPECT_FLOAT_EQ(info.GetF1(1), 2000.0f);
  EXPECT_FLOAT_EQ(info.GetF2(1), -1998.0f);
  EXPECT_FLOAT_EQ(info.GetSF(1), 100.62f);
  EXPECT_EQ(info.GetAQMode(1), 0x43u);
  EXPECT_EQ(info.GetDataFormat(), 0x6u);
  EXPECT_EQ(info.GetNucleus(1), 0);
  EXPECT_NEAR(info.GetInc(1), 3998.0 / 4096, 1e-6);
  EXPECT_TRUE(ui.prompts.empty());
}

TEST_F(WinNMRAscii, ParameterStatuses) {
  std::vector<std::string> fid = gen::asciiFidHeader(64, 0.05, 400);
  struct Case {
    const char* name;
    std::vector<std::string> header;
    int status;
  } cases[] = {
      {"ending point one short", gen::replaceLine(spectrumHeader(), "Ending Point", "Ending Point: 4094"),
       197},
      {"starting point negative",
       gen::replaceLine(spectrumHeader(), "Starting Point", "Starting Point: -1"), 197},
      {"starting point without ':'",
       gen::replaceLine(spectrumHeader(), "Starting Point", "Starting Point 0"), 197},
      {"no starting point", gen::dropLine(spectrumHeader(), "Starting Point"), 195},
      {"no ending point", gen::dropLine(spectrumHeader(), "Ending Point"), 196},
      {"no point count", gen::dropLine(spectrumHeader(), "Point Count"), 65},
      {"point count 0", gen::replaceLine(spectrumHeader(), "Point Count", "Point Count: 0"), 115},
      {"point count without ':'", gen::replaceLine(spectrumHeader(), "Point Count", "Point Count"), 115},
      {"no kind", gen::dropLine(spectrumHeader(), "Real Data"), 22},
      {"no first point", gen::dropLine(spectrumHeader(), "First Point", true), 191},
      {"no last point", gen::dropLine(spectrumHeader(), "Last Point", true), 192},
      {"first point without ':'", gen::replaceLine(spectrumHeader(), "First Point", "First Point 2000"),
       116},
      {"SF without ':'", gen::replaceLine(spectrumHeader(), "SF", "SF 100.62"), 117},
      {"SF negative", gen::replaceLine(spectrumHeader(), "SF", "SF: -100.62"), 116},
      {"SF 0", gen::replaceLine(spectrumHeader(), "SF", "SF: 0"), 117},
      {"FID without dwell time", gen::dropLine(fid, "Dwell"), 8},
      {"FID with dwell time 0", gen::replaceLine(fid, "Dwell", "Dwell: 0"), 116},
      {"FID starting at a negative time", gen::replaceLine(fid, "First Point", "First Point: -1"), 116},
      {"FID ending before it starts", gen::replaceLine(fid, "Last Point", "Last Point: 0"), 116},
      {"FID", fid, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(parameters(gen::asciiExport(c.header, {})), c.status) << c.name;
    EXPECT_EQ(info.GetNucleus(1), 0) << c.name;
  }
  EXPECT_TRUE(ui.prompts.empty());
  EXPECT_EQ(NMRGetParASCIIWinNMR(nullptr, dir.file("missing.txt").c_str(), &info), 114);
}

TEST_F(WinNMRAscii, AsksForAMissingSpectrometerFrequency) {
  std::vector<std::string> fid = gen::dropLine(gen::asciiFidHeader(64, 0.05, 400), "SF");
  ui.values = {"400"};
  ASSERT_EQ(parameters(gen::asciiExport(fid, {})), 0);
  ASSERT_EQ(ui.prompts.size(), 1u);
  EXPECT_NE(ui.prompts[0].find("This file format does not contain information about the spectrometer "
                               "frequency. Please enter a valid value:"),
            std::string::npos);
  EXPECT_FLOAT_EQ(info.GetSF(1), 400.0f);
  // FID limits from the dwell time (ms): SW = 1000 / (2 x 0.05) = 10000 Hz.
  EXPECT_FLOAT_EQ(info.GetF1(1), 5000.0f);
  EXPECT_FLOAT_EQ(info.GetF2(1), -5000.0f);
  EXPECT_EQ(info.GetDataFormat(), 0x5u);
  EXPECT_EQ(info.GetAQMode(1), 0x41u);

  // Cancel, and a value that is no frequency.
  for (auto answers : {std::deque<std::string>{}, std::deque<std::string>{"0"}}) {
    ui.prompts.clear();
    ui.values = answers;
    EXPECT_EQ(parameters(gen::asciiExport(fid, {})), 117);
    EXPECT_FALSE(ui.prompts.empty());
  }
  EXPECT_NE(ui.prompts.back().find("The spectrometer frequency should be positive and non-zero!"),
            std::string::npos);
}

TEST_F(WinNMRAscii, IncompleteSpectrumTakesSFFromItsPpmLimits) {
  // Without AQmod the file is incomplete: SF comes from the Hz and ppm limits
  // (here 100), not from the SF line, and the acquisition mode is 1.
  std::vector<std::string> h = gen::asciiSpectrumHeader(16, 800, -600, 100);
  h = gen::replaceLine(gen::dropLine(h, "AQmod"), "SF", "SF: 500");
  ASSERT_EQ(parameters(gen::asciiExport(h, {})), 0);
  EXPECT_FLOAT_EQ(info.GetSF(1), 100.0f);
  EXPECT_EQ(info.GetAQMode(1), 0x41u);
  EXPECT_TRUE(ui.prompts.empty());

  struct Case {
    const char* name;
    std::vector<std::string> header;
    int status;
  } cases[] = {
      {"no ppm first point", gen::dropLine(h, "First Point [ppm]"), 191},
      {"no ppm last point", gen::dropLine(h, "Last Point [ppm]"), 192},
      {"ppm first point 0", gen::replaceLine(h, "First Point [ppm]", "First Point [ppm]: 0"), 116},
      {"ppm last point without ':'", gen::replaceLine(h, "Last Point [ppm]", "Last Point [ppm] 6"), 116},
      {"ppm limits of opposite sign", gen::replaceLine(h, "First Point [ppm]", "First Point [ppm]: -8"),
       117},
  };
  for (const auto& c : cases) EXPECT_EQ(parameters(gen::asciiExport(c.header, {})), c.status) << c.name;
}

TEST_F(WinNMRAscii, CompleteFileGivesTheDigitalFilterAndTheFidOffset) {
  std::vector<std::string> h = spectrumHeader();
  h.push_back("Decim: 32");
  h.push_back("Dspfvs: 11");
  ASSERT_EQ(parameters(gen::asciiExport(h, {})), 0);
  EXPECT_EQ(info.GetDigDecim(1), 32u);
  EXPECT_EQ(info.GetDigFirmware(1), 11u);
  EXPECT_FLOAT_EQ(info.GetDigFilter(1), 72.75f);

  // Without AQmod neither is read.
  ASSERT_EQ(parameters(gen::asciiExport(gen::dropLine(h, "AQmod"), {})), 0);
  EXPECT_EQ(info.GetDigDecim(1), 1u);
  EXPECT_FLOAT_EQ(info.GetDigFilter(1), 0.0f);

  // A complete FID with an offset: F1 = Offset / SF, the sweep width kept.
  std::vector<std::string> fid = gen::asciiFidHeader(64, 0.05, 400);
  fid.push_back("Offset: 800000");
  ASSERT_EQ(parameters(gen::asciiExport(fid, {})), 0);
  EXPECT_FLOAT_EQ(info.GetF1(1), 2000.0f);
  EXPECT_FLOAT_EQ(info.GetF2(1), -8000.0f);
}

TEST_F(WinNMRAscii, AcquisitionModeKeepsItsTwoBits) {
  ASSERT_EQ(parameters(gen::asciiExport(gen::replaceLine(spectrumHeader(), "AQmod", "AQmod: -1"), {})),
            0);
  EXPECT_EQ(info.GetAQMode(1), 0x43u);
  ASSERT_EQ(parameters(gen::asciiExport(gen::replaceLine(spectrumHeader(), "AQmod", "AQmod"), {})), 0);
  EXPECT_EQ(info.GetAQMode(1), 0x41u);
}

TEST_F(WinNMRAscii, ReadsTheValueLines) {
  std::vector<float> re = gen::ramp(16, 1.0f), im = gen::ramp(16, 3.0f);
  struct Case {
    const char* name;
    std::vector<std::string> header;
    std::string separator, eol;
    bool complex;
  } cases[] = {
      {"spectrum", gen::asciiSpectrumHeader(16, 800, -800, 400), "", "\r\n", false},
      {"complex spectrum", gen::asciiSpectrumHeader(16, 800, -800, 400, true), "Imaginary Data", "\r\n",
       true},
      {"complex spectrum, blank separator, LF", gen::asciiSpectrumHeader(16, 800, -800, 400, true), "",
       "\n", true},
      {"FID", gen::asciiFidHeader(16, 0.05, 400), "", "\n", true},
  };
  for (const auto& c : cases) {
    std::string bytes = gen::asciiExport(c.header, re, c.complex ? im : std::vector<float>{}, c.separator,
                                         c.eol);
    ASSERT_EQ(parameters(bytes), 0) << c.name;
    std::vector<float> r(16, -1), i(16, -1);
    ASSERT_EQ(NMRReadWinNMRASCII(dir.file("export.txt").c_str(), &info, r.data(), i.data()), 0) << c.name;
    EXPECT_EQ(r, re) << c.name;
    EXPECT_EQ(i, c.complex ? im : std::vector<float>(16, -1.0f)) << c.name;
    EXPECT_EQ(info.GetModTime(), GetTimeLastModified(dir.file("export.txt").c_str())) << c.name;
  }
}

TEST_F(WinNMRAscii, ValueLineStatuses) {
  std::vector<std::string> h = gen::asciiSpectrumHeader(4, 800, -800, 400, true);
  std::string head;
  for (const auto& l : h) head += l + "\r\n";
  struct Case {
    const char* name;
    std::string values;
    int status;
  } cases[] = {
      {"complete", "1\r\n2\r\n3\r\n4\r\nImag\r\n5\r\n6\r\n7\r\n8\r\n", 0},
      {"last line without line end", "1\r\n2\r\n3\r\n4\r\nImag\r\n5\r\n6\r\n7\r\n8", 0},
      {"text among the values", "1\r\n2\r\nthree\r\n4\r\nImag\r\n5\r\n6\r\n7\r\n8\r\n", 119},
      {"blank line among the values", "1\r\n2\r\n\r\n3\r\n4\r\nImag\r\n5\r\n6\r\n7\r\n8\r\n", 119},
      {"nan among the values", "1\r\n2\r\nnan\r\n4\r\nImag\r\n5\r\n6\r\n7\r\n8\r\n", 119},
      {"value beyond a float", "1\r\n2\r\n1e39\r\n4\r\nImag\r\n5\r\n6\r\n7\r\n8\r\n", 126},
      {"a line of 120 characters", "1\r\n2\r\n" + std::string(120, '7') + "\r\n4\r\nI\r\n5\r\n6\r\n7\r\n8\r\n",
       119},
      {"imaginary part short", "1\r\n2\r\n3\r\n4\r\nImag\r\n5\r\n6\r\n7\r\n", 118},
      {"no separator", "1\r\n2\r\n3\r\n4\r\n", 118},
      {"no values", "", 118},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(parameters(head + c.values), 0) << c.name;
    std::vector<float> r(4), i(4);
    EXPECT_EQ(NMRReadWinNMRASCII(dir.file("export.txt").c_str(), &info, r.data(), i.data()), c.status)
        << c.name;
    if (c.status == 0) {
      EXPECT_EQ(i, (std::vector<float>{5, 6, 7, 8})) << c.name;
    }
  }
  ASSERT_EQ(parameters(head + cases[0].values), 0);
  std::vector<float> r(4);
  EXPECT_EQ(NMRReadWinNMRASCII(dir.file("export.txt").c_str(), &info, nullptr, r.data()), 132);
  EXPECT_EQ(NMRReadWinNMRASCII(dir.file("missing.txt").c_str(), &info, r.data(), nullptr), 114);
  // An FID needs both buffers.
  ASSERT_EQ(parameters(gen::asciiExport(gen::asciiFidHeader(4, 0.05, 400), {1, 2, 3, 4}, {5, 6, 7, 8})), 0);
  EXPECT_EQ(NMRReadWinNMRASCII(dir.file("export.txt").c_str(), &info, r.data(), nullptr), 132);
}

TEST_F(WinNMRAscii, EveryPrefixOfAnExportGivesAStatus) {
  std::string whole = gen::asciiExport(gen::asciiSpectrumHeader(4, 800, -800, 400, true), {1, 2, 3, 4},
                                       {5, 6, 7, 8});
  for (std::size_t n = 0; n <= whole.size(); ++n) {
    std::string bytes = whole.substr(0, n);
    std::string p = file(bytes);
    NMRIsASCIIWinNMR(p.c_str());
    int st = parameters(bytes);
    if (st == 0) {
      std::vector<float> r(static_cast<std::size_t>(info.GetSI(1))), i(r.size());
      st = NMRReadWinNMRASCII(p.c_str(), &info, r.data(), i.data());
      EXPECT_TRUE(st == 0 || st == 118 || st == 119) << "prefix " << n << ": " << st;
    }
  }
}

}  // namespace
