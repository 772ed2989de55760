// Loading a spectrum object through Convera and reloading it: the order of
// the checks and the message of each failure, the layout and flags taken
// from the kind of data, the stored scale factor, the parameters taken over,
// memory failures at every allocation, Update, and every file of
// ../shared/testdata (read in place) against Convera's own reading and
// against what the files themselves say.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "datafiles/convera.h"
#include "datafiles/generators.h"
#include "spectrum/spectrum.h"
#include "probe.h"
#include "support/capture.h"
#include "support/faults.h"
#include "support/files.h"
#include "support/module_names.h"
#include "winutil/platform/platform.h"

namespace {

// ---- files --------------------------------------------------------------------

using Files = std::vector<std::pair<std::string, std::string>>;  // path below the root ('/'), bytes
using Pars = std::vector<std::pair<std::string, std::string>>;

char separatorOf(const std::string& folder) {
  return folder.find('/') != std::string::npos ? '/' : '\\';
}

std::string below(const std::string& root, const std::string& rel) {
  std::string r = rel;
  for (char& c : r)
    if (c == '/') c = separatorOf(root);
  return root + separatorOf(root) + r;
}

// Writes the files, creating their folders.
void writeTree(const std::string& root, const Files& files) {
  for (const auto& f : files) {
    for (std::size_t at = f.first.find('/'); at != std::string::npos;
         at = f.first.find('/', at + 1))
      qtest::realOps().createDirectory(below(root, f.first.substr(0, at)).c_str());
    qtest::writeBytes(below(root, f.first), f.second);
  }
}

// A TopSpin parameter file of ##$NAME= value lines.
std::string par(const Pars& entries) {
  std::string s = "##TITLE= Parameter file, written by the test\n##JCAMPDX= 5.0\n";
  for (const auto& e : entries) s += "##$" + e.first + "= " + e.second + "\n";
  return s + "##END=\n";
}

Pars with(Pars base, const Pars& changes) {
  for (const auto& c : changes) {
    bool found = false;
    for (auto& b : base)
      if (b.first == c.first) {
        b.second = c.second;
        found = true;
      }
    if (!found) base.push_back(c);
  }
  return base;
}

const Pars kAcqus = {{"SFO1", "400.13"}, {"SW_h", "8000"}, {"TD", "8"},
                     {"AQ_mod", "3"},    {"BYTORDA", "0"}, {"DECIM", "16"},
                     {"DSPFVS", "12"},   {"NC", "0"},      {"NUCLEUS", "<13C>"}};
const Pars kProcs = {
    {"OFFSET", "12"}, {"SI", "4"}, {"BYTORDP", "0"}, {"NC_proc", "0"}, {"XDIM", "2"}};

// Eight little-endian words: 4 complex points, or a spectrum part of 8 points.
const std::vector<std::int32_t> kWords = {3, -7, 12, 100, -40, 5, 9, -2};
const std::vector<std::int32_t> kImagWords = {-11, 22, -33, 44, -55, 66, -77, 88};

std::vector<float> scaled(const std::vector<std::int32_t>& words, float factor) {
  std::vector<float> v;
  for (std::int32_t w : words) v.push_back(static_cast<float>(w) * factor);
  return v;
}

std::vector<float> realsOf(Spectrum& s) {
  const float* re = SpectrumProbe::re(s);
  return re ? std::vector<float>(re, re + s.GetTotalSI()) : std::vector<float>();
}

std::vector<float> imagsOf(Spectrum& s) {
  const float* im = SpectrumProbe::im(s);
  return im ? std::vector<float>(im, im + s.GetTotalSI()) : std::vector<float>();
}

std::string viewtrace() { return qtest::moduleName(ViewtraceModule()); }
std::string convera() { return qtest::moduleName(ConveraModule()); }

// The box of a failed retrieve, as its three lines.
std::vector<std::string> retrieveBox(int code, const std::string& reason) {
  return {"Error: 14 - Code: " + std::to_string(code), "Cannot open the specified NMR data file!",
          reason};
}

// A Quintar ".dat" file: SI, SF, Inc, F1, F2 and the values.
std::string quintarFile(const std::vector<float>& values, double sf = 100.5, double f1 = 500,
                        double f2 = -500) {
  double inc = (f1 - f2) / static_cast<double>(values.size());
  return gen::quintar(static_cast<unsigned>(values.size()), sf, inc, f1, f2, values);
}

// A spectrum loaded from a Quintar file, to see what a failure leaves.
void loadSomething(Spectrum& s, const qtest::TempDir& dir) {
  std::string p = dir.file("loaded.dat");
  qtest::writeBytes(p, quintarFile({1, 2, 3, 4}));
  qtest::UiCapture ui;
  ASSERT_EQ(s.RetrieveNMRSpectrum(nullptr, p.c_str(), nullptr, nullptr, SPR_ALLKINDS), 1);
}

// ---- nothing requested, refused sources ------------------------------------------------

TEST(SpectrumLoad, NothingRequestedLeavesTheObjectAlone) {
  qtest::TempDir dir;
  Spectrum s;
  loadSomething(s, dir);
  unsigned before = s.GetStatus();
  qtest::UiCapture ui;
  int dummy = 0;
  EXPECT_EQ(s.RetrieveNMRSpectrum(nullptr, "", nullptr, nullptr, SPR_ALLKINDS), 0);
  EXPECT_EQ(s.RetrieveNMRSpectrum(nullptr, nullptr, nullptr, nullptr, SPR_ALLKINDS), 0);
  EXPECT_EQ(s.RetrieveNMRSpectrum(nullptr, nullptr, &dummy, nullptr, SPR_ALLKINDS), 0)
      << "a document without an element range is no XML source";
  EXPECT_TRUE(ui.boxes().empty());
  EXPECT_EQ(s.GetStatus(), before);
  EXPECT_EQ(s.GetRealInt(3), 4.0f);
}

TEST(SpectrumLoad, XmlSourceIsRefused) {
  qtest::TempDir dir;
  Spectrum s;
  loadSomething(s, dir);
  qtest::UiCapture ui;
  int document = 0, range = 0;
  EXPECT_EQ(s.RetrieveNMRSpectrum(nullptr, nullptr, &document,
                                  reinterpret_cast<XmlTagRange*>(&range), SPR_ALLKINDS),
            0);
  qtest::Box box = ui.only();
  EXPECT_EQ(box.caption, viewtrace());
  EXPECT_EQ(box.lines(), retrieveBox(256, "Call with invalid argument!"));
  EXPECT_EQ(s.GetSpecFlag(SPF_PRESENT), 0);
}

// ---- failures ------------------------------------------------------------------------------

TEST(SpectrumLoad, EachFailureIsShownOnce) {
  qtest::TempDir dir;
  struct Case {
    const char* name;
    std::function<std::string()> make;  // writes the fixture, gives the path
    int code;
    const char* reason;
    bool converaFirst;  // Convera shows its own box before ours
  };
  const Case cases[] = {
      {"missing file", [&] { return dir.file("none.dat"); }, 4098, "File not found!", false},
      {"missing folder", [&] { return below(dir.path(), "no/such.dat"); }, 4099, "Path not found!",
       false},
      {"a folder", [&] { return dir.path(); }, 4101, "Access denied!", false},
      {"text of no format",
       [&] {
         qtest::writeBytes(dir.file("notes.txt"), "a shopping list\nmilk\n");
         return dir.file("notes.txt");
       },
       15, "Unrecognized file format!", false},
      {"parameters refused (SF 0)",
       [&] {
         qtest::writeBytes(dir.file("sf0.dat"), quintarFile({1, 2, 3}, 0.0));
         return dir.file("sf0.dat");
       },
       16, "Could not find parameter!", true},
      {"data cut short",
       [&] {
         std::string text = quintarFile({1, 2, 3, 4, 5, 6});
         text = text.substr(0, text.rfind("5.0"));
         qtest::writeBytes(dir.file("short.dat"), text);
         return dir.file("short.dat");
       },
       17, "Error reading data!", true},
      {"second dimension of no points",
       [&] {
         writeTree(dir.path(), {{"2d/acqus", par(kAcqus)},
                                {"2d/acqu2s", par(kAcqus)},
                                {"2d/pdata/1/procs", par(kProcs)},
                                {"2d/pdata/1/proc2s", par(with(kProcs, {{"SI", "0"}}))},
                                {"2d/pdata/1/rr", gen::intsLE(kWords)}});
         return below(dir.path(), "2d/pdata/1/rr");
       },
       17, "Error reading data!", false},
      {"path of 300 characters", [&] { return dir.file(std::string(300, 'x')); }, 256,
       "Call with invalid argument!", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Spectrum s;
    loadSomething(s, dir);
    std::string path = c.make();
    qtest::UiCapture ui;
    EXPECT_EQ(s.RetrieveNMRSpectrum(nullptr, path.c_str(), nullptr, nullptr, SPR_ALLKINDS), 0);
    EXPECT_EQ(s.GetSpecFlag(SPF_PRESENT), 0);
    ASSERT_EQ(ui.boxes().size(), c.converaFirst ? 2u : 1u);
    if (c.converaFirst) {
      EXPECT_EQ(ui.boxes()[0].caption, convera());
    }
    EXPECT_EQ(ui.boxes().back().caption, viewtrace());
    EXPECT_EQ(ui.boxes().back().lines(), retrieveBox(c.code, c.reason));
    EXPECT_EQ(ui.unexpected, 0);
  }
}

TEST(SpectrumLoad, AFileThatCannotBeOpened) {
  qtest::TempDir dir;
  std::string p = dir.file("held.dat");
  qtest::writeBytes(p, quintarFile({1, 2, 3}));
  Spectrum s;
  qtest::UiCapture ui;
  {
    qtest::FaultPlan plan(qtest::kFaultOpen, 1);
    EXPECT_EQ(s.RetrieveNMRSpectrum(nullptr, p.c_str(), nullptr, nullptr, SPR_ALLKINDS), 0);
  }
  EXPECT_EQ(ui.only().lines(), retrieveBox(4101, "Access denied!"));
}

// ---- what a load gives -------------------------------------------------------------------------

TEST(SpectrumLoad, RealSpectrumFromAQuintarFile) {
  qtest::TempDir dir;
  std::string p = dir.file("processed.dat");
  const std::vector<float> values = {0.5f, -1.25f, 8.0f, 3.75f, -2.0f};
  qtest::writeBytes(p, quintarFile(values, 100.5, 800, -200));
  Spectrum s;
  // What an earlier complex FID left must not survive.
  ASSERT_EQ(s.Init(1, 5, 100, 0, 1), 1);
  for (long mask : {SPF_FID, SPF_SEQUENTIAL}) s.SetSpecFlag(mask, 1);
  qtest::UiCapture ui;
  ASSERT_EQ(s.RetrieveNMRSpectrum(nullptr, p.c_str(), nullptr, nullptr, SPR_ALLKINDS), 1);
  EXPECT_TRUE(ui.boxes().empty());
  EXPECT_EQ(s.GetSI(), 5);
  EXPECT_EQ(s.GetTotalSI(), 5);
  EXPECT_EQ(realsOf(s), values);
  EXPECT_EQ(SpectrumProbe::im(s), nullptr);
  EXPECT_EQ(s.GetStatus(), SPF_PRESENT | SPF_STALE);
  EXPECT_FLOAT_EQ(s.GetF1(), 800.0f);
  EXPECT_FLOAT_EQ(s.GetF2(), -200.0f);
  EXPECT_FLOAT_EQ(s.GetSF(), 100.5f);
  EXPECT_EQ(std::string(s.GetFileName()), p);
  SPECINFO& info = SpectrumProbe::info(s);
  EXPECT_EQ(info.GetFormat(), FF_QUINTAR);
  EXPECT_EQ(info.GetDataFormat(), DF_SPECTRUM | DF_1D);
  EXPECT_EQ(info.GetModTime(), GetTimeLastModified(p.c_str()));
  EXPECT_EQ(s.GetMax(), 8.0f);
  EXPECT_EQ(s.GetMin(), -2.0f);
}

// TopSpin trees of one dimension: the kind of data decides the arrays and
// the flags; the acquisition scale factor applies to an FID, the processing
// one to a spectrum.
TEST(SpectrumLoad, TopSpinKindsScaleFactorsAndFlags) {
  struct Case {
    const char* name;
    const char* file;  // below the experiment tree
    int aqMod;
    bool withImag;    // 1i beside 1r
    unsigned before;  // flags set before the load
    float factor;     // expected scale: NC = 2 (x4) for the FID, NC_proc = -1 (x0.5) for spectra
    std::vector<float> re, im;  // expected; im empty: no imaginary array
    unsigned flags;
  };
  const std::vector<float> even = scaled({3, 12, -40, 9}, 4), odd = scaled({-7, 100, 5, -2}, 4);
  const unsigned kRead = SPF_PRESENT | SPF_STALE;
  const Case cases[] = {
      {"1r alone",
       "1/pdata/1/1r",
       3,
       false,
       SPF_FID | SPF_HALFSPEC,
       0.5f,
       scaled(kWords, 0.5f),
       {},
       kRead},
      {"1r with 1i", "1/pdata/1/1r", 3, true, SPF_SEQUENTIAL, 0.5f, scaled(kWords, 0.5f),
       scaled(kImagWords, 0.5f), kRead | SPF_COMPLEX},
      {"1i with 1r", "1/pdata/1/1i", 3, true, 0, 0.5f, scaled(kWords, 0.5f),
       scaled(kImagWords, 0.5f), kRead | SPF_COMPLEX},
      {"FID, single channel",
       "1/fid",
       0,
       false,
       SPF_SEQUENTIAL,
       4,
       scaled({3, -7, 12, 100}, 4),
       {0, 0, 0, 0},
       kRead | SPF_COMPLEX | SPF_FID | SPF_HALFSPEC},
      {"FID, simultaneous", "1/fid", 1, false, SPF_HALFSPEC, 4, even, odd,
       kRead | SPF_COMPLEX | SPF_FID},
      {"FID, sequential", "1/fid", 2, false, SPF_HALFSPEC, 4, even, odd,
       kRead | SPF_COMPLEX | SPF_FID | SPF_SEQUENTIAL},
      {"FID, digital quadrature", "1/fid", 3, false, SPF_SEQUENTIAL | SPF_HALFSPEC, 4, even, odd,
       kRead | SPF_COMPLEX | SPF_FID},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    qtest::TempDir dir;
    Files files = {
        {"1/acqus", par(with(kAcqus, {{"AQ_mod", std::to_string(c.aqMod)}, {"NC", "2"}}))},
        {"1/pdata/1/procs", par(with(kProcs, {{"NC_proc", "-1"}, {"SI", "8"}}))},
        {"1/fid", gen::intsLE(kWords)},
        {"1/pdata/1/1r", gen::intsLE(kWords)}};
    if (c.withImag) files.push_back({"1/pdata/1/1i", gen::intsLE(kImagWords)});
    writeTree(dir.path(), files);
    std::string path = below(dir.path(), c.file);

    Spectrum s;
    for (long mask : {SPF_FID, SPF_SEQUENTIAL, SPF_HALFSPEC})
      if (c.before & mask) s.SetSpecFlag(mask, 1);
    qtest::UiCapture ui;
    ASSERT_EQ(s.RetrieveNMRSpectrum(nullptr, path.c_str(), nullptr, nullptr, SPR_ALLKINDS), 1);
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(realsOf(s), c.re);
    EXPECT_EQ(imagsOf(s), c.im);
    EXPECT_EQ(s.GetStatus(), c.flags);
    EXPECT_EQ(s.GetSI(), static_cast<long>(c.re.size()));

    // The parameters as Convera reads them, taken over; the scale factors
    // are applied, not kept.
    SPECINFO ref;
    ref.SetFormat(FF_XWINNMR);
    ASSERT_EQ(NMRGetParameters(nullptr, path.c_str(), &ref), 1);
    SPECINFO& info = SpectrumProbe::info(s);
    EXPECT_EQ(info.GetFormat(), FF_XWINNMR);
    EXPECT_EQ(info.GetDataFormat(), ref.GetDataFormat());
    EXPECT_EQ(info.GetAQMode(1), ref.GetAQMode(1));
    EXPECT_EQ(info.GetTD(1), ref.GetTD(1));
    EXPECT_EQ(info.GetF1(1), ref.GetF1(1));
    EXPECT_EQ(info.GetF2(1), ref.GetF2(1));
    EXPECT_EQ(info.GetSF(1), ref.GetSF(1));
    EXPECT_EQ(info.GetNucleus(1), ref.GetNucleus(1));
    EXPECT_NE(info.GetNucleus(1), 0) << "13C";
    EXPECT_EQ(info.GetXDIM(1), 2);
    EXPECT_EQ(info.GetDigDecim(1), 16u);
    EXPECT_EQ(info.GetDigFirmware(1), 12u);
    EXPECT_EQ(info.GetDigFilter(1), ref.GetDigFilter(1));
    EXPECT_GT(info.GetDigFilter(1), 0.0f) << "from the table for DECIM 16, DSPFVS 12";
    EXPECT_EQ(info.GetNC(1), 1.0f);
    EXPECT_EQ(info.GetNC(2), 1.0f);
    EXPECT_EQ(std::string(s.GetFileName()), path);
  }
}

TEST(SpectrumLoad, TwoDimensionalData) {
  qtest::TempDir dir;
  // Two rows of three complex points acquired, processed as 4 x 4.
  std::vector<std::int32_t> ser;
  for (int row = 0; row < 2; ++row)
    for (int i = 0; i < 6; ++i) ser.push_back(row * 1000 + i);
  writeTree(dir.path(), {{"1/acqus", par(with(kAcqus, {{"TD", "6"}, {"NC", "1"}}))},
                         {"1/acqu2s", par(with(kAcqus, {{"TD", "2"}, {"SFO1", "100.6"}}))},
                         {"1/ser", gen::intsLE(ser)},
                         {"1/pdata/1/procs", par(with(kProcs, {{"NC_proc", "-2"}}))},
                         {"1/pdata/1/proc2s", par(with(kProcs, {{"OFFSET", "200"}}))},
                         {"1/pdata/1/rr", gen::intsLE(kWords)},
                         {"1/pdata/1/ii", gen::intsLE(kImagWords)}});
  struct Case {
    const char* name;
    const char* file;
    float factor;
    unsigned flags;
  };
  const Case cases[] = {
      {"FID", "1/ser", 2.0f, SPF_PRESENT | SPF_STALE | SPF_COMPLEX | SPF_FID},
      {"spectrum", "1/pdata/1/rr", 0.25f, SPF_PRESENT | SPF_STALE | SPF_COMPLEX},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = below(dir.path(), c.file);
    // Convera's own reading of the data set, into arrays of 4 x 4 points.
    SPECINFO ref;
    ref.SetFormat(FF_XWINNMR);
    ASSERT_EQ(NMRGetParameters(nullptr, path.c_str(), &ref), 1);
    std::vector<float> re(16), im(16);
    ASSERT_EQ(NMRReadSpectrum(path.c_str(), &ref, re.data(), im.data()), 1);
    for (float& v : re) v *= c.factor;
    for (float& v : im) v *= c.factor;

    Spectrum s;
    ASSERT_EQ(s.Init(1, 100, 1, 0, 1), 1);  // an earlier, larger layout, full of data
    for (long i = 0; i < 100; ++i) {
      s.SetRealInt(i, 1.0f);
      s.SetImagInt(i, 1.0f);
    }
    qtest::UiCapture ui;
    ASSERT_EQ(s.RetrieveNMRSpectrum(nullptr, path.c_str(), nullptr, nullptr, SPR_ALLKINDS), 1);
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(s.GetDimension(), 2);
    EXPECT_EQ(s.GetTotalSI(), 16);
    EXPECT_EQ(s.GetSI(1), 4);
    EXPECT_EQ(s.GetSI(2), 4);
    EXPECT_EQ(realsOf(s), re);
    EXPECT_EQ(imagsOf(s), im);
    EXPECT_EQ(s.GetStatus(), c.flags);
    for (int d = 1; d <= 2; ++d) {
      EXPECT_EQ(s.GetF1(d), ref.GetF1(static_cast<unsigned>(d))) << "dimension " << d;
      EXPECT_EQ(s.GetF2(d), ref.GetF2(static_cast<unsigned>(d))) << "dimension " << d;
      EXPECT_EQ(s.GetSF(d), ref.GetSF(static_cast<unsigned>(d))) << "dimension " << d;
      EXPECT_EQ(s.GetTD(d), ref.GetTD(static_cast<unsigned>(d))) << "dimension " << d;
    }
    EXPECT_NEAR(s.GetF1(2) / s.GetSF(2), 200.0f, 1e-3f);
  }
}

// ---- memory failures ---------------------------------------------------------------------------

// Every memory block a load takes fails in turn: Convera's parameter buffers
// (its box, then ours with 16) or the arrays (ours with 258), never a
// crash, and after the last one the data are read exactly.
TEST(SpectrumLoad, MemoryFailuresAtEveryAllocation) {
  qtest::TempDir dir;
  writeTree(dir.path(), {{"1/acqus", par(with(kAcqus, {{"NC", "1"}}))},
                         {"1/pdata/1/procs", par(with(kProcs, {{"SI", "8"}, {"NC_proc", "1"}}))},
                         {"1/pdata/1/1r", gen::intsLE(kWords)},
                         {"1/pdata/1/1i", gen::intsLE(kImagWords)}});
  std::string path = below(dir.path(), "1/pdata/1/1r");
  struct Case {
    const char* name;
    long before;  // points of a complex layout held before; 0 for none
  };
  const Case cases[] = {
      {"new arrays", 0}, {"arrays of another size", 64}, {"arrays of the size", 8}};
  for (const Case& c : cases) {
    int arrayFailures = 0, parameterFailures = 0;
    for (int at = 1;; ++at) {
      SCOPED_TRACE(std::string(c.name) + ", memory operation " + std::to_string(at));
      Spectrum s;
      if (c.before) {
        ASSERT_EQ(s.Init(1, c.before, 100, 0, 1), 1);
        for (long i = 0; i < c.before; ++i) s.SetRealInt(i, 1.0f);
      }
      qtest::UiCapture ui;
      int result;
      bool fired;
      {
        qtest::FaultPlan plan(qtest::kFaultMemory, at);
        result = s.RetrieveNMRSpectrum(nullptr, path.c_str(), nullptr, nullptr, SPR_ALLKINDS);
        fired = plan.fired();
      }
      if (!fired) {
        ASSERT_EQ(result, 1);
        EXPECT_TRUE(ui.boxes().empty());
        EXPECT_EQ(realsOf(s), scaled(kWords, 2));
        EXPECT_EQ(imagsOf(s), scaled(kImagWords, 2));
        break;
      }
      EXPECT_EQ(result, 0);
      EXPECT_EQ(s.GetSpecFlag(SPF_PRESENT), 0);
      ASSERT_GE(ui.boxes().size(), 1u);
      if (ui.boxes().size() == 2) {
        ++parameterFailures;
        EXPECT_EQ(ui.boxes()[0].caption, convera());
        EXPECT_EQ(ui.boxes()[0].lines().back(), "Cannot allocate memory!");
        EXPECT_EQ(ui.boxes()[1].lines(), retrieveBox(16, "Could not find parameter!"));
      } else {
        ASSERT_EQ(ui.boxes().size(), 1u);
        ++arrayFailures;
        EXPECT_EQ(ui.boxes()[0].caption, viewtrace());
        EXPECT_EQ(ui.boxes()[0].lines(), retrieveBox(258, "Cannot allocate memory!"));
        EXPECT_EQ(s.GetTotalSI(), 0) << "the arrays are gone";
        EXPECT_EQ(SpectrumProbe::re(s), nullptr);
        EXPECT_EQ(SpectrumProbe::im(s), nullptr);
        EXPECT_EQ(s.GetRealInt(0), 0.0f);
      }
      // A later load works.
      ui.clear();
      EXPECT_EQ(s.RetrieveNMRSpectrum(nullptr, path.c_str(), nullptr, nullptr, SPR_ALLKINDS), 1);
      EXPECT_EQ(realsOf(s), scaled(kWords, 2));
    }
    EXPECT_EQ(parameterFailures, 2) << c.name << ": acqus and procs";
    EXPECT_EQ(arrayFailures, c.before == 8 ? 0 : 2) << c.name << ": real and imaginary array";
  }
}

// ---- Update
// ---------------------------------------------------------------------------------------

// Sets the file's last-write time; returns the low 32 bits the record keeps.
long setFileTime(const std::string& path, std::filesystem::file_time_type t) {
  std::error_code e;
  std::filesystem::last_write_time(std::filesystem::u8path(path), t, e);
  return GetTimeLastModified(path.c_str());
}

TEST(SpectrumUpdate, RereadsOnlyAChangedFile) {
  qtest::TempDir dir;
  std::string p = dir.file("watched.dat");
  qtest::writeBytes(p, quintarFile({1, 2, 3}));
  auto now = std::filesystem::last_write_time(std::filesystem::u8path(p));
  Spectrum s;
  qtest::UiCapture ui;
  EXPECT_EQ(s.Update(nullptr), 0) << "not read from a file";
  ASSERT_EQ(s.RetrieveNMRSpectrum(nullptr, p.c_str(), nullptr, nullptr, SPR_ALLKINDS), 1);
  EXPECT_EQ(s.Update(nullptr), 0);

  qtest::writeBytes(p, quintarFile({7, 8, 9, 10}));
  long t = setFileTime(p, now + std::chrono::seconds(10));
  ASSERT_NE(t, SpectrumProbe::info(s).GetModTime());
  EXPECT_EQ(s.Update(nullptr), 1);
  EXPECT_EQ(realsOf(s), (std::vector<float>{7, 8, 9, 10}));
  EXPECT_EQ(SpectrumProbe::info(s).GetModTime(), t);
  EXPECT_EQ(s.Update(nullptr), 0);

  // The file goes: -1 is kept, and the disk is not asked again.
  qtest::realOps().deleteFile(p.c_str());
  EXPECT_EQ(s.Update(nullptr), 0);
  EXPECT_EQ(SpectrumProbe::info(s).GetModTime(), -1);
  qtest::writeBytes(p, quintarFile({4, 5}));
  setFileTime(p, now + std::chrono::seconds(20));
  EXPECT_EQ(s.Update(nullptr), 0);
  EXPECT_EQ(realsOf(s), (std::vector<float>{7, 8, 9, 10}));
  EXPECT_TRUE(ui.boxes().empty());
}

// The record keeps the low 32 bits of the file time, negative for about half
// of all times: such a file is watched as well.
TEST(SpectrumUpdate, FileTimeWithTheHighBitSet) {
  qtest::TempDir dir;
  std::string p = dir.file("watched.dat");
  qtest::writeBytes(p, quintarFile({1, 2, 3}));
  auto t0 = std::filesystem::last_write_time(std::filesystem::u8path(p));
  // One second moves the low 32 bits by 10^7; find two negative times.
  std::vector<std::filesystem::file_time_type> negative;
  for (int k = 0; k < 2000 && negative.size() < 2; ++k) {
    auto t = t0 + std::chrono::seconds(k);
    if (setFileTime(p, t) < -1) negative.push_back(t);
  }
  ASSERT_EQ(negative.size(), 2u);
  long first = setFileTime(p, negative[0]);
  Spectrum s;
  qtest::UiCapture ui;
  ASSERT_EQ(s.RetrieveNMRSpectrum(nullptr, p.c_str(), nullptr, nullptr, SPR_ALLKINDS), 1);
  ASSERT_EQ(SpectrumProbe::info(s).GetModTime(), first);
  EXPECT_EQ(s.Update(nullptr), 0);
  qtest::writeBytes(p, quintarFile({5, 6, 7}));
  setFileTime(p, negative[1]);
  EXPECT_EQ(s.Update(nullptr), 1);
  EXPECT_EQ(realsOf(s), (std::vector<float>{5, 6, 7}));
}

// ---- real data ----------------------------------------------------------------------------------

void listFiles(const std::string& folder, std::vector<std::string>* out) {
  plat::FindData found;
  HANDLE h = plat::ops().findFirst((folder + "/*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return;
  std::vector<std::string> dirs;
  do {
    std::string name = found.name;
    if (name == "." || name == "..") continue;
    if (found.attributes & plat::kAttrDirectory) {
      dirs.push_back(folder + "/" + name);
    } else {
      out->push_back(folder + "/" + name);
    }
  } while (plat::ops().findNext(h, &found));
  plat::ops().findClose(h);
  for (const auto& d : dirs) listFiles(d, out);
}

// Convera's own reading of a file, as the loader is built on it.
struct Reference {
  int format = 0;
  bool parameters = false, read = false;
  SPECINFO info;
  std::vector<float> re, im;
  std::vector<qtest::Box> boxes;
};

Reference readWithConvera(const std::string& path) {
  Reference r;
  qtest::UiCapture ui;
  ui.values = {"400"};  // SF, for the formats that do not store it
  r.format = NMRCheckFormat(path.c_str());
  if (r.format > 0) {
    r.info.SetFormat(static_cast<fileformat>(r.format));
    r.parameters = NMRGetParameters(nullptr, path.c_str(), &r.info) == 1;
  }
  if (r.parameters) {
    long n = r.info.GetSI(1) * (r.info.GetDimension() == 2 ? r.info.GetSI(2) : 1);
    unsigned df = r.info.GetDataFormat();
    bool complex = (df & DF_FID) || (df & DF_COMPLEX);
    r.re.assign(static_cast<std::size_t>(n), 0.0f);
    if (complex) r.im.assign(static_cast<std::size_t>(n), 0.0f);
    r.read = n > 0 && NMRReadSpectrum(path.c_str(), &r.info, r.re.data(),
                                      complex ? r.im.data() : nullptr) == 1;
    float nc = r.info.GetNC((df & DF_FID) ? 1 : 2);
    for (float& v : r.re) v *= nc;
    for (float& v : r.im) v *= nc;
  }
  r.boxes = ui.boxes();
  return r;
}

TEST(SpectrumLoadRealData, EveryFileAsConveraReadsIt) {
  std::string root;
  QTEST_REQUIRE_TESTDATA(root);
  std::vector<std::string> files;
  listFiles(root, &files);
  ASSERT_GT(files.size(), 100u);
  int loaded = 0;
  Spectrum s;  // one object for all, as a display keeps it
  for (const std::string& path : files) {
    SCOPED_TRACE(path.substr(root.size()));
    Reference ref = readWithConvera(path);
    qtest::UiCapture ui;
    ui.values = {"400"};
    int result = s.RetrieveNMRSpectrum(nullptr, path.c_str(), nullptr, nullptr, SPR_ALLKINDS);
    if (!ref.read) {
      EXPECT_EQ(result, 0);
      EXPECT_EQ(s.GetSpecFlag(SPF_PRESENT), 0);
      int code = ref.format <= 0 ? 15 : !ref.parameters ? 16 : 17;
      ASSERT_EQ(ui.boxes().size(), ref.boxes.size() + 1);
      for (std::size_t i = 0; i < ref.boxes.size(); ++i)
        EXPECT_EQ(ui.boxes()[i].text, ref.boxes[i].text);
      EXPECT_EQ(ui.boxes().back().lines()[0], "Error: 14 - Code: " + std::to_string(code));
      continue;
    }
    ++loaded;
    ASSERT_EQ(result, 1);
    EXPECT_TRUE(ui.boxes().empty());
    unsigned df = ref.info.GetDataFormat();
    unsigned expected = SPF_PRESENT | SPF_STALE;
    if (df & DF_FID) expected |= SPF_FID | SPF_COMPLEX;
    if (df & DF_COMPLEX) expected |= SPF_COMPLEX;
    unsigned mode = ref.info.GetAQMode(1) & AQ_MODEMASK;
    if ((df & DF_FID) && mode == 0) expected |= SPF_HALFSPEC;
    if ((df & DF_FID) && mode == 2) expected |= SPF_SEQUENTIAL;
    EXPECT_EQ(s.GetStatus(), expected);
    EXPECT_EQ(s.GetDimension(), static_cast<int>(ref.info.GetDimension()));
    EXPECT_EQ(s.GetSI(), ref.info.GetSI(1));
    EXPECT_EQ(s.GetTotalSI(), static_cast<long>(ref.re.size()));
    EXPECT_EQ(s.GetF1(), ref.info.GetF1(1));
    EXPECT_EQ(s.GetF2(), ref.info.GetF2(1));
    EXPECT_EQ(s.GetSF(), ref.info.GetSF(1));
    EXPECT_EQ(s.GetTD(), ref.info.GetTD(1));
    EXPECT_EQ(s.GetNucleus(), ref.info.GetNucleus(1));
    EXPECT_EQ(std::string(s.GetFileName()), path);
    EXPECT_TRUE(realsOf(s) == ref.re) << "real points differ";
    EXPECT_TRUE(imagsOf(s) == ref.im) << "imaginary points differ";
  }
  EXPECT_GE(loaded, 40);
}

// What the files say: the words of TopSpin's 1r / 1i / fid files times 2 to
// the power NC_proc (spectra) or NC (FIDs), the reference (OFFSET, the ppm
// of the first point) and the sweep width of the parameter files, the first
// ordinates of JCAMP-DX files, the first lines of SIMPSON files. Numbers as
// given in each folder's SOURCE.txt; its JCAMP-DX ordinates are Y x YFACTOR,
// and Convera keeps the ordinates as written, so the factor of those rows is
// 1 / YFACTOR.
TEST(SpectrumLoadRealData, WhatTheFilesSay) {
  std::string root;
  QTEST_REQUIRE_TESTDATA(root);
  struct Case {
    const char* path;  // below the testdata folder
    long si;
    double factor;               // the stored scale factor (JCAMP-DX: 1 / YFACTOR, see above)
    double offset, sw;           // ppm of the first point (0: not checked), sweep width in Hz
    std::vector<double> re, im;  // first values as stored; im empty: real data
    unsigned flags;
    double tolerance;  // relative
  };
  const unsigned kSpec = SPF_PRESENT | SPF_STALE, kCplx = kSpec | SPF_COMPLEX;
  const unsigned kFid = kCplx | SPF_FID;
  const double p2 = 0.25, p3 = 0.125, p6 = 1.0 / 64, p7 = 1.0 / 128, p8 = 1.0 / 256;
  const Case cases[] = {
      {"bruker/NMRPy-nmrpy/bruker2/1/pdata/1/1r",
       32768,
       1,
       200.547,
       30303.0303030303,
       {-1847964, -1714742, -1710841, -1819765},
       {-1823220, -1869381, -1974030, -2021829},
       kCplx,
       0},
      {"bruker/NMRPy-nmrpy/bruker2/10/pdata/1/1r",
       32768,
       1,
       200.547,
       30303.0303030303,
       {-866635, -952392, -1049996, -1132287},
       {-2705499, -2810008, -2849891, -2871507},
       kCplx,
       0},
      {"bruker/NMRPy-nmrpy/bruker2/2/pdata/1/1i",
       65536,
       p2,
       31.47019,
       14619.8830409357,
       {-1175722, -1135763, -1102907, -1078206},
       {274231, 236614, 193201, 145597},
       kCplx,
       0},
      {"bruker/NMRPy-nmrpy/bruker2/3/pdata/1/1r",
       16384,
       p3,
       9.685016,
       6009.6153846154,
       {-1132628, -1220680, -1235394, -1124426},
       {-582806, -420031, -249748, -44025},
       kCplx,
       0},
      {"bruker/npm-bruker-data-test-1.0.0/aspirin-1h-processed/1/pdata/1/1r",
       32768,
       p2,
       15.47866,
       4789.27203065133,
       {-1896, -660, 157, -597},
       {-115954, -114136, -113997, -113666},
       kCplx,
       0},
      {"bruker/npm-bruker-data-test-1.0.0/cyclosporin_1h/1/pdata/1/1r",
       32768,
       p8,
       9.99032,
       5494.5054945055,
       {-713129, -707846, -709357, -702071},
       {-2661521, -2633403, -2604296, -2575823},
       kCplx,
       0},
      {"bruker/npm-bruker-data-test-1.0.0/strychnine/10/pdata/1/1r",
       131072,
       p6,
       18.19698,
       9615.38461538461,
       {-163, -21468, -29483, -28134},
       {-633950, -622023, -603342, -590680},
       kCplx,
       0},
      // nmrglue's own test expects -36275840 and -34775104 after scaling.
      {"bruker/jjhelmus-nmrglue__bruker_test_data/1/pdata/1/1r",
       2,
       p3,
       13.03153,
       10000,
       {-290206720, -278200832},
       {},
       kSpec,
       0},
      // fid words 0, 1, -5, -4: real and imaginary interleaved; AQ_mod 3.
      {"bruker/npm-bruker-data-test-1.0.0/cyclosporin_1h/1/fid",
       32768,
       p7,
       9.99032,
       5494.50549450549,
       {0, -5},
       {1, -4},
       kFid,
       0},
      // AQ_mod 1 (qsim); the first words are 0.
      {"bruker/npm-bruker-data-test-1.0.0/aspirin-1h/1/fid",
       8192,
       p2,
       15.47866,
       4789.27203065134,
       {0, 0},
       {0, 0},
       kFid,
       0},
      {"jcamp/nzhagen-jcamp__jcamp-dx.org_ISAS_testfiles/BRUKAFFN.DX",
       16384,
       1,
       0,
       0,
       {2259260.0, -5242968.0, -7176216.0},
       {},
       kSpec,
       1e-6},
      {"jcamp/nzhagen-jcamp__jcamp-dx.org_ISAS_testfiles/TESTSPEC.DX",
       16384,
       1 / 29670.15003,
       0,
       0,
       {2254931.40228, -5251616.55531, -7180176.30726},
       {},
       kSpec,
       1e-6},
      {"jcamp/nzhagen-jcamp__Lancashire_testdata/o01.jdx",
       8192,
       1 / 1.267406,
       0,
       0,
       {46.894022, -2.534812, -2.534812},
       {},
       kSpec,
       1e-6},
      {"jcamp/nzhagen-jcamp__Lancashire_testdata/fixdec2.jdx",
       8192,
       1 / 9.5367E-7,
       0,
       0,
       {-0.404406, -1.670694, -1.736214},
       {},
       kSpec,
       1e-5},
      {"jcamp/cheminfo-jcampconverter/compression/jcamp-fix.dx",
       16384,
       1,
       0,
       0,
       {-10247.0, 1201.0, -5196.0},
       {},
       kSpec,
       1e-6},
      // SIMPSON stores no acquisition mode: single channel.
      {"simpson/carlosbornes-simpyson/examples/read/ethanol.fid",
       4096,
       1,
       0,
       10000,
       {95.9999136},
       {0},
       kFid | SPF_HALFSPEC,
       1e-7},
      {"simpson/carlosbornes-simpyson/examples/read/ethanol.spe",
       4096,
       1,
       0,
       10000,
       {0.180060847},
       {-20.1918974},
       kCplx,
       1e-7},
      {"simpson/dnp-grenoble-simpson/heteronuclear_recoupling/dipshift.fid",
       32,
       1,
       0,
       6000,
       {-0.99999994},
       {-4.59916601e-16},
       kFid | SPF_HALFSPEC,
       1e-7},
      {"simpson/dnp-grenoble-simpson/cross_polarisation/cpmas.fid",
       128,
       1,
       0,
       128000,
       {-1.73480725e-14},
       {-2.45131789e-19},
       kFid | SPF_HALFSPEC,
       1e-7},
  };
  Spectrum s;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    std::string path = root + "/" + c.path;
    qtest::UiCapture ui;
    ui.values = {"400"};
    ASSERT_EQ(s.RetrieveNMRSpectrum(nullptr, path.c_str(), nullptr, nullptr, SPR_ALLKINDS), 1);
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(s.GetSI(), c.si);
    EXPECT_EQ(s.GetTotalSI(), c.si);
    EXPECT_EQ(s.GetStatus(), c.flags);
    for (std::size_t k = 0; k < c.re.size(); ++k) {
      double want = c.re[k] * c.factor;
      EXPECT_NEAR(s.GetRealInt(static_cast<long>(k)), want, std::fabs(want) * c.tolerance)
          << "real point " << k;
    }
    for (std::size_t k = 0; k < c.im.size(); ++k) {
      double want = c.im[k] * c.factor;
      EXPECT_NEAR(s.GetImagInt(static_cast<long>(k)), want, std::fabs(want) * c.tolerance)
          << "imaginary point " << k;
    }
    if (c.im.empty()) {
      EXPECT_EQ(SpectrumProbe::im(s), nullptr);
    }
    if (c.offset != 0) {
      EXPECT_NEAR(s.GetF1() / s.GetSF(), c.offset, c.offset * 2e-6);
    }
    if (c.sw != 0) {
      EXPECT_NEAR(s.GetF1() - s.GetF2(), c.sw, c.sw * 1e-6);
    }
  }
  // nmrglue's expectation for its 2-point file, exactly.
  std::string tiny = root + "/bruker/jjhelmus-nmrglue__bruker_test_data/1/pdata/1/1r";
  qtest::UiCapture ui;
  ASSERT_EQ(s.RetrieveNMRSpectrum(nullptr, tiny.c_str(), nullptr, nullptr, SPR_ALLKINDS), 1);
  EXPECT_EQ(s.GetRealInt(0), -36275840.0f);
  EXPECT_EQ(s.GetRealInt(1), -34775104.0f);
}

}  // namespace
