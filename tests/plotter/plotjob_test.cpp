// The plot job: its results, the plot window in ppm, Hz, s and pts, the
// vertical scale, thinning, clipping at the upper limit, absolute intensity
// across jobs, the exact plot files of small spectra and a real TopSpin
// spectrum. Every plot file is also read by Ghostscript or hp2xx
// (tests/plotter/oracle.h).

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "oracle.h"
#include "plotter/layout.h"
#include "plotter/plotjob.h"
#include "spectrum/spectrum.h"
#include "support/capture.h"
#include "support/faults.h"
#include "text.h"
#include "support/files.h"
#include "winutil/platform/platform.h"

namespace {

using plottest::count;
using plottest::visible;

std::string fmt(const char* format, double a, double b) {
  char buf[128];
  std::snprintf(buf, sizeof buf, format, a, b);
  return buf;
}

::testing::AssertionResult accepted(const std::string& path, int dialect) {
  return dialect == PLOT_POSTSCRIPT ? plottest::ghostscriptAccepts(path)
                                    : plottest::hp2xxAccepts(path);
}

// A spectrum in memory: points at F1 .. F2 Hz, optionally a time-domain
// signal with TD acquired points.
struct Data {
  bool fid;
  float sf, f1, f2;
  std::vector<float> values;
  long td = 0;  // 0: the number of points
};

void load(Spectrum& s, const Data& d) {
  const long n = static_cast<long>(d.values.size());
  ASSERT_EQ(1, s.Init(d.fid ? 1 : 0, n, d.sf, d.f1, d.f2));
  s.SetSpecFlag(SPF_FID, d.fid ? 1 : 0);
  s.SetTD(d.td ? d.td : n);
  for (long i = 0; i < n; ++i) s.SetRealInt(i, d.values[static_cast<std::size_t>(i)]);
  s.SetSpecFlag(SPF_PRESENT, 1);
}

std::vector<float> ramp(int n) {
  std::vector<float> v;
  for (int i = 0; i < n; ++i) v.push_back(static_cast<float>(i));
  return v;
}

// 8 points from 8 down to 1 ppm at 100 MHz (800 to 0 Hz), intensities 0 to 7.
Data spectrum8() { return {false, 100, 800, 0, ramp(8)}; }
// A time-domain signal of 8 points, 1000 Hz wide: 0.008 s.
Data fid8() { return {true, 100, 500, -500, ramp(8)}; }

void setText(char* field, std::size_t size, const std::string& text) {
  ASSERT_TRUE(plat::copyText(field, size, text.c_str()));
}

// A Quintar ".dat" file: SI, SF in MHz, Inc in Hz, F1 and F2 in Hz, then
// one intensity per line.
std::string quintarText(float sf, float f1, float f2, const std::vector<float>& values) {
  std::string out = std::to_string(values.size()) + "\n";
  char line[64];
  std::snprintf(line, sizeof line, "%g\n%g\n%g\n%g\n", sf, (f1 - f2) / values.size(), f1, f2);
  out += line;
  for (float v : values) {
    std::snprintf(line, sizeof line, "%g\n", v);
    out += line;
  }
  return out;
}

// The trace of a PostScript file written with the axis suppressed: what
// follows the preamble's dash array up to the page end.
std::string psTrace(const std::string& ps) {
  std::size_t from = ps.find("] 0 setdash\r\n");
  std::size_t to = ps.rfind("showpage\r\n");
  if (from == std::string::npos || to == std::string::npos || to < from) return "<no trace>";
  from += 13;
  return ps.substr(from, to - from);
}

// The trace of an HPGL file written with the axis suppressed: what follows
// the preamble.
std::string hpglTrace(const std::string& hpgl) {
  std::size_t from = hpgl.find(";PU;");
  std::size_t pre = hpgl.find("LT;PU;");
  if (pre == std::string::npos || from == std::string::npos) return "<no trace>";
  return hpgl.substr(pre + 6);
}

// The PostScript trace through the points (x, y): one line.
std::string psLine(const std::vector<std::pair<double, double>>& points) {
  std::string out;
  for (std::size_t i = 0; i < points.size(); ++i)
    out += fmt(i == 0 ? "newpath\r\n%.5f %.5f moveto\r\n" : "%.5f %.5f lineto\r\n", points[i].first,
               points[i].second);
  return out + "stroke\r\n";
}

class PlotJobTest : public ::testing::Test {
 protected:
  PlotJobTest() { state_.scale = 42; }

  std::string fresh(const char* ext) { return dir_.file("plot" + std::to_string(++files_) + "." + ext); }

  // The layout of a job that writes into a fresh file of `dialect`.
  std::string prepare(LAYOUT& l, int dialect) {
    std::string path = fresh(dialect == PLOT_POSTSCRIPT ? "ps" : "plt");
    setText(l.plot.outputpath, sizeof l.plot.outputpath, path);
    l.plot.outputformat = dialect;
    return path;
  }

  // Loads `d` and runs the job on the single layout; the result.
  int plot(const Data& d) {
    load(spectrum_, d);
    return PlotLoadedSpectrum(state_, spectrum_);
  }

  std::string writeQuintar(const std::string& name, float sf, float f1, float f2,
                           const std::vector<float>& values) {
    std::string path = dir_.file(name);
    qtest::writeBytes(path, quintarText(sf, f1, f2, values));
    return path;
  }

  qtest::TempDir dir_;
  qtest::UiCapture ui_;
  PLOTJOBSTATE state_;
  Spectrum spectrum_;
  int files_ = 0;
};

// ---- results ------------------------------------------------------------------

TEST_F(PlotJobTest, ResultsOfTheJob) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  Data zeros = spectrum8();
  zeros.values.assign(8, 0.0f);
  Data noSF = spectrum8();
  noSF.sf = 0;  // a fresh object keeps SF 0
  struct Case {
    const char* name;
    Data data;
    std::function<void(LAYOUT&)> change;
    int expected;
    bool scaled;  // whether the failure comes after the vertical scale was fixed
  } cases[] = {
      {"default window around the spectrum", spectrum8(), [](LAYOUT&) {}, 0, true},
      {"window left of the spectrum", spectrum8(), [](LAYOUT& l) { l.trace.F1 = 20; l.trace.F2 = 10; }, 78, false},
      {"window right of the spectrum", spectrum8(), [](LAYOUT& l) { l.trace.F1 = -1; l.trace.F2 = -5; }, 78, false},
      {"window starting at the spectrum's left end", spectrum8(), [](LAYOUT& l) { l.trace.F1 = 10; l.trace.F2 = 8; }, 78, false},
      {"window ending at the spectrum's right end", spectrum8(), [](LAYOUT& l) { l.trace.F1 = 0; l.trace.F2 = -5; }, 78, false},
      {"window between two points", spectrum8(), [](LAYOUT& l) { l.trace.F1 = 6.8f; l.trace.F2 = 6.6f; }, 78, false},
      {"equal limits", spectrum8(), [](LAYOUT& l) { l.trace.F1 = 5; l.trace.F2 = 5; }, 55, false},
      {"ppm limits in the wrong order", spectrum8(), [](LAYOUT& l) { l.trace.F1 = 2; l.trace.F2 = 6; }, 56, false},
      {"Hz limits in the wrong order", spectrum8(),
       [](LAYOUT& l) { l.axis.units = UNITS_HZ; l.trace.F1 = 200; l.trace.F2 = 600; }, 56, false},
      {"s limits in the wrong order", fid8(),
       [](LAYOUT& l) { l.axis.units = UNITS_S; l.trace.F1 = 0.006f; l.trace.F2 = 0.002f; }, 56, false},
      {"pts limits in the wrong order", fid8(),
       [](LAYOUT& l) { l.axis.units = UNITS_PTS; l.trace.F1 = 6; l.trace.F2 = 2; }, 56, false},
      {"limit that is not a number", spectrum8(), [nan](LAYOUT& l) { l.trace.F1 = nan; }, 56, false},
      {"spectrum with units s", spectrum8(), [](LAYOUT& l) { l.axis.units = UNITS_S; }, 51, false},
      {"time-domain signal with units ppm", fid8(), [](LAYOUT& l) { l.axis.units = UNITS_PPM; }, 51, false},
      {"time-domain signal with units Hz", fid8(), [](LAYOUT& l) { l.axis.units = UNITS_HZ; }, 51, false},
      {"units 4", spectrum8(), [](LAYOUT& l) { l.axis.units = 4; }, 51, false},
      {"units -1", fid8(), [](LAYOUT& l) { l.axis.units = -1; }, 51, false},
      {"no spectrometer frequency with units ppm", noSF, [](LAYOUT&) {}, 51, false},
      {"no spectrometer frequency, automatic ppm window", noSF, [](LAYOUT& l) { l.plot.updatef1f2 = 1; }, 51, false},
      {"no spectrometer frequency with units Hz", noSF,
       [](LAYOUT& l) { l.axis.units = UNITS_HZ; l.trace.F1 = 1000; l.trace.F2 = -100; }, 0, true},
      {"time-domain signal in s", fid8(),
       [](LAYOUT& l) { l.axis.units = UNITS_S; l.trace.F1 = 0; l.trace.F2 = 0.008f; }, 0, true},
      {"spectrum in pts", spectrum8(),
       [](LAYOUT& l) { l.axis.units = UNITS_PTS; l.trace.F1 = 0; l.trace.F2 = 8; }, 0, true},
      {"all intensities 0", zeros, [](LAYOUT&) {}, 56, false},
      {"divisor 0, manual window", spectrum8(), [](LAYOUT& l) { l.axis.divisor = 0; }, 55, false},
      {"divisor 0, automatic window", spectrum8(),
       [](LAYOUT& l) { l.axis.divisor = 0; l.plot.updatef1f2 = 1; }, 55, false},
      {"divisor not a number", spectrum8(), [nan](LAYOUT& l) { l.axis.divisor = nan; }, 55, false},
      {"scaling range with units pts", fid8(),
       [](LAYOUT& l) { l.axis.units = UNITS_PTS; l.trace.F1 = 0; l.trace.F2 = 8; l.trace.cyscaling = 1; }, 51, false},
      {"scaling range in the wrong order", spectrum8(),
       [](LAYOUT& l) { l.trace.cyscaling = 1; l.trace.cyf1 = 2; l.trace.cyf2 = 6; }, 56, false},
      {"scaling range left of the spectrum", spectrum8(),
       [](LAYOUT& l) { l.trace.cyscaling = 1; l.trace.cyf1 = 20; l.trace.cyf2 = 10; }, 78, false},
      {"scaling range right of the spectrum", spectrum8(),
       [](LAYOUT& l) { l.trace.cyscaling = 1; l.trace.cyf1 = -1; l.trace.cyf2 = -5; }, 78, false},
      {"scaling range over a zero point only", spectrum8(),
       [](LAYOUT& l) { l.trace.cyscaling = 1; l.trace.cyf1 = 8; l.trace.cyf2 = 7.6f; }, 56, false},
      {"plot width not a number", spectrum8(), [nan](LAYOUT& l) { l.trace.CX = nan; }, 56, false},
      {"output folder missing", spectrum8(),
       [this](LAYOUT& l) { setText(l.plot.outputpath, kLayoutName, dir_.file("none/plot.ps")); }, 56, true},
      {"unknown dialect", spectrum8(), [](LAYOUT& l) { l.plot.outputformat = 5; }, 56, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PLOTJOBSTATE state;
    state.scale = 42;
    std::string path = prepare(state.single, PLOT_POSTSCRIPT);
    c.change(state.single);
    Spectrum s;
    load(s, c.data);
    EXPECT_EQ(c.expected, PlotLoadedSpectrum(state, s));
    std::string out = state.single.plot.outputpath;
    EXPECT_EQ(c.expected == 0, qtest::fileExists(out)) << "the output file";
    if (!c.scaled) {
      EXPECT_EQ(42.0f, state.scale) << "the scale factor";
    }
    if (c.expected == 0) {
      EXPECT_TRUE(accepted(out, PLOT_POSTSCRIPT));
    }
  }
  EXPECT_TRUE(ui_.boxes().empty()) << "the job shows nothing itself";
}

TEST_F(PlotJobTest, LoadingFailureGives56AfterTheLoadersMessage) {
  std::string out = prepare(state_.single, PLOT_HPGL);
  setText(state_.single.spectrum, kLayoutName, dir_.file("missing.dat"));
  EXPECT_EQ(PLOTJOB_FAILED, RunPlotJob(state_, spectrum_));
  EXPECT_EQ(1u, ui_.boxes().size());
  EXPECT_FALSE(qtest::fileExists(out));

  // An empty spectrum name loads nothing and shows nothing.
  ui_.clear();
  state_.single.spectrum[0] = 0;
  EXPECT_EQ(PLOTJOB_FAILED, RunPlotJob(state_, spectrum_));
  EXPECT_TRUE(ui_.boxes().empty());
}

TEST_F(PlotJobTest, PostScriptFileWithoutShowpageIsLeftAlone) {
  std::string out = prepare(state_.single, PLOT_POSTSCRIPT);
  qtest::writeBytes(out, "%!PS-Adobe-3.0\r\nnewpath\r\n");
  state_.single.plot.append = 1;
  EXPECT_EQ(PLOTJOB_FAILED, plot(spectrum8()));
  EXPECT_EQ("%!PS-Adobe-3.0\r\nnewpath\r\n", qtest::readBytes(out));
}

TEST_F(PlotJobTest, SpectrumWhoseFirstPointIsItsLowestFrequency) {
  // JCAMP-DX with FIRSTX 0 and LASTX 300 Hz: F1 below F2.
  std::string dx = dir_.file("rising.dx");
  qtest::writeBytes(dx, "##TITLE=rising\n##JCAMP-DX=4.24\n##DATA TYPE=NMR SPECTRUM\n##DATA CLASS=XYDATA\n"
                        "##.OBSERVE FREQUENCY=100\n##XUNITS=HZ\n##YUNITS=ARBITRARY UNITS\n##FIRSTX=0\n"
                        "##LASTX=300\n##XFACTOR=1\n##YFACTOR=1\n##NPOINTS=4\n##XYDATA=(X++(Y..Y))\n"
                        "0 1 2 3 4\n##END=\n");
  setText(state_.single.spectrum, kLayoutName, dx);
  std::string out = prepare(state_.single, PLOT_POSTSCRIPT);
  state_.single.plot.append = 0;
  // The automatic window plots it from 0 ppm at the left to 3 ppm.
  state_.single.plot.updatef1f2 = 1;
  ASSERT_EQ(0, RunPlotJob(state_, spectrum_));
  ASSERT_LT(spectrum_.GetF1(), spectrum_.GetF2());
  EXPECT_NE(std::string::npos, qtest::readBytes(out).find("newpath\r\n1.00000 8.00000 moveto\r\n"));
  EXPECT_TRUE(accepted(out, PLOT_POSTSCRIPT));
  // A manual window over it would give a trace of negative width.
  state_.single.plot.updatef1f2 = 0;
  for (float L1 : {10.0f, 2.0f}) {
    SCOPED_TRACE(L1);
    state_.single.trace.F1 = L1;
    state_.single.trace.F2 = -1;
    EXPECT_EQ(PLOTJOB_OUTSIDE, RunPlotJob(state_, spectrum_));
  }
}

// ---- the plot window ----------------------------------------------------------------

TEST_F(PlotJobTest, ManualWindowInEveryUnit) {
  // 100 points from 10 down to 0 ppm at 100 MHz (1000 to 0 Hz); a signal of
  // 100 points acquired over 0.1 s.
  const Data spec{false, 100, 1000, 0, ramp(100)};
  const Data fid{true, 100, 500, -500, ramp(100)};
  struct Case {
    const char* name;
    const Data* data;
    int units;
    float L1, L2;
    long first, last;
    double xstart, width;
  } cases[] = {
      {"ppm inside", &spec, UNITS_PPM, 8, 2, 20, 79, 1, 22},
      {"ppm to the nearest points", &spec, UNITS_PPM, 7.94f, 2.06f, 21, 78, 1, 22},
      {"ppm wider on both sides", &spec, UNITS_PPM, 12, -2, 0, 99, 1 + 22 * 2.0 / 14, 22 * 10.0 / 14},
      {"ppm beyond the left end", &spec, UNITS_PPM, 11, 5, 0, 49, 1 + 22 / 6.0, 22 * 5.0 / 6},
      {"ppm at both ends", &spec, UNITS_PPM, 10, 0, 0, 99, 1, 22},
      {"Hz inside", &spec, UNITS_HZ, 800, 200, 20, 79, 1, 22},
      {"Hz beyond the right end", &spec, UNITS_HZ, 500, -500, 50, 99, 1, 11},
      {"s inside", &fid, UNITS_S, 0.02f, 0.05f, 20, 49, 1, 22},
      {"s wider on both sides", &fid, UNITS_S, -0.1f, 0.2f, 0, 99, 1 + 22 / 3.0, 22 / 3.0},
      {"pts inside", &fid, UNITS_PTS, 10, 60, 10, 59, 1, 22},
      {"pts to the nearest points", &fid, UNITS_PTS, 10.6f, 59.4f, 11, 58, 1, 22},
      {"s to the nearest points", &fid, UNITS_S, 0.0106f, 0.0594f, 11, 58, 1, 22},
      {"pts beyond the right end", &fid, UNITS_PTS, 50, 200, 50, 99, 1, 22 * 50.0 / 150},
      {"pts over the whole signal", &fid, UNITS_PTS, 0, 100, 0, 99, 1, 22},
      {"pts of a spectrum", &spec, UNITS_PTS, -100, 100, 0, 99, 12, 11},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Spectrum s;
    load(s, *c.data);
    LAYOUT l;
    SetLayoutDefaults(&l);
    l.axis.units = c.units;
    l.trace.F1 = c.L1;
    l.trace.F2 = c.L2;
    PLOTWINDOW w{};
    ASSERT_EQ(0, PlotWindow(l, s, &w));
    EXPECT_EQ(c.L1, w.F1);
    EXPECT_EQ(c.L2, w.F2);
    EXPECT_EQ(c.first, w.first);
    EXPECT_EQ(c.last, w.last);
    EXPECT_NEAR(c.xstart, w.xstart, 1e-5);
    EXPECT_NEAR(c.width, w.width, 1e-5);
    // The manual window leaves the axis as configured.
    EXPECT_EQ(10.0f, l.axis.tickincrement);
    EXPECT_EQ(5, l.axis.labelincrement);
  }
}

TEST_F(PlotJobTest, AutomaticWindowScalesTheAxis) {
  struct Case {
    const char* name;
    Data data;
    int units;
    float F1, F2;
    float tick;
    int decimals, label;
  } cases[] = {
      {"300 ppm wide", {false, 100, 15000, -15000, ramp(100)}, UNITS_PPM, 150, -150, 10, 0, 5},
      {"1.2 ppm wide", {false, 100, 120, 0, ramp(100)}, UNITS_PPM, 1.2f, 0, 0.01f, 2, 10},
      {"10 ppm wide", {false, 100, 1000, 0, ramp(100)}, UNITS_PPM, 10, 0, 0.1f, 1, 5},
      {"1000 Hz wide", {false, 100, 1000, 0, ramp(100)}, UNITS_HZ, 1000, 0, 10, 0, 10},
      {"0.1 s", {true, 100, 500, -500, ramp(100)}, UNITS_S, 0, 0.1f, 0.001f, 3, 5},
      {"0.05 s of 100 points acquired over 50", {true, 100, 500, -500, ramp(100), 50}, UNITS_S, 0, 0.05f, 0.001f, 3, 5},
      {"100 pts", {true, 100, 500, -500, ramp(100)}, UNITS_PTS, 0, 100, 1, 0, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Spectrum s;
    load(s, c.data);
    LAYOUT l;
    SetLayoutDefaults(&l);
    l.plot.updatef1f2 = 1;
    l.axis.units = c.units;
    PLOTWINDOW w{};
    ASSERT_EQ(0, PlotWindow(l, s, &w));
    EXPECT_FLOAT_EQ(c.F1, w.F1);
    EXPECT_FLOAT_EQ(c.F2, w.F2);
    EXPECT_EQ(0, w.first);
    EXPECT_EQ(99, w.last);
    EXPECT_EQ(1, w.xstart);
    EXPECT_EQ(22, w.width);
    EXPECT_FLOAT_EQ(c.tick, l.axis.tickincrement);
    EXPECT_EQ(c.decimals, l.axis.decimals);
    EXPECT_EQ(c.label, l.axis.labelincrement);
  }
}

TEST_F(PlotJobTest, AutomaticLabelIncrement) {
  // 1000 Hz wide: tick increment 10, 100 ticks, labels of 3 digits 0.5 cm
  // high, so W x ticks = 150 cm; the labels must fit CX.
  struct Case {
    int configured;
    float CX;
    int expected;
  } cases[] = {
      {1, 22, 10},  // 1 -> 2 -> 4 -> 5 -> 10
      {3, 22, 10},  // 3 -> 4 -> 5 -> 10
      {5, 7.6f, 20},
      {5, 7, 5},    // would need 22: above 20, the configured value stays
      {20, 5, 20},  // 20 -> 21 -> ... -> 30: above 20
      {5, 1, 5},    // one label is wider than the plot
      {0, 22, 10},  // the search starts at 1
      {-2, 22, 10},
      {0, 1, 0},
  };
  Spectrum s;
  load(s, {false, 100, 1000, 0, ramp(100)});
  for (const Case& c : cases) {
    SCOPED_TRACE("configured " + std::to_string(c.configured) + ", CX " + std::to_string(c.CX));
    LAYOUT l;
    SetLayoutDefaults(&l);
    l.plot.updatef1f2 = 1;
    l.axis.units = UNITS_HZ;
    l.axis.labelincrement = c.configured;
    l.trace.CX = c.CX;
    PLOTWINDOW w{};
    ASSERT_EQ(0, PlotWindow(l, s, &w));
    EXPECT_EQ(c.expected, l.axis.labelincrement);
  }
}

TEST_F(PlotJobTest, WorkingCopyTakesTheComputedAxisAndTheSingleLayoutStays) {
  setText(state_.single.spectrum, kLayoutName,
          writeQuintar("s.dat", 100, 120, 0, {1, 2, 3, 4, 5, 6}));
  std::string out = prepare(state_.single, PLOT_HPGL);
  state_.single.plot.updatef1f2 = 1;
  ASSERT_EQ(0, RunPlotJob(state_, spectrum_));
  EXPECT_TRUE(accepted(out, PLOT_HPGL));
  EXPECT_FLOAT_EQ(0.01f, state_.work.axis.tickincrement);
  EXPECT_EQ(2, state_.work.axis.decimals);
  EXPECT_EQ(10.0f, state_.single.axis.tickincrement);
  EXPECT_EQ(0, state_.single.axis.decimals);
  EXPECT_STREQ(state_.single.plot.outputpath, state_.work.plot.outputpath);
}

TEST_F(PlotJobTest, LoadedTimeDomainSignalInSeconds) {
  // SIMPSON FID: 8 points over 1000 Hz, so 0.008 s.
  std::string fid = dir_.file("fid.fid");
  qtest::writeBytes(fid, "SIMP\nNP=8\nSW=1000\nREF=400\nTYPE=FID\nDATA\n"
                         "8 0\n4 1\n2 0\n1 0\n0 0\n-1 0\n0 0\n0 0\nEND\n");
  setText(state_.single.spectrum, kLayoutName, fid);
  std::string out = prepare(state_.single, PLOT_POSTSCRIPT);
  state_.single.plot.updatef1f2 = 1;
  state_.single.axis.units = UNITS_S;
  ASSERT_EQ(0, RunPlotJob(state_, spectrum_));
  EXPECT_FLOAT_EQ(0.0001f, state_.work.axis.tickincrement);
  EXPECT_EQ(4, state_.work.axis.decimals);
  // Scale 12 / (8 - (-1)); points 2.75 cm apart.
  std::string ps = qtest::readBytes(out);
  EXPECT_NE(std::string::npos, ps.find("newpath\r\n1.00000 15.66667 moveto\r\n3.75000 10.33333 lineto\r\n"))
      << visible(ps);
  EXPECT_NE(std::string::npos, ps.find("(0.0080) ct\r\n"));
  EXPECT_TRUE(accepted(out, PLOT_POSTSCRIPT));
  // The same signal in ppm cannot be plotted.
  state_.single.axis.units = UNITS_PPM;
  EXPECT_EQ(PLOTJOB_UNITS, RunPlotJob(state_, spectrum_));
}

// ---- vertical scale -----------------------------------------------------------------------

TEST_F(PlotJobTest, VerticalScaleFromTheWindowOrTheScalingRange) {
  // 8 points at 8 .. 1 ppm: 0 1 2 3 4 5 6 7, or with negatives.
  struct Case {
    const char* name;
    std::vector<float> values;
    int cyscaling;
    float F1, F2, cyf1, cyf2;
    float scale;
  } cases[] = {
      {"highest peak of the whole spectrum", ramp(8), 0, 100, -100, 0, 0, 12.0f / 7},
      {"highest peak of the window", ramp(8), 0, 7.1f, 3.1f, 0, 0, 12.0f / 4},  // points 1 .. 4
      {"highest peak in range", ramp(8), 1, 100, -100, 6.1f, 4.1f, 12.0f / 3},  // points 2 .. 3
      {"scaling range beyond both ends", ramp(8), 1, 7.1f, 3.1f, 50, -50, 12.0f / 7},
      {"positive and negative points", {1, -3, 2, 0, 0, 0, 0, 0}, 0, 100, -100, 0, 0, 12.0f / 5},
      {"only negative points: max stays 0", {-1, -3, -2, -1, -1, -1, -1, -1}, 0, 100, -100, 0, 0, 12.0f / 3},
      {"other cyscaling values take the window", ramp(8), 2, 7.1f, 3.1f, 6.1f, 4.1f, 12.0f / 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PLOTJOBSTATE state;
    std::string out = prepare(state.single, PLOT_HPGL);
    state.single.trace.cyscaling = c.cyscaling;
    state.single.trace.F1 = c.F1;
    state.single.trace.F2 = c.F2;
    state.single.trace.cyf1 = c.cyf1;
    state.single.trace.cyf2 = c.cyf2;
    Spectrum s;
    load(s, {false, 100, 800, 0, c.values});
    ASSERT_EQ(0, PlotLoadedSpectrum(state, s));
    EXPECT_FLOAT_EQ(c.scale, state.scale);
    EXPECT_TRUE(accepted(out, PLOT_HPGL));
  }
}

TEST_F(PlotJobTest, ScalingRangeInHz) {
  std::string out = prepare(state_.single, PLOT_HPGL);
  state_.single.axis.units = UNITS_HZ;
  state_.single.trace.F1 = 1000;
  state_.single.trace.F2 = -1000;
  state_.single.trace.cyscaling = 1;
  state_.single.trace.cyf1 = 610;  // points 2 and 3
  state_.single.trace.cyf2 = 410;
  ASSERT_EQ(0, plot(spectrum8()));
  EXPECT_FLOAT_EQ(4.0f, state_.scale);
  EXPECT_TRUE(accepted(out, PLOT_HPGL));
}

// ---- thinning -----------------------------------------------------------------------------

TEST_F(PlotJobTest, ThinningInTheThreeSkipModes) {
  // 11 points 2 cm apart from x = 1; scale 1 (range 12 cm over 12 units),
  // base line 5 cm.
  const std::vector<float> peaks{0, 1, 2, 3, 4, 1, 12, 3, 2, 7, 4};
  const std::vector<float> dips{8, 0, 0, 0, 0, -1, -4, -2, -3, 0, 0};
  struct Case {
    const char* name;
    const std::vector<float>* values;
    int mode, skip;
    std::vector<int> points;
    std::vector<double> heights;
  } cases[] = {
      {"skip 4", &peaks, 0, 4, {0, 5, 10}, {5, 6, 9}},
      {"average 4: the mean of 4 points from the plotted one", &peaks, 1, 4, {0, 5, 10}, {5, 9.5, 6}},
      {"absmax 4", &peaks, 2, 4, {0, 5, 10}, {5, 17, 9}},
      {"skip 2", &peaks, 0, 2, {0, 3, 6, 9}, {5, 8, 17, 12}},
      {"average 2", &peaks, 1, 2, {0, 3, 6, 9}, {5, 8.5, 12.5, 10.5}},
      {"absmax 2", &peaks, 2, 2, {0, 3, 6, 9}, {5, 9, 17, 12}},
      {"average 1: groups of one", &peaks, 1, 1, {0, 2, 4, 6, 8, 10}, {5, 7, 9, 17, 7, 9}},
      {"skip 0: every point", &peaks, 0, 0, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10},
       {5, 6, 7, 8, 9, 6, 17, 8, 7, 12, 9}},
      {"average 0: every point itself", &peaks, 1, 0, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10},
       {5, 6, 7, 8, 9, 6, 17, 8, 7, 12, 9}},
      {"absmax 0: every point itself", &peaks, 2, 0, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10},
       {5, 6, 7, 8, 9, 6, 17, 8, 7, 12, 9}},
      {"skip -3 is skip 0", &peaks, 0, -3, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10},
       {5, 6, 7, 8, 9, 6, 17, 8, 7, 12, 9}},
      {"step beyond the window: the first point only", &peaks, 1, 20, {0}, {5}},
      {"skip 4 over negative points", &dips, 0, 4, {0, 5, 10}, {13, 4, 5}},
      {"average 4 over negative points", &dips, 1, 4, {0, 5, 10}, {13, 2.5, 5}},
      {"absmax 4 takes the lowest point of a group with a negative mean", &dips, 2, 4, {0, 5, 10}, {13, 1, 5}},
      {"unknown skip mode skips", &peaks, 7, 4, {0, 5, 10}, {5, 6, 9}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PLOTJOBSTATE state;
    std::string out = prepare(state.single, PLOT_POSTSCRIPT);
    state.single.plot.updatef1f2 = 1;
    state.single.axis.suppress = 1;
    state.single.trace.MAXY = 20;
    state.single.trace.skipmode = c.mode;
    state.single.trace.skippoints = c.skip;
    Spectrum s;
    load(s, {false, 100, 1100, 0, *c.values});
    ASSERT_EQ(0, PlotLoadedSpectrum(state, s));
    ASSERT_FLOAT_EQ(1.0f, state.scale);
    std::vector<std::pair<double, double>> points;
    for (std::size_t k = 0; k < c.points.size(); ++k) points.push_back({1 + 2.0 * c.points[k], c.heights[k]});
    EXPECT_EQ(visible(psLine(points)), visible(psTrace(qtest::readBytes(out))));
    EXPECT_TRUE(accepted(out, PLOT_POSTSCRIPT));
  }
}

TEST_F(PlotJobTest, HugeSkipCountEndsAtOnce) {
  std::string out = prepare(state_.single, PLOT_HPGL);
  state_.single.trace.skipmode = 1;
  state_.single.trace.skippoints = 2147483647;
  EXPECT_EQ(0, plot(spectrum8()));
  EXPECT_TRUE(accepted(out, PLOT_HPGL));
}

// ---- clipping at the upper limit ----------------------------------------------------------

TEST_F(PlotJobTest, ClippingAtTheUpperLimit) {
  // 5 points 4 cm apart from x = 1; scale 1; base line 5 cm, upper limit
  // 5 + 6 = 11 cm. Peaks of 12 rise to 17 cm; the lines from the base line
  // to them cross the limit half-way, at x = 3, 7, 11 and 15.
  const std::vector<float> peaks{0, 12, 0, 12, 0};
  // The first point above the limit, a point exactly on it.
  const std::vector<float> start{12, 0, 6, 0, 0};
  struct Case {
    const char* name;
    const std::vector<float>* values;
    int maxyaction, style;
    const char* ps;
    const char* hpgl;
  } cases[] = {
      {"lift pen", &peaks, 0, 0,
       "newpath\r\n1.00000 5.00000 moveto\r\n3.00000 11.00000 lineto\r\nstroke\r\n"
       "stroke\r\nnewpath\r\n7.00000 11.00000 moveto\r\n9.00000 5.00000 lineto\r\n"
       "11.00000 11.00000 lineto\r\nstroke\r\n"
       "stroke\r\nnewpath\r\n15.00000 11.00000 moveto\r\n17.00000 5.00000 lineto\r\nstroke\r\n",
       "PA 1.00000, 5.00000;PD 3.00000,11.00000,;PU 5.00000,17.00000;"
       "PU 7.00000,11.00000;PD 9.00000, 5.00000,11.00000,11.00000,;PU13.00000,17.00000;"
       "PU15.00000,11.00000;PD17.00000, 5.00000,;PU;PU0,0;"},
      {"straight line", &peaks, 1, 0,
       "newpath\r\n1.00000 5.00000 moveto\r\n5.00000 11.00000 lineto\r\n9.00000 5.00000 lineto\r\n"
       "13.00000 11.00000 lineto\r\n17.00000 5.00000 lineto\r\nstroke\r\n",
       "PA 1.00000, 5.00000;PD 5.00000,11.00000, 9.00000, 5.00000,13.00000,11.00000,"
       "17.00000, 5.00000,;PU;PU0,0;"},
      {"first point above the limit, a point on it", &start, 0, 0,
       "stroke\r\nnewpath\r\n3.00000 11.00000 moveto\r\n5.00000 5.00000 lineto\r\n"
       "9.00000 11.00000 lineto\r\n13.00000 5.00000 lineto\r\n17.00000 5.00000 lineto\r\nstroke\r\n",
       ";PU 1.00000,17.00000;PU 3.00000,11.00000;PD 5.00000, 5.00000, 9.00000,11.00000,"
       "13.00000, 5.00000,17.00000, 5.00000,;PU;PU0,0;"},
      {"first point above the limit, straight line", &start, 1, 0,
       "newpath\r\n1.00000 11.00000 moveto\r\n5.00000 5.00000 lineto\r\n"
       "9.00000 11.00000 lineto\r\n13.00000 5.00000 lineto\r\n17.00000 5.00000 lineto\r\nstroke\r\n",
       "PA 1.00000,11.00000;PD 5.00000, 5.00000, 9.00000,11.00000,"
       "13.00000, 5.00000,17.00000, 5.00000,;PU;PU0,0;"},
      {"circles, lift pen: none above the limit", &peaks, 0, 7,
       "newpath\r\n1.00000 5.00000 0.30000 0 360 arc\r\nstroke\r\n"
       "newpath\r\n9.00000 5.00000 0.30000 0 360 arc\r\nstroke\r\n"
       "newpath\r\n17.00000 5.00000 0.30000 0 360 arc\r\nstroke\r\nstroke\r\n",
       ";PU 1.00000, 5.00000;CI 0.30000, 5.00000;;PU 9.00000, 5.00000;CI 0.30000, 5.00000;"
       ";PU17.00000, 5.00000;CI 0.30000, 5.00000;;PU;PU0,0;"},
      {"circles, straight line: on the limit", &peaks, 1, 7,
       "newpath\r\n1.00000 5.00000 0.30000 0 360 arc\r\nstroke\r\n"
       "newpath\r\n5.00000 11.00000 0.30000 0 360 arc\r\nstroke\r\n"
       "newpath\r\n9.00000 5.00000 0.30000 0 360 arc\r\nstroke\r\n"
       "newpath\r\n13.00000 11.00000 0.30000 0 360 arc\r\nstroke\r\n"
       "newpath\r\n17.00000 5.00000 0.30000 0 360 arc\r\nstroke\r\nstroke\r\n",
       ";PU 1.00000, 5.00000;CI 0.30000, 5.00000;;PU 5.00000,11.00000;CI 0.30000, 5.00000;"
       ";PU 9.00000, 5.00000;CI 0.30000, 5.00000;;PU13.00000,11.00000;CI 0.30000, 5.00000;"
       ";PU17.00000, 5.00000;CI 0.30000, 5.00000;;PU;PU0,0;"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (int dialect : {PLOT_POSTSCRIPT, PLOT_HPGL}) {
      PLOTJOBSTATE state;
      std::string out = prepare(state.single, dialect);
      state.single.plot.updatef1f2 = 1;
      state.single.axis.suppress = 1;
      state.single.trace.CX = 20;
      state.single.trace.MAXY = 6;
      state.single.trace.maxyaction = c.maxyaction;
      state.single.trace.linestyle = c.style;
      Spectrum s;
      load(s, {false, 100, 500, 0, *c.values});
      ASSERT_EQ(0, PlotLoadedSpectrum(state, s));
      std::string file = qtest::readBytes(out);
      if (dialect == PLOT_POSTSCRIPT)
        EXPECT_EQ(visible(c.ps), visible(psTrace(file)));
      else
        EXPECT_EQ(c.hpgl, hpglTrace(file));
      EXPECT_TRUE(accepted(out, dialect));
    }
  }
}

TEST_F(PlotJobTest, CrossingPointsLieOnTheLimit) {
  // Uneven numbers: the crossing abscissa is where the straight line between
  // the two points reaches the limit.
  PLOTJOBSTATE state;
  std::string out = prepare(state.single, PLOT_POSTSCRIPT);
  state.single.plot.updatef1f2 = 1;
  state.single.axis.suppress = 1;
  state.single.trace.MAXY = 7.3f;
  Spectrum s;
  load(s, {false, 100, 300, 0, {1, 9.5f, 2}});
  ASSERT_EQ(0, PlotLoadedSpectrum(state, s));
  const double scale = state.scale, Y = 5 + static_cast<double>(7.3f), dx = 22.0 / 3;
  const double y0 = 5 + scale * 1, y1 = 5 + scale * 9.5, y2 = 5 + scale * 2;
  const double leave = 1 + (Y - y0) * dx / (y1 - y0);
  const double enter = 1 + dx + (Y - y1) * dx / (y2 - y1);
  std::string expected = fmt("newpath\r\n%.5f %.5f moveto\r\n", 1, y0) +
                         fmt("%.5f %.5f lineto\r\nstroke\r\n", leave, Y) +
                         fmt("stroke\r\nnewpath\r\n%.5f %.5f moveto\r\n", enter, Y) +
                         fmt("%.5f %.5f lineto\r\nstroke\r\n", 1 + 2 * dx, y2);
  EXPECT_EQ(visible(expected), visible(psTrace(qtest::readBytes(out))));
  EXPECT_NE(std::string::npos, expected.find(" 12.30000 "));
}

// ---- absolute intensity -------------------------------------------------------------------

TEST_F(PlotJobTest, AbsoluteIntensityAcrossJobs) {
  // A reaches 10, B 20; the first point of B is 5.
  std::string a = writeQuintar("a.dat", 100, 400, 0, {0, 10, 2, 1});
  std::string b = writeQuintar("b.dat", 100, 400, 0, {5, 20, 3, 1});
  // The height of the first point of each job's plot.
  auto job = [&](const std::string& spectrum) {
    setText(state_.single.spectrum, kLayoutName, spectrum);
    std::string out = prepare(state_.single, PLOT_HPGL);
    EXPECT_EQ(0, RunPlotJob(state_, spectrum_));
    EXPECT_TRUE(accepted(out, PLOT_HPGL));
    std::string hpgl = qtest::readBytes(out);
    std::size_t at = hpgl.find("PA");
    return at == std::string::npos ? -1.0 : std::atof(hpgl.c_str() + hpgl.find(',', at) + 1);
  };
  SetAbsoluteMode(state_, 1);
  ASSERT_EQ(1, state_.rescale);
  EXPECT_DOUBLE_EQ(5.0, job(a));
  EXPECT_FLOAT_EQ(1.2f, state_.scale);
  EXPECT_EQ(0, state_.rescale);
  EXPECT_DOUBLE_EQ(11.0, job(b)) << "B on A's scale";
  EXPECT_FLOAT_EQ(1.2f, state_.scale);

  // A failing job leaves the state alone.
  state_.single.trace.F1 = 300;
  state_.single.trace.F2 = 200;
  setText(state_.single.spectrum, kLayoutName, a);
  EXPECT_EQ(PLOTJOB_OUTSIDE, RunPlotJob(state_, spectrum_));
  EXPECT_FLOAT_EQ(1.2f, state_.scale);
  EXPECT_EQ(0, state_.rescale);
  state_.single.trace.F1 = 100;
  state_.single.trace.F2 = -100;

  // Off: every job computes its own scale.
  SetAbsoluteMode(state_, 0);
  EXPECT_EQ(1, state_.rescale);
  EXPECT_DOUBLE_EQ(8.0, job(b));
  EXPECT_FLOAT_EQ(0.6f, state_.scale);
  EXPECT_DOUBLE_EQ(5.0, job(a));
  EXPECT_FLOAT_EQ(1.2f, state_.scale);
  EXPECT_EQ(1, state_.rescale);

  // On again: the next job computes the scale that the later ones keep.
  SetAbsoluteMode(state_, 1);
  EXPECT_DOUBLE_EQ(8.0, job(b));
  EXPECT_FLOAT_EQ(0.6f, state_.scale);
  EXPECT_EQ(0, state_.rescale);
  EXPECT_DOUBLE_EQ(5.0, job(a));
  EXPECT_FLOAT_EQ(0.6f, state_.scale);
  // While the lock holds even all-zero data plot (nothing is scaled).
  EXPECT_DOUBLE_EQ(5.0, job(writeQuintar("z.dat", 100, 400, 0, {0, 0, 0, 0})));
}

// ---- exact files --------------------------------------------------------------------------

class PlotJobFiles : public PlotJobTest {
 protected:
  // A Quintar file of 4 points at 4, 3, 2, 1 ppm (100 MHz) with intensities
  // 0, 6, 12, 3, plotted from 4 to 0 ppm over 8 cm: points 2 cm apart from
  // x = 1, scale 1 cm per unit, base line 5 cm, axis line at 4 cm.
  void SetUp() override {
    setText(state_.single.spectrum, kLayoutName, writeQuintar("small.dat", 100, 400, 0, {0, 6, 12, 3}));
    state_.single.trace.F1 = 4;
    state_.single.trace.F2 = 0;
    state_.single.trace.CX = 8;
    state_.single.axis.tickincrement = 1;
    state_.single.axis.labelincrement = 2;
  }
};

const char kPsHeader[] =
    "%!PS-Adobe-3.0\r\n%%Creator: QV Drafton\r\n%%Pages: 1\r\n%%Orientation: Landscape\r\n"
    "%%BoundingBox: 0 0 842 596\r\n%%EndComments\r\n"
    "/ct\r\n{ dup stringwidth pop\r\n-2.0 div 0.0 rmoveto\r\nshow } def\r\n"
    "%%Page: 1 1\r\n28.346 28.346 scale\r\n"
    "0.176 setlinewidth\r\n1 setlinejoin\r\n1 setlinecap\r\n";

const char kPsPlot[] =
    // trace preamble and trace
    "0.176 setlinewidth\r\n1 setlinejoin\r\n1 setlinecap\r\n0 0 0 setrgbcolor\r\n[] 0 setdash\r\n"
    "newpath\r\n1.00000 5.00000 moveto\r\n3.00000 11.00000 lineto\r\n"
    "5.00000 17.00000 lineto\r\n7.00000 8.00000 lineto\r\nstroke\r\n"
    // axis line and font
    "0 0 0 setrgbcolor\r\n[] 0 setdash\r\nnewpath\r\n1.00000 4.00000 moveto\r\n"
    "9.00000 4.00000 lineto\r\nstroke\r\n/Helvetica findfont\r\n0.500 scalefont\r\nsetfont\r\n"
    // ticks 0 to 4 ppm from the right, labels at 0, 2 and 4
    "newpath\r\n9.00000 3.55000 moveto\r\n9.00000 4.00000 lineto\r\nstroke\r\n"
    "9.00000 2.95000 moveto\r\n(0) ct\r\n"
    "newpath\r\n7.00000 3.70000 moveto\r\n7.00000 4.00000 lineto\r\nstroke\r\n"
    "newpath\r\n5.00000 3.55000 moveto\r\n5.00000 4.00000 lineto\r\nstroke\r\n"
    "5.00000 2.95000 moveto\r\n(2) ct\r\n"
    "newpath\r\n3.00000 3.70000 moveto\r\n3.00000 4.00000 lineto\r\nstroke\r\n"
    "newpath\r\n1.00000 3.55000 moveto\r\n1.00000 4.00000 lineto\r\nstroke\r\n"
    "1.00000 2.95000 moveto\r\n(4) ct\r\n"
    // legend
    "5.00000 2.05000 moveto\r\n([ppm]) ct\r\n"
    "showpage\r\n";

const char kHpglHeader[] = "IN;IP0,0,402,402;SC,0.0,1.0,0.0,1.0;RO0;VS10;";

const char kHpglPlot[] =
    "SP1;LT;PU;PA 1.00000, 5.00000;PD 3.00000,11.00000, 5.00000,17.00000, 7.00000, 8.00000,"
    ";PU;PU0,0;"
    "LT;SP1;;PU 1.00000, 4.00000;PD 9.00000, 4.00000;SI 0.33500, 0.50000;"
    ";PU 9.00000, 3.55000;PD 9.00000, 4.00000;;PU 9.00000, 3.55000;CP -0.50, -1.00;LB0\x03"
    ";PU 7.00000, 3.70000;PD 7.00000, 4.00000;"
    ";PU 5.00000, 3.55000;PD 5.00000, 4.00000;;PU 5.00000, 3.55000;CP -0.50, -1.00;LB2\x03"
    ";PU 3.00000, 3.70000;PD 3.00000, 4.00000;"
    ";PU 1.00000, 3.55000;PD 1.00000, 4.00000;;PU 1.00000, 3.55000;CP -0.50, -1.00;LB4\x03"
    ";PU 5.00000, 3.05000;CP -2.50, -2.00;LB[ppm]\x03PU;SP0;";

TEST_F(PlotJobFiles, PostScriptOfASmallSpectrum) {
  std::string out = prepare(state_.single, PLOT_POSTSCRIPT);
  ASSERT_EQ(0, RunPlotJob(state_, spectrum_));
  EXPECT_EQ(visible(std::string(kPsHeader) + kPsPlot), visible(qtest::readBytes(out)));
  EXPECT_TRUE(accepted(out, PLOT_POSTSCRIPT));

  // Appended: the same plot again on the same page, one page end.
  ASSERT_EQ(0, RunPlotJob(state_, spectrum_));
  std::string page = std::string(kPsHeader) + kPsPlot;
  page.resize(page.size() - 10);
  EXPECT_EQ(visible(page + kPsPlot), visible(qtest::readBytes(out)));
  EXPECT_TRUE(accepted(out, PLOT_POSTSCRIPT));

  // Without append the file is replaced.
  state_.single.plot.append = 0;
  ASSERT_EQ(0, RunPlotJob(state_, spectrum_));
  EXPECT_EQ(visible(std::string(kPsHeader) + kPsPlot), visible(qtest::readBytes(out)));
}

TEST_F(PlotJobFiles, HpglOfASmallSpectrum) {
  std::string out = prepare(state_.single, PLOT_HPGL);
  ASSERT_EQ(0, RunPlotJob(state_, spectrum_));
  EXPECT_EQ(visible(std::string(kHpglHeader) + kHpglPlot), visible(qtest::readBytes(out)));
  EXPECT_TRUE(accepted(out, PLOT_HPGL));

  ASSERT_EQ(0, RunPlotJob(state_, spectrum_));
  std::string twice = qtest::readBytes(out);
  EXPECT_EQ(visible(std::string(kHpglHeader) + kHpglPlot + kHpglHeader + kHpglPlot), visible(twice));
  EXPECT_EQ(std::string::npos, twice.find_first_of("\r\n"));
  EXPECT_TRUE(accepted(out, PLOT_HPGL));
}

TEST_F(PlotJobFiles, AxisFollowsSuppressAndTakesTheWholeWidth) {
  // A window wider than the spectrum on both sides: the trace covers the
  // part of the width that the spectrum spans, the axis the whole width.
  state_.single.trace.F1 = 6;
  state_.single.trace.F2 = -2;
  std::string out = prepare(state_.single, PLOT_POSTSCRIPT);
  ASSERT_EQ(0, RunPlotJob(state_, spectrum_));
  std::string ps = qtest::readBytes(out);
  // The spectrum spans 4 to 0 ppm, x = 3 to 7: its 4 points 1 cm apart.
  EXPECT_NE(std::string::npos, ps.find("newpath\r\n3.00000 5.00000 moveto\r\n4.00000 11.00000 lineto\r\n"
                                       "5.00000 17.00000 lineto\r\n6.00000 8.00000 lineto\r\nstroke\r\n"));
  EXPECT_NE(std::string::npos, ps.find("newpath\r\n1.00000 4.00000 moveto\r\n9.00000 4.00000 lineto\r\n"));
  EXPECT_NE(std::string::npos, ps.find("(6) ct"));
  EXPECT_NE(std::string::npos, ps.find("(-2) ct"));

  state_.single.axis.suppress = 1;
  state_.single.plot.append = 0;
  ASSERT_EQ(0, RunPlotJob(state_, spectrum_));
  ps = qtest::readBytes(out);
  EXPECT_EQ(std::string::npos, ps.find("findfont"));
  EXPECT_EQ(1u, count(ps, "newpath"));
  EXPECT_TRUE(accepted(out, PLOT_POSTSCRIPT));
}

TEST_F(PlotJobFiles, ZeroTickAndLabelIncrementsInTheManualWindow) {
  // Tick increment 0: the axis line and the legend without ticks.
  state_.single.axis.tickincrement = 0;
  std::string out = prepare(state_.single, PLOT_POSTSCRIPT);
  ASSERT_EQ(0, RunPlotJob(state_, spectrum_));
  std::string ps = qtest::readBytes(out);
  EXPECT_EQ(1u, count(ps, ") ct\r\n")) << "the legend only";
  EXPECT_NE(std::string::npos, ps.find("([ppm]) ct\r\n"));
  EXPECT_TRUE(accepted(out, PLOT_POSTSCRIPT));

  // Label increment 0: every tick drawn, tick 0 the only labelled one.
  state_.single.axis.tickincrement = 1;
  state_.single.axis.labelincrement = 0;
  out = prepare(state_.single, PLOT_POSTSCRIPT);
  ASSERT_EQ(0, RunPlotJob(state_, spectrum_));
  ps = qtest::readBytes(out);
  EXPECT_EQ(2u, count(ps, ") ct\r\n"));
  EXPECT_NE(std::string::npos, ps.find("(0) ct\r\n"));
  EXPECT_EQ(1u + 5u + 1u, count(ps, "newpath")) << "trace, 5 ticks, axis line";
  EXPECT_TRUE(accepted(out, PLOT_POSTSCRIPT));
}

TEST_F(PlotJobFiles, WmfCreatesAnEmptyFile) {
  std::string out = prepare(state_.single, PLOT_WMF);
  ASSERT_EQ(0, RunPlotJob(state_, spectrum_));
  EXPECT_TRUE(qtest::fileExists(out));
  EXPECT_EQ("", qtest::readBytes(out));
}

TEST_F(PlotJobFiles, FailingOperationsGiveAResultAndNoCrash) {
  // Every file, heap and memory operation of the job in turn fails.
  int calls = 0;
  {
    std::string out = prepare(state_.single, PLOT_HPGL);
    qtest::FaultPlan counter(qtest::kFaultAll, 0);
    ASSERT_EQ(0, RunPlotJob(state_, spectrum_));
    calls = counter.calls();
  }
  ASSERT_GT(calls, 3);
  for (int n = 1; n <= calls; ++n) {
    SCOPED_TRACE("failing operation " + std::to_string(n));
    std::string out = prepare(state_.single, PLOT_HPGL);
    int result = -1;
    {
      qtest::FaultPlan plan(qtest::kFaultAll, n);
      result = RunPlotJob(state_, spectrum_);
    }
    EXPECT_TRUE(result == 0 || result == PLOTJOB_FAILED) << result;
    if (result == 0) {
      EXPECT_TRUE(qtest::fileExists(out));
    }
  }
}

// ---- a real TopSpin spectrum -----------------------------------------------------------------

// The 32-bit little-endian words of a TopSpin 1r file.
std::vector<std::int32_t> words(const std::string& bytes) {
  std::vector<std::int32_t> out;
  for (std::size_t i = 0; i + 4 <= bytes.size(); i += 4) {
    std::uint32_t u = static_cast<std::uint8_t>(bytes[i]) |
                      static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[i + 1])) << 8 |
                      static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[i + 2])) << 16 |
                      static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[i + 3])) << 24;
    out.push_back(static_cast<std::int32_t>(u));
  }
  return out;
}

TEST_F(PlotJobTest, RealTopSpinSpectrumToPostScript) {
  std::string root;
  QTEST_REQUIRE_TESTDATA(root);
  // Menthol, 1H at 500.13 MHz: procs OFFSET 15.18749 ppm, SW_p 9014.4230769231
  // Hz, SI 32768, BYTORDP 0, NC_proc -6; 1r holds 32768 int32 words.
  std::string r1 = root + "/bruker/npm-nmredata-data-test-menthol/10/pdata/1/1r";
  setText(state_.single.spectrum, kLayoutName, r1);
  std::string out = prepare(state_.single, PLOT_POSTSCRIPT);
  state_.single.plot.updatef1f2 = 1;
  ASSERT_EQ(0, RunPlotJob(state_, spectrum_));
  EXPECT_FLOAT_EQ(15.18749f, spectrum_.GetF1() / spectrum_.GetSF());

  // The axis: 15.19 to -2.84 ppm, ticks of 1 ppm, labels every 5.
  const double F1 = 15.18749, F2 = F1 - 9014.4230769231 / 500.13;
  EXPECT_FLOAT_EQ(1.0f, state_.work.axis.tickincrement);
  EXPECT_EQ(0, state_.work.axis.decimals);
  EXPECT_EQ(5, state_.work.axis.labelincrement);
  std::string ps = qtest::readBytes(out);
  for (int label : {15, 10, 5, 0}) {
    SCOPED_TRACE("label " + std::to_string(label));
    double x = 1 + 22 * (F1 - label) / (F1 - F2);
    std::size_t at = ps.find("(" + std::to_string(label) + ") ct\r\n");
    ASSERT_NE(std::string::npos, at);
    std::size_t line = ps.rfind("\r\n", at - 3);
    EXPECT_NEAR(x, std::atof(ps.c_str() + line + 2), 2e-4);
  }
  EXPECT_EQ(std::string::npos, ps.find("(-5) ct"));

  // The trace: every point, the first at the height that the file's words
  // give: y = 5 + 12 * w0 / (max(0, max w) - min(0, min w)); NC_proc cancels.
  std::vector<std::int32_t> w = words(qtest::readBytes(r1));
  ASSERT_EQ(32768u, w.size());
  ASSERT_EQ(-4706, w[0]);
  double hi = 0, lo = 0;
  for (std::int32_t v : w) {
    hi = std::fmax(hi, v);
    lo = std::fmin(lo, v);
  }
  std::string trace = ps.substr(0, ps.find("stroke\r\n"));
  std::size_t moveto = trace.find("newpath\r\n1.00000 ");
  ASSERT_NE(std::string::npos, moveto);
  EXPECT_NEAR(5 + 12 * w[0] / (hi - lo), std::atof(trace.c_str() + moveto + 17), 2e-5);
  EXPECT_EQ(32767u, count(trace, " lineto\r\n"));
  EXPECT_TRUE(accepted(out, PLOT_POSTSCRIPT));
}

}  // namespace
