// The XWinNMR / TopSpin reader: where it looks for the files of an
// experiment tree, which data files it recognises, what it takes from acqus
// and procs, and the intensities it reads; on small trees written here and
// on the real data sets of ../shared/testdata/bruker.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "datafiles/convera.h"
#include "datafiles/specinfo.h"
#include "datafiles/xwinnmr_internal.h"
#include "isotopes/isotopia.h"
#include "support/capture.h"
#include "support/faults.h"
#include "support/files.h"
#include "winutil/platform/platform.h"

namespace {

// ---- building experiment trees ---------------------------------------------

using Files = std::vector<std::pair<std::string, std::string>>;  // relative path ('/'), bytes

char separatorOf(const std::string& folder) {
  return folder.find('/') != std::string::npos ? '/' : '\\';
}

// `rel` (written with '/') below `root`, with the separator `sep`.
std::string below(const std::string& root, const std::string& rel, char sep) {
  std::string r = rel;
  for (char& c : r)
    if (c == '/') c = sep;
  return root + sep + r;
}

// Writes the files, creating their folders; a name ending in '/' is a folder.
void writeTree(const std::string& root, const Files& files) {
  char sep = separatorOf(root);
  for (const auto& f : files) {
    std::string rel = f.first;
    for (std::size_t at = rel.find('/'); at != std::string::npos; at = rel.find('/', at + 1))
      qtest::realOps().createDirectory(below(root, rel.substr(0, at), sep).c_str());
    if (!rel.empty() && rel.back() != '/') qtest::writeBytes(below(root, rel, sep), f.second);
  }
}

// A parameter file of ##$NAME= value lines.
std::string par(const std::vector<std::pair<std::string, std::string>>& entries) {
  std::string s = "##TITLE= Parameter file, written by the test\n##JCAMPDX= 5.0\n";
  for (const auto& e : entries) s += "##$" + e.first + "= " + e.second + "\n";
  return s + "##END=\n";
}

using Pars = std::vector<std::pair<std::string, std::string>>;

// Replaces or adds entries.
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

Pars without(Pars base, const std::string& name) {
  Pars out;
  for (const auto& b : base)
    if (b.first != name) out.push_back(b);
  return out;
}

const Pars kAcqus = {{"SFO1", "400.13"}, {"SW_h", "8000"},   {"TD", "8"},      {"AQ_mod", "3"},
                     {"BYTORDA", "0"},   {"DECIM", "1"},    {"DSPFVS", "12"}, {"NC", "0"},
                     {"NUCLEUS", "<1H>"}};
const Pars kProcs = {{"OFFSET", "12"}, {"SI", "4"}, {"BYTORDP", "0"}, {"NC_proc", "0"}, {"XDIM", "0"}};

std::string int32s(const std::vector<std::int32_t>& v, bool bigEndian) {
  std::string out;
  for (std::int32_t x : v) {
    auto u = static_cast<std::uint32_t>(x);
    unsigned char b[4] = {static_cast<unsigned char>(u), static_cast<unsigned char>(u >> 8),
                          static_cast<unsigned char>(u >> 16), static_cast<unsigned char>(u >> 24)};
    if (bigEndian) std::swap(b[0], b[3]), std::swap(b[1], b[2]);
    out.append(reinterpret_cast<char*>(b), 4);
  }
  return out;
}

std::string floats(const std::vector<float>& v) {
  std::string out(v.size() * 4, '\0');
  if (!v.empty()) std::memcpy(&out[0], v.data(), out.size());
  return out;
}

std::string labelOf(int nucleus) {
  char buffer[8] = "";
  const char* p = GetWinNMRNucleus(static_cast<unsigned>(nucleus), buffer);
  return p ? p : "";
}

int nucleusNamed(const std::string& label) {
  for (int n = 0; n <= GetNoNuclei(); ++n)
    if (labelOf(n) == label) return n;
  return -1;
}

std::string experimentDir(const std::string& path) {
  char dir[MAX_PATH] = "";
  return XWinNMRExperimentDir(path.c_str(), dir, sizeof dir) ? dir : "(none)";
}

std::string processedDir(const std::string& path) {
  char dir[MAX_PATH] = "";
  return XWinNMRProcessedDir(path.c_str(), dir, sizeof dir) ? dir : "(none)";
}

// ---- directory location ------------------------------------------------------

TEST(XWinNMRLocation, ExperimentAndProcessedDirectories) {
  qtest::TempDir tmp;
  ASSERT_FALSE(tmp.path().empty());
  writeTree(tmp.path(), {{"e/1/fid", "x"},
                         {"e/1/pdata/1/1r", "x"},
                         {"e/1/pdata/2/", ""},
                         {"e/2/fid", "x"},
                         {"e/2/PDATA/10/", ""},
                         {"e/2/PDATA/3/1R", "x"},
                         {"e/2/PDATA/0.txt", "x"},     // a numbered file is no directory
                         {"e/2/PDATA/notes/", ""},
                         {"e/3/fid", "x"},             // no pdata
                         {"e/4/fid", "x"},
                         {"e/4/pdata/old/", ""},       // nothing numbered
                         {"pdata_old/5/fid", "x"},     // "pdata" only as part of a name
                         {"pdata_old/5/pdata/1/", ""}});
  struct Case {
    const char* name;
    const char* path;
    const char* experiment;
    const char* processed;
  };
  const Case cases[] = {
      {"fid beside pdata", "e/1/fid", "e/1/", "e/1/pdata/1/"},
      {"1r inside pdata", "e/1/pdata/1/1r", "e/1/", "e/1/pdata/1/"},
      {"other pdata entry named", "e/1/pdata/2/1i", "e/1/", "e/1/pdata/2/"},
      {"upper-case PDATA, lowest number", "e/2/fid", "e/2/", "e/2/pdata/3/"},
      {"upper-case path", "e/2/PDATA/3/1R", "e/2/", "e/2/PDATA/3/"},
      {"no pdata folder", "e/3/fid", "e/3/", "(none)"},
      {"pdata without numbered entry", "e/4/fid", "e/4/", "(none)"},
      {"pdata as a part of a name", "pdata_old/5/fid", "pdata_old/5/", "pdata_old/5/pdata/1/"},
      {"the pdata folder itself", "e/1/pdata", "e/1/", "e/1/pdata/1/"},
  };
  for (char sep : {'/', '\\'}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + " with separator " + sep);
      std::string path = below(tmp.path(), c.path, sep);
      std::string exp = below(tmp.path(), c.experiment, sep);
      EXPECT_EQ(experimentDir(path), exp);
      std::string proc = c.processed[0] == '(' ? c.processed : below(tmp.path(), c.processed, sep);
      EXPECT_EQ(processedDir(path), proc);
    }
  }
}

TEST(XWinNMRLocation, RefusesUnusableArguments) {
  char small[4];
  EXPECT_EQ(XWinNMRExperimentDir(nullptr, small, sizeof small), 0);
  EXPECT_EQ(XWinNMRExperimentDir("", small, sizeof small), 0);
  // The result does not fit the caller's buffer.
  EXPECT_EQ(XWinNMRExperimentDir("C:\\data\\1\\fid", small, sizeof small), 0);
  std::string tooLong = "C:\\" + std::string(300, 'a') + "\\fid";
  char dir[MAX_PATH];
  EXPECT_EQ(XWinNMRExperimentDir(tooLong.c_str(), dir, sizeof dir), 0);
  EXPECT_EQ(XWinNMRProcessedDir(tooLong.c_str(), dir, sizeof dir), 0);
}

// ---- detection -------------------------------------------------------------------

TEST(XWinNMRDetection, NeedsTheCompanionFiles) {
  const std::string acqus = par(kAcqus), procs = par(kProcs), words = int32s({1, 2, 3, 4}, false);
  struct Case {
    const char* name;
    Files files;
    const char* path;
    int expected;
  };
  const Case cases[] = {
      {"1D fid", {{"1/acqus", acqus}, {"1/fid", words}, {"1/pdata/1/procs", procs}}, "1/fid", 1},
      {"1D 1r", {{"1/acqus", acqus}, {"1/pdata/1/procs", procs}, {"1/pdata/1/1r", words}},
       "1/pdata/1/1r", 1},
      {"1D 1i alone", {{"1/acqus", acqus}, {"1/pdata/1/procs", procs}, {"1/pdata/1/1i", words}},
       "1/pdata/1/1i", 1},
      {"names of other case on disk",
       {{"1/ACQUS", acqus}, {"1/FID", words}, {"1/PDATA/1/PROCS", procs}, {"1/PDATA/1/1R", words}},
       "1/pdata/1/1r", 1},
      {"fid without pdata", {{"1/acqus", acqus}, {"1/fid", words}}, "1/fid", 0},
      {"fid with an empty pdata", {{"1/acqus", acqus}, {"1/fid", words}, {"1/pdata/", ""}}, "1/fid",
       0},
      {"fid without procs", {{"1/acqus", acqus}, {"1/fid", words}, {"1/pdata/1/", ""}}, "1/fid", 0},
      {"procs not a parameter file",
       {{"1/acqus", acqus}, {"1/fid", words}, {"1/pdata/1/procs", "#TITLE= x\n"}}, "1/fid", 0},
      {"no acqus", {{"1/fid", words}, {"1/pdata/1/procs", procs}}, "1/fid", 0},
      {"named file missing", {{"1/acqus", acqus}, {"1/pdata/1/procs", procs}}, "1/pdata/1/1r", 0},
      {"unclassified name",
       {{"1/acqus", acqus}, {"1/1D_real", words}, {"1/pdata/1/procs", procs}}, "1/1D_real", 0},
      {"parameter file named", {{"1/acqus", acqus}, {"1/pdata/1/procs", procs}}, "1/acqus", 0},
      {"2D ser",
       {{"1/acqus", acqus}, {"1/acqu2s", acqus}, {"1/ser", words}, {"1/pdata/1/procs", procs},
        {"1/pdata/1/proc2s", procs}},
       "1/ser", 1},
      {"2D rr",
       {{"1/acqus", acqus}, {"1/acqu2s", acqus}, {"1/pdata/1/procs", procs},
        {"1/pdata/1/proc2s", procs}, {"1/pdata/1/rr", words}},
       "1/pdata/1/rr", 1},
      {"2D without acqu2s",
       {{"1/acqus", acqus}, {"1/ser", words}, {"1/pdata/1/procs", procs},
        {"1/pdata/1/proc2s", procs}},
       "1/ser", 0},
      {"2D with proc2s not a parameter file",
       {{"1/acqus", acqus}, {"1/acqu2s", acqus}, {"1/ser", words}, {"1/pdata/1/procs", procs},
        {"1/pdata/1/proc2s", "x"}},
       "1/ser", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    qtest::TempDir tmp;
    writeTree(tmp.path(), c.files);
    std::string path = below(tmp.path(), c.path, separatorOf(tmp.path()));
    EXPECT_EQ(NMRIsXWinNMR(path.c_str()), c.expected);
    EXPECT_EQ(NMRCheckFormat(path.c_str()), c.expected ? FF_XWINNMR : FF_UNKNOWN);
  }
  EXPECT_EQ(NMRIsXWinNMR(nullptr), 0);
  EXPECT_EQ(NMRIsXWinNMR(""), 0);
}

// ---- acquisition parameters ----------------------------------------------------

struct AcqCase {
  const char* name;
  std::string text;
  int status;
  std::function<void(const NMRDIMENSION&)> check;
};

std::string acqusText(const Pars& changes, const char* drop = nullptr) {
  Pars p = with(kAcqus, changes);
  return par(drop ? without(p, drop) : p);
}

TEST(XWinNMRAcquisition, ParametersIntoOneDimension) {
  const AcqCase cases[] = {
      {"frequency, sweep width and size", acqusText({{"TD", "16384"}}), 0,
       [](const NMRDIMENSION& d) {
         EXPECT_FLOAT_EQ(d.GetSF(), 400.13f);
         EXPECT_FLOAT_EQ(d.GetF1(), 4000.0f);
         EXPECT_FLOAT_EQ(d.GetF2(), -4000.0f);
         EXPECT_FLOAT_EQ(d.GetDW(), 1.0f / 8000.0f);
         EXPECT_EQ(d.GetTD(), 16384);
         EXPECT_EQ(d.GetAQMode(), 3u);
       }},
      {"table filter, firmware 10", acqusText({{"DECIM", "32"}, {"DSPFVS", "10"}}), 0,
       [](const NMRDIMENSION& d) {
         EXPECT_EQ(d.GetDigDecim(), 32u);
         EXPECT_EQ(d.GetDigFirmware(), 10u);
         EXPECT_NEAR(d.GetDigFilter(), 70.0156f, 1e-4);
       }},
      {"group delay of firmware 21", acqusText({{"DECIM", "3640"}, {"DSPFVS", "21"}, {"GRPDLY", "76.0"}}),
       0, [](const NMRDIMENSION& d) { EXPECT_FLOAT_EQ(d.GetDigFilter(), 76.0f); }},
      {"firmware -1", acqusText({{"DECIM", "32"}, {"DSPFVS", "-1"}, {"GRPDLY", "67.98"}}), 0,
       [](const NMRDIMENSION& d) {
         EXPECT_EQ(d.GetDigDecim(), 1u);
         EXPECT_EQ(d.GetDigFirmware(), 0u);
         EXPECT_FLOAT_EQ(d.GetDigFilter(), 67.98f);
       }},
      {"firmware 20 without group delay", acqusText({{"DECIM", "32"}, {"DSPFVS", "20"}}), 0,
       [](const NMRDIMENSION& d) { EXPECT_EQ(d.GetDigFilter(), 0.0f); }},
      {"no digital filter", acqusText({{"DECIM", "1"}, {"DSPFVS", "10"}, {"GRPDLY", "5"}}), 0,
       [](const NMRDIMENSION& d) {
         EXPECT_EQ(d.GetDigFilter(), 0.0f);
         EXPECT_EQ(d.GetDigFirmware(), 0u);
       }},
      {"fractional decimation", acqusText({{"DECIM", "2218.66666666667"}, {"DSPFVS", "20"},
                                           {"GRPDLY", "67.9862518310547"}}),
       0, [](const NMRDIMENSION& d) {
         EXPECT_EQ(d.GetDigDecim(), 2218u);
         EXPECT_FLOAT_EQ(d.GetDigFilter(), 67.9862518310547f);
       }},
      {"no NC", acqusText({}, "NC"), 0, [](const NMRDIMENSION& d) { EXPECT_EQ(d.GetNC(1), 1.0f); }},
      {"NC -2", acqusText({{"NC", "-2"}}), 0,
       [](const NMRDIMENSION& d) { EXPECT_FLOAT_EQ(d.GetNC(1), 0.25f); }},
      {"nucleus 13C", acqusText({{"NUCLEUS", "<13C>"}}), 0,
       [](const NMRDIMENSION& d) {
         EXPECT_EQ(d.GetNucleus(), nucleusNamed("13C"));
         EXPECT_STREQ(d.GetNucleusLabel(), "13C");
       }},
      {"nucleus off", acqusText({{"NUCLEUS", "<off>"}}), 0,
       [](const NMRDIMENSION& d) { EXPECT_EQ(d.GetNucleus(), 0); }},
      {"no label on the nucleus line", acqusText({{"NUCLEUS", "off\n<1H>"}}), 0, [](const NMRDIMENSION& d) { EXPECT_EQ(d.GetNucleus(), 0); }},
      {"big-endian fid", acqusText({{"BYTORDA", "1"}}), 0,
       [](const NMRDIMENSION& d) { EXPECT_EQ(d.GetAQMode(), 3u | AQ_BIGENDIAN_ACQ); }},
      {"little-endian clears the flag", acqusText({{"AQ_mod", "32771"}, {"BYTORDA", "0"}}), 0,
       [](const NMRDIMENSION& d) { EXPECT_EQ(d.GetAQMode(), 3u); }},
      {"float data ignore BYTORDA", acqusText({{"AQ_mod", "67"}, {"BYTORDA", "1"}}), 0,
       [](const NMRDIMENSION& d) { EXPECT_EQ(d.GetAQMode(), 67u); }},
      {"SFO1 missing", acqusText({}, "SFO1"), 7, nullptr},
      {"SW_h missing", acqusText({}, "SW_h"), 8, nullptr},
      {"TD missing, NC still taken", acqusText({{"NC", "-1"}}, "TD"), 64,
       [](const NMRDIMENSION& d) { EXPECT_FLOAT_EQ(d.GetNC(1), 0.5f); }},
      {"AQ_mod missing", acqusText({}, "AQ_mod"), 53, nullptr},
      {"first missing entry counts", par({{"TD", "8"}}), 7, nullptr},
      {"empty file", "", 7, nullptr},
      {"negative TD not stored", acqusText({{"TD", "-5"}}), 0,
       [](const NMRDIMENSION& d) { EXPECT_EQ(d.GetTD(), 0); }},
      {"frequency zero", acqusText({{"SFO1", "0"}}), 117, nullptr},
      {"sweep width not a number", acqusText({{"SW_h", "nan"}}), 116, nullptr},
      {"sweep width negative", acqusText({{"SW_h", "-8000"}}), 116, nullptr},
  };
  for (const AcqCase& c : cases) {
    SCOPED_TRACE(c.name);
    qtest::TempDir tmp;
    std::string path = tmp.file("acqus");
    qtest::writeBytes(path, c.text);
    NMRDIMENSION d;
    EXPECT_EQ(ReadUXAQSParas(path.c_str(), &d), c.status);
    if (c.check) c.check(d);
  }
}

TEST(XWinNMRAcquisition, MissingFileAndArguments) {
  qtest::TempDir tmp;
  NMRDIMENSION d;
  EXPECT_EQ(ReadUXAQSParas(tmp.file("acqus").c_str(), &d), 5);
  EXPECT_EQ(ReadUXFQSParas(tmp.file("procs").c_str(), &d), 10);
  qtest::writeBytes(tmp.file("acqus"), par(kAcqus));
  EXPECT_EQ(ReadUXAQSParas(tmp.file("acqus").c_str(), nullptr), 256);
  EXPECT_EQ(ReadUXAQSParas(nullptr, &d), 5);
}

// ---- processing parameters -------------------------------------------------------

TEST(XWinNMRProcessing, ReferenceAndSize) {
  struct Case {
    const char* name;
    Pars acqus;
    Pars procs;
    int status;
    std::function<void(const NMRDIMENSION&)> check;
  };
  const Case cases[] = {
      {"reference from SFO1, SW_h and OFFSET", kAcqus, kProcs, 0,
       [](const NMRDIMENSION& d) {
         double sf = (400.13 + 8000 * 5e-7) / (1 + 12 * 1e-6);
         EXPECT_NEAR(d.GetSF(), sf, 1e-4);
         EXPECT_NEAR(d.GetF1(), 12 * d.GetSF(), 1e-2);
         EXPECT_NEAR(d.GetF2(), d.GetF1() - 8000.0f, 1e-2);
         EXPECT_NEAR(d.GetSW(), 8000.0f, 1e-2);
         EXPECT_EQ(d.GetSI(), 4);
         EXPECT_NEAR(d.GetInc(), 2000.0f, 1e-2);
       }},
      {"big-endian spectrum, sizes and factor", kAcqus,
       with(kProcs, {{"BYTORDP", "1"}, {"XDIM", "64"}, {"NC_proc", "-3"}}), 0,
       [](const NMRDIMENSION& d) {
         EXPECT_EQ(d.GetAQMode(), 3u | AQ_BIGENDIAN_PROC);
         EXPECT_EQ(d.GetXDIM(), 64);
         EXPECT_FLOAT_EQ(d.GetNC(2), 0.125f);
       }},
      {"BYTORDP 0 clears the flag", kAcqus, kProcs, 0,
       [](const NMRDIMENSION& d) { EXPECT_EQ(d.GetAQMode() & AQ_BIGENDIAN_PROC, 0u); }},
      {"no NC_proc, negative XDIM", kAcqus, with(without(kProcs, "NC_proc"), {{"XDIM", "-1"}}), 0,
       [](const NMRDIMENSION& d) {
         EXPECT_EQ(d.GetNC(2), 1.0f);
         EXPECT_EQ(d.GetXDIM(), 0);
       }},
      {"OFFSET missing", kAcqus, without(kProcs, "OFFSET"), 12, nullptr},
      {"SI missing", kAcqus, without(kProcs, "SI"), 65, nullptr},
      {"both missing", kAcqus, {{"BYTORDP", "0"}}, 65, nullptr},
      {"OFFSET that leaves no frequency", kAcqus, with(kProcs, {{"OFFSET", "-2000000"}}), 117,
       nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    qtest::TempDir tmp;
    qtest::writeBytes(tmp.file("acqus"), par(c.acqus));
    qtest::writeBytes(tmp.file("procs"), par(c.procs));
    NMRDIMENSION d;
    ASSERT_EQ(ReadUXAQSParas(tmp.file("acqus").c_str(), &d), 0);
    EXPECT_EQ(ReadUXFQSParas(tmp.file("procs").c_str(), &d), c.status);
    if (c.check) c.check(d);
  }
}

// ---- parameters of a data set ----------------------------------------------------

// A 1D experiment "1" with fid, pdata/1/procs and the given spectrum parts.
Files experiment1D(const Pars& acqus, const Pars& procs, const std::string& fid,
                   const std::string& r1, const std::string& i1) {
  Files f = {{"1/acqus", par(acqus)}, {"1/pdata/1/procs", par(procs)}};
  if (!fid.empty()) f.push_back({"1/fid", fid});
  if (!r1.empty()) f.push_back({"1/pdata/1/1r", r1});
  if (!i1.empty()) f.push_back({"1/pdata/1/1i", i1});
  return f;
}

TEST(XWinNMRParameters, SizeFromTheDataFile) {
  std::string block(65536, '\0');
  struct Case {
    const char* name;
    Files files;
    const char* path;
    int status;
    unsigned dataFormat;
    long si;
  };
  const Case cases[] = {
      {"1r of 65536 bytes", experiment1D(kAcqus, kProcs, "", block, ""), "1/pdata/1/1r", 0, 0x26,
       16384},
      {"1r with 1i", experiment1D(kAcqus, kProcs, "", block, block), "1/pdata/1/1r", 0,
       0x26 | DF_COMPLEX, 16384},
      {"1i with 1r", experiment1D(kAcqus, kProcs, "", block, block), "1/pdata/1/1i", 0,
       0x46 | DF_COMPLEX, 16384},
      {"fid of 65536 bytes", experiment1D(kAcqus, kProcs, block, block, block), "1/fid", 0, 0x5,
       8192},
      {"odd number of complex points", experiment1D(kAcqus, kProcs, std::string(12, '\0'), "", ""),
       "1/fid", 0, 0x5, 1},
      {"1r missing", experiment1D(kAcqus, kProcs, "", "", ""), "1/pdata/1/1r", 13, 0x26, 0},
      {"1r of less than one point", experiment1D(kAcqus, kProcs, "", "abc", ""), "1/pdata/1/1r", 118,
       0x26, 0},
      {"fid of one word", experiment1D(kAcqus, kProcs, "abcd", "", ""), "1/fid", 118, 0x5, 0},
      {"unclassified name", experiment1D(kAcqus, kProcs, block, "", ""), "1/acqus", 104, 0x8000, 0},
      {"no pdata", {{"1/acqus", par(kAcqus)}, {"1/fid", block}}, "1/fid", 104, 0x5, 0},
      {"acqus missing", {{"1/pdata/1/procs", par(kProcs)}, {"1/fid", block}}, "1/fid", 5, 0x5, 0},
      {"procs missing", {{"1/acqus", par(kAcqus)}, {"1/pdata/1/", ""}, {"1/fid", block}}, "1/fid",
       10, 0x5, 0},
      {"acqus incomplete", experiment1D(without(kAcqus, "SW_h"), kProcs, block, "", ""), "1/fid", 8,
       0x5, 0},
      {"procs incomplete", experiment1D(kAcqus, without(kProcs, "SI"), block, "", ""), "1/fid", 65,
       0x5, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    qtest::TempDir tmp;
    writeTree(tmp.path(), c.files);
    std::string path = below(tmp.path(), c.path, separatorOf(tmp.path()));
    SPECINFO info;
    EXPECT_EQ(NMRGetParXWinNMR(path.c_str(), &info), c.status);
    EXPECT_EQ(info.GetDataFormat(), c.dataFormat);
    if (c.status != 0) continue;
    ASSERT_EQ(info.GetDimension(), 1u);
    EXPECT_EQ(info.GetSI(1), c.si);
    EXPECT_EQ(info.GetTD(1), c.si);
    EXPECT_NEAR(info.GetInc(1), 8000.0f / c.si, 1e-3);
    EXPECT_NEAR(info.GetF1(1) - info.GetF2(1), 8000.0f, 1e-2);
  }
}

TEST(XWinNMRParameters, ZeroLengthDataFile) {
  qtest::TempDir tmp;
  writeTree(tmp.path(), experiment1D(kAcqus, kProcs, "x", "", ""));
  std::string fid = below(tmp.path(), "1/fid", separatorOf(tmp.path()));
  qtest::writeBytes(fid, "");
  SPECINFO info;
  EXPECT_EQ(NMRGetParXWinNMR(fid.c_str(), &info), 118);
}

TEST(XWinNMRParameters, NothingOfAnEarlierDataSetSurvives) {
  qtest::TempDir tmp;
  std::string words = int32s({1, 2, 3, 4, 5, 6, 7, 8}, false);
  writeTree(tmp.path(),
            {{"a/acqus", par(with(kAcqus, {{"NUCLEUS", "<13C>"}, {"DECIM", "32"}, {"DSPFVS", "10"}}))},
             {"a/fid", words},
             {"a/pdata/1/procs", par(with(kProcs, {{"XDIM", "64"}}))},
             {"b/acqus", par(without(with(kAcqus, {{"NUCLEUS", "<off>"}}), "DECIM"))},
             {"b/fid", words},
             {"b/pdata/1/procs", par(without(kProcs, "XDIM"))}});
  char sep = separatorOf(tmp.path());
  SPECINFO info;
  ASSERT_EQ(NMRGetParXWinNMR(below(tmp.path(), "a/fid", sep).c_str(), &info), 0);
  ASSERT_EQ(info.GetNucleus(1), nucleusNamed("13C"));
  ASSERT_EQ(info.GetXDIM(1), 64);
  ASSERT_EQ(NMRGetParXWinNMR(below(tmp.path(), "b/fid", sep).c_str(), &info), 0);
  EXPECT_EQ(info.GetNucleus(1), 0);
  EXPECT_EQ(info.GetXDIM(1), 0);
  EXPECT_EQ(info.GetDigDecim(1), 1u);
  EXPECT_EQ(info.GetDigFilter(1), 0.0f);
}

TEST(XWinNMRParameters, TwoDimensionsFromBothParameterSets) {
  qtest::TempDir tmp;
  writeTree(tmp.path(), {{"1/acqus", par(with(kAcqus, {{"TD", "1024"}}))},
                         {"1/acqu2s", par(with(kAcqus, {{"TD", "128"}, {"SFO1", "100.6"},
                                                        {"SW_h", "20000"}, {"NUCLEUS", "<13C>"}}))},
                         {"1/ser", "x"},
                         {"1/pdata/1/procs", par(with(kProcs, {{"SI", "512"}}))},
                         {"1/pdata/1/proc2s", par(with(kProcs, {{"SI", "256"}, {"OFFSET", "200"}}))},
                         {"1/pdata/1/rr", "x"},
                         {"1/pdata/1/ii", "x"}});
  char sep = separatorOf(tmp.path());
  struct Case {
    const char* name;
    const char* path;
    unsigned dataFormat;
  };
  const Case cases[] = {{"ser", "1/ser", 0x9}, {"rr", "1/pdata/1/rr", 0x8A | DF_COMPLEX}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SPECINFO info;
    ASSERT_EQ(NMRGetParXWinNMR(below(tmp.path(), c.path, sep).c_str(), &info), 0);
    EXPECT_EQ(info.GetDataFormat(), c.dataFormat);
    ASSERT_EQ(info.GetDimension(), 2u);
    EXPECT_EQ(info.GetSI(1), 512);
    EXPECT_EQ(info.GetSI(2), 256);
    EXPECT_EQ(info.GetTD(1), 512);  // complex points of a row
    EXPECT_EQ(info.GetTD(2), 128);
    EXPECT_EQ(info.GetNucleus(2), nucleusNamed("13C"));
    EXPECT_NEAR(info.GetF1(2), 200 * info.GetSF(2), 1e-1);
    EXPECT_NEAR(info.GetSW(2), 20000.0f, 1e-1);
  }
}

TEST(XWinNMRParameters, RefusesUnusableArguments) {
  SPECINFO info;
  EXPECT_EQ(NMRGetParXWinNMR(nullptr, &info), 256);
  EXPECT_EQ(NMRGetParXWinNMR("C:\\data\\1\\fid", nullptr), 256);
  std::string tooLong(300, 'a');
  EXPECT_EQ(NMRGetParXWinNMR(tooLong.c_str(), &info), 256);
}

// ---- intensities ---------------------------------------------------------------------

struct DataSet {
  std::string file;  // the named data file
  SPECINFO info;
  std::vector<float> real, imag;
  int status = -1;
};

// Parameters and data of `rel` in `root`, through the reader's own entries.
void readSet(const std::string& root, const std::string& rel, DataSet* set, bool withImag = true) {
  set->file = below(root, rel, separatorOf(root));
  ASSERT_EQ(NMRGetParXWinNMR(set->file.c_str(), &set->info), 0);
  std::size_t n = static_cast<std::size_t>(set->info.GetSI(1));
  if (set->info.GetDimension() == 2 && (set->info.GetDataFormat() & DF_FID))
    n *= static_cast<std::size_t>(set->info.GetSI(2));
  set->real.assign(n, -99.0f);
  set->imag.assign(n, -99.0f);
  set->status = NMRReadXWinNMR(set->file.c_str(), &set->info, set->real.data(),
                               withImag ? set->imag.data() : nullptr);
}

TEST(XWinNMRData, WordsInEveryStorage) {
  const std::vector<std::int32_t> words = {100, -200, 300000, -4, 5, 6, 2147483647, -2147483647 - 1};
  const std::vector<float> values = {1.5f, -2.25f, 3e6f, -4.0f, 0.0f, 6.5f, -7.0f, 8.125f};
  struct Case {
    const char* name;
    Pars acqus;
    Pars procs;
    Files data;  // relative to experiment "1"
    const char* named;
    std::vector<float> real, imag;
  };
  std::vector<float> wordsAsFloat(words.begin(), words.end());
  auto evens = [](const std::vector<float>& v) {
    std::vector<float> o;
    for (std::size_t i = 0; i < v.size(); i += 2) o.push_back(v[i]);
    return o;
  };
  auto odds = [](const std::vector<float>& v) {
    std::vector<float> o;
    for (std::size_t i = 1; i < v.size(); i += 2) o.push_back(v[i]);
    return o;
  };
  std::vector<float> zeros4(4, 0.0f);
  const Case cases[] = {
      {"fid, little-endian integers", kAcqus, kProcs, {{"fid", int32s(words, false)}}, "fid",
       evens(wordsAsFloat), odds(wordsAsFloat)},
      {"fid, big-endian integers", with(kAcqus, {{"BYTORDA", "1"}}), kProcs,
       {{"fid", int32s(words, true)}}, "fid", evens(wordsAsFloat), odds(wordsAsFloat)},
      {"fid, floats", with(kAcqus, {{"AQ_mod", "67"}, {"BYTORDA", "1"}}), kProcs,
       {{"fid", floats(values)}}, "fid", evens(values), odds(values)},
      {"fid, one channel", with(kAcqus, {{"AQ_mod", "0"}}), kProcs, {{"fid", int32s(words, false)}},
       "fid", {100, -200, 300000, -4}, zeros4},
      {"1r, little-endian", kAcqus, kProcs, {{"pdata/1/1r", int32s({1, -2, 3, -4}, false)}},
       "pdata/1/1r", {1, -2, 3, -4}, {-99, -99, -99, -99}},
      {"1r, big-endian processed data, little-endian fid", with(kAcqus, {{"BYTORDA", "0"}}),
       with(kProcs, {{"BYTORDP", "1"}}), {{"pdata/1/1r", int32s({1, -2, 3, -4}, true)}},
       "pdata/1/1r", {1, -2, 3, -4}, {-99, -99, -99, -99}},
      {"1r and 1i, big-endian", kAcqus, with(kProcs, {{"BYTORDP", "1"}}),
       {{"pdata/1/1r", int32s({1, 2, 3, 4}, true)}, {"pdata/1/1i", int32s({-5, -6, -7, -8}, true)}},
       "pdata/1/1r", {1, 2, 3, 4}, {-5, -6, -7, -8}},
      {"1i named, both parts read", kAcqus, kProcs,
       {{"pdata/1/1r", int32s({1, 2, 3, 4}, false)}, {"pdata/1/1i", int32s({-5, -6, -7, -8}, false)}},
       "pdata/1/1i", {1, 2, 3, 4}, {-5, -6, -7, -8}},
      {"1r, floats", with(kAcqus, {{"AQ_mod", "67"}}), kProcs,
       {{"pdata/1/1r", floats({0.5f, 1.5f, -2.5f, 1e-3f})}}, "pdata/1/1r", {0.5f, 1.5f, -2.5f, 1e-3f},
       {-99, -99, -99, -99}},
      {"upper-case names on disk", kAcqus, kProcs,
       {{"pdata/1/1R", int32s({1, 2, 3, 4}, false)}, {"pdata/1/1I", int32s({5, 6, 7, 8}, false)}},
       "pdata/1/1r", {1, 2, 3, 4}, {5, 6, 7, 8}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    qtest::TempDir tmp;
    Files files = {{"1/acqus", par(c.acqus)}, {"1/pdata/1/procs", par(c.procs)}};
    for (const auto& d : c.data) files.push_back({"1/" + d.first, d.second});
    writeTree(tmp.path(), files);
    DataSet set;
    readSet(tmp.path(), std::string("1/") + c.named, &set);
    ASSERT_EQ(set.status, 0);
    EXPECT_EQ(set.real, c.real);
    EXPECT_EQ(set.imag, c.imag);
    EXPECT_EQ(set.info.GetModTime(), GetTimeLastModified(set.file.c_str()));
  }
}

TEST(XWinNMRData, FailuresOfTheDataFiles) {
  const std::string four = int32s({1, 2, 3, 4}, false);
  struct Case {
    const char* name;
    Files files;
    const char* named;
    std::function<void(DataSet&)> change;  // between parameters and data
    bool withImag;
    int status;
  };
  auto remove = [](const char* rel) {
    return [rel](DataSet& s) {
      std::string f = s.file.substr(0, s.file.find_last_of("\\/") + 1) + rel;
      qtest::realOps().deleteFile(f.c_str());
    };
  };
  const Case cases[] = {
      {"1i gone before reading", experiment1D(kAcqus, kProcs, "", four, four), "1/pdata/1/1r",
       remove("1i"), true, 14},
      {"1r shorter than SI", experiment1D(kAcqus, kProcs, "", four, ""), "1/pdata/1/1r",
       [](DataSet& s) { s.info.SetSI(3, 1); qtest::writeBytes(s.file, std::string(8, '\0')); }, true,
       118},
      {"fid gone before reading", experiment1D(kAcqus, kProcs, four, "", ""), "1/fid", remove("fid"),
       true, 14},
      {"fid shorter than SI pairs", experiment1D(kAcqus, kProcs, four, "", ""), "1/fid",
       [](DataSet& s) { qtest::writeBytes(s.file, std::string(12, '\0')); }, true, 118},
      {"fid without imaginary buffer", experiment1D(kAcqus, kProcs, four, "", ""), "1/fid", nullptr,
       false, 133},
      {"NaN in float data", experiment1D(with(kAcqus, {{"AQ_mod", "67"}}), kProcs, "",
                                          floats({1.0f, std::numeric_limits<float>::quiet_NaN(), 2.0f, 3.0f}), ""),
       "1/pdata/1/1r", nullptr, true, 126},
      {"unknown data kind", experiment1D(kAcqus, kProcs, four, "", ""), "1/fid",
       [](DataSet& s) { s.info.SetDataFormat(DF_1D); }, true, 104},
      {"no dimensions", experiment1D(kAcqus, kProcs, four, "", ""), "1/fid",
       [](DataSet& s) { s.info.SetDimension(0); }, true, 256},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    qtest::TempDir tmp;
    writeTree(tmp.path(), c.files);
    DataSet set;
    set.file = below(tmp.path(), c.named, separatorOf(tmp.path()));
    ASSERT_EQ(NMRGetParXWinNMR(set.file.c_str(), &set.info), 0);
    std::vector<float> real(16), imag(16);
    if (c.change) c.change(set);
    EXPECT_EQ(NMRReadXWinNMR(set.file.c_str(), &set.info, real.data(), c.withImag ? imag.data() : nullptr),
              c.status);
  }
  qtest::TempDir tmp;
  writeTree(tmp.path(), experiment1D(kAcqus, kProcs, four, four, ""));
  DataSet set;
  set.file = below(tmp.path(), "1/pdata/1/1r", separatorOf(tmp.path()));
  ASSERT_EQ(NMRGetParXWinNMR(set.file.c_str(), &set.info), 0);
  float buffer[4];
  EXPECT_EQ(NMRReadXWinNMR(set.file.c_str(), &set.info, nullptr, buffer), 132);
  EXPECT_EQ(NMRReadXWinNMR(set.file.c_str(), nullptr, buffer, buffer), 256);
}

// A ser file of `rows` rows of `points` complex points, word value
// row * 1000 + word index, each row `stride` words long.
std::string serFile(int rows, int points, int stride) {
  std::vector<std::int32_t> w;
  for (int r = 0; r < rows; ++r)
    for (int i = 0; i < stride; ++i) w.push_back(i < 2 * points ? r * 1000 + i : -1);
  return int32s(w, false);
}

TEST(XWinNMRData, TwoDimensionalFidRowByRow) {
  struct Case {
    const char* name;
    int stride;  // words per row on disk
  };
  const Case cases[] = {{"rows padded to 256 words", 256}, {"rows not padded", 6}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    qtest::TempDir tmp;
    // 2 rows of 3 complex points acquired, processed as 4 x 4.
    writeTree(tmp.path(), {{"1/acqus", par(with(kAcqus, {{"TD", "6"}}))},
                           {"1/acqu2s", par(with(kAcqus, {{"TD", "2"}}))},
                           {"1/ser", serFile(2, 3, c.stride)},
                           {"1/pdata/1/procs", par(kProcs)},
                           {"1/pdata/1/proc2s", par(kProcs)}});
    DataSet set;
    readSet(tmp.path(), "1/ser", &set);
    ASSERT_EQ(set.status, 0);
    const std::vector<float> real = {0, 2, 4, 0, 1000, 1002, 1004, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const std::vector<float> imag = {1, 3, 5, 0, 1001, 1003, 1005, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(set.real, real);
    EXPECT_EQ(set.imag, imag);
  }
}

// ---- platform failures --------------------------------------------------------------

TEST(XWinNMRFaults, FailuresOfTheSystemBecomeStatuses) {
  qtest::TempDir tmp;
  writeTree(tmp.path(), experiment1D(kAcqus, kProcs, int32s({1, 2, 3, 4}, false),
                                     int32s({1, 2, 3, 4}, false), ""));
  char sep = separatorOf(tmp.path());
  std::string fid = below(tmp.path(), "1/fid", sep), r1 = below(tmp.path(), "1/pdata/1/1r", sep);
  struct Case {
    const char* name;
    const std::string* path;
    bool parameters;  // fail while reading parameters, else while reading data
    unsigned kinds;
    int status;
  };
  const Case cases[] = {
      {"no memory for acqus", &fid, true, qtest::kFaultMemory | qtest::kFaultHeap, 258},
      {"fid read fails", &fid, false, qtest::kFaultRead, 118},
      {"no work area for the fid", &fid, false, qtest::kFaultHeap | qtest::kFaultMemory, 258},
      {"1r will not open", &r1, false, qtest::kFaultOpen, 14},
      {"1r read fails", &r1, false, qtest::kFaultRead, 118},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SPECINFO info;
    float real[4], imag[4];
    if (c.parameters) {
      qtest::FaultPlan plan(c.kinds, 1);
      EXPECT_EQ(NMRGetParXWinNMR(c.path->c_str(), &info), c.status);
      EXPECT_TRUE(plan.fired());
    } else {
      ASSERT_EQ(NMRGetParXWinNMR(c.path->c_str(), &info), 0);
      qtest::FaultPlan plan(c.kinds, 1);
      EXPECT_EQ(NMRReadXWinNMR(c.path->c_str(), &info, real, imag), c.status);
      EXPECT_TRUE(plan.fired());
    }
  }
}

// ---- through the dispatchers ---------------------------------------------------------

TEST(XWinNMRDispatch, FailuresShownOnceUnderTheReadersContext) {
  qtest::TempDir tmp;
  writeTree(tmp.path(), experiment1D(without(kAcqus, "SFO1"), kProcs, int32s({1, 2, 3, 4}, false),
                                     "", ""));
  std::string fid = below(tmp.path(), "1/fid", separatorOf(tmp.path()));
  ASSERT_EQ(NMRCheckFormat(fid.c_str()), FF_XWINNMR);
  SPECINFO info;
  info.SetFormat(FF_XWINNMR);
  qtest::UiCapture ui;
  EXPECT_EQ(NMRGetParameters(nullptr, fid.c_str(), &info), 0);
  std::vector<std::string> lines = ui.only().lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "Error: 101 - Code: 7");
  EXPECT_EQ(lines[1], "Error retrieving XWinNMR parameter!");
  EXPECT_EQ(lines[2], "Parameter entry for SF missing!");

  ui.clear();
  qtest::writeBytes(tmp.file("1") + separatorOf(tmp.path()) + "acqus", par(kAcqus));
  ASSERT_EQ(NMRGetParameters(nullptr, fid.c_str(), &info), 1);
  qtest::writeBytes(fid, "");
  float real[2], imag[2];
  EXPECT_EQ(NMRReadSpectrum(fid.c_str(), &info, real, imag), 0);
  lines = ui.only().lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "Error: 111 - Code: 118");
  EXPECT_EQ(lines[1], "Error reading XWinNMR spectrum!");
}

// ---- real data sets ---------------------------------------------------------------------

// The value of ##$NAME= in a parameter file, as text ("" when absent).
std::string parValue(const std::string& text, const std::string& name) {
  std::string key = "##$" + name + "=";
  std::size_t at = 0;
  while ((at = text.find(key, at)) != std::string::npos) {
    if (at == 0 || text[at - 1] == '\n') {
      std::size_t start = at + key.size();
      std::size_t end = text.find_first_of("\r\n", start);
      std::string v = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
      std::size_t first = v.find_first_not_of(' ');
      return first == std::string::npos ? "" : v.substr(first);
    }
    at += key.size();
  }
  return "";
}

double parNumber(const std::string& text, const std::string& name) {
  std::string v = parValue(text, name);
  EXPECT_FALSE(v.empty()) << name;
  return std::strtod(v.c_str(), nullptr);
}

std::int32_t wordAt(const std::string& bytes, std::size_t index, bool bigEndian) {
  const auto* b = reinterpret_cast<const unsigned char*>(bytes.data() + 4 * index);
  std::uint32_t u = bigEndian ? (std::uint32_t(b[0]) << 24 | std::uint32_t(b[1]) << 16 |
                                 std::uint32_t(b[2]) << 8 | b[3])
                              : (std::uint32_t(b[3]) << 24 | std::uint32_t(b[2]) << 16 |
                                 std::uint32_t(b[1]) << 8 | b[0]);
  return static_cast<std::int32_t>(u);
}

// Group delays of the digital filter for the firmware / decimation pairs of
// the real data sets that predate GRPDLY.
float tableDelay(int firmware, int decim) {
  static const std::map<std::pair<int, int>, float> delays = {
      {{10, 6}, 59.0833f}, {{10, 12}, 60.375f}, {{10, 24}, 61.0208f},
      {{12, 8}, 53.289f},  {{12, 16}, 71.6f},   {{12, 32}, 72.138f}};
  auto it = delays.find({firmware, decim});
  return it == delays.end() ? 0.0f : it->second;
}

TEST(XWinNMRRealData, EveryDataFileOfTheSets) {
  std::string data;
  QTEST_REQUIRE_TESTDATA(data);
  struct Case {
    const char* path;  // below testdata/bruker
    bool detected;
    std::vector<std::int32_t> firstWords;  // of the named file, as the collection measured them
  };
  const Case cases[] = {
      {"npm-nmredata-data-test-menthol/10/fid", true, {}},
      {"npm-nmredata-data-test-menthol/10/pdata/1/1r", true, {}},
      {"npm-nmredata-data-test-menthol/10/pdata/1/1i", true, {}},
      {"npm-bruker-data-test-1.0.0/aspirin-1h/1/fid", true, {}},
      {"npm-bruker-data-test-1.0.0/aspirin-1h/1/pdata/1/1r", false, {}},
      {"npm-bruker-data-test-1.0.0/aspirin-1h-processed/1/fid", false, {}},
      {"npm-bruker-data-test-1.0.0/aspirin-1h-processed/1/pdata/1/1r", true, {-1896, -660, 157, -597}},
      {"npm-bruker-data-test-1.0.0/aspirin-1h-processed/1/pdata/1/1i", true,
       {-115954, -114136, -113997, -113666}},
      {"npm-bruker-data-test-1.0.0/naphtoicAcid-1h/1/fid", true, {}},
      {"npm-bruker-data-test-1.0.0/naphtoicAcid-1h/1/1D_real", false, {}},
      {"npm-bruker-data-test-1.0.0/cyclosporin_1h/1/fid", true, {0, 1, -5, -4}},
      {"npm-bruker-data-test-1.0.0/cyclosporin_1h/1/pdata/1/1r", true,
       {-713129, -707846, -709357, -702071}},
      {"npm-bruker-data-test-1.0.0/cyclosporin_1h/1/pdata/1/1i", true, {}},
      {"npm-bruker-data-test-1.0.0/strychnine/10/fid", true, {}},
      {"npm-bruker-data-test-1.0.0/strychnine/10/pdata/1/1r", true, {-163, -21468, -29483, -28134}},
      {"npm-bruker-data-test-1.0.0/strychnine/10/pdata/1/1i", true, {}},
      {"NMRPy-nmrpy/bruker1/1/fid", true, {}},
      {"NMRPy-nmrpy/bruker1/1/pdata/1/1r", false, {}},
      {"NMRPy-nmrpy/bruker2/1/fid", true, {}},
      {"NMRPy-nmrpy/bruker2/1/pdata/1/1r", true, {-1847964, -1714742, -1710841, -1819765}},
      {"NMRPy-nmrpy/bruker2/1/pdata/1/1i", true, {}},
      {"NMRPy-nmrpy/bruker2/10/fid", true, {}},
      {"NMRPy-nmrpy/bruker2/10/pdata/1/1r", true, {-866635, -952392, -1049996, -1132287}},
      {"NMRPy-nmrpy/bruker2/10/pdata/1/1i", true, {}},
      {"NMRPy-nmrpy/bruker2/2/fid", true, {}},
      {"NMRPy-nmrpy/bruker2/2/pdata/1/1r", true, {-1175722, -1135763, -1102907, -1078206}},
      {"NMRPy-nmrpy/bruker2/2/pdata/1/1i", true, {274231, 236614, 193201, 145597}},
      {"NMRPy-nmrpy/bruker2/3/fid", true, {}},
      {"NMRPy-nmrpy/bruker2/3/pdata/1/1r", true, {-1132628, -1220680, -1235394, -1124426}},
      {"NMRPy-nmrpy/bruker2/3/pdata/1/1i", true, {}},
      {"jjhelmus-nmrglue__bruker_test_data/1/fid", false, {}},
      {"jjhelmus-nmrglue__bruker_test_data/1/pdata/1/1r", true, {-290206720, -278200832}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    std::string path = data + "/bruker/" + c.path;
    EXPECT_EQ(NMRIsXWinNMR(path.c_str()), c.detected ? 1 : 0);
    int format = NMRCheckFormat(path.c_str());
    if (!c.detected) {
      EXPECT_NE(format, FF_XWINNMR);
      continue;
    }
    ASSERT_EQ(format, FF_XWINNMR);

    // What the files say.
    std::string file = c.path;
    bool fid = file.size() >= 3 && file.compare(file.size() - 3, 3, "fid") == 0;
    std::string expDir = path.substr(0, fid ? path.size() - 3 : path.find("/pdata/") + 1);
    std::string procDir = fid ? expDir + "pdata/1/" : path.substr(0, path.size() - 2);
    std::string acqus = qtest::readBytes(expDir + "acqus"), procs = qtest::readBytes(procDir + "procs");
    std::string bytes = qtest::readBytes(path);
    ASSERT_FALSE(acqus.empty());
    ASSERT_FALSE(procs.empty());
    double sfo1 = parNumber(acqus, "SFO1"), swh = parNumber(acqus, "SW_h");
    double offset = parNumber(procs, "OFFSET");
    int firmware = static_cast<int>(parNumber(acqus, "DSPFVS"));
    int decim = static_cast<int>(parNumber(acqus, "DECIM"));
    int aqmod = static_cast<int>(parNumber(acqus, "AQ_mod"));
    bool bigAcq = parNumber(acqus, "BYTORDA") == 1, bigProc = parNumber(procs, "BYTORDP") == 1;
    bool big = fid ? bigAcq : bigProc;
    long words = static_cast<long>(bytes.size() / 4);
    long si = fid ? words / 2 : words;
    float delay = firmware >= 20 ? static_cast<float>(parNumber(acqus, "GRPDLY"))
                                 : tableDelay(firmware, decim);
    std::string label = parValue(acqus, "NUCLEUS");
    label = label.substr(1, label.find('>') - 1);
    int nucleus = nucleusNamed(label) > 0 ? nucleusNamed(label) : 0;

    SPECINFO info;
    info.SetFormat(FF_XWINNMR);
    qtest::UiCapture ui;
    ASSERT_EQ(NMRGetParameters(nullptr, path.c_str(), &info), 1);
    ASSERT_EQ(info.GetDimension(), 1u);
    EXPECT_EQ(info.GetSI(1), si);
    EXPECT_EQ(info.GetTD(1), si);
    double sf = (sfo1 + swh * 5e-7) / (1 + offset * 1e-6);
    EXPECT_NEAR(info.GetSF(1), sf, 2e-4);
    // TopSpin's own reference frequency of the spectrum agrees.
    EXPECT_NEAR(info.GetSF(1), parNumber(procs, "SF"), 2e-3);
    EXPECT_NEAR(info.GetF1(1), sf * offset, std::fabs(sf * offset) * 3e-6 + 5e-2);
    EXPECT_NEAR(info.GetSW(1), swh, 1e-2);
    EXPECT_NEAR(info.GetSW(1), parNumber(procs, "SW_p"), 1e-2);
    EXPECT_EQ(info.GetNucleus(1), nucleus) << label;
    EXPECT_NEAR(info.GetDigFilter(1), delay, 1e-3);
    EXPECT_EQ(info.GetDigDecim(1), static_cast<unsigned>(decim));
    EXPECT_FLOAT_EQ(info.GetNC(1), std::pow(2.0f, static_cast<float>(parNumber(acqus, "NC"))));
    EXPECT_FLOAT_EQ(info.GetNC(2), std::pow(2.0f, static_cast<float>(parNumber(procs, "NC_proc"))));
    EXPECT_EQ(info.GetAQMode(1), static_cast<unsigned>(aqmod) | (bigAcq ? AQ_BIGENDIAN_ACQ : 0u) |
                                     (bigProc ? AQ_BIGENDIAN_PROC : 0u));

    std::vector<float> real(static_cast<std::size_t>(si)), imag(static_cast<std::size_t>(si));
    ASSERT_EQ(NMRReadSpectrum(path.c_str(), &info, real.data(), imag.data()), 1);
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(std::string(info.GetFileName()), path);

    // A spectrum with both parts is read complex, whichever part is named:
    // the real part into the real buffer.
    bool namedImag = !fid && file.back() == 'i';
    std::string partnerPath = procDir + (namedImag ? "1r" : "1i");
    bool partner = !fid && qtest::fileExists(partnerPath);
    EXPECT_EQ((info.GetDataFormat() & DF_COMPLEX) != 0, partner);
    const std::vector<float>& own = namedImag && partner ? imag : real;
    const std::vector<float>& other = namedImag ? real : imag;
    std::string otherBytes = partner ? qtest::readBytes(partnerPath) : std::string();

    // The words of the files, in their declared byte order.
    for (std::size_t k : {std::size_t(0), std::size_t(1), std::size_t(words / 3), std::size_t(si - 1)}) {
      if (fid) {
        EXPECT_EQ(real[k], static_cast<float>(wordAt(bytes, 2 * k, big))) << "point " << k;
        EXPECT_EQ(imag[k], static_cast<float>(wordAt(bytes, 2 * k + 1, big))) << "point " << k;
      } else {
        EXPECT_EQ(own[k], static_cast<float>(wordAt(bytes, k, big))) << "point " << k;
        if (partner) {
          EXPECT_EQ(other[k], static_cast<float>(wordAt(otherBytes, k, big))) << "point " << k;
        }
      }
    }
    for (std::size_t k = 0; k < c.firstWords.size(); ++k)
      EXPECT_EQ(fid ? (k % 2 ? imag[k / 2] : real[k / 2]) : own[k], static_cast<float>(c.firstWords[k]))
          << "word " << k;
  }
}

}  // namespace
