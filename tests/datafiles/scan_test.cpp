// The parameter-file scanners: loading a file, lines and keys, Bruker-style
// and key=value lookups, binary WinNMR records, JCAMP-DX labels and label
// lines.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "datafiles/convera.h"
#include "datafiles/scan_internal.h"
#include "support/capture.h"
#include "support/faults.h"
#include "support/files.h"
#include "support/module_names.h"
#include "winutil/platform/platform.h"

namespace {

// Keyword identifiers of Convera's table.
constexpr int kAqMod = 1000, kBytordA = 1001, kDecim = 1002, kDspfvs = 1003, kGrpdly = 1004,
              kNC = 1005, kNucleus = 1006, kSFO1 = 1007, kSWh = 1008, kTD = 1009, kBytordP = 1010,
              kNCproc = 1011, kOffset = 1012, kSI = 1013, kXDIM = 1014, kCh1 = 1020, kSw = 1022,
              kDatatype = 1023, kDomain1 = 1024, kNoSuchText = 4000;

// A copy of `bytes` in a heap block of exactly that size, so that a read
// past its end is caught; `shift` moves it off the allocator's alignment.
class Exact {
 public:
  explicit Exact(const std::string& bytes, std::size_t shift = 0)
      : block_(new char[bytes.size() + shift]), size_(static_cast<long>(bytes.size())) {
    if (!bytes.empty()) std::memcpy(block_.get() + shift, bytes.data(), bytes.size());
    data_ = block_.get() + shift;
  }
  const char* data() const { return data_; }
  long size() const { return size_; }

 private:
  std::unique_ptr<char[]> block_;
  const char* data_;
  long size_;
};

HANDLE openForReading(const std::string& path) {
  return plat::openFile(path.c_str(), plat::Access::Read, plat::Share::ReadWrite,
                        plat::Disposition::OpenExisting);
}

std::string key(const char* name) { return std::string("##$") + name + "="; }

const char kAcqus[] =
    "##TITLE= Parameter file, XWIN-NMR\n"
    "##$AQ_mod= 3\n"
    "##$BYTORDA= 1\n"
    "##$DECIM= 32\n"
    "##$DSPFVS= 12\n"
    "##$GRPDLY= -1\n"
    "##$NC_proc= 5\n"
    "##$NC= -2\n"
    "##$NUCLEUS= <off>\n"
    "##$SFO1= 400.131880611\r\n"
    "##$SW= 20\n"
    "##$SW_h= 8000\n"
    "\n"
    "##$BYTORDP= 0\n"
    "##$TD= 16384";  // no final line feed

struct UxRow {
  int id;
  const char* name;
  bool found;
  double value;
};

const UxRow kAcqusRows[] = {
    {kAqMod, "AQ_mod", true, 3},      {kBytordA, "BYTORDA", true, 1},
    {kDecim, "DECIM", true, 32},      {kDspfvs, "DSPFVS", true, 12},
    {kGrpdly, "GRPDLY", true, -1},    {kNC, "NC", true, -2},
    {kNCproc, "NC_proc", true, 5},    {kNucleus, "NUCLEUS", true, 0},
    {kSFO1, "SFO1", true, 400.131880611}, {kSWh, "SW_h", true, 8000},
    {kBytordP, "BYTORDP", true, 0},   {kTD, "TD", true, 16384},
    {kOffset, "OFFSET", false, 0},    {kSI, "SI", false, 0},
    {kXDIM, "XDIM", false, 0},
};

TEST(ScanBruker, LookupsOfAnAcqusBuffer) {
  qtest::UiCapture ui;
  Exact buf(std::string(kAcqus, sizeof kAcqus - 1));
  for (const UxRow& r : kAcqusRows) {
    long l = 99;
    float f = 99.0f;
    double d = 99.0;
    EXPECT_EQ(ReadUXNMRLong(buf.data(), buf.size(), r.id, &l), r.found ? 1 : 0) << r.name;
    EXPECT_EQ(ReadUXNMRFloat(buf.data(), buf.size(), r.id, &f), r.found ? 1 : 0) << r.name;
    EXPECT_EQ(ReadUXNMRDouble(buf.data(), buf.size(), r.id, &d), r.found ? 1 : 0) << r.name;
    EXPECT_EQ(l, static_cast<long>(r.value)) << r.name;
    EXPECT_EQ(f, static_cast<float>(r.value)) << r.name;
    EXPECT_EQ(d, r.value) << r.name;
    const char* at = SearchUnixPar(r.id, buf.data(), buf.size());
    if (r.found) {
      ASSERT_NE(at, nullptr) << r.name;
      EXPECT_EQ(std::string(at - key(r.name).size(), key(r.name).size()), key(r.name)) << r.name;
    } else {
      EXPECT_EQ(at, nullptr) << r.name;
    }
  }
  // ##$SW= is a line of its own, not the start of ##$SW_h=.
  const char* sw = Search("##$SW=", buf.data(), buf.size());
  ASSERT_NE(sw, nullptr);
  EXPECT_EQ(std::strncmp(sw, " 20\n", 4), 0);
  EXPECT_EQ(SearchUnixPar(kNoSuchText, buf.data(), buf.size()), nullptr);
  EXPECT_TRUE(ui.boxes().empty()) << "a missing parameter is not reported";
}

TEST(ScanBruker, KeyMustStartTheLine) {
  struct Case {
    const char* name;
    std::string text;
    bool found;
    long value;
  };
  const Case cases[] = {
      {"indented", "  ##$TD= 5\n", false, 0},
      {"inside a line", "x##$TD= 5\n", false, 0},
      {"lower case", "##$td= 5\n", false, 0},
      {"without =", "##$TD 5\n##$TDX= 9\n", false, 0},
      {"after a blank line", "##$SI= 4\n\n##$TD= 7\n", true, 7},
      {"after several blank lines", "\n\n\n##$TD= 8", true, 8},
      {"CR LF lines", "##$SI= 4\r\n##$TD= 9\r\n", true, 9},
      {"first of two", "##$TD= 1\n##$TD= 2\n", true, 1},
      {"value on the next line", "##$TD=\n12\n", true, 12},
      {"no digits", "##$TD= (0..1)\n", true, 0},
      {"just the key at the end", "##$TD=", true, 0},
      {"saturates at 32 bits", "##$TD= 99999999999\n", true, 2147483647L},
      {"saturates below", "##$TD= -99999999999\n", true, -2147483647L - 1},
  };
  for (const Case& c : cases) {
    Exact buf(c.text);
    long v = 99;
    EXPECT_EQ(ReadUXNMRLong(buf.data(), buf.size(), kTD, &v), c.found ? 1 : 0) << c.name;
    EXPECT_EQ(v, c.value) << c.name;
  }
}

TEST(ScanBruker, LongLinesAreExaminedIn199CharacterSegments) {
  struct Case {
    const char* name;
    std::string text;
    bool found;
    long value;
  };
  const Case cases[] = {
      {"key opens the second segment", std::string(199, 'x') + "##$TD= 5\n", true, 5},
      {"key opens the third segment", std::string(398, 'y') + "##$TD= 6", true, 6},
      {"key across a segment boundary", std::string(195, 'x') + "##$TD= 7\n", false, 0},
      {"line feed right after a full segment", std::string(199, 'x') + "\n##$TD= 8\n", true, 8},
      {"key inside a segment", std::string(10, 'x') + "##$TD= 9\n", false, 0},
  };
  for (const Case& c : cases) {
    Exact buf(c.text);
    long v = 99;
    EXPECT_EQ(ReadUXNMRLong(buf.data(), buf.size(), kTD, &v), c.found ? 1 : 0) << c.name;
    EXPECT_EQ(v, c.value) << c.name;
  }
  // A key longer than any examined line is never found.
  std::string longKey(200, 'k');
  Exact buf(longKey + "\n");
  EXPECT_EQ(Search(longKey.c_str(), buf.data(), buf.size()), nullptr);
}

TEST(ScanBruker, EveryPrefixOfAnAcqusBuffer) {
  const std::string full(kAcqus, sizeof kAcqus - 1);
  for (std::size_t n = 0; n <= full.size(); ++n) {
    const std::string prefix = full.substr(0, n);
    Exact buf(prefix);
    for (const UxRow& r : kAcqusRows) {
      const std::string k = key(r.name);
      std::size_t at = std::string::npos;  // the first occurrence that starts a line
      for (std::size_t from = 0; (from = prefix.find(k, from)) != std::string::npos; ++from) {
        if (from == 0 || prefix[from - 1] == '\n') {
          at = from;
          break;
        }
      }
      bool present = at != std::string::npos;
      long l = 99;
      float f = 99.0f;
      double d = 99.0;
      ASSERT_EQ(ReadUXNMRLong(buf.data(), buf.size(), r.id, &l), present ? 1 : 0) << r.name << " in " << n;
      ASSERT_EQ(ReadUXNMRFloat(buf.data(), buf.size(), r.id, &f), present ? 1 : 0) << r.name << " in " << n;
      ASSERT_EQ(ReadUXNMRDouble(buf.data(), buf.size(), r.id, &d), present ? 1 : 0) << r.name << " in " << n;
      bool wholeLine = present && prefix.find('\n', at) != std::string::npos;
      if (wholeLine || n == full.size()) {
        EXPECT_EQ(d, r.value) << r.name << " in " << n;
      }
      if (!present) {
        EXPECT_EQ(d, 0.0) << r.name << " in " << n;
      }
    }
  }
}

TEST(ScanBruker, RealAcquisitionAndProcessingFiles) {
  std::string dir;
  QTEST_REQUIRE_TESTDATA(dir);
  // 31P, XWIN-NMR 2.6; the values are those written in the files.
  std::string exp = dir + "/bruker/NMRPy-nmrpy/bruker2/2/";
  long length = 0;
  char* acqus = NMRAllocRead(openForReading(exp + "acqus"), &length);
  ASSERT_NE(acqus, nullptr) << exp << "acqus";
  EXPECT_EQ(acqus[length], 0);
  long l = 0;
  float f = 0;
  double d = 0;
  EXPECT_EQ(ReadUXNMRLong(acqus, length, kTD, &l), 1);
  EXPECT_EQ(l, 17542);
  EXPECT_EQ(ReadUXNMRLong(acqus, length, kDecim, &l), 1);
  EXPECT_EQ(l, 12);
  EXPECT_EQ(ReadUXNMRLong(acqus, length, kDspfvs, &l), 1);
  EXPECT_EQ(l, 10);
  EXPECT_EQ(ReadUXNMRLong(acqus, length, kBytordA, &l), 1);
  EXPECT_EQ(l, 1);
  EXPECT_EQ(ReadUXNMRLong(acqus, length, kAqMod, &l), 1);
  EXPECT_EQ(l, 1);
  EXPECT_EQ(ReadUXNMRFloat(acqus, length, kNC, &f), 1);
  EXPECT_EQ(f, -1.0f);
  EXPECT_EQ(ReadUXNMRDouble(acqus, length, kSWh, &d), 1);
  EXPECT_EQ(d, 14619.8830409357);
  EXPECT_EQ(ReadUXNMRDouble(acqus, length, kSFO1, &d), 1);
  EXPECT_EQ(d, 242.937185);
  EXPECT_EQ(ReadUXNMRLong(acqus, length, kNucleus, &l), 1);
  EXPECT_EQ(l, 0) << "NUCLEUS is <off>";
  EXPECT_EQ(ReadUXNMRFloat(acqus, length, kGrpdly, &f), 0) << "this file has no GRPDLY";
  const char* sw = Search("##$SW=", acqus, length);
  ASSERT_NE(sw, nullptr);
  EXPECT_EQ(std::strtod(sw, nullptr), 60.1796840649803);
  NMRFreeBuffer(acqus);

  char* procs = NMRAllocRead(openForReading(exp + "pdata/1/procs"), &length);
  ASSERT_NE(procs, nullptr);
  EXPECT_EQ(ReadUXNMRLong(procs, length, kSI, &l), 1);
  EXPECT_EQ(l, 65536);
  EXPECT_EQ(ReadUXNMRLong(procs, length, kXDIM, &l), 1);
  EXPECT_EQ(l, 8192);
  EXPECT_EQ(ReadUXNMRLong(procs, length, kBytordP, &l), 1);
  EXPECT_EQ(l, 1);
  EXPECT_EQ(ReadUXNMRFloat(procs, length, kOffset, &f), 1);
  EXPECT_EQ(f, 31.47019f);
  EXPECT_EQ(ReadUXNMRFloat(procs, length, kNCproc, &f), 1);
  EXPECT_EQ(f, -2.0f);
  NMRFreeBuffer(procs);
}

// ---- key=value lines -------------------------------------------------------------------

TEST(ScanKeyValue, SpinsightStyleLookups) {
  Exact buf(std::string("sweep=12.5\nsw=50.0\n\nch1=2\ndomain1= 1\nxdatatype=9\ndatatype=3"));
  long l = 99;
  double d = 99;
  EXPECT_EQ(ReadParDouble(buf.data(), buf.size(), kSw, &d), 1);
  EXPECT_EQ(d, 50.0) << "sw= must not match sweep=";
  EXPECT_EQ(ReadParLong(buf.data(), buf.size(), kCh1, &l), 1);
  EXPECT_EQ(l, 2);
  EXPECT_EQ(ReadParLong(buf.data(), buf.size(), kDomain1, &l), 1);
  EXPECT_EQ(l, 1);
  EXPECT_EQ(ReadParLong(buf.data(), buf.size(), kDatatype, &l), 1);
  EXPECT_EQ(l, 3) << "the key must start the line; the last line has no line feed";
  EXPECT_EQ(ReadParLong(buf.data(), buf.size(), kNoSuchText, &l), 0);
  EXPECT_EQ(l, 0);

  Exact only(std::string("sweep=12.5\n"));
  d = 99;
  EXPECT_EQ(ReadParDouble(only.data(), only.size(), kSw, &d), 0);
  EXPECT_EQ(d, 0.0);
}

TEST(ScanKeyValue, SearchPointsAfterTheKey) {
  Exact buf(std::string("alpha=1\n\nbeta=2\ngamma"));
  const char* b = Search("beta=", buf.data(), buf.size());
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b, buf.data() + 14);
  const char* g = Search("gamma", buf.data(), buf.size());
  EXPECT_EQ(g, buf.data() + buf.size()) << "a key that ends the buffer is found";
  EXPECT_EQ(Search("gammas", buf.data(), buf.size()), nullptr);
  EXPECT_EQ(Search("alpha=", buf.data(), 0), nullptr);
  EXPECT_EQ(Search("beta=", buf.data(), 9), nullptr) << "only `length` bytes are searched";
}

TEST(ScanKeyValue, GetLineCases) {
  struct Case {
    const char* name;
    std::string in;
    long remaining;
    long outSize;
    const char* out;
    long result;
  };
  const Case cases[] = {
      {"line", "abc\ndef", 7, 200, "abc", 3},
      {"empty line", "\nabc", 4, 200, "", 1},
      {"one character", "a\nb", 3, 200, "a", 1},
      {"carriage return kept", "ab\r\ncd", 6, 200, "ab\r", 3},
      {"remaining ends it", "abcdef", 2, 200, "ab", 2},
      {"no remaining", "abc", 0, 200, "", 1},
      {"out size ends it", "abcdef\n", 7, 3, "ab", 2},
      {"out size 1", "abc", 3, 1, "", 1},
      {"no line feed", "xyz", 3, 200, "xyz", 3},
  };
  qtest::UiCapture ui;
  for (const Case& c : cases) {
    Exact buf(c.in);
    std::vector<char> out(static_cast<std::size_t>(c.outSize), '#');
    EXPECT_EQ(GetLine(out.data(), c.outSize, buf.data(), c.remaining), c.result) << c.name;
    EXPECT_STREQ(out.data(), c.out) << c.name;
  }
  EXPECT_TRUE(ui.boxes().empty());
}

// ---- unusable arguments ------------------------------------------------------------------

TEST(ScanArguments, UnusableBuffersAreReportedOnce) {
  static char text[] = "##$TD= 5\n";
  const long n = sizeof text - 1;
  struct Case {
    const char* name;
    std::function<long()> call;
  };
  long l = 99;
  float f = 99;
  double d = 99;
  char line[16];
  const Case cases[] = {
      {"GetLine null buffer", [&] { return GetLine(line, sizeof line, nullptr, 5); }},
      {"GetLine negative remaining", [&] { return GetLine(line, sizeof line, text, -1); }},
      {"GetLine null out", [&] { return GetLine(nullptr, 16, text, n); }},
      {"GetLine out size 0", [&] { return GetLine(line, 0, text, n); }},
      {"Search null buffer", [&] { return Search("##$TD=", nullptr, n) ? 1L : 0L; }},
      {"Search null key", [&] { return Search(nullptr, text, n) ? 1L : 0L; }},
      {"Search negative length", [&] { return Search("##$TD=", text, -5) ? 1L : 0L; }},
      {"SearchUnixPar null buffer", [&] { return SearchUnixPar(kTD, nullptr, n) ? 1L : 0L; }},
      {"ReadParLong", [&] { return static_cast<long>(ReadParLong(nullptr, n, kCh1, &l)); }},
      {"ReadParDouble", [&] { return static_cast<long>(ReadParDouble(nullptr, n, kSw, &d)); }},
      {"ReadUXNMRLong", [&] { return static_cast<long>(ReadUXNMRLong(nullptr, n, kTD, &l)); }},
      {"ReadUXNMRFloat", [&] { return static_cast<long>(ReadUXNMRFloat(nullptr, n, kNC, &f)); }},
      {"ReadUXNMRDouble", [&] { return static_cast<long>(ReadUXNMRDouble(nullptr, n, kSWh, &d)); }},
      {"ReadUXNMRLong negative length", [&] { return static_cast<long>(ReadUXNMRLong(text, -1, kTD, &l)); }},
      {"ReadUXNMRLong null out", [&] { return static_cast<long>(ReadUXNMRLong(text, n, kTD, nullptr)); }},
      {"ReadWinNMRLong", [&] { return static_cast<long>(ReadWinNMRLong(nullptr, 56, kTD, &l)); }},
      {"ReadWinNMRFloat", [&] { return static_cast<long>(ReadWinNMRFloat(nullptr, 56, kNC, &f)); }},
      {"ReadWinNMRDouble", [&] { return static_cast<long>(ReadWinNMRDouble(nullptr, 56, kSFO1, &d)); }},
      {"ReadWinNMRDouble null out", [&] { return static_cast<long>(ReadWinNMRDouble(text, n, kSFO1, nullptr)); }},
  };
  const std::string convera = qtest::moduleName(ConveraModule());
  for (const Case& c : cases) {
    qtest::UiCapture ui;
    l = 99;
    f = 99;
    d = 99;
    EXPECT_EQ(c.call(), 0) << c.name;
    ASSERT_EQ(ui.boxes().size(), 1u) << c.name;
    EXPECT_EQ(ui.boxes()[0].caption, convera) << c.name;
    auto lines = ui.boxes()[0].lines();
    ASSERT_EQ(lines.size(), 3u) << c.name;
    EXPECT_EQ(lines[0], "Error: 256 - Code: 257") << c.name;
    EXPECT_EQ(lines[1], "Call with invalid argument!") << c.name;
    EXPECT_EQ(lines[2], "Invalid data pointer!") << c.name;
    EXPECT_TRUE(l == 0 || l == 99) << c.name;  // an output that can be written is cleared
  }
  // The outputs of the lookups are cleared before the buffer is refused.
  qtest::UiCapture ui;
  l = 99;
  ReadUXNMRLong(nullptr, n, kTD, &l);
  EXPECT_EQ(l, 0);
  d = 99;
  ReadWinNMRDouble(nullptr, 56, kSFO1, &d);
  EXPECT_EQ(d, 0.0);
}

// ---- binary WinNMR records ------------------------------------------------------------

std::string field(const char* name) {
  std::string f(name);
  f.resize(20, '\0');
  return f;
}

std::string le(std::uint64_t v, int bytes) {
  std::string s;
  for (int i = 0; i < bytes; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
  return s;
}

std::string intRecord(const char* name, std::int32_t v) {
  return field(name) + le(static_cast<std::uint32_t>(v), 4) + le(0, 4);
}

std::string floatRecord(const char* name, float v) {
  std::uint32_t bits;
  std::memcpy(&bits, &v, 4);
  return field(name) + le(bits, 4) + le(0, 4);
}

std::string doubleRecord(const char* name, double v) {
  std::uint64_t bits;
  std::memcpy(&bits, &v, 8);
  return field(name) + le(bits, 8);
}

std::string winnmrFile() {
  return intRecord("A000", 0) + intRecord("TDX", 1) + intRecord("TD", 16384) +
         floatRecord("NC", -2.5f) + doubleRecord("SFO1", 400.131880611) +
         doubleRecord("SW_h", 8012.82) + intRecord("AQ_mod", 3) + intRecord("DECIM", -7);
}

TEST(ScanWinNMR, RecordLookups) {
  const std::string file = winnmrFile();
  for (std::size_t shift : {0u, 1u, 3u}) {  // records at unaligned addresses
    Exact buf(file, shift);
    long l = 99;
    float f = 99;
    double d = 99;
    EXPECT_EQ(ReadWinNMRLong(buf.data(), buf.size(), kTD, &l), 1);
    EXPECT_EQ(l, 16384) << "TDX must not match TD; shift " << shift;
    EXPECT_EQ(ReadWinNMRFloat(buf.data(), buf.size(), kNC, &f), 1);
    EXPECT_EQ(f, -2.5f);
    EXPECT_EQ(ReadWinNMRDouble(buf.data(), buf.size(), kSFO1, &d), 1);
    EXPECT_EQ(d, 400.131880611);
    EXPECT_EQ(ReadWinNMRDouble(buf.data(), buf.size(), kSWh, &d), 1);
    EXPECT_EQ(d, 8012.82);
    EXPECT_EQ(ReadWinNMRLong(buf.data(), buf.size(), kDecim, &l), 1);
    EXPECT_EQ(l, -7);
    EXPECT_EQ(ReadWinNMRLong(buf.data(), buf.size(), kSI, &l), 0);
    EXPECT_EQ(l, 0);
    EXPECT_EQ(ReadWinNMRLong(buf.data(), buf.size(), kNoSuchText, &l), 0);
  }
}

TEST(ScanWinNMR, OnlyWholeRecordsAreSearched) {
  const std::string file = winnmrFile();
  const struct {
    int id;
    std::size_t record;  // its index in the file
  } wanted[] = {{kTD, 2}, {kNC, 3}, {kSFO1, 4}, {kSWh, 5}, {kAqMod, 6}, {kDecim, 7}};
  for (std::size_t n = 0; n <= file.size(); ++n) {
    Exact buf(file.substr(0, n));
    for (const auto& w : wanted) {
      bool whole = (w.record + 1) * 28 <= n;
      double d = 99;
      EXPECT_EQ(ReadWinNMRDouble(buf.data(), buf.size(), w.id, &d), whole ? 1 : 0)
          << "record " << w.record << " in " << n << " bytes";
      long l = 99;
      EXPECT_EQ(ReadWinNMRLong(buf.data(), buf.size(), w.id, &l), whole ? 1 : 0)
          << "record " << w.record << " in " << n << " bytes";
    }
  }
}

// ---- loading a file ---------------------------------------------------------------------

// Counts the closing of one handle while it lives.
class CloseWatch {
 public:
  explicit CloseWatch(HANDLE h) : saved_(plat::ops()) {
    watched_ = h;
    closes_ = 0;
    before_ = saved_.closeFile;
    plat::ops().closeFile = [](HANDLE f) -> BOOL {
      if (f == watched_) ++closes_;
      return before_(f);
    };
  }
  ~CloseWatch() { plat::ops() = saved_; }
  int closes() const { return closes_; }

 private:
  plat::Ops saved_;
  static HANDLE watched_;
  static int closes_;
  static BOOL (*before_)(HANDLE);
};
HANDLE CloseWatch::watched_ = nullptr;
int CloseWatch::closes_ = 0;
BOOL (*CloseWatch::before_)(HANDLE) = nullptr;

TEST(ScanLoad, WholeFileWithATerminator) {
  qtest::TempDir dir;
  const std::string content = "##$TD= 16384\n##$SI= 5";
  qtest::writeBytes(dir.file("acqus"), content);
  HANDLE h = openForReading(dir.file("acqus"));
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  plat::seekFile(h, 0, plat::Seek::End, nullptr);  // read from the start wherever the handle is
  CloseWatch watch(h);
  long length = -1;
  char* buf = NMRAllocRead(h, &length);
  ASSERT_NE(buf, nullptr);
  EXPECT_EQ(watch.closes(), 1);
  ASSERT_EQ(length, static_cast<long>(content.size()));
  EXPECT_EQ(std::string(buf, static_cast<std::size_t>(length)), content);
  EXPECT_EQ(buf[length], 0);
  long si = 0;
  EXPECT_EQ(ReadUXNMRLong(buf, length, kSI, &si), 1);
  EXPECT_EQ(si, 5);
  NMRFreeBuffer(buf);
  NMRFreeBuffer(nullptr);
}

TEST(ScanLoad, NoBufferCases) {
  qtest::TempDir dir;
  qtest::writeBytes(dir.file("empty"), "");
  qtest::writeBytes(dir.file("one"), "x");
  {
    HANDLE h = openForReading(dir.file("empty"));
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseWatch watch(h);
    long length = -1;
    EXPECT_EQ(NMRAllocRead(h, &length), nullptr);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(watch.closes(), 1) << "an empty file is closed too";
  }
  {
    HANDLE h = openForReading(dir.file("one"));
    CloseWatch watch(h);
    EXPECT_EQ(NMRAllocRead(h, nullptr), nullptr);
    EXPECT_EQ(watch.closes(), 1) << "closed without a length to store";
  }
  long length = -1;
  EXPECT_EQ(NMRAllocRead(INVALID_HANDLE_VALUE, &length), nullptr);
  EXPECT_EQ(length, 0);
  HANDLE h = openForReading(dir.file("one"));
  char* buf = NMRAllocRead(h, &length);
  ASSERT_NE(buf, nullptr);
  EXPECT_EQ(length, 1);
  EXPECT_EQ(std::string(buf, 2), std::string("x\0", 2));
  NMRFreeBuffer(buf);
}

TEST(ScanLoad, FaultSweep) {
  qtest::TempDir dir;
  const std::string content(5000, 'p');
  qtest::writeBytes(dir.file("procs"), content);
  const unsigned kinds = qtest::kFaultRead | qtest::kFaultSize | qtest::kFaultMemory | qtest::kFaultSeek;
  int calls = 0;
  {
    qtest::FaultPlan count(kinds, 0);
    long length = 0;
    char* buf = NMRAllocRead(openForReading(dir.file("procs")), &length);
    ASSERT_NE(buf, nullptr);
    NMRFreeBuffer(buf);
    calls = count.calls();
  }
  ASSERT_GE(calls, 3) << "size, allocation and read at least";
  for (int k = 1; k <= calls; ++k) {
    HANDLE h = openForReading(dir.file("procs"));
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    qtest::FaultPlan plan(kinds, k);
    CloseWatch watch(h);
    qtest::UiCapture ui;
    long length = -1;
    char* buf = NMRAllocRead(h, &length);
    EXPECT_TRUE(plan.fired()) << "fault " << k;
    EXPECT_EQ(buf, nullptr) << "fault " << k;
    if (buf) NMRFreeBuffer(buf);
    EXPECT_TRUE(length == 0 || length == static_cast<long>(content.size())) << "fault " << k;
    EXPECT_EQ(watch.closes(), 1) << "fault " << k;
    EXPECT_TRUE(ui.boxes().empty()) << "NMRAllocRead reports nothing; fault " << k;
  }
}

// ---- labels -------------------------------------------------------------------------------

TEST(ScanLabels, Normalisation) {
  struct Case {
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      {"##.ACQUISITION MODE=", "##.ACQUISITIONMODE="},
      {"NMR FID", "NMRFID"},
      {"nmr spectrum\r\n", "NMRSPECTRUM"},
      {"a-b/c\\d_e\tf", "ABCDEF"},
      {"## jcamp_dx =", "##JCAMPDX="},
      {"##$SW_h=", "##$SWH="},
      {"  \t-_/\\", ""},
      {"", ""},
      {"x.y,z;1(2)", "X.Y,Z;1(2)"},
  };
  for (const Case& c : cases) {
    std::string s = c.in;
    std::vector<char> text(s.begin(), s.end());
    text.push_back(0);
    cv::normaliseLabel(text.data());
    EXPECT_STREQ(text.data(), c.out) << '"' << c.in << '"';
  }
}

struct JcampCase {
  const char* name;
  std::string file;
  const char* label;
  bool found;
  const char* value;
};

TEST(ScanLabels, JcampRecords) {
  const JcampCase cases[] = {
      {"mixed case label", "##Title= x\n", "TITLE", true, "x\n"},
      {"longer label", "##TITLEX= x\n", "TITLE", false, ""},
      {"JCAMP-DX", "##TITLE= t\n##JCAMP-DX= 5.01\n", "JCAMPDX", true, "5.01\n"},
      {"spaced and underscored", "## jcamp_dx = 4.24\r\n", "JCAMPDX", true, "4.24\r\n"},
      {"label with a blank", "##DATA CLASS= XYDATA\n##DATA TYPE= NMR SPECTRUM\n", "DATA TYPE", true,
       "NMR SPECTRUM\n"},
      {"first record wins", "##TITLE= a\n##END=\n##TITLE= b\n", "TITLE", true, "a\n"},
      {"blanks after = skipped", "$$ comment\n##ORIGIN= o\n##TITLE=    spaced\n", "TITLE", true,
       "spaced\n"},
      {"line without =", "##TITLE\n##TITLE= y\n", "TITLE", true, "y\n"},
      {"label inside a value", "##ORIGIN= ##TITLE= z\n", "TITLE", false, ""},
      {"leading blank", " ##TITLE=lead\r\n", "TITLE", true, "lead\r\n"},
      {"dotted label", "##.ACQUISITION MODE= SIMULTANEOUS\n", ".ACQUISITION MODE", true,
       "SIMULTANEOUS\n"},
      {"label asked in lower case", "##XFACTOR= 1.5\n", "xfactor", true, "1.5\n"},
      {"last line without break", "##A= 1\n##TITLE= last", "TITLE", true, "last"},
      {"empty value", "##TITLE=\n", "TITLE", true, "\n"},
      {"no such record", "##A= 1\n##B= 2\n", "TITLE", false, ""},
  };
  qtest::TempDir dir;
  for (const JcampCase& c : cases) {
    qtest::writeBytes(dir.file("x.dx"), c.file);
    plat::File f(openForReading(dir.file("x.dx")));
    ASSERT_TRUE(f.ok());
    char value[64];
    std::memset(value, '#', sizeof value);
    EXPECT_EQ(cv::findJcampLabel(f.get(), c.label, value, sizeof value), c.found) << c.name;
    EXPECT_STREQ(value, c.value) << c.name;
    // The file is rewound for every lookup.
    EXPECT_EQ(cv::findJcampLabel(f.get(), c.label, value, sizeof value), c.found) << c.name << ", again";
  }
}

TEST(ScanLabels, JcampCapacityAndLimits) {
  qtest::TempDir dir;
  qtest::writeBytes(dir.file("x.dx"), "##TITLE= abcdefgh\n##SI= 42\n##" + std::string(54, 'L') + "= long\n");
  plat::File f(openForReading(dir.file("x.dx")));
  ASSERT_TRUE(f.ok());
  char value[4];
  EXPECT_TRUE(cv::findJcampLabel(f.get(), "TITLE", value, sizeof value));
  EXPECT_STREQ(value, "abc");
  char one[1] = {'#'};
  EXPECT_TRUE(cv::findJcampLabel(f.get(), "TITLE", one, 1));
  EXPECT_EQ(one[0], 0);

  char big[32];
  EXPECT_TRUE(cv::findJcampLabel(f.get(), std::string(54, 'L').c_str(), big, sizeof big));
  EXPECT_STREQ(big, "long\n");
  EXPECT_FALSE(cv::findJcampLabel(f.get(), std::string(55, 'L').c_str(), big, sizeof big))
      << "labels of more than 54 characters are refused";
  EXPECT_FALSE(cv::findJcampLabel(f.get(), "TITLE", big, 0));
  EXPECT_FALSE(cv::findJcampLabel(f.get(), nullptr, big, sizeof big));
  EXPECT_FALSE(cv::findJcampLabel(INVALID_HANDLE_VALUE, "TITLE", big, sizeof big));

  // By the identifier of a text of Convera's table ("SI").
  EXPECT_TRUE(cv::findJcampRecord(f.get(), kSI, big, sizeof big));
  EXPECT_STREQ(big, "42\n");
  std::strcpy(big, "stale");
  EXPECT_FALSE(cv::findJcampRecord(f.get(), kNoSuchText, big, sizeof big));
  EXPECT_STREQ(big, "");
}

TEST(ScanLabels, RealJcampFiles) {
  std::string dir;
  QTEST_REQUIRE_TESTDATA(dir);
  struct Case {
    const char* file;
    const char* label;
    const char* value;  // the start of the value as the file writes it
  };
  // o01: labels written "##X = "; TESTSPEC: every line starts with a blank, CR LF.
  const Case cases[] = {
      {"nzhagen-jcamp__Lancashire_testdata/o01.jdx", "TITLE", "o-dichlorobenzene\n"},
      {"nzhagen-jcamp__Lancashire_testdata/o01.jdx", "JCAMPDX", "5.01 $$ \n"},
      {"nzhagen-jcamp__Lancashire_testdata/o01.jdx", "DATA TYPE", "NMR SPECTRUM\n"},
      {"nzhagen-jcamp__Lancashire_testdata/o01.jdx", ".OBSERVE FREQUENCY", "200.136\n"},
      {"nzhagen-jcamp__Lancashire_testdata/o01.jdx", "FIRSTX", "2391.297363\n"},
      {"nzhagen-jcamp__Lancashire_testdata/o01.jdx", "NPOINTS", "8192\n"},
      {"nzhagen-jcamp__jcamp-dx.org_ISAS_testfiles/TESTSPEC.DX", "TITLE", "ETHYLBENZOL/CDCL3\r\n"},
      {"nzhagen-jcamp__jcamp-dx.org_ISAS_testfiles/TESTSPEC.DX", "JCAMP-DX", "5.00   $$ ISAS"},
      {"nzhagen-jcamp__jcamp-dx.org_ISAS_testfiles/TESTSPEC.DX", "YFACTOR", "29670.15003\r\n"},
      {"nzhagen-jcamp__jcamp-dx.org_ISAS_testfiles/TESTSPEC.DX", "NPOINTS", "16384\r\n"},
  };
  for (const Case& c : cases) {
    std::string path = dir + "/jcamp/" + c.file;
    plat::File f(openForReading(path));
    ASSERT_TRUE(f.ok()) << path;
    char value[200];
    ASSERT_TRUE(cv::findJcampLabel(f.get(), c.label, value, sizeof value)) << c.file << " " << c.label;
    EXPECT_EQ(std::string(value).substr(0, std::strlen(c.value)), c.value) << c.file << " " << c.label;
  }
}

TEST(ScanLabels, LabelLines) {
  qtest::TempDir dir;
  const std::string longLine = std::string(85, '.') + "SI: 9\n";  // the label in the second read
  qtest::writeBytes(dir.file("x.txt"),
                    "Title: x\nSI: 1\nnothing\nSI: 2\nsi: 3\n" + longLine + "SI: 4");
  plat::File f(openForReading(dir.file("x.txt")));
  ASSERT_TRUE(f.ok());
  struct Case {
    int n;
    int result;
    std::string line;
  };
  const Case cases[] = {
      {1, 0, "SI: 1\n"}, {2, 0, "SI: 2\n"}, {3, 0, std::string(6, '.') + "SI: 9\n"},
      {4, 0, "SI: 4"},   {5, 118, ""},      {0, 118, ""},
      {-1, 118, ""},
  };
  for (const Case& c : cases) {
    char line[cv::kLabelLineSize];
    std::memset(line, '#', sizeof line);
    EXPECT_EQ(cv::seekLabelLine(f.get(), "SI:", c.n, line), c.result) << "occurrence " << c.n;
    EXPECT_EQ(std::string(line), c.line) << "occurrence " << c.n;
  }
  char line[cv::kLabelLineSize];
  EXPECT_EQ(cv::seekLabelLine(f.get(), "Missing", 1, line), 118);
  EXPECT_EQ(cv::seekLabelLine(f.get(), "SI:", 1, nullptr), 118);
}

}  // namespace
