// The reader of the package's own ".dat" text files: recognition by the
// consistency of the header, the parameters, and the value lines.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "datafiles/convera.h"
#include "datafiles/generators.h"
#include "datafiles/specinfo.h"
#include "support/capture.h"
#include "support/files.h"

namespace {

class QuintarReader : public ::testing::Test {
 protected:
  std::string file(const std::string& bytes) {
    std::string p = dir.file("sample.dat");
    qtest::writeBytes(p, bytes);
    return p;
  }
  qtest::TempDir dir;
  qtest::UiCapture ui;
  SPECINFO info;
};

TEST_F(QuintarReader, RecognisesAConsistentHeader) {
  struct Case {
    const char* name;
    std::vector<std::string> header;
    int expected;
  } cases[] = {
      {"W / n = Inc", {"1000", "100.0", "10.0", "5000", "-5000"}, 1},
      {"W / (n - 1) = Inc", {"11", "100.0", "1.0", "5", "-5"}, 1},
      {"Inc off by more than W x 1e-4", {"1000", "100.0", "11.5", "5000", "-5000"}, 0},
      {"limits the wrong way round", {"1000", "100.0", "10.0", "-5000", "5000"}, 0},
      {"one point", {"1", "100.0", "10.0", "5", "-5"}, 0},
      {"four lines", {"1000", "100.0", "10.0", "5000"}, 0},
      {"text", {"Point Count: 1000", "100.0", "10.0", "5000", "-5000"}, 0},
      {"CR LF lines as written on Windows", {"1000\r", "100.0\r", "10.0\r", "5000\r", "-5000\r"}, 1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(NMRIsQuintar(file(gen::quintarLines(c.header, {})).c_str()), c.expected) << c.name;
  EXPECT_EQ(NMRIsQuintar(file("").c_str()), 0);
  EXPECT_EQ(NMRIsQuintar(dir.file("missing.dat").c_str()), 0);
  EXPECT_EQ(NMRIsQuintar(nullptr), 0);
}

TEST_F(QuintarReader, ParametersFromTheHeader) {
  std::string p = file(gen::quintar(1000, 100.0, 10.0, 5000, -5000, {}));
  ASSERT_EQ(NMRGetParQuintar(p.c_str(), &info), 0);
  EXPECT_EQ(info.GetDimension(), 1u);
  EXPECT_EQ(info.GetSI(1), 1000);
  EXPECT_EQ(info.GetTD(1), 1000);
  EXPECT_FLOAT_EQ(info.GetSF(1), 100.0f);
  EXPECT_FLOAT_EQ(info.GetF1(1), 5000.0f);
  EXPECT_FLOAT_EQ(info.GetF2(1), -5000.0f);
  EXPECT_FLOAT_EQ(info.GetInc(1), 10.0f);
  EXPECT_EQ(info.GetDataFormat(), 0x6u);
  EXPECT_EQ(info.GetAQMode(1), 0u);
  EXPECT_EQ(info.GetNucleus(1), 0);
  // Line 3 is not used: the increment follows from the limits.
  p = file(gen::quintar(1000, 100.0, 11.5, 5000, -5000, {}));
  ASSERT_EQ(NMRGetParQuintar(p.c_str(), &info), 0);
  EXPECT_FLOAT_EQ(info.GetInc(1), 10.0f);
}

TEST_F(QuintarReader, ParameterStatuses) {
  struct Case {
    const char* name;
    std::vector<std::string> header;
    int status;
  } cases[] = {
      {"one point", {"1", "100", "10", "5", "-5"}, 115},
      {"no lines", {}, 115},
      {"F1 = F2", {"16", "100", "0", "5", "5"}, 116},
      {"no F2 line, F1 0", {"16", "100", "0", "0"}, 116},
      {"F1 not a number", {"16", "100", "1", "nan", "-5"}, 116},
      {"SF 0", {"16", "0", "1", "5", "-5"}, 117},
      {"SF negative", {"16", "-100", "1", "5", "-5"}, 117},
      {"limits the wrong way round are kept", {"16", "100", "1", "-5", "5"}, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NMRGetParQuintar(file(gen::quintarLines(c.header, {})).c_str(), &info), c.status) << c.name;
  }
  EXPECT_EQ(NMRGetParQuintar(dir.file("missing.dat").c_str(), &info), 114);
  EXPECT_EQ(NMRGetParQuintar(nullptr, &info), 256);
}

TEST_F(QuintarReader, ReadsTheValues) {
  std::vector<float> values = gen::ramp(64);
  std::string p = file(gen::quintar(64, 400.13, 125, 4000, -4000, values));
  ASSERT_EQ(NMRIsQuintar(p.c_str()), 1);
  ASSERT_EQ(NMRGetParQuintar(p.c_str(), &info), 0);
  std::vector<float> re(64, -1);
  ASSERT_EQ(NMRReadQuintar(p.c_str(), &info, re.data()), 0);
  EXPECT_EQ(re, values);
  EXPECT_EQ(info.GetModTime(), GetTimeLastModified(p.c_str()));
}

TEST_F(QuintarReader, ValueLineStatuses) {
  std::string head = "3\n100\n10\n15\n-15\n";
  struct Case {
    const char* name;
    std::string lines;
    int status;
  } cases[] = {
      {"three values", "1.5\n-2\n3\n", 0},
      {"last value of one digit without line end", "1.5\n-2\n3", 0},
      {"CR LF", "1.5\r\n-2\r\n3\r\n", 0},
      {"two values", "1.5\n-2\n", 118},
      {"text line", "1.5\nx\n3\n", 118},
      {"blank line", "1.5\n\n-2\n3\n", 118},
      {"line of 120 characters", "1.5\n" + std::string(120, '2') + "\n3\n", 118},
      {"beyond a float", "1.5\n-1e39\n3\n", 126},
  };
  for (const auto& c : cases) {
    std::string p = file(head + c.lines);
    ASSERT_EQ(NMRGetParQuintar(p.c_str(), &info), 0) << c.name;
    std::vector<float> re(3, -9);
    EXPECT_EQ(NMRReadQuintar(p.c_str(), &info, re.data()), c.status) << c.name;
    if (c.status == 0) {
      EXPECT_EQ(re, (std::vector<float>{1.5f, -2, 3})) << c.name;
    }
  }
  std::vector<float> re(3);
  EXPECT_EQ(NMRReadQuintar(file(head).c_str(), &info, nullptr), 132);
  EXPECT_EQ(NMRReadQuintar(file("3\n100\n").c_str(), &info, re.data()), 118);
  EXPECT_EQ(NMRReadQuintar(dir.file("missing.dat").c_str(), &info, re.data()), 114);
}

TEST_F(QuintarReader, ThroughTheDispatchers) {
  std::string p = file(gen::quintar(4, 100, 2.5, 5, -5, {1, 2, 3, 4}));
  ASSERT_EQ(NMRCheckFormat(p.c_str()), FF_QUINTAR);
  info.SetFormat(FF_QUINTAR);
  ASSERT_EQ(NMRGetParameters(nullptr, p.c_str(), &info), 1);
  std::vector<float> re(4), im(4, -1);
  ASSERT_EQ(NMRReadSpectrum(p.c_str(), &info, re.data(), im.data()), 1);
  EXPECT_EQ(re, (std::vector<float>{1, 2, 3, 4}));
  EXPECT_EQ(im, std::vector<float>(4, -1.0f));  // real buffer only
  EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(QuintarReader, EveryPrefixOfAFileGivesAStatus) {
  std::string whole = gen::quintar(4, 100, 2.5, 5, -5, {1, 2, 3, 4});
  for (std::size_t n = 0; n <= whole.size(); ++n) {
    std::string p = file(whole.substr(0, n));
    NMRIsQuintar(p.c_str());
    SPECINFO s;
    int st = NMRGetParQuintar(p.c_str(), &s);
    if (st == 0) {
      std::vector<float> re(static_cast<std::size_t>(s.GetSI(1)));
      st = NMRReadQuintar(p.c_str(), &s, re.data());
    }
    EXPECT_TRUE(st == 0 || st == 115 || st == 116 || st == 117 || st == 118) << "prefix " << n << ": " << st;
    if (n + 1 >= whole.size()) {
      EXPECT_EQ(st, 0) << "prefix " << n;
    }
  }
}

}  // namespace
