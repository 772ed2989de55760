// The JCAMP-DX reader: the ASDF token decoder, the XY block decoder, the
// parameter reader, the data reader and detection, on small fixtures and on
// the real files of ../shared/testdata/jcamp (read in place).

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "datafiles/convera.h"
#include "datafiles/jcamp_internal.h"
#include "datafiles/specinfo.h"
#include "support/capture.h"
#include "support/faults.h"
#include "support/files.h"
#include "winutil/platform/platform.h"
#include "winutil/winkit.h"

namespace {

// ---- helpers ----------------------------------------------------------------

bool isStatus(const char* p) { return reinterpret_cast<std::uintptr_t>(p) < 65536; }

plat::File openForReading(const std::string& path) {
  return plat::File(plat::ops().openFile(path.c_str(), plat::Access::Read, plat::Share::ReadWrite,
                                         plat::Disposition::OpenExisting));
}

// The first line of each box and its reason line.
std::vector<std::string> boxCodes(const qtest::UiCapture& ui) {
  std::vector<std::string> out;
  for (const auto& b : ui.boxes()) {
    auto lines = b.lines();
    out.push_back(lines.empty() ? "" : lines[0]);
  }
  return out;
}

std::string code(int context, int status) {
  return "Error: " + std::to_string(context) + " - Code: " + std::to_string(status);
}

// A labelled record of a fixture; a null value leaves the record out.
struct Record {
  std::string label;
  const char* value;
};

// A small spectrum: 11 points from 1000 Hz down to 0 Hz (deltaX -100), as
// DIFDUP with the Y check at the start of the second and third lines; the
// ordinates are 0, 1, ..., 10.
const char* const kBlock =
    "1000@JV\r\n"
    "600DJV\r\n"
    "200HJT\r\n";

std::vector<Record> baseRecords() {
  return {{"TITLE", "fixture"},
          {"JCAMP-DX", "5.01"},
          {"DATA TYPE", "NMR SPECTRUM"},
          {"DATA CLASS", "XYDATA"},
          {".OBSERVE FREQUENCY", "400.13"},
          {".ACQUISITION MODE", "SIMULTANEOUS"},
          {"NPOINTS", "11"},
          {"FIRSTX", "1000"},
          {"LASTX", "0"},
          {"XFACTOR", "1"},
          {"YFACTOR", "1"},
          {"XYDATA", "(X++(Y..Y))"}};
}

std::string jcampText(const std::vector<Record>& records, const std::string& block = kBlock) {
  std::string out;
  for (const auto& r : records)
    if (r.value) out += "##" + r.label + "=" + r.value + "\r\n";
  return out + block + "##END=\r\n";
}

struct Read {
  int par = -1;
  int read = -1;
  SPECINFO info;
  std::vector<float> y;
};

// Parameters, then (when they were read) the data, as the loader does.
Read readFile(const std::string& path) {
  Read r;
  r.par = NMRGetParJCAMP(path.c_str(), &r.info);
  if (r.par != 0) return r;
  r.y.assign(static_cast<std::size_t>(r.info.GetSI(1)), -12345.0f);
  r.read = NMRReadJCAMP(path.c_str(), &r.info, r.y.data(), nullptr);
  return r;
}

// The block decoder on `block` (the text after the ##XYDATA= record).
struct BlockRun {
  unsigned status = 0;
  std::vector<float> y;
  std::vector<std::string> boxes;
  std::string nextLine;  // what the line reader gives after the block
};

BlockRun runBlock(const std::string& block, float firstX, float lastX, long nPoints,
                  float xFactor = 1, float yFactor = 1, long firstIndex = 0, char step = 1) {
  qtest::TempDir dir;
  std::string path = dir.file("block.dx");
  qtest::writeBytes(path, "##XYDATA=(X++(Y..Y))\r\n" + block);
  BlockRun run;
  run.y.assign(nPoints > 0 ? static_cast<std::size_t>(nPoints) : 1, -12345.0f);
  qtest::UiCapture ui;
  plat::File f = openForReading(path);
  char line[300];
  EXPECT_NE(CVlgets(line, sizeof line, f.get()), nullptr);
  run.status = Jcamp_evalXYBlock(f.get(), run.y.data(), firstX, lastX, nPoints, xFactor, yFactor,
                                 firstIndex, step);
  if (CVlgets(line, sizeof line, f.get())) run.nextLine = line;
  run.boxes = boxCodes(ui);
  return run;
}

std::vector<float> range(float from, int n) {
  std::vector<float> v;
  for (int i = 0; i < n; ++i) v.push_back(from + static_cast<float>(i));
  return v;
}

// An independent DIFDUP encoder of integer ordinates, for round trips: each
// line holds the point number as abscissa (FIRSTX = n - 1, LASTX = 0,
// XFACTOR 1), the first ordinate in SQZ form and then differences, runs of
// equal differences as DUP counts; a line after the first starts with the
// previous line's last ordinate as Y check.
std::string squeezed(long long v, const char* positive, const char* negative) {
  std::string digits = std::to_string(v < 0 ? -v : v);
  std::string out(1, (v < 0 ? negative : positive)[digits[0] - '0']);
  return out + digits.substr(1);
}

std::string dup(long long n) {
  std::string digits = std::to_string(n);
  return std::string(1, "?STUVWXYZs"[digits[0] - '0']) + digits.substr(1);
}

std::string encodeDifDup(const std::vector<long long>& y, std::size_t perLine) {
  std::string out;
  const long long n = static_cast<long long>(y.size());
  long long i = 0;
  while (i < n) {
    out += std::to_string(n - 1 - i) + squeezed(y[i], "@ABCDEFGHI", "@abcdefghi");
    long long last = i;
    std::size_t tokens = 0;
    long long j = i + 1;
    while (j < n && tokens < perLine) {
      long long d = y[j] - y[j - 1];
      long long run = 1;
      while (j + run < n && y[j + run] - y[j + run - 1] == d) ++run;
      out += squeezed(d, "%JKLMNOPQR", "%jklmnopqr");
      if (run > 1) out += dup(run);
      j += run;
      last = j - 1;
      ++tokens;
    }
    out += "\r\n";
    if (j >= n) break;
    i = last;  // the next line repeats the last ordinate as its Y check
    if (i == n - 1) break;
  }
  return out;
}

// ---- tokens -------------------------------------------------------------------

struct TokenCase {
  const char* name;
  const char* text;
  int compressed;
  double value;
  long count;
  const char* rest;  // the text at the returned position; null for no token
};

TEST(JcampToken, DecodesEachForm) {
  const TokenCase cases[] = {
      {"plain digits", "1234 5", 1, 1234, 1, "5"},
      {"fraction", "2391.297363C7", 1, 2391.297363, 1, "C7"},
      {"sign then fraction", "-.5", 1, -0.5, 1, ""},
      {"PAC sign", "+2259260-5242968", 1, 2259260, 1, "-5242968"},
      {"SQZ positive", "A1234J5", 1, 11234, 1, "J5"},
      {"SQZ negative", "a2", 1, -12, 1, ""},
      {"SQZ zero", "@", 1, 0, 1, ""},
      {"DIF positive", "J56j7", 1, 156, -1, "j7"},
      {"DIF negative is minus", "j7%", 1, -17, -1, "%"},
      {"DIF zero", "%", 1, 0, -1, ""},
      {"DUP after SQZ zero", "@U", 1, 0, 3, ""},
      {"DUP", "A2T", 1, 12, 2, ""},
      {"DUP with digits", "A2T3", 1, 12, 23, ""},
      {"DUP s is 9", "As", 1, 1, 9, ""},
      {"DUP after DIF", "J3V", 1, 13, -4, ""},
      {"missing value", "?", 1, 0, 0, ""},
      {"missing value with separator", "? ,5", 1, 0, 0, "5"},
      {"comma separator", "12,34", 1, 12, 1, "34"},
      {"semicolon and blanks", "\t 12 \t; 34", 1, 12, 1, " 34"},
      {"point first", ".85229 22625960", 1, 0.85229, 1, "22625960"},
      {"point first, plain", ".5E1", 0, 5, 1, ""},
      {"E is SQZ 5 when compressed", "1E5", 1, 1, 1, "E5"},
      {"plain exponent", "1.5E-3 7", 0, 0.0015, 1, "7"},
      {"plain exponent without sign", "2e15", 0, 2e15, 1, ""},
      {"plain exponent with plus", "-2.5E+2", 0, -250, 1, ""},
      {"plain E without mantissa", "E5", 0, 0, 1, ""},
      {"plain number ignores DUP", "12T", 0, 12, 1, "T"},
  };
  for (const auto& c : cases) {
    std::string buffer = c.text;
    double value = -1;
    long count = -99;
    char* next = nxval(&buffer[0], &value, &count, c.compressed);
    ASSERT_FALSE(next && isStatus(next)) << c.name;
    EXPECT_NEAR(value, c.value, std::fabs(c.value) * 1e-12) << c.name;
    EXPECT_EQ(count, c.count) << c.name;
    ASSERT_NE(next, nullptr) << c.name;
    EXPECT_STREQ(next, c.rest) << c.name;
  }
}

TEST(JcampToken, NoTokenAndInvalidTokens) {
  struct Case {
    const char* name;
    const char* text;
    int compressed;
    bool invalid;  // else: no token
  };
  const Case cases[] = {
      {"empty", "", 1, false},
      {"blanks only", " \t ", 1, false},
      {"comment", "$$ 12 34", 1, false},
      {"lone dollar", "$12", 1, true},
      {"sign without digit", "+x", 1, true},
      {"sign at end", "-", 1, true},
      {"second point", "1.2.3", 1, true},
      {"lone point", ".", 1, true},
      {"point without digit", ".x", 1, true},
      {"hash", "#", 1, true},
      {"letter outside the classes", "X", 1, true},
      {"SQZ in plain mode", "A1", 0, true},
      {"missing value in plain mode", "?", 0, true},
      {"comment in plain mode", "$$", 0, true},
  };
  for (const auto& c : cases) {
    std::string buffer = c.text;
    double value = -1;
    long count = -99;
    char* next = nxval(&buffer[0], &value, &count, c.compressed);
    if (c.invalid) {
      EXPECT_EQ(reinterpret_cast<std::uintptr_t>(next), 142u) << c.name;
    } else {
      EXPECT_EQ(next, nullptr) << c.name;
    }
    EXPECT_EQ(count, 0) << c.name;
    EXPECT_EQ(value, 0) << c.name;
  }
  double value = -1;
  long count = -1;
  EXPECT_EQ(nxval(nullptr, &value, &count, 1), nullptr);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(value, 0);
}

TEST(JcampToken, WalksALineToItsEnd) {
  std::string line = "8192A1234J56j7%";
  std::vector<std::pair<double, long>> got;
  char* p = &line[0];
  double value;
  long count;
  while ((p = nxval(p, &value, &count, 1)) != nullptr) {
    ASSERT_FALSE(isStatus(p));
    got.emplace_back(value, count);
    ASSERT_LT(got.size(), 10u);
  }
  EXPECT_EQ(count, 0);
  const std::vector<std::pair<double, long>> expected = {
      {8192, 1}, {11234, 1}, {156, -1}, {-17, -1}, {0, -1}};
  EXPECT_EQ(got, expected);
}

TEST(JcampToken, HostileDigitRunsStayInBounds) {
  // Counts saturate instead of overflowing; values become large or infinite
  // doubles; fractions of any length keep their value.
  std::string longCount = "AT" + std::string(400, '9');
  double value;
  long count;
  char* next = nxval(&longCount[0], &value, &count, 1);
  ASSERT_NE(next, nullptr);
  EXPECT_FALSE(isStatus(next));
  EXPECT_GT(count, 1000000L);
  EXPECT_STREQ(next, "");

  std::string longValue = "1" + std::string(400, '0');
  next = nxval(&longValue[0], &value, &count, 1);
  ASSERT_NE(next, nullptr);
  EXPECT_TRUE(std::isinf(value));
  EXPECT_EQ(count, 1);

  std::string longFraction = "0." + std::string(500, '3') + " 1";
  next = nxval(&longFraction[0], &value, &count, 1);
  ASSERT_NE(next, nullptr);
  EXPECT_NEAR(value, 1.0 / 3, 1e-15);
  EXPECT_STREQ(next, "1");

  std::string longExponent = "1E" + std::string(300, '9');
  next = nxval(&longExponent[0], &value, &count, 0);
  ASSERT_NE(next, nullptr);
  EXPECT_TRUE(std::isinf(value));
  std::string zeroExponent = "0E" + std::string(300, '9');
  nxval(&zeroExponent[0], &value, &count, 0);
  EXPECT_EQ(value, 0);
}

// ---- line pieces --------------------------------------------------------------

TEST(JcampLines, PiecesFollowTheLineReader) {
  using namespace std::string_literals;
  const std::string cases[] = {
      "ab\r\ncd\r\n"s,
      "ab\n\rcd"s,
      "ab\r\rcd\r\r"s,
      "ab\n\ncd\n\n\n"s,
      "ab\rcd\ref"s,
      "x"s,
      "xy"s,
      "\r\n"s,
      std::string(600, 'a') + "\r\nb\r\n",
      std::string(278, 'a') + "\r\n\r\n",
      std::string(279, 'a') + "\n",
      "a\0b\r\ncd"s,
  };
  qtest::TempDir dir;
  for (std::size_t k = 0; k < sizeof cases / sizeof cases[0]; ++k) {
    const std::string& bytes = cases[k];
    std::string path = dir.file("lines" + std::to_string(k));
    qtest::writeBytes(path, bytes);
    std::vector<std::string> expected;
    {
      plat::File f = openForReading(path);
      char line[cv::jcamp::kLineSize];
      while (CVlgets(line, sizeof line, f.get())) expected.push_back(line);
    }
    std::vector<std::string> got;
    cv::jcamp::MemoryLines lines(bytes.data(), bytes.size());
    const char* piece;
    std::size_t length;
    while (lines.next(&piece, &length)) got.push_back(std::string(piece, length).c_str());
    EXPECT_EQ(got, expected) << "case " << k;
  }
}

// ---- XY block -------------------------------------------------------------------

struct BlockCase {
  const char* name;
  std::string block;
  float firstX, lastX;
  long nPoints;
  unsigned status;
  std::vector<float> y;  // empty: not compared
  std::vector<std::string> boxes;
};

const std::string kAffn11 = "1000 0 1 2 3 4\r\n500 5 6 7 8 9\r\n0 10\r\n";

TEST(JcampBlock, DecodesLinesIntoPoints) {
  const BlockCase cases[] = {
      // A1234 is 11234 (SQZ 1, then the digits 1234), J56 is +156, j7 is -17.
      {"SQZ then DIF, DIF negative",
       "8192A1234J56j7%\r\n",
       8192,
       8195,
       4,
       0,
       {11234, 11390, 11373, 11373},
       {}},
      {"SQZ zero with DUP", "0@U\r\n", 0, 2, 3, 0, {0, 0, 0}, {}},
      {"DUP", "0A2T\r\n", 0, 1, 2, 0, {12, 12}, {}},
      {"DUP with digits", "0A2T3\r\n", 0, 22, 23, 0, std::vector<float>(23, 12.0f), {}},
      {"DIF with DUP", "0@JV\r\n", 0, 4, 5, 0, {0, 1, 2, 3, 4}, {}},
      {"Y check counted once", "0A0N\r\n1A5JK\r\n", 0, 3, 4, 0, {10, 15, 16, 18}, {}},
      {"descending axis", kAffn11, 1000, 0, 11, 0, range(0, 11), {}},
      {"PAC", "0+1-2+3\r\n3-4-5\r\n", 0, 4, 5, 0, {1, -2, 3, -4, -5}, {}},
      {"AFFN with decimals", "0 1.5 -2.25\r\n", 0, 1, 2, 0, {1.5f, -2.25f}, {}},
      {"comments, blank lines, abscissa-only lines",
       "$$ comment\r\n\r\n1000\r\n1000 0 1 2 3 4 $$ five\r\n   \r\n500 5 6 7 8 9\r\n0 10\r\n",
       1000,
       0,
       11,
       0,
       range(0, 11),
       {}},
      {"blanks, tabs, LF and CR line ends",
       " 1000 0 1 2 3 4\n\t500\t5 6 7 8 9\r 0 10\n",
       1000,
       0,
       11,
       0,
       range(0, 11),
       {}},
      {"the block ends at the next record",
       kAffn11 + "##END=\r\n0 99\r\n",
       1000,
       0,
       11,
       0,
       range(0, 11),
       {}},
      {"a NUL ends the line",
       "1000 0 1 2 3 4" + std::string(1, '\0') + " 99\r\n500 5 6 7 8 9\r\n0 10\r\n",
       1000,
       0,
       11,
       0,
       range(0, 11),
       {}},
      {"yFactor is not applied by the reader", "0 3 4\r\n", 0, 1, 2, 0, {3, 4}, {}},
  };
  for (const auto& c : cases) {
    BlockRun run = runBlock(c.block, c.firstX, c.lastX, c.nPoints);
    EXPECT_EQ(run.status, c.status) << c.name;
    if (!c.y.empty()) {
      EXPECT_EQ(run.y, c.y) << c.name;
    }
    EXPECT_EQ(run.boxes, c.boxes) << c.name;
  }
}

TEST(JcampBlock, FindingsAndErrors) {
  const std::string x149 = code(143, 149);
  const std::string y151 = code(143, 151);
  std::string longLine = "0";
  for (int i = 0; i < 150; ++i) longLine += " 1";
  const BlockCase cases[] = {
      // Findings are shown and the read goes on.
      {"bad Y check", "0A0N\r\n1A6JK\r\n", 0, 3, 4, 0, {10, 16, 17, 19}, {y151}},
      {"x-sequence",
       "1000 0 1 2 3 4\r\n400 5 6 7 8 9\r\n0 10\r\n",
       1000,
       0,
       11,
       0,
       range(0, 11),
       {x149}},
      // ... but they do not hide missing points.
      {"x-sequence with a point missing",
       "1000 0 1 2 3 4\r\n400 5 6 7 8 9\r\n",
       1000,
       0,
       11,
       153,
       {},
       {x149}},
      {"missing value ends its line",
       "1000 0 1 ? 3 4\r\n500 5 6 7 8 9\r\n0 10\r\n",
       1000,
       0,
       11,
       153,
       {},
       {x149}},
      {"a line cut by the line length", longLine + "\r\n", 0, 149, 150, 153, {}, {x149}},
      // Errors.
      {"one ordinate too many",
       "1000 0 1 2 3 4\r\n500 5 6 7 8 9\r\n0 10 11\r\n",
       1000,
       0,
       11,
       152,
       {},
       {}},
      {"one ordinate too few", "1000 0 1 2 3 4\r\n500 5 6 7 8 9\r\n", 1000, 0, 11, 153, {}, {}},
      {"empty block", "", 0, 1, 2, 153, {}, {}},
      {"record at once", "##END=\r\n", 0, 1, 2, 153, {}, {}},
      {"first ordinate DIF", "1000 J1\r\n", 1000, 0, 11, 150, {}, {}},
      {"abscissa with DUP", "1000T 1\r\n", 1000, 0, 11, 146, {}, {}},
      {"abscissa DIF", "J 1\r\n", 1000, 0, 11, 146, {}, {}},
      {"abscissa missing", "? 1\r\n", 1000, 0, 11, 146, {}, {}},
      {"invalid ordinate", "1000 0 1 ! 3\r\n", 1000, 0, 11, 142, {}, {}},
      {"invalid abscissa", "!1000 0\r\n", 1000, 0, 11, 142, {}, {}},
      {"lone dollar", "1000 0 $ 1\r\n", 1000, 0, 11, 142, {}, {}},
      // Hostile counts and values stay inside the buffer.
      {"huge DUP count",
       "0A2Z99999999999999999999\r\n",
       0,
       10,
       11,
       152,
       std::vector<float>(11, 12.0f),
       {}},
      {"huge DIF DUP count", "0@JZ999999999\r\n", 0, 10, 11, 152, range(0, 11), {}},
      {"DUP past the end by one", "0A2U\r\n", 0, 1, 2, 152, {12, 12}, {}},
      {"ordinate beyond float", "0 1" + std::string(40, '0') + " 1\r\n", 0, 1, 2, 126, {}, {}},
      {"DIF sum beyond float",
       "0 3" + std::string(38, '0') + "L" + std::string(38, '0') + "\r\n",
       0,
       1,
       2,
       126,
       {},
       {}},
      {"abscissa beyond every index",
       "1" + std::string(400, '0') + " 1 2\r\n",
       0,
       1,
       2,
       0,
       {1, 2},
       {x149}},
  };
  for (const auto& c : cases) {
    BlockRun run = runBlock(c.block, c.firstX, c.lastX, c.nPoints);
    EXPECT_EQ(run.status, c.status) << c.name;
    if (!c.y.empty()) {
      EXPECT_EQ(run.y, c.y) << c.name;
    }
    EXPECT_EQ(run.boxes, c.boxes) << c.name;
  }
}

TEST(JcampBlock, RefusesParametersThatDescribeNoBlock) {
  struct Case {
    const char* name;
    float firstX, lastX;
    long nPoints;
    float xFactor;
    char step;
    unsigned status;
  };
  const Case cases[] = {
      {"one point", 0, 1, 1, 1, 1, 144},        {"no points", 0, 1, 0, 1, 1, 144},
      {"negative points", 0, 1, -5, 1, 1, 144}, {"no step", 0, 1, 2, 1, 0, 144},
      {"equal limits", 5, 5, 2, 1, 1, 309},     {"infinite limit", 0, INFINITY, 2, 1, 1, 309},
      {"XFACTOR 0", 0, 1, 2, 0, 1, 147},        {"XFACTOR NaN", 0, 1, 2, NAN, 1, 147},
  };
  for (const auto& c : cases) {
    BlockRun run = runBlock("0 1 2\r\n", c.firstX, c.lastX, c.nPoints, c.xFactor, 1, 0, c.step);
    EXPECT_EQ(run.status, c.status) << c.name;
    EXPECT_TRUE(run.boxes.empty()) << c.name;
  }
  qtest::TempDir dir;
  qtest::writeBytes(dir.file("b.dx"), "0 1 2\r\n");
  plat::File f = openForReading(dir.file("b.dx"));
  EXPECT_EQ(Jcamp_evalXYBlock(f.get(), nullptr, 0, 1, 2, 1, 1, 0, 1), 132u);
}

TEST(JcampBlock, FactorsFirstIndexAndStep) {
  BlockRun scaled = runBlock("0 1 2\r\n", 0, 1, 2, 1, 0.5f);
  EXPECT_EQ(scaled.status, 0u);
  EXPECT_EQ(scaled.y, (std::vector<float>{0.5f, 1}));
  // The abscissa is in units of XFACTOR.
  BlockRun xf = runBlock("0 1 2 3\r\n30 4 5\r\n", 0, 0.4f, 5, 0.01f);
  EXPECT_EQ(xf.status, 0u);
  EXPECT_TRUE(xf.boxes.empty());
  EXPECT_EQ(xf.y, (std::vector<float>{1, 2, 3, 4, 5}));
  // Indices are counted from firstIndex; the buffer holds nPoints values.
  BlockRun shifted = runBlock("0 1 2\r\n", 0, 1, 2, 1, 1, 5);
  EXPECT_EQ(shifted.status, 0u);
  EXPECT_EQ(shifted.y, (std::vector<float>{1, 2}));
}

TEST(JcampBlock, LeavesTheFileAfterTheLineThatEndedIt) {
  BlockRun run = runBlock(kAffn11 + "##END=\r\n##TITLE=next\r\n", 1000, 0, 11);
  EXPECT_EQ(run.status, 0u);
  EXPECT_EQ(run.nextLine, "##TITLE=next\r\n");
  BlockRun atEnd = runBlock(kAffn11, 1000, 0, 11);
  EXPECT_EQ(atEnd.nextLine, "");
}

// Random spectra through an independent encoder: runs of equal values and
// of equal differences, large jumps, long files whose lines cross the
// decoder's read buffer, every line-end style.
TEST(JcampBlock, RoundTripsLongDifDupBlocks) {
  std::mt19937 random(20240611);
  const char* const ends[] = {"\r\n", "\n", "\r"};
  for (int trial = 0; trial < 6; ++trial) {
    const long n = 20000 + 7919 * trial;
    std::vector<long long> y(static_cast<std::size_t>(n));
    long long v = 0;
    for (long i = 0; i < n; ++i) {
      switch (random() % 4) {
        case 0:
          break;  // equal value
        case 1:
          v += (i > 0 && y[i - 1] != v) ? 0 : 3;
          break;  // equal differences
        case 2:
          v += static_cast<long long>(random() % 2000001) - 1000000;
          break;
        default:
          v = static_cast<long long>(random() % 9000) - 4500;
          break;
      }
      y[static_cast<std::size_t>(i)] = v;
    }
    std::string block = encodeDifDup(y, 4 + static_cast<std::size_t>(trial) * 3);
    const std::string end = ends[trial % 3];
    if (end != "\r\n") {
      std::string converted;
      for (std::size_t k = 0; k < block.size(); ++k) {
        if (block.compare(k, 2, "\r\n") == 0) {
          converted += end;
          ++k;
        } else {
          converted += block[k];
        }
      }
      block = converted;
    }
    BlockRun run =
        runBlock(block + "##END=" + end + "##NEXT=1" + end, static_cast<float>(n - 1), 0, n);
    ASSERT_EQ(run.status, 0u) << "trial " << trial;
    EXPECT_TRUE(run.boxes.empty()) << "trial " << trial;
    EXPECT_EQ(run.nextLine, "##NEXT=1" + end) << "trial " << trial;
    for (long i = 0; i < n; ++i)
      ASSERT_EQ(run.y[static_cast<std::size_t>(i)],
                static_cast<float>(y[static_cast<std::size_t>(i)]))
          << "trial " << trial << " point " << i;

    // The same bytes from memory give the same points.
    std::vector<float> fromMemory(static_cast<std::size_t>(n));
    cv::jcamp::MemoryLines lines(block.data(), block.size());
    char line[cv::jcamp::kLineArea];
    cv::jcamp::BlockParams params;
    params.firstX = static_cast<float>(n - 1);
    params.lastX = 0;
    params.nPoints = n;
    long stored = 0;
    EXPECT_EQ(cv::jcamp::decodeBlock(lines, line, fromMemory.data(), params, &stored), 0u);
    EXPECT_EQ(stored, n);
    EXPECT_EQ(fromMemory, run.y) << "trial " << trial;
  }
}

// Lines of every length (up to twice the line limit) and every line-end
// pair, in a file several times the decoder's read buffer: the file gives
// the same points, findings and final position as the same bytes in memory.
TEST(JcampBlock, FileAndMemoryAgree) {
  std::mt19937 random(7);
  const char* const ends[] = {"\r\n", "\n", "\r", "\n\r", "\r\r", "\n\n"};
  std::string block;
  long points = 0;
  while (block.size() < 300000) {
    std::string line = std::to_string(points);
    std::size_t length = random() % 600;
    while (line.size() < length) {
      line += " " + std::to_string(random() % 2000);  // a cut number is still a number
      ++points;
    }
    block += line + ends[random() % 6];
  }
  block += "##END=\r\n##AFTER=1\r\n";
  const long n = points + 10;

  qtest::TempDir dir;
  std::string path = dir.file("long.dx");
  qtest::writeBytes(path, block);
  std::vector<float> fromFile(static_cast<std::size_t>(n), -1.0f);
  std::vector<std::string> fileBoxes;
  unsigned fileStatus;
  std::string next;
  {
    qtest::UiCapture ui;
    plat::File f = openForReading(path);
    fileStatus =
        Jcamp_evalXYBlock(f.get(), fromFile.data(), 0, static_cast<float>(n - 1), n, 1, 1, 0, 1);
    char line[300];
    if (CVlgets(line, sizeof line, f.get())) next = line;
    fileBoxes = boxCodes(ui);
  }
  std::vector<float> fromMemory(static_cast<std::size_t>(n), -1.0f);
  std::vector<std::string> memoryBoxes;
  unsigned memoryStatus;
  {
    qtest::UiCapture ui;
    cv::jcamp::MemoryLines lines(block.data(), block.size());
    char line[cv::jcamp::kLineArea];
    cv::jcamp::BlockParams params;
    params.lastX = static_cast<float>(n - 1);
    params.nPoints = n;
    memoryStatus = cv::jcamp::decodeBlock(lines, line, fromMemory.data(), params, nullptr);
    memoryBoxes = boxCodes(ui);
  }
  // Lines cut by the line limit lose an ordinate to the abscissa each.
  EXPECT_EQ(fileStatus, 153u);
  EXPECT_EQ(fileStatus, memoryStatus);
  EXPECT_EQ(fileBoxes, memoryBoxes);
  EXPECT_EQ(fromFile, fromMemory);
  EXPECT_EQ(next, "##AFTER=1\r\n");
}

// Every prefix of a block decodes without leaving the buffer; only the
// whole block is complete.
TEST(JcampBlock, EveryPrefixOfABlock) {
  std::vector<long long> y;
  for (int i = 0; i < 300; ++i) y.push_back((i % 17) * (i % 5 == 0 ? 1000 : -3) + (i / 40) * 7);
  std::string block = encodeDifDup(y, 6);
  const long n = static_cast<long>(y.size());
  std::size_t lastLine = block.rfind("\r\n", block.size() - 3) + 2;
  std::size_t lastToken = block.size() - 2;  // the whole last line, without its end
  for (std::size_t len = 0; len <= block.size(); ++len) {
    std::vector<float> out(static_cast<std::size_t>(n));
    cv::jcamp::MemoryLines lines(block.data(), len);
    char line[cv::jcamp::kLineArea];
    cv::jcamp::BlockParams params;
    params.firstX = static_cast<float>(n - 1);
    params.lastX = 0;
    params.nPoints = n;
    qtest::UiCapture ui;
    unsigned status = cv::jcamp::decodeBlock(lines, line, out.data(), params, nullptr);
    if (len < lastLine) {
      EXPECT_EQ(status, 153u) << "prefix " << len;
    } else if (len >= lastToken) {
      EXPECT_EQ(status, 0u) << "prefix " << len;
    } else {
      EXPECT_TRUE(status == 0u || status == 153u) << "prefix " << len << " status " << status;
    }
  }
}

// ---- parameters ---------------------------------------------------------------------

struct ParCase {
  const char* name;
  std::vector<std::pair<std::string, const char*>> changes;
  int status;
  unsigned format = 0;  // checked when status is 0
  unsigned aqMode = 0;
};

std::vector<Record> changed(const std::vector<std::pair<std::string, const char*>>& changes) {
  auto records = baseRecords();
  for (const auto& c : changes) {
    bool found = false;
    for (auto& r : records) {
      if (r.label == c.first) {
        r.value = c.second;
        found = true;
      }
    }
    if (!found) records.insert(records.begin() + 1, {c.first, c.second});
  }
  return records;
}

TEST(JcampParams, ReadsTheRecordsOfASpectrum) {
  qtest::TempDir dir;
  std::string path = dir.file("base.dx");
  qtest::writeBytes(path, jcampText(baseRecords()));
  SPECINFO info;
  ASSERT_EQ(NMRGetParJCAMP(path.c_str(), &info), 0);
  EXPECT_EQ(info.GetDimension(), 1u);
  EXPECT_EQ(info.GetDataFormat(), 0x22u);
  EXPECT_EQ(info.GetSI(1), 11);
  EXPECT_EQ(info.GetTD(1), 11);
  EXPECT_FLOAT_EQ(info.GetSF(1), 400.13f);
  EXPECT_FLOAT_EQ(info.GetF1(1), 1000);
  EXPECT_FLOAT_EQ(info.GetF2(1), 0);
  EXPECT_FLOAT_EQ(info.GetInc(1), 1000.0f / 11);
  EXPECT_EQ(info.GetAQMode(1), 1u);
  EXPECT_EQ(info.GetNucleus(1), 0);
}

TEST(JcampParams, StatusOfEachRecord) {
  const ParCase cases[] = {
      {"base", {}, 0, 0x22, 1},
      {"no title or version (detection only)",
       {{"TITLE", nullptr}, {"JCAMP-DX", nullptr}},
       0,
       0x22,
       1},
      {"no DATA TYPE", {{"DATA TYPE", nullptr}}, 154},
      {"infrared", {{"DATA TYPE", "INFRARED SPECTRUM"}}, 104},
      {"link", {{"DATA TYPE", "LINK"}}, 104},
      {"written apart and in lower case", {{"DATA TYPE", "nmr  spectrum"}}, 0, 0x22, 1},
      {"FID simultaneous", {{"DATA TYPE", "NMR FID"}}, 0, 0x21, 1},
      {"FID simultaneous (DQD)",
       {{"DATA TYPE", "NMR FID"}, {".ACQUISITION MODE", "SIMULTANEOUS (DQD)"}},
       0,
       0x21,
       1},
      {"FID single", {{"DATA TYPE", "NMR FID"}, {".ACQUISITION MODE", "SINGLE"}}, 0, 0x21, 0},
      {"FID sequential", {{"DATA TYPE", "NMR FID"}, {".ACQUISITION MODE", "SEQUENTIAL"}}, 155},
      {"FID without mode", {{"DATA TYPE", "NMR FID"}, {".ACQUISITION MODE", nullptr}}, 155},
      {"spectrum sequential", {{".ACQUISITION MODE", "SEQUENTIAL"}}, 0, 0x22, 0},
      {"spectrum without mode", {{".ACQUISITION MODE", nullptr}}, 0, 0x22, 0},
      {"no DATA CLASS", {{"DATA CLASS", nullptr}}, 168},
      {"NTUPLES", {{"DATA CLASS", "NTUPLES"}}, 168},
      {"PEAK TABLE", {{"DATA CLASS", "PEAK TABLE"}}, 168},
      {"ASSIGNMENTS", {{"DATA CLASS", "ASSIGNMENTS"}}, 168},
      {"XYPOINTS without record", {{"DATA CLASS", "XYPOINTS"}}, 185},
      {"XYPOINTS (XY..XY)", {{"DATA CLASS", "XYPOINTS"}, {"XYPOINTS", "(XY..XY)"}}, 176},
      {"XYPOINTS (XR..XR)", {{"DATA CLASS", "XYPOINTS"}, {"XYPOINTS", "(XR..XR)"}}, 176},
      {"XYPOINTS (XYW..XYW)", {{"DATA CLASS", "XYPOINTS"}, {"XYPOINTS", "(XYW..XYW)"}}, 168},
      {"no XYDATA", {{"XYDATA", nullptr}}, 184},
      {"XYDATA real", {{"XYDATA", "(X++(R..R))"}}, 0, 0x22, 1},
      {"XYDATA imaginary", {{"XYDATA", "(X++(I..I))"}}, 0, 0x42, 1},
      {"XYDATA written apart", {{"XYDATA", "( X++(Y..Y) )"}}, 0, 0x22, 1},
      {"XYDATA of points", {{"XYDATA", "(XY..XY)"}}, 168},
      {"no NPOINTS", {{"NPOINTS", nullptr}}, 172},
      {"no OBSERVE FREQUENCY", {{".OBSERVE FREQUENCY", nullptr}}, 175},
      {"no FIRSTX", {{"FIRSTX", nullptr}}, 178},
      {"no LASTX", {{"LASTX", nullptr}}, 180},
      {"no XFACTOR", {{"XFACTOR", nullptr}}, 182},
      {"NPOINTS 1", {{"NPOINTS", "1"}}, 115},
      {"NPOINTS text", {{"NPOINTS", "many"}}, 115},
      {"NPOINTS beyond 32 bits", {{"NPOINTS", "3000000000"}}, 115},
      {"NPOINTS written as a real", {{"NPOINTS", "11.000000000"}}, 0, 0x22, 1},
      {"equal limits", {{"LASTX", "1000"}}, 116},
      {"limits equal as floats", {{"LASTX", "1000.00001"}}, 116},
      {"limit beyond float", {{"FIRSTX", "1e300"}}, 116},
      {"limit not a number", {{"LASTX", "nan"}}, 116},
      {"SF 0", {{".OBSERVE FREQUENCY", "0"}}, 117},
      {"SF negative", {{".OBSERVE FREQUENCY", "-400"}}, 117},
      {"SF not a number", {{".OBSERVE FREQUENCY", "nan"}}, 117},
  };
  qtest::TempDir dir;
  int k = 0;
  for (const auto& c : cases) {
    std::string path = dir.file("par" + std::to_string(k++) + ".dx");
    qtest::writeBytes(path, jcampText(changed(c.changes)));
    SPECINFO info;
    qtest::UiCapture ui;
    EXPECT_EQ(NMRGetParJCAMP(path.c_str(), &info), c.status) << c.name;
    EXPECT_TRUE(ui.boxes().empty()) << c.name;
    if (c.status == 0) {
      EXPECT_EQ(info.GetDataFormat(), c.format) << c.name;
      EXPECT_EQ(info.GetAQMode(1), c.aqMode) << c.name;
    }
  }
}

TEST(JcampParams, LabelsAreMatchedNormalised) {
  qtest::TempDir dir;
  std::string path = dir.file("labels.dx");
  qtest::writeBytes(path,
                    " ## title = spelled apart\r\n"
                    "##JCAMP_DX= 5.00 $$ comment\r\n"
                    "## data-type = nmr spectrum\r\n"
                    "##Data Class= XYDATA\r\n"
                    "##.observe frequency= 100.4\r\n"
                    "##NPoints = 11\r\n"
                    "##FirstX = 1000\r\n"
                    "##last_x = 0\r\n"
                    "##XFactor = 1\r\n"
                    "##XY Data = (X++(Y..Y))\r\n" +
                        std::string(kBlock) + "##END=\r\n");
  EXPECT_EQ(NMRIsJCAMP(path.c_str()), 1);
  Read r = readFile(path);
  EXPECT_EQ(r.par, 0);
  EXPECT_EQ(r.read, 0);
  EXPECT_EQ(r.y, range(0, 11));
  EXPECT_FLOAT_EQ(r.info.GetSF(1), 100.4f);
}

TEST(JcampParams, Arguments) {
  SPECINFO info;
  EXPECT_EQ(NMRGetParJCAMP(nullptr, &info), 256);
  qtest::TempDir dir;
  std::string missing = dir.file("missing.dx");
  EXPECT_EQ(NMRGetParJCAMP(missing.c_str(), &info), 114);
  qtest::writeBytes(dir.file("base.dx"), jcampText(baseRecords()));
  EXPECT_EQ(NMRGetParJCAMP(dir.file("base.dx").c_str(), nullptr), 257);
}

// ---- data ---------------------------------------------------------------------------

TEST(JcampRead, ReadsTheOrdinates) {
  qtest::TempDir dir;
  std::string path = dir.file("base.dx");
  qtest::writeBytes(path, jcampText(baseRecords()));
  qtest::UiCapture ui;
  Read r = readFile(path);
  ASSERT_EQ(r.par, 0);
  EXPECT_EQ(r.read, 0);
  EXPECT_EQ(r.y, range(0, 11));
  EXPECT_EQ(r.info.GetModTime(), GetTimeLastModified(path.c_str()));
  EXPECT_TRUE(ui.boxes().empty());
}

// A path written with the other separator names the same file.
TEST(JcampRead, EitherSeparator) {
  qtest::TempDir dir;
  std::string path = dir.file("base.dx");
  qtest::writeBytes(path, jcampText(baseRecords()));
  std::string other = path;
  char from = other.find('/') != std::string::npos ? '/' : '\\';
  for (char& c : other)
    if (c == from) c = from == '/' ? '\\' : '/';
  EXPECT_EQ(NMRIsJCAMP(other.c_str()), 1);
  Read r = readFile(other);
  EXPECT_EQ(r.par, 0);
  EXPECT_EQ(r.read, 0);
  EXPECT_EQ(r.y, range(0, 11));
}

TEST(JcampRead, Refusals) {
  qtest::TempDir dir;
  std::string base = dir.file("base.dx");
  qtest::writeBytes(base, jcampText(baseRecords()));
  SPECINFO parsed;
  ASSERT_EQ(NMRGetParJCAMP(base.c_str(), &parsed), 0);

  struct Case {
    const char* name;
    std::string text;                       // the file read; empty: the base file
    std::function<void(SPECINFO&)> adjust;  // changes to the parsed record
    bool realBuffer;
    int status;
    std::vector<std::string> boxes = {};
  };
  const Case cases[] = {
      {"FID", jcampText(changed({{"DATA TYPE", "NMR FID"}, {".ACQUISITION MODE", "SINGLE"}})),
       [](SPECINFO& s) { s.SetDataFormat(0x21); }, true, 118},
      {"complex 1D", "", [](SPECINFO& s) { s.SetDataFormat(DF_SPECTRUM | DF_COMPLEX | DF_1D); },
       true, 14},
      {"complex 2D", "", [](SPECINFO& s) { s.SetDataFormat(DF_SPECTRUM | DF_COMPLEX | DF_2D); },
       true, 14},
      {"complex without dimension bits", "",
       [](SPECINFO& s) { s.SetDataFormat(DF_SPECTRUM | DF_COMPLEX); }, true, 118},
      {"no real buffer", "", [](SPECINFO&) {}, false, 132},
      {"no XFACTOR", jcampText(changed({{"XFACTOR", nullptr}})), [](SPECINFO&) {}, true, 182},
      {"XFACTOR 0", jcampText(changed({{"XFACTOR", "0"}})), [](SPECINFO&) {}, true, 147},
      {"NTUPLES", jcampText(changed({{"DATA CLASS", "NTUPLES"}})), [](SPECINFO&) {}, true, 118},
      {"no DATA CLASS", jcampText(changed({{"DATA CLASS", nullptr}})), [](SPECINFO&) {}, true, 118},
      {"no XYDATA", jcampText(changed({{"XYDATA", nullptr}})), [](SPECINFO&) {}, true, 184},
      {"more points than SI", "", [](SPECINFO& s) { s.SetSI(10, 1); }, true, 152},
      // With 12 points the abscissas no longer fit: that is shown, and the
      // missing point fails the read.
      {"fewer points than SI",
       "",
       [](SPECINFO& s) { s.SetSI(12, 1); },
       true,
       153,
       {code(143, 149)}},
  };
  int k = 0;
  for (const auto& c : cases) {
    std::string path = base;
    if (!c.text.empty()) {
      path = dir.file("read" + std::to_string(k++) + ".dx");
      qtest::writeBytes(path, c.text);
    }
    SPECINFO info = parsed;
    c.adjust(info);
    std::vector<float> y(32, -1.0f);
    qtest::UiCapture ui;
    EXPECT_EQ(NMRReadJCAMP(path.c_str(), &info, c.realBuffer ? y.data() : nullptr, nullptr),
              c.status)
        << c.name;
    EXPECT_EQ(boxCodes(ui), c.boxes) << c.name;
  }
  std::vector<float> y(11);
  SPECINFO info = parsed;
  EXPECT_EQ(NMRReadJCAMP(dir.file("missing.dx").c_str(), &info, y.data(), nullptr), 114);
  EXPECT_EQ(NMRReadJCAMP(nullptr, &info, y.data(), nullptr), 256);
  EXPECT_EQ(NMRReadJCAMP(base.c_str(), nullptr, y.data(), nullptr), 257);
}

// A failing file or memory operation gives a status, or a complete read.
TEST(JcampRead, FailingOperations) {
  qtest::TempDir dir;
  std::string path = dir.file("base.dx");
  qtest::writeBytes(path, jcampText(baseRecords()));
  for (unsigned kinds : {unsigned(qtest::kFaultFiles), unsigned(qtest::kFaultHeap)}) {
    for (int n = 1;; ++n) {
      SPECINFO info;
      std::vector<float> y(11, -1.0f);
      int par, read = -1;
      bool fired;
      {
        qtest::UiCapture ui;
        qtest::FaultPlan plan(kinds, n);
        par = NMRGetParJCAMP(path.c_str(), &info);
        if (par == 0) read = NMRReadJCAMP(path.c_str(), &info, y.data(), nullptr);
        fired = plan.fired();
      }
      if (!fired) {
        EXPECT_EQ(par, 0);
        EXPECT_EQ(read, 0);
        break;
      }
      if (par == 0 && read == 0) {
        EXPECT_EQ(y, range(0, 11)) << "failure at operation " << n;
      } else if (kinds == qtest::kFaultHeap) {
        EXPECT_EQ(read, 186) << "failure at allocation " << n;
      }
      ASSERT_LT(n, 2000);
    }
  }
}

// Every prefix of a small file: a status, never a crash, and no success
// before the last data line is complete.
TEST(JcampRead, EveryPrefixOfAFile) {
  const std::string full = jcampText(baseRecords());
  const std::size_t complete = full.find("200HJT") + 6;
  qtest::TempDir dir;
  std::string path = dir.file("prefix.dx");
  for (std::size_t len = 0; len <= full.size(); ++len) {
    qtest::writeBytes(path, full.substr(0, len));
    qtest::UiCapture ui;
    int detected = NMRIsJCAMP(path.c_str());
    Read r = readFile(path);
    bool ok = r.par == 0 && r.read == 0;
    EXPECT_EQ(ok, len >= complete) << "prefix " << len << " par " << r.par << " read " << r.read;
    if (ok) {
      EXPECT_EQ(r.y, range(0, 11)) << "prefix " << len;
    }
    if (len >= full.find("##DATA CLASS")) {
      EXPECT_EQ(detected, 1) << "prefix " << len;
    }
    // A line cut inside its abscissa fails the x-sequence check.
    for (const auto& box : boxCodes(ui)) EXPECT_EQ(box, code(143, 149)) << "prefix " << len;
  }
}

// ---- detection ------------------------------------------------------------------------

TEST(JcampDetect, TitleVersionAndDataType) {
  struct Case {
    const char* name;
    std::string text;
    int expected;
  };
  const std::string tail = "##DATA TYPE=NMR SPECTRUM\r\n##END=\r\n";
  const Case cases[] = {
      {"base", jcampText(baseRecords()), 1},
      {"FID", "##TITLE=t\r\n##JCAMP-DX=5.00\r\n##DATA TYPE=NMR FID\r\n", 1},
      {"version 4.24", "##TITLE=t\r\n##JCAMP-DX=4.24\r\n" + tail, 1},
      {"version 5.0 with comment", "##TITLE=t\r\n##JCAMP-DX=5.0 $$ Bruker\r\n" + tail, 1},
      {"label JCAMPDX", "##TITLE=t\r\n##JCAMPDX=5.01\r\n" + tail, 1},
      {"label written apart", "##title=t\r\n## jcamp_dx = 5.01\r\n## data type = nmr spectrum\r\n",
       1},
      {"no title", "##JCAMP-DX=5.01\r\n" + tail, 0},
      {"no version", "##TITLE=t\r\n" + tail, 0},
      {"version 6.00", "##TITLE=t\r\n##JCAMP-DX=6.00\r\n" + tail, 0},
      {"version 5", "##TITLE=t\r\n##JCAMP-DX=5\r\n" + tail, 0},
      {"no data type", "##TITLE=t\r\n##JCAMP-DX=5.01\r\n", 0},
      {"link", "##TITLE=t\r\n##JCAMP-DX=5.01\r\n##DATA TYPE=LINK\r\n##BLOCKS=2\r\n" + tail, 0},
      {"infrared", "##TITLE=t\r\n##JCAMP-DX=5.01\r\n##DATA TYPE=INFRARED SPECTRUM\r\n", 0},
      {"older header in a comment",
       "##TITLE=t\r\n##JCAMPDX=\t6.0\r\n$$ ##JCAMPDX= 5.0  $$ Bruker NMR JCAMP-DX V1.0\r\n" + tail,
       0},
      {"last record without line end", "##TITLE=t\r\n##JCAMP-DX=5.01\r\n##DATA TYPE=NMR SPECTRUM",
       1},
      {"empty file", "", 0},
  };
  qtest::TempDir dir;
  int k = 0;
  for (const auto& c : cases) {
    std::string path = dir.file("detect" + std::to_string(k++) + ".dx");
    qtest::writeBytes(path, c.text);
    EXPECT_EQ(NMRIsJCAMP(path.c_str()), c.expected) << c.name;
  }
  EXPECT_EQ(NMRIsJCAMP(dir.file("missing.dx").c_str()), 0);
  EXPECT_EQ(NMRIsJCAMP(nullptr), 0);
}

// ---- real files -------------------------------------------------------------------------

std::string jcampDir(const std::string& testdata) { return testdata + "/jcamp/"; }

struct RealCase {
  const char* file;  // under testdata/jcamp
  int detected;
  int par;   // -1: not asked (the file is not detected)
  int read;  // -1: not asked
};

const RealCase kRealFiles[] = {
    {"nzhagen-jcamp__jcamp-dx.org_ISAS_testfiles/BRUKAFFN.DX", 1, 0, 0},
    {"nzhagen-jcamp__jcamp-dx.org_ISAS_testfiles/BRUKPAC.DX", 1, 0, 0},
    {"nzhagen-jcamp__jcamp-dx.org_ISAS_testfiles/BRUKSQZ.DX", 1, 0, 0},
    {"nzhagen-jcamp__jcamp-dx.org_ISAS_testfiles/BRUKDIF.DX", 1, 0, 0},
    {"nzhagen-jcamp__jcamp-dx.org_ISAS_testfiles/TEST32.DX", 1, 0, 0},
    {"nzhagen-jcamp__jcamp-dx.org_ISAS_testfiles/TESTSPEC.DX", 1, 0, 0},
    {"nzhagen-jcamp__jcamp-dx.org_ISAS_testfiles/BRUKNTUP.DX", 1, 168, -1},
    {"nzhagen-jcamp__jcamp-dx.org_ISAS_testfiles/TESTNTUP.DX", 1, 168, -1},
    {"nzhagen-jcamp__jcamp-dx.org_ISAS_testfiles/TESTFID.DX", 1, 168, -1},
    {"nzhagen-jcamp__jcamp-dx.org_ISAS_testfiles/ISAS_CDX.DX", 0, 104, -1},
    {"nzhagen-jcamp__jcamp-dx.org_ISAS_testfiles/SPECFILE.DX", 0, 104, -1},
    {"nzhagen-jcamp__jcamp-dx.org_ISAS_testfiles/DX-DIR.TXT", 0, 154, -1},
    {"nzhagen-jcamp__Lancashire_testdata/o01.jdx", 1, 0, 0},
    {"nzhagen-jcamp__Lancashire_testdata/o02.jdx", 1, 0, 0},
    {"nzhagen-jcamp__Lancashire_testdata/o03.jdx", 1, 0, 0},
    {"nzhagen-jcamp__Lancashire_testdata/o04.jdx", 1, 0, 0},
    {"nzhagen-jcamp__Lancashire_testdata/o05.jdx", 1, 0, 0},
    {"nzhagen-jcamp__Lancashire_testdata/fixdec2.jdx", 1, 0, 0},
    {"nzhagen-jcamp__Lancashire_testdata/o07.jdx", 1, 168, -1},
    {"nzhagen-jcamp__Lancashire_testdata/o10.jdx", 1, 168, -1},
    {"nzhagen-jcamp__Lancashire_testdata/ofid3.jdx", 1, 155, -1},
    {"nzhagen-jcamp__Lancashire_testdata/ofid4.jdx", 1, 155, -1},
    {"nzhagen-jcamp__Lancashire_testdata/pktab1.jdx", 0, 104, -1},
    {"cheminfo-jcampconverter/compression/jcamp-fix.dx", 1, 0, 0},
    {"cheminfo-jcampconverter/compression/jcamp-packed.dx", 1, 0, 0},
    {"cheminfo-jcampconverter/compression/jcamp-squeezed.dx", 1, 0, 0},
    {"cheminfo-jcampconverter/compression/jcamp-difdup.dx", 1, 0, 0},
    {"cheminfo-jcampconverter/ethylvinylether/1h.jdx", 1, 168, -1},
    {"cheminfo-jcampconverter/indometacin/1h.dx", 0, -1, -1},
    {"npm-jcamp-data-test-0.2.1/aspirin-1h.fid.dx", 0, -1, -1},
    {"npm-jcamp-data-test-0.2.1/Rutin_3080ug200uL_DMSOd6_qHNMR_400MHz_JDX.jdx", 0, 104, -1},
    {"nzhagen-jcamp__misc/1HQuinine.jdx", 0, 154, -1},
    {"nzhagen-jcamp__misc/difdup_example.jdx", 0, 154, -1},
    {"nzhagen-jcamp__misc/ethanol_nmr.jdx", 0, 104, -1},
    {"NMRPy-nmrpy__spinsolve/nmr_fid.dx", 1, 168, -1},
};

TEST(JcampRealData, EveryFileIsReadOrRefused) {
  std::string testdata;
  QTEST_REQUIRE_TESTDATA(testdata);
  for (const auto& c : kRealFiles) {
    std::string path = jcampDir(testdata) + c.file;
    ASSERT_TRUE(qtest::fileExists(path)) << c.file;
    qtest::UiCapture ui;
    EXPECT_EQ(NMRIsJCAMP(path.c_str()), c.detected) << c.file;
    if (c.par < 0) continue;
    Read r = readFile(path);
    EXPECT_EQ(r.par, c.par) << c.file;
    if (c.read >= 0) {
      EXPECT_EQ(r.read, c.read) << c.file;
    }
    EXPECT_TRUE(ui.boxes().empty()) << c.file;
  }
}

void listFiles(const std::string& folder, const std::string& prefix,
               std::vector<std::string>* out) {
  plat::FindData found;
  HANDLE h = plat::ops().findFirst((folder + "/*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return;
  std::vector<std::string> dirs;
  do {
    std::string name = found.name;
    if (name == "." || name == "..") continue;
    if (found.attributes & plat::kAttrDirectory) {
      dirs.push_back(name);
    } else if (name != "SOURCE.txt" && name != "LICENSE") {
      out->push_back(prefix + name);
    }
  } while (plat::ops().findNext(h, &found));
  plat::ops().findClose(h);
  for (const auto& d : dirs) listFiles(folder + "/" + d, prefix + d + "/", out);
}

TEST(JcampRealData, NoFileIsLeftOut) {
  std::string testdata;
  QTEST_REQUIRE_TESTDATA(testdata);
  std::vector<std::string> files;
  listFiles(testdata + "/jcamp", "", &files);
  EXPECT_FALSE(files.empty());
  for (const auto& f : files) {
    bool listed = false;
    for (const auto& c : kRealFiles) listed = listed || f == c.file;
    EXPECT_TRUE(listed) << f << " is not in the table of real files";
  }
}

// One spectrum in several compressions: what each file says (NPOINTS,
// FIRSTX, LASTX, observe frequency, FIRSTY and the first ordinates of the
// AFFN form, as written in the files) and the same ordinates everywhere,
// each file's own YFACTOR applied.
struct SpectrumSet {
  const char* name;
  std::vector<std::pair<const char*, double>> files;  // file and its YFACTOR
  long nPoints;
  float firstX, lastX, sf;
  double firstY;                       // FIRSTY
  std::vector<double> firstOrdinates;  // of the first data line of the AFFN form
  double lastOrdinate;                 // of the last data line of the AFFN form
  double tolerance;                    // absolute, plus 1e-7 relative (float storage)
};

void checkSameSpectrum(const std::string& testdata, const SpectrumSet& set) {
  std::vector<double> reference;
  for (const auto& file : set.files) {
    std::string path = jcampDir(testdata) + file.first;
    SCOPED_TRACE(std::string(set.name) + ": " + file.first);
    qtest::UiCapture ui;
    ASSERT_EQ(NMRIsJCAMP(path.c_str()), 1);
    Read r = readFile(path);
    ASSERT_EQ(r.par, 0);
    ASSERT_EQ(r.read, 0);
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(r.info.GetSI(1), set.nPoints);
    EXPECT_FLOAT_EQ(r.info.GetF1(1), set.firstX);
    EXPECT_FLOAT_EQ(r.info.GetF2(1), set.lastX);
    EXPECT_FLOAT_EQ(r.info.GetSF(1), set.sf);
    std::vector<double> scaled;
    for (float v : r.y) scaled.push_back(v * file.second);
    auto matches = [&](double a, double b) {
      return std::fabs(a - b) <= set.tolerance + 1e-7 * std::fabs(b);
    };
    EXPECT_TRUE(matches(scaled[0], set.firstY)) << scaled[0] << " FIRSTY " << set.firstY;
    for (std::size_t i = 0; i < set.firstOrdinates.size(); ++i)
      EXPECT_TRUE(matches(scaled[i], set.firstOrdinates[i])) << "point " << i;
    EXPECT_TRUE(matches(scaled.back(), set.lastOrdinate)) << scaled.back();
    if (reference.empty()) {
      reference = scaled;
      continue;
    }
    int differing = 0;
    for (std::size_t i = 0; i < scaled.size() && i < reference.size(); ++i)
      if (!matches(scaled[i], reference[i]) && ++differing <= 3)
        ADD_FAILURE() << "point " << i << ": " << scaled[i] << " against " << reference[i];
    EXPECT_EQ(differing, 0);
  }
}

TEST(JcampRealData, OneSpectrumInEveryCompression) {
  std::string testdata;
  QTEST_REQUIRE_TESTDATA(testdata);
  const std::string isas = "nzhagen-jcamp__jcamp-dx.org_ISAS_testfiles/";
  const std::string lanc = "nzhagen-jcamp__Lancashire_testdata/";
  const std::string chem = "cheminfo-jcampconverter/compression/";
  const std::vector<std::string> names = {
      isas + "BRUKAFFN.DX",     isas + "BRUKPAC.DX",        isas + "BRUKSQZ.DX",
      isas + "TEST32.DX",       isas + "BRUKDIF.DX",        isas + "TESTSPEC.DX",
      lanc + "o01.jdx",         lanc + "o02.jdx",           lanc + "o03.jdx",
      lanc + "o04.jdx",         lanc + "o05.jdx",           chem + "jcamp-fix.dx",
      chem + "jcamp-packed.dx", chem + "jcamp-squeezed.dx", chem + "jcamp-difdup.dx"};
  auto n = [&](int i) { return names[static_cast<std::size_t>(i)].c_str(); };
  const SpectrumSet sets[] = {
      {"ISAS 13C, 32-bit",
       {{n(0), 1}, {n(1), 1}, {n(2), 1}, {n(3), 1}},
       16384,
       24038.5f,
       0,
       100.4f,
       2259260,
       {2259260, -5242968, -7176216, -1616072},
       1505988,
       0},
      // BRUKDIF holds the 16-bit ordinates of TESTSPEC times its YFACTOR.
      {"ISAS 13C, 16-bit",
       {{n(4), 1}, {n(5), 29670.15003}},
       16384,
       24038.5f,
       0,
       100.4f,
       2254931,
       {2254931, -5251616, -7180176},
       1513177,
       1},
      {"Lancashire 1H",
       {{n(6), 1.267406}, {n(7), 1.267406}, {n(8), 1.267406}, {n(9), 1.267406}, {n(10), 1.267406}},
       8192,
       2391.297363f,
       -402.202637f,
       200.136f,
       46.894020,
       {46.894022, -2.534812, -2.534812, 2.534812},
       -1.267406,
       1e-5},
      {"cheminfo 1H",
       {{n(11), 1}, {n(12), 1}, {n(13), 1}, {n(14), 1}},
       16384,
       5592.84116331095f,
       0,
       400.1321303162f,
       -10247,
       {-10247, 1201, -5196, 7245},
       14967,
       0},
  };
  for (const auto& set : sets) checkSameSpectrum(testdata, set);
}

TEST(JcampRealData, FixedWidthFieldsThatRunTogether) {
  std::string testdata;
  QTEST_REQUIRE_TESTDATA(testdata);
  Read r = readFile(jcampDir(testdata) + "nzhagen-jcamp__Lancashire_testdata/fixdec2.jdx");
  ASSERT_EQ(r.par, 0);
  ASSERT_EQ(r.read, 0);
  EXPECT_EQ(r.info.GetSI(1), 8192);
  EXPECT_FLOAT_EQ(r.info.GetF1(1), 2429.951f);
  EXPECT_FLOAT_EQ(r.info.GetF2(1), -160.815f);
  // "2429.9-424052-1751858-1820561..." and the last line "-160.45 1093967 1226589".
  EXPECT_EQ(r.y[0], -424052);
  EXPECT_EQ(r.y[1], -1751858);
  EXPECT_EQ(r.y[2], -1820561);
  EXPECT_EQ(r.y[8190], 1093967);
  EXPECT_EQ(r.y[8191], 1226589);
  EXPECT_NEAR(r.y[0] * 9.5367E-7, -0.4044, 1e-4);  // FIRSTY
}

// The block decoder on blocks of files that are not NMR spectra: a bare
// DIFDUP block, and an infrared block whose last line fails its Y check and
// whose abscissas drift by more than half a point from its 902nd point on.
TEST(JcampRealData, BlocksOfOtherFiles) {
  std::string testdata;
  QTEST_REQUIRE_TESTDATA(testdata);
  struct Case {
    const char* file;
    float firstX, lastX;
    long nPoints;
    float xFactor, yFactor;
    std::vector<std::string> boxes;
    double firstY, lastY;  // FIRSTY, and the last line's value, both times YFACTOR
  };
  const Case cases[] = {
      {"nzhagen-jcamp__misc/difdup_example.jdx", 4, 56, 53, 1, 0.1f, {}, 0, 12.8},
      {"nzhagen-jcamp__jcamp-dx.org_ISAS_testfiles/SPECFILE.DX",
       400,
       4000,
       1801,
       0.125f,
       0.00312499f,
       {code(143, 149), code(143, 151)},
       97.7404,
       0},
  };
  for (const auto& c : cases) {
    plat::File f = openForReading(jcampDir(testdata) + c.file);
    ASSERT_TRUE(f.ok()) << c.file;
    char line[300];
    while (CVlgets(line, sizeof line, f.get()) && std::strncmp(line, "##XYDATA", 8) != 0) {
    }
    std::vector<float> y(static_cast<std::size_t>(c.nPoints), -12345.0f);
    qtest::UiCapture ui;
    EXPECT_EQ(Jcamp_evalXYBlock(f.get(), y.data(), c.firstX, c.lastX, c.nPoints, c.xFactor,
                                c.yFactor, 0, 1),
              0u)
        << c.file;
    EXPECT_EQ(boxCodes(ui), c.boxes) << c.file;
    EXPECT_NEAR(y.front(), c.firstY, 0.01) << c.file;
    EXPECT_NEAR(y.back(), c.lastY, 1e-5) << c.file;
    // The block ended with the file's last line, its ##END= record.
    EXPECT_EQ(CVlgets(line, sizeof line, f.get()), nullptr) << c.file;
  }
}

// Prefixes of a real file, every 29th byte and every byte around its
// XYDATA record and its last data line.
TEST(JcampRealData, PrefixesOfARealFile) {
  std::string testdata;
  QTEST_REQUIRE_TESTDATA(testdata);
  std::string full =
      qtest::readBytes(jcampDir(testdata) + "nzhagen-jcamp__Lancashire_testdata/o05.jdx");
  ASSERT_FALSE(full.empty());
  const std::size_t xydata = full.find("##XYDATA");
  const std::size_t end = full.find("##END");
  ASSERT_NE(end, std::string::npos);
  const std::size_t lastLine = full.rfind('\n', end - 2) + 1;
  qtest::TempDir dir;
  std::string path = dir.file("o05.jdx");
  for (std::size_t len = 0; len <= full.size(); ++len) {
    bool inWindow =
        (len + 40 > xydata && len < xydata + 40) || (len + 4 > lastLine && len < end + 8);
    if (len % 29 != 0 && !inWindow && len != full.size()) continue;
    qtest::writeBytes(path, full.substr(0, len));
    qtest::UiCapture ui;
    Read r = readFile(path);
    bool ok = r.par == 0 && r.read == 0;
    if (len + 1 < lastLine) {
      EXPECT_FALSE(ok) << "prefix " << len;
    }
    if (len >= end) {
      EXPECT_TRUE(ok) << "prefix " << len << " par " << r.par << " read " << r.read;
    }
  }
}

}  // namespace
