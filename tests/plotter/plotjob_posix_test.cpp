// The plot job with the native tools: a real TopSpin spectrum rendered by
// Ghostscript, and `quintar plot` run as a program.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "oracle.h"
#include "plotter/plotjob.h"
#include "spectrum/spectrum.h"
#include "support/capture.h"
#include "support/files.h"
#include "winutil/platform/platform.h"

namespace {

std::string shellQuoted(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(PlotJobGhostscript, RealTopSpinSpectrumRendersToPng) {
  std::string root;
  QTEST_REQUIRE_TESTDATA(root);
  if (!plottest::haveGhostscript()) GTEST_SKIP() << "Ghostscript is not installed";
  qtest::TempDir dir;
  qtest::UiCapture ui;
  PLOTJOBSTATE state;
  std::string ps = dir.file("menthol.ps"), png = dir.file("menthol.png");
  std::string r1 = root + "/bruker/npm-nmredata-data-test-menthol/10/pdata/1/1r";
  ASSERT_TRUE(plat::copyText(state.single.spectrum, sizeof state.single.spectrum, r1.c_str()));
  ASSERT_TRUE(plat::copyText(state.single.plot.outputpath, sizeof state.single.plot.outputpath, ps.c_str()));
  state.single.plot.outputformat = PLOT_POSTSCRIPT;
  state.single.plot.updatef1f2 = 1;
  Spectrum spectrum;
  ASSERT_EQ(0, RunPlotJob(state, spectrum));
  std::string command = "gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=png16m -r60 -sOutputFile=" +
                        shellQuoted(png) + " " + shellQuoted(ps) + " >/dev/null 2>&1";
  EXPECT_EQ(0, std::system(command.c_str()));
  EXPECT_FALSE(qtest::readBytes(png).empty());
}

// `quintar plot` beside the test program.
class PlotCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    char self[4096];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) GTEST_SKIP() << "the test program's folder is unknown";
    self[n] = 0;
    std::string folder(self);
    tool_ = folder.substr(0, folder.rfind('/')) + "/quintar";
    if (access(tool_.c_str(), X_OK) != 0) GTEST_SKIP() << "quintar is not built beside the tests";
    a_ = dir_.file("a.dat");
    b_ = dir_.file("b.dat");
    // 4 points at 4 .. 1 ppm (100 MHz): A reaches 10, B 20.
    qtest::writeBytes(a_, "4\n100\n100\n400\n0\n0\n10\n2\n1\n");
    qtest::writeBytes(b_, "4\n100\n100\n400\n0\n5\n20\n3\n1\n");
  }

  // Runs quintar with `arguments`; the exit status, with the error output
  // in err_.
  int run(const std::vector<std::string>& arguments) {
    std::string command = shellQuoted(tool_);
    for (const std::string& a : arguments) command += " " + shellQuoted(a);
    std::string log = dir_.file("stderr.txt");
    command += " >/dev/null 2>" + shellQuoted(log);
    int status = std::system(command.c_str());
    err_ = qtest::readBytes(log);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  qtest::TempDir dir_;
  std::string tool_, a_, b_, err_;
};

TEST_F(PlotCommand, SeveralSpectraShareOnePageAndTheAbsoluteScale) {
  std::string out = dir_.file("two.ps");
  ASSERT_EQ(0, run({"plot", a_, b_, "-o", out, "--format", "ps", "--set", "absolute=1", "--set",
                    "F1=4", "--set", "F2=0", "--set", "CX=8"}))
      << err_;
  std::string ps = qtest::readBytes(out);
  EXPECT_EQ(1u, count(ps, "showpage"));
  EXPECT_EQ(1u, count(ps, "%!PS-Adobe-3.0"));
  EXPECT_EQ(2u, count(ps, "/Helvetica findfont"));
  // B on A's scale (1.2 cm per unit): its first point 5 is at 11 cm.
  EXPECT_NE(std::string::npos, ps.find("newpath\r\n1.00000 5.00000 moveto\r\n"));
  EXPECT_NE(std::string::npos, ps.find("newpath\r\n1.00000 11.00000 moveto\r\n"));
  EXPECT_TRUE(plottest::ghostscriptAccepts(out));

  // Without the absolute mode each plot takes its own scale (0.6 for B).
  std::string own = dir_.file("own.ps");
  ASSERT_EQ(0, run({"plot", a_, b_, "-o", own, "--format", "ps", "--set", "F1=4", "--set", "F2=0"}));
  EXPECT_NE(std::string::npos, qtest::readBytes(own).find(" 8.00000 moveto\r\n"));
}

TEST_F(PlotCommand, LayoutFileSettingsAndFormat) {
  std::string layout = dir_.file("layout.ini");
  qtest::writeBytes(layout, "[SINGLE]\r\nF1=4\r\nF2=0\r\noutputformat=1\r\npen=3\r\nlegend=shift\r\n");
  std::string out = dir_.file("plot.ps");
  ASSERT_EQ(0, run({"plot", a_, "-o", out, "--layout", layout, "--set", "Legend=[ppm] (CDCl3)"})) << err_;
  std::string ps = qtest::readBytes(out);
  EXPECT_NE(std::string::npos, ps.find("0 1 0 setrgbcolor\r\n")) << "pen 3 from the layout file";
  // The window 4 .. 0 ppm from the file: 4 points 5.5 cm apart from x = 1.
  EXPECT_NE(std::string::npos, ps.find("newpath\r\n1.00000 5.00000 moveto\r\n6.50000 "));
  EXPECT_NE(std::string::npos, ps.find("([ppm] \\(CDCl3\\)) ct\r\n"));
  EXPECT_TRUE(plottest::ghostscriptAccepts(out));

  // --format wins over the layout.
  std::string hpgl = dir_.file("plot.plt");
  ASSERT_EQ(0, run({"plot", a_, "-o", hpgl, "--layout", layout, "--format", "hpgl"})) << err_;
  std::string text = qtest::readBytes(hpgl);
  EXPECT_EQ(0u, text.find("IN;IP0,0,402,402;SC,0.0,1.0,0.0,1.0;RO0;VS10;SP3;LT;PU;PA")) << text;
  EXPECT_TRUE(plottest::hp2xxAccepts(hpgl));
  // A pen of 40 is pen 12 (hp2xx knows only 8 pens: no reader here).
  ASSERT_EQ(0, run({"plot", a_, "-o", hpgl, "--format", "hpgl", "--set", "pen=40", "--set", "append=0"}))
      << err_;
  EXPECT_EQ(0u, qtest::readBytes(hpgl).find("IN;IP0,0,402,402;SC,0.0,1.0,0.0,1.0;RO0;VS10;SP12;LT;PU;PA"));
}

TEST_F(PlotCommand, RefusedRequestsLeaveNoFile) {
  std::string out = dir_.file("none.ps");
  struct Case {
    const char* name;
    std::vector<std::string> arguments;
    const char* message;
  } cases[] = {
      {"unknown key", {"--set", "colour=2"}, "--set colour: not a layout key"},
      {"no equals sign", {"--set", "CX"}, "expected key=value"},
      {"integer that is not one", {"--set", "skippoints=2.5"}, "not a whole number"},
      {"real that is not one", {"--set", "CX=wide"}, "not a number"},
      {"real beyond a float", {"--set", "CY=1e40"}, "not a number"},
      {"legend too long", {"--set", "legend=" + std::string(40, 'x')}, "longer than 39 characters"},
      {"spectrum as a setting", {"--set", "lastpath=x.dat"}, "given by SPECTRUM"},
      {"missing layout file", {"--layout", dir_.file("none.ini")}, "no such layout file"},
      {"window beside the spectrum", {"--set", "F1=300", "--set", "F2=200"},
       "The spectrum is outside the specified plot limits! (message 78)"},
      {"equal limits", {"--set", "F1=3", "--set", "F2=3"}, "Plot limits F1,F2 are invalid! (message 55)"},
      {"spectrum with units s", {"--set", "units=2"},
       "Axis units are not compatible with spectrum type (message 51)"},
      {"divisor 0", {"--set", "divisor=0", "--set", "updatef1f2=1"}, "(message 55)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> arguments{"plot", a_, "-o", out, "--format", "ps"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    EXPECT_EQ(1, run(arguments));
    EXPECT_NE(std::string::npos, err_.find(c.message)) << err_;
    EXPECT_FALSE(qtest::fileExists(out));
  }
}

TEST_F(PlotCommand, LoadingFailurePrintsBothMessages) {
  std::string out = dir_.file("plot.plt");
  EXPECT_EQ(1, run({"plot", dir_.file("missing.dat"), "-o", out}));
  EXPECT_NE(std::string::npos, err_.find("Cannot open the specified NMR data file!")) << err_;
  EXPECT_NE(std::string::npos, err_.find("Some unspecified error occured! (message 56)")) << err_;
  EXPECT_FALSE(qtest::fileExists(out));

  // The first spectrum's plot stays when the second fails.
  EXPECT_EQ(1, run({"plot", a_, dir_.file("missing.dat"), "-o", out}));
  EXPECT_TRUE(plottest::hp2xxAccepts(out));
  EXPECT_EQ(1u, count(qtest::readBytes(out), "IN;"));
}

}  // namespace
