// Every readable spectrum of the real data sets plots into PostScript and
// HPGL that Ghostscript and hp2xx accept.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "datafiles/convera.h"
#include "oracle.h"
#include "plotter/plotjob.h"
#include "spectrum/spectrum.h"
#include "support/capture.h"
#include "support/files.h"
#include "winutil/platform/platform.h"

namespace {

void collect(const std::string& folder, std::vector<std::string>& files) {
  plat::FindData found;
  HANDLE h = plat::ops().findFirst((folder + "/*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = found.name;
    if (name == "." || name == "..") continue;
    if (found.attributes & plat::kAttrDirectory) {
      collect(folder + "/" + name, files);
    } else {
      files.push_back(folder + "/" + name);
    }
  } while (plat::ops().findNext(h, &found));
  plat::ops().findClose(h);
}

// The job with the whole spectrum on the axis: ppm for spectra, seconds for FIDs.
int plot(const std::string& spectrumFile, const std::string& out, int format, qtest::UiCapture& ui) {
  for (int units : {UNITS_PPM, UNITS_S}) {
    PLOTJOBSTATE state;
    plat::copyText(state.single.spectrum, sizeof state.single.spectrum, spectrumFile.c_str());
    plat::copyText(state.single.plot.outputpath, sizeof state.single.plot.outputpath, out.c_str());
    state.single.plot.outputformat = format;
    state.single.plot.updatef1f2 = 1;
    state.single.plot.append = 0;
    state.single.axis.units = units;
    ui.values.assign(8, "400");  // files without a spectrometer frequency
    Spectrum spectrum;
    int result = RunPlotJob(state, spectrum);
    if (result != 51) return result;
  }
  return 51;
}

TEST(PlotRealData, EveryReadableSpectrumGivesValidFiles) {
  std::string root;
  QTEST_REQUIRE_TESTDATA(root);
  if (!plottest::haveGhostscript() || !plottest::haveHp2xx())
    GTEST_SKIP() << "Ghostscript and hp2xx are needed";
  std::vector<std::string> files;
  collect(root, files);
  qtest::TempDir dir;
  int plotted = 0;
  for (const std::string& f : files) {
    qtest::UiCapture ui;
    if (NMRCheckFormat(f.c_str()) <= 0) continue;
    std::string ps = dir.file("plot.ps"), hpgl = dir.file("plot.hpgl");
    int result = plot(f, ps, PLOT_POSTSCRIPT, ui);
    if (result == 56 && !ui.boxes().empty()) continue;  // refused by the reader, already reported
    ASSERT_EQ(result, 0) << f;
    ASSERT_EQ(plot(f, hpgl, PLOT_HPGL, ui), 0) << f;
    EXPECT_TRUE(plottest::ghostscriptAccepts(ps)) << f;
    EXPECT_TRUE(plottest::hp2xxAccepts(hpgl)) << f;
    ++plotted;
  }
  EXPECT_GE(plotted, 40);
}

}  // namespace
